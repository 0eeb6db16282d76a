#include "id3v2.h"
#include "id3v2_io.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace id3flags;

namespace {

constexpr size_t kBuffer = 16 * 1024;

struct SaveError {
    uint16_t word;
};

void putSynchsafe(uint8_t *out, uint32_t v) {
    out[0] = (v >> 21) & 0x7F;
    out[1] = (v >> 14) & 0x7F;
    out[2] = (v >> 7) & 0x7F;
    out[3] = v & 0x7F;
}

void putBigEndian(uint8_t *out, uint32_t v) {
    out[0] = static_cast<uint8_t>(v >> 24);
    out[1] = static_cast<uint8_t>(v >> 16);
    out[2] = static_cast<uint8_t>(v >> 8);
    out[3] = static_cast<uint8_t>(v);
}

bool needsStuffing(uint8_t next) {
    return next == 0x00 || next >= 0xE0;
}

// Unsynchronises in[0..n) into out; next is the byte that will follow in the file (-1: none).
size_t unsyncInto(const uint8_t *in, size_t n, int next, uint8_t *out) {
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        out[k++] = in[i];
        if (in[i] != 0xFF) continue;
        if (i + 1 < n ? needsStuffing(in[i + 1]) : (next >= 0 && needsStuffing(static_cast<uint8_t>(next))))
            out[k++] = 0x00;
    }
    return k;
}

// The size the data had before unsynchronisation.
uint32_t resynchronisedSize(const std::vector<uint8_t> &d) {
    uint32_t removed = 0;
    for (size_t i = 0; i + 1 < d.size(); ++i)
        if (d[i] == 0xFF && d[i + 1] == 0x00 && (i + 2 >= d.size() || needsStuffing(d[i + 2]))) {
            ++removed;
            ++i;
        }
    return static_cast<uint32_t>(d.size()) - removed;
}

// Writes sequentially through one 16 KiB staging buffer.
class Stager {
public:
    Stager(id3io::File &file, uint64_t pos)
        : file_(file), pos_(pos), buf_(std::make_unique<uint8_t[]>(kBuffer)) {}
    void put(const uint8_t *p, size_t n) {
        while (n > 0) {
            const size_t piece = std::min(n, kBuffer - fill_);
            std::memcpy(buf_.get() + fill_, p, piece);
            fill_ += piece;
            p += piece;
            n -= piece;
            if (fill_ == kBuffer) flush();
        }
    }
    void flush() {
        file_.writeAt(pos_, buf_.get(), fill_);
        pos_ += fill_;
        written_ += fill_;
        fill_ = 0;
    }
    uint64_t written() const { return written_; }

private:
    id3io::File &file_;
    uint64_t pos_;
    std::unique_ptr<uint8_t[]> buf_;
    size_t fill_ = 0;
    uint64_t written_ = 0;
};

const uint8_t kZeros[kBuffer] = {};

} // namespace

class TagWriter {
public:
    TagWriter(Tid3v2tag &tag, id3io::File &file, const std::string &path, uint32_t offset)
        : t_(tag), file_(file), path_(path), off_(offset) {}

