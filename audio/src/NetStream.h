// The download side of a URL stream: one thread per stream runs the HTTP transfer (libcurl), splits the
// ICY metadata out and fills a bounded byte buffer that the stream's decoder drains. Nothing here is
// touched by the update thread except the brief, non-blocking take().
#pragma once
#include "Decoder.h"
#include "bass.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace calvoran::audio {

class NetStream final : public StreamTags {
public:
    using Clock = std::chrono::steady_clock;
    // Audio waiting for the decoder: about 16 s at 128 kbit/s, 6 s at 320.
    static constexpr std::size_t kBufferBytes = 256 * 1024;

    struct Options {
        std::string url;
        std::uint64_t offset = 0;
        BASS_DOWNLOADPROC *proc = nullptr;
        void *user = nullptr;
        int timeoutMs = 10000;
    };

    explicit NetStream(Options options);
    ~NetStream() override;
    NetStream(const NetStream &) = delete;
    NetStream &operator=(const NetStream &) = delete;

    void start();
    // Ends the transfer and the thread; returns within a poll interval whatever the server does.
    void stop();

    // Non-blocking: whatever is buffered, up to `bytes`.
    std::size_t take(void *buffer, std::size_t bytes);
    // Waits until something is buffered, the download ended for good, or `deadline`.
    std::size_t takeUntil(void *buffer, std::size_t bytes, Clock::time_point deadline);
    // Waits until at least `bytes` are buffered (or the end, or `deadline`); copies what there is without
    // taking it and returns its size.
    std::size_t peekUntil(void *buffer, std::size_t bytes, Clock::time_point deadline);
    // True once no more data will arrive and the buffer is empty.
    bool finished() const;
    // True once the download thread has given up or the data ran to its end (data may still be buffered).
    bool downloadEnded() const;
    // The failure that ended the download before any audio, BASS_OK otherwise.
    int error() const;
    // The opener found audio in it: from now on a dropped connection is reconnected.
    void accept() { accepted_.store(true); }
    int timeoutMs() const { return options_.timeoutMs; }

    const char *tags(int kind) override;

private:
    struct Transfer;
    enum class Outcome { Aborted, Failed, Complete, Dropped, Playlist };

    void run();
    Outcome transfer(const std::string &url, std::uint64_t offset, std::string &next, int &error,
                     bool &gotAudio);
    std::size_t room() const;
    void push(const unsigned char *data, std::size_t size);
    void setHeaders(std::vector<std::string> lines);
    void setMeta(std::string text);
    void wakeDownloader();
    bool pauseFor(std::chrono::milliseconds pause);

    const Options options_;
    std::thread thread_;
    std::atomic<bool> abort_{false};
    std::atomic<bool> accepted_{false};
    std::atomic<bool> paused_{false};

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<unsigned char> ring_;
    std::size_t head_ = 0; // next byte to take
    std::size_t size_ = 0; // bytes buffered
    bool ended_ = false;
    int error_ = BASS_OK;
    std::vector<std::string> headers_;
    std::string meta_;
    bool hasMeta_ = false;
    std::string snapshot_[2];

    std::mutex multiLock_;
    void *multi_ = nullptr; // the transfer's CURLM while one runs
};

} // namespace calvoran::audio
