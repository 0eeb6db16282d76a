// Initialisation, handles and error codes, and what bad input gives.
#include "core_support.h"

#include "Convert.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

using namespace calvoran::audio::test;

namespace {

DWORD openWav(const fx::TestDir &dir, const std::string &name, double seconds = 0.5, DWORD flags = 0) {
    const auto path = dir.file(name);
    fx::writeWav(path, fx::sine(440, seconds, 44100, 2), 44100, 2);
    return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, flags);
}

} // namespace

TEST(AudioCoreApi, VersionInitAndFree) {
    EXPECT_EQ(BASS_GetVersion(), 2u);
    // Before initialisation everything fails with BASS_ERROR_INIT.
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "/nonexistent", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Start());

    EXPECT_FALSE(BASS_Init(7, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);

    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_TRUE(BASS_SetVolume(50));
    EXPECT_FALSE(BASS_SetVolume(101));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    fx::TestDir dir;
    const DWORD stream = openWav(dir, "a.wav");
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_TRUE(BASS_Free());
    // Everything was freed with the library; the handle stays dead after a new start.
    EXPECT_EQ(BASS_ChannelIsActive(stream), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_StreamFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), ~QWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_TRUE(BASS_Free());

    // The default device works too.
    ASSERT_TRUE(BASS_Init(-1, 0, 0, nullptr, nullptr));
    EXPECT_TRUE(BASS_Free());
}

