// A switched effect must be heard within 50 ms: measured in the exact output of the disk driver, against
// the position the library reported as heard when the switch was made.
#include "bass_fx.h"
#include "core_support.h"

#include <cstdio>

using namespace calvoran::audio::test;

namespace {

constexpr int kRate = 44100;
constexpr double kBudget = 0.050;

// First frame at or after `from` where the given side rises above the threshold.
std::size_t firstAbove(const std::vector<std::int16_t> &s, int side, std::size_t from, int threshold = 64) {
    const std::size_t frames = s.size() / 2;
    for (std::size_t i = from; i < frames; ++i)
        if (std::abs(int{s[2 * i + static_cast<std::size_t>(side)]}) > threshold) return i;
    return frames;
}

} // namespace

TEST(EffectLatency, SwitchingAnEffectOnAndOffIsHeardWithinFiftyMilliseconds) {
    fx::TestDir dir;
    // A tone on the left only: swapping moves it to the right, which is silent otherwise.
    auto samples = fx::sine(1000, 2.5, kRate, 2, 0.5);
    for (std::size_t i = 1; i < samples.size(); i += 2)
        samples[i] = 0.0f;
    const auto file = dir.file("left.wav");
    ASSERT_TRUE(fx::writeWav(file, samples, kRate, 2));
    const auto raw = dir.file("capture.raw");
    setEnv("SDL_AUDIODRIVER", "disk");
    setEnv("SDL_DISKAUDIOFILE", raw.string());

    QWORD onAt = 0, offAt = 0;
    {
        Library library(1, kRate);
        ASSERT_TRUE(library.ok());
        const DWORD stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        onAt = BASS_ChannelGetPosition(stream);
        ASSERT_TRUE(BASS_FX_DSP_Set(stream, BASS_FX_DSP_SWAP, 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        offAt = BASS_ChannelGetPosition(stream);
        ASSERT_TRUE(BASS_FX_DSP_Remove(stream, BASS_FX_DSP_SWAP));
        EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) != BASS_ACTIVE_PLAYING; },
                            std::chrono::milliseconds(5000)));
    }
    setEnv("SDL_AUDIODRIVER", "dummy");
    const auto out = readCapture(raw);
    ASSERT_FALSE(out.empty());

    const std::size_t start = firstAbove(out, 0, 0);
    ASSERT_LT(start, out.size() / 2) << "nothing was heard";
    const std::size_t onFrame = start + static_cast<std::size_t>(onAt / 4);
    const std::size_t offFrame = start + static_cast<std::size_t>(offAt / 4);

    // On: the right side starts to sound.
    const std::size_t heardOn = firstAbove(out, 1, start);
    const double onDelay = (static_cast<double>(heardOn) - static_cast<double>(onFrame)) / kRate;
    EXPECT_GT(onDelay, -0.005) << "heard before it was switched";
    EXPECT_LT(onDelay, kBudget);

    // Off: the left side sounds again (it was silent while swapped).
    const std::size_t quietLeft = heardOn + kRate / 10;
    ASSERT_LT(quietLeft, offFrame);
    EXPECT_EQ(firstAbove(out, 0, quietLeft),
              firstAbove(out, 0, offFrame > kRate / 20 ? offFrame - kRate / 20 : 0))
        << "the left side came back long before the switch";
    const std::size_t heardOff = firstAbove(out, 0, quietLeft);
    const double offDelay = (static_cast<double>(heardOff) - static_cast<double>(offFrame)) / kRate;
    EXPECT_GT(offDelay, -0.005);
    EXPECT_LT(offDelay, kBudget);
    std::printf("effect heard %.1f ms after switching on, %.1f ms after switching off\n", onDelay * 1000,
                offDelay * 1000);
}
