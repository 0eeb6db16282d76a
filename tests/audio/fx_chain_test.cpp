// The effect chain of one channel: order, crossfades, errors, and what every effect must never do.
#include "FxChain.h"
#include "fx/ChainControl.h"
#include "fx_signals.h"

#include "bass_fx.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace fxtest;
using calvoran::audio::FxChain;
using calvoran::audio::fx::lastChainError;

namespace {

struct Numbered {
    int dsp;
    double gain; // the gain documented in bass_fx.h
};
constexpr Numbered kEffects[] = {{0, 1.0}, {1, 1.0}, {2, 1.37}, {3, 1.46}, {5, 1.0},   {6, 2.0}, {7, 1.5},
                                 {8, 1.0}, {9, 1.6}, {11, 1.0}, {12, 1.5}, {13, 1.71}, {15, 1.7}};

void run(FxChain &chain, Buffer &b, int channels, std::size_t block = 512) {
    inBlocks(b, channels, block, [&](float *p, std::size_t n) { chain.process(p, n); });
}

double maxStep(const Buffer &b, int channels, int channel) {
    double s = 0.0;
    for (std::size_t i = 1; i < b.size() / static_cast<std::size_t>(channels); ++i)
        s = std::max(
            s, static_cast<double>(std::fabs(at(b, channels, i, channel) - at(b, channels, i - 1, channel))));
    return s;
}

// A pure delay and a gate; which runs first shows in the output.
void setDelayAndGate(FxChain &chain, int delayPriority, int gatePriority, bool delayFirst) {
    auto addDelay = [&] {
        ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_ECHO, delayPriority));
        EchoParams e{0.0f, 1.0f, 0.0f, 0.1f};
        ASSERT_TRUE(chain.setParameters(BASS_FX_DSP_ECHO, &e));
    };
    auto addGate = [&] { ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_CUTTER, gatePriority)); };
    if (delayFirst) {
        addDelay();
        addGate();
    } else {
        addGate();
        addDelay();
    }
}

// At 0.15 s: gated-then-delayed shows the gate open at 0.05 s; delayed-then-gated shows it shut.
float levelAt150ms(FxChain &chain) {
    Buffer b(static_cast<std::size_t>(8000) * 2, 0.5f);
    run(chain, b, 2, 100);
    return at(b, 2, 1200, 0);
}

} // namespace

TEST(FxChain, HigherPriorityRunsFirstEqualInOrderOfSetting) {
    {
        FxChain chain(8000, 2);
        setDelayAndGate(chain, 1, 2, true); // gate higher: gate, then delay
        EXPECT_NEAR(levelAt150ms(chain), 0.5f, 1e-6);
    }
    {
        FxChain chain(8000, 2);
        setDelayAndGate(chain, 2, 1, false); // delay higher though set second
        EXPECT_NEAR(levelAt150ms(chain), 0.0f, 1e-6);
    }
    {
        FxChain chain(8000, 2);
        setDelayAndGate(chain, 1, 1, true); // equal: the delay was set first
        EXPECT_NEAR(levelAt150ms(chain), 0.0f, 1e-6);
    }
    {
        FxChain chain(8000, 2);
        setDelayAndGate(chain, 1, 1, false);
        EXPECT_NEAR(levelAt150ms(chain), 0.5f, 1e-6);
    }
}

