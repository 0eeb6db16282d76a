// What opening a stream costs the disk, counted by the library's own file reader, and that the lengths
// and seeks of files opened that cheaply stay exact.
#include "Source.h"
#include "core_support.h"

using namespace calvoran::audio::test;
using calvoran::audio::fileBytesReadByThisThread;

namespace {

constexpr std::uint64_t kKiB = 1024;

class AudioOpenCost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library_.ok());
        if (!fx::toolAvailable("lame")) GTEST_SKIP() << "lame is not installed";
        source_ = fx::chord({110, 440, 2500}, 50.0, 44100, 2, 0.5);
        fx::append(source_, fx::noise(10.0, 44100, 2, 0.3));
        ASSERT_TRUE(fx::writeWav(dir_.file("s.wav"), source_, 44100, 2));
    }
    // Bytes this thread reads to open `file`, learn its length and close it again (a worker measuring a
    // file without a frame count reads on its own); `length` gets the length in frames.
    static std::uint64_t openCost(const fx::fs::path &file, QWORD &length) {
        const std::uint64_t before = fileBytesReadByThisThread();
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        EXPECT_NE(stream, 0u) << file;
        length = BASS_StreamGetLength(stream) / 4;
        BASS_StreamFree(stream);
        return fileBytesReadByThisThread() - before;
    }
    static std::vector<std::int16_t> decodeFile(const fx::fs::path &file) {
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        EXPECT_NE(stream, 0u);
        auto all = decodeAll16(stream);
        BASS_StreamFree(stream);
        return all;
    }
    // Seeks right after opening (before any frame index exists) and again once decoding has run, each
    // compared with an uninterrupted decode.
    static void expectExactSeeks(HSTREAM stream, const std::vector<std::int16_t> &whole) {
        const std::size_t frames = whole.size() / 2;
        for (const std::size_t at : {frames * 4 / 5 + 3, frames / 3 + 17, frames - 2000, std::size_t{5}}) {
            SCOPED_TRACE(at);
            ASSERT_TRUE(BASS_ChannelSetPosition(stream, at * 4));
            std::vector<std::int16_t> part(4000);
            const DWORD got = BASS_ChannelGetData(stream, part.data(), static_cast<DWORD>(part.size() * 2));
            ASSERT_NE(got, ~DWORD{0});
            part.resize(got / 2);
            ASSERT_EQ(part.size(), std::min<std::size_t>(4000, whole.size() - at * 2));
            const std::vector<std::int16_t> expected(whole.begin() + static_cast<std::ptrdiff_t>(at * 2),
                                                     whole.begin() +
                                                         static_cast<std::ptrdiff_t>(at * 2 + part.size()));
            EXPECT_EQ(maxDifference(part, expected), 0);
        }
    }

    Library library_{0};
    fx::TestDir dir_;
    std::vector<float> source_;
};

TEST_F(AudioOpenCost, HeaderedMpegOpensFromItsFirstFramesWithTheExactLength) {
    ASSERT_TRUE(fx::encodeMp3Cbr(dir_.file("s.wav"), dir_.file("cbr.mp3"), 320));
    ASSERT_TRUE(fx::encodeMp3Vbr(dir_.file("s.wav"), dir_.file("vbr.mp3"), 0));
    // A large tag in front: the audio is looked for behind it, and only there.
    ASSERT_TRUE(fx::encodeMp3Vbr(dir_.file("s.wav"), dir_.file("tagged.mp3"), 2));
    ASSERT_TRUE(fx::prependId3v23(dir_.file("tagged.mp3"), {"Cost", "", "", ""}, 300 * kKiB));
    for (const char *name : {"cbr.mp3", "vbr.mp3", "tagged.mp3"}) {
        SCOPED_TRACE(name);
        const auto file = dir_.file(name);
        // Three times the budget: reading the whole file could not pass.
        ASSERT_GT(fx::fs::file_size(file), 768 * kKiB);
        QWORD length = 0;
        EXPECT_LE(openCost(file, length), 256 * kKiB);
        // Gapless: as long as the source, to the sample.
        EXPECT_EQ(length, source_.size() / 2);
        const auto whole = decodeFile(file);
        ASSERT_EQ(whole.size(), source_.size());
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        expectExactSeeks(stream, whole);
        expectExactSeeks(stream, whole);
        BASS_StreamFree(stream);
    }
}

TEST_F(AudioOpenCost, BareMpegIsEstimatedThenMeasuredExactly) {
    const auto file = dir_.file("bare.mp3");
    ASSERT_TRUE(
        fx::runTool({"lame", "--quiet", "-t", "-b", "320", dir_.file("s.wav").string(), file.string()}).ok());
    ASSERT_GT(fx::fs::file_size(file), 1024 * kKiB);
    QWORD estimate = 0;
    EXPECT_LE(openCost(file, estimate), 1024 * kKiB);
    const auto whole = decodeFile(file);
    const QWORD exact = whole.size() / 2;
    // Within a second of the truth, from the size and the first frame.
    EXPECT_NEAR(static_cast<double>(estimate), static_cast<double>(exact), 44100.0);

    // From the file and from memory alike, the length settles on the exact figure.
    const auto bytes = fx::readFile(file);
    const HSTREAM streams[] = {
        BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE),
        BASS_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), BASS_STREAM_DECODE)};
    for (const HSTREAM stream : streams) {
        ASSERT_NE(stream, 0u);
        QWORD length = 0;
        for (int tries = 0; tries < 2000 && (length = BASS_StreamGetLength(stream) / 4) != exact; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(length, exact);
        expectExactSeeks(stream, whole);
        BASS_StreamFree(stream);
    }
}

TEST_F(AudioOpenCost, OggLengthComesFromTheEnd) {
    if (!fx::toolAvailable("oggenc")) GTEST_SKIP() << "oggenc is not installed";
    const auto file = dir_.file("s.ogg");
    ASSERT_TRUE(fx::encodeOgg(dir_.file("s.wav"), file, 10));
    ASSERT_GT(fx::fs::file_size(file), 768 * kKiB);
    QWORD length = 0;
    EXPECT_LE(openCost(file, length), 256 * kKiB);
    EXPECT_EQ(length, source_.size() / 2);
}

} // namespace
