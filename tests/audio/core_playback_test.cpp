// Playback through the dummy driver and the "no sound" device: what the player polls follows the clock.
#include "core_support.h"

#include <optional>

using namespace calvoran::audio::test;
using Clock = std::chrono::steady_clock;

namespace {

// Under the thread sanitizer each period's mixing takes milliseconds, and SDL's dummy driver sleeps a
// whole period after it, so the output may fall a little behind the wall clock. Races are what that
// build checks; the normal build holds the clock to the tight tolerances.
#if defined(__SANITIZE_THREAD__)
constexpr double kSlowBuildSlack = 0.05;
#else
constexpr double kSlowBuildSlack = 0;
#endif
constexpr double kSpeedTolerance = 0.07 + kSlowBuildSlack;
// Seconds of output the library decodes ahead of the mixer.
constexpr double kDecodedAhead = 0.5;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// How far the position lies outside the time since the play call (taken before and after it, and read
// around the position). The best of a few readings 3 ms apart counts: a test thread or output thread that
// is preempted once delays one reading, while a position that runs wrong stays wrong in all of them.
void worstOutside(double &worst, DWORD handle, Clock::time_point before, Clock::time_point after,
                  double from = 0.0) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double low = since(after);
        const double position = positionSeconds(handle) - from;
        const double high = since(before);
        best = std::min(best, std::max(low - position, position - high));
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    worst = std::max(worst, best);
}

// One reading of the position against the time since the play call, bracketed by the clock: how far it
// lies outside the window (negative: inside), and how far it trails the earliest possible time. Readings
// whose bracket is wider than 3 ms (the test thread was preempted) are dropped.
struct Reading {
    double outside;
    double lag;
};
std::optional<Reading> readPosition(DWORD handle, Clock::time_point before, Clock::time_point after) {
    const auto t0 = Clock::now();
    const double position = positionSeconds(handle);
    const auto t1 = Clock::now();
    if (t1 - t0 > std::chrono::milliseconds(3)) return std::nullopt;
    const double low = std::chrono::duration<double>(t0 - after).count();
    const double high = std::chrono::duration<double>(t1 - before).count();
    return Reading{std::max(low - position, position - high), low - position};
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Left channel counts frames (value = index modulo 32768), right is its negation: any frame of the output
// says where in the file it came from.
std::vector<float> indexedSignal(std::size_t frames) {
    std::vector<float> out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        out[2 * i] = static_cast<float>(i % 32768) / 32768.0f;
        out[2 * i + 1] = -out[2 * i];
    }
    return out;
}

class AudioCorePlayback : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        setEnv("SDL_AUDIODRIVER", "dummy");
        library_ = std::make_unique<Library>(GetParam());
        ASSERT_TRUE(library_->ok());
    }
    DWORD wavStream(const std::string &name, double seconds, int rate, DWORD flags = 0) {
        const auto path = dir_.file(name);
        fx::writeWav(path, fx::sine(440, seconds, rate, 2), rate, 2);
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags);
    }
    // Plays `seconds` of indexedSignal(); 0 when that fails.
    DWORD playIndexed(int seconds) {
        const auto path = dir_.file("index.wav");
        fx::writeWav(path, indexedSignal(44100 * static_cast<std::size_t>(seconds)), 44100, 2);
        const DWORD stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
        return stream != 0 && BASS_StreamPlay(stream, FALSE, 0) ? stream : 0;
    }

    // A channel started or resumed mid-period is first heard with the next period, so positions may trail
    // the clock by up to one (1024 frames on the dummy driver, 10 ms on the silent device), plus a little
    // for a busy machine; off by much more fails.
    double allowedTrail() const {
        return (GetParam() == 1 ? 1024.0 / 44100 : 0.010) + 0.012 + kSlowBuildSlack;
    }

    fx::TestDir dir_;
    std::unique_ptr<Library> library_;
};

} // namespace

