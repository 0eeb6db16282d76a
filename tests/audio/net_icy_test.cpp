// The metadata splitter and the header and playlist helpers, without a network.
#include "Icy.h"

#include <gtest/gtest.h>

#include <random>

using namespace calvoran::audio;

namespace {

std::string metaBlock(const std::string &text) {
    std::string block = text;
    block.resize((text.size() + 15) / 16 * 16, '\0');
    return std::string(1, static_cast<char>(block.size() / 16)) + block;
}

} // namespace

TEST(IcySplitter, AudioComesOutWholeWhateverTheChunkingAndTheLastTextIsKept) {
    std::string audio;
    for (int i = 0; i < 5000; ++i)
        audio += static_cast<char>(i * 7);
    const std::uint32_t metaint = 1000;
    std::string wire;
    for (std::size_t at = 0, block = 0; at < audio.size(); at += metaint, ++block) {
        wire += audio.substr(at, metaint);
        if (at + metaint <= audio.size())
            wire += block == 2 ? std::string(1, '\0')
                               : metaBlock("StreamTitle='Song " + std::to_string(block) + "';");
    }
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        IcySplitter splitter(metaint);
        std::string out;
        std::vector<std::string> texts;
        for (std::size_t at = 0; at < wire.size();) {
            const std::size_t n = std::min<std::size_t>(wire.size() - at, 1 + random() % 1500);
            splitter.feed(
                reinterpret_cast<const unsigned char *>(wire.data() + at), n,
                [&](const unsigned char *p, std::size_t size) {
                    out.append(reinterpret_cast<const char *>(p), size);
                },
                [&](std::string text) { texts.push_back(std::move(text)); });
            at += n;
        }
        ASSERT_EQ(out, audio);
        // A zero-length block carries nothing; padding NULs are not part of the text.
        ASSERT_EQ(texts.size(), 4u);
        EXPECT_EQ(texts.front(), "StreamTitle='Song 0';");
        EXPECT_EQ(texts.back(), "StreamTitle='Song 4';");
    }
}

TEST(IcySplitter, MetaintValuesThatAreNotBelievedMeanPlainAudio) {
    EXPECT_EQ(parseMetaint("8192"), 8192u);
    EXPECT_EQ(parseMetaint(" 16000 "), 16000u);
    for (const char *bad : {"", "0", "-1", "abc", "12x", "2147483648", "99999999999", "+5"})
        EXPECT_EQ(parseMetaint(bad), 0u) << bad;
    // A full-size block (length byte 255) is taken whole and then the audio goes on.
    IcySplitter splitter(4);
    std::string wire = "abcd" + std::string(1, '\xff') + std::string(kMaxMetaBlock, 'x') + "efgh";
    std::string out;
    std::size_t metaSize = 0;
    splitter.feed(
        reinterpret_cast<const unsigned char *>(wire.data()), wire.size(),
        [&](const unsigned char *p, std::size_t size) {
            out.append(reinterpret_cast<const char *>(p), size);
        },
        [&](std::string text) { metaSize = text.size(); });
    EXPECT_EQ(out, "abcdefgh");
    EXPECT_EQ(metaSize, kMaxMetaBlock);
}

TEST(IcyHelpers, HeadersPlaylistsAndAddresses) {
    const std::vector<std::string> lines = {"ICY 200 OK", "icy-name:Test FM", "ICY-BR: 128 ", "Server: x:y"};
    EXPECT_TRUE(isStatusLine(lines[0]));
    EXPECT_TRUE(isStatusLine("HTTP/1.0 200 OK"));
    EXPECT_FALSE(isStatusLine("icy-name:HTTP/"));
    EXPECT_EQ(headerValue(lines, "icy-br"), "128");
    EXPECT_EQ(headerValue(lines, "Server"), "x:y");
    EXPECT_EQ(headerValue(lines, "icy-genre"), "");

    EXPECT_TRUE(looksLikePlaylist("http://h/listen.pls?sid=1", "", ""));
    EXPECT_TRUE(looksLikePlaylist("http://h/x", "audio/x-mpegurl; charset=utf-8", ""));
    EXPECT_TRUE(looksLikePlaylist("http://h/x", "text/plain", "\r\n[Playlist]\r\n"));
    EXPECT_FALSE(looksLikePlaylist("http://h/stream", "audio/mpeg", "\xff\xfb"));

    EXPECT_EQ(firstStreamAddress("[playlist]\nNumberOfEntries=2\nFile1=http://a:8000/\nFile2=http://b/\n"),
              "http://a:8000/");
    EXPECT_EQ(firstStreamAddress("#EXTM3U\r\n#EXTINF:-1,Radio\r\nfile.mp3\r\n HTTPS://c/live \r\n"),
              "HTTPS://c/live");
    EXPECT_EQ(firstStreamAddress("[playlist]\nFile1=ftp://x/\nTitle1=http is not here\n"), "");
    EXPECT_FALSE(isHttpAddress("http://"));
    EXPECT_FALSE(isHttpAddress("file:///etc/passwd"));
}
