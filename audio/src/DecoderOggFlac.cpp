// Ogg FLAC carries the native stream's header and frames as Ogg packets. Laid end to end, the page bodies
// after the first packet are exactly the native frames, so the Ogg file is presented as a native FLAC
// byte stream and decoded like one: same decoder, same exact seeking.
#include "Decoder.h"
#include "bass.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace calvoran::audio {
namespace {

constexpr std::size_t kPageHeader = 27;
constexpr unsigned char kBeginOfStream = 0x02;

class OggFlacSource final : public Source {
public:
    explicit OggFlacSource(std::unique_ptr<Source> file) : file_(std::move(file)) {}

    // Indexes the pages of the first logical stream; false when the first page is no Ogg FLAC header.
    bool index() {
        const std::int64_t fileSize = file_->size();
        if (fileSize < 0) return false;
        std::int64_t offset = 0;
        std::uint32_t serial = 0;
        bool first = true;
        while (offset + static_cast<std::int64_t>(kPageHeader) <= fileSize) {
            unsigned char header[kPageHeader + 255];
            if (!readAt(offset, header, kPageHeader) || std::memcmp(header, "OggS", 4) != 0 || header[4] != 0)
                break; // damage or the end of the usable data: play what came before
            const std::size_t segments = header[26];
            if (!readAt(offset + static_cast<std::int64_t>(kPageHeader), header + kPageHeader, segments))
                break;
            std::int64_t body = 0;
            for (std::size_t i = 0; i < segments; ++i)
                body += header[kPageHeader + i];
            const std::int64_t bodyStart = offset + static_cast<std::int64_t>(kPageHeader + segments);
            const std::uint32_t pageSerial =
                static_cast<std::uint32_t>(header[14]) | static_cast<std::uint32_t>(header[15]) << 8 |
                static_cast<std::uint32_t>(header[16]) << 16 | static_cast<std::uint32_t>(header[17]) << 24;
            const std::int64_t available = std::min(body, fileSize - bodyStart);
            if (first) {
                // The first page holds only the mapping header: 0x7F "FLAC", version, header count,
                // then the native "fLaC" marker and its STREAMINFO block.
                if (!(header[5] & kBeginOfStream) || available < 51) return false;
                std::vector<unsigned char> packet(static_cast<std::size_t>(available));
                if (!readAt(bodyStart, packet.data(), packet.size())) return false;
                if (std::memcmp(packet.data(),
                                "\x7F"
                                "FLAC",
                                5) != 0 ||
                    std::memcmp(packet.data() + 9, "fLaC", 4) != 0)
                    return false;
                prefix_.assign(packet.begin() + 9, packet.end());
                size_ = static_cast<std::int64_t>(prefix_.size());
                serial = pageSerial;
                first = false;
            } else if (pageSerial == serial) {
                if (available > 0) {
                    extents_.push_back({size_, bodyStart, available});
                    size_ += available;
                }
            } else if (header[5] & kBeginOfStream) {
                break; // a chained stream begins; this one has ended
            }
            if (available < body) break;
            offset = bodyStart + body;
        }
        return !first;
    }

    long read(void *buffer, std::size_t bytes) override {
        auto *out = static_cast<unsigned char *>(buffer);
        std::size_t done = 0;
        while (done < bytes && pos_ < size_) {
            const std::size_t want = bytes - done;
            std::size_t got = 0;
            if (pos_ < static_cast<std::int64_t>(prefix_.size())) {
                got = std::min(want, prefix_.size() - static_cast<std::size_t>(pos_));
                std::memcpy(out + done, prefix_.data() + pos_, got);
            } else {
                // The extent that holds pos_: the last one starting at or before it.
                auto it =
                    std::upper_bound(extents_.begin(), extents_.end(), pos_,
                                     [](std::int64_t p, const Extent &e) { return p < e.virtualStart; });
                --it;
                const std::int64_t into = pos_ - it->virtualStart;
                got = static_cast<std::size_t>(
                    std::min<std::int64_t>(static_cast<std::int64_t>(want), it->length - into));
                if (!file_->seek(it->fileStart + into)) return done > 0 ? static_cast<long>(done) : -1;
                const long n = file_->read(out + done, got);
                if (n < 0) return done > 0 ? static_cast<long>(done) : -1;
                if (n == 0) break;
                got = static_cast<std::size_t>(n);
            }
            done += got;
            pos_ += static_cast<std::int64_t>(got);
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

private:
    struct Extent {
        std::int64_t virtualStart;
        std::int64_t fileStart;
        std::int64_t length;
    };

    bool readAt(std::int64_t offset, unsigned char *buffer, std::size_t bytes) {
        if (!file_->seek(offset)) return false;
        std::size_t got = 0;
        while (got < bytes) {
            const long n = file_->read(buffer + got, bytes - got);
            if (n <= 0) return false;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::unique_ptr<Source> file_;
    std::vector<unsigned char> prefix_;
    std::vector<Extent> extents_;
    std::int64_t size_ = 0;
    std::int64_t pos_ = 0;
};

} // namespace

std::unique_ptr<Decoder> openOggFlacDecoder(std::unique_ptr<Source> source, int &error) {
    auto native = std::make_unique<OggFlacSource>(std::move(source));
    if (!native->index()) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    return openFlacDecoder(std::move(native), error);
}

} // namespace calvoran::audio
