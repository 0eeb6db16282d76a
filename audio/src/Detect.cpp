#include "Decoder.h"
#include "bass.h"

#include <cstring>
#include <vector>

namespace calvoran::audio {
namespace {

struct MpegHeader {
    int version = 0; // 1, 2, or 25 (2.5)
    int layer = 0;
    int rate = 0;
    int bytes = 0;
};

bool parseMpegHeader(const unsigned char *p, MpegHeader &h) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    const int ver = (p[1] >> 3) & 3;
    const int lay = (p[1] >> 1) & 3;
    const int brIndex = (p[2] >> 4) & 15;
    const int srIndex = (p[2] >> 2) & 3;
    const int pad = (p[2] >> 1) & 1;
    if (ver == 1 || lay == 0 || brIndex == 0 || brIndex == 15 || srIndex == 3 || (p[3] & 3) == 2)
        return false;
    static const int kRates[3] = {44100, 48000, 32000};
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    h.version = ver == 3 ? 1 : (ver == 2 ? 2 : 25);
    h.layer = 4 - lay;
    h.rate = kRates[srIndex] / (h.version == 1 ? 1 : (h.version == 2 ? 2 : 4));
    const int bitrate = kBitrates[h.version == 1 ? 0 : 1][h.layer - 1][brIndex] * 1000;
    if (h.layer == 1) {
        h.bytes = (12 * bitrate / h.rate + pad) * 4;
    } else if (h.layer == 3 && h.version != 1) {
        h.bytes = 72 * bitrate / h.rate + pad;
    } else {
        h.bytes = 144 * bitrate / h.rate + pad;
    }
    return h.bytes >= 4;
}

// Several frames in a row with the same version, layer and rate; a chain that runs exactly into the end
// of the data (or an ID3v1 tag) also counts once it has two frames.
bool mpegChainAt(const unsigned char *data, std::size_t size, std::size_t pos, bool wholeFile) {
    MpegHeader first;
    if (pos + 4 > size || !parseMpegHeader(data + pos, first)) return false;
    int found = 1;
    std::size_t at = pos + static_cast<std::size_t>(first.bytes);
    while (found < 4) {
        if (at == size || (at + 128 == size && std::memcmp(data + at, "TAG", 3) == 0))
            return wholeFile && found >= 2;
        if (at + 4 > size) return !wholeFile && found >= 2;
        MpegHeader next;
        if (!parseMpegHeader(data + at, next) || next.version != first.version || next.layer != first.layer ||
            next.rate != first.rate)
            return false;
        ++found;
        at += static_cast<std::size_t>(next.bytes);
    }
    return true;
}

std::size_t skipId3v2(const unsigned char *data, std::size_t size) {
    std::size_t pos = 0;
    while (pos + 10 <= size && std::memcmp(data + pos, "ID3", 3) == 0 && data[pos + 3] != 0xFF &&
           data[pos + 4] != 0xFF && (data[pos + 6] | data[pos + 7] | data[pos + 8] | data[pos + 9]) < 0x80) {
        const std::size_t body = (std::size_t{data[pos + 6]} << 21) | (std::size_t{data[pos + 7]} << 14) |
                                 (std::size_t{data[pos + 8]} << 7) | data[pos + 9];
        const bool footer = (data[pos + 5] & 0x10) != 0;
        pos += 10 + body + (footer ? 10 : 0);
    }
    return pos;
}

// The codec of an Ogg file is named by the first packet, which starts on the first page.
StreamKind oggKind(const unsigned char *data, std::size_t size) {
    if (size < 27) return StreamKind::Ogg;
    const std::size_t packet = 27 + std::size_t{data[26]};
    const auto startsWith = [&](const char *magic, std::size_t n) {
        return packet + n <= size && std::memcmp(data + packet, magic, n) == 0;
    };
    if (startsWith("OpusHead", 8)) return StreamKind::Opus;
    if (startsWith("\x7F"
                   "FLAC",
                   5))
        return StreamKind::OggFlac;
    return StreamKind::Ogg;
}

} // namespace

constexpr std::size_t kProbeBytes = 64 * 1024;

StreamKind detectStream(const unsigned char *data, std::size_t size, std::size_t &mpegStart) {
    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0)
        return StreamKind::Wave;
    if (size >= 4 && std::memcmp(data, "fLaC", 4) == 0) return StreamKind::Flac;
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) return oggKind(data, size);
    const std::size_t start = skipId3v2(data, size);
    if (start >= size) return StreamKind::Unknown;
    const bool wholeFile = size < kProbeBytes;
    const std::size_t limit = size - start > 16384 ? start + 16384 : size;
    for (std::size_t pos = start; pos + 4 <= limit; ++pos) {
        if (data[pos] == 0xFF && mpegChainAt(data, size, pos, wholeFile)) {
            mpegStart = pos;
            return StreamKind::Mpeg;
        }
    }
    return StreamKind::Unknown;
}

std::unique_ptr<Decoder> openStreamDecoder(std::unique_ptr<Source> source, int &error) {
    std::vector<unsigned char> head(kProbeBytes);
    std::size_t got = 0;
    while (got < head.size()) {
        const long n = source->read(head.data() + got, head.size() - got);
        if (n < 0) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    // Look at the audio behind any ID3v2 tags, however large they are.
    const std::size_t tagEnd = skipId3v2(head.data(), got);
    std::int64_t base = 0;
    if (tagEnd > 0) {
        if (!source->seek(static_cast<std::int64_t>(tagEnd))) {
            error = BASS_ERROR_FILEFORM;
            return nullptr;
        }
        base = static_cast<std::int64_t>(tagEnd);
        got = 0;
        while (got < head.size()) {
            const long n = source->read(head.data() + got, head.size() - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    }
    if (!source->seek(0)) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    std::size_t mpegStart = 0;
    const StreamKind kind = detectStream(head.data(), got, mpegStart);
    // Behind an ID3v2 tag only MPEG audio and FLAC are expected.
    const bool afterTag = kind == StreamKind::Mpeg || kind == StreamKind::Flac;
    switch (base == 0 || afterTag ? kind : StreamKind::Unknown) {
    case StreamKind::Wave:
        return openWaveDecoder(std::move(source), error);
    case StreamKind::Ogg:
        return openVorbisDecoder(std::move(source), error);
    case StreamKind::Flac:
        return openFlacDecoder(base == 0 ? std::move(source) : windowSource(std::move(source), base), error);
    case StreamKind::OggFlac:
        return openOggFlacDecoder(std::move(source), error);
    case StreamKind::Opus:
        return openOpusDecoder(std::move(source), error);
    case StreamKind::Mpeg:
        return openMpegDecoder(windowSource(std::move(source), base + static_cast<std::int64_t>(mpegStart)),
                               error);
    case StreamKind::Unknown:
        break;
    }
    error = BASS_ERROR_FILEFORM;
    return nullptr;
}

} // namespace calvoran::audio
