// Loading: header and extended header checks, the frame loop, padding, result words.
#include "TagBytes.h"
#include "tags/id3v2.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tagbytes;

namespace {

class Load : public ::testing::Test {
protected:
    uint16_t load(const Bytes &bytes, uint32_t offset = 0) {
        return t.LoadTag(dir.write("f.mp3", bytes), offset);
    }
    Scratch dir;
    Tid3v2tag t;
};

TEST_F(Load, HeaderIsRecognisedOnlyWhenEveryTestPasses) {
    EXPECT_EQ(load(cat({str("RIFF"), audio(100)})), 0x1000);
    EXPECT_EQ(load(str("ID3\x03")), 0x1000); // fewer than 10 bytes
    Bytes bad = tag(3, frame(3, "TIT2", text("a")));
    bad[8] = 0x80; // size byte with the top bit
    EXPECT_EQ(load(bad), 0x1000);
    Bytes ffRevision = tag(3, frame(3, "TIT2", text("a")), 0, 0, 0xFF);
    EXPECT_EQ(load(ffRevision), 0x1000);

    EXPECT_EQ(load(tag(2, frame(3, "TIT2", text("a")))), 0x1100);
    EXPECT_EQ(t.MajorVersion, 2);
    EXPECT_EQ(load(tag(5, frame(3, "TIT2", text("a")))), 0x1100);
}

TEST_F(Load, MissingFileAndOffsetAtEnd) {
    EXPECT_EQ(t.LoadTag(dir.path("none.mp3"), 0), 0x0100);
    const Bytes b = tag(3, frame(3, "TIT2", text("a")));
    EXPECT_EQ(load(b, static_cast<uint32_t>(b.size())), 0x0800);
    // A tag at an offset inside the file is found there.
    EXPECT_EQ(load(cat({audio(33), b}), 33), 0);
    EXPECT_EQ(t.TagOffset, 33u);
}

TEST_F(Load, RevisionIsAcceptedWithWarningOrRefused) {
    const Bytes b = tag(4, frame(4, "TIT2", text("a")), 0, 0, 1);
    EXPECT_EQ(load(b), 0x0010);
    t.AcceptRevision = false;
    t.LastResult = 0x1234;
    EXPECT_EQ(load(b), 0x1100);
}

TEST_F(Load, UndefinedHeaderFlagsWarn) {
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("a")), 0, 0x10)), 0x0080); // footer bit in 2.3
    EXPECT_EQ(load(tag(4, frame(4, "TIT2", text("a")), 0, 0x10)), 0x0000); // footer is defined in 2.4
    EXPECT_EQ(t.HeaderFlags, 0x10);
    EXPECT_EQ(load(tag(4, frame(4, "TIT2", text("a")), 0, 0x08)), 0x0080);
}

TEST_F(Load, TagLongerThanFileIsRefusedWithoutReadingIt) {
    Bytes b = tag(3, frame(3, "TIT2", text("abc")));
    b.pop_back();
    EXPECT_EQ(load(b), 0x2000);
    EXPECT_EQ(t.LastResult, 0x2000);
    EXPECT_EQ(t.Frames.Count(), 0u);
}

TEST_F(Load, ExtendedHeader23ReadsPaddingAndCrc) {
    const Bytes frames = frame(3, "TIT2", text("abc"));
    Bytes ext = cat({be32(10), Bytes{0x80, 0x00}, be32(20), be32(0xDEADBEEF)});
    EXPECT_EQ(load(tag(3, cat({ext, frames}), 20, 0x40)), 0);
    EXPECT_EQ(t.ExtendedHeaderSize, 10u);
    EXPECT_TRUE(t.CrcPresent());
    EXPECT_EQ(t.TagCrc, 0xDEADBEEFu);
    EXPECT_EQ(t.PaddingSize, 20u);
    EXPECT_FALSE(t.Modified);
    std::string s;
    EXPECT_EQ(t.GetFrameText("TIT2", s), 0);
    EXPECT_EQ(s, "abc");

    // Padding size that disagrees with the real padding warns; odd flags warn too.
    ext = cat({be32(6), Bytes{0x01, 0x00}, be32(7)});
    EXPECT_EQ(load(tag(3, cat({ext, frames}), 20, 0x40)), 0x0044);
    EXPECT_EQ(t.PaddingSize, 7u);
}

