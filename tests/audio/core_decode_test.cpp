// Decoding checked against the source samples and against the reference decoders, whole and across seeks.
#include "ByteWriter.h"
#include "core_support.h"

using namespace calvoran::audio::test;

namespace {

class AudioCoreDecode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library_.ok()); }
    DWORD decodeStream(const fx::fs::path &path) {
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    }
    // Reads `frames` frames of a decode channel after seeking to `frame`.
    static std::vector<std::int16_t> readAt(DWORD handle, QWORD frame, std::size_t frames, int channels) {
        EXPECT_TRUE(BASS_ChannelSetPosition(handle, frame * static_cast<QWORD>(channels) * 2));
        EXPECT_EQ(BASS_ChannelGetPosition(handle), frame * static_cast<QWORD>(channels) * 2);
        std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels));
        const DWORD got = BASS_ChannelGetData(handle, out.data(), static_cast<DWORD>(out.size() * 2));
        out.resize(got == ~DWORD{0} ? 0 : got / 2);
        return out;
    }
    // Whole decode and three seeks against a reference decoder's output. ±1 LSB: the reference rounds
    // its own float synthesis to 16 bits; we round the float output of the same library.
    void compareWithReference(const fx::fs::path &file, const fx::fs::path &referenceWav, int tolerance = 1) {
        int channels = 0;
        const auto reference = referenceSamples(referenceWav, &channels);
        ASSERT_FALSE(reference.empty());
        const DWORD stream = decodeStream(file);
        ASSERT_NE(stream, 0u);
        EXPECT_EQ(BASS_StreamGetLength(stream), reference.size() * 2);
        const auto decoded = decodeAll16(stream);
        ASSERT_EQ(decoded.size(), reference.size());
        EXPECT_LE(maxDifference(decoded, reference), tolerance);
        EXPECT_EQ(BASS_ChannelIsActive(stream), 0u);
        const std::size_t frames = reference.size() / static_cast<std::size_t>(channels);
        for (const std::size_t at : {frames / 3 + 17, std::size_t{1}, frames * 4 / 5 + 3, frames / 2 - 1}) {
            SCOPED_TRACE(at);
            const auto part = readAt(stream, at, 3000, channels);
            const auto count = std::min<std::size_t>(3000, frames - at) * static_cast<std::size_t>(channels);
            ASSERT_EQ(part.size(), count);
            const std::vector<std::int16_t> expected(
                reference.begin() + static_cast<std::ptrdiff_t>(at * channels),
                reference.begin() + static_cast<std::ptrdiff_t>(at * channels + count));
            EXPECT_LE(maxDifference(part, expected), tolerance);
        }
        BASS_StreamFree(stream);
    }

    Library library_{0};
    fx::TestDir dir_;
};

} // namespace

TEST_F(AudioCoreDecode, WavFormatsDecodeExactly) {
    const auto source = fx::chord({220, 1330, 5000}, 0.7, 32000, 2, 0.9);
    for (const auto format :
         {fx::WavFormat::Pcm16, fx::WavFormat::Pcm24, fx::WavFormat::Pcm32, fx::WavFormat::Float32,
          fx::WavFormat::Pcm8, fx::WavFormat::MuLaw, fx::WavFormat::ImaAdpcm}) {
        SCOPED_TRACE(static_cast<int>(format));
        const auto path = dir_.file("f.wav");
        ASSERT_TRUE(fx::writeWav(path, source, 32000, 2, format));
        // The file's own samples, as the fixture reader sees them, rounded to 16 bits.
        const auto expected = fx::toInt16(fx::readWav(path)->samples);
        const DWORD stream = decodeStream(path);
        ASSERT_NE(stream, 0u);
        DWORD freq = 0;
        BASS_ChannelGetAttributes(stream, &freq, nullptr, nullptr);
        EXPECT_EQ(freq, 32000u);
        const auto decoded = decodeAll16(stream);
        // IMA ADPCM: the decoder may keep the padding of the last block.
        const std::size_t slack = format == fx::WavFormat::ImaAdpcm ? 4096 : 0;
        ASSERT_GE(decoded.size(), expected.size());
        ASSERT_LE(decoded.size(), expected.size() + slack);
        EXPECT_LE(maxDifference(decoded, expected), 1);
        // Lossless formats give the source back to the rounding step.
        if (format == fx::WavFormat::Pcm16 || format == fx::WavFormat::Float32) {
            EXPECT_LE(maxDifference(decoded, fx::toInt16(source)), format == fx::WavFormat::Pcm16 ? 0 : 1);
        }
        BASS_StreamFree(stream);
    }
    // Mono 8-bit at an odd rate keeps its own layout.
    const auto mono = fx::sine(1000, 0.5, 11025, 1);
    ASSERT_TRUE(fx::writeWav(dir_.file("m.wav"), mono, 11025, 1, fx::WavFormat::Pcm8));
    const DWORD stream = decodeStream(dir_.file("m.wav"));
    EXPECT_EQ(BASS_StreamGetLength(stream), mono.size() * 2);
    EXPECT_EQ(decodeAll16(stream).size(), mono.size());
}

