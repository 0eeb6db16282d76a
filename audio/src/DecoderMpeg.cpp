#include "Decoder.h"
#include "bass.h"

#include <mpg123.h>

#include <cstdint>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace calvoran::audio {
namespace {

ssize_t readCallback(void *handle, void *buffer, size_t bytes) {
    return static_cast<Source *>(handle)->read(buffer, bytes);
}

off_t seekCallback(void *handle, off_t offset, int whence) {
    auto *source = static_cast<Source *>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += source->tell();
    if (whence == SEEK_END) {
        if (source->size() < 0) return -1;
        target += source->size();
    }
    return source->seek(target) ? static_cast<off_t>(target) : off_t{-1};
}

class MpegDecoder final : public Decoder {
public:
    MpegDecoder(mpg123_handle *handle, std::unique_ptr<Source> source, int rate, int channels,
                std::uint64_t length)
        : handle_(handle), source_(std::move(source)), rate_(rate), channels_(channels), length_(length) {}
    ~MpegDecoder() override {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
    MpegDecoder(const MpegDecoder &) = delete;
    MpegDecoder &operator=(const MpegDecoder &) = delete;

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return length_; }

    std::size_t read(float *out, std::size_t frames) override {
        const std::size_t frameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(channels_);
        if (pcm_.size() < frames * static_cast<std::size_t>(channels_))
            pcm_.resize(frames * static_cast<std::size_t>(channels_));
        std::size_t done = 0;
        while (done < frames && !ended_) {
            size_t got = 0;
            const int rc =
                mpg123_read(handle_, reinterpret_cast<unsigned char *>(pcm_.data() + done * channels_),
                            (frames - done) * frameBytes, &got);
            done += got / frameBytes;
            if (rc == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                // A change of format mid-stream is treated as the end of the stream.
                if (rate != rate_ || channels != channels_) ended_ = true;
                continue;
            }
            if (rc == MPG123_OK) {
                // Guard against a decoder that keeps returning nothing.
                if (got > 0)
                    emptyReads_ = 0;
                else if (++emptyReads_ > 64)
                    ended_ = true;
                continue;
            }
            ended_ = true; // the end, or damage mpg123 cannot get past
        }
        for (std::size_t i = 0; i < done * static_cast<std::size_t>(channels_); ++i)
            out[i] = static_cast<float>(pcm_[i]) * (1.0f / 32768.0f);
        return done;
    }

    bool seek(std::uint64_t frame) override {
        if (length_ != kUnknownLength && frame > length_) return false;
        const off_t at = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
        if (at < 0) return false;
        ended_ = false;
        emptyReads_ = 0;
        return true;
    }

private:
    mpg123_handle *handle_;
    std::unique_ptr<Source> source_;
    int rate_;
    int channels_;
    std::uint64_t length_;
    bool ended_ = false;
    int emptyReads_ = 0;
    std::vector<std::int16_t> pcm_;
};

} // namespace

std::unique_ptr<Decoder> openMpegDecoder(std::unique_ptr<Source> source, int &error) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int rc = MPG123_OK;
    mpg123_handle *handle = mpg123_new(nullptr, &rc);
    if (!handle) {
        error = BASS_ERROR_MEM;
        return nullptr;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0.0);
    // After a seek the bit reservoir may reach back several small VBR frames; decode enough of them
    // first that the samples match an uninterrupted decode.
    mpg123_param(handle, MPG123_PREFRAMES, 10, 0.0);
    // 16-bit output: faster than mpg123's float synthesis and the same samples its own tools write.
    mpg123_format_none(handle);
    long const *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(handle, readCallback, seekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, source.get()) != MPG123_OK) {
        mpg123_delete(handle);
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels < 1 ||
        channels > 2) {
        mpg123_close(handle);
        mpg123_delete(handle);
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    // A full frame scan gives the exact length even without a Xing/Info/VBRI header and the frame index
    // that makes every seek sample-accurate (the header's table of contents is only approximate).
    if (mpg123_scan(handle) != MPG123_OK) {
        mpg123_close(handle);
        mpg123_delete(handle);
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    const off_t length = mpg123_length(handle);
    mpg123_seek(handle, 0, SEEK_SET);
    return std::make_unique<MpegDecoder>(handle, std::move(source), static_cast<int>(rate), channels,
                                         length < 0 ? Decoder::kUnknownLength
                                                    : static_cast<std::uint64_t>(length));
}

} // namespace calvoran::audio
