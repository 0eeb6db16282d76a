// What each effect does to the sound, measured on plain buffers.
#include "fx/AutoWah.h"
#include "fx/Cutter.h"
#include "fx/DynAmp.h"
#include "fx/Echo.h"
#include "fx/FilteredEcho.h"
#include "fx/Flanger.h"
#include "fx/LowPass.h"
#include "fx/PingPongEcho.h"
#include "fx/Reverb.h"
#include "fx/Rotate.h"
#include "fx/SwapChannels.h"
#include "fx_signals.h"

#include <gtest/gtest.h>

using namespace fxtest;
namespace fx = calvoran::audio::fx;

namespace {

template <typename E> void run(E &e, Buffer &b, int channels, std::size_t block = 441) {
    inBlocks(b, channels, block, [&](float *p, std::size_t n) { e.process(p, n); });
}

// Frames at which one channel's value exceeds `threshold` in size, first `limit` of them.
std::vector<std::size_t> hits(const Buffer &b, int channels, int channel, float threshold) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < b.size() / static_cast<std::size_t>(channels); ++i)
        if (std::fabs(at(b, channels, i, channel)) > threshold) out.push_back(i);
    return out;
}

} // namespace

TEST(SwapChannels, ExchangesLeftAndRightOnly) {
    fx::SwapChannels swap;
    swap.prepare(44100, 3);
    Buffer b{0.1f, 0.2f, 0.3f, -0.4f, -0.5f, -0.6f};
    swap.process(b.data(), 2);
    EXPECT_EQ(b, (Buffer{0.2f, 0.1f, 0.3f, -0.5f, -0.4f, -0.6f}));

    swap.prepare(44100, 1);
    Buffer mono{0.1f, 0.2f};
    swap.process(mono.data(), 2);
    EXPECT_EQ(mono, (Buffer{0.1f, 0.2f}));
}

TEST(Rotate, MovesTheSoundFromSideToSide) {
    const int rate = 8000;
    fx::Rotate rot;
    rot.prepare(rate, 2);
    ASSERT_FLOAT_EQ(rot.params().rate, 0.25f);
    Buffer b(static_cast<std::size_t>(4 * rate) * 2, 0.5f); // one full cycle of constant level
    run(rot, b, 2);
    auto level = [&](double t, int ch) {
        const auto f = static_cast<std::size_t>(t * rate);
        return rms(b, 2, ch, f - 40, f + 40);
    };
    EXPECT_NEAR(level(0.0 + 0.01, 0), 0.5, 0.01); // centre
    EXPECT_NEAR(level(0.0 + 0.01, 1), 0.5, 0.01);
    EXPECT_LT(level(1.0, 0), 0.01); // fully right
    EXPECT_NEAR(level(1.0, 1), 0.5, 0.001);
    EXPECT_NEAR(level(3.0, 0), 0.5, 0.001); // fully left
    EXPECT_LT(level(3.0, 1), 0.01);
    EXPECT_LE(peak(b), 0.5);
    // Smooth: no step between neighbouring samples bigger than the sweep allows.
    for (std::size_t i = 2; i < b.size(); i += 2)
        ASSERT_LT(std::fabs(b[i] - b[i - 2]), 0.01f);

    fx::Rotate mono;
    mono.prepare(rate, 1);
    Buffer m(8000, 0.5f);
    run(mono, m, 1);
    EXPECT_EQ(peak(m), 0.5);
    EXPECT_FALSE(rot.setParams(RotateParams{0.0f, 1.0f}));
}

TEST(Echo, RepeatsAtItsDelayAndDiesAway) {
    for (int rate : {44100, 48000, 11025}) {
        fx::Echo echo;
        echo.prepare(rate, 2);
        const EchoParams p = echo.params();
        ASSERT_FLOAT_EQ(p.delay, 0.25f);
        Buffer b = impulse(2, static_cast<std::size_t>(rate) * 3);
        run(echo, b, 2);
        const auto d = static_cast<std::size_t>(std::lround(0.25 * rate));
        const auto h = hits(b, 2, 1, 1e-6f);
        ASSERT_GE(h.size(), 4u);
        EXPECT_EQ(h[0], 0u);
        EXPECT_EQ(h[1], d);
        EXPECT_EQ(h[2], 2 * d);
        EXPECT_FLOAT_EQ(at(b, 2, 0, 0), p.dry);
        EXPECT_FLOAT_EQ(at(b, 2, d, 0), p.wet);
        EXPECT_FLOAT_EQ(at(b, 2, 2 * d, 0), p.wet * p.feedback);
        EXPECT_LT(std::fabs(at(b, 2, 10 * d, 0)), 1e-5f);
    }
    fx::Echo e;
    EXPECT_TRUE(e.setParams(EchoParams{1.0f, 1.0f, 0.5f, 0.1f}));
    EXPECT_FALSE(e.setParams(EchoParams{1.0f, 1.0f, 1.0f, 0.1f})) << "feedback 1 never dies away";
    EXPECT_FALSE(e.setParams(EchoParams{1.0f, 1.0f, 0.5f, 5.0f})) << "longer than the line";
}

