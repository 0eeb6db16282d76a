// Text decoding per encoding, frame text and comment lookup, and the in-memory setters.
#include "TagBytes.h"
#include "tags/id3v2.h"

#include <gtest/gtest.h>

using namespace tagbytes;

namespace {

uint8_t decode(const Bytes &data, std::string &out, bool breaks = false, uint32_t start = 0) {
    uint32_t length = 0;
    return ReadText(data, start, breaks, out, data.at(0), length);
}

TEST(ReadText, Latin1StopsAtTerminatorAndRefusesControls) {
    std::string s;
    uint32_t length = 0;
    EXPECT_EQ(ReadText(Bytes{0, 'a', 'b', 'c', 0, 'x'}, 1, false, s, 0, length), 0);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(length, 4u); // terminator included

    EXPECT_EQ(decode(Bytes{0, 'a', 'b', 'c', 7, 'x'}, s, false, 1), 8);
    EXPECT_EQ(s, "");
    // With line breaks allowed, CR/LF are text and another control byte just ends it.
    EXPECT_EQ(decode(Bytes{0, 'a', 13, 10, 'b', 7, 'x'}, s, true, 1), 0);
    EXPECT_EQ(s, "a\r\nb");
    // Without them, a line break ends the text quietly.
    EXPECT_EQ(decode(Bytes{0, 'a', 10, 'b'}, s, false, 1), 0);
    EXPECT_EQ(s, "a");
    // High Latin-1 bytes come through unchanged.
    EXPECT_EQ(decode(Bytes{0, 0xE9, 0xFC}, s, false, 1), 0);
    EXPECT_EQ(s, "\xE9\xFC");
}

TEST(ReadText, LimitStartAndUnknownEncoding) {
    std::string s = "old";
    uint32_t length = 2;
    EXPECT_EQ(ReadText(Bytes{0, 'a', 'b', 'c'}, 1, false, s, 0, length), 0);
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(length, 2u);
    length = 0;
    EXPECT_EQ(ReadText(Bytes{0, 'a'}, 2, false, s, 0, length), 2);
    EXPECT_EQ(s, "");
    EXPECT_EQ(ReadText(Bytes{7, 'a'}, 1, false, s, 7, length), 5);
}

TEST(ReadText, Utf16WithAndWithoutByteOrderMark) {
    std::string s;
    EXPECT_EQ(decode(Bytes{1, 0xFF, 0xFE, 'h', 0, 0xE9, 0, 0, 0, 'x', 0}, s, false, 1), 0);
    EXPECT_EQ(s, "h\xE9");
    EXPECT_EQ(decode(Bytes{1, 0xFE, 0xFF, 0, 'h', 0, 'i'}, s, false, 1), 0);
    EXPECT_EQ(s, "hi");
    EXPECT_EQ(decode(Bytes{1, 'h', 0, 'i', 0}, s, false, 1), 8); // no mark
    EXPECT_EQ(s, "");
    EXPECT_EQ(decode(Bytes{2, 0, 'h', 0, 'i'}, s, false, 1), 0);
    EXPECT_EQ(s, "hi");
    EXPECT_EQ(decode(Bytes{9, 'h', 0, 'i', 0, 'z'}, s, false, 1), 0); // odd trailing byte ignored
    EXPECT_EQ(s, "hi");
    // A character above U+00FF: the text before it, result 4.
    EXPECT_EQ(decode(Bytes{1, 0xFF, 0xFE, 'a', 0, 0xAC, 0x20, 'b', 0}, s, false, 1), 4);
    EXPECT_EQ(s, "a");
    // Control characters and line breaks are refused in UTF-16.
    EXPECT_EQ(decode(Bytes{2, 0, 'a', 0, 10}, s, true, 1), 8);
    EXPECT_EQ(s, "");
    // Consumed length counts the mark and the terminator.
    uint32_t length = 0;
    ReadText(Bytes{1, 0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0}, 1, false, s, 1, length);
    EXPECT_EQ(length, 6u);
}

TEST(ReadText, Utf8LeadBytes) {
    std::string s;
    EXPECT_EQ(decode(Bytes{3, 'a', 0xC3, 0xA9, 'b'}, s, false, 1), 0);
    EXPECT_EQ(s, "a\xE9"
                 "b");
    EXPECT_EQ(decode(Bytes{3, 'a', 0xE2, 0x82, 0xAC}, s, false, 1), 4);
    EXPECT_EQ(s, "a");
    EXPECT_EQ(decode(Bytes{3, 'a', 0xC3}, s, false, 1), 8);
    EXPECT_EQ(s, "");
    EXPECT_EQ(decode(Bytes{3, 'a', 0xC0, 0x81}, s, false, 1), 8); // decodes to 1
}

class Frames : public ::testing::Test {
protected:
    void load(int version, const Bytes &body) {
        ASSERT_EQ(t.LoadTag(dir.write("f.mp3", tag(version, body, 50)), 0), 0);
    }
    Scratch dir;
    Tid3v2tag t;
};

TEST_F(Frames, GetFrameTextFindsFirstExactIdOnly) {
    load(3, cat({frame(3, "TIT2", text("one")), frame(3, "TIT2", text("two")), frame(3, "TXXX", text("x"))}));
    std::string s = "stale";
    EXPECT_EQ(t.GetFrameText("TIT2", s), 0);
    EXPECT_EQ(s, "one");
    EXPECT_EQ(t.GetFrameText("Tit2", s), 1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(t.GetFrameText("TXXX", s), 3);
    EXPECT_EQ(t.GetFrameText("COMM", s), 3);
    EXPECT_EQ(t.GetFrameText("TALB", s), 1);
}

TEST_F(Frames, GetFrameTextOfEmptyEncryptedAndCompressedFrames) {
    const Bytes plain = text("compressed title");
    TFrameIndex idx;
    idx.AddFrame("TIT2");
    idx.Entry(1).Data = plain;
    ASSERT_EQ(idx.Compress(1, 3), 0);
    const Bytes deflated = idx.Entry(1).Data;
    load(3, cat({frame(3, "TALB", {}), frame(3, "TPE1", Bytes{1, 'x'}, 0, 0x40),
                 frame(3, "TIT2", cat({be32(uint32_t(plain.size())), deflated}), 0, 0x80)}));
    std::string s;
    EXPECT_EQ(t.GetFrameText("TALB", s), 2);
    EXPECT_EQ(t.GetFrameText("TPE1", s), 9);
    const uint32_t i = 3;
    EXPECT_EQ(t.Frames.GetDataFlags(i, 2), 0x09);
    EXPECT_EQ(t.Frames.GetDataLength(i), int32_t(plain.size()));
    EXPECT_EQ(t.GetFrameText("TIT2", s), 0);
    EXPECT_EQ(s, "compressed title");
    EXPECT_EQ(t.Frames.GetDataFlags(i, 2), 0x01); // inflated in memory
    EXPECT_TRUE(t.Frames.Compression(i));         // a save compresses again
}

TEST_F(Frames, CommentsMatchDescriptionAndLanguage) {
    load(3, cat({frame(3, "COMM", cat({Bytes{0}, str("deu"), str("desc"), Bytes{0}, str("mit")})),
                 frame(3, "COMM", cat({Bytes{0}, str("fra"), Bytes{0}, str("premier\r\nligne")})),
                 frame(3, "COMM", cat({Bytes{0}, str("eng"), Bytes{0}, str("second")}))}));
    COMM c;
    EXPECT_EQ(t.GetComment(c, "", "None"), 0);
    EXPECT_EQ(c.Text, "premier\r\nligne");
    EXPECT_EQ(c.Language, "fra");
    EXPECT_EQ(c.Encoding, 0);
    EXPECT_EQ(t.GetComment(c, "", "eng"), 0);
    EXPECT_EQ(c.Text, "second");
    EXPECT_EQ(t.GetComment(c, "desc", "deu"), 0);
    EXPECT_EQ(c.Text, "mit");
    EXPECT_EQ(t.GetComment(c, "desc", "eng"), 1);
    EXPECT_EQ(c.Text, "");
    // Arguments that alias the record still match.
    c.Description = "desc";
    c.Language = "deu";
    EXPECT_EQ(t.GetComment(c, c.Description, c.Language), 0);
    EXPECT_EQ(c.Text, "mit");
}

TEST_F(Frames, CommentInUtf16) {
    load(4, frame(4, "COMM", Bytes{1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'o', 0, 'k', 0}));
    COMM c;
    EXPECT_EQ(t.GetComment(c, "", "None"), 0);
    EXPECT_EQ(c.Text, "ok");
    EXPECT_EQ(c.Encoding, 1);
}

TEST_F(Frames, SetFrameTextReplacesAddsAndDeletes) {
    load(4, cat({frame(4, "TIT2", Bytes{1, 0xFF, 0xFE, 'a', 0}), frame(4, "TALB", text("x"))}));
    EXPECT_EQ(t.SetFrameText("TXXX", "v"), 3);
    EXPECT_EQ(t.SetFrameText("T!T2", "v"), 3);
    EXPECT_EQ(t.SetFrameText("TIT2", "new"), 0);
    EXPECT_EQ(t.Frames.Entry(1).Data, cat({Bytes{0}, str("new")}));
    EXPECT_EQ(t.SetFrameText("TALB", ""), 255);
    EXPECT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.SetFrameText("TPE1", ""), 0);
    EXPECT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.SetFrameText("TPE1", "who"), 0);
    ASSERT_EQ(t.Frames.Count(), 2u);
    std::string s;
    EXPECT_EQ(t.GetFrameText("TPE1", s), 0);
    EXPECT_EQ(s, "who");
}