TEST(FxChain, SwitchingFadesInsteadOfClicking) {
    const int rate = 44100;
    FxChain chain(rate, 2);
    // Opposite DC on the sides: swapping at once would jump by 1.0.
    Buffer b(static_cast<std::size_t>(rate) * 2, 0.0f);
    for (std::size_t i = 0; i < b.size(); i += 2) {
        b[i] = 0.5f;
        b[i + 1] = -0.5f;
    }
    Buffer first(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(b.size() / 2));
    Buffer second(b.begin() + static_cast<std::ptrdiff_t>(b.size() / 2), b.end());
    ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_SWAP, 1));
    run(chain, first, 2, 256);
    ASSERT_TRUE(chain.removeDsp(BASS_FX_DSP_SWAP));
    run(chain, second, 2, 256);

    EXPECT_LT(maxStep(first, 2, 0), 0.01) << "10 ms fade in";
    EXPECT_LT(maxStep(second, 2, 0), 0.01) << "10 ms fade out";
    EXPECT_FLOAT_EQ(at(first, 2, 0, 0), 0.5f);
    EXPECT_FLOAT_EQ(at(first, 2, rate / 50, 0), -0.5f) << "fully swapped after 20 ms";
    EXPECT_FLOAT_EQ(at(second, 2, rate / 50, 0), 0.5f) << "back to dry after 20 ms";
    EXPECT_FLOAT_EQ(second.back(), -0.5f);
}

TEST(FxChain, RefusesWhatItCannotDo) {
    FxChain chain(44100, 2);
    for (int dsp : {-1, 4, 10, 14, 16, 1000}) {
        EXPECT_FALSE(chain.setDsp(dsp, 0));
        EXPECT_EQ(lastChainError(), BASS_ERROR_ILLPARAM) << dsp;
        EXPECT_FALSE(chain.removeDsp(dsp));
        EXPECT_EQ(lastChainError(), BASS_ERROR_ILLPARAM) << dsp;
    }
    EXPECT_FALSE(chain.removeDsp(BASS_FX_DSP_ECHO));
    EXPECT_EQ(lastChainError(), BASS_ERROR_NOTAVAIL);
    EchoParams e{};
    EXPECT_FALSE(chain.getParameters(BASS_FX_DSP_ECHO, &e));
    EXPECT_EQ(lastChainError(), BASS_ERROR_NOTAVAIL);

    ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_ECHO, 1));
    EXPECT_FALSE(chain.setDsp(BASS_FX_DSP_ECHO, 1));
    EXPECT_EQ(lastChainError(), BASS_ERROR_ALREADY);
    EXPECT_FALSE(chain.setParameters(BASS_FX_DSP_ECHO, nullptr));
    EXPECT_EQ(lastChainError(), BASS_ERROR_ILLPARAM);
    const EchoParams bad{1.0f, 1.0f, 2.0f, 0.1f};
    EXPECT_FALSE(chain.setParameters(BASS_FX_DSP_ECHO, &bad));
    EXPECT_EQ(lastChainError(), BASS_ERROR_ILLPARAM);
    ASSERT_TRUE(chain.getParameters(BASS_FX_DSP_ECHO, &e));
    EXPECT_FLOAT_EQ(e.feedback, 0.3f) << "default kept";
    const EchoParams good{0.5f, 0.5f, 0.1f, 0.5f};
    ASSERT_TRUE(chain.setParameters(BASS_FX_DSP_ECHO, &good));
    ASSERT_TRUE(chain.getParameters(BASS_FX_DSP_ECHO, &e));
    EXPECT_FLOAT_EQ(e.delay, 0.5f);

    ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_SWAP, 1));
    char none[4] = {};
    EXPECT_FALSE(chain.setParameters(BASS_FX_DSP_SWAP, none));
    EXPECT_EQ(lastChainError(), BASS_ERROR_ILLPARAM);

    ASSERT_TRUE(chain.removeDsp(BASS_FX_DSP_ECHO));
    EXPECT_FALSE(chain.removeDsp(BASS_FX_DSP_ECHO));
    EXPECT_EQ(lastChainError(), BASS_ERROR_NOTAVAIL);
    EXPECT_TRUE(chain.setDsp(BASS_FX_DSP_ECHO, 1)) << "set again while the old one fades out";
}

