#pragma once
// File access shared by the tag load and save: positioned reads and writes that turn every
// failure into an exception carrying the result code the tag object reports.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>

namespace id3io {

// code: 0x01 open, 0x03 read (short), 0x04 write, 0x05 other input/output error.
struct IoFailure {
    uint8_t code;
};

struct FileInfo {
    bool exists = false;
    bool readOnly = false; // no write permission bit at all: the Linux form of the read-only attribute
    uint64_t size = 0;
};
FileInfo inspect(const std::string &path);

class File {
public:
    File(const std::string &path, bool writable); // throws IoFailure{0x01}
    struct Adopt {};
    File(int fd, Adopt) : fd_(fd) {}
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    uint64_t size() const;
    void readAt(uint64_t pos, void *dst, size_t n) const; // exactly n bytes or IoFailure
    size_t readSome(uint64_t pos, void *dst, size_t n) const;
    void writeAt(uint64_t pos, const void *src, size_t n); // exactly n bytes or IoFailure{0x04}
    // Reserves room so the file can take newSize bytes; on failure the old length is restored.
    void growTo(uint64_t oldSize, uint64_t newSize);
    void truncate(uint64_t newSize);
    void sync(); // to the disk, or IoFailure

private:
    int fd_ = -1;
};

// A new version of a file, written beside it (same folder, same permissions and, where allowed, the
// same owner) and put in its place by one rename: an interruption at any point leaves either the old
// or the new file whole.
class Replacement {
public:
    // Null when the folder takes no new file (the caller may then rewrite in place); IoFailure for
    // other failures.
    static std::unique_ptr<Replacement> beside(const std::string &path);
    ~Replacement(); // removes an unfinished new file
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    File &file() { return file_; }
    void commit(); // flushed to the disk and renamed over the old file, or IoFailure

private:
    Replacement(std::string path, std::string temp, int fd);

    std::string path_;
    std::string temp_;
    File file_;
    bool done_ = false;
};

} // namespace id3io