TEST_F(Frames, SetCommentChecksAndLayout) {
    load(3, frame(3, "COMM", cat({Bytes{0}, str("eng"), Bytes{0}, str("old")})));
    COMM c{0, "ENG", "", "new text"};
    EXPECT_EQ(t.SetComment(COMM{4, "ENG", "", "x"}, "", "None"), 6);
    EXPECT_EQ(t.SetComment(COMM{0, std::string("E\x01G"), "", "x"}, "", "None"), 7);
    EXPECT_EQ(t.SetComment(c, "", "None"), 0);
    ASSERT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.Frames.Entry(1).Data, cat({Bytes{0}, str("ENG"), Bytes{0}, str("new text")}));
    // A description gets one terminator; a new one is added when none matches.
    EXPECT_EQ(t.SetComment(COMM{0, "ENG", "d", "t"}, "d", "None"), 0);
    ASSERT_EQ(t.Frames.Count(), 2u);
    EXPECT_EQ(t.Frames.Entry(2).Data, cat({Bytes{0}, str("ENGd"), Bytes{0}, str("t")}));
    EXPECT_EQ(t.SetComment(COMM{0, "ENG", "", ""}, "", "None"), 255);
    EXPECT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.SetComment(COMM{0, "ENG", "", ""}, "", "None"), 0); // nothing to delete
}

