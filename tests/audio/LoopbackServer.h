// A small HTTP/ICY server for tests: listens on 127.0.0.1 on a free port, runs one handler thread per
// connection, and stops by itself after its lifetime (or when destroyed), so a test can never hang on it.
#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace calvoran::test {

class LoopbackConnection {
public:
    LoopbackConnection(int fd, const std::atomic<bool> &stopping) : fd_(fd), stopping_(stopping) {}
    // The request head, request line first.
    const std::string &request() const { return request_; }
    // The path of the request line ("/a.mp3").
    std::string path() const;
    // The value of a request header (ASCII case ignored), empty if missing.
    std::string header(std::string_view name) const;
    // False once the peer is gone or the server stops.
    bool send(const void *data, std::size_t size);
    bool send(std::string_view text) { return send(text.data(), text.size()); }
    // Sleeps unless the server stops meanwhile; false when it stopped.
    bool pause(std::chrono::milliseconds time);
    bool readRequest();

private:
    int fd_;
    const std::atomic<bool> &stopping_;
    std::string request_;
};

class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackConnection &)>;

    explicit LoopbackServer(Handler handler, std::chrono::seconds lifetime = std::chrono::seconds(60));
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path) const;
    int connections() const { return connections_.load(); }
    // Closes the listening socket: later connects are refused until listen() again on the same port.
    void close();
    bool listen();

private:
    void acceptLoop();

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> listening_{false};
    std::atomic<int> connections_{0};
    std::chrono::steady_clock::time_point end_;
    std::mutex lock_;
    std::vector<std::thread> workers_;
    std::vector<int> fds_;
    std::thread acceptor_;
};

// A port that was free a moment ago: connecting to it is refused.
int unusedPort();

} // namespace calvoran::test
