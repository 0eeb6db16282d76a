// URL streams through the library, served by a loopback server of our own.
#include "LoopbackServer.h"
#include "core_support.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>

using namespace calvoran::audio::test;
using calvoran::test::LoopbackConnection;
using calvoran::test::LoopbackServer;

namespace {

constexpr DWORD kTimeoutMs = 1000;

std::string readFile(const fx::fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string metaBlock(const std::string &text) {
    std::string block = text;
    block.resize((text.size() + 15) / 16 * 16, '\0');
    return std::string(1, static_cast<char>(block.size() / 16)) + block;
}

// `audio` with a metadata block after every `metaint` bytes; `title(i)` gives the text of block i.
std::string interleave(const std::string &audio, std::size_t metaint,
                       const std::function<std::string(int)> &title) {
    std::string out;
    int block = 0;
    for (std::size_t at = 0; at < audio.size(); at += metaint) {
        out += audio.substr(at, metaint);
        if (at + metaint <= audio.size()) out += metaBlock(title(block++));
    }
    return out;
}

// Generated station audio, made once for the whole program.
struct Media {
    fx::TestDir dir;
    std::string mp3;
    std::string ogg;
    fx::fs::path mp3Path;
    fx::fs::path oggPath;
    Media() {
        const auto wav = dir.file("tone.wav");
        fx::writeWav(wav, fx::chord({330, 440, 554}, 6.0, 44100, 2, 0.4), 44100, 2);
        mp3Path = dir.file("tone.mp3");
        oggPath = dir.file("tone.ogg");
        if (fx::encodeMp3Cbr(wav, mp3Path, 128)) mp3 = readFile(mp3Path);
        if (fx::encodeOgg(wav, oggPath, 3)) ogg = readFile(oggPath);
    }
};

const Media &media() {
    static Media m;
    return m;
}

std::vector<std::int16_t> decodeLocal(const fx::fs::path &path) {
    const DWORD h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    auto all = decodeAll16(h);
    BASS_StreamFree(h);
    return all;
}

std::vector<std::string> tagLines(const char *tags) {
    std::vector<std::string> lines;
    for (; tags && *tags; tags += std::strlen(tags) + 1)
        lines.emplace_back(tags);
    return lines;
}

class AudioNet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, kTimeoutMs));
        ASSERT_TRUE(library_.ok());
        if (media().mp3.empty() || media().ogg.empty()) GTEST_SKIP() << "lame or oggenc missing";
    }
    Library library_{1};
};

// The open fails with `code`, and the failure does not wait much past the time-out.
void expectOpenFails(const std::string &url, int code) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(BASS_StreamCreateURL(url.c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr), 0u) << url;
    EXPECT_EQ(BASS_ErrorGetCode(), code) << url;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4 * kTimeoutMs)) << url;
}

} // namespace