TEST(FrameIndex, AddDeleteAndRange) {
    TFrameIndex idx;
    EXPECT_EQ(idx.AddFrame("TIT"), 0u);
    EXPECT_EQ(idx.AddFrame("TI-2"), 0u);
    EXPECT_EQ(idx.AddFrame("tit2"), 1u);
    EXPECT_EQ(idx.GetID(1), "TIT2");
    EXPECT_TRUE(idx.Entry(1).Changed);
    EXPECT_EQ(idx.AddFrame("TPE1"), 2u);
    EXPECT_EQ(idx.DeleteFrame(3), 0);
    EXPECT_EQ(idx.DeleteFrame(1), 1);
    EXPECT_EQ(idx.GetID(1), "TPE1");
    EXPECT_THROW(idx.GetID(0), ERangeError);
    EXPECT_THROW(idx.GetID(2), ERangeError);
    EXPECT_THROW(idx.GetWriteFlags(1, 3), ERangeError);
    try {
        idx.Entry(5);
    } catch (const ERangeError &e) {
        EXPECT_STREQ(e.what(), "Array range out of bounds.");
    }
    idx.Entry(1).Changed = false;
    idx.SetGroupId(1, 0);
    EXPECT_FALSE(idx.Entry(1).Changed);
    idx.SetGroupId(1, 5);
    EXPECT_TRUE(idx.Entry(1).Changed);
    idx.Clear();
    EXPECT_EQ(idx.Count(), 0u);
}

