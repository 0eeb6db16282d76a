// The sound itself, captured through SDL's disk driver: volume, pan, levels, spectrum and resampling.
#include "core_support.h"

using namespace calvoran::audio::test;

namespace {

struct Capture {
    std::vector<std::int16_t> samples; // interleaved stereo
    std::size_t first = 0;             // first non-silent frame
    std::size_t last = 0;              // one past the last non-silent frame
    std::size_t frames() const { return last - first; }
    int peak(int side) const {
        int p = 0;
        for (std::size_t i = first; i < last; ++i)
            p = std::max(p, std::abs(int{samples[2 * i + static_cast<std::size_t>(side)]}));
        return p;
    }
};

class AudioCoreOutput : public ::testing::Test {
protected:
    // Plays `file` to its end through the disk driver; `during` runs once while it plays.
    Capture play(const fx::fs::path &file, const std::function<void(DWORD)> &before,
                 const std::function<void(DWORD)> &during = {}) {
        const auto raw = dir_.file("capture.raw");
        setEnv("SDL_AUDIODRIVER", "disk");
        setEnv("SDL_DISKAUDIOFILE", raw.string());
        Capture capture;
        {
            Library library(1, 44100);
            EXPECT_TRUE(library.ok());
            const DWORD stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
            EXPECT_NE(stream, 0u);
            if (before) before(stream);
            EXPECT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            if (during) during(stream);
            EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) != BASS_ACTIVE_PLAYING; },
                                std::chrono::milliseconds(5000)));
        }
        setEnv("SDL_AUDIODRIVER", "dummy");
        capture.samples = readCapture(raw);
        const std::size_t frames = capture.samples.size() / 2;
        const auto loud = [&](std::size_t i) {
            return capture.samples[2 * i] != 0 || capture.samples[2 * i + 1] != 0;
        };
        std::size_t i = 0;
        while (i < frames && !loud(i))
            ++i;
        capture.first = i;
        std::size_t j = frames;
        while (j > i && !loud(j - 1))
            --j;
        capture.last = j;
        return capture;
    }

    fx::TestDir dir_;
};

} // namespace

TEST_F(AudioCoreOutput, MasterVolumeScalesTheOutputButNotTheLevels) {
    const auto file = dir_.file("lr.wav");
    fx::writeWav(file, fx::stereoSines(1000, 1000, 1.0, 44100, 1.0), 44100, 2);
    // Left at a quarter, right at three quarters.
    auto samples = fx::stereoSines(1000, 1000, 1.0, 44100, 1.0);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        samples[i] *= 0.25f;
        samples[i + 1] *= 0.75f;
    }
    fx::writeWav(file, samples, 44100, 2);
    DWORD level = 0;
    std::vector<std::int16_t> wave(1024);
    const auto capture = play(
        file, [](DWORD) { BASS_SetVolume(50); },
        [&](DWORD stream) {
            level = BASS_ChannelGetLevel(stream);
            EXPECT_EQ(BASS_ChannelGetData(stream, wave.data(), 2048), 2048u);
        });
    EXPECT_NEAR(level & 0xFFFF, 32, 1);
    EXPECT_NEAR(level >> 16, 96, 1);
    int peakLeft = 0;
    for (std::size_t i = 0; i < wave.size(); i += 2)
        peakLeft = std::max(peakLeft, std::abs(int{wave[i]}));
    EXPECT_NEAR(peakLeft, 0.25 * 32768, 300); // wave data ignores the master volume too
    EXPECT_NEAR(capture.frames(), 44100, 600);
    EXPECT_NEAR(capture.peak(0), 0.125 * 32768, 40);
    EXPECT_NEAR(capture.peak(1), 0.375 * 32768, 40);
}

TEST_F(AudioCoreOutput, PanIsABalance) {
    const auto file = dir_.file("both.wav");
    fx::writeWav(file, fx::sine(700, 0.6, 44100, 2, 0.8), 44100, 2);
    for (const int pan : {100, -100, -50, 30}) {
        SCOPED_TRACE(pan);
        const auto capture =
            play(file, [&](DWORD stream) { EXPECT_TRUE(BASS_ChannelSetAttributes(stream, -1, -1, pan)); });
        const double full = 0.8 * 32768;
        EXPECT_NEAR(capture.peak(0), full * (pan > 0 ? (100 - pan) / 100.0 : 1.0), 40);
        EXPECT_NEAR(capture.peak(1), full * (pan < 0 ? (100 + pan) / 100.0 : 1.0), 40);
    }
}

TEST_F(AudioCoreOutput, SpectrumPeaksAtTheToneBin) {
    const int bin = 100;
    const double freq = bin * 44100.0 / 1024.0;
    const auto file = dir_.file("tone.wav");
    fx::writeWav(file, fx::sine(freq, 0.8, 44100, 2, 1.0), 44100, 2, fx::WavFormat::Float32);
    std::vector<float> fft(512);
    play(file, {},
         [&](DWORD stream) { EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT1024), 2048u); });
    const auto top = std::max_element(fft.begin(), fft.end()) - fft.begin();
    EXPECT_EQ(top, bin);
    EXPECT_NEAR(fft[bin], 1.0, 0.03);
    EXPECT_LT(fft[bin + 5], 0.01);
}

TEST_F(AudioCoreOutput, ResamplingAddsNoSpuriousContent) {
    const auto file = dir_.file("48k.wav");
    fx::writeWav(file, fx::sine(1000, 1.5, 48000, 2, 0.5), 48000, 2, fx::WavFormat::Float32);
    const auto capture = play(file, {});
    // 1.5 s of output at 44.1 kHz: nothing lost, nothing added.
    EXPECT_NEAR(capture.frames(), 1.5 * 44100, 200);
    ASSERT_GT(capture.frames(), 40000u);
    std::vector<double> left(16384);
    const std::size_t from = capture.first + (capture.frames() - left.size()) / 2;
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = capture.samples[2 * (from + i)] / 32768.0;
    const auto power = powerSpectrum(left);
    const auto toneBin = static_cast<std::size_t>(std::lround(1000.0 * 16384 / 44100));
    double tone = 0;
    double rest = 0;
    double worstSpur = 0;
    for (std::size_t k = 2; k < power.size(); ++k) {
        if (k + 6 >= toneBin && k <= toneBin + 6) {
            tone += power[k];
        } else {
            rest += power[k];
            worstSpur = std::max(worstSpur, power[k]);
        }
    }
    // Everything that is not the tone, summed, and the largest single spur.
    EXPECT_LT(10 * std::log10(rest / tone), -80.0);
    EXPECT_LT(10 * std::log10(worstSpur / tone), -90.0);
}
