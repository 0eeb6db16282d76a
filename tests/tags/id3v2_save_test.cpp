// Saving: padding rule, moving audio up and down, flags and passes, CRC, result words, failures.
#include "TagBytes.h"
#include "tags/id3v2.h"

#include <QDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tagbytes;

namespace {

class Save : public ::testing::Test {
protected:
    std::string file(const Bytes &bytes) { return dir.write("f.mp3", bytes); }
    Bytes tail(const std::string &p, size_t from) {
        const Bytes b = readFile(p);
        return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.end());
    }
    static uint32_t tagLength(const Bytes &b) {
        return 10 + ((b[6] << 21) | (b[7] << 14) | (b[8] << 7) | b[9]);
    }
    Scratch dir;
    Tid3v2tag t;
};

TEST_F(Save, BlockRuleExampleEndsOnBlockBoundary) {
    const Bytes old = tag(3, frame(3, "TIT2", text("x")), 2058 - 22);
    ASSERT_EQ(old.size(), 2058u);
    const Bytes music = audio(100000 - 2058);
    const std::string p = file(cat({old, music}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    ASSERT_EQ(t.SetFrameText("TIT2", std::string(979, 't')), 0); // 10 + 10 + 980 = 1,000 bytes
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(t.PaddingSize, 3458u);
    const Bytes after = readFile(p);
    EXPECT_EQ(after.size(), 102400u);
    EXPECT_EQ(tagLength(after), 1000u + 3458u);
    EXPECT_EQ(tail(p, 4458), music);
    EXPECT_EQ(t.StatusText, "Save Complete");
    EXPECT_EQ(t.Progress, 100);
    // A second save of the same tag fits and moves nothing.
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(readFile(p).size(), 102400u);
}

TEST_F(Save, SmallerTagReusesOldRoomWhenLimitIsBelowBlock) {
    const Bytes music = audio(7000);
    const std::string p = file(cat({tag(3, frame(3, "TIT2", text(std::string(500, 'a'))), 300), music}));
    const size_t oldSize = readFile(p).size();
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.PaddingLimit = 100;
    t.SetFrameText("TIT2", "short");
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(readFile(p).size(), oldSize);
    EXPECT_EQ(t.PaddingSize, 821u - 26u);
    EXPECT_EQ(tail(p, 821), music);
}

TEST_F(Save, AudioMovesDownWhenTagShrinks) {
    const Bytes music = audio(50000, 9);
    const std::string p = file(cat({tag(4, frame(4, "APIC", audio(40000, 2)), 100), music}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.Frames.DeleteFrame(1);
    t.SetFrameText("TIT2", "t");
    t.PaddingMode = 2;
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    const Bytes after = readFile(p);
    const uint32_t len = tagLength(after);
    EXPECT_LT(len, 4097u);
    EXPECT_EQ(after.size() % 4096, 0u);
    EXPECT_EQ(tail(p, len), music);
    Tid3v2tag again;
    EXPECT_EQ(again.LoadTag(p, 0), 0);
    std::string s;
    EXPECT_EQ(again.GetFrameText("TIT2", s), 0);
    EXPECT_EQ(s, "t");
}

TEST_F(Save, TagIsInsertedIntoFileWithoutOne) {
    const Bytes music = audio(30000, 4);
    const std::string p = file(music);
    EXPECT_EQ(t.SetFrameText("TIT2", "new"), 0);
    EXPECT_EQ(t.SaveTag(p, 4, 0, 0, 0), 0);
    EXPECT_EQ(t.FileName, p);
    const Bytes after = readFile(p);
    EXPECT_EQ(tail(p, tagLength(after)), music);
    EXPECT_EQ(after[3], 4);
    // A tag at an offset inside the file leaves the bytes before it alone.
    const std::string q = dir.write("g.mp3", music);
    EXPECT_EQ(t.SaveTag(q, 3, 1000, 0, 0), 0);
    const Bytes g = readFile(q);
    EXPECT_TRUE(std::equal(music.begin(), music.begin() + 1000, g.begin()));
    EXPECT_EQ(Bytes(g.begin() + 1000, g.begin() + 1003), str("ID3"));
    EXPECT_EQ(Bytes(g.begin() + 1000 + tagLength(Bytes(g.begin() + 1000, g.end())), g.end()),
              Bytes(music.begin() + 1000, music.end()));
}

TEST_F(Save, TagRunningToEndOfFileIsCutOrLengthened) {
    const std::string p = file(tag(3, frame(3, "TIT2", text("x")), 9000));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.PaddingMode = 0;
    t.PaddingSize = 10;
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(readFile(p).size(), 10u + 12u + 10u);
    t.SetFrameText("TALB", std::string(5000, 'b'));
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(readFile(p).size(), 10u + 12u + 5011u + 10u);
    EXPECT_EQ(t.LoadTag(p, 0), 0);
    EXPECT_EQ(t.Frames.Count(), 2u);
}

TEST_F(Save, ResultWordsLeaveFileUnchanged) {
    const Bytes original = cat({tag(3, frame(3, "TIT2", text("x")), 10), audio(100)});
    const std::string p = file(original);
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    EXPECT_EQ(t.SaveTag("=", 2, 0, -1, 255), 0x1100);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 1), 0x1200);
    EXPECT_EQ(t.SaveTag("=", 255, 5000, 0, 255), 0x0800);
    EXPECT_EQ(t.SaveTag(dir.path("missing.mp3"), 255, 0, 0, 255), 0x0100);
    t.SetFrameText("TIT2", "");
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xFD00);
    EXPECT_EQ(readFile(p), original);

    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.Frames.Entry(1).Data.clear(); // tidied away
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xFD00);
    EXPECT_EQ(readFile(p), original);

    ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0x0200);
    ASSERT_EQ(::chmod(p.c_str(), 0644), 0);

    Bytes cut = original;
    cut.resize(20);
    const std::string q = dir.write("cut.mp3", cut);
    ASSERT_EQ(t.LoadTag(q, 0), 0x2000);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xFE00);
    EXPECT_EQ(t.SaveTag(p, 255, 0, -1, 255), 0xFE00);
    EXPECT_EQ(readFile(q), cut);
    EXPECT_EQ(readFile(p), original);
}

