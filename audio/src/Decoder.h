// What a channel plays: something that yields interleaved float frames at its own rate.
#pragma once
#include "Source.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace calvoran::audio {

// What a URL stream reports beside its audio; safe to call from any thread.
class StreamTags {
public:
    virtual ~StreamTags() = default;
    // BASS_StreamGetTags: the text of that kind, valid until the next call for the same kind; null if none.
    virtual const char *tags(int kind) = 0;
};

class Decoder {
public:
    static constexpr std::uint64_t kUnknownLength = ~std::uint64_t{0};

    virtual ~Decoder() = default;
    virtual int rate() const = 0;
    virtual int channels() const = 0;
    // Length in frames, or kUnknownLength.
    virtual std::uint64_t length() const = 0;
    // Frames written to `out` (channels() floats each); 0 at the end or on an error.
    virtual std::size_t read(float *out, std::size_t frames) = 0;
    virtual bool seek(std::uint64_t frame) = 0;
    // Modules only: order count and title; -1 and "" for streams.
    virtual int orderCount() const { return -1; }
    virtual std::string title() const { return {}; }
    // True when the last read came up short only because input has not arrived yet (a URL stream
    // waiting for the network), not because the stream ended.
    virtual bool waiting() const { return false; }
    virtual std::shared_ptr<StreamTags> streamTags() const { return nullptr; }
};

enum class StreamKind { Unknown, Wave, Ogg, Mpeg, Flac, OggFlac, Opus };

// Classifies the first bytes of a file. For MPEG, `mpegStart` is the offset of the first of several
// consecutive valid frame headers (after any ID3v2 tags).
StreamKind detectStream(const unsigned char *data, std::size_t size, std::size_t &mpegStart);

// Opens a stream decoder by content; null with `error` (BASS_ERROR_FILEFORM, BASS_ERROR_FILEOPEN,
// BASS_ERROR_MEM) when the source is not a stream we can decode.
std::unique_ptr<Decoder> openStreamDecoder(std::unique_ptr<Source> source, int &error);

// True when the start of the file looks like a tracker module; reads at most a few kilobytes.
bool probeModule(Source &source);
// Loads a module rendered at `rate` stereo; null with `error` set on failure.
std::unique_ptr<Decoder> openModuleDecoder(Source &source, int rate, int &error);

std::unique_ptr<Decoder> openMpegDecoder(std::unique_ptr<Source> source, int &error);
std::unique_ptr<Decoder> openVorbisDecoder(std::unique_ptr<Source> source, int &error);
std::unique_ptr<Decoder> openWaveDecoder(std::unique_ptr<Source> source, int &error);
// Native FLAC through libsndfile; Ogg FLAC is unwrapped into a native stream first.
std::unique_ptr<Decoder> openFlacDecoder(std::unique_ptr<Source> source, int &error);
std::unique_ptr<Decoder> openOggFlacDecoder(std::unique_ptr<Source> source, int &error);
std::unique_ptr<Decoder> openOpusDecoder(std::unique_ptr<Source> source, int &error);

} // namespace calvoran::audio
