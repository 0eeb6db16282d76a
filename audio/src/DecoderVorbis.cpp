#include "Decoder.h"
#include "bass.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>

namespace calvoran::audio {
namespace {

size_t readCallback(void *buffer, size_t size, size_t count, void *handle) {
    if (size == 0) return 0;
    const long got = static_cast<Source *>(handle)->read(buffer, size * count);
    return got < 0 ? 0 : static_cast<size_t>(got) / size;
}

int seekCallback(void *handle, ogg_int64_t offset, int whence) {
    auto *source = static_cast<Source *>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += source->tell();
    if (whence == SEEK_END) {
        if (source->size() < 0) return -1;
        target += source->size();
    }
    return source->seek(target) ? 0 : -1;
}

long tellCallback(void *handle) {
    return static_cast<long>(static_cast<Source *>(handle)->tell());
}

class VorbisDecoder final : public Decoder {
public:
    explicit VorbisDecoder(std::unique_ptr<Source> source) : source_(std::move(source)) {}
    ~VorbisDecoder() override {
        if (open_) ov_clear(&file_);
    }
    VorbisDecoder(const VorbisDecoder &) = delete;
    VorbisDecoder &operator=(const VorbisDecoder &) = delete;

    bool open(int &error) {
        const ov_callbacks callbacks{readCallback, seekCallback, nullptr, tellCallback};
        if (ov_open_callbacks(source_.get(), &file_, nullptr, 0, callbacks) != 0) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        open_ = true;
        // A cut-off file has no last granule to measure; libvorbisfile then decodes nothing at all.
        // Read such a file front to back instead, without seeking and without a known length.
        if (ov_seekable(&file_) && ov_pcm_total(&file_, -1) <= 0) {
            ov_clear(&file_);
            open_ = false;
            const ov_callbacks streaming{readCallback, nullptr, nullptr, nullptr};
            if (!source_->seek(0) || ov_open_callbacks(source_.get(), &file_, nullptr, 0, streaming) != 0) {
                error = BASS_ERROR_FILEFORM;
                return false;
            }
            open_ = true;
        }
        const vorbis_info *info = ov_info(&file_, -1);
        if (!info || info->channels < 1 || info->channels > 8 || info->rate < 1000 || info->rate > 384000) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        rate_ = static_cast<int>(info->rate);
        channels_ = info->channels;
        const ogg_int64_t total = ov_pcm_total(&file_, -1);
        length_ = total < 0 ? kUnknownLength : static_cast<std::uint64_t>(total);
        return true;
    }

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return length_; }

    std::size_t read(float *out, std::size_t frames) override {
        std::size_t done = 0;
        int failures = 0;
        while (done < frames && !ended_) {
            float **pcm = nullptr;
            int section = 0;
            const long got = ov_read_float(&file_, &pcm, static_cast<int>(frames - done), &section);
            if (got == OV_HOLE) {
                if (++failures > 32) ended_ = true;
                continue;
            }
            if (got <= 0) {
                ended_ = true;
                break;
            }
            const vorbis_info *info = ov_info(&file_, -1);
            // Chained streams with another layout are cut off at the change.
            if (!info || info->channels != channels_ || info->rate != rate_) {
                ended_ = true;
                break;
            }
            for (long i = 0; i < got; ++i)
                for (int c = 0; c < channels_; ++c)
                    out[(done + static_cast<std::size_t>(i)) * static_cast<std::size_t>(channels_) + c] =
                        pcm[c][i];
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    bool seek(std::uint64_t frame) override {
        if ((length_ != kUnknownLength && frame > length_) || !ov_seekable(&file_)) return false;
        if (ov_pcm_seek(&file_, static_cast<ogg_int64_t>(frame)) != 0) return false;
        ended_ = false;
        return true;
    }

private:
    std::unique_ptr<Source> source_;
    OggVorbis_File file_{};
    bool open_ = false;
    int rate_ = 0;
    int channels_ = 0;
    std::uint64_t length_ = kUnknownLength;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<Decoder> openVorbisDecoder(std::unique_ptr<Source> source, int &error) {
    auto decoder = std::make_unique<VorbisDecoder>(std::move(source));
    if (!decoder->open(error)) return nullptr;
    return decoder;
}

} // namespace calvoran::audio
