#pragma once
// The ID3v2 tag object: reads a 2.3/2.4 tag into a frame list and writes it back in place.
// No Qt here, so it is usable (and testable, fuzzable) without a display.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Raised for a frame index of 0 or above the count.
class ERangeError : public std::out_of_range {
public:
    ERangeError() : std::out_of_range("Array range out of bounds.") {}
};

// Flag bits, 2.4 layout, as held in FrameEntry::DataFlags/WriteFlags (byte 1 = status, 2 = format).
namespace id3flags {
constexpr uint8_t kTagAlter = 0x40, kFileAlter = 0x20, kReadOnly = 0x10;
constexpr uint8_t kGrouping = 0x40, kCompression = 0x08, kEncryption = 0x04, kUnsync = 0x02,
                  kDataLengthInd = 0x01;
} // namespace id3flags

struct FrameEntry {
    bool Changed = false;
    uint32_t Position = 0;
    uint32_t PlainSize = 0;
    uint32_t HeaderLength = 0;
    std::string ID;
    std::array<uint8_t, 2> DataFlags{};  // state of the data held now
    std::array<uint8_t, 2> WriteFlags{}; // state the next save is to produce
    int32_t DataLength = 0;
    uint8_t EncryptionMethod = 0;
    uint8_t GroupId = 0;
    std::vector<uint8_t> Data;
};

// The ordered frame list. Indexes are 1-based; 0 or above Count() raises ERangeError.
class TFrameIndex {
public:
    uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }
    // The new count, or 0 when the ID is not four characters A-Z/0-9 (upper-cased first).
    uint32_t AddFrame(const std::string &id);
    // 1, or 0 when the index exceeds the count.
    uint8_t DeleteFrame(uint32_t index);
    void Clear() { entries_.clear(); }

    FrameEntry &Entry(uint32_t index);
    const FrameEntry &Entry(uint32_t index) const;

    // Held state (DataFlags, format byte).
    bool DataGrouped(uint32_t index) const;
    bool DataCompressed(uint32_t index) const;
    bool DataEncrypted(uint32_t index) const;
    bool DataUnsynchronised(uint32_t index) const;
    // Requested state (WriteFlags).
    bool TagAlterPreservation(uint32_t index) const;
    bool FileAlterPreservation(uint32_t index) const;
    bool ReadOnly(uint32_t index) const;
    bool Grouping(uint32_t index) const;
    bool Compression(uint32_t index) const;
    bool Encryption(uint32_t index) const;
    bool Unsynchronisation(uint32_t index) const;
    bool DataLengthIndicator(uint32_t index) const;
    // byteNo 1 = status, 2 = format; above 2 raises ERangeError.
    uint8_t GetDataFlags(uint32_t index, uint8_t byteNo) const;
    void SetDataFlags(uint32_t index, uint8_t byteNo, uint8_t value);
    uint8_t GetWriteFlags(uint32_t index, uint8_t byteNo) const;
    void SetWriteFlags(uint32_t index, uint8_t byteNo, uint8_t value);

    int32_t GetDataLength(uint32_t index) const { return Entry(index).DataLength; }
    void SetDataLength(uint32_t index, int32_t value) { Entry(index).DataLength = value; }
    uint8_t GetEncryptionMethod(uint32_t index) const { return Entry(index).EncryptionMethod; }
    void SetEncryptionMethod(uint32_t index, uint8_t value);
    uint8_t GetGroupId(uint32_t index) const { return Entry(index).GroupId; }
    void SetGroupId(uint32_t index, uint8_t value);
    uint32_t GetPosition(uint32_t index) const { return Entry(index).Position; }
    void SetPosition(uint32_t index, uint32_t value) { Entry(index).Position = value; }
    uint32_t GetHeaderLength(uint32_t index) const { return Entry(index).HeaderLength; }
    void SetHeaderLength(uint32_t index, uint32_t value) { Entry(index).HeaderLength = value; }
    uint32_t GetPlainSize(uint32_t index) const { return Entry(index).PlainSize; }
    void SetPlainSize(uint32_t index, uint32_t value) { Entry(index).PlainSize = value; }
    std::string GetID(uint32_t index) const { return Entry(index).ID; }
    uint32_t GetDataSize(uint32_t index) const { return static_cast<uint32_t>(Entry(index).Data.size()); }

    // 0 done; -1 nothing to do; 1 encrypted; 2 unsynchronised; -2 (Decompress) size differs from
    // DataLength; 4 compression library failure or a result above the frame size limit.
    int8_t Compress(uint32_t index, uint8_t levelIndex);
    int8_t Decompress(uint32_t index);
    int8_t Unsynchronise(uint32_t index);
    int8_t Resynchronise(uint32_t index);

    // A decompressed frame may not exceed this; bigger ones are refused before allocation.
    static constexpr uint32_t kMaxFrameData = 16u << 20;