// WAVE_FORMAT_EXTENSIBLE as sox writes it for float, 24-bit and multichannel output.
TEST_F(AudioCoreDecode, ExtensibleWavFromSoxDecodes) {
    if (!fx::toolAvailable("sox")) GTEST_SKIP() << "sox is not installed";
    const auto source = fx::chord({220, 1330, 5000}, 0.5, 44100, 2, 0.9);
    ASSERT_TRUE(fx::writeWav(dir_.file("in.wav"), source, 44100, 2, fx::WavFormat::Pcm16));
    const auto expected = fx::toInt16(fx::readWav(dir_.file("in.wav"))->samples);
    struct Case {
        std::vector<std::string> args;
        int channels;
    };
    // ±1 as for plain WAV: the float path rounds back to 16 bits. Six channels repeat the stereo pair.
    for (const Case &c :
         {Case{{"-e", "floating-point", "-b", "32"}, 2}, Case{{"-e", "signed-integer", "-b", "24"}, 2},
          Case{{"-e", "signed-integer", "-b", "16", "-c", "6"}, 6}}) {
        SCOPED_TRACE(c.args[1] + c.args[3]);
        const auto out = dir_.file("x.wav");
        // -D: no dither, so 16-bit values pass unchanged.
        std::vector<std::string> argv{"sox", "-D", dir_.file("in.wav").string()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        argv.push_back(out.string());
        ASSERT_TRUE(fx::runTool(argv).ok());
        const auto bytes = fx::readFile(out);
        ASSERT_GE(bytes.size(), 22u);
        // 24-bit and six channels are always extensible; float is extensible in some sox versions only.
        const int formatTag = bytes[20] | (bytes[21] << 8);
        if (c.args[1] == "floating-point")
            EXPECT_TRUE(formatTag == 0xFFFE || formatTag == 3) << formatTag;
        else
            ASSERT_EQ(formatTag, 0xFFFE);
        const DWORD stream = decodeStream(out);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        const auto decoded = decodeAll16(stream);
        BASS_StreamFree(stream);
        if (c.channels == 2) {
            ASSERT_EQ(decoded.size(), expected.size());
            EXPECT_LE(maxDifference(decoded, expected), 1);
            continue;
        }
        // sox spreads the pair over six channels; the decoded frame count must match and every channel
        // must follow one of the two source sides.
        const std::size_t frames = expected.size() / 2;
        ASSERT_EQ(decoded.size(), frames * 6);
        for (int ch = 0; ch < 6; ++ch) {
            int bestDiff = 1 << 20;
            for (int side = 0; side < 2; ++side) {
                int worst = 0;
                for (std::size_t i = 0; i < frames; ++i)
                    worst = std::max(worst, std::abs(decoded[i * 6 + static_cast<std::size_t>(ch)] -
                                                     expected[i * 2 + static_cast<std::size_t>(side)]));
                bestDiff = std::min(bestDiff, worst);
            }
            EXPECT_LE(bestDiff, 1) << "channel " << ch;
        }
    }
}

// 24-bit samples in 32-bit containers with a channel mask: the layout sox cannot write, built by hand.
TEST_F(AudioCoreDecode, ExtensibleWav24In32Decodes) {
    const auto source = fx::chord({300, 2100}, 0.3, 48000, 4, 0.8);
    constexpr int kChannels = 4;
    const std::size_t frames = source.size() / kChannels;
    fx::ByteWriter w;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(source.size() * 4);
    w.tag("RIFF");
    w.u32(4 + 8 + 40 + 8 + dataBytes);
    w.tag("WAVE");
    w.tag("fmt ");
    w.u32(40);
    w.u16(0xFFFE);
    w.u16(kChannels);
    w.u32(48000);
    w.u32(48000 * kChannels * 4);
    w.u16(kChannels * 4);
    w.u16(32);
    w.u16(22);
    w.u16(24);   // valid bits
    w.u32(0x33); // FL FR BL BR
    // KSDATAFORMAT_SUBTYPE_PCM
    for (const std::uint8_t v :
         {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        w.u8(v);
    w.tag("data");
    w.u32(dataBytes);
    std::vector<std::int16_t> expected;
    for (const float f : source) {
        const auto v24 = static_cast<std::int32_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 8388607.0f));
        w.u32(static_cast<std::uint32_t>(v24) << 8);
        expected.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v24 / 256.0), -32768L, 32767L)));
    }
    const auto b = w.take();
    const DWORD stream = BASS_StreamCreateFile(TRUE, b.data(), 0, b.size(), BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    DWORD freq = 0;
    BASS_ChannelGetAttributes(stream, &freq, nullptr, nullptr);
    EXPECT_EQ(freq, 48000u);
    EXPECT_EQ(BASS_StreamGetLength(stream), frames * kChannels * 2);
    const auto decoded = decodeAll16(stream);
    ASSERT_EQ(decoded.size(), expected.size());
    EXPECT_LE(maxDifference(decoded, expected), 1);
    BASS_StreamFree(stream);
}

