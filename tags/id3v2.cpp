#include "id3v2.h"

#include <algorithm>
#include <zlib.h>

using namespace id3flags;

// ---- frame list ----

uint32_t TFrameIndex::AddFrame(const std::string &id) {
    if (id.size() != 4) return 0;
    std::string upper = id;
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return 0;
    }
    FrameEntry entry;
    entry.ID = std::move(upper);
    entry.Changed = true;
    entries_.push_back(std::move(entry));
    return Count();
}

uint8_t TFrameIndex::DeleteFrame(uint32_t index) {
    if (index == 0 || index > Count()) return 0;
    entries_.erase(entries_.begin() + (index - 1));
    return 1;
}

FrameEntry &TFrameIndex::Entry(uint32_t index) {
    if (index == 0 || index > Count()) throw ERangeError();
    return entries_[index - 1];
}

const FrameEntry &TFrameIndex::Entry(uint32_t index) const {
    if (index == 0 || index > Count()) throw ERangeError();
    return entries_[index - 1];
}

bool TFrameIndex::DataGrouped(uint32_t i) const {
    return Entry(i).DataFlags[1] & kGrouping;
}
bool TFrameIndex::DataCompressed(uint32_t i) const {
    return Entry(i).DataFlags[1] & kCompression;
}
bool TFrameIndex::DataEncrypted(uint32_t i) const {
    return Entry(i).DataFlags[1] & kEncryption;
}
bool TFrameIndex::DataUnsynchronised(uint32_t i) const {
    return Entry(i).DataFlags[1] & kUnsync;
}
bool TFrameIndex::TagAlterPreservation(uint32_t i) const {
    return Entry(i).WriteFlags[0] & kTagAlter;
}
bool TFrameIndex::FileAlterPreservation(uint32_t i) const {
    return Entry(i).WriteFlags[0] & kFileAlter;
}
bool TFrameIndex::ReadOnly(uint32_t i) const {
    return Entry(i).WriteFlags[0] & kReadOnly;
}
bool TFrameIndex::Grouping(uint32_t i) const {
    return Entry(i).WriteFlags[1] & kGrouping;
}
bool TFrameIndex::Compression(uint32_t i) const {
    return Entry(i).WriteFlags[1] & kCompression;
}
bool TFrameIndex::Encryption(uint32_t i) const {
    return Entry(i).WriteFlags[1] & kEncryption;
}
bool TFrameIndex::Unsynchronisation(uint32_t i) const {
    return Entry(i).WriteFlags[1] & kUnsync;
}
bool TFrameIndex::DataLengthIndicator(uint32_t i) const {
    return Entry(i).WriteFlags[1] & kDataLengthInd;
}

uint8_t TFrameIndex::GetDataFlags(uint32_t index, uint8_t byteNo) const {
    if (byteNo == 0 || byteNo > 2) throw ERangeError();
    return Entry(index).DataFlags[byteNo - 1];
}

void TFrameIndex::SetDataFlags(uint32_t index, uint8_t byteNo, uint8_t value) {
    if (byteNo == 0 || byteNo > 2) throw ERangeError();
    Entry(index).DataFlags[byteNo - 1] = value;
}

uint8_t TFrameIndex::GetWriteFlags(uint32_t index, uint8_t byteNo) const {
    if (byteNo == 0 || byteNo > 2) throw ERangeError();
    return Entry(index).WriteFlags[byteNo - 1];
}

void TFrameIndex::SetWriteFlags(uint32_t index, uint8_t byteNo, uint8_t value) {
    if (byteNo == 0 || byteNo > 2) throw ERangeError();
    FrameEntry &e = Entry(index);
    e.WriteFlags[byteNo - 1] = value;
    e.Changed = true;
}

void TFrameIndex::SetEncryptionMethod(uint32_t index, uint8_t value) {
    FrameEntry &e = Entry(index);
    if (e.EncryptionMethod != value) e.Changed = true;
    e.EncryptionMethod = value;
}

void TFrameIndex::SetGroupId(uint32_t index, uint8_t value) {
    FrameEntry &e = Entry(index);
    if (e.GroupId != value) e.Changed = true;
    e.GroupId = value;
}

// ---- unsynchronisation ----

namespace {
bool needsStuffing(uint8_t next) {
    return next == 0x00 || next >= 0xE0;
}
} // namespace