TEST(FxChain, EveryEffectKeepsSilenceSilentAndSignalsFiniteAndBounded) {
    for (const Numbered &n : kEffects) {
        for (int channels : {1, 2, 6}) {
            for (int rate : {8000, 44100, 96000}) {
                SCOPED_TRACE(testing::Message()
                             << "dsp " << n.dsp << ", " << channels << " ch, " << rate << " Hz");
                FxChain chain(rate, channels);
                ASSERT_TRUE(chain.setDsp(n.dsp, 0));
                if (n.dsp == BASS_FX_DSP_PEAKEQ) {
                    EqBandParams p{0, 0u, 2.5f, 0.0f, 1000.0f, 0.0f};
                    ASSERT_TRUE(chain.setParameters(n.dsp, &p));
                }
                Buffer silence(static_cast<std::size_t>(rate / 2) * static_cast<std::size_t>(channels), 0.0f);
                run(chain, silence, channels);
                EXPECT_EQ(peak(silence), 0.0);

                Buffer loud = noise(channels, static_cast<std::size_t>(rate) * 2, 1.0f);
                run(chain, loud, channels, 333);
                EXPECT_TRUE(allFinite(loud));
                EXPECT_LE(peak(loud), n.gain + 1e-3);

                // After sound ends, the effect returns to silence rather than ringing or drifting.
                Buffer after(static_cast<std::size_t>(rate) * 6 * static_cast<std::size_t>(channels), 0.0f);
                run(chain, after, channels, 1024);
                const std::size_t tail = static_cast<std::size_t>(rate) * static_cast<std::size_t>(channels);
                EXPECT_LT(peak(Buffer(after.end() - static_cast<std::ptrdiff_t>(tail), after.end())), 1e-4);
            }
        }
    }
}

TEST(FxChain, DecayingTailsAreFlushedNotSubnormal) {
    // Long enough for every feedback path to decay below the smallest normal float.
    for (const Numbered &n : kEffects) {
        SCOPED_TRACE(testing::Message() << "dsp " << n.dsp);
        FxChain chain(8000, 1);
        ASSERT_TRUE(chain.setDsp(n.dsp, 0));
        if (n.dsp == BASS_FX_DSP_PEAKEQ) {
            EqBandParams p{0, 0u, 1.0f, 0.0f, 500.0f, 12.0f};
            ASSERT_TRUE(chain.setParameters(n.dsp, &p));
        }
        Buffer b = noise(1, 8000, 1.0f);
        b.resize(8000 * 40, 0.0f);
        run(chain, b, 1, 1000);
        EXPECT_EQ(
            std::count_if(b.begin(), b.end(), [](float x) { return std::fpclassify(x) == FP_SUBNORMAL; }), 0);
    }
}

TEST(FxChain, BufferSizeDoesNotChangeTheSound) {
    const Buffer in = noise(2, 44100, 0.8f, 5);
    for (const Numbered &n : kEffects) {
        SCOPED_TRACE(testing::Message() << "dsp " << n.dsp);
        Buffer reference;
        for (std::size_t block : {4096u, 1u, 37u, 512u}) {
            FxChain chain(44100, 2);
            ASSERT_TRUE(chain.setDsp(n.dsp, 0));
            Buffer out = in;
            run(chain, out, 2, block);
            if (reference.empty()) {
                reference = out;
                continue;
            }
            double worst = 0.0;
            for (std::size_t i = 0; i < out.size(); ++i)
                worst = std::max(worst, static_cast<double>(std::fabs(out[i] - reference[i])));
            EXPECT_LT(worst, 1e-4) << "block " << block;
        }
    }
}

TEST(FxChain, BrokenInputCannotPoisonTheEffects) {
    for (const Numbered &n : kEffects) {
        SCOPED_TRACE(testing::Message() << "dsp " << n.dsp);
        FxChain chain(44100, 2);
        ASSERT_TRUE(chain.setDsp(n.dsp, 0));
        Buffer bad = noise(2, 4410, 1.0f);
        bad[100] = NAN;
        bad[201] = INFINITY;
        bad[302] = -1e30f;
        run(chain, bad, 2);
        EXPECT_TRUE(allFinite(bad));
        EXPECT_LE(peak(bad), 64.0 * n.gain + 1e-3);
        FxChain fresh(44100, 2); // the clamped spikes above would still ring in `chain`
        ASSERT_TRUE(fresh.setDsp(n.dsp, 0));
        Buffer big = noise(2, 44100, 10.0f, 7);
        run(fresh, big, 2);
        EXPECT_TRUE(allFinite(big));
        EXPECT_LE(peak(big), 10.0 * n.gain + 1e-2) << "beyond full scale, still bounded";
    }
}

