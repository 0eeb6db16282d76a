// A server decides every byte a URL stream receives. The splitter must pass exactly the audio bytes, in
// order and never more than it got, and keep each metadata text within one block, whatever the chunking.
#include "Icy.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace calvoran::audio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint32_t metaint = 1u + (data[0] | (data[1] << 8)) % 4096u;
    const std::size_t chunk = 1u + data[2];
    data += 3;
    size -= 3;
    const auto run = [&](std::size_t step, std::string &audio, std::string &lastMeta) {
        IcySplitter splitter(metaint);
        for (std::size_t at = 0; at < size; at += step)
            splitter.feed(
                data + at, std::min(step, size - at),
                [&](const unsigned char *p, std::size_t n) {
                    audio.append(reinterpret_cast<const char *>(p), n);
                },
                [&](std::string text) {
                    if (text.empty() || text.size() > kMaxMetaBlock || text.find('\0') != std::string::npos)
                        std::abort();
                    lastMeta = std::move(text);
                });
    };
    std::string whole, wholeMeta, pieces, piecesMeta;
    run(size == 0 ? 1 : size, whole, wholeMeta);
    run(chunk, pieces, piecesMeta);
    if (whole != pieces || wholeMeta != piecesMeta || whole.size() > size) std::abort();
    if (whole.compare(0, std::min<std::size_t>(metaint, size), reinterpret_cast<const char *>(data),
                      std::min<std::size_t>(metaint, size)) != 0)
        std::abort();

    const std::string text(reinterpret_cast<const char *>(data), size);
    parseMetaint(text);
    const std::string address = firstStreamAddress(text);
    if (!address.empty() && (!isHttpAddress(address) || text.find(address) == std::string::npos))
        std::abort();
    looksLikePlaylist(text, text, text);
    return 0;
}
