#include "Source.h"

#include "bass.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace calvoran::audio {
namespace {

thread_local std::uint64_t t_fileBytes = 0;

// Decoders read in small pieces (headers, frames, probes); reading the file in large blocks turns dozens
// of system calls per open into one or two. Two blocks, because an open goes back and forth between the
// start of a file and its end (probe, last page or ID3v1 tag, first frames); each block starts where it
// is needed, so a look at the end reads only what lies behind that point.
class FileSource final : public Source {
public:
    static constexpr std::int64_t kBlock = 64 * 1024;

    FileSource(int fd, std::int64_t offset, std::int64_t size) : fd_(fd), offset_(offset), size_(size) {
        for (Block &block : blocks_)
            block.data = std::make_unique<unsigned char[]>(kBlock);
    }
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    long read(void *buffer, std::size_t bytes) override {
        const std::int64_t left = size_ - pos_;
        if (left <= 0) return 0;
        auto want = std::min<std::int64_t>(left, static_cast<std::int64_t>(bytes));
        auto *out = static_cast<unsigned char *>(buffer);
        std::int64_t done = 0;
        while (done < want) {
            const std::int64_t at = offset_ + pos_; // absolute file position
            if (Block *block = holding(at)) {
                const auto n = std::min(want - done, block->start + block->length - at);
                std::memcpy(out + done, block->data.get() + (at - block->start), static_cast<std::size_t>(n));
                block->used = ++clock_;
                done += n;
                pos_ += n;
                continue;
            }
            // A large request goes straight to the caller's memory; copying it twice gains nothing.
            if (want - done > kBlock) {
                const long got = readAt(out + done, static_cast<std::size_t>(want - done), at);
                if (got <= 0) return done > 0 ? static_cast<long>(done) : got;
                done += got;
                pos_ += got;
                continue;
            }
            Block &block = blocks_[blocks_[0].used <= blocks_[1].used ? 0 : 1];
            const auto blockEnd = std::min(at + kBlock, offset_ + size_);
            const long got = readAt(block.data.get(), static_cast<std::size_t>(blockEnd - at), at);
            if (got <= 0) {
                block.length = 0;
                if (got < 0 && done == 0) return -1;
                break;
            }
            block.start = at;
            block.length = got;
        }
        return static_cast<long>(done);
    }
    bool seek(std::int64_t position) override {
        if (position < 0 || position > size_) return false;
        pos_ = position;
        return true;
    }
    std::int64_t tell() const override { return pos_; }
    std::int64_t size() const override { return size_; }
    std::unique_ptr<Source> clone() const override {
        const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) return nullptr;
        return std::make_unique<FileSource>(fd, offset_, size_);
    }

private:
    struct Block {
        std::unique_ptr<unsigned char[]> data;
        std::int64_t start = 0; // absolute file position of data[0]
        std::int64_t length = 0;
        std::uint64_t used = 0;
    };

    Block *holding(std::int64_t at) {
        for (Block &block : blocks_)
            if (at >= block.start && at < block.start + block.length) return &block;
        return nullptr;
    }

    long readAt(unsigned char *to, std::size_t bytes, std::int64_t at) {
        ssize_t got;
        do {
            got = ::pread(fd_, to, bytes, at);
        } while (got < 0 && errno == EINTR);
        if (got > 0) t_fileBytes += static_cast<std::uint64_t>(got);
        return got < 0 ? -1 : static_cast<long>(got);
    }

    int fd_;
    std::int64_t offset_;
    std::int64_t size_;
    std::int64_t pos_ = 0;
    Block blocks_[2];
    std::uint64_t clock_ = 0;
};

class MemorySource final : public Source {
public:
    MemorySource(const unsigned char *data, std::int64_t size) : data_(data), size_(size) {}
    long read(void *buffer, std::size_t bytes) override {
        const std::int64_t left = size_ - pos_;
        if (left <= 0) return 0;
        const auto n = std::min<std::int64_t>(left, static_cast<std::int64_t>(bytes));
        std::memcpy(buffer, data_ + pos_, static_cast<std::size_t>(n));
        pos_ += n;
        return static_cast<long>(n);
    }
    bool seek(std::int64_t position) override {
        if (position < 0 || position > size_) return false;
        pos_ = position;
        return true;
    }
    std::int64_t tell() const override { return pos_; }
    std::int64_t size() const override { return size_; }
    std::unique_ptr<Source> clone() const override { return std::make_unique<MemorySource>(data_, size_); }

private:
    const unsigned char *data_;
    std::int64_t size_;
    std::int64_t pos_ = 0;
};

class WindowSource final : public Source {
public:
    WindowSource(std::unique_ptr<Source> inner, std::int64_t offset)
        : inner_(std::move(inner)), offset_(offset) {
        inner_->seek(offset_);
    }
    long read(void *buffer, std::size_t bytes) override { return inner_->read(buffer, bytes); }
    bool seek(std::int64_t position) override { return position >= 0 && inner_->seek(offset_ + position); }
    std::int64_t tell() const override { return inner_->tell() - offset_; }
    std::int64_t size() const override {
        const auto s = inner_->size();
        return s < 0 ? s : s - offset_;
    }
    std::unique_ptr<Source> clone() const override {
        auto inner = inner_->clone();
        if (!inner) return nullptr;
        return std::make_unique<WindowSource>(std::move(inner), offset_);
    }

private:
    std::unique_ptr<Source> inner_;
    std::int64_t offset_;
};

} // namespace

std::uint64_t fileBytesReadByThisThread() {
    return t_fileBytes;
}

std::unique_ptr<Source> openFileSource(const std::string &path, std::uint64_t offset, std::uint64_t length,
                                       int &error) {
    // Non-blocking, so a FIFO or a device that waits for a peer cannot hold the caller in open().
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    const auto refuse = [&] {
        ::close(fd);
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return refuse();
    // Only something with a fixed size can be read like a file: FIFOs, sockets and character devices
    // would block a read or never end.
    std::int64_t fileBytes = -1;
    if (S_ISREG(st.st_mode)) {
        fileBytes = st.st_size;
    } else if (S_ISBLK(st.st_mode)) {
        fileBytes = ::lseek(fd, 0, SEEK_END);
    }
    if (fileBytes < 0) return refuse();
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return refuse();
    const auto fileSize = static_cast<std::uint64_t>(fileBytes);
    if (offset > fileSize) return refuse();
    std::uint64_t size = fileSize - offset;
    if (length != 0) size = std::min(size, length);
    return std::make_unique<FileSource>(fd, static_cast<std::int64_t>(offset),
                                        static_cast<std::int64_t>(size));
}

std::unique_ptr<Source> openMemorySource(const void *data, std::uint64_t length) {
    return std::make_unique<MemorySource>(static_cast<const unsigned char *>(data),
                                          static_cast<std::int64_t>(length));
}

std::unique_ptr<Source> windowSource(std::unique_ptr<Source> inner, std::int64_t offset) {
    if (offset == 0) return inner;
    return std::make_unique<WindowSource>(std::move(inner), offset);
}

} // namespace calvoran::audio
