// A played channel without a sound card: fuzzed audio at a fuzzed rate, channel count and playback
// speed, with an effect, through decoding, the resampler and the mix into the output, with seeks and
// the history that levels and wave data read.
#include "Channel.h"
#include "Decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using calvoran::audio::Channel;
using calvoran::audio::Decoder;

namespace {

// Plays the fuzz bytes as 16-bit samples.
class BytesDecoder final : public Decoder {
public:
    BytesDecoder(const std::uint8_t *data, std::size_t size, int rate, int channels)
        : rate_(rate), channels_(channels) {
        samples_.resize(size / 2);
        for (std::size_t i = 0; i < samples_.size(); ++i)
            samples_[i] =
                static_cast<float>(static_cast<std::int16_t>(data[2 * i] | data[2 * i + 1] << 8)) / 32768.0f;
        frames_ = samples_.size() / static_cast<std::size_t>(channels_);
    }
    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::uint64_t length() const override { return frames_; }
    std::size_t read(float *out, std::size_t frames) override {
        const std::size_t n = std::min(frames, frames_ - std::min(frames_, at_));
        std::memcpy(out, samples_.data() + at_ * static_cast<std::size_t>(channels_),
                    n * static_cast<std::size_t>(channels_) * sizeof(float));
        at_ += n;
        return n;
    }
    bool seek(std::uint64_t frame) override {
        if (frame > frames_) return false;
        at_ = static_cast<std::size_t>(frame);
        return true;
    }

private:
    int rate_;
    int channels_;
    std::vector<float> samples_;
    std::size_t frames_ = 0;
    std::size_t at_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8) return 0;
    const int channels = 1 + data[0] % 8;
    const int rate = 1000 + (data[1] | data[2] << 8) * 3;
    const int outputRate = data[3] % 2 ? 44100 : 48000;
    const int freq = 100 + (data[4] | data[5] << 8) * 6;
    const int dsp = data[6] % 16;
    const std::uint8_t steps = data[7];
    auto decoder = std::make_unique<BytesDecoder>(data + 8, size - 8, rate, channels);
    Channel channel(Channel::Kind::Stream, std::move(decoder), false, false, outputRate);
    channel.fx().setDsp(dsp, 0);
    channel.setPan(static_cast<int>(steps % 201) - 100);
    if (Channel::playableFrequency(freq, outputRate)) channel.setFrequency(freq);

    std::vector<float> out(2 * 4096);
    std::vector<float> recent(2 * 2048);
    std::int64_t now = 0;
    for (int i = 0; i < 24 && !channel.finished(now, outputRate); ++i) {
        channel.fill(8192);
        const std::size_t frames = 64 + (static_cast<std::size_t>(steps) * (i + 1)) % 4000;
        std::fill(out.begin(), out.end(), 0.0f);
        channel.mixInto(out.data(), frames, now, outputRate);
        for (std::size_t k = 0; k < frames * 2; ++k)
            if (!std::isfinite(out[k])) std::abort();
        now += static_cast<std::int64_t>(frames) * 1000000000 / outputRate;
        channel.recent(recent.data(), 2048, now, outputRate);
        if (channel.heardFrame(now, outputRate) > channel.lengthFrames()) std::abort();
        if (i == 5) channel.seek(channel.lengthFrames() / 2);
        if (i == 9) channel.setFrequency(0);
    }
    return 0;
}
