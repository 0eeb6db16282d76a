#include "id3v2_io.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace id3io {

namespace {
uint8_t codeFor(int err, uint8_t fallback) {
    switch (err) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return 0x04;
    case EIO:
        return 0x05;
    default:
        return fallback;
    }
}
} // namespace

FileInfo inspect(const std::string &path) {
    FileInfo info;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return info;
    info.exists = true;
    info.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    info.size = static_cast<uint64_t>(st.st_size);
    return info;
}

File::File(const std::string &path, bool writable) {
    // Non-blocking open: a FIFO put in a file's place between the check and the open cannot hang us.
    fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw IoFailure{0x01};
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw IoFailure{0x05};
    return static_cast<uint64_t>(st.st_size);
}

size_t File::readSome(uint64_t pos, void *dst, size_t n) const {
    auto *out = static_cast<char *>(dst);
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(pos + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw IoFailure{0x05};
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

void File::readAt(uint64_t pos, void *dst, size_t n) const {
    if (readSome(pos, dst, n) != n) throw IoFailure{0x03};
}

void File::writeAt(uint64_t pos, const void *src, size_t n) {
    const auto *in = static_cast<const char *>(src);
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(pos + done));
        if (put < 0) {
            if (errno == EINTR) continue;
            throw IoFailure{codeFor(errno, 0x04)};
        }
        if (put == 0) throw IoFailure{0x04};
        done += static_cast<size_t>(put);
    }
}

void File::growTo(uint64_t oldSize, uint64_t newSize) {
    if (newSize <= oldSize) return;
    // Claims the disk blocks now, so a full disk or a size limit fails before anything moves.
    const int err =
        ::posix_fallocate(fd_, static_cast<off_t>(oldSize), static_cast<off_t>(newSize - oldSize));
    if (err != 0) {
        if (::ftruncate(fd_, static_cast<off_t>(oldSize)) != 0) throw IoFailure{0x05};
        throw IoFailure{codeFor(err, 0x04)};
    }
}

void File::truncate(uint64_t newSize) {
    if (::ftruncate(fd_, static_cast<off_t>(newSize)) != 0) throw IoFailure{codeFor(errno, 0x04)};
}

void File::sync() {
    if (::fsync(fd_) != 0) throw IoFailure{codeFor(errno, 0x05)};
}

std::unique_ptr<Replacement> Replacement::beside(const std::string &path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) return nullptr;
        throw IoFailure{codeFor(errno, 0x04)};
    }
    std::unique_ptr<Replacement> r(new Replacement(path, temp, fd));
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Someone else's file in our folder: the new one is ours; its content is what matters.
        }
    }
    return r;
}

Replacement::Replacement(std::string path, std::string temp, int fd)
    : path_(std::move(path)), temp_(std::move(temp)), file_(fd, File::Adopt{}) {}

Replacement::~Replacement() {
    if (!done_) ::unlink(temp_.c_str());
}

void Replacement::commit() {
    file_.sync();
    if (::rename(temp_.c_str(), path_.c_str()) != 0) throw IoFailure{codeFor(errno, 0x04)};
    done_ = true;
    // The rename itself must reach the disk before the save counts as done.
    const auto slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace id3io
