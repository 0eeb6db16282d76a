// The peaking equaliser, measured with tones: the three-band use of the equaliser window.
#include "FxChain.h"
#include "fx/ChainControl.h"
#include "fx/PeakEq.h"
#include "fx_signals.h"

#include <gtest/gtest.h>

using namespace fxtest;
using calvoran::audio::FxChain;
using calvoran::audio::fx::PeakEq;

namespace {

constexpr float kCentres[3] = {125.0f, 1000.0f, 8000.0f};

EqBandParams band(int number, float gain) {
    return EqBandParams{number, 44100u, 2.5f, 0.0f, kCentres[number], gain};
}

// The equaliser window's switch-on: DSP 5 three times, then one record per band.
void switchOn(FxChain &chain, const float (&gains)[3]) {
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(chain.setDsp(BASS_FX_DSP_PEAKEQ, 0));
    for (int i = 0; i < 3; ++i) {
        EqBandParams p = band(i, gains[i]);
        ASSERT_TRUE(chain.setParameters(BASS_FX_DSP_PEAKEQ, &p));
    }
}

double chainGainDb(FxChain &chain, int rate, double freq) {
    return toneGainDb(rate, 2, freq, 1024, [&](float *p, std::size_t n) { chain.process(p, n); });
}

} // namespace

TEST(PeakEq, EachBandGivesItsGainAtItsCentre) {
    for (int rate : {44100, 48000, 22050}) {
        for (int b = 0; b < 3; ++b) {
            PeakEq eq;
            eq.prepare(rate, 2);
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(eq.addBand(), i);
            ASSERT_TRUE(eq.setBand(band(b, 2.0f)));
            const double g =
                toneGainDb(rate, 2, kCentres[b], 700, [&](float *p, std::size_t n) { eq.process(p, n); });
            EXPECT_NEAR(g, 2.0, 0.3) << "band " << b << " at " << rate << " Hz";
            // An octave and more from the other two centres, a single band leaves them nearly alone.
            for (int other = 0; other < 3; ++other)
                if (other != b && rate >= 44100) { // at 22 kHz the 8 kHz band is warped wide
                    const double o = toneGainDb(rate, 2, kCentres[other], 700,
                                                [&](float *p, std::size_t n) { eq.process(p, n); });
                    EXPECT_LT(std::fabs(o), 0.5) << "band " << b << " at " << kCentres[other] << " Hz";
                }
        }
    }
}

TEST(PeakEq, SwitchOnAtPlusTwoThenTrebleToTop) {
    FxChain chain(44100, 2);
    switchOn(chain, {2.0f, 2.0f, 2.0f});
    const double bassBefore = chainGainDb(chain, 44100, 125.0);
    for (float f : kCentres)
        EXPECT_NEAR(chainGainDb(chain, 44100, f), 2.0, 0.3) << f << " Hz";

    // Treble slider to the top: band 2 read back, gain changed, written again.
    EqBandParams p{};
    p.band = 2;
    ASSERT_TRUE(chain.getParameters(BASS_FX_DSP_PEAKEQ, &p));
    EXPECT_EQ(p.band, 2);
    EXPECT_EQ(p.sampleRate, 44100u);
    EXPECT_FLOAT_EQ(p.centre, 8000.0f);
    EXPECT_FLOAT_EQ(p.bandwidth, 2.5f);
    EXPECT_FLOAT_EQ(p.gain, 2.0f);
    p.gain = 10.0f;
    ASSERT_TRUE(chain.setParameters(BASS_FX_DSP_PEAKEQ, &p));
    EXPECT_NEAR(chainGainDb(chain, 44100, 8000.0), 10.0, 0.3);
    EXPECT_NEAR(chainGainDb(chain, 44100, 125.0), bassBefore, 0.5);

    // Treble alone at +10: the bass is left within half a decibel of flat.
    FxChain alone(44100, 2);
    switchOn(alone, {0.0f, 0.0f, 10.0f});
    EXPECT_NEAR(chainGainDb(alone, 44100, 8000.0), 10.0, 0.3);
    EXPECT_NEAR(chainGainDb(alone, 44100, 125.0), 0.0, 0.5);
    EXPECT_NEAR(chainGainDb(alone, 44100, 1000.0), 0.0, 1.5);
}

