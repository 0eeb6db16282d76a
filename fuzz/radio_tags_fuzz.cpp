// Header lines and metadata come from any server. Every pair must have content, come from the text, and
// a key found must give its pair's value; the 8-bit conversion never grows the text.
#include "radio/model/TagPairs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace calvoran;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string list = text + std::string(2, '\0');
    const std::string joined = TagListToText(list.c_str());
    TagPairList pairs;
    ParseTagPairs(pairs, joined, ':', ';', true);
    ParseTagPairs(pairs, text + ";", '=', ';', false);
    for (const auto &[key, value] : pairs) {
        if (key.empty() || value.empty()) std::abort();
        if (joined.find(key) == std::string::npos && text.find(key) == std::string::npos) std::abort();
        if (FindTag(pairs, key).empty()) std::abort();
    }
    if (StationText(text).size() > text.size()) std::abort();
    return 0;
}