TEST_P(AudioCorePlayback, PositionFollowsTheClockAndTheEndIsHeard) {
    // 48 kHz goes through the resampler; positions stay in the stream's own bytes.
    for (const int rate : {44100, 48000}) {
        SCOPED_TRACE(rate);
        const DWORD stream = wavStream("a.wav", 1.2, rate);
        ASSERT_NE(stream, 0u);
        EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
        EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
        const auto before = Clock::now();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const auto after = Clock::now();
        // A loaded machine delays single readings and single device periods; the median still says where
        // the position runs.
        std::vector<double> outside;
        double lag = 0;
        while (since(after) < 1.1) {
            if (const auto r = readPosition(stream, before, after)) {
                outside.push_back(r->outside);
                lag = std::max(0.0, r->lag);
            }
            EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_GE(outside.size(), 5u);
        EXPECT_LT(median(outside), allowedTrail());
        // The end lies between the last poll that saw the stream playing and the first that did not.
        double lastPlaying = 0, endedBy = 0;
        bool ended = false;
        while (since(after) < 3.2 && !ended) {
            const double t0 = since(after);
            const bool playing = BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING;
            const double t1 = since(before);
            if (playing) {
                lastPlaying = t0;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            } else {
                ended = true;
                endedBy = t1;
            }
        }
        ASSERT_TRUE(ended);
        // Not before the last sample was heard, and not long after it: the device period plus however far
        // the output had fallen behind at the last reading.
        EXPECT_GE(endedBy, 1.2 - 0.03);
        EXPECT_LE(lastPlaying, 1.2 + 0.06 + lag);
        EXPECT_EQ(BASS_ChannelGetPosition(stream), BASS_StreamGetLength(stream));
        // Data of a stream that is no longer heard: none.
        char buffer[2048];
        EXPECT_EQ(BASS_ChannelGetData(stream, buffer, 2048), ~DWORD{0});
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
        // Playing an ended stream starts it again.
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
        EXPECT_LT(positionSeconds(stream), 0.05);
        EXPECT_TRUE(BASS_StreamFree(stream));
    }
}

TEST_P(AudioCorePlayback, StopPausesStartResumesFlushRestarts) {
    const DWORD stream = wavStream("a.wav", 5.0, 44100);
    const auto beforePlay = Clock::now();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const auto afterPlay = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double low = since(afterPlay);
    ASSERT_TRUE(BASS_Stop());
    const double high = since(beforePlay);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));
    const double paused = positionSeconds(stream);
    EXPECT_GE(paused, low - allowedTrail());
    EXPECT_LE(paused, high + 0.03 + kSlowBuildSlack);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_NEAR(positionSeconds(stream), paused, 0.002);
    const auto beforeStart = Clock::now();
    ASSERT_TRUE(BASS_Start());
    const auto afterStart = Clock::now();
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double worst = 0;
    worstOutside(worst, stream, beforeStart, afterStart, paused);
    EXPECT_LT(worst, allowedTrail());

    // BASS_StreamPlay also resumes stopped output.
    ASSERT_TRUE(BASS_Stop());
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));

    // Seeking while playing: heard at once.
    const auto beforeSeek = Clock::now();
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 3.0f)));
    const auto afterSeek = Clock::now();
    worst = 0;
    worstOutside(worst, stream, beforeSeek, afterSeek, 3.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    worstOutside(worst, stream, beforeSeek, afterSeek, 3.0);
    EXPECT_LT(worst, allowedTrail());
    // flush TRUE starts from the beginning.
    ASSERT_TRUE(BASS_StreamPlay(stream, TRUE, 0));
    EXPECT_LT(positionSeconds(stream), 0.02);
}

