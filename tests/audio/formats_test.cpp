// FLAC and Opus: whole decodes and seeks against `flac -d` and `opusdec`, recognition by content, and
// damaged files.
#include "ByteWriter.h"
#include "core_support.h"

#include <fstream>
#include <iterator>

using namespace calvoran::audio::test;

namespace {

std::vector<char> fileBytes(const fx::fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fx::fs::path &path, const char *data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

class AudioFormats : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library_.ok()); }

    static DWORD open(const fx::fs::path &path) {
        return BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    }

    // Whole decode, exact length, rate, and seeks to odd frames, all within one step of the reference.
    void compareWithReference(const fx::fs::path &file, const fx::fs::path &referenceWav) {
        int channels = 0;
        int rate = 0;
        const auto reference = referenceSamples(referenceWav, &channels, &rate);
        ASSERT_FALSE(reference.empty());
        const DWORD stream = open(file);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        DWORD freq = 0;
        BASS_ChannelGetAttributes(stream, &freq, nullptr, nullptr);
        EXPECT_EQ(freq, static_cast<DWORD>(rate));
        EXPECT_EQ(BASS_StreamGetLength(stream), reference.size() * 2);
        const auto decoded = decodeAll16(stream);
        ASSERT_EQ(decoded.size(), reference.size());
        EXPECT_LE(maxDifference(decoded, reference), 1);
        const std::size_t frames = reference.size() / static_cast<std::size_t>(channels);
        for (const std::size_t at : {frames / 3 + 17, std::size_t{1}, frames * 4 / 5 + 3, frames / 2 - 1}) {
            SCOPED_TRACE(at);
            const QWORD bytePos = at * static_cast<QWORD>(channels) * 2;
            ASSERT_TRUE(BASS_ChannelSetPosition(stream, bytePos));
            EXPECT_EQ(BASS_ChannelGetPosition(stream), bytePos);
            std::vector<std::int16_t> part(3000 * static_cast<std::size_t>(channels));
            const DWORD got = BASS_ChannelGetData(stream, part.data(), static_cast<DWORD>(part.size() * 2));
            const auto count = std::min<std::size_t>(3000, frames - at) * static_cast<std::size_t>(channels);
            ASSERT_EQ(got, count * 2);
            const std::vector<std::int16_t> expected(
                reference.begin() + static_cast<std::ptrdiff_t>(at * channels),
                reference.begin() + static_cast<std::ptrdiff_t>(at * channels + count));
            part.resize(count);
            EXPECT_LE(maxDifference(part, expected), 1);
        }
        // Beyond the end fails; the end itself is a valid place.
        EXPECT_FALSE(BASS_ChannelSetPosition(stream, reference.size() * 2 + 4));
        BASS_StreamFree(stream);
    }

    Library library_{0};
    fx::TestDir dir_;
};

TEST_F(AudioFormats, FlacNativeAndInOggMatchTheReferenceDecoder) {
    struct Case {
        double seconds;
        int rate, channels;
        fx::WavFormat format;
    };
    for (const Case c : {Case{2.1, 44100, 2, fx::WavFormat::Pcm16}, Case{1.3, 22050, 1, fx::WavFormat::Pcm16},
                         Case{1.1, 96000, 2, fx::WavFormat::Pcm24}}) {
        SCOPED_TRACE(c.rate);
        const auto source = fx::chord({130, 1100, 7300}, c.seconds, c.rate, c.channels, 0.8);
        ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, c.rate, c.channels, c.format));
        for (const bool inOgg : {false, true}) {
            SCOPED_TRACE(inOgg ? "Ogg FLAC" : "native FLAC");
            const auto file = dir_.file(inOgg ? "s.oga" : "s.flac");
            ASSERT_TRUE(fx::encodeFlac(dir_.file("s.wav"), file, inOgg));
            ASSERT_TRUE(fx::decodeWithFlac(file, dir_.file("ref.wav")));
            compareWithReference(file, dir_.file("ref.wav"));
        }
    }
}

TEST_F(AudioFormats, OpusMatchesOpusdecAt48k) {
    struct Case {
        int rate, channels, kbps;
    };
    for (const Case c : {Case{48000, 2, 128}, Case{44100, 1, 48}}) {
        SCOPED_TRACE(c.rate);
        const auto source = fx::chord({220, 1500, 5200}, 1.7, c.rate, c.channels, 0.6);
        ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, c.rate, c.channels));
        ASSERT_TRUE(fx::encodeOpus(dir_.file("s.wav"), dir_.file("s.opus"), c.kbps));
        ASSERT_TRUE(fx::decodeWithOpusdec(dir_.file("s.opus"), dir_.file("ref.wav")));
        compareWithReference(dir_.file("s.opus"), dir_.file("ref.wav"));
    }
}