// A WAV inside a larger file, opened by offset and length: reads cross the file source's 64 KiB blocks
// at odd places, and seeks back and forth must land on the same samples.
TEST_F(AudioCoreDecode, FileWindowsReadAndSeekExactly) {
    const auto source = fx::stereoSines(300, 700, 1.5, 44100, 0.7);
    const auto wav = fx::wavBytes(source, 44100, 2, fx::WavFormat::Float32);
    const std::vector<std::uint8_t> before(70001, 0x5A), after(3333, 0xA5);
    const auto path = dir_.file("inside.bin");
    {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (const auto *part : {&before, &wav, &after})
            ASSERT_EQ(std::fwrite(part->data(), 1, part->size(), f), part->size());
        std::fclose(f);
    }
    const DWORD stream = BASS_StreamCreateFile(FALSE, path.c_str(), 70001, wav.size(), BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    const auto all = decodeAllFloat(stream);
    ASSERT_EQ(all.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        ASSERT_EQ(all[i], source[i]) << i;
    const std::size_t frames = source.size() / 2;
    for (const std::size_t at :
         {frames - 100, std::size_t{5}, frames / 2 + 1, std::size_t{8191}, frames / 3}) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(BASS_ChannelSetPosition(stream, at * 4));
        std::vector<float> part(std::min<std::size_t>(20000, frames - at) * 2);
        const DWORD bytes = static_cast<DWORD>(part.size() * 4);
        ASSERT_EQ(BASS_ChannelGetData(stream, part.data(), bytes | BASS_DATA_FLOAT), bytes);
        for (std::size_t i = 0; i < part.size(); ++i)
            ASSERT_EQ(part[i], source[at * 2 + i]) << i;
    }
    BASS_StreamFree(stream);
}

TEST_F(AudioCoreDecode, FloatDataAndMemoryStreams) {
    const auto source = fx::stereoSines(300, 700, 0.5, 44100, 0.7);
    const auto bytes = fx::wavBytes(source, 44100, 2, fx::WavFormat::Float32);
    // Memory streams read the caller's block; an offset skips a prefix.
    std::vector<std::uint8_t> padded(100 + bytes.size(), 0xAB);
    std::copy(bytes.begin(), bytes.end(), padded.begin() + 100);
    const DWORD stream = BASS_StreamCreateFile(TRUE, padded.data(), 100, bytes.size(), BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u);
    const auto decoded = decodeAllFloat(stream);
    ASSERT_EQ(decoded.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        ASSERT_EQ(decoded[i], source[i]) << i;
    EXPECT_EQ(BASS_ChannelGetPosition(stream), source.size() * 2);
    // At the end: -1 and BASS_ERROR_ENDED.
    float more[16];
    EXPECT_EQ(BASS_ChannelGetData(stream, more, sizeof more | BASS_DATA_FLOAT), ~DWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    // A decode-only channel cannot be played.
    EXPECT_FALSE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DECODE);

    EXPECT_EQ(BASS_StreamCreateFile(TRUE, padded.data(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST_F(AudioCoreDecode, MpegLayersMatchMpg123) {
    const auto source = fx::chord({110, 440, 2500}, 3.1, 44100, 2, 0.6);
    ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, 44100, 2));
    ASSERT_TRUE(fx::encodeMp3Cbr(dir_.file("s.wav"), dir_.file("cbr.mp3"), 128));
    ASSERT_TRUE(fx::encodeMp3Vbr(dir_.file("s.wav"), dir_.file("vbr.mp3"), 4));
    ASSERT_TRUE(fx::encodeMp2(dir_.file("s.wav"), dir_.file("s.mp2"), 192));
    ASSERT_TRUE(fx::writeLayer1File(dir_.file("s.mp1"), source, 44100, 2, 384));
    const auto mono = fx::sine(880, 2.0, 22050, 1);
    ASSERT_TRUE(fx::writeWav(dir_.file("m.wav"), mono, 22050, 1));
    ASSERT_TRUE(fx::encodeMp3Cbr(dir_.file("m.wav"), dir_.file("mono22.mp3"), 64));
    for (const char *name : {"cbr.mp3", "vbr.mp3", "s.mp2", "s.mp1", "mono22.mp3"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fx::decodeWithMpg123(dir_.file(name), dir_.file("ref.wav")));
        compareWithReference(dir_.file(name), dir_.file("ref.wav"));
    }
    // Gapless: the LAME-tagged file is as long as its source, to the sample.
    const DWORD stream = decodeStream(dir_.file("cbr.mp3"));
    EXPECT_EQ(BASS_StreamGetLength(stream), source.size() * 2);
}

TEST_F(AudioCoreDecode, VorbisMatchesOggdec) {
    const auto source = fx::chord({150, 900, 6100}, 2.3, 48000, 2, 0.6);
    ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, 48000, 2));
    ASSERT_TRUE(fx::encodeOgg(dir_.file("s.wav"), dir_.file("s.ogg"), 4));
    ASSERT_TRUE(fx::decodeWithOggdec(dir_.file("s.ogg"), dir_.file("ref.wav")));
    compareWithReference(dir_.file("s.ogg"), dir_.file("ref.wav"));
    const auto mono = fx::sine(500, 1.5, 22050, 1);
    ASSERT_TRUE(fx::writeWav(dir_.file("m.wav"), mono, 22050, 1));
    ASSERT_TRUE(fx::encodeOgg(dir_.file("m.wav"), dir_.file("m.ogg"), 2));
    ASSERT_TRUE(fx::decodeWithOggdec(dir_.file("m.ogg"), dir_.file("mref.wav")));
    compareWithReference(dir_.file("m.ogg"), dir_.file("mref.wav"));
}

TEST_F(AudioCoreDecode, ModulesMatchOpenmpt123) {
    for (const auto format :
         {fx::ModFormat::Mod, fx::ModFormat::S3m, fx::ModFormat::Xm, fx::ModFormat::It, fx::ModFormat::Mtm}) {
        SCOPED_TRACE(fx::extension(format));
        auto song = fx::demoSong(8.0, "Calvoran demo");
        const auto path = dir_.file(std::string("song.") + fx::extension(format));
        ASSERT_TRUE(fx::writeModuleFile(path, format, song));
        ASSERT_TRUE(fx::decodeWithOpenmpt123(path, dir_.file("ref.wav")));
        const auto reference = referenceSamples(dir_.file("ref.wav"));
        ASSERT_FALSE(reference.empty());

        // The probe load gives a handle too.
        const DWORD probe = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0, 0);
        ASSERT_NE(probe, 0u);
        EXPECT_EQ(BASS_MusicGetLength(probe, FALSE), song.orders.size());
        EXPECT_STREQ(BASS_MusicGetName(probe), "Calvoran demo");
        EXPECT_TRUE(BASS_MusicFree(probe));

        const DWORD music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_MUSIC_DECODE, 48000);
        ASSERT_NE(music, 0u);
        const auto decoded = decodeAll16(music);
        EXPECT_EQ(BASS_ChannelIsActive(music), 0u);
        // Same length (whole frames) and the same samples; openmpt123 renders 16-bit output with the
        // library's default dither, so allow a few LSB.
        EXPECT_NEAR(static_cast<double>(decoded.size()), static_cast<double>(reference.size()), 2.0 * 48);
        // The song's length is its play time; libopenmpt renders the last row's tail, up to 0.1 s, beyond it.
        EXPECT_NEAR(BASS_MusicGetLength(music, TRUE) / 4.0, reference.size() / 2.0, 4800 + 48);
        EXPECT_LE(maxDifference(decoded, reference), 4);
        BASS_MusicFree(music);
    }
}