int8_t TFrameIndex::Resynchronise(uint32_t index) {
    FrameEntry &e = Entry(index);
    if (!(e.DataFlags[1] & kUnsync)) return -1;
    try {
        std::vector<uint8_t> &d = e.Data;
        size_t out = 0;
        for (size_t i = 0; i < d.size(); ++i) {
            d[out++] = d[i];
            // A stuffed zero at the very end (after a final 0xFF) is dropped as well.
            if (d[i] == 0xFF && i + 1 < d.size() && d[i + 1] == 0x00 &&
                (i + 2 >= d.size() || needsStuffing(d[i + 2])))
                ++i;
        }
        d.resize(out);
        e.DataFlags[1] &= static_cast<uint8_t>(~kUnsync);
        e.Changed = true;
        return 0;
    } catch (const std::exception &) {
        return 4;
    }
}

int8_t TFrameIndex::Unsynchronise(uint32_t index) {
    FrameEntry &e = Entry(index);
    if (e.DataFlags[1] & kUnsync) return -1;
    try {
        const std::vector<uint8_t> &d = e.Data;
        if (!(e.DataFlags[1] & (kCompression | kEncryption))) e.DataLength = static_cast<int32_t>(d.size());
        e.PlainSize = static_cast<uint32_t>(d.size());
        std::vector<uint8_t> out;
        out.reserve(d.size() + d.size() / 64 + 4);
        for (size_t i = 0; i < d.size(); ++i) {
            out.push_back(d[i]);
            if (d[i] == 0xFF && i + 1 < d.size() && needsStuffing(d[i + 1])) out.push_back(0x00);
        }
        e.Data = std::move(out);
        e.DataFlags[1] |= kUnsync;
        e.Changed = true;
        return 0;
    } catch (const std::exception &) {
        return 4;
    }
}

// ---- compression ----

int8_t TFrameIndex::Decompress(uint32_t index) {
    FrameEntry &e = Entry(index);
    if (e.DataFlags[1] & kUnsync) return 2;
    if (e.DataFlags[1] & kEncryption) return 1;
    if (!(e.DataFlags[1] & kCompression)) return -1;
    // The data length indicator comes from the file: it may guide nothing beyond the limit.
    if (e.DataLength < 0 || static_cast<uint32_t>(e.DataLength) > kMaxFrameData) return 4;
    try {
        const size_t step = std::max<size_t>(256, (e.Data.size() + 255) / 256 * 256);
        std::vector<uint8_t> out(std::min<size_t>(step, kMaxFrameData));
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK) return 4;
        zs.next_in = e.Data.data();
        zs.avail_in = static_cast<uInt>(e.Data.size());
        int rc = Z_OK;
        size_t produced = 0;
        while (true) {
            zs.next_out = out.data() + produced;
            zs.avail_out = static_cast<uInt>(out.size() - produced);
            rc = inflate(&zs, Z_NO_FLUSH);
            produced = out.size() - zs.avail_out;
            if (rc == Z_STREAM_END) break;
            if (rc != Z_OK && rc != Z_BUF_ERROR) break;
            if (zs.avail_out != 0) { // input ran out before the stream's end
                rc = Z_DATA_ERROR;
                break;
            }
            if (out.size() >= kMaxFrameData) {
                rc = Z_MEM_ERROR;
                break;
            }
            out.resize(std::min<size_t>(out.size() + std::max(step, out.size() / 2), kMaxFrameData));
        }
        inflateEnd(&zs);
        if (rc != Z_STREAM_END) return 4;
        out.resize(produced);
        const bool sizeDiffers = produced != static_cast<size_t>(e.DataLength);
        e.Data = std::move(out);
        e.DataLength = 0;
        e.DataFlags[1] &= static_cast<uint8_t>(~kCompression);
        e.Changed = true;
        return sizeDiffers ? -2 : 0;
    } catch (const std::exception &) {
        return 4;
    }
}

