// bassplay plays an MP3, an Ogg, a WAV and an XM to the end through SDL.
#include "core_support.h"

using namespace calvoran::audio::test;

TEST(AudioCoreBassplay, PlaysEveryKindToTheEnd) {
    fx::TestDir dir;
    fx::writeWav(dir.file("a.wav"), fx::chord({330, 660}, 0.8, 44100, 2), 44100, 2);
    ASSERT_TRUE(fx::encodeMp3Cbr(dir.file("a.wav"), dir.file("a.mp3"), 128));
    fx::writeWav(dir.file("b.wav"), fx::sine(500, 0.8, 48000, 1), 48000, 1);
    ASSERT_TRUE(fx::encodeOgg(dir.file("b.wav"), dir.file("b.ogg"), 3));
    const fx::ModSong song = fx::oneNoteSong("bassplay", fx::Wave::Triangle, 8);
    ASSERT_TRUE(fx::writeModuleFile(dir.file("c.xm"), fx::ModFormat::Xm, song));

    const auto start = std::chrono::steady_clock::now();
    const auto result =
        fx::runTool({BASSPLAY_PATH, "--quiet", dir.file("a.mp3").string(), dir.file("b.ogg").string(),
                     dir.file("a.wav").string(), dir.file("c.xm").string()},
                    30000);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(result.ok()) << result.exitCode;
    // Played in real time, one after the other.
    EXPECT_GT(took, 0.8 * 3 + song.durationSeconds() - 0.1);

    // A file that cannot be played makes it fail.
    fx::writeFile(dir.file("bad.mp3"), {1, 2, 3});
    EXPECT_EQ(fx::runTool({BASSPLAY_PATH, "--quiet", dir.file("bad.mp3").string()}, 30000).exitCode, 1);
}