TEST(FrameIndex, UnsyncRoundTripAndRules) {
    TFrameIndex idx;
    idx.AddFrame("PRIV");
    const Bytes original{0xFF, 0x00, 0xFF, 0xE0, 0xFF, 0x12, 0xFF, 0xFF, 0x00, 0xFF};
    idx.Entry(1).Data = original;
    EXPECT_EQ(idx.Resynchronise(1), -1);
    EXPECT_EQ(idx.Unsynchronise(1), 0);
    EXPECT_EQ(idx.Entry(1).Data,
              (Bytes{0xFF, 0x00, 0x00, 0xFF, 0x00, 0xE0, 0xFF, 0x12, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(idx.GetPlainSize(1), original.size());
    EXPECT_EQ(idx.GetDataLength(1), int32_t(original.size()));
    EXPECT_EQ(idx.Unsynchronise(1), -1);
    EXPECT_EQ(idx.Compress(1, 2), 2);
    EXPECT_EQ(idx.Decompress(1), 2);
    EXPECT_EQ(idx.Resynchronise(1), 0);
    EXPECT_EQ(idx.Entry(1).Data, original);
    EXPECT_FALSE(idx.DataUnsynchronised(1));
}

TEST(FrameIndex, CompressionRoundTripAtEveryLevel) {
    Bytes data = audio(30000, 3);
    data.insert(data.end(), 20000, 'a');
    for (uint8_t level = 0; level < 4; ++level) {
        TFrameIndex idx;
        idx.AddFrame("APIC");
        idx.Entry(1).Data = data;
        EXPECT_EQ(idx.Compress(1, level), 0);
        EXPECT_EQ(idx.Compress(1, level), -1);
        EXPECT_TRUE(idx.DataCompressed(1));
        EXPECT_EQ(idx.GetDataLength(1), int32_t(data.size()));
        EXPECT_EQ(idx.Decompress(1), 0);
        EXPECT_EQ(idx.Entry(1).Data, data);
        EXPECT_EQ(idx.GetDataLength(1), 0);
        EXPECT_EQ(idx.Decompress(1), -1);
    }
}

TEST(FrameIndex, DecompressRefusesBadAndOversizedData) {
    TFrameIndex idx;
    idx.AddFrame("APIC");
    idx.Entry(1).Data = Bytes(100, 0);
    idx.Entry(1).DataFlags[1] = 0x09;
    EXPECT_EQ(idx.Decompress(1), 4); // not a zlib stream: frame kept as it was
    EXPECT_TRUE(idx.DataCompressed(1));
    EXPECT_EQ(idx.Entry(1).Data, Bytes(100, 0));

    // A wrong length indicator is reported but the data is taken.
    idx.Entry(1).DataFlags[1] = 0;
    idx.Entry(1).Data = Bytes(1000, 'q');
    ASSERT_EQ(idx.Compress(1, 2), 0);
    idx.Entry(1).DataLength = 5;
    EXPECT_EQ(idx.Decompress(1), -2);
    EXPECT_EQ(idx.Entry(1).Data.size(), 1000u);

    // A zip bomb stops at the frame size limit without taking the memory it asks for.
    idx.Entry(1).Data = Bytes(TFrameIndex::kMaxFrameData + 1, 0);
    ASSERT_EQ(idx.Compress(1, 3), 0);
    EXPECT_EQ(idx.Decompress(1), 4);
    idx.Entry(1).DataLength = 100;
    EXPECT_EQ(idx.Decompress(1), 4);
    idx.Entry(1).DataLength = int32_t(0x7FFFFFFF);
    EXPECT_EQ(idx.Decompress(1), 4);
    EXPECT_TRUE(idx.DataCompressed(1));

    idx.Entry(1).DataFlags[1] = 0x04;
    EXPECT_EQ(idx.Decompress(1), 1);
    EXPECT_EQ(idx.Compress(1, 2), 1);
}

TEST(Crc32, ReflectedWithoutFinalInversion) {
    const std::string s = "123456789";
    // The standard check value 0xCBF43926 is the inverse of the register.
    EXPECT_EQ(id3Crc32(0xFFFFFFFFu, reinterpret_cast<const uint8_t *>(s.data()), s.size()), ~0xCBF43926u);
}

} // namespace
