#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace calvoran::test {
namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int openListener(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::string LoopbackConnection::path() const {
    const std::size_t a = request_.find(' ');
    if (a == std::string::npos) return {};
    const std::size_t b = request_.find(' ', a + 1);
    return request_.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
}

std::string LoopbackConnection::header(std::string_view name) const {
    std::size_t at = request_.find('\n');
    while (at != std::string::npos && at + 1 < request_.size()) {
        const std::size_t end = request_.find('\n', at + 1);
        const std::string line =
            request_.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        const std::size_t colon = line.find(':');
        if (colon == name.size()) {
            bool same = true;
            for (std::size_t i = 0; i < colon; ++i)
                same = same && lower(line[i]) == lower(name[i]);
            if (same) {
                std::string value = line.substr(colon + 1);
                while (!value.empty() && (value.front() == ' '))
                    value.erase(0, 1);
                while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
                    value.pop_back();
                return value;
            }
        }
        at = end;
    }
    return {};
}

bool LoopbackConnection::readRequest() {
    char buffer[4096];
    while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 65536) {
        pollfd p{fd_, POLLIN, 0};
        if (stopping_.load()) return false;
        if (::poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        request_.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool LoopbackConnection::send(const void *data, std::size_t size) {
    const auto *p = static_cast<const char *>(data);
    while (size > 0) {
        if (stopping_.load()) return false;
        pollfd pf{fd_, POLLOUT, 0};
        if (::poll(&pf, 1, 50) <= 0) continue;
        const ssize_t n = ::send(fd_, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool LoopbackConnection::pause(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_.load()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !stopping_.load();
}

LoopbackServer::LoopbackServer(Handler handler, std::chrono::seconds lifetime)
    : handler_(std::move(handler)), end_(std::chrono::steady_clock::now() + lifetime) {
    listenFd_ = openListener(0);
    if (listenFd_ < 0) return;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listening_.store(true);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    stopping_.store(true);
    if (acceptor_.joinable()) acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard guard(lock_);
        workers = std::move(workers_);
    }
    for (auto &w : workers)
        w.join();
    for (int fd : fds_)
        ::close(fd);
    if (listenFd_ >= 0) ::close(listenFd_);
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LoopbackServer::close() {
    std::lock_guard guard(lock_);
    listening_.store(false);
}

bool LoopbackServer::listen() {
    std::lock_guard guard(lock_);
    listening_.store(true);
    return true;
}

void LoopbackServer::acceptLoop() {
    bool open = true;
    while (!stopping_.load()) {
        if (std::chrono::steady_clock::now() > end_) {
            stopping_.store(true);
            break;
        }
        // Refusing is real: the listening socket goes away while closed and comes back on the same port.
        if (listening_.load() != open) {
            std::lock_guard guard(lock_);
            if (open) {
                ::close(listenFd_);
                listenFd_ = -1;
            } else {
                listenFd_ = openListener(port_);
            }
            open = listenFd_ >= 0;
        }
        if (!open) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        connections_.fetch_add(1);
        std::lock_guard guard(lock_);
        fds_.push_back(fd);
        workers_.emplace_back([this, fd] {
            LoopbackConnection connection(fd, stopping_);
            if (connection.readRequest()) handler_(connection);
            ::shutdown(fd, SHUT_RDWR);
        });
    }
}

int unusedPort() {
    const int fd = openListener(0);
    if (fd < 0) return 1;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

} // namespace calvoran::test
