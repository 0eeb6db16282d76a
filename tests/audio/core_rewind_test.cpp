// Mixing again what the device has queued but not yet played: the sound continues where it should, and a
// change made meanwhile reaches the frames mixed again.
#include "Channel.h"
#include "Mixer.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace calvoran::audio {
namespace {

// A stereo ramp whose every frame tells where it came from.
class RampDecoder final : public Decoder {
public:
    int rate() const override { return 44100; }
    int channels() const override { return 2; }
    std::uint64_t length() const override { return 10'000'000; }
    std::size_t read(float *out, std::size_t frames) override {
        for (std::size_t i = 0; i < frames; ++i, ++at_)
            out[2 * i] = out[2 * i + 1] = static_cast<float>(at_ % 2000) / 4000.0f;
        return frames;
    }
    bool seek(std::uint64_t frame) override {
        at_ = frame;
        return true;
    }

private:
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

} // namespace
} // namespace calvoran::audio
