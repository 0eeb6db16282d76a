// A program that ends with a playing channel and its effects still alive, never calling BASS_Free: the
// library is torn down by the exit itself. The sanitizer build judges that tear-down.
#include "core_support.h"

#include "bass_fx.h"

using namespace calvoran::audio::test;

TEST(AudioExit, ChannelsWithEffectsMayOutliveTheProgram) {
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    fx::TestDir dir;
    const auto path = dir.file("a.wav");
    fx::writeWav(path, fx::sine(440, 1.0, 44100, 2), 44100, 2);
    const DWORD played = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    const DWORD decode = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(played, 0u);
    ASSERT_NE(decode, 0u);
    ASSERT_TRUE(BASS_FX_DSP_Set(played, BASS_FX_DSP_PEAKEQ, 0));
    ASSERT_TRUE(BASS_FX_DSP_Set(decode, BASS_FX_DSP_PEAKEQ, 0));
    ASSERT_NE(BASS_ChannelSetFX(played, BASS_FX_PARAMEQ), 0u);
    ASSERT_TRUE(BASS_StreamPlay(played, FALSE, 0));
}
