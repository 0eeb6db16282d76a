#include "Source.h"

#include "bass.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvoran::audio {
namespace {

class FileSource final : public Source {
public:
    FileSource(int fd, std::int64_t offset, std::int64_t size) : fd_(fd), offset_(offset), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    long read(void *buffer, std::size_t bytes) override {
        const std::int64_t left = size_ - pos_;
        if (left <= 0) return 0;
        bytes = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(bytes)));
        ssize_t got;
        do {
            got = ::pread(fd_, buffer, bytes, offset_ + pos_);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return -1;
        pos_ += got;
        return static_cast<long>(got);
    }
    bool seek(std::int64_t position) override {
        if (position < 0 || position > size_) return false;
        pos_ = position;
        return true;
    }
    std::int64_t tell() const override { return pos_; }
    std::int64_t size() const override { return size_; }

private:
    int fd_;
    std::int64_t offset_;
    std::int64_t size_;
    std::int64_t pos_ = 0;
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

private:
    std::unique_ptr<Source> inner_;
    std::int64_t offset_;
};

} // namespace

std::unique_ptr<Source> openFileSource(const std::string &path, std::uint64_t offset, std::uint64_t length,
                                       int &error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    if (offset > fileSize) {
        ::close(fd);
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
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
