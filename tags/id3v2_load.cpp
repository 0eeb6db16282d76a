#include "id3v2.h"
#include "id3v2_io.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace id3flags;

namespace {

// Malformed structure inside the body: ends the load with that error code.
struct BodyError {
    uint8_t code;
};

uint32_t synchsafe(const uint8_t *b, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 7) | (b[i] & 0x7F);
    return v;
}

uint32_t bigEndian(const uint8_t *b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

// Reads the tag body through a ring of four 16 KiB blocks, so a load holds at most 64 KiB of the
// file beyond the frames' own data. With whole-tag unsynchronisation (2.3) the stuffed zeros are
// dropped as bytes leave the ring; the ring keeps two bytes of look-ahead for that.
class BodyReader {
public:
    static constexpr size_t kBlock = 16 * 1024, kRing = 4 * kBlock;

    BodyReader(const id3io::File &file, uint64_t start, uint64_t length, bool unsync)
        : file_(file), filePos_(start), leftInFile_(length), unsync_(unsync),
          ring_(std::make_unique<uint8_t[]>(kRing)) {}

    // Raw body bytes not yet consumed.
    uint64_t remaining() const { return avail_ + leftInFile_; }
    uint64_t consumed() const { return consumed_; }
    uint64_t filePosition() const { return filePos_; }

    // Up to n decoded bytes; fewer only when the body ends.
    size_t read(uint8_t *dst, size_t n) {
        size_t out = 0;
        while (out < n) {
            const size_t want = std::min<size_t>(n - out, kBlock);
            if (avail_ < want + 2) refill();
            if (avail_ == 0) break;
            if (!unsync_) {
                // Pieces never cross a block boundary, so each is one copy.
                const size_t piece = std::min({want, avail_, kBlock - head_ % kBlock});
                std::memcpy(dst + out, ring_.get() + head_, piece);
                advance(piece);
                out += piece;
                continue;
            }
            const uint8_t b = at(0);
            advance(1);
            dst[out++] = b;
            if (b == 0xFF && avail_ >= 1 && at(0) == 0x00 && (avail_ < 2 || at(1) == 0x00 || at(1) >= 0xE0))
                advance(1);
        }
        return out;
    }

    // Reads exactly n bytes or fails the load as malformed.
    void readExact(uint8_t *dst, size_t n) {
        if (read(dst, n) != n) throw BodyError{0xFE};
    }

private:
    uint8_t at(size_t k) const { return ring_[(head_ + k) % kRing]; }
    void advance(size_t k) {
        head_ = (head_ + k) % kRing;
        avail_ -= k;
        consumed_ += k;
    }
    void refill() {
        while (leftInFile_ > 0 && avail_ < kRing) {
            const size_t tail = (head_ + avail_) % kRing;
            const size_t room = std::min<size_t>({kRing - avail_, kBlock - tail % kBlock, leftInFile_});
            file_.readAt(filePos_, ring_.get() + tail, room);
            filePos_ += room;
            leftInFile_ -= room;
            avail_ += room;
        }
    }

    const id3io::File &file_;
    uint64_t filePos_;
    uint64_t leftInFile_;
    bool unsync_;
    std::unique_ptr<uint8_t[]> ring_;
    size_t head_ = 0, avail_ = 0;
    uint64_t consumed_ = 0;
};

} // namespace

class TagLoader {
public:
    TagLoader(Tid3v2tag &tag, const id3io::File &file, uint64_t fileSize, uint32_t offset)
        : t_(tag), file_(file), fileSize_(fileSize), offset_(offset) {}

    uint16_t run() {
        t_.Finished = false;
        t_.Progress = 0;
        t_.StatusText = "Loading tag";
        if (fileSize_ - offset_ < 10) return 0x1000;
        uint8_t h[10];
        file_.readAt(offset_, h, 10);
        if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
            (h[6] | h[7] | h[8] | h[9]) & 0x80)
            return 0x1000;
        t_.MajorVersion = h[3];
        t_.Revision = h[4];
        t_.TagOffset = offset_;
        if ((h[3] != 3 && h[3] != 4) || (h[4] != 0 && !t_.AcceptRevision)) return 0x1100;
        uint16_t result = h[4] != 0 ? 0x10 : 0;
        try {
            result |= body(h);
        } catch (const BodyError &e) {
            result = static_cast<uint16_t>((e.code << 8) | (result & 0xFF));
        }
        t_.LastResult = result;
        t_.Finished = true;
        t_.Progress = 100;
        t_.StatusText = "Load Complete";
        return result;
    }

