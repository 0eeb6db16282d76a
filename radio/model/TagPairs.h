// Stream tags as the radio shows them: the ICY header lines and the in-stream metadata turned into
// key/value pairs, and the 8-bit text the player keeps.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvoran {

using TagPairList = std::vector<std::pair<std::string, std::string>>;

// NUL-terminated strings ended by a second NUL, each followed by ";" in the result. Null gives "".
std::string TagListToText(const char *list);

// Splits `text` into pairs at `separator` (':' for headers, '=' for metadata), ended by `terminator`;
// a leading status line without a separator is dropped. `reset` empties `pairs` first.
void ParseTagPairs(TagPairList &pairs, std::string text, char separator, char terminator, bool reset);

// The value of the first pair whose key equals `key` with ASCII letters folded; "" when there is none.
std::string FindTag(const TagPairList &pairs, std::string_view key);

// Station text in the player's 8-bit text: valid UTF-8 with non-ASCII bytes becomes Windows-1252 ("?"
// for what it cannot hold); anything else is taken as Windows-1252 already.
std::string StationText(std::string_view bytes);

} // namespace calvoran
