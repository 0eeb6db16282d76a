// A track played through a sound server that goes away mid-track still ends, and the next can start.
#include "bass_fx.h"
#include "core_support.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace fx = calvoran::fixtures;
using namespace std::chrono_literals;
using calvoran::audio::test::waitFor;

namespace {

// A private server: its socket lies in a runtime folder of the test's own.
class PrivateServer {
public:
    explicit PrivateServer(const fx::TestDir &dir) : runtime_((dir.path() / "run").string()) {
        ::mkdir(runtime_.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + runtime_ + "/pulse/native").c_str(), 1);
        // The suite runs on SDL's dummy driver; this test is about the sound server.
        ::unsetenv("SDL_AUDIODRIVER");
        started_ = fx::runTool({"pulseaudio", "-D", "-n", "--exit-idle-time=-1", "--load=module-null-sink",
                                "--load=module-native-protocol-unix", "--load=module-always-sink"},
                               20000)
                       .ok();
    }
    ~PrivateServer() { kill(); }
    PrivateServer(const PrivateServer &) = delete;
    PrivateServer &operator=(const PrivateServer &) = delete;

    bool started() const { return started_; }
    void kill() {
        if (started_) fx::runTool({"pulseaudio", "--kill"}, 20000);
        started_ = false;
    }

private:
    std::string runtime_;
    bool started_ = false;
};

} // namespace

// Each test plays a tone through a private server of its own.
class SoundServerOutput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fx::toolAvailable("pulseaudio")) GTEST_SKIP() << "pulseaudio is not installed";
        server_ = std::make_unique<PrivateServer>(dir_);
        ASSERT_TRUE(server_->started());
    }
    // A test that stopped half-way leaves the library to the next one freed (a second free does nothing).
    void TearDown() override { BASS_Free(); }
    // Starts the library and a tone of `seconds` playing; 0 when either fails.
    HSTREAM playTone(double seconds) {
        if (!fx::writeWav(wav_, fx::sine(440, seconds, 44100, 2), 44100, 2) ||
            !BASS_Init(-1, 44100, 0, nullptr, nullptr))
            return 0;
        return playAgain();
    }
    HSTREAM playAgain() {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, wav_.c_str(), 0, 0, 0);
        return stream != 0 && BASS_StreamPlay(stream, FALSE, 0) ? stream : 0;
    }

    fx::TestDir dir_;
    std::unique_ptr<PrivateServer> server_;
    const std::filesystem::path wav_ = dir_.file("tone.wav");
};

TEST_F(SoundServerOutput, ATrackStillEndsWhenTheServerGoesAway) {
    const HSTREAM stream = playTone(2.0);
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_StreamGetLength(stream);
    // The server asks for sound, so the track moves.
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream) >= length / 4; }, 10s));

    server_->kill();
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 20s))
        << "the track stood still at byte " << BASS_ChannelGetPosition(stream) << " of " << length;
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);

    // The next track plays on, silently.
    const HSTREAM next = playAgain();
    ASSERT_NE(next, 0u);
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(next) >= length / 4; }, 10s));
    EXPECT_TRUE(BASS_Free());
}

// The server holds 400 ms; a seek, a volume change and a swap switched on meanwhile must still move what is
// heard at once, and the track must end whole.
TEST_F(SoundServerOutput, ChangesWhilePlayingAreHeardAtOnceAndTheTrackEndsWhole) {
    const HSTREAM stream = playTone(3.0);
    ASSERT_NE(stream, 0u);
    const QWORD length = BASS_StreamGetLength(stream);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream) >= length / 10; }, 10s));

    // Back to the start: what was queued from the old place is written over, so the heard position is
    // near the new place at once rather than 400 ms of old sound later.
    const QWORD tenth = length / 10 / 4 * 4;
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, tenth));
    const QWORD after = BASS_ChannelGetPosition(stream);
    EXPECT_GE(after + 4 * 44100 / 20, tenth); // within 50 ms before (what is still heard from before)
    EXPECT_LT(after, tenth + length / 10);
    EXPECT_TRUE(BASS_ChannelSetAttributes(stream, -1, 40, -30));
    EXPECT_TRUE(BASS_FX_DSP_Set(stream, BASS_FX_DSP_SWAP, 1));
    EXPECT_TRUE(BASS_SetVolume(80));

    EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 20s));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length);
    EXPECT_TRUE(BASS_Free());
}

// The server holds 400 ms, so levels can be read before they are heard: the left side climbs by one step
// a frame, and a level says which frame was heard last.
TEST_F(SoundServerOutput, LevelsAndPositionsReadAheadAreTheOnesHeardThen) {
    std::vector<float> ramp(44100 * 3 * 2);
    for (std::size_t i = 0; i < ramp.size() / 2; ++i)
        ramp[2 * i] = ramp[2 * i + 1] = static_cast<float>(i % 32768) / 32768.0f;
    ASSERT_TRUE(fx::writeWav(wav_, ramp, 44100, 2));
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const HSTREAM stream = playAgain();
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream) >= 44100 * 4 / 2; }, 10s));
    int compared = 0;
    for (int i = 0; i < 40 && compared < 5; ++i) {
        const QWORD heard = BASS_ChannelGetPosition(stream) / 4;
        const DWORD ahead = BASS_ChannelGetLevelAhead(stream, 100);
        const QWORD position = BASS_ChannelGetPositionAhead(stream, 100);
        const QWORD then = (heard + 4410) % 32768;
        std::this_thread::sleep_for(7ms);
        // Whatever is queued reaches 100 ms ahead at least half the time; the ramp's wrap is left out.
        if (ahead == static_cast<DWORD>(-1) || then < 1000) continue;
        EXPECT_NEAR(ahead & 0xFFFF, 128.0 * static_cast<double>(then) / 32768.0, 4.0);
        EXPECT_EQ(ahead & 0xFFFF, ahead >> 16);
        ASSERT_NE(position, static_cast<QWORD>(-1));
        EXPECT_NEAR(static_cast<double>(position / 4), static_cast<double>(heard + 4410), 44.1);
        ++compared;
    }
    EXPECT_EQ(compared, 5);
    EXPECT_TRUE(BASS_Free());
}