TEST_F(Save, EncryptionAndGroupingCannotBeMadeUp) {
    const std::string p = file(cat({tag(4, frame(4, "TIT2", text("x")), 10), audio(100)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    const Bytes before = readFile(p);
    t.Frames.SetWriteFlags(1, 2, 0x04);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xC000);
    t.Frames.SetWriteFlags(1, 2, 0x40);
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xC100);
    EXPECT_EQ(readFile(p), before);
    t.AdoptUnsupportedFlags = true;
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0x0008);
    EXPECT_EQ(t.Frames.GetWriteFlags(1, 2), 0x00);

    // 2.4: an encrypted frame asking for a length indicator it has no value for.
    t.AdoptUnsupportedFlags = false;
    t.Frames.Entry(1).DataFlags[1] = 0x04;
    t.Frames.Entry(1).WriteFlags[1] = 0x05;
    t.Frames.Entry(1).DataLength = 0;
    EXPECT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0xC200);
}

TEST_F(Save, UnsyncRequestSpreadsToEveryFrameAndRoundTrips) {
    for (int version : {3, 4}) {
        const Bytes music = audio(3000);
        const std::string p =
            file(cat({tag(version,
                          cat({frame(version, "TIT2", text("plain")),
                               frame(version, "PRIV", Bytes{0xFF, 0xE0, 0xFF, 0x00, 0xFF})}),
                          10),
                      music}));
        Tid3v2tag a;
        ASSERT_EQ(a.LoadTag(p, 0), 0);
        a.Frames.SetWriteFlags(2, 2, 0x02);
        EXPECT_EQ(a.SaveTag("=", 255, 0, -1, 255), 0);
        EXPECT_TRUE(a.Unsynchronisation());
        EXPECT_TRUE(a.Frames.Unsynchronisation(1));
        const Bytes after = readFile(p);
        EXPECT_EQ(after[5] & 0x80, 0x80);
        EXPECT_EQ(tail(p, tagLength(after)), music);

        Tid3v2tag b;
        ASSERT_EQ(b.LoadTag(p, 0), 0) << version;
        ASSERT_EQ(b.Frames.Count(), 2u);
        std::string s;
        EXPECT_EQ(b.GetFrameText("TIT2", s), 0);
        EXPECT_EQ(s, "plain");
        if (b.Frames.DataUnsynchronised(2)) b.Frames.Resynchronise(2);
        EXPECT_EQ(b.Frames.Entry(2).Data, (Bytes{0xFF, 0xE0, 0xFF, 0x00, 0xFF})) << version;
    }
}