int8_t TFrameIndex::Compress(uint32_t index, uint8_t levelIndex) {
    FrameEntry &e = Entry(index);
    if (e.DataFlags[1] & kUnsync) return 2;
    if (e.DataFlags[1] & kEncryption) return 1;
    if (e.DataFlags[1] & kCompression) return -1;
    static constexpr int kLevels[4] = {0, 1, Z_DEFAULT_COMPRESSION, 9};
    const int level = kLevels[std::min<uint8_t>(levelIndex, 3)];
    try {
        std::vector<uint8_t> out(compressBound(static_cast<uLong>(e.Data.size())));
        uLongf outLen = static_cast<uLongf>(out.size());
        if (compress2(out.data(), &outLen, e.Data.data(), static_cast<uLong>(e.Data.size()), level) != Z_OK)
            return 4;
        out.resize(outLen);
        e.DataLength = static_cast<int32_t>(e.Data.size());
        e.Data = std::move(out);
        e.DataFlags[1] |= kCompression;
        e.Changed = true;
        return 0;
    } catch (const std::exception &) {
        return 4;
    }
}

// ---- text ----

uint8_t ReadText(const std::vector<uint8_t> &data, uint32_t start, bool allowLineBreaks, std::string &text,
                 uint8_t encoding, uint32_t &length) {
    const bool reportLength = length == 0;
    const size_t end = length == 0 ? data.size() : std::min<size_t>(data.size(), size_t(start) + length);
    text.clear();
    if (start >= data.size()) {
        if (reportLength) length = 0;
        return 2;
    }
    size_t pos = start;
    uint8_t result = 0;
    auto finish = [&](uint8_t r) {
        if (reportLength) length = static_cast<uint32_t>(pos - start);
        return r;
    };
    switch (encoding) {
    case 0:
        while (pos < end) {
            const uint8_t b = data[pos++];
            if (b >= 32 || (allowLineBreaks && (b == 10 || b == 13))) {
                text.push_back(static_cast<char>(b));
                continue;
            }
            if (!allowLineBreaks && b != 0 && b != 10 && b != 13) {
                text.clear();
                return finish(8);
            }
            break;
        }
        return finish(0);
    case 1:
    case 2:
    case 9: {
        bool bigEndian = encoding == 2;
        if (encoding == 1) {
            if (end - pos < 2) {
                pos = end;
                return finish(8);
            }
            const uint8_t b0 = data[pos], b1 = data[pos + 1];
            pos += 2;
            if (b0 == 0xFF && b1 == 0xFE)
                bigEndian = false;
            else if (b0 == 0xFE && b1 == 0xFF)
                bigEndian = true;
            else
                return finish(8);
        }
        while (end - pos >= 2) {
            const uint8_t hi = bigEndian ? data[pos] : data[pos + 1];
            const uint8_t lo = bigEndian ? data[pos + 1] : data[pos];
            pos += 2;
            if (hi != 0) {
                result = 4;
                break;
            }
            if (lo == 0) break;
            if (lo < 32) {
                text.clear();
                return finish(8);
            }
            text.push_back(static_cast<char>(lo));
        }
        return finish(result);
    }
    case 3:
        while (pos < end) {
            const uint8_t b = data[pos++];
            uint8_t c = b;
            if (b >= 0xC4) {
                result = 4;
                break;
            }
            if (b >= 0xC0) {
                if (pos >= end) {
                    text.clear();
                    return finish(8);
                }
                c = static_cast<uint8_t>(((b & 3) << 6) | (data[pos++] & 0x3F));
            } else if (b >= 0x80) {
                c = b & 0x3F;
            }
            if (c == 0) break;
            if (c < 32) {
                text.clear();
                return finish(8);
            }
            text.push_back(static_cast<char>(c));
        }
        return finish(result);
    default:
        return finish(5);
    }
}

// ---- frame getters and setters ----

uint8_t Tid3v2tag::prepareForReading(uint32_t index) {
    FrameEntry &e = Frames.Entry(index);
    // Held and requested state both count: text is only read from plain data.
    if ((e.WriteFlags[1] | e.DataFlags[1]) & kUnsync) Frames.Resynchronise(index);
    if ((e.WriteFlags[1] | e.DataFlags[1]) & kEncryption) return 9;
    if (e.DataFlags[1] & kCompression) Frames.Decompress(index);
    if (e.DataFlags[1] & (kCompression | kUnsync)) return 9; // could not be made plain
    if (e.Data.empty()) return 2;
    return 0;
}

namespace {
bool textFrameIdAllowed(const std::string &id) {
    return id.size() == 4 && id[0] == 'T' && id != "TXXX";
}
} // namespace