TEST(PeakEq, OffThenOnReappliesTheGains) {
    FxChain chain(44100, 2);
    const float gains[3] = {-6.0f, 4.0f, 8.0f};
    switchOn(chain, gains);
    EXPECT_NEAR(chainGainDb(chain, 44100, 125.0), -6.0, 0.4);

    ASSERT_TRUE(chain.removeDsp(BASS_FX_DSP_PEAKEQ));
    for (float f : kCentres)
        EXPECT_NEAR(chainGainDb(chain, 44100, f), 0.0, 0.01) << "off, " << f << " Hz";
    // Bands are gone with the equaliser: reading one fails until it is set again.
    EqBandParams p{};
    EXPECT_FALSE(chain.getParameters(BASS_FX_DSP_PEAKEQ, &p));
    EXPECT_EQ(calvoran::audio::fx::lastChainError(), BASS_ERROR_NOTAVAIL);

    switchOn(chain, gains);
    EXPECT_NEAR(chainGainDb(chain, 44100, 125.0), -6.0, 0.4);
    EXPECT_NEAR(chainGainDb(chain, 44100, 1000.0), 4.0, 0.4);
    EXPECT_NEAR(chainGainDb(chain, 44100, 8000.0), 8.0, 0.4);
}

TEST(PeakEq, QOverridesBandwidthAndBadRecordsAreRefused) {
    PeakEq wide, narrow;
    for (PeakEq *eq : {&wide, &narrow}) {
        eq->prepare(44100, 1);
        eq->addBand();
    }
    ASSERT_TRUE(wide.setBand(EqBandParams{0, 0u, 2.5f, 0.0f, 1000.0f, 12.0f}));
    ASSERT_TRUE(narrow.setBand(EqBandParams{0, 0u, 2.5f, 8.0f, 1000.0f, 12.0f}));
    auto gainAt = [](PeakEq &eq, double f) {
        return toneGainDb(44100, 1, f, 512, [&](float *p, std::size_t n) { eq.process(p, n); });
    };
    EXPECT_NEAR(gainAt(narrow, 1000.0), 12.0, 0.3);
    EXPECT_LT(gainAt(narrow, 2000.0), 1.5);
    EXPECT_GT(gainAt(wide, 2000.0), 6.0);

    EXPECT_FALSE(wide.setBand(EqBandParams{1, 0u, 2.5f, 0.0f, 1000.0f, 0.0f})) << "band not added";
    EXPECT_FALSE(wide.setBand(EqBandParams{-1, 0u, 2.5f, 0.0f, 1000.0f, 0.0f}));
    EXPECT_FALSE(wide.setBand(EqBandParams{0, 0u, 2.5f, 0.0f, NAN, 0.0f}));
    EXPECT_FALSE(wide.setBand(EqBandParams{0, 0u, 0.0f, 0.0f, 1000.0f, 0.0f})) << "no width and no Q";
    EXPECT_FALSE(wide.setBand(EqBandParams{0, 0u, 2.5f, 0.0f, 1000.0f, 80.0f}));
    EXPECT_NEAR(gainAt(wide, 1000.0), 12.0, 0.3) << "a refused record changes nothing";

    // A centre above what the rate can hold is limited, not turned into noise.
    ASSERT_TRUE(wide.setBand(EqBandParams{0, 0u, 1.0f, 0.0f, 30000.0f, 6.0f}));
    Buffer b = noise(1, 44100, 1.0f);
    wide.process(b.data(), 44100);
    EXPECT_TRUE(allFinite(b));
    EXPECT_LT(peak(b), 4.0);

    PeakEq full;
    full.prepare(44100, 2);
    for (int i = 0; i < PeakEq::kMaxBands; ++i)
        EXPECT_EQ(full.addBand(), i);
    EXPECT_EQ(full.addBand(), -1);
}

TEST(PeakEq, SliderStepGlidesWithoutAClick) {
    const int rate = 44100;
    PeakEq eq;
    eq.prepare(rate, 1);
    for (int i = 0; i < 3; ++i)
        eq.addBand();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(eq.setBand(band(i, 0.0f)));
    Buffer b = sine(rate, 1, 125.0, 0.25, 1.0);
    const std::size_t change = rate / 2;
    eq.process(b.data(), change);
    ASSERT_TRUE(eq.setBand(band(0, 10.0f))); // the bass slider from the middle to the top
    inBlocks(b, 1, 256, [&, offset = std::size_t{0}](float *p, std::size_t n) mutable {
        if (offset >= change) eq.process(p, n);
        offset += n;
    });

    // A click is a kink in the waveform: it shows as a spike in the second difference.
    auto curvature = [&](std::size_t from, std::size_t to) {
        double worst = 0.0;
        for (std::size_t i = from; i < to; ++i)
            worst = std::max(worst, static_cast<double>(std::fabs(b[i + 1] - 2.0f * b[i] + b[i - 1])));
        return worst;
    };
    const double steady = curvature(change + rate / 5, b.size() - 1);
    EXPECT_LT(curvature(change - 10, change + rate / 20), 1.2 * steady);
    // Within 50 ms it stands at its new gain.
    const double after = db(rms(b, 1, 0, change + rate / 20, change + rate / 5) / (0.25 / std::sqrt(2.0)));
    EXPECT_NEAR(after, 10.0, 0.3);
}