TEST(PingPongEcho, RepeatsAlternateBetweenSides) {
    const int rate = 22050;
    fx::PingPongEcho echo;
    echo.prepare(rate, 2);
    const EchoParams p = echo.params();
    Buffer b = impulse(2, static_cast<std::size_t>(rate) * 2);
    run(echo, b, 2, 300);
    const auto d = static_cast<std::size_t>(std::lround(p.delay * rate));
    const auto left = hits(b, 2, 0, 1e-6f);
    const auto right = hits(b, 2, 1, 1e-6f);
    ASSERT_GE(left.size(), 3u);
    ASSERT_GE(right.size(), 2u);
    EXPECT_EQ(left[1], d);
    EXPECT_EQ(left[2], 3 * d);
    EXPECT_EQ(right[1], 2 * d);
    EXPECT_FLOAT_EQ(at(b, 2, d, 0), p.wet);
    EXPECT_FLOAT_EQ(at(b, 2, 2 * d, 1), p.wet * p.feedback);
    EXPECT_FLOAT_EQ(at(b, 2, 3 * d, 0), p.wet * p.feedback * p.feedback);

    // Mono: a plain echo at the same delay.
    fx::PingPongEcho mono;
    mono.prepare(rate, 1);
    Buffer m = impulse(1, static_cast<std::size_t>(rate));
    run(mono, m, 1);
    const auto mh = hits(m, 1, 0, 1e-6f);
    ASSERT_GE(mh.size(), 3u);
    EXPECT_EQ(mh[1], d);
    EXPECT_EQ(mh[2], 2 * d);
}

TEST(FilteredEcho, FirstRepeatAtItsDelayLaterRepeatsDarker) {
    const int rate = 44100;
    fx::FilteredEcho echo;
    echo.prepare(rate, 1);
    const Echo21Params p = echo.params();
    const auto d = static_cast<std::size_t>(std::lround(p.delay * rate));
    Buffer b = impulse(1, 2 * d);
    run(echo, b, 1);
    EXPECT_FLOAT_EQ(at(b, 1, d, 0), p.wet);
    for (std::size_t i = 1; i < d; ++i)
        ASSERT_EQ(at(b, 1, i, 0), 0.0f);

    // A short tone burst; how much of each repeat is left after the third pass, low against high.
    auto decay = [&](double freq) {
        fx::FilteredEcho e;
        e.prepare(rate, 1);
        Buffer s = sine(rate, 1, freq, 0.5, 0.05);
        s.resize(static_cast<std::size_t>(rate) * 2, 0.0f);
        run(e, s, 1);
        const std::size_t burst = static_cast<std::size_t>(0.05 * rate);
        return rms(s, 1, 0, 3 * d, 3 * d + burst) / rms(s, 1, 0, d, d + burst);
    };
    const double low = decay(300.0);
    const double high = decay(8000.0);
    EXPECT_GT(low, 0.15);
    EXPECT_LT(high, low / 4.0);
}

TEST(Flanger, SweepsNotchesThroughATone) {
    for (auto variant : {fx::Flanger::Variant::Classic, fx::Flanger::Variant::V2}) {
        const int rate = 44100;
        fx::Flanger fl(variant);
        fl.prepare(rate, 2);
        Buffer b = sine(rate, 2, 1000.0, 0.5, 8.0);
        run(fl, b, 2);
        double lo = 1e9, hi = 0.0, sideDiff = 0.0;
        for (std::size_t f = static_cast<std::size_t>(rate); f + 441 < b.size() / 2; f += 441) {
            const double l = rms(b, 2, 0, f, f + 441);
            lo = std::min(lo, l);
            hi = std::max(hi, l);
            sideDiff = std::max(sideDiff, std::fabs(l - rms(b, 2, 1, f, f + 441)));
        }
        EXPECT_LT(lo, 0.4 * hi) << "the comb's notches pass over the tone";
        EXPECT_GT(hi, 0.35);
        if (variant == fx::Flanger::Variant::V2)
            EXPECT_GT(sideDiff, 0.1) << "left and right sweep apart";
        else
            EXPECT_LT(sideDiff, 1e-6) << "both sides sweep together";
    }
}

TEST(Reverb, TailFollowsAnImpulseAndDecays) {
    for (int rate : {44100, 96000}) {
        fx::Reverb rev;
        rev.prepare(rate, 2);
        Buffer b = impulse(2, static_cast<std::size_t>(rate) * 5, 0.5f);
        run(rev, b, 2, 1024);
        auto energy = [&](double from, double to) {
            return rms(b, 2, 0, static_cast<std::size_t>(from * rate), static_cast<std::size_t>(to * rate));
        };
        const double early = energy(0.05, 0.25);
        EXPECT_GT(early, 1e-3) << "there is a tail";
        EXPECT_LT(energy(1.0, 1.2), early / 4.0);
        EXPECT_LT(energy(4.0, 5.0), early / 1000.0) << "below -60 dB after four seconds";
        // The sides differ: the right network's delays are longer.
        double diff = 0.0;
        for (std::size_t i = static_cast<std::size_t>(0.05 * rate); i < static_cast<std::size_t>(0.2 * rate);
             ++i)
            diff = std::max(diff, static_cast<double>(std::fabs(at(b, 2, i, 0) - at(b, 2, i, 1))));
        EXPECT_GT(diff, 1e-3);
    }
}