    uint16_t run(uint8_t version, uint8_t revision) {
        v4_ = (version == 255 ? t_.MajorVersion : version) == 4;
        const uint8_t ver = version == 255 ? t_.MajorVersion : version;
        const uint8_t rev = revision == 255 ? t_.Revision : revision;
        if (ver != 3 && ver != 4) return 0x1100;
        if (rev != 0) return 0x1200;
        TFrameIndex &fr = t_.Frames;
        if (fr.Count() == 0) return 0xFD00;
        t_.Progress = 0;
        t_.StatusText = "Preparing tag";
        const uint64_t fileSize = file_.size();
        if (fileSize < off_) return 0x0800;
        try {
            prepare();
        } catch (const SaveError &e) {
            return e.word;
        }

        const uint64_t oldSize = oldTagSize(fileSize);
        uint64_t size = newSizeWithoutPadding();
        const bool crc = t_.CrcPresent();
        if (crc && !v4_) crc_ = frameCrc(0);
        padding_ = choosePadding(fileSize, oldSize, size);
        size += padding_ + extHeaderStuffing();
        if (size - 10 >= 0x10000000u) return 0x2200;
        if (crc && v4_) crc_ = frameCrc(padding_);
        makeRoomAndWrite(fileSize, oldSize, size);

        t_.MajorVersion = ver;
        t_.Revision = rev;
        t_.TagSize = static_cast<uint32_t>(size - 10);
        t_.TagCrc = crc ? crc_ : 0;
        t_.PaddingSize = padding_;
        t_.HeaderFlags &= 0xE0; // as written: no footer
        t_.LastResult = warn_;
        t_.Modified = false;
        t_.TagOffset = off_;
        t_.Progress = 100;
        t_.StatusText = "Save Complete";
        return warn_;
    }

private:
    void prepare() {
        TFrameIndex &fr = t_.Frames;
        for (uint32_t i = 1; i <= fr.Count(); ++i)
            if (fr.Entry(i).WriteFlags[1] & kUnsync) t_.setUnsynchronisation(true);
        if (t_.Unsynchronisation())
            for (uint32_t i = 1; i <= fr.Count(); ++i)
                fr.Entry(i).WriteFlags[1] |= kUnsync;
        if (t_.TidyFrames) {
            for (uint32_t i = fr.Count(); i >= 1; --i) {
                FrameEntry &e = fr.Entry(i);
                if ((e.WriteFlags[1] & kCompression) && !(e.WriteFlags[1] & kDataLengthInd))
                    e.WriteFlags[1] |= kDataLengthInd;
                if (e.Data.empty()) fr.DeleteFrame(i);
            }
            if (fr.Count() == 0) throw SaveError{0xFD00};
        }
        const uint32_t count = fr.Count();
        if (v4_) {
            for (uint32_t i = 1; i <= count; ++i) {
                FrameEntry &e = fr.Entry(i);
                if (!(e.WriteFlags[1] & kDataLengthInd) || e.DataLength != 0) continue;
                if (e.DataFlags[1] & kEncryption) {
                    if (!t_.AdoptUnsupportedFlags) throw SaveError{0xC200};
                    e.WriteFlags[1] &= static_cast<uint8_t>(~kDataLengthInd);
                    warn_ |= 0x08;
                    continue;
                }
                if (e.DataFlags[1] & kUnsync) fr.Resynchronise(i);
                if (e.DataFlags[1] & kCompression) fr.Decompress(i);
                if (!(e.DataFlags[1] & (kCompression | kUnsync)))
                    e.DataLength = static_cast<int32_t>(e.Data.size());
            }
        }
        for (uint32_t i = 1; i <= count; ++i) {
            t_.Progress = static_cast<uint8_t>(i * 5 / count);
            FrameEntry &e = fr.Entry(i);
            const bool held = e.DataFlags[1] & kCompression, wanted = e.WriteFlags[1] & kCompression;
            if (held == wanted) continue;
            t_.StatusText = "Applying compression";
            if (e.DataFlags[1] & kUnsync) fr.Resynchronise(i); // the unsync pass below re-applies it
            const int8_t r = wanted ? fr.Compress(i, t_.CompressionLevel) : fr.Decompress(i);
            // A frame that cannot change state is written as it is held, never mislabelled.
            if (r != 0 && r != -2)
                e.WriteFlags[1] =
                    static_cast<uint8_t>((e.WriteFlags[1] & ~kCompression) | (e.DataFlags[1] & kCompression));
        }
        for (uint32_t i = 1; i <= count; ++i) {
            FrameEntry &e = fr.Entry(i);
            if ((e.DataFlags[1] ^ e.WriteFlags[1]) & kEncryption) {
                if (!t_.AdoptUnsupportedFlags) throw SaveError{0xC000};
                e.WriteFlags[1] =
                    static_cast<uint8_t>((e.WriteFlags[1] & ~kEncryption) | (e.DataFlags[1] & kEncryption));
                warn_ |= 0x08;
            }
        }
        for (uint32_t i = 1; i <= count; ++i) {
            t_.Progress = static_cast<uint8_t>(i * 5 / count + 5);
            FrameEntry &e = fr.Entry(i);
            const bool held = e.DataFlags[1] & kUnsync, wanted = e.WriteFlags[1] & kUnsync;
            if (held == wanted) continue;
            t_.StatusText = "Applying unsync";
            if (wanted)
                fr.Unsynchronise(i);
            else
                fr.Resynchronise(i);
        }
        for (uint32_t i = 1; i <= count; ++i) {
            FrameEntry &e = fr.Entry(i);
            if ((e.DataFlags[1] ^ e.WriteFlags[1]) & kGrouping) {
                if (!t_.AdoptUnsupportedFlags) throw SaveError{0xC100};
                e.WriteFlags[1] =
                    static_cast<uint8_t>((e.WriteFlags[1] & ~kGrouping) | (e.DataFlags[1] & kGrouping));
                warn_ |= 0x08;
            }
        }
    }

