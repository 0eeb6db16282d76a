// The C functions of bass_fx.h on decode channels of the real library, used the way the equaliser
// window and the stream effect switches use them.
#include "bass.h"
#include "bass_fx.h"
#include "fx_signals.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

using namespace fxtest;

namespace {

constexpr int kRate = 44100;

void put32(std::ofstream &f, std::uint32_t v) {
    f.write(reinterpret_cast<const char *>(&v), 4);
}
void put16(std::ofstream &f, std::uint16_t v) {
    f.write(reinterpret_cast<const char *>(&v), 2);
}

// A 32-bit float WAV file of interleaved samples.
std::string writeWav(const QTemporaryDir &dir, const char *name, const Buffer &samples, int channels) {
    const std::string path = dir.filePath(name).toStdString();
    std::ofstream f(path, std::ios::binary);
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 4);
    f.write("RIFF", 4);
    put32(f, 36 + bytes);
    f.write("WAVEfmt ", 8);
    put32(f, 16);
    put16(f, 3); // IEEE float
    put16(f, static_cast<std::uint16_t>(channels));
    put32(f, kRate);
    put32(f, static_cast<std::uint32_t>(kRate * channels * 4));
    put16(f, static_cast<std::uint16_t>(channels * 4));
    put16(f, 32);
    f.write("data", 4);
    put32(f, bytes);
    f.write(reinterpret_cast<const char *>(samples.data()), static_cast<std::streamsize>(bytes));
    return path;
}

Buffer decodeAll(DWORD handle) {
    Buffer all, block(8192);
    for (;;) {
        const DWORD got =
            BASS_ChannelGetData(handle, block.data(), static_cast<DWORD>(block.size() * 4) | BASS_DATA_FLOAT);
        if (got == 0 || got == ~DWORD{0}) break;
        all.insert(all.end(), block.begin(), block.begin() + got / 4);
    }
    return all;
}

DWORD openDecode(const std::string &path) {
    return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
}

class FxApi : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(BASS_Init(0, kRate, 0, nullptr, nullptr));
    }
    void TearDown() override { BASS_Free(); }

    // Level of the second half of a decoded tone relative to the file, in dB.
    double gainDb(const std::string &path, const Buffer &original, DWORD handle) {
        const Buffer out = decodeAll(handle);
        EXPECT_EQ(out.size(), original.size()) << path;
        const std::size_t frames = std::min(out.size(), original.size()) / 2;
        return db(rms(out, 2, 0, frames / 2, frames) / rms(original, 2, 0, frames / 2, frames));
    }

    QTemporaryDir dir_;
};

// The equaliser window: switch on with three bands, then each slider's handler.
void switchOnEqualiser(DWORD channel) {
    DWORD freq = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(channel, &freq, nullptr, nullptr));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(BASS_FX_DSP_Set(channel, BASS_FX_DSP_PEAKEQ, 0));
    EqBandParams rec{0, freq, 2.5f, 0.0f, 125.0f, 0.0f};
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(channel, BASS_FX_DSP_PEAKEQ, &rec));
    rec.band = 1;
    rec.centre = 1000.0f;
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(channel, BASS_FX_DSP_PEAKEQ, &rec));
    rec.band = 2;
    rec.centre = 8000.0f;
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(channel, BASS_FX_DSP_PEAKEQ, &rec));
}

void setEqBandGain(DWORD channel, int band, int position) {
    EqBandParams rec{};
    rec.band = band;
    ASSERT_TRUE(BASS_FX_DSP_GetParameters(channel, BASS_FX_DSP_PEAKEQ, &rec));
    rec.gain = static_cast<float>(10 - position);
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(channel, BASS_FX_DSP_PEAKEQ, &rec));
}

} // namespace

TEST_F(FxApi, EqualiserWindowOnADecodeChannel) {
    const double centres[3] = {125.0, 1000.0, 8000.0};
    for (int b = 0; b < 3; ++b) {
        const Buffer tone = sine(kRate, 2, centres[b], 0.25, 1.0);
        const std::string path = writeWav(dir_, "tone.wav", tone, 2);
        // Sliders at their start position 8: +2 dB on every band.
        const DWORD h = openDecode(path);
        ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
        switchOnEqualiser(h);
        for (int band = 0; band < 3; ++band)
            setEqBandGain(h, band, 8);
        EXPECT_NEAR(gainDb(path, tone, h), 2.0, 0.3) << centres[b] << " Hz";
        BASS_StreamFree(h);

        // Treble slider at the top: +10 dB at 8 kHz, the rest as before.
        const DWORD t = openDecode(path);
        switchOnEqualiser(t);
        setEqBandGain(t, 0, 8);
        setEqBandGain(t, 1, 8);
        setEqBandGain(t, 2, 0);
        const double g = gainDb(path, tone, t);
        if (b == 2) {
            EXPECT_NEAR(g, 10.0, 0.3);
        } else if (b == 0) {
            EXPECT_NEAR(g, 2.0, 0.5) << "the bass hardly moves";
        }
        BASS_StreamFree(t);
    }
}

