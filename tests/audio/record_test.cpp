// Recording: a sine captured through SDL's disk driver, the loopback of a playing stream, input
// switching and handles that were freed.
#include "core_support.h"

using namespace calvoran::audio::test;

namespace {

// Bin centre 20 of the 1024-point FFT at 44100 Hz.
constexpr double kBin20Hz = 20.0 * 44100.0 / 1024.0;

std::size_t peakBin(const std::vector<float> &fft) {
    return static_cast<std::size_t>(std::max_element(fft.begin() + 1, fft.end()) - fft.begin());
}

// Recording on device 0 for one test, freed at its end.
struct Recording {
    Recording() { initialised = BASS_RecordInit(0) != 0; }
    ~Recording() {
        if (initialised) BASS_RecordFree();
    }
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;
    bool initialised = false;
};

std::vector<std::string> inputNames() {
    std::vector<std::string> names;
    for (int i = 0; const char *name = BASS_RecordGetInputName(i); ++i)
        names.emplace_back(name);
    return names;
}

class AudioRecord : public ::testing::Test {
protected:
    void TearDown() override { setEnv("SDL_AUDIODRIVER", "dummy"); }
    fx::TestDir dir_;
};

TEST_F(AudioRecord, DiskCaptureGivesLevelAndSpectrumOfTheRecordedSine) {
    const auto in = dir_.file("in.raw");
    const auto samples = fx::toInt16(fx::sine(kBin20Hz, 6.0, 44100, 2, 0.5));
    {
        std::FILE *f = std::fopen(in.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(samples.data(), 2, samples.size(), f);
        std::fclose(f);
    }
    setEnv("SDL_AUDIODRIVER", "disk");
    setEnv("SDL_DISKAUDIOFILEIN", in.string());
    setEnv("SDL_DISKAUDIOFILE", dir_.file("out.raw").string());
    Recording recording;
    ASSERT_TRUE(recording.initialised);
    const auto names = inputNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "Player output");
    ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_OFF));
    ASSERT_TRUE(BASS_RecordSetInput(1, BASS_INPUT_ON));
    const HRECORD record = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
    ASSERT_NE(record, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(record), DWORD{BASS_ACTIVE_PLAYING});
    ASSERT_TRUE(waitFor([&] { return (BASS_ChannelGetLevel(record) & 0xFFFF) > 50; },
                        std::chrono::milliseconds(3000)));
    const DWORD level = BASS_ChannelGetLevel(record);
    EXPECT_NEAR(static_cast<int>(level & 0xFFFF), 64, 3);
    EXPECT_EQ(level & 0xFFFF, level >> 16) << "mono: both sides alike";

    std::vector<float> fft(512);
    ASSERT_EQ(BASS_ChannelGetData(record, fft.data(), BASS_DATA_FFT1024), 2048u);
    EXPECT_EQ(peakBin(fft), 20u);
    EXPECT_NEAR(fft[20], 0.5f, 0.1f);

    // Mono wave data: 512 frames fill 1024 bytes and hold the sine's amplitude.
    std::vector<std::int16_t> wave(512);
    ASSERT_EQ(BASS_ChannelGetData(record, wave.data(), 1024), 1024u);
    const int peak = std::abs(*std::max_element(wave.begin(), wave.end(),
                                                [](auto a, auto b) { return std::abs(a) < std::abs(b); }));
    EXPECT_NEAR(peak, 16384, 600);
}

