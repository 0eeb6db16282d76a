// The parts of a shoutcast/icecast response that need no network: metadata splitting, header fields and
// station playlists. Pure and bounded, so they can be fuzzed on their own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace calvoran::audio {

// One metadata block is a length byte (x16) and at most 255 x 16 bytes.
constexpr std::size_t kMaxMetaBlock = 255 * 16;
// Larger intervals are not believed: the stream is then taken as plain audio.
constexpr std::uint32_t kMaxMetaint = 1u << 24;

// Removes the metadata blocks that a server interleaves every `metaint` audio bytes.
class IcySplitter {
public:
    using AudioSink = std::function<void(const unsigned char *, std::size_t)>;
    using MetaSink = std::function<void(std::string)>;

    // metaint 0: the stream carries no metadata and passes through whole.
    explicit IcySplitter(std::uint32_t metaint = 0) : metaint_(metaint), audioLeft_(metaint) {}

    // Audio bytes go to `audio` in order; every complete, non-empty metadata text (up to its first NUL)
    // goes to `meta`.
    void feed(const unsigned char *data, std::size_t size, const AudioSink &audio, const MetaSink &meta);

private:
    std::uint32_t metaint_;
    std::uint32_t audioLeft_;
    int metaLeft_ = -1; // -1: the length byte comes next
    std::string block_;
    bool inMeta_ = false;
};

// The interval from an "icy-metaint" value: 0 when missing, not a plain decimal, 0 or beyond kMaxMetaint.
std::uint32_t parseMetaint(std::string_view value);

// A response status line ("HTTP/1.1 200 OK", "ICY 200 OK").
bool isStatusLine(std::string_view line);
// The value of header `name` (ASCII case ignored) among `lines`, blanks around it removed; empty if none.
std::string headerValue(const std::vector<std::string> &lines, std::string_view name);

// True when the address, content type or first body bytes name a station playlist (.pls, .m3u, .m3u8).
bool looksLikePlaylist(std::string_view url, std::string_view contentType, std::string_view firstBytes);
// The first http:// or https:// address in a .pls or .m3u text; empty when there is none.
std::string firstStreamAddress(std::string_view playlist);

bool isHttpAddress(std::string_view url);

} // namespace calvoran::audio