TEST_F(FxApi, StreamEffectSwitchesOnADecodeChannel) {
    // Left: a click at the start; right: silence.
    Buffer click(static_cast<std::size_t>(kRate) * 2 * 2, 0.0f);
    click[0] = 0.5f;
    const std::string path = writeWav(dir_, "click.wav", click, 2);

    // "Echo" on: its documented repeat 0.25 s later at 0.4 of the level (after the 10 ms fade-in,
    // the click itself is faded; the repeat is not).
    DWORD h = openDecode(path);
    ASSERT_TRUE(BASS_FX_DSP_Set(h, BASS_FX_DSP_ECHO, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    Buffer out = decodeAll(h);
    const std::size_t d = kRate / 4;
    EXPECT_NEAR(at(out, 2, d, 0), 0.5f * 0.4f, 1e-6);
    EXPECT_NEAR(at(out, 2, 2 * d, 0), 0.5f * 0.4f * 0.3f, 1e-6);
    EXPECT_EQ(at(out, 2, d, 1), 0.0f);
    BASS_StreamFree(h);

    // "Swap Channels" and "Echo 2.0" together: the click moves right, its first repeat comes back
    // on the left (ping-pong after the swap, at priority 1 both, in the order they were set).
    h = openDecode(path);
    ASSERT_TRUE(BASS_FX_DSP_Set(h, BASS_FX_DSP_SWAP, 1));
    ASSERT_TRUE(BASS_FX_DSP_Set(h, BASS_FX_DSP_ECHO2, 1));
    out = decodeAll(h);
    const auto d2 = static_cast<std::size_t>(std::lround(0.3 * kRate));
    EXPECT_NEAR(at(out, 2, d2, 0), 0.25f * 0.5f, 1e-6) << "mono sum of the click, repeated left";
    EXPECT_NEAR(at(out, 2, 2 * d2, 1), 0.25f * 0.5f * 0.45f, 1e-6);
    BASS_StreamFree(h);
}

TEST_F(FxApi, ErrorCodesAndFree) {
    const Buffer tone = sine(kRate, 2, 440.0, 0.25, 0.5);
    const std::string path = writeWav(dir_, "a.wav", tone, 2);
    const DWORD h = openDecode(path);
    ASSERT_NE(h, 0u);

    EXPECT_FALSE(BASS_FX_DSP_Set(h + 1000, BASS_FX_DSP_ECHO, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_FX_DSP_Set(0, BASS_FX_DSP_ECHO, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_FX_DSP_Set(h, 4, 1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_FALSE(BASS_FX_DSP_Remove(h, BASS_FX_DSP_ECHO));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(BASS_FX_DSP_SetParameters(h, BASS_FX_DSP_PEAKEQ, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EqBandParams rec{};
    EXPECT_FALSE(BASS_FX_DSP_GetParameters(h, BASS_FX_DSP_PEAKEQ, &rec)) << "equaliser not set";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

    ASSERT_TRUE(BASS_FX_DSP_Set(h, BASS_FX_DSP_PEAKEQ, 0));
    rec.band = 1;
    EXPECT_FALSE(BASS_FX_DSP_GetParameters(h, BASS_FX_DSP_PEAKEQ, &rec)) << "only band 0 added";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    rec.band = 0;
    ASSERT_TRUE(BASS_FX_DSP_GetParameters(h, BASS_FX_DSP_PEAKEQ, &rec));
    EXPECT_EQ(rec.sampleRate, static_cast<unsigned>(kRate));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);

    // Parametric bands of BASS_ChannelSetFX are flat; BASS_FX_Free takes the equaliser off.
    HFX band = 0;
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(band = BASS_ChannelSetFX(h, BASS_FX_PARAMEQ), 0u);
    rec.gain = 12.0f;
    rec.centre = 440.0f;
    ASSERT_TRUE(BASS_FX_DSP_SetParameters(h, BASS_FX_DSP_PEAKEQ, &rec));
    EXPECT_TRUE(BASS_FX_Free());
    EqBandParams kept{};
    EXPECT_TRUE(BASS_FX_ParamEqGetParameters(h, band, &kept)) << "channel bands are not DSP effects";
    EXPECT_FALSE(BASS_FX_DSP_Remove(h, BASS_FX_DSP_PEAKEQ));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_NEAR(gainDb(path, tone, h), 0.0, 0.01);
    BASS_StreamFree(h);
    EXPECT_FALSE(BASS_FX_DSP_Set(h, BASS_FX_DSP_ECHO, 1)) << "freed handle";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(FxApi, ParametricBandsOfChannelSetFxCanBeSet) {
    const Buffer tone = sine(kRate, 2, 440.0, 0.25, 1.0);
    const std::string path = writeWav(dir_, "p.wav", tone, 2);
    const DWORD h = openDecode(path);
    const HFX a = BASS_ChannelSetFX(h, BASS_FX_PARAMEQ);
    const HFX b = BASS_ChannelSetFX(h, BASS_FX_PARAMEQ);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EqBandParams rec{};
    ASSERT_TRUE(BASS_FX_ParamEqGetParameters(h, b, &rec));
    EXPECT_FLOAT_EQ(rec.gain, 0.0f);
    EXPECT_FLOAT_EQ(rec.centre, 1000.0f);
    rec.centre = 440.0f;
    rec.gain = 6.0f;
    rec.band = 7; // ignored: one band each
    ASSERT_TRUE(BASS_FX_ParamEqSetParameters(h, b, &rec));
    rec.gain = 99.0f;
    EXPECT_FALSE(BASS_FX_ParamEqSetParameters(h, a, &rec));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_FALSE(BASS_FX_ParamEqSetParameters(h, b + 10, &rec));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_NEAR(gainDb(path, tone, h), 6.0, 0.3) << "one band at +6 dB, the other flat";
    BASS_StreamFree(h);
}