private:
    std::vector<FrameEntry> entries_;
};

struct COMM {
    uint8_t Encoding = 0;
    std::string Language;
    std::string Description;
    std::string Text;
};

// Decodes text of the given encoding from data[start...] into 8-bit characters. length: byte
// limit on entry (0 = none); when it was 0, returns the bytes consumed, terminator included.
uint8_t ReadText(const std::vector<uint8_t> &data, uint32_t start, bool allowLineBreaks, std::string &text,
                 uint8_t encoding, uint32_t &length);

class Tid3v2tag {
public:
    uint8_t MajorVersion = 3;
    uint8_t Revision = 0;
    uint32_t TagSize = 0;
    uint8_t HeaderFlags = 0;
    uint8_t ExtendedFlags = 0;
    uint32_t PaddingSize = 0;
    uint32_t ExtendedHeaderSize = 0;
    uint32_t TagCrc = 0;
    uint8_t Restrictions = 0;
    uint16_t LastResult = 0;
    bool Modified = false;
    bool FileReadOnly = false;
    std::string FileName;
    uint32_t TagOffset = 0;
    bool Finished = true;
    uint8_t Progress = 0;
    std::string StatusText;
    TFrameIndex Frames;
    bool AcceptRevision = true;
    bool AdoptUnsupportedFlags = false;
    bool TidyFrames = true;
    uint8_t CompressionLevel = 2;
    uint8_t PaddingMode = 1;
    uint32_t PaddingBlock = 4096;
    uint32_t PaddingLimit = 4096;

    // Result words: high byte error code (0 = success), low byte warning bits.
    uint16_t LoadTag(const std::string &fileName, uint32_t offset);
    uint8_t GetFrameText(const std::string &id, std::string &text);
    uint8_t GetComment(COMM &comm, const std::string &description, const std::string &language);
    uint8_t SetFrameText(const std::string &id, const std::string &text);
    uint8_t SetComment(const COMM &comm, const std::string &description, const std::string &language);
    uint16_t SaveTag(const std::string &fileName, uint8_t version, uint32_t offset, int32_t offsetMode,
                     uint8_t revision);

    bool Unsynchronisation() const { return HeaderFlags & 0x80; }
    void setUnsynchronisation(bool on) { setBit(HeaderFlags, 0x80, on); }
    bool ExtendedHeader() const { return HeaderFlags & 0x40; }
    void setExtendedHeader(bool on) { setBit(HeaderFlags, 0x40, on); }
    void setExperimental(bool on) { setBit(HeaderFlags, 0x20, on); }
    void setFooter(bool on) { setBit(HeaderFlags, 0x10, on); }
    bool TagIsUpdate() const { return ExtendedFlags & 0x40; }
    void setTagIsUpdate(bool on) { setBit(ExtendedFlags, 0x40, on); }
    bool CrcPresent() const { return ExtendedFlags & 0x20; }
    void setCrcPresent(bool on) { setBit(ExtendedFlags, 0x20, on); }
    bool RestrictionsPresent() const { return ExtendedFlags & 0x10; }
    void setRestrictionsPresent(bool on) { setBit(ExtendedFlags, 0x10, on); }

private:
    void setBit(uint8_t &flags, uint8_t bit, bool on) {
        flags = on ? (flags | bit) : (flags & ~bit);
        Modified = true;
    }
    // Makes the frame's text readable: 0, or the reading result (2 empty, 9 encrypted/unreadable).
    uint8_t prepareForReading(uint32_t index);
    // Finds the first COMM frame matching description/language: its index, or 0 with the reading
    // result in result (1 when none matched).
    uint32_t findComment(COMM &comm, const std::string &description, const std::string &language,
                         uint8_t &result, uint32_t &consumed);
    friend class TagLoader;
    friend class TagWriter;
};

// Reflected CRC-32 (polynomial 0xEDB88320), no final inversion; start with 0xFFFFFFFF.
uint32_t id3Crc32(uint32_t crc, const uint8_t *data, size_t size);