TEST_P(AudioCorePlayback, FrequencyAttributeChangesTheSpeed) {
    const DWORD stream = wavStream("a.wav", 10.0, 22050);
    ASSERT_TRUE(BASS_ChannelSetAttributes(stream, 44100, -1, 0));
    // Positions are judged against the clock read around them, not against how long a sleep lasted.
    const auto beforePlay = Clock::now();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const auto afterPlay = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const double low = since(afterPlay);
    const double doubled = positionSeconds(stream);
    const double high = since(beforePlay);
    EXPECT_GE(doubled, 2 * low - kSpeedTolerance);
    EXPECT_LE(doubled, 2 * high + kSpeedTolerance);
    // Back to its own rate (0) while playing: what was already decoded still plays at double speed (the
    // library decodes half a second of output ahead), and from then on the position runs with the clock.
    // A busy machine (a test run beside a build, say) makes the library decode further ahead for good.
    const DWORD aheadMs = BASS_GetConfig(BASS_CONFIG_BUFFER);
    EXPECT_GE(aheadMs, kDecodedAhead * 1000);
    const double changedAt = positionSeconds(stream);
    const auto changed = Clock::now();
    ASSERT_TRUE(BASS_ChannelSetAttributes(stream, 0, -1, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(aheadMs + 250));
    EXPECT_LE(positionSeconds(stream) - changedAt, since(changed) + aheadMs / 1000.0 + kSpeedTolerance);
    const auto beforeAt = Clock::now();
    const double at = positionSeconds(stream);
    const auto afterAt = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const double shortest = since(afterAt);
    const double moved = positionSeconds(stream) - at;
    const double longest = since(beforeAt);
    EXPECT_GE(moved, shortest - kSpeedTolerance);
    EXPECT_LE(moved, longest + kSpeedTolerance);
    DWORD freq = 0;
    BASS_ChannelGetAttributes(stream, &freq, nullptr, nullptr);
    EXPECT_EQ(freq, 22050u);
}

TEST_P(AudioCorePlayback, AutoFreeReleasesTheStreamAfterItsEnd) {
    const DWORD stream = wavStream("a.wav", 0.3, 44100, BASS_STREAM_AUTOFREE);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    ASSERT_TRUE(waitFor(
        [&] {
            BASS_ChannelIsActive(stream);
            return BASS_ErrorGetCode() == BASS_ERROR_HANDLE;
        },
        std::chrono::milliseconds(2000)));
    EXPECT_FALSE(BASS_StreamFree(stream));
}

TEST_P(AudioCorePlayback, WaveDataIsWhatIsHeard) {
    const DWORD stream = playIndexed(2);
    ASSERT_NE(stream, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    for (const DWORD bytes : {DWORD{2048}, DWORD{512}}) {
        SCOPED_TRACE(bytes);
        std::vector<std::int16_t> data(bytes / 2);
        const QWORD before = BASS_ChannelGetPosition(stream) / 4;
        ASSERT_EQ(BASS_ChannelGetData(stream, data.data(), bytes), bytes);
        // Consecutive frames of the file (the WAV writer's scale may repeat a value once in a while),
        // ending where the position says.
        for (std::size_t i = 1; i < data.size() / 2; ++i) {
            const int step = (data[2 * i] - data[2 * (i - 1)] + 32768) % 32768;
            ASSERT_TRUE(step == 0 || step == 1) << i << ": " << step;
            ASSERT_EQ(data[2 * i + 1], -data[2 * i]);
        }
        const int last = data[data.size() - 2];
        EXPECT_NEAR(last, static_cast<double>(before % 32768), 0.030 * 44100);
    }
    // Levels are the peak of the last 20 ms: the ramp there is far from full scale on the left.
    const DWORD level = BASS_ChannelGetLevel(stream);
    const double expected =
        128.0 * static_cast<double>((BASS_ChannelGetPosition(stream) / 4) % 32768) / 32768.0;
    EXPECT_NEAR(level & 0xFFFF, expected, 4.0);
    EXPECT_EQ(level & 0xFFFF, level >> 16);
}

TEST_P(AudioCorePlayback, WhatMayChangeMixedSoundIsCountedAndNoLevelIsReadBeyondIt) {
    const DWORD stream = playIndexed(3);
    ASSERT_NE(stream, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Nothing is mixed seconds ahead.
    EXPECT_EQ(BASS_ChannelGetLevelAhead(stream, 5000), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

    // What may make mixed sound sound different moves the count.
    QWORD changes = BASS_GetSoundChanges();
    const auto moved = [&changes] {
        const QWORD now = BASS_GetSoundChanges();
        const bool did = now != changes;
        changes = now;
        return did;
    };
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 44100 * 4));
    EXPECT_TRUE(moved());
    ASSERT_TRUE(BASS_ChannelSetAttributes(stream, -1, 50, -1));
    EXPECT_TRUE(moved());
    ASSERT_TRUE(BASS_Stop());
    EXPECT_TRUE(moved());
    EXPECT_EQ(BASS_ChannelGetLevelAhead(stream, 30), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
    ASSERT_TRUE(BASS_Start());
    EXPECT_TRUE(moved());
}

TEST_P(AudioCorePlayback, ModulesPlayToTheirEnd) {
    const fx::ModSong song = fx::oneNoteSong("Short", fx::Wave::Square, 16);
    ASSERT_TRUE(fx::writeModuleFile(dir_.file("short.xm"), fx::ModFormat::Xm, song));
    const DWORD music = BASS_MusicLoad(FALSE, dir_.file("short.xm").c_str(), 0, 0, BASS_MUSIC_RAMP, 0);
    ASSERT_NE(music, 0u);
    EXPECT_EQ(BASS_MusicGetLength(music, FALSE), 1u);
    const double length = BASS_ChannelBytes2Seconds(music, BASS_MusicGetLength(music, TRUE));
    EXPECT_NEAR(length, song.durationSeconds(), 0.01);
    const auto before = Clock::now();
    ASSERT_TRUE(BASS_MusicPlay(music));
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    double worst = 0;
    worstOutside(worst, music, before, start);
    EXPECT_LT(worst, allowedTrail());
    EXPECT_GT(BASS_ChannelGetLevel(music) & 0xFFFF, 10u);
    // The end lies between the last poll that saw it playing and the first that did not. A device whose
    // periods run late (a slow build) moves the end by as much as the position trails the clock.
    double lastPlaying = 0, endedBy = 0, lag = 0;
    bool ended = false;
    while (since(start) < length + 3.0 && !ended) {
        const double t0 = since(start);
        if (const auto r = readPosition(music, before, start)) lag = std::max(lag, r->lag);
        const bool playing = BASS_ChannelIsActive(music) == BASS_ACTIVE_PLAYING;
        const double t1 = since(before);
        if (playing) {
            lastPlaying = t0;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } else {
            ended = true;
            endedBy = t1;
        }
    }
    ASSERT_TRUE(ended);
    // libopenmpt renders up to 0.1 s of tail past the song's nominal end.
    EXPECT_GE(endedBy, length - 0.05);
    EXPECT_LE(lastPlaying, length + 0.15 + lag);
    EXPECT_TRUE(BASS_MusicFree(music));
}

TEST_P(AudioCorePlayback, ManyChannelsAndFreesWhilePlaying) {
    std::vector<DWORD> streams;
    for (int i = 0; i < 6; ++i) {
        streams.push_back(wavStream("s" + std::to_string(i) + ".wav", 2.0, i % 2 ? 22050 : 44100));
        ASSERT_TRUE(BASS_StreamPlay(streams.back(), FALSE, 0));
        EXPECT_NE(BASS_ChannelSetFX(streams.back(), BASS_FX_PARAMEQ), 0u);
    }
    for (int round = 0; round < 20; ++round) {
        for (DWORD s : streams) {
            BASS_ChannelSetAttributes(s, -1, -1, (round * 17) % 201 - 100);
            BASS_ChannelGetLevel(s);
            float fft[512];
            BASS_ChannelGetData(s, fft, BASS_DATA_FFT1024);
        }
        BASS_ChannelSetPosition(streams[static_cast<std::size_t>(round) % streams.size()], 4 * 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (DWORD s : streams)
        EXPECT_TRUE(BASS_StreamFree(s));
}

INSTANTIATE_TEST_SUITE_P(Devices, AudioCorePlayback, ::testing::Values(1, 0),
                         [](const auto &param) { return param.param == 1 ? "SdlDummy" : "NoSound"; });
