#include "Icy.h"

#include <algorithm>
#include <cctype>

namespace calvoran::audio {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i])) return false;
    return true;
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && startsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

void IcySplitter::feed(const unsigned char *data, std::size_t size, const AudioSink &audio,
                       const MetaSink &meta) {
    if (metaint_ == 0) {
        if (size > 0) audio(data, size);
        return;
    }
    while (size > 0) {
        if (!inMeta_) {
            const std::size_t n = std::min<std::size_t>(size, audioLeft_);
            if (n > 0) audio(data, n);
            data += n;
            size -= n;
            audioLeft_ -= static_cast<std::uint32_t>(n);
            if (audioLeft_ == 0) {
                inMeta_ = true;
                metaLeft_ = -1;
            }
            continue;
        }
        if (metaLeft_ < 0) {
            metaLeft_ = data[0] * 16;
            ++data;
            --size;
            block_.clear();
        } else {
            const std::size_t n = std::min<std::size_t>(size, static_cast<std::size_t>(metaLeft_));
            block_.append(reinterpret_cast<const char *>(data), n);
            data += n;
            size -= n;
            metaLeft_ -= static_cast<int>(n);
        }
        if (metaLeft_ == 0) {
            const std::size_t end = block_.find('\0');
            if (end != std::string::npos) block_.resize(end);
            if (!block_.empty()) meta(std::move(block_));
            block_.clear();
            inMeta_ = false;
            audioLeft_ = metaint_;
        }
    }
}

std::uint32_t parseMetaint(std::string_view value) {
    value = trim(value);
    if (value.empty() || value.size() > 10) return 0;
    std::uint64_t n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n == 0 || n > kMaxMetaint ? 0 : static_cast<std::uint32_t>(n);
}

bool isStatusLine(std::string_view line) {
    return startsWithNoCase(line, "HTTP/") || startsWithNoCase(line, "ICY ");
}

std::string headerValue(const std::vector<std::string> &lines, std::string_view name) {
    for (const std::string &line : lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string_view key = trim(std::string_view(line).substr(0, colon));
        if (key.size() == name.size() && startsWithNoCase(key, name))
            return std::string(trim(std::string_view(line).substr(colon + 1)));
    }
    return {};
}

bool looksLikePlaylist(std::string_view url, std::string_view contentType, std::string_view firstBytes) {
    const std::string_view type = trim(contentType.substr(0, contentType.find(';')));
    for (std::string_view t : {"audio/x-scpls", "audio/scpls", "application/pls+xml", "audio/x-mpegurl",
                               "audio/mpegurl", "application/x-mpegurl", "application/vnd.apple.mpegurl"})
        if (type.size() == t.size() && startsWithNoCase(type, t)) return true;
    std::string_view path = url.substr(0, url.find_first_of("?#"));
    for (std::string_view ext : {".pls", ".m3u", ".m3u8"})
        if (endsWithNoCase(path, ext)) return true;
    const std::string_view body = trim(firstBytes);
    return startsWithNoCase(body, "[playlist]") || startsWithNoCase(body, "#EXTM3U");
}

bool isHttpAddress(std::string_view url) {
    return (startsWithNoCase(url, "http://") && url.size() > 7) ||
           (startsWithNoCase(url, "https://") && url.size() > 8);
}

std::string firstStreamAddress(std::string_view playlist) {
    while (!playlist.empty()) {
        const std::size_t eol = playlist.find_first_of("\r\n");
        std::string_view line = trim(playlist.substr(0, eol));
        playlist.remove_prefix(eol == std::string_view::npos ? playlist.size() : eol + 1);
        // .pls: "File1=http://..."
        if (startsWithNoCase(line, "file")) {
            const std::size_t eq = line.find('=');
            if (eq != std::string_view::npos) line = trim(line.substr(eq + 1));
        }
        if (isHttpAddress(line) && line.find_first_of(" \t") == std::string_view::npos)
            return std::string(line);
    }
    return {};
}

} // namespace calvoran::audio