TEST_F(AudioFormats, RecognisedByContentNotName) {
    const auto source = fx::sine(440, 0.8, 44100, 2);
    ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, 44100, 2));
    ASSERT_TRUE(fx::encodeFlac(dir_.file("s.wav"), dir_.file("a.flac")));
    ASSERT_TRUE(fx::encodeOpus(dir_.file("s.wav"), dir_.file("a.opus"), 96));
    fx::fs::copy_file(dir_.file("a.flac"), dir_.file("flac.mp3"));
    fx::fs::copy_file(dir_.file("a.opus"), dir_.file("opus.ogg"));
    // A FLAC file with an ID3v2 tag in front, as some taggers write it.
    const auto tag = fx::id3v23Tag({"Title", "Artist", "", ""}, 300);
    const auto flac = fileBytes(dir_.file("a.flac"));
    std::vector<char> tagged(tag.begin(), tag.end());
    tagged.insert(tagged.end(), flac.begin(), flac.end());
    writeBytes(dir_.file("tagged.flac"), tagged.data(), tagged.size());
    for (const char *name : {"flac.mp3", "tagged.flac"}) {
        SCOPED_TRACE(name);
        const DWORD stream = open(dir_.file(name));
        ASSERT_NE(stream, 0u);
        EXPECT_EQ(maxDifference(decodeAll16(stream), toInt16(source)), 0);
        BASS_StreamFree(stream);
    }
    const DWORD opus = open(dir_.file("opus.ogg"));
    ASSERT_NE(opus, 0u);
    DWORD freq = 0;
    BASS_ChannelGetAttributes(opus, &freq, nullptr, nullptr);
    EXPECT_EQ(freq, 48000u);
    BASS_StreamFree(opus);
    // Neither is taken for a tracker module.
    EXPECT_EQ(BASS_MusicLoad(FALSE, dir_.file("a.flac").c_str(), 0, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_MusicLoad(FALSE, dir_.file("a.opus").c_str(), 0, 0, 0, 0), 0u);
}

TEST_F(AudioFormats, PlayingChannelsGiveLevelsAndSpectrumLikeAnyStream) {
    const auto source = fx::sine(1000, 3.0, 48000, 2, 0.5);
    ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, 48000, 2));
    ASSERT_TRUE(fx::encodeFlac(dir_.file("s.wav"), dir_.file("s.flac"), true));
    ASSERT_TRUE(fx::encodeOpus(dir_.file("s.wav"), dir_.file("s.opus"), 128));
    for (const char *name : {"s.flac", "s.opus"}) {
        SCOPED_TRACE(name);
        const DWORD stream = BASS_StreamCreateFile(FALSE, dir_.file(name).c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        ASSERT_TRUE(waitFor([&] { return positionSeconds(stream) > 0.5; }, std::chrono::milliseconds(5000)));
        const DWORD level = BASS_ChannelGetLevel(stream);
        EXPECT_NEAR(static_cast<double>(level & 0xFFFF), 64.0, 6.0);
        EXPECT_NEAR(static_cast<double>(level >> 16), 64.0, 6.0);
        std::vector<float> fft(512);
        ASSERT_NE(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT1024), ~DWORD{0});
        // The output runs at the library's 44.1 kHz: 1 kHz lies in bin 1000 / 44100 * 1024.
        const auto peak = std::max_element(fft.begin(), fft.end()) - fft.begin();
        EXPECT_NEAR(static_cast<double>(peak), 1000.0 / 44100.0 * 1024.0, 1.5);
        BASS_StreamFree(stream);
    }
}

TEST_F(AudioFormats, CutAndDamagedFilesFailOrEndEarlyWithoutCrashing) {
    const auto source = fx::chord({300, 2000}, 1.5, 44100, 2, 0.7);
    ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source, 44100, 2));
    ASSERT_TRUE(fx::encodeFlac(dir_.file("s.wav"), dir_.file("a.flac")));
    ASSERT_TRUE(fx::encodeFlac(dir_.file("s.wav"), dir_.file("a.oga"), true));
    ASSERT_TRUE(fx::encodeOpus(dir_.file("s.wav"), dir_.file("a.opus"), 96));
    for (const char *name : {"a.flac", "a.oga", "a.opus"}) {
        SCOPED_TRACE(name);
        const auto bytes = fileBytes(dir_.file(name));
        // Cut inside the headers: nothing to play, and the error says why.
        for (const std::size_t keep : {std::size_t{4}, std::size_t{30}, std::size_t{60}}) {
            SCOPED_TRACE(keep);
            writeBytes(dir_.file("cut"), bytes.data(), keep);
            EXPECT_EQ(open(dir_.file("cut")), 0u);
            EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
        }
        // Cut in the middle of the audio: either refused with an error, or plays no more than is there.
        writeBytes(dir_.file("half"), bytes.data(), bytes.size() / 2);
        const DWORD half = open(dir_.file("half"));
        if (half == 0) {
            EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
        } else {
            const auto decoded = decodeAll16(half);
            EXPECT_LE(decoded.size(), source.size());
            EXPECT_LE(maxDifference(decoded, toInt16(source), 0, decoded.size() / 4), 2000)
                << "what plays is the start of the music";
            BASS_StreamFree(half);
        }
        // Garbage in the middle: plays to the end or stops, never more than the whole.
        auto damaged = bytes;
        for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 400; ++i)
            damaged[i] = static_cast<char>(i * 37);
        writeBytes(dir_.file("damaged"), damaged.data(), damaged.size());
        const DWORD stream = open(dir_.file("damaged"));
        ASSERT_NE(stream, 0u);
        EXPECT_LE(decodeAll16(stream).size(), source.size() + 48000 * 2);
        BASS_StreamFree(stream);
    }
}

} // namespace