    uint64_t oldTagSize(uint64_t fileSize) const {
        if (fileSize - off_ < 10) return 0;
        uint8_t h[10];
        file_.readAt(off_, h, 10);
        if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
            (h[6] | h[7] | h[8] | h[9]) & 0x80)
            return 0;
        uint64_t size = ((uint64_t(h[6]) << 21) | (uint64_t(h[7]) << 14) | (uint64_t(h[8]) << 7) | h[9]) + 10;
        if (h[3] == 4 && (h[5] & 0x10)) size += 10; // the footer goes with the old tag
        return std::min(size, fileSize - off_);
    }

    // The frame header as it goes into the file; returns its length (at most 32 bytes).
    size_t frameHeader(const FrameEntry &e, uint8_t *out) const {
        uint8_t raw[16];
        std::memcpy(raw, e.ID.data(), 4);
        const uint8_t f = e.WriteFlags[1];
        size_t n = 10;
        if (v4_) {
            uint32_t size = static_cast<uint32_t>(e.Data.size());
            size += (f & kGrouping ? 1 : 0) + (f & kEncryption ? 1 : 0) + (f & kDataLengthInd ? 4 : 0);
            putSynchsafe(raw + 4, size);
            raw[8] = e.WriteFlags[0];
            raw[9] = f;
            if (f & kGrouping) raw[n++] = e.GroupId;
            if (f & kEncryption) raw[n++] = e.EncryptionMethod;
            if (f & kDataLengthInd) {
                putSynchsafe(raw + n, static_cast<uint32_t>(e.DataLength));
                n += 4;
            }
            std::memcpy(out, raw, n);
            return n;
        }
        uint32_t size =
            (e.DataFlags[1] & kUnsync) ? resynchronisedSize(e.Data) : static_cast<uint32_t>(e.Data.size());
        size += (f & kCompression ? 4 : 0) + (f & kEncryption ? 1 : 0) + (f & kGrouping ? 1 : 0);
        putBigEndian(raw + 4, size);
        const uint8_t s = e.WriteFlags[0];
        raw[8] = static_cast<uint8_t>((s & kTagAlter ? 0x80 : 0) | (s & kFileAlter ? 0x40 : 0) |
                                      (s & kReadOnly ? 0x20 : 0));
        raw[9] = static_cast<uint8_t>((f & kCompression ? 0x80 : 0) | (f & kEncryption ? 0x40 : 0) |
                                      (f & kGrouping ? 0x20 : 0));
        if (f & kCompression) {
            putBigEndian(raw + n, static_cast<uint32_t>(e.DataLength));
            n += 4;
        }
        if (f & kEncryption) raw[n++] = e.EncryptionMethod;
        if (f & kGrouping) raw[n++] = e.GroupId;
        if (!t_.Unsynchronisation()) {
            std::memcpy(out, raw, n);
            return n;
        }
        // The byte after the header is the data's first, so a final 0xFF is stuffed when needed.
        out[0] = raw[0];
        return 1 + unsyncInto(raw + 1, n - 1, e.Data.empty() ? -1 : e.Data[0], out + 1);
    }

    uint64_t newSizeWithoutPadding() {
        uint64_t size = 10;
        if (!v4_) {
            if (t_.CrcPresent()) {
                t_.setExtendedHeader(true);
                size += 4;
            }
            if (t_.ExtendedHeader()) size += 10;
        } else {
            if (t_.CrcPresent()) {
                t_.setExtendedHeader(true);
                size += 6;
            }
            if (t_.ExtendedHeader())
                size += 6 + (t_.TagIsUpdate() ? 1 : 0) + (t_.RestrictionsPresent() ? 2 : 0);
        }
        uint8_t h[32];
        for (uint32_t i = 1; i <= t_.Frames.Count(); ++i) {
            const FrameEntry &e = t_.Frames.Entry(i);
            size += frameHeader(e, h) + e.Data.size();
        }
        return size;
    }

    uint32_t frameCrc(uint32_t padding) {
        t_.StatusText = "Calculating CRC-32";
        uint32_t crc = 0xFFFFFFFFu;
        uint8_t h[32];
        for (uint32_t i = 1; i <= t_.Frames.Count(); ++i) {
            const FrameEntry &e = t_.Frames.Entry(i);
            crc = id3Crc32(crc, h, frameHeader(e, h));
            crc = id3Crc32(crc, e.Data.data(), e.Data.size());
        }
        for (uint32_t left = padding; left > 0;) {
            const uint32_t piece = std::min<uint32_t>(left, kBuffer);
            crc = id3Crc32(crc, kZeros, piece);
            left -= piece;
        }
        return crc;
    }

    uint32_t choosePadding(uint64_t fileSize, uint64_t oldSize, uint64_t newSize) const {
        if (t_.PaddingMode == 0) return t_.PaddingSize;
        const uint64_t block = t_.PaddingBlock;
        auto blockRule = [&]() -> uint32_t {
            if (block == 0) return 0;
            // Ends the file on a multiple of the block; the result lies in 1..block.
            const int64_t base = int64_t((fileSize / block + 1) * block) + int64_t(oldSize) -
                                 int64_t(fileSize) - int64_t(newSize);
            const int64_t b = int64_t(block);
            return static_cast<uint32_t>(((base - 1) % b + b) % b + 1);
        };
        if (newSize > oldSize || t_.PaddingMode == 2) return blockRule();
        if (t_.PaddingLimit >= t_.PaddingBlock) return blockRule();
        return static_cast<uint32_t>(oldSize - newSize);
    }

    // 2.3 ext header fields (padding size, CRC) as written with whole-tag unsynchronisation.
    size_t extHeaderFields(uint8_t *out) const {
        uint8_t raw[8];
        putBigEndian(raw, padding_);
        size_t n = 4;
        if (t_.CrcPresent()) {
            putBigEndian(raw + 4, crc_);
            n = 8;
        }
        if (!t_.Unsynchronisation()) {
            std::memcpy(out, raw, n);
            return n;
        }
        return unsyncInto(raw, n, -1, out);
    }

    uint32_t extHeaderStuffing() const {
        if (v4_ || !t_.ExtendedHeader() || !t_.Unsynchronisation()) return 0;
        uint8_t out[16];
        return static_cast<uint32_t>(extHeaderFields(out) - (t_.CrcPresent() ? 8 : 4));
    }

    void makeRoomAndWrite(uint64_t fileSize, uint64_t oldSize, uint64_t newSize) {
        const uint64_t audioStart = off_ + oldSize;
        const bool audio = audioStart < fileSize;
        const uint64_t audioBytes = audio ? fileSize - audioStart : 0;
        total_ = (newSize != oldSize ? audioBytes : 0) + newSize;
        t_.Progress = 10;
        if (audio && newSize != oldSize) {
            // Moving audio in place is not safe against a crash or a power cut: a new file beside the
            // old one replaces it only once it is whole.
            if (auto replacement = id3io::Replacement::beside(path_)) {
                rewriteBeside(*replacement, fileSize, audioStart, newSize);
                return;
            }
        }
        if (audio && newSize > oldSize) {
            const uint64_t delta = newSize - oldSize;
            file_.growTo(fileSize, fileSize + delta); // fails before any byte moves
            t_.StatusText = "Re-positioning audio data";
            auto buf = std::make_unique<uint8_t[]>(kBuffer);
            for (uint64_t pos = fileSize; pos > audioStart;) {
                const size_t piece = static_cast<size_t>(std::min<uint64_t>(kBuffer, pos - audioStart));
                pos -= piece;
                file_.readAt(pos, buf.get(), piece);
                file_.writeAt(pos + delta, buf.get(), piece);
                handled(piece);
            }
        } else if (audio && newSize < oldSize) {
            const uint64_t delta = oldSize - newSize;
            t_.StatusText = "Re-positioning audio data";
            auto buf = std::make_unique<uint8_t[]>(kBuffer);
            for (uint64_t pos = audioStart; pos < fileSize;) {
                const size_t piece = static_cast<size_t>(std::min<uint64_t>(kBuffer, fileSize - pos));
                file_.readAt(pos, buf.get(), piece);
                file_.writeAt(pos - delta, buf.get(), piece);
                pos += piece;
                handled(piece);
            }
            file_.truncate(fileSize - delta);
        } else if (!audio && newSize < oldSize) {
            file_.truncate(fileSize - (oldSize - newSize));
        } else if (!audio && newSize > oldSize) {
            file_.growTo(fileSize, off_ + newSize);
        }
        writeTag(newSize, file_);
    }

    // The bytes before the offset, the new tag and the audio, in a new file that then takes the old
    // one's place. Room for all of it is claimed first, so a full disk or a size limit fails early.
    void rewriteBeside(id3io::Replacement &replacement, uint64_t fileSize, uint64_t audioStart,
                       uint64_t newSize) {
        id3io::File &out = replacement.file();
        const uint64_t audioAt = off_ + newSize;
        out.growTo(0, audioAt + (fileSize - audioStart));
        auto buf = std::make_unique<uint8_t[]>(kBuffer);
        const auto copy = [&](uint64_t from, uint64_t to, uint64_t count, bool counted) {
            for (uint64_t done = 0; done < count;) {
                const size_t piece = static_cast<size_t>(std::min<uint64_t>(kBuffer, count - done));
                file_.readAt(from + done, buf.get(), piece);
                out.writeAt(to + done, buf.get(), piece);
                done += piece;
                if (counted) handled(piece);
            }
        };
        copy(0, 0, off_, false);
        t_.StatusText = "Re-positioning audio data";
        copy(audioStart, audioAt, fileSize - audioStart, true);
        writeTag(newSize, out);
        replacement.commit();
    }

    void handled(uint64_t n) {
        done_ += n;
        t_.Progress = static_cast<uint8_t>(10 + done_ * 90 / std::max<uint64_t>(total_, 1));
    }

    void writeTag(uint64_t newSize, id3io::File &to) {
        t_.StatusText = "Writing new tag";
        Stager out(to, off_);
        uint8_t h[32];
        std::memcpy(h, "ID3", 3);
        h[3] = v4_ ? 4 : 3;
        h[4] = 0;
        h[5] = t_.HeaderFlags & 0xE0; // no footer is written, so its flag never is
        putSynchsafe(h + 6, static_cast<uint32_t>(newSize - 10));
        out.put(h, 10);
        if (t_.ExtendedHeader()) {
            if (!v4_) {
                putBigEndian(h, t_.CrcPresent() ? 10 : 6);
                h[4] = t_.CrcPresent() ? 0x80 : 0x00;
                h[5] = 0;
                out.put(h, 6);
                out.put(h + 6, extHeaderFields(h + 6));
            } else {
                const bool upd = t_.TagIsUpdate(), crc = t_.CrcPresent(), res = t_.RestrictionsPresent();
                putSynchsafe(h, 6 + (upd ? 1 : 0) + (crc ? 6 : 0) + (res ? 2 : 0));
                size_t n = 4;
                h[n++] = 1;
                h[n++] = static_cast<uint8_t>((upd ? 0x40 : 0) | (crc ? 0x20 : 0) | (res ? 0x10 : 0));
                if (upd) h[n++] = 0;
                if (crc) {
                    h[n++] = 5;
                    h[n++] = static_cast<uint8_t>(crc_ >> 28);
                    putSynchsafe(h + n, crc_ & 0x0FFFFFFF);
                    n += 4;
                }
                if (res) {
                    h[n++] = 1;
                    h[n++] = t_.Restrictions;
                }
                out.put(h, n);
            }
        }
        for (uint32_t i = 1; i <= t_.Frames.Count(); ++i) {
            const FrameEntry &e = t_.Frames.Entry(i);
            out.put(h, frameHeader(e, h));
            out.put(e.Data.data(), e.Data.size());
        }
        for (uint32_t left = padding_; left > 0;) {
            const uint32_t piece = std::min<uint32_t>(left, kBuffer);
            out.put(kZeros, piece);
            left -= piece;
        }
        out.flush();
        handled(out.written());
    }

    Tid3v2tag &t_;
    id3io::File &file_;
    const std::string &path_;
    uint32_t off_;
    bool v4_ = false;
    uint16_t warn_ = 0;
    uint32_t crc_ = 0;
    uint32_t padding_ = 0;
    uint64_t total_ = 0, done_ = 0;
};

uint16_t Tid3v2tag::SaveTag(const std::string &fileName, uint8_t version, uint32_t offset, int32_t offsetMode,
                            uint8_t revision) {
    const bool same = fileName == "=";
    const uint32_t off = offsetMode >= 0 ? offset : (same ? TagOffset : 0);
    const std::string name = same ? FileName : fileName;
    if (LastResult >= 256) return 0xFE00;
    const id3io::FileInfo info = id3io::inspect(name);
    if (!info.exists) return 0x0100;
    if (info.readOnly) return 0x0200;
    try {
        id3io::File file(name, true);
        TagWriter writer(*this, file, name, off);
        const uint16_t result = writer.run(version, revision);
        if (result < 256) FileName = name;
        return result;
    } catch (const id3io::IoFailure &e) {
        return static_cast<uint16_t>(e.code << 8);
    }
}