private:
    void progress(const BodyReader &r) {
        const uint64_t total = uint64_t(t_.TagSize) + 10;
        t_.Progress = static_cast<uint8_t>(std::min<uint64_t>(100, (10 + r.consumed()) * 100 / total));
    }

    uint16_t body(const uint8_t *h) {
        const bool v4 = h[3] == 4;
        uint16_t warn = 0;
        t_.setUnsynchronisation(h[5] & 0x80);
        t_.setExtendedHeader(h[5] & 0x40);
        t_.setExperimental(h[5] & 0x20);
        t_.setFooter(v4 && (h[5] & 0x10));
        if (h[5] & (v4 ? 0x0F : 0x1F)) warn |= 0x80;
        t_.TagSize = synchsafe(h + 6, 4);
        t_.Frames.Clear();
        if (fileSize_ < uint64_t(offset_) + t_.TagSize + 10) throw BodyError{0x20};

        BodyReader r(file_, uint64_t(offset_) + 10, t_.TagSize, !v4 && t_.Unsynchronisation());
        progress(r);
        warn |= v4 ? extendedHeader4(r) : extendedHeader3(r);
        return warn | frames(r, v4);
    }

    uint16_t extendedHeader3(BodyReader &r) {
        uint16_t warn = 0;
        t_.ExtendedHeaderSize = t_.PaddingSize = t_.TagCrc = 0;
        t_.setCrcPresent(false);
        if (t_.ExtendedHeader() && r.remaining() > 10) {
            uint8_t x[10];
            r.readExact(x, 10);
            t_.ExtendedHeaderSize = bigEndian(x);
            t_.setCrcPresent(x[4] & 0x80);
            if ((x[4] & 0x7F) || x[5]) warn |= 0x40;
            t_.PaddingSize = bigEndian(x + 6);
            if (t_.CrcPresent() && t_.ExtendedHeaderSize == 10) {
                uint8_t c[4];
                r.readExact(c, 4);
                t_.TagCrc = bigEndian(c);
            }
        }
        t_.Restrictions = 0;
        t_.Modified = false;
        return warn;
    }

    uint16_t extendedHeader4(BodyReader &r) {
        uint16_t warn = 0;
        t_.ExtendedHeaderSize = t_.PaddingSize = t_.TagCrc = 0;
        t_.Restrictions = 0;
        t_.setTagIsUpdate(false);
        t_.setCrcPresent(false);
        t_.setRestrictionsPresent(false);
        if (t_.ExtendedHeader() && r.remaining() > 6) {
            uint8_t s[4];
            r.readExact(s, 4);
            t_.ExtendedHeaderSize = synchsafe(s, 4);
            if (t_.ExtendedHeaderSize < 6 || t_.ExtendedHeaderSize - 4 > r.remaining()) throw BodyError{0xFE};
            std::vector<uint8_t> x(t_.ExtendedHeaderSize - 4);
            r.readExact(x.data(), x.size());
            const uint8_t flagBytes = x[0];
            if (flagBytes == 0) throw BodyError{0xFE};
            const uint8_t flags = x[1];
            t_.setTagIsUpdate(flags & 0x40);
            t_.setCrcPresent(flags & 0x20);
            t_.setRestrictionsPresent(flags & 0x10);
            if ((flags & 0x8F) || flagBytes > 1) warn |= 0x40;
            size_t p = 1 + size_t(flagBytes);
            auto item = [&](uint8_t bit, size_t minLength) -> const uint8_t * {
                if (!(flags & bit)) return nullptr;
                if (p >= x.size()) throw BodyError{0xFE};
                const size_t len = x[p];
                if (len < minLength || p + 1 + len > x.size()) throw BodyError{0xFE};
                const uint8_t *data = x.data() + p + 1;
                p += 1 + len;
                return data;
            };
            item(0x80, 0);
            item(0x40, 0);
            if (const uint8_t *crc = item(0x20, 5))
                t_.TagCrc = (uint32_t(crc[0] & 0x7F) << 28) | synchsafe(crc + 1, 4);
            if (const uint8_t *restr = item(0x10, 1)) t_.Restrictions = restr[0];
        }
        t_.Modified = false;
        return warn;
    }

    uint16_t frames(BodyReader &r, bool v4) {
        while (r.remaining() > 0) {
            progress(r);
            const uint64_t headerAt = r.consumed();
            uint8_t h[10];
            const size_t got = r.read(h, static_cast<size_t>(std::min<uint64_t>(10, r.remaining())));
            const bool zero = std::all_of(h, h + got, [](uint8_t b) { return b == 0; });
            if ((got >= 4 && std::memcmp(h, "MP3e", 4) == 0) || zero) {
                if (r.remaining() > 0) {
                    const uint64_t real = got + r.remaining();
                    uint16_t warn = 0;
                    if (!v4 && t_.PaddingSize != 0 && t_.PaddingSize != real) warn = 0x04;
                    if (t_.PaddingSize == 0) t_.PaddingSize = static_cast<uint32_t>(real);
                    return warn;
                }
                t_.PaddingSize = static_cast<uint32_t>(got);
                return 0;
            }
            if (r.remaining() == 0) {
                if (t_.PaddingSize != 0) return 0;
                throw BodyError{0xFE};
            }
            const std::string id(reinterpret_cast<const char *>(h), 4);
            const uint32_t index = t_.Frames.AddFrame(id);
            if (index == 0) throw BodyError{0x21};
            uint32_t size = v4 ? synchsafe(h + 4, 4) : bigEndian(h + 4);
            if (size > r.remaining()) throw BodyError{0xFE};
            FrameEntry &e = t_.Frames.Entry(index);
            e.Changed = false;
            e.Position = static_cast<uint32_t>(10 + headerAt);
            if (v4) {
                e.DataFlags = {h[8], h[9]};
            } else {
                uint8_t format = 0;
                if (h[9] & 0x80) format |= kCompression | kDataLengthInd;
                if (h[9] & 0x40) format |= kEncryption;
                if (h[9] & 0x20) format |= kGrouping;
                e.DataFlags = {static_cast<uint8_t>((h[8] >> 1) & 0x70), format};
            }
            e.WriteFlags = e.DataFlags;
            const uint8_t f = e.DataFlags[1];
            uint32_t extra = 0;
            auto take = [&](uint8_t *dst, uint32_t n) {
                if (n > size) throw BodyError{0xFE};
                r.readExact(dst, n);
                size -= n;
                extra += n;
            };
            uint8_t b[4];
            if (v4) {
                if (f & kGrouping) take(&e.GroupId, 1);
                if (f & kEncryption) take(&e.EncryptionMethod, 1);
                if (f & kDataLengthInd) {
                    take(b, 4);
                    if (synchsafe(b, 4) > fileSize_) throw BodyError{0xFE};
                    e.DataLength = static_cast<int32_t>(synchsafe(b, 4));
                }
            } else {
                if (f & kCompression) {
                    take(b, 4);
                    const uint32_t length = bigEndian(b);
                    // Never trusted beyond the file: no frame of this file can honestly be that long.
                    if (length > fileSize_) throw BodyError{0xFE};
                    e.DataLength = static_cast<int32_t>(length);
                }
                if (f & kEncryption) take(&e.EncryptionMethod, 1);
                if (f & kGrouping) take(&e.GroupId, 1);
            }
            e.HeaderLength = 10 + extra;
            // size is at most the rest of the tag, which the file has already been seen to hold.
            e.Data.resize(size);
            r.readExact(e.Data.data(), size);
        }
        return 0;
    }

    Tid3v2tag &t_;
    const id3io::File &file_;
    uint64_t fileSize_;
    uint32_t offset_;
};

