// What hostile input and misuse of the C interface give: errors at once, bounded memory, no exception.
#include "core_support.h"

#include "Channel.h"
#include "Library.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <set>

using namespace calvoran::audio::test;

// Every C++ allocation of the program passes here: the test sees the largest one a call makes, and can
// make the allocations of its own thread fail. The sanitizers bring their own allocator, which a
// replacement here would fight, so those builds skip the two tests that need it.
#if defined(__SANITIZE_ADDRESS__)
#define CALVORAN_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CALVORAN_OWN_ALLOCATOR 0
#endif
#endif
#ifndef CALVORAN_OWN_ALLOCATOR
#define CALVORAN_OWN_ALLOCATOR 1
#endif

namespace {
std::atomic<std::size_t> g_largest{0};
thread_local bool t_failAllocations = false;
} // namespace

#if CALVORAN_OWN_ALLOCATOR
void *operator new(std::size_t size) {
    if (t_failAllocations) throw std::bad_alloc();
    std::size_t seen = g_largest.load();
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
    if (void *p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}
#endif

namespace {

constexpr std::size_t kAllocationBudget = 16 * 1024 * 1024;

std::string writeTone(const fx::TestDir &dir, const std::string &name, double seconds) {
    const auto path = dir.file(name);
    fx::writeWav(path, fx::sine(440, seconds, 44100, 2), 44100, 2);
    return path.string();
}

// A listening local socket at `path`; closed with the object.
class SocketFile {
public:
    explicit SocketFile(const std::string &path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
                 ::listen(fd_, 1) == 0;
    }
    ~SocketFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    SocketFile(const SocketFile &) = delete;
    SocketFile &operator=(const SocketFile &) = delete;
    bool bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

} // namespace

// A FIFO without a writer used to block the open for ever.
TEST(AudioRobust, ThingsThatAreNoFilesFailAtOnce) {
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const std::string fifo = dir.file("x.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = dir.file("s.mp3").string();
    SocketFile socket(socketPath);
    ASSERT_TRUE(socket.bound());

    for (const std::string &path : {fifo, dir.path().string(), std::string("/dev/zero"), socketPath}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
        EXPECT_EQ(BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0, 0), 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    }
    // A regular file still opens.
    const DWORD stream = BASS_StreamCreateFile(FALSE, writeTone(dir, "a.wav", 0.2).c_str(), 0, 0, 0);
    EXPECT_NE(stream, 0u);
}

TEST(AudioRobust, CallerLengthsNeverSizeAnAllocation) {
    if (!CALVORAN_OWN_ALLOCATOR) GTEST_SKIP() << "the sanitizer's allocator is in charge";
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const std::string path = writeTone(dir, "a.wav", 1.0);

    // Decode channels hand out what there is, through bounded steps.
    const DWORD decode = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(decode, 0u);
    std::vector<std::int16_t> all(44100 * 2 + 4096);
    g_largest = 0;
    const DWORD got = BASS_ChannelGetData(decode, all.data(), 0x3FFFFFFF);
    EXPECT_LT(g_largest.load(), kAllocationBudget);
    EXPECT_EQ(got, 44100u * 4);
    EXPECT_EQ(BASS_ChannelGetData(decode, all.data(), 0x3FFFFFFF), ~DWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);

    // Playing channels give at most the history they keep.
    const DWORD played = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(played, FALSE, 0));
    std::vector<float> recent(calvoran::audio::Channel::historyFrames() * 2);
    g_largest = 0;
    const DWORD bytes = BASS_ChannelGetData(played, recent.data(), 0x3FFFFFFF);
    EXPECT_LT(g_largest.load(), kAllocationBudget);
    EXPECT_EQ(bytes, calvoran::audio::Channel::historyFrames() * 4);
    EXPECT_EQ(BASS_ChannelGetData(played, recent.data(), 0x3FFFFFFF | BASS_DATA_FLOAT),
              calvoran::audio::Channel::historyFrames() * 8);
}

TEST(AudioRobust, FailedAllocationsBecomeErrorCodes) {
    if (!CALVORAN_OWN_ALLOCATOR) GTEST_SKIP() << "the sanitizer's allocator is in charge";
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const std::string path = writeTone(dir, "a.wav", 0.2);
    t_failAllocations = true;
    const DWORD stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    t_failAllocations = false;
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_MEM);
    EXPECT_NE(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u);
}

TEST(AudioRobust, SpeedsBeyondTheResamplerAreRefused) {
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const DWORD stream = BASS_StreamCreateFile(FALSE, writeTone(dir, "a.wav", 2.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, 100, -1, -1)); // 441 times the rate
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    DWORD freq = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(stream, &freq, nullptr, nullptr));
    EXPECT_EQ(freq, 44100u);
    EXPECT_TRUE(BASS_ChannelSetAttributes(stream, 200, -1, -1)); // within reach: plays on, slowly
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
}

TEST(AudioRobust, ModuleNameOutlivesAnAutomaticFree) {
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const auto path = dir.file("a.xm");
    ASSERT_TRUE(
        fx::writeModuleFile(path, fx::ModFormat::Xm, fx::oneNoteSong("Short one", fx::Wave::Sine, 2)));
    const DWORD music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE, 0);
    ASSERT_NE(music, 0u);
    const char *name = BASS_MusicGetName(music);
    ASSERT_NE(name, nullptr);
    const std::string before = name;
    ASSERT_TRUE(BASS_MusicPlay(music));
    for (int i = 0; i < 400 && BASS_ChannelGetPosition(music) != ~QWORD{0}; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE) << "the module was not freed at its end";
    EXPECT_EQ(std::string(name), before);
    BASS_MusicFree(music); // the caller's free releases the text
}

TEST(AudioRobust, HandleNumbersSkipLiveOnesAfterTheWrap) {
    Library library(0);
    ASSERT_TRUE(library.ok());
    fx::TestDir dir;
    const std::string path = writeTone(dir, "a.wav", 0.1);
    // The numbers from kRecordHandleBase up belong to recording channels.
    const DWORD last = calvoran::audio::kRecordHandleBase - 1;
    calvoran::audio::setNextHandle(last - 1);
    std::set<DWORD> handles;
    for (int i = 0; i < 4; ++i)
        handles.insert(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0));
    EXPECT_EQ(handles, (std::set<DWORD>{last - 1, last, 1u, 2u}));
    calvoran::audio::setNextHandle(last);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 3u);
}