uint8_t Tid3v2tag::GetFrameText(const std::string &id, std::string &text) {
    text.clear();
    if (!textFrameIdAllowed(id)) return 3;
    for (uint32_t i = 1; i <= Frames.Count(); ++i) {
        if (Frames.Entry(i).ID != id) continue;
        if (const uint8_t r = prepareForReading(i)) return r;
        const FrameEntry &e = Frames.Entry(i);
        uint32_t length = 0;
        return ReadText(e.Data, 1, false, text, e.Data[0], length);
    }
    return 1;
}

uint32_t Tid3v2tag::findComment(COMM &comm, const std::string &description, const std::string &language,
                                uint8_t &result, uint32_t &consumed) {
    for (uint32_t i = 1; i <= Frames.Count(); ++i) {
        if (Frames.Entry(i).ID != "COMM") continue;
        if ((result = prepareForReading(i)) != 0) return 0;
        const FrameEntry &e = Frames.Entry(i);
        consumed = 0;
        if ((result = ReadText(e.Data, 4, false, comm.Description, e.Data[0], consumed)) != 0) return 0;
        if (comm.Description != description) continue;
        if (language.size() == 3 && std::string(e.Data.begin() + 1, e.Data.begin() + 4) != language) continue;
        result = 0;
        return i;
    }
    result = 1;
    return 0;
}

uint8_t Tid3v2tag::GetComment(COMM &comm, const std::string &description, const std::string &language) {
    const std::string wantDescription = description, wantLanguage = language; // may alias comm
    comm.Description.clear();
    comm.Text.clear();
    uint8_t result = 0;
    uint32_t consumed = 0;
    const uint32_t i = findComment(comm, wantDescription, wantLanguage, result, consumed);
    if (i == 0) return result;
    const FrameEntry &e = Frames.Entry(i);
    uint32_t length = 0;
    result = ReadText(e.Data, 4 + consumed, true, comm.Text, e.Data[0], length);
    comm.Encoding = e.Data[0];
    comm.Language.assign(e.Data.begin() + 1, e.Data.begin() + 4);
    return result;
}

uint8_t Tid3v2tag::SetFrameText(const std::string &id, const std::string &text) {
    if (!textFrameIdAllowed(id)) return 3;
    TFrameIndex probe;
    if (probe.AddFrame(id) == 0) return 3;
    uint32_t index = 0;
    for (uint32_t i = 1; i <= Frames.Count() && index == 0; ++i)
        if (Frames.Entry(i).ID == id) index = i;
    if (index != 0 && text.empty()) {
        Frames.DeleteFrame(index);
        return 255;
    }
    if (text.empty()) return 0;
    if (index == 0) index = Frames.AddFrame(id);
    FrameEntry &e = Frames.Entry(index);
    e.DataFlags[1] = 0;
    e.DataLength = 0; // the old value described the old data
    e.Data.assign(1, 0x00);
    e.Data.insert(e.Data.end(), text.begin(), text.end());
    e.Changed = true;
    return 0;
}

uint8_t Tid3v2tag::SetComment(const COMM &comm, const std::string &description, const std::string &language) {
    const COMM content = comm; // the arguments may alias each other
    COMM scratch;
    uint8_t result = 0;
    uint32_t consumed = 0;
    uint32_t index = findComment(scratch, description, language, result, consumed);
    if (index == 0 && result != 1) return result;
    if (index == 0 && content.Text.empty()) return 0;
    if (content.Encoding >= 4) return 6;
    for (size_t k = 0; k < 3; ++k)
        if (k >= content.Language.size() || static_cast<uint8_t>(content.Language[k]) < 32) return 7;
    if (index != 0 && content.Text.empty()) {
        Frames.DeleteFrame(index);
        return 255;
    }
    if (index == 0) index = Frames.AddFrame("COMM");
    FrameEntry &e = Frames.Entry(index);
    e.DataFlags[1] = 0;
    e.DataLength = 0;
    e.Data.clear();
    e.Data.push_back(content.Encoding);
    e.Data.insert(e.Data.end(), content.Language.begin(), content.Language.begin() + 3);
    e.Data.insert(e.Data.end(), content.Description.begin(), content.Description.end());
    if (content.Description.empty() || content.Description.back() != '\0') e.Data.push_back(0x00);
    e.Data.insert(e.Data.end(), content.Text.begin(), content.Text.end());
    e.Changed = true;
    return 0;
}

// ---- CRC ----

uint32_t id3Crc32(uint32_t crc, const uint8_t *data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}
