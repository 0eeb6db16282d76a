// Mixing again what the device has queued but not yet played: the sound continues where it should, and a
// change made meanwhile reaches the frames mixed again.
#include "Channel.h"
#include "Mixer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace calvoran::audio {
namespace {

// A stereo ramp whose every frame tells where it came from.
class RampDecoder final : public Decoder {
public:
    explicit RampDecoder(std::uint64_t length = 10'000'000) : length_(length) {}
    int rate() const override { return 44100; }
    int channels() const override { return 2; }
    std::uint64_t length() const override { return length_; }
    std::size_t read(float *out, std::size_t frames) override {
        frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, length_ - at_));
        for (std::size_t i = 0; i < frames; ++i, ++at_)
            out[2 * i] = out[2 * i + 1] = static_cast<float>(at_ % 2000) / 4000.0f;
        return frames;
    }
    bool seek(std::uint64_t frame) override {
        at_ = frame;
        return true;
    }

private:
    std::uint64_t length_;
    std::uint64_t at_ = 0;
};

struct Player {
    Mixer mixer{44100};
    Channel channel{Channel::Kind::Stream, std::make_unique<RampDecoder>(), false, false, 44100};
    Player() { mixer.add(&channel); }
    ~Player() { mixer.remove(&channel); }
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;
    // Mixes `frames` in device-sized blocks, decoding ahead as the update thread would.
    std::vector<std::int16_t> play(std::size_t frames) {
        std::vector<std::int16_t> out(frames * 2);
        for (std::size_t done = 0; done < frames; done += 1000) {
            channel.fill(40000);
            mixer.render(out.data() + 2 * done, std::min<std::size_t>(1000, frames - done), 0);
        }
        return out;
    }
};

std::int16_t rampSample(std::uint64_t frame) {
    std::vector<std::int16_t> one(2);
    Player reference;
    reference.channel.seek(frame);
    reference.channel.fill(10);
    reference.mixer.render(one.data(), 1, 0);
    return one[0];
}

TEST(MixingAgain, GoesOnSeamlesslyWhenNothingChanged) {
    Player straight;
    const auto whole = straight.play(30000);

    Player rewound;
    auto first = rewound.play(30000);
    ASSERT_EQ(rewound.mixer.rewind(12000), 12000u);
    const auto again = rewound.play(12000);
    first.resize(18000 * 2);
    first.insert(first.end(), again.begin(), again.end());
    EXPECT_EQ(first, whole);
}

TEST(MixingAgain, ChangesReachTheFramesMixedAgain) {
    Player player;
    const auto before = player.play(20000);
    ASSERT_EQ(player.mixer.rewind(5000), 5000u);
    player.channel.setVolume(50);
    const auto again = player.play(5000);
    for (std::size_t i = 0; i < 5000; i += 250) {
        const int old = before[2 * (15000 + i)];
        EXPECT_NEAR(again[2 * i], old / 2, 1) << "frame " << 15000 + i;
    }
}

TEST(MixingAgain, GoesBackOnlyAsFarAsTheChannelKeptAndStaysInStep) {
    Player player;
    player.play(200000);
    const std::size_t back = player.mixer.rewind(150000);
    EXPECT_GT(back, 40000u); // about a second is kept
    EXPECT_LT(back, 150000u);
    const auto again = player.play(10);
    // The first frame mixed again is the one that followed what is kept.
    EXPECT_EQ(again[0], rampSample(200000 - back));
}

TEST(MixingAgain, AfterASeekOnlyTheNewPositionPlays) {
    Player player;
    player.play(20000);
    player.channel.seek(100000);
    player.channel.fill(40000);
    // Nothing mixed since the seek is there to take back; the queue is mixed again from the new place.
    player.mixer.rewind(8000);
    const auto again = player.play(10);
    EXPECT_EQ(again[0], rampSample(100000));
}

// Decoding is woken by the mixer, not by the clock: only when a fifth of what was decoded ahead has been
// taken, and never for a stream that has nothing more to give.
TEST(DecodingAhead, MixerAsksForMoreOnlyWhenARingRunsLow) {
    int asked = 0;
    Mixer mixer{44100, [&asked] { ++asked; }};
    std::vector<std::int16_t> out(2 * 44100);
    const auto take = [&](std::size_t frames) { mixer.render(out.data(), frames, 0); };

    Channel playing{Channel::Kind::Stream, std::make_unique<RampDecoder>(), false, false, 44100};
    mixer.add(&playing);
    playing.fill(22050);
    take(4000);
    EXPECT_EQ(asked, 0);
    take(800);
    EXPECT_EQ(asked, 1);
    playing.fill(22050);
    take(4000);
    EXPECT_EQ(asked, 1);
    mixer.remove(&playing);

    // 30,000 frames: the second top-up reaches the end.
    Channel ending{Channel::Kind::Stream, std::make_unique<RampDecoder>(30000), false, false, 44100};
    mixer.add(&ending);
    ending.fill(22050);
    asked = 0;
    take(8000);
    EXPECT_EQ(asked, 1);
    ending.fill(22050);
    take(22050);
    EXPECT_EQ(asked, 1);
    mixer.remove(&ending);
}

} // namespace
} // namespace calvoran::audio