TEST_F(Load, ExtendedHeader24ReadsFlagsCrcAndRestrictions) {
    const Bytes frames = frame(4, "TIT2", text("abc"));
    // update (no data), CRC (5 bytes), restrictions (1 byte)
    const Bytes ext = cat({synchsafe(15), Bytes{1, 0x70, 0, 5, 0x0F, 0x7F, 0x7F, 0x7F, 0x7F, 1, 0xA5}});
    EXPECT_EQ(load(tag(4, cat({ext, frames}), 4, 0x40)), 0);
    EXPECT_TRUE(t.TagIsUpdate());
    EXPECT_TRUE(t.CrcPresent());
    EXPECT_TRUE(t.RestrictionsPresent());
    EXPECT_EQ(t.TagCrc, 0xFFFFFFFFu);
    EXPECT_EQ(t.Restrictions, 0xA5);
    EXPECT_EQ(t.Frames.Count(), 1u);
}

TEST_F(Load, MalformedExtendedHeader24) {
    const Bytes frames = frame(4, "TIT2", text("abc"));
    EXPECT_EQ(load(tag(4, cat({synchsafe(5), Bytes{1, 0}, frames}), 0, 0x40)), 0xFE00);
    EXPECT_EQ(load(tag(4, cat({synchsafe(6), Bytes{0, 0}, frames}), 0, 0x40)), 0xFE00);
    // CRC item shorter than 5 bytes
    EXPECT_EQ(load(tag(4, cat({synchsafe(10), Bytes{1, 0x20, 3, 1, 2, 3}, frames}), 0, 0x40)), 0xFE00);
    // A size far beyond the tag is refused, not allocated.
    EXPECT_EQ(load(tag(4, cat({synchsafe(0x0FFFFFFF), Bytes{1, 0}, frames}), 0, 0x40)), 0xFE00);
}

TEST_F(Load, FrameLoopAndPadding) {
    // Last frame ends exactly at the tag's end.
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("abc")))), 0);
    EXPECT_EQ(t.PaddingSize, 0u);
    // Zero padding and "MP3e" padding both end the frames.
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("abc")), 100)), 0);
    EXPECT_EQ(t.PaddingSize, 100u);
    EXPECT_EQ(load(tag(4, cat({frame(4, "TIT2", text("abc")), str("MP3ext junk"), Bytes(20, 0)}))), 0);
    EXPECT_EQ(t.PaddingSize, 31u);
    EXPECT_EQ(t.Frames.Count(), 1u);
    // Fewer than 10 zero bytes at the end are padding too.
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("abc")), 4)), 0);
    EXPECT_EQ(t.PaddingSize, 4u);
    // A header cut short at the tag's end without padding is malformed.
    EXPECT_EQ(load(tag(3, cat({frame(3, "TIT2", text("abc")), str("TAL")}))), 0xFE00);
}

TEST_F(Load, FramePositionsFlagsAndIds) {
    EXPECT_EQ(load(tag(3, cat({frame(3, "tit2", text("a")), frame(3, "TPE1", text("bb"), 0xE0, 0x00)}), 10)),
              0);
    ASSERT_EQ(t.Frames.Count(), 2u);
    EXPECT_EQ(t.Frames.GetID(1), "TIT2");
    EXPECT_EQ(t.Frames.GetPosition(1), 10u);
    EXPECT_EQ(t.Frames.GetPosition(2), 10u + 10 + 2);
    EXPECT_EQ(t.Frames.GetDataFlags(2, 1), 0x70); // 2.3 status bits in the 2.4 layout
    EXPECT_EQ(t.Frames.GetHeaderLength(1), 10u);

    EXPECT_EQ(load(tag(3, cat({frame(3, "TIT2", text("a")), frame(3, std::string("TP\0E", 4), text("b"))}))),
              0x2100);
    EXPECT_EQ(t.LastResult, 0x2100);
    EXPECT_EQ(t.Frames.Count(), 1u); // frames before the error stay
}

TEST_F(Load, FrameLargerThanRestIsRefused) {
    Bytes f = frame(3, "TIT2", text("abc"));
    f[4] = 0x7F; // size ~2 GiB
    EXPECT_EQ(load(tag(3, f, 10)), 0xFE00);
    Bytes g = frame(4, "TIT2", text("abc"));
    g[7] = 0x7F;
    EXPECT_EQ(load(tag(4, g, 10)), 0xFE00);
}