uint16_t Tid3v2tag::LoadTag(const std::string &fileName, uint32_t offset) {
    uint16_t result = 0;
    const id3io::FileInfo info = id3io::inspect(fileName);
    // Whatever happens, the object never keeps pointing at an earlier file's frames.
    auto failBeforeParse = [&](uint16_t word) {
        Frames.Clear();
        FileName = fileName;
        TagOffset = offset;
        LastResult = word;
        return word;
    };
    if (!info.exists) return failBeforeParse(0x0100);
    FileReadOnly = info.readOnly;
    try {
        id3io::File file(fileName, false);
        const uint64_t size = file.size();
        if (offset >= size) return failBeforeParse(0x0800);
        FileName = fileName;
        TagLoader loader(*this, file, size, offset);
        result = loader.run();
        if (Finished) return result;
        if (result == 0x1000) {
            // No tag here yet: the object now stands for an empty tag of this file, so the ID3
            // window can give the file its first tag, and nothing of an earlier file remains.
            failBeforeParse(result);
            LastResult = 0;
            MajorVersion = 3;
            Revision = 0;
            TagSize = 0;
            return result;
        }
        return failBeforeParse(result);
    } catch (const id3io::IoFailure &e) {
        return failBeforeParse(static_cast<uint16_t>(e.code << 8));
    }
}