TEST(AudioCoreApi, NoUsableDeviceFails) {
    const char *old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setEnv("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    setEnv("SDL_AUDIODRIVER", saved);
    // "No sound" needs no device at all.
    Library library(0);
    EXPECT_TRUE(library.ok());
}

TEST(AudioCoreApi, BadAndFreedHandlesChangeNothing) {
    Library library;
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const DWORD stream = openWav(dir, "a.wav");
    ASSERT_NE(stream, 0u);

    for (DWORD handle : {DWORD{0}, stream + 1000}) {
        EXPECT_FALSE(BASS_StreamPlay(handle, FALSE, 0));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelIsActive(handle), 0u);
        EXPECT_EQ(BASS_StreamGetLength(handle), ~QWORD{0});
        EXPECT_EQ(BASS_ChannelGetLevel(handle), ~DWORD{0});
        EXPECT_FALSE(BASS_ChannelSetAttributes(handle, -1, -1, 50));
        EXPECT_EQ(BASS_ChannelSetFX(handle, BASS_FX_PARAMEQ), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_LT(BASS_ChannelBytes2Seconds(handle, 1000), 0.0f);
        EXPECT_FALSE(BASS_MusicFree(handle));
        EXPECT_EQ(BASS_MusicGetName(handle), nullptr);
        char buffer[2048];
        EXPECT_EQ(BASS_ChannelGetData(handle, buffer, 2048), ~DWORD{0});
    }
    // A stream is not a module.
    EXPECT_FALSE(BASS_MusicFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_MusicGetLength(stream, FALSE), ~DWORD{0});

    EXPECT_TRUE(BASS_StreamFree(stream));
    EXPECT_FALSE(BASS_StreamFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

    // Handles are never reused.
    const DWORD next = openWav(dir, "b.wav");
    EXPECT_NE(next, stream);
}

TEST(AudioCoreApi, AttributesAndConversions) {
    Library library;
    fx::TestDir dir;
    const auto path = dir.file("mono22.wav");
    fx::writeWav(path, fx::sine(440, 1.0, 22050, 1), 22050, 1);
    const DWORD stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(BASS_StreamGetLength(stream), 22050u * 2);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, 22050), 0.5f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 0.25f), 5512u * 2);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, -3.0f), 0u);

    DWORD freq = 0, volume = 0;
    int pan = 7;
    ASSERT_TRUE(BASS_ChannelGetAttributes(stream, &freq, &volume, &pan));
    EXPECT_EQ(freq, 22050u);
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(pan, 0);
    EXPECT_TRUE(BASS_ChannelSetAttributes(stream, -1, -1, -60));
    EXPECT_TRUE(BASS_ChannelGetAttributes(stream, &freq, &volume, &pan));
    EXPECT_EQ(freq, 22050u);
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(pan, -60);
    // Out of range: refused, nothing changed.
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, -1, 30, 101));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_TRUE(BASS_ChannelGetAttributes(stream, &freq, &volume, &pan));
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(pan, -60);
    EXPECT_TRUE(BASS_ChannelGetAttributes(stream, nullptr, nullptr, nullptr));

    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 22050u * 2 * 3));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_NE(BASS_ChannelSetFX(stream, BASS_FX_PARAMEQ), 0u);
    EXPECT_EQ(BASS_ChannelSetFX(stream, 3), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST(AudioCoreApi, BadFilesGiveTheRightError) {
    Library library;
    fx::TestDir dir;
    const auto open = [](const fx::fs::path &path) {
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    };
    const auto load = [](const fx::fs::path &path) {
        return BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0, 0);
    };

    EXPECT_EQ(open(dir.file("missing.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(load(dir.file("missing.xm")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(open(dir.path()), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(load(dir.path()), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

    const auto unreadable = dir.file("locked.wav");
    fx::writeWav(unreadable, fx::sine(440, 0.1, 44100, 1), 44100, 1);
    ::chmod(unreadable.c_str(), 0);
    if (::access(unreadable.c_str(), R_OK) != 0) { // root reads anything
        EXPECT_EQ(open(unreadable), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    }

    fx::writeFile(dir.file("empty.mp3"), {});
    EXPECT_EQ(open(dir.file("empty.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(load(dir.file("empty.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    std::vector<std::uint8_t> random(200000);
    std::uint32_t state = 12345;
    for (auto &b : random) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    fx::writeFile(dir.file("random.mp3"), random);
    EXPECT_EQ(open(dir.file("random.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(load(dir.file("random.mp3")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    // Headers that promise a format and then nothing usable.
    auto wav = fx::wavBytes(fx::sine(440, 0.2, 44100, 2), 44100, 2);
    fx::writeFile(dir.file("header-only.wav"), std::vector<std::uint8_t>(wav.begin(), wav.begin() + 20));
    EXPECT_EQ(open(dir.file("header-only.wav")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    fx::writeFile(dir.file("oggs.ogg"), {'O', 'g', 'g', 'S', 0, 2, 0, 0, 1, 2, 3});
    EXPECT_EQ(open(dir.file("oggs.ogg")), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    // A module header with garbage behind it.
    auto xm = fx::writeModule(fx::ModFormat::Xm, fx::demoSong(2.0));
    ASSERT_FALSE(xm.empty());
    for (std::size_t i = 80; i < xm.size(); ++i)
        xm[i] = static_cast<std::uint8_t>(i * 7919u);
    fx::writeFile(dir.file("garbage.xm"), xm);
    const DWORD garbage = load(dir.file("garbage.xm"));
    if (garbage == 0) {
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    } else { // libopenmpt salvaged something: it must still play to a clean end
        EXPECT_TRUE(BASS_MusicFree(garbage));
    }
}

TEST(AudioCoreApi, TruncatedFilesEndEarlyAndCleanly) {
    Library library;
    fx::TestDir dir;
    // Busy enough that the Ogg file has many pages (a pure tone fits in one).
    const auto source = fx::chord({220, 1330, 5000, 9100}, 4.0, 44100, 2, 0.5);
    ASSERT_TRUE(fx::writeWav(dir.file("full.wav"), source, 44100, 2));
    ASSERT_TRUE(fx::encodeMp3Cbr(dir.file("full.wav"), dir.file("full.mp3"), 128));
    ASSERT_TRUE(fx::encodeOgg(dir.file("full.wav"), dir.file("full.ogg"), 3));
    for (const char *name : {"full.wav", "full.mp3", "full.ogg"}) {
        SCOPED_TRACE(name);
        auto bytes = fx::readFile(dir.file(name));
        bytes.resize(bytes.size() / 2);
        fx::writeFile(dir.file("half"), bytes);
        const DWORD stream = BASS_StreamCreateFile(FALSE, dir.file("half").c_str(), 0, 0, BASS_STREAM_DECODE);
        ASSERT_NE(stream, 0u);
        const auto samples = decodeAll16(stream);
        // Roughly the first half, and no burst: nothing much louder than the source's 0.5.
        EXPECT_GT(samples.size(), source.size() / 8);
        EXPECT_LT(samples.size(), source.size() * 3 / 4);
        int loudest = 0;
        for (auto v : samples)
            loudest = std::max(loudest, std::abs(int{v}));
        EXPECT_LT(loudest, 20000);
        EXPECT_EQ(BASS_ChannelIsActive(stream), 0u);
        BASS_StreamFree(stream);
    }
}

TEST(AudioCoreApi, StreamsAreRecognisedByContent) {
    Library library;
    fx::TestDir dir;
    const auto source = fx::sine(440, 1.0, 44100, 2);
    fx::writeWav(dir.file("a.wav"), source, 44100, 2);
    ASSERT_TRUE(fx::encodeMp3Cbr(dir.file("a.wav"), dir.file("a.mp3"), 128));
    ASSERT_TRUE(fx::encodeOgg(dir.file("a.wav"), dir.file("a.ogg"), 3));
    ASSERT_TRUE(fx::encodeMp2(dir.file("a.wav"), dir.file("a.mp2"), 192));
    fx::fs::copy_file(dir.file("a.mp3"), dir.file("tagged.ogg"));
    // A large ID3v2 tag (bigger than the first read) in front of the frames.
    ASSERT_TRUE(fx::prependId3v23(dir.file("tagged.ogg"), {"Title", "Artist", "", ""}, 100000));
    fx::fs::copy_file(dir.file("a.ogg"), dir.file("ogg.mp3"));
    fx::fs::copy_file(dir.file("a.wav"), dir.file("wave.xm"));
    fx::fs::copy_file(dir.file("a.mp2"), dir.file("layer2.wav"));
    for (const char *name : {"tagged.ogg", "ogg.mp3", "wave.xm", "layer2.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(BASS_MusicLoad(FALSE, dir.file(name).c_str(), 0, 0, 0, 0), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
        const DWORD stream = BASS_StreamCreateFile(FALSE, dir.file(name).c_str(), 0, 0, BASS_STREAM_DECODE);
        ASSERT_NE(stream, 0u);
        const QWORD length = BASS_StreamGetLength(stream);
        EXPECT_NEAR(BASS_ChannelBytes2Seconds(stream, length), 1.0, 0.03);
    }
    // A module with a stream's extension is still a module.
    fx::writeModuleFile(dir.file("song.mp3"), fx::ModFormat::It, fx::demoSong(2.0));
    const DWORD music = BASS_MusicLoad(FALSE, dir.file("song.mp3").c_str(), 0, 0, 0, 0);
    EXPECT_NE(music, 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, dir.file("song.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

// The module probe looks at the header only: a 50 MB MP3 in memory whose bytes past the first 256 KB
// cannot be touched at all (reading them would crash the test).
TEST(AudioCoreApi, ModuleProbeReadsOnlyTheHeader) {
    Library library;
    fx::TestDir dir;
    fx::writeWav(dir.file("a.wav"), fx::sine(440, 3.0, 44100, 2), 44100, 2);
    ASSERT_TRUE(fx::encodeMp3Cbr(dir.file("a.wav"), dir.file("a.mp3"), 128));
    const auto mp3 = fx::readFile(dir.file("a.mp3"));
    const std::size_t size = 50u << 20;
    const std::size_t open = 256u << 10;
    void *memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    auto *bytes = static_cast<std::uint8_t *>(memory);
    for (std::size_t at = 0; at + mp3.size() <= open; at += mp3.size())
        std::memcpy(bytes + at, mp3.data(), mp3.size());
    ASSERT_EQ(::mprotect(bytes + open, size - open, PROT_NONE), 0);
    EXPECT_EQ(BASS_MusicLoad(TRUE, bytes, 0, static_cast<DWORD>(size), 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    ::munmap(memory, size);
}

// The block conversion (vectorised) and the single-sample one must agree sample for sample, clipping,
// rounding ties to even and turning NaN into the most negative value alike, whatever the block length.
TEST(AudioCoreConvert, BlockAndSampleConversionAgree) {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> in = {
        0.0f, -0.0f, 1.0f, -1.0f, 0.99999f,     2.0f,         -3.5f,         1e30f,         -1e30f,
        inf,  -inf,  NAN,  -NAN,  0.5f / 32768, 1.5f / 32768, -0.5f / 32768, -2.5f / 32768, 32766.5f / 32768};
    for (int i = 0; i < 1000; ++i)
        in.push_back(std::sin(static_cast<float>(i) * 0.37f) * 1.3f);
    for (const float gain : {1.0f, 0.5f}) {
        for (std::size_t n : {std::size_t{0}, std::size_t{3}, std::size_t{8}, std::size_t{13}, in.size()}) {
            std::vector<std::int16_t> block(n + 1, 1234);
            calvoran::audio::floatToInt16(in.data(), block.data(), n, gain);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(block[i], calvoran::audio::floatToInt16(in[i] * gain)) << i << " gain " << gain;
            EXPECT_EQ(block[n], 1234) << "wrote past the end";
        }
    }
    EXPECT_EQ(calvoran::audio::floatToInt16(NAN), -32768);
    EXPECT_EQ(calvoran::audio::floatToInt16(1e30f), 32767);
    EXPECT_EQ(calvoran::audio::floatToInt16(0.5f / 32768), 0);
    EXPECT_EQ(calvoran::audio::floatToInt16(1.5f / 32768), 2);
}
