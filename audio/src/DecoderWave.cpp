#include "Decoder.h"
#include "bass.h"

#include <sndfile.h>

#include <cstdio>

namespace calvoran::audio {
namespace {

sf_count_t lengthCallback(void *handle) {
    return static_cast<Source *>(handle)->size();
}

sf_count_t seekCallback(sf_count_t offset, int whence, void *handle) {
    auto *source = static_cast<Source *>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += source->tell();
    if (whence == SEEK_END) target += source->size();
    if (!source->seek(target)) return -1;
    return target;
}

sf_count_t readCallback(void *buffer, sf_count_t bytes, void *handle) {
    const long got = static_cast<Source *>(handle)->read(buffer, static_cast<std::size_t>(bytes));
    return got < 0 ? 0 : got;
}

sf_count_t writeCallback(const void *, sf_count_t, void *) {
    return 0;
}

sf_count_t tellCallback(void *handle) {
    return static_cast<Source *>(handle)->tell();
}

class WaveDecoder final : public Decoder {
public:
    WaveDecoder(std::unique_ptr<Source> source, bool flac) : source_(std::move(source)), flac_(flac) {}
    ~WaveDecoder() override {
        if (file_) sf_close(file_);
    }
    WaveDecoder(const WaveDecoder &) = delete;
    WaveDecoder &operator=(const WaveDecoder &) = delete;

    bool open(int &error) {
        SF_VIRTUAL_IO io{lengthCallback, seekCallback, readCallback, writeCallback, tellCallback};
        SF_INFO info{};
        file_ = sf_open_virtual(&io, SFM_READ, &info, source_.get());
        // WAVE_FORMAT_EXTENSIBLE (sox's default for float, >16-bit or >2 channels) is a plain RIFF/WAVE
        // file to users; libsndfile reports it as a type of its own.
        const int type = info.format & SF_FORMAT_TYPEMASK;
        const bool wanted =
            flac_ ? type == SF_FORMAT_FLAC : (type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX);
        if (!file_ || !wanted || info.channels < 1 || info.channels > 8 || info.samplerate < 1000 ||
            info.samplerate > 384000 || info.frames < 0) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        // Integer PCM maps to [-1, 1) exactly; float files are clipped later, not rescaled.
        sf_command(file_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
        // A FLAC file cut inside its headers still opens; one that yields no first frame has nothing to play.
        if (flac_ && info.frames > 0) {
            float first[8];
            if (sf_readf_float(file_, first, 1) != 1 || sf_seek(file_, 0, SEEK_SET) != 0) {
                error = BASS_ERROR_FILEFORM;
                return false;
            }
        }
        rate_ = info.samplerate;
        channels_ = info.channels;
        length_ = static_cast<std::uint64_t>(info.frames);
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return length_; }

    std::size_t read(float *out, std::size_t frames) override {
        const sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
        return got < 0 ? 0 : static_cast<std::size_t>(got);
    }

    bool seek(std::uint64_t frame) override {
        if (frame > length_) return false;
        return sf_seek(file_, static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
    }

private:
    std::unique_ptr<Source> source_;
    bool flac_ = false;
    SNDFILE *file_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace

std::unique_ptr<Decoder> openWaveDecoder(std::unique_ptr<Source> source, int &error) {
    auto decoder = std::make_unique<WaveDecoder>(std::move(source), false);
    if (!decoder->open(error)) return nullptr;
    return decoder;
}

std::unique_ptr<Decoder> openFlacDecoder(std::unique_ptr<Source> source, int &error) {
    auto decoder = std::make_unique<WaveDecoder>(std::move(source), true);
    if (!decoder->open(error)) return nullptr;
    return decoder;
}

} // namespace calvoran::audio