TEST_F(AudioRecord, PlayerOutputCarriesThePlayingStreamOnTheSilentDevice) {
    const auto wav = dir_.file("tone.wav");
    ASSERT_TRUE(fx::writeWav(wav, fx::sine(kBin20Hz, 4.0, 44100, 2, 0.25), 44100, 2));
    Library library(0);
    ASSERT_TRUE(library.ok());
    Recording recording;
    ASSERT_TRUE(recording.initialised);
    const HRECORD record = BASS_RecordStart(44100, 0, nullptr, nullptr);
    ASSERT_NE(record, 0u);
    const DWORD stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    ASSERT_TRUE(waitFor([&] { return (BASS_ChannelGetLevel(record) & 0xFFFF) > 20; },
                        std::chrono::milliseconds(2000)));
    EXPECT_NEAR(static_cast<int>(BASS_ChannelGetLevel(record) & 0xFFFF), 32, 2);
    std::vector<float> fft(512);
    ASSERT_EQ(BASS_ChannelGetData(record, fft.data(), BASS_DATA_FFT1024), 2048u);
    EXPECT_EQ(peakBin(fft), 20u);
    // Stereo float wave data: every frame's sides agree, as they do in the stream.
    std::vector<float> wave(2 * 256);
    ASSERT_EQ(BASS_ChannelGetData(record, wave.data(), 2048 | BASS_DATA_FLOAT), 2048u);
    for (std::size_t i = 0; i < 256; ++i)
        ASSERT_NEAR(wave[2 * i], wave[2 * i + 1], 1e-4f);

    // Switched off, the loopback is silent; on again, the music is back.
    ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_OFF));
    EXPECT_EQ(BASS_ChannelGetLevel(record), 0u);
    ASSERT_TRUE(BASS_RecordSetInput(0, BASS_INPUT_ON));
    EXPECT_GT(BASS_ChannelGetLevel(record) & 0xFFFF, 20u);

    // Stopped output is no longer heard.
    BASS_StreamFree(stream);
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelGetLevel(record) == 0; }, std::chrono::milliseconds(2000)));
}

TEST_F(AudioRecord, BadCallsFailAndFreedHandlesAreHarmless) {
    EXPECT_EQ(BASS_RecordStart(44100, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_RecordGetInputName(0), nullptr);
    EXPECT_FALSE(BASS_RecordFree());
    EXPECT_FALSE(BASS_RecordInit(3));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);

    HRECORD first = 0;
    {
        Recording recording;
        ASSERT_TRUE(recording.initialised);
        EXPECT_FALSE(BASS_RecordInit(0));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
        int dummy = 0;
        EXPECT_EQ(BASS_RecordStart(44100, 0, &dummy, nullptr), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
        first = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
        ASSERT_NE(first, 0u);
        EXPECT_EQ(BASS_RecordStart(44100, 0, nullptr, nullptr), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
        const auto names = inputNames();
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(BASS_RecordGetInputName(static_cast<int>(names.size())), nullptr);
        EXPECT_FALSE(BASS_RecordSetInput(static_cast<int>(names.size()), BASS_INPUT_ON));
        EXPECT_FALSE(BASS_RecordSetInput(-1, BASS_INPUT_ON));
        // A huge request is cut to what the recording keeps, never sizing an allocation.
        std::vector<std::int16_t> big(1 << 16);
        const DWORD got = BASS_ChannelGetData(first, big.data(), 0x7FFFFFFFu & ~BASS_DATA_FLOAT);
        EXPECT_LE(got, big.size() * 2);
        EXPECT_EQ(BASS_ChannelGetData(first, nullptr, 100), ~DWORD{0});
    }
    std::vector<float> fft(512);
    for (DWORD handle : {first, DWORD{0}}) {
        EXPECT_EQ(BASS_ChannelGetData(handle, fft.data(), BASS_DATA_FFT1024), ~DWORD{0});
        EXPECT_EQ(BASS_ChannelGetLevel(handle), ~DWORD{0});
        EXPECT_EQ(BASS_ChannelIsActive(handle), DWORD{BASS_ACTIVE_STOPPED});
    }
    // A new recording gets another handle; the old one stays dead.
    Recording again;
    const HRECORD second = BASS_RecordStart(22050, 0, nullptr, nullptr);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(BASS_ChannelGetLevel(first), ~DWORD{0});
    EXPECT_NE(BASS_ChannelGetLevel(second), ~DWORD{0});
}

} // namespace