TEST(LowPass, PassesLowsCutsHighs) {
    for (int rate : {44100, 48000, 32000}) {
        fx::LowPass lpf;
        lpf.prepare(rate, 2);
        auto gain = [&](double f) {
            return toneGainDb(rate, 2, f, 512, [&](float *p, std::size_t n) { lpf.process(p, n); });
        };
        EXPECT_NEAR(gain(200.0), 0.0, 1.0) << rate;
        EXPECT_LT(gain(10000.0), -20.0) << rate;
        EXPECT_LT(gain(1500.0), 1.5) << "resonance stays within its Q";
    }
    fx::LowPass lpf;
    lpf.prepare(8000, 1);
    ASSERT_TRUE(lpf.setParams(LpfParams{20000.0f, 2.0f})); // above the rate's reach: limited
    Buffer b = noise(1, 8000, 1.0f);
    run(lpf, b, 1);
    EXPECT_TRUE(allFinite(b));
}

TEST(Cutter, GatesAtItsRate) {
    const int rate = 10000;
    fx::Cutter cut;
    cut.prepare(rate, 2);
    ASSERT_FLOAT_EQ(cut.params().rate, 4.0f);
    Buffer b(static_cast<std::size_t>(2 * rate) * 2, 0.8f);
    run(cut, b, 2, 333);
    int openings = 0, open = 0;
    bool wasOpen = true;
    for (std::size_t i = 0; i < b.size() / 2; ++i) {
        const bool isOpen = at(b, 2, i, 0) > 0.4f;
        open += isOpen ? 1 : 0;
        if (isOpen && !wasOpen) ++openings;
        wasOpen = isOpen;
        ASSERT_EQ(at(b, 2, i, 0), at(b, 2, i, 1));
    }
    EXPECT_EQ(openings, 7); // 8 cycles in 2 s; the first starts open
    EXPECT_NEAR(static_cast<double>(open) / (b.size() / 2), 0.5, 0.02);
    EXPECT_EQ(at(b, 2, static_cast<std::size_t>(0.2 * rate), 0), 0.0f) << "closed means silent";
    // Edges take 3 ms: never a jump from open to closed in one sample.
    for (std::size_t i = 2; i < b.size(); i += 2)
        ASSERT_LT(std::fabs(b[i] - b[i - 2]), 0.05f);
}

TEST(DynAmp, RaisesQuietAndTamesLoud) {
    const int rate = 44100;
    fx::DynAmp amp;
    amp.prepare(rate, 2);
    const DynAmpParams p = amp.params();
    // Three seconds at -30 dBFS: raised by the full range.
    Buffer quiet = sine(rate, 2, 440.0, 0.0316, 3.0);
    run(amp, quiet, 2);
    const std::size_t n = quiet.size() / 2;
    const double raised = db(rms(quiet, 2, 0, n - rate / 2, n) / (0.0316 / std::sqrt(2.0)));
    EXPECT_GT(raised, 15.0);
    EXPECT_LT(raised, db(p.maxGain) + 0.1);
    // Then a loud passage: at once no louder than full scale, and soon near the target.
    Buffer loud = sine(rate, 2, 440.0, 0.9, 2.0);
    run(amp, loud, 2);
    EXPECT_LE(peak(loud), 1.0);
    double tail = 0.0;
    for (std::size_t i = loud.size() / 2; i < loud.size(); ++i)
        tail = std::max(tail, static_cast<double>(std::fabs(loud[i])));
    EXPECT_NEAR(tail, p.target, 0.05);
    // Silence stays silence.
    Buffer silent(static_cast<std::size_t>(rate) * 2, 0.0f);
    run(amp, silent, 2);
    EXPECT_EQ(peak(silent), 0.0);
}

TEST(AutoWah, LoudnessOpensTheFilter) {
    const int rate = 44100;
    // Output over input of a 2.5 kHz tone: the band only reaches it when the sound is loud.
    auto relGain = [&](double amp) {
        fx::AutoWah wah;
        wah.prepare(rate, 2);
        Buffer in = sine(rate, 2, 2500.0, amp, 1.0);
        Buffer out = in;
        run(wah, out, 2);
        const std::size_t n = in.size() / 2;
        return std::pair{db(rms(out, 2, 0, n / 2, n) / rms(in, 2, 0, n / 2, n)), wah.centre()};
    };
    const auto [loudGain, loudCentre] = relGain(0.9);
    const auto [quietGain, quietCentre] = relGain(0.005);
    EXPECT_GT(loudCentre, 2000.0f);
    EXPECT_LT(quietCentre, 500.0f);
    EXPECT_GT(loudGain - quietGain, 3.0);
    EXPECT_LT(loudGain, db(1.2) + 0.2) << "dry + wet at the centre";
}
