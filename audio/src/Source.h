// Byte sources the decoders read from: a window of a file or of caller-owned memory. A network source
// for URL streams plugs in here as another Source.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace calvoran::audio {

class Source {
public:
    virtual ~Source() = default;
    // Bytes read (0 at the end), or -1 on a read error.
    virtual long read(void *buffer, std::size_t bytes) = 0;
    // Absolute position inside the window; false when outside it or not seekable.
    virtual bool seek(std::int64_t position) = 0;
    virtual std::int64_t tell() const = 0;
    // Window size in bytes, -1 when unknown.
    virtual std::int64_t size() const = 0;
    // A second, independent reader of the same bytes (for work on another thread), positioned at 0; null
    // when the bytes cannot be read twice.
    virtual std::unique_ptr<Source> clone() const { return nullptr; }
};

// Bytes the calling thread has read from files through file sources: what opening a stream costs the
// disk, apart from the reading a worker does for it afterwards.
std::uint64_t fileBytesReadByThisThread();

// Opens `path` and exposes [offset, offset + length) (length 0: to the end). Null with `error` set to a
// BASS error code when the file cannot be opened, is a directory, or the window lies outside it.
std::unique_ptr<Source> openFileSource(const std::string &path, std::uint64_t offset, std::uint64_t length,
                                       int &error);
// The caller keeps `data` alive for the source's whole life.
std::unique_ptr<Source> openMemorySource(const void *data, std::uint64_t length);
// A sub-window [offset, end) of another source; positions are relative to offset.
std::unique_ptr<Source> windowSource(std::unique_ptr<Source> inner, std::int64_t offset);

} // namespace calvoran::audio