TEST_F(Save, UnsyncStuffsTheBoundaryBetweenHeaderAndData) {
    // Group id 0xFF followed by data starting 0x00 0x00 must survive whole-tag unsynchronisation.
    const std::string p =
        file(cat({tag(3, frame(3, "PRIV", Bytes{0xFF, 0x00, 0x00, 'z'}, 0, 0x20), 10), audio(10)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    ASSERT_EQ(t.Frames.GetGroupId(1), 0xFF);
    t.setUnsynchronisation(true);
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    Tid3v2tag b;
    ASSERT_EQ(b.LoadTag(p, 0), 0);
    EXPECT_EQ(b.Frames.GetGroupId(1), 0xFF);
    EXPECT_EQ(b.Frames.Entry(1).Data, (Bytes{0x00, 0x00, 'z'}));
}

TEST_F(Save, CompressionIsWrittenWithLengthAndReadBack) {
    const std::string text500(500, 'c');
    for (int version : {3, 4}) {
        const std::string p = file(cat({tag(version, frame(version, "TIT2", text("x")), 10), audio(100)}));
        Tid3v2tag a;
        ASSERT_EQ(a.LoadTag(p, 0), 0);
        a.SetFrameText("TIT2", text500);
        a.Frames.SetWriteFlags(1, 2, 0x08);
        EXPECT_EQ(a.SaveTag("=", 255, 0, -1, 255), 0);
        EXPECT_TRUE(a.Frames.DataLengthIndicator(1)); // tidy adds it
        const Bytes after = readFile(p);
        const size_t dataSize = a.Frames.GetDataSize(1);
        ASSERT_LT(dataSize, 100u);
        if (version == 3) {
            EXPECT_EQ(after[19], 0x80);
            EXPECT_EQ(Bytes(after.begin() + 14, after.begin() + 18), be32(uint32_t(dataSize + 4)));
            EXPECT_EQ(Bytes(after.begin() + 20, after.begin() + 24), be32(501));
        } else {
            EXPECT_EQ(after[19], 0x09);
            EXPECT_EQ(Bytes(after.begin() + 20, after.begin() + 24), synchsafe(501));
        }
        Tid3v2tag b;
        ASSERT_EQ(b.LoadTag(p, 0), 0);
        std::string s;
        EXPECT_EQ(b.GetFrameText("TIT2", s), 0);
        EXPECT_EQ(s, text500);
    }
}

TEST_F(Save, TextSetAfterLoadGetsAFreshLengthIndicator) {
    // 2.4 frame with a length indicator and plain data: new text must not keep the old length.
    const std::string p =
        file(cat({tag(4, frame(4, "TIT2", cat({synchsafe(4), text("abc")}), 0, 0x01), 10), audio(50)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.SetFrameText("TIT2", "longer text");
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    const Bytes after = readFile(p);
    EXPECT_EQ(Bytes(after.begin() + 20, after.begin() + 24), synchsafe(12));
}

TEST_F(Save, Crc23CoversFramesOnly) {
    const std::string p = file(
        cat({tag(3, cat({frame(3, "TIT2", text("abc")), frame(3, "TPE1", text("de"))}), 30), audio(64)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.setCrcPresent(true);
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    const Bytes after = readFile(p);
    EXPECT_EQ(after[5] & 0x40, 0x40);
    EXPECT_EQ(Bytes(after.begin() + 10, after.begin() + 16), (Bytes{0, 0, 0, 10, 0x80, 0x00}));
    const size_t framesAt = 24, framesLen = 14 + 13;
    const uint32_t expected = id3Crc32(0xFFFFFFFFu, after.data() + framesAt, framesLen);
    EXPECT_EQ(Bytes(after.begin() + 20, after.begin() + 24), be32(expected));
    EXPECT_EQ(Bytes(after.begin() + 16, after.begin() + 20), be32(t.PaddingSize));
    Tid3v2tag b;
    EXPECT_EQ(b.LoadTag(p, 0), 0);
    EXPECT_EQ(b.TagCrc, expected);
    EXPECT_EQ(b.PaddingSize, t.PaddingSize);
}

TEST_F(Save, Crc24CoversFramesAndPadding) {
    const std::string p = file(cat({tag(4, frame(4, "TIT2", text("abc")), 30), audio(64)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.setCrcPresent(true);
    t.setRestrictionsPresent(true);
    t.Restrictions = 0x42;
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    const Bytes after = readFile(p);
    const uint32_t len = tagLength(after);
    const size_t framesAt = 10 + 4 + 2 + 6 + 2;
    EXPECT_EQ(Bytes(after.begin() + 10, after.begin() + 16), cat({synchsafe(14), Bytes{1, 0x30}}));
    const uint32_t expected = id3Crc32(0xFFFFFFFFu, after.data() + framesAt, len - framesAt);
    Tid3v2tag b;
    EXPECT_EQ(b.LoadTag(p, 0), 0);
    EXPECT_EQ(b.TagCrc, expected);
    EXPECT_EQ(b.Restrictions, 0x42);
    EXPECT_TRUE(b.CrcPresent());
}

TEST_F(Save, VersionConversionKeepsTexts) {
    const std::string p = file(
        cat({tag(3, cat({frame(3, "TIT2", text("title"), 0x40, 0), frame(3, "TPE1", text("artist"))}), 10),
             audio(100)}));
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    ASSERT_EQ(t.SaveTag("=", 4, 0, -1, 255), 0);
    Tid3v2tag b;
    ASSERT_EQ(b.LoadTag(p, 0), 0);
    EXPECT_EQ(b.MajorVersion, 4);
    EXPECT_EQ(b.Frames.GetDataFlags(1, 1), 0x20); // file alter preservation kept
    std::string s;
    b.GetFrameText("TPE1", s);
    EXPECT_EQ(s, "artist");
    // A footer flag never reaches the file without a footer.
    b.setFooter(true);
    ASSERT_EQ(b.SaveTag("=", 255, 0, -1, 255), 0);
    EXPECT_EQ(readFile(p)[5] & 0x10, 0);
}

// Runs a save in a child process limited to `limit` bytes per file; returns the result word.
int saveUnderSizeLimit(const std::string &p, rlim_t limit, const std::string &newText) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        Tid3v2tag tag;
        if (tag.LoadTag(p, 0) != 0) ::_exit(250);
        tag.SetFrameText("TIT2", newText);
        const uint16_t r = tag.SaveTag("=", 255, 0, -1, 255);
        ::_exit(r >= 256 ? r >> 8 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Save, SizeLimitFailsBeforeAnyByteMoves) {
    const Bytes original = cat({tag(3, frame(3, "TIT2", text("x")), 10), audio(200000, 5)});
    const std::string p = file(original);
    EXPECT_EQ(saveUnderSizeLimit(p, original.size() + 100, std::string(20000, 'g')), 0x04);
    EXPECT_EQ(readFile(p), original);
    // Same with no audio after the tag: the tag write alone would grow the file.
    const Bytes bare = tag(3, frame(3, "TIT2", text("x")), 10);
    const std::string q = dir.write("bare.mp3", bare);
    EXPECT_EQ(saveUnderSizeLimit(q, bare.size() + 10, std::string(20000, 'g')), 0x04);
    EXPECT_EQ(readFile(q), bare);
    // With room enough the same save succeeds.
    EXPECT_EQ(saveUnderSizeLimit(p, original.size() + 40000, std::string(20000, 'g')), 0);
    Tid3v2tag b;
    EXPECT_EQ(b.LoadTag(p, 0), 0);
    EXPECT_EQ(tail(p, tagLength(readFile(p))), Bytes(original.begin() + 32, original.end()));
}

// Audio that must move goes to a new file beside the old one, which replaces it in one rename; a tag
// that fits is still written in place.
TEST_F(Save, MovingAudioReplacesTheFileWholeAndFittingTagsStayInPlace) {
    const Bytes music = audio(60000, 4);
    const std::string p = file(cat({tag(3, frame(3, "TIT2", text("x")), 10), music}));
    ASSERT_EQ(::chmod(p.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(p.c_str(), &before), 0);
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.SetFrameText("TIT2", std::string(9000, 'n'));
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    struct stat after {};
    ASSERT_EQ(::stat(p.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(tail(p, tagLength(readFile(p))), music);
    EXPECT_EQ(QDir(QString::fromStdString(dir.path(""))).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Now the tag has room to spare: a shorter text is written into it, same file.
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    t.SetFrameText("TIT2", "short");
    t.PaddingLimit = 0; // reuse the old room
    ASSERT_EQ(t.SaveTag("=", 255, 0, -1, 255), 0);
    struct stat again {};
    ASSERT_EQ(::stat(p.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, after.st_ino);
    EXPECT_EQ(tail(p, tagLength(readFile(p))), music);

    // The bytes before a tag at an offset are carried over unchanged.
    const Bytes lead = audio(300, 7);
    const std::string q = dir.write("lead.mp3", cat({lead, tag(3, frame(3, "TIT2", text("x"))), music}));
    Tid3v2tag at;
    ASSERT_EQ(at.LoadTag(q, 300), 0);
    at.SetFrameText("TIT2", std::string(5000, 'm'));
    ASSERT_EQ(at.SaveTag("=", 255, 300, -1, 255), 0);
    const Bytes written = readFile(q);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 300), lead);
    EXPECT_EQ(tail(q, 300 + tagLength(Bytes(written.begin() + 300, written.end()))), music);
}

} // namespace