TEST(AudioNetConfig, TimeOutOptionAndBadAddresses) {
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_TIMEOUT), 10000u);
    EXPECT_FALSE(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 0));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(BASS_GetConfig(99), ~DWORD{0});
    EXPECT_TRUE(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 2500));
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_NET_TIMEOUT), 2500u);
    EXPECT_EQ(BASS_StreamCreateURL("http://127.0.0.1/", 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    Library library(0);
    for (const char *bad : {"", "ftp://127.0.0.1/a.mp3", "/etc/passwd", "http://"}) {
        EXPECT_EQ(BASS_StreamCreateURL(bad, 0, 0, nullptr, nullptr), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    }
    EXPECT_EQ(BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
    // A file stream has no tags of either kind.
    EXPECT_EQ(BASS_StreamGetTags(12345, BASS_TAG_ICY), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(AudioNet, DecodedAudioEqualsTheLocalFileAndNoMetadataByteLeaks) {
    for (const auto &[body, path] :
         {std::pair{&media().mp3, &media().mp3Path}, {&media().ogg, &media().oggPath}}) {
        const std::string wire =
            interleave(*body, 8192, [](int i) { return "StreamTitle='Block " + std::to_string(i) + "';"; });
        std::string request;
        LoopbackServer server([&](LoopbackConnection &c) {
            request = c.request();
            c.send("ICY 200 OK\r\nicy-name:Loop FM\r\nicy-genre:Test\r\nicy-br:128\r\nicy-metaint:8192\r\n"
                   "Content-Length: " +
                   std::to_string(wire.size()) + "\r\n\r\n");
            c.send(wire);
        });
        std::atomic<std::size_t> downloaded{0};
        const DWORD h = BASS_StreamCreateURL(
            server.url("/live").c_str(), 0, BASS_STREAM_DECODE,
            [](const void *, DWORD length, void *user) {
                *static_cast<std::atomic<std::size_t> *>(user) += length;
            },
            &downloaded);
        ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
        EXPECT_EQ(BASS_StreamGetLength(h), ~QWORD{0});
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
        const auto net = decodeAll16(h);
        const auto local = decodeLocal(*path);
        ASSERT_GT(local.size(), 44100u * 2 * 5);
        ASSERT_EQ(net.size(), local.size());
        EXPECT_EQ(maxDifference(net, local), 0);
        EXPECT_EQ(downloaded.load(), body->size());
        EXPECT_NE(request.find("Icy-MetaData: 1"), std::string::npos);
        EXPECT_NE(request.find("User-Agent: Calvoran Player/"), std::string::npos);

        const auto lines = tagLines(BASS_StreamGetTags(h, BASS_TAG_ICY));
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[0], "ICY 200 OK");
        EXPECT_EQ(lines[1], "icy-name:Loop FM");
        EXPECT_EQ(lines[3], "icy-br:128");
        const char *meta = BASS_StreamGetTags(h, BASS_TAG_META);
        ASSERT_NE(meta, nullptr);
        EXPECT_EQ(std::string(meta),
                  "StreamTitle='Block " + std::to_string(wire.size() / (8192 + 33) - 1) + "';");
        EXPECT_TRUE(BASS_StreamFree(h));
    }
}

TEST_F(AudioNet, TitleChangeIsSeenAsSoonAsItArrives) {
    std::atomic<int> next{0};
    const std::string &audio = media().mp3;
    LoopbackServer server([&](LoopbackConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-metaint:4000\r\n\r\n");
        for (std::size_t at = 0, block = 0; at + 4000 <= audio.size(); at += 4000, ++block) {
            if (!c.send(audio.substr(at, 4000))) return;
            // The first title for the first blocks; the second once the test asks for it.
            if (block == 8)
                while (next.load() == 0 && c.pause(std::chrono::milliseconds(5))) {
                }
            if (!c.send(metaBlock(block < 8 ? "StreamTitle='First';" : "StreamTitle='Second';"))) return;
        }
        c.pause(std::chrono::seconds(30));
    });
    const DWORD h = BASS_StreamCreateURL(server.url("/").c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_StreamPlay(h, TRUE, 0));
    const auto meta = [h] {
        const char *m = BASS_StreamGetTags(h, BASS_TAG_META);
        return std::string(m ? m : "");
    };
    EXPECT_TRUE(waitFor([&] { return meta() == "StreamTitle='First';"; }, std::chrono::seconds(5)));
    next.store(1);
    EXPECT_TRUE(waitFor([&] { return meta() == "StreamTitle='Second';"; }, std::chrono::seconds(5)));
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(AudioNet, StationPlaylistsAndRedirectsAreFollowed) {
    LoopbackServer server([](LoopbackConnection &c) {
        const std::string path = c.path();
        const std::string self =
            "http://127.0.0.1:" + c.header("Host").substr(c.header("Host").find(':') + 1);
        if (path == "/list.pls") {
            c.send("HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nConnection: close\r\n\r\n[playlist]\r\n"
                   "NumberOfEntries=1\r\nFile1=" +
                   self + "/stream\r\nTitle1=Loop\r\n");
        } else if (path == "/list.m3u") {
            c.send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: "
                   "close\r\n\r\n#EXTM3U\n#EXTINF:-1,Loop\n" +
                   self + "/r/2\n");
        } else if (path.rfind("/r/", 0) == 0 && path != "/r/0") {
            const int n = std::stoi(path.substr(3));
            c.send("HTTP/1.1 302 Found\r\nLocation: /r/" + std::to_string(n - 1) +
                   "\r\nContent-Length: 0\r\n\r\n");
        } else {
            c.send("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                   std::to_string(media().mp3.size()) + "\r\n\r\n");
            c.send(media().mp3);
        }
    });
    for (const char *path : {"/list.pls", "/list.m3u", "/r/5"}) {
        const DWORD h =
            BASS_StreamCreateURL(server.url(path).c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
        EXPECT_NE(h, 0u) << path << " " << BASS_ErrorGetCode();
        std::int16_t block[1024];
        EXPECT_EQ(BASS_ChannelGetData(h, block, sizeof block), sizeof block) << path;
        BASS_StreamFree(h);
    }
    expectOpenFails(server.url("/r/6"), BASS_ERROR_HTTP);
}

TEST_F(AudioNet, HostileServersEndInAClearErrorWithinTheTimeOut) {
    const std::string mp3 = media().mp3;
    LoopbackServer server([&](LoopbackConnection &c) {
        const std::string path = c.path();
        if (path == "/endless-headers") {
            c.send("HTTP/1.0 200 OK\r\n");
            for (int i = 0; c.send("X-Filler-" + std::to_string(i) + ": more\r\n"); ++i) {
            }
        } else if (path == "/huge-header") {
            c.send("HTTP/1.0 200 OK\r\nX-Huge: ");
            c.send(std::string(10 * 1024 * 1024, 'a'));
            c.send("\r\n\r\n");
        } else if (path == "/trickle") {
            c.send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n");
            for (std::size_t i = 0; i < mp3.size() && c.send(mp3.substr(i, 1)); ++i)
                c.pause(std::chrono::seconds(1));
        } else if (path == "/404") {
            c.send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
        } else if (path == "/500") {
            c.send("ICY 500 Internal Server Error\r\n\r\n");
        } else if (path == "/html") {
            const std::string page =
                "<!DOCTYPE html><html><body>" + std::string(3000, 'x') + "</body></html>";
            c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                   std::to_string(page.size()) + "\r\n\r\n" + page);
        } else if (path == "/silent") {
            c.pause(std::chrono::seconds(30));
        }
    });
    expectOpenFails(server.url("/endless-headers"), BASS_ERROR_HTTP);
    expectOpenFails(server.url("/huge-header"), BASS_ERROR_HTTP);
    expectOpenFails(server.url("/trickle"), BASS_ERROR_TIMEOUT);
    expectOpenFails(server.url("/404"), BASS_ERROR_HTTP);
    expectOpenFails(server.url("/500"), BASS_ERROR_HTTP);
    expectOpenFails(server.url("/html"), BASS_ERROR_FILEFORM);
    expectOpenFails(server.url("/silent"), BASS_ERROR_TIMEOUT);
    expectOpenFails("http://127.0.0.1:" + std::to_string(calvoran::test::unusedPort()) + "/",
                    BASS_ERROR_NONET);
}

TEST_F(AudioNet, OddMetadataNeverReachesTheDecoder) {
    const std::string mp3 = media().mp3;
    const auto local = decodeLocal(media().mp3Path);
    std::atomic<int> served{0};
    LoopbackServer server([&](LoopbackConnection &c) {
        const std::string path = c.path();
        ++served;
        if (path.rfind("/metaint/", 0) == 0) {
            // Values that are not believed: the body is plain audio.
            c.send("ICY 200 OK\r\nicy-metaint:" + path.substr(9) +
                   "\r\nContent-Length: " + std::to_string(mp3.size()) + "\r\n\r\n" + mp3);
        } else if (path == "/full-blocks") {
            const std::string title = "StreamTitle='" + std::string(4080 - 15, 'z') + "';";
            const std::string wire = interleave(mp3, 1000, [&](int) { return title; });
            c.send("ICY 200 OK\r\nicy-metaint:1000\r\nContent-Length: " + std::to_string(wire.size()) +
                   "\r\n\r\n" + wire);
        } else if (path == "/cut-in-meta") {
            // The connection ends inside a metadata block; the station is gone afterwards.
            const std::string wire =
                interleave(mp3.substr(0, 40000), 8000, [](int) { return "StreamTitle='Cut';"; });
            c.send("ICY 200 OK\r\nicy-metaint:8000\r\n\r\n");
            c.send(wire.substr(0, wire.size() - 10));
        }
    });
    for (const char *value : {"0", "-1", "abc", "2147483648"}) {
        const DWORD h = BASS_StreamCreateURL(server.url(std::string("/metaint/") + value).c_str(), 0,
                                             BASS_STREAM_DECODE, nullptr, nullptr);
        ASSERT_NE(h, 0u) << value;
        EXPECT_EQ(maxDifference(decodeAll16(h), local), 0) << value;
        EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_META), nullptr);
        BASS_StreamFree(h);
    }
    {
        const DWORD h =
            BASS_StreamCreateURL(server.url("/full-blocks").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
        ASSERT_NE(h, 0u);
        const auto net = decodeAll16(h);
        EXPECT_EQ(net.size(), local.size());
        EXPECT_EQ(maxDifference(net, local), 0);
        const char *meta = BASS_StreamGetTags(h, BASS_TAG_META);
        ASSERT_NE(meta, nullptr);
        EXPECT_LE(std::strlen(meta), 255u * 16);
        BASS_StreamFree(h);
    }
    {
        const DWORD h =
            BASS_StreamCreateURL(server.url("/cut-in-meta").c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
        ASSERT_NE(h, 0u);
        server.close();
        const auto net = decodeAll16(h); // ends once reconnecting gives up
        ASSERT_GT(net.size(), 44100u);
        // What came through is the start of the station's audio; the cut block is dropped.
        EXPECT_EQ(maxDifference(net, local, 0, net.size() - 44100), 0);
        EXPECT_EQ(std::string(BASS_StreamGetTags(h, BASS_TAG_META)), "StreamTitle='Cut';");
        BASS_StreamFree(h);
    }
}

TEST_F(AudioNet, AStationThatDropsStallsAndPlaysOnWhenItComesBack) {
    const std::string mp3 = media().mp3;
    std::atomic<int> served{0};
    LoopbackServer server([&](LoopbackConnection &c) {
        c.send("ICY 200 OK\r\nicy-name:Flaky\r\n\r\n");
        if (served.fetch_add(1) == 0) {
            // About 1.5 s of audio, then the station goes away and refuses connections.
            c.send(mp3.substr(0, 24000));
            return;
        }
        // A live station goes on where it was, not from the start of the file.
        for (std::size_t at = 24000; at < mp3.size(); at += 4000) {
            if (!c.send(mp3.substr(at, 4000))) return;
            c.pause(std::chrono::milliseconds(200));
        }
    });
    const DWORD h = BASS_StreamCreateURL(server.url("/").c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    server.close();
    ASSERT_TRUE(BASS_StreamPlay(h, TRUE, 0));
    EXPECT_TRUE(
        waitFor([h] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STALLED; }, std::chrono::seconds(5)));
    const double stalledAt = positionSeconds(h);
    EXPECT_GT(stalledAt, 1.0);
    server.listen();
    EXPECT_TRUE(waitFor([&] { return positionSeconds(h) > stalledAt + 0.5; }, std::chrono::seconds(8)));
    EXPECT_EQ(BASS_ChannelIsActive(h), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    EXPECT_GE(served.load(), 2);

    // Freeing while it reconnects returns at once.
    server.close();
    EXPECT_TRUE(
        waitFor([h] { return BASS_ChannelIsActive(h) == BASS_ACTIVE_STALLED; }, std::chrono::seconds(10)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(BASS_StreamFree(h));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}
