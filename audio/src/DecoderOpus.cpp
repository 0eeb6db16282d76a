#include "Decoder.h"
#include "bass.h"

#include <opusfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace calvoran::audio {
namespace {

int readCallback(void *handle, unsigned char *buffer, int bytes) {
    const long got = static_cast<Source *>(handle)->read(buffer, static_cast<std::size_t>(bytes));
    return got < 0 ? -1 : static_cast<int>(got);
}

int seekCallback(void *handle, opus_int64 offset, int whence) {
    auto *source = static_cast<Source *>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += source->tell();
    if (whence == SEEK_END) {
        if (source->size() < 0) return -1;
        target += source->size();
    }
    return source->seek(target) ? 0 : -1;
}

opus_int64 tellCallback(void *handle) {
    return static_cast<Source *>(handle)->tell();
}

class OpusDecoder final : public Decoder {
public:
    explicit OpusDecoder(std::unique_ptr<Source> source) : source_(std::move(source)) {}
    ~OpusDecoder() override {
        if (file_) op_free(file_);
    }
    OpusDecoder(const OpusDecoder &) = delete;
    OpusDecoder &operator=(const OpusDecoder &) = delete;

    bool open(int &error) {
        const OpusFileCallbacks callbacks{readCallback, seekCallback, tellCallback, nullptr};
        int result = 0;
        file_ = op_open_callbacks(source_.get(), &callbacks, nullptr, 0, &result);
        if (!file_) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        channels_ = op_channel_count(file_, -1);
        if (channels_ < 1 || channels_ > 8) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        const ogg_int64_t total = op_seekable(file_) ? op_pcm_total(file_, -1) : -1;
        length_ = total < 0 ? kUnknownLength : static_cast<std::uint64_t>(total);
        return true;
    }

    // Opus always decodes at 48 kHz, whatever rate the encoder was fed.
    int rate() const override { return 48000; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return length_; }

    std::size_t read(float *out, std::size_t frames) override {
        std::size_t done = 0;
        int failures = 0;
        while (done < frames && !ended_) {
            int link = -1;
            const std::size_t room = (frames - done) * static_cast<std::size_t>(channels_);
            const int got = op_read_float(file_, out + done * static_cast<std::size_t>(channels_),
                                          static_cast<int>(room), &link);
            if (got == OP_HOLE) {
                if (++failures > 32) ended_ = true;
                continue;
            }
            if (got <= 0) {
                ended_ = true;
                break;
            }
            // Chained streams with another channel layout are cut off at the change.
            if (op_channel_count(file_, link) != channels_) {
                ended_ = true;
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    bool seek(std::uint64_t frame) override {
        if ((length_ != kUnknownLength && frame > length_) || !op_seekable(file_)) return false;
        // libopusfile's own pre-roll leaves the decoder's state audibly off for a while after the jump.
        // Decoding a longer stretch ahead of the target gives the same samples as playing through.
        const std::uint64_t start = frame > kPreroll ? frame - kPreroll : 0;
        if (op_pcm_seek(file_, static_cast<ogg_int64_t>(start)) != 0) return false;
        ended_ = false;
        std::vector<float> scratch(4096 * static_cast<std::size_t>(channels_));
        for (std::uint64_t left = frame - start; left > 0;) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, 4096));
            const std::size_t got = read(scratch.data(), want);
            if (got == 0) return false;
            left -= got;
        }
        return true;
    }

private:
    static constexpr std::uint64_t kPreroll = 48000; // one second

    std::unique_ptr<Source> source_;
    OggOpusFile *file_ = nullptr;
    int channels_ = 0;
    std::uint64_t length_ = kUnknownLength;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<Decoder> openOpusDecoder(std::unique_ptr<Source> source, int &error) {
    auto decoder = std::make_unique<OpusDecoder>(std::move(source));
    if (!decoder->open(error)) return nullptr;
    return decoder;
}

} // namespace calvoran::audio