TEST_F(AudioCoreDecode, ModuleSeekAndMemoryLoad) {
    const auto bytes = fx::writeModule(fx::ModFormat::Xm, fx::demoSong(16.0, "Mem"));
    const DWORD music =
        BASS_MusicLoad(TRUE, bytes.data(), 0, static_cast<DWORD>(bytes.size()), BASS_MUSIC_DECODE, 0);
    ASSERT_NE(music, 0u);
    EXPECT_STREQ(BASS_MusicGetName(music), "Mem");
    // Decoded at the output rate by default.
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(music, BASS_MusicGetLength(music, TRUE)),
                2 * fx::kDemoPatternSeconds, 0.05);
    const QWORD at = BASS_ChannelSeconds2Bytes(music, 10.0f);
    ASSERT_TRUE(BASS_ChannelSetPosition(music, at));
    EXPECT_EQ(BASS_ChannelGetPosition(music), at);
    const auto rest = decodeAll16(music);
    EXPECT_NEAR(rest.size() / 2.0 / 44100.0, 2 * fx::kDemoPatternSeconds - 10.0, 0.05);
}

TEST_F(AudioCoreDecode, DecodeChannelsMeasureWhatTheyDecode) {
    const int bin = 40;
    const auto path = dir_.file("tone.wav");
    ASSERT_TRUE(fx::writeWav(path, fx::sine(bin * 44100.0 / 1024.0, 1.0, 44100, 1, 0.5), 44100, 1,
                             fx::WavFormat::Float32));
    const DWORD stream = decodeStream(path);
    ASSERT_NE(stream, 0u);
    // Levels: 20 ms decoded, mono on both sides.
    const DWORD level = BASS_ChannelGetLevel(stream);
    EXPECT_NEAR(level & 0xFFFF, 64, 1);
    EXPECT_EQ(level >> 16, level & 0xFFFF);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 882u * 2);
    std::vector<float> fft(512);
    EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT1024), 2048u);
    EXPECT_EQ(std::max_element(fft.begin(), fft.end()) - fft.begin(), bin);
    EXPECT_NEAR(fft[bin], 0.5, 0.02);
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}