TEST(FxChain, FormatChangeAndFlatBands) {
    FxChain chain(44100, 2);
    ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_LPF, 0));
    chain.reset(22050, 1);
    const double cut =
        toneGainDb(22050, 1, 8000.0, 256, [&](float *p, std::size_t n) { chain.process(p, n); });
    EXPECT_LT(cut, -20.0);

    FxChain eq(48000, 2);
    const std::uint32_t a = eq.addParamEq();
    const std::uint32_t b = eq.addParamEq();
    const std::uint32_t c = eq.addParamEq();
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    Buffer in = noise(2, 48000, 0.5f);
    Buffer out = in;
    run(eq, out, 2);
    for (std::size_t i = 0; i < in.size(); ++i)
        ASSERT_NEAR(out[i], in[i], 1e-5f);
}

TEST(FxChain, FreeTakesEffectsOffEveryChain) {
    FxChain one(44100, 2), two(44100, 1);
    ASSERT_TRUE(one.setDsp(BASS_FX_DSP_SWAP, 1));
    ASSERT_TRUE(two.setDsp(BASS_FX_DSP_CUTTER, 1));
    calvoran::audio::fx::removeEffectsFromAllChains();
    Buffer b1(44100 * 2), b2(44100);
    for (std::size_t i = 0; i < b1.size(); ++i)
        b1[i] = i % 2 ? -0.25f : 0.25f;
    std::fill(b2.begin(), b2.end(), 0.25f);
    run(one, b1, 2);
    run(two, b2, 1);
    EXPECT_FLOAT_EQ(b1[b1.size() - 2], 0.25f);
    EXPECT_FLOAT_EQ(b2[b2.size() / 2 + 1000], 0.25f) << "no more gating";
    EXPECT_FALSE(one.removeDsp(BASS_FX_DSP_SWAP));
    EXPECT_EQ(lastChainError(), BASS_ERROR_NOTAVAIL);
}

TEST(FxChain, SettersWhileTheMixerProcesses) {
    FxChain chain(44100, 2);
    std::atomic<bool> stop{false};
    std::atomic<bool> finite{true};
    // Like the mixer, one block at a time with a pause between: a thread that relocks at once would keep
    // the lock from the setters for as long as the scheduler lets it, and the test's length would be luck.
    std::thread mixer([&] {
        Buffer b = noise(2, 1024, 0.5f);
        while (!stop.load()) {
            Buffer work = b;
            chain.process(work.data(), 1024);
            if (!allFinite(work)) finite = false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int round = 0; round < 200; ++round) {
        for (const Numbered &n : kEffects)
            chain.setDsp(n.dsp, round % 3);
        EqBandParams p{round % 3, 44100u, 2.5f, 0.0f, 1000.0f, static_cast<float>(round % 20 - 10)};
        chain.setParameters(BASS_FX_DSP_PEAKEQ, &p);
        chain.addParamEq();
        for (const Numbered &n : kEffects)
            chain.removeDsp(n.dsp);
        if (round % 50 == 0) chain.reset(round % 100 == 0 ? 48000 : 44100, 2);
    }
    stop = true;
    mixer.join();
    EXPECT_TRUE(finite.load());
}

TEST(FxChain, AFormatWithoutARateStillGivesNumbers) {
    for (const Numbered &n : kEffects) {
        FxChain chain(0, 0);
        ASSERT_TRUE(chain.setDsp(n.dsp, 0));
        Buffer b = noise(1, 4000, 0.5f);
        run(chain, b, 1);
        EXPECT_TRUE(allFinite(b)) << "dsp " << n.dsp;
    }
}