TEST_F(Load, ExtraBytesOfFrameHeaders) {
    // 2.3: compression -> 4-byte length, encryption -> method, grouping -> group id, in that order.
    const Bytes body23 = cat({be32(20), Bytes{7, 9}, str("xyz")});
    EXPECT_EQ(load(tag(3, frame(3, "PRIV", body23, 0, 0xE0))), 0);
    EXPECT_EQ(t.Frames.GetDataFlags(1, 2), 0x4D);
    EXPECT_EQ(t.Frames.GetDataLength(1), 20);
    EXPECT_EQ(t.Frames.GetEncryptionMethod(1), 7);
    EXPECT_EQ(t.Frames.GetGroupId(1), 9);
    EXPECT_EQ(t.Frames.GetHeaderLength(1), 16u);
    EXPECT_EQ(t.Frames.GetDataSize(1), 3u);
    // 2.4: grouping, encryption, data length indicator.
    const Bytes body24 = cat({Bytes{9, 7}, synchsafe(25), str("xyz")});
    EXPECT_EQ(load(tag(4, frame(4, "PRIV", body24, 0, 0x45))), 0);
    EXPECT_EQ(t.Frames.GetGroupId(1), 9);
    EXPECT_EQ(t.Frames.GetEncryptionMethod(1), 7);
    EXPECT_EQ(t.Frames.GetDataLength(1), 25);
    EXPECT_EQ(t.Frames.GetWriteFlags(1, 2), 0x45);
    // A length indicator beyond the file's size is refused.
    EXPECT_EQ(load(tag(4, frame(4, "PRIV", cat({synchsafe(0x0FFFFFFF), str("xyz")}), 0, 0x09), 10)), 0xFE00);
    EXPECT_EQ(load(tag(3, frame(3, "PRIV", cat({be32(0x7FFFFFFF), str("xyz")}), 0, 0x80), 10)), 0xFE00);
    // Extra bytes beyond the frame's size are malformed.
    EXPECT_EQ(load(tag(4, frame(4, "PRIV", Bytes{1, 2}, 0, 0x01), 10)), 0xFE00);
}

TEST_F(Load, WholeTagUnsynchronisation23IsUndone) {
    // Frame data FF 00 E0 is stored as FF 00 00 E0 under unsynchronisation.
    const Bytes stored = cat({str("PRIV"), be32(4), Bytes{0, 0}, Bytes{'a', 0xFF, 0x00, 0x00, 0xE0}});
    EXPECT_EQ(load(tag(3, stored, 10, 0x80)), 0);
    ASSERT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.Frames.Entry(1).Data, (Bytes{'a', 0xFF, 0x00, 0xE0}));
    EXPECT_TRUE(t.Unsynchronisation());
}

TEST_F(Load, ReadOnlyFileLoadsAndIsMarked) {
    const std::string p = dir.write("ro.mp3", tag(3, frame(3, "TIT2", text("a"))));
    ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
    EXPECT_EQ(t.LoadTag(p, 0), 0);
    EXPECT_TRUE(t.FileReadOnly);
}

TEST_F(Load, FailedLoadNeverLeavesAnEarlierFilesFrames) {
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("old")))), 0);
    ASSERT_EQ(t.Frames.Count(), 1u);
    const std::string other = dir.write("plain.mp3", audio(500));
    EXPECT_EQ(t.LoadTag(other, 0), 0x1000);
    EXPECT_EQ(t.Frames.Count(), 0u);
    EXPECT_EQ(t.FileName, other);
    // A file without a tag may get its first one, but never the earlier file's frames.
    EXPECT_EQ(t.LastResult, 0);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xFD00);
    EXPECT_EQ(readFile(other), audio(500));

    // A tag that claims more than the file holds blocks saving altogether.
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("old")))), 0);
    const std::string cut =
        dir.write("cut.mp3", cat({str("ID3\x03"), Bytes{0, 0, 0, 0, 0x7F, 0x7F}, audio(50)}));
    EXPECT_GE(t.LoadTag(cut, 0), 256);
    EXPECT_EQ(t.Frames.Count(), 0u);
    EXPECT_GE(t.LastResult, 256);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xFE00);
}

TEST_F(Load, ProgressStateAfterLoad) {
    EXPECT_EQ(load(tag(3, frame(3, "TIT2", text("a")), 5)), 0);
    EXPECT_TRUE(t.Finished);
    EXPECT_EQ(t.Progress, 100);
    EXPECT_EQ(t.StatusText, "Load Complete");
    EXPECT_EQ(load(audio(40)), 0x1000);
    EXPECT_FALSE(t.Finished);
}

TEST_F(Load, LargeTagStreamsThroughTheRing) {
    // Frames bigger than the ring and many small ones across block boundaries.
    Bytes body;
    for (int i = 0; i < 300; ++i)
        body = cat({body, frame(4, "TXT" + std::string(1, char('A' + i % 26)),
                                text(std::string(97 + i % 50, 'x')))});
    const Bytes big = audio(200000, 7);
    body = cat({body, frame(4, "APIC", big), frame(4, "TIT2", text("end"))});
    EXPECT_EQ(load(cat({tag(4, body, 1000), audio(5000)})), 0);
    ASSERT_EQ(t.Frames.Count(), 302u);
    EXPECT_EQ(t.Frames.Entry(301).Data, big);
    std::string s;
    EXPECT_EQ(t.GetFrameText("TIT2", s), 0);
    EXPECT_EQ(s, "end");
    EXPECT_EQ(t.PaddingSize, 1000u);
}

} // namespace
