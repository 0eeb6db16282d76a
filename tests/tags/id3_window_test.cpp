// The ID3 information window: Load and Save through its buttons, and the boxes the playlist fills.
#include "TagBytes.h"
#include "platform/Dialogs.h"
#include "tags/id3.h"
#include "tags/id3v2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tagbytes;

namespace {

class Id3Window : public ::testing::Test {
protected:
    void SetUp() override {
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages.push_back(m); });
        TagReader = Tid3v2tag();
    }
    void TearDown() override { calvoran::setMessageRecorder({}); }

    std::string tagged(const std::string &name, const std::string &title, const std::string &artist) {
        return dir.write(name,
                         cat({tag(3,
                                  cat({frame(3, "TIT2", text(title)), frame(3, "TPE1", text(artist)),
                                       frame(3, "TALB", text("Album")), frame(3, "TYER", text("1999")),
                                       frame(3, "TCON", text("Rock")), frame(3, "TRCK", text("5")),
                                       frame(3, "COMM", cat({Bytes{0}, str("deu"), Bytes{0}, str("Note")})),
                                       frame(3, "APIC", audio(300, 8))}),
                                  100),
                              music}));
    }
    void loadThroughButton(const std::string &path) {
        w.setOnChooseFile([path] { return QString::fromStdString(path); });
        QTest::mouseClick(w.Loadbutton, Qt::LeftButton);
    }
    static std::string frameText(const std::string &path, const char *id) {
        Tid3v2tag t;
        if (t.LoadTag(path, 0) != 0) return "<no tag>";
        std::string s;
        t.GetFrameText(id, s);
        return s;
    }

    Scratch dir;
    Bytes music = audio(5000, 3);
    Tid32 w;
    std::vector<calvoran::RecordedMessage> messages;
};

TEST_F(Id3Window, ShapeAndTabOrder) {
    EXPECT_EQ(w.windowTitle(), "ID3 Information");
    EXPECT_EQ(w.objectName(), "id32");
    EXPECT_EQ(w.size(), QSize(389, 223));
    EXPECT_EQ(w.Comment->geometry(), QRect(184, 99, 185, 21));
    EXPECT_EQ(w.Savebutton->geometry(), QRect(280, 168, 89, 17));
    std::vector<QWidget *> order;
    QWidget *x = w.Title;
    do {
        if (x->focusPolicy() & Qt::TabFocus) order.push_back(x);
        x = x->nextInFocusChain();
    } while (x != w.Title && order.size() < 20);
    const std::vector<QWidget *> want{w.Title, w.Artist,     w.Comment,    w.Album, w.Genre,
                                      w.Year,  w.Savebutton, w.Loadbutton, w.Track};
    EXPECT_EQ(order, want);
}

TEST_F(Id3Window, LoadFillsTheBoxes) {
    const std::string p = tagged("a.mp3", "Caf\xE9", "Artist");
    w.Track->setText("old");
    loadThroughButton(p);
    EXPECT_EQ(w.Title->text(), QString::fromUtf8("Café"));
    EXPECT_EQ(w.Artist->text(), "Artist");
    EXPECT_EQ(w.Album->text(), "Album");
    EXPECT_EQ(w.Year->text(), "1999");
    EXPECT_EQ(w.Genre->text(), "Rock");
    EXPECT_EQ(w.Track->text(), "5");
    EXPECT_EQ(w.Comment->text(), "Note");
    EXPECT_EQ(w.Filename->text(), "a.mp3");
    EXPECT_EQ(w.FieldsFile(), QString::fromStdString(p));
}

TEST_F(Id3Window, LoadOfUntaggedFileShowsItsName) {
    const std::string p = dir.write("My Song.mp3", music);
    w.Track->setText("7");
    w.Title->setText("stale");
    loadThroughButton(p);
    EXPECT_EQ(w.Artist->text(), "My Song");
    EXPECT_EQ(w.Title->text(), "");
    EXPECT_EQ(w.Track->text(), "7");
    // Cancelling the dialog empties the boxes and stops.
    w.setOnChooseFile([] { return QString(); });
    QTest::mouseClick(w.Loadbutton, Qt::LeftButton);
    EXPECT_EQ(w.Artist->text(), "");
}

TEST_F(Id3Window, SaveWritesBoxesAndEmptiesThem) {
    const std::string p = tagged("s.mp3", "Old", "Someone");
    loadThroughButton(p);
    w.Title->setText(QString::fromUtf8("Névé"));
    w.Genre->setText("");
    w.Comment->setText("New note");
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    for (QLineEdit *e : {w.Title, w.Artist, w.Album, w.Year, w.Genre, w.Track, w.Comment})
        EXPECT_TRUE(e->text().isEmpty());
    EXPECT_EQ(frameText(p, "TIT2"), "N\xE9v\xE9");
    EXPECT_EQ(frameText(p, "TPE1"), "Someone");
    EXPECT_EQ(frameText(p, "TCON"), "");
    Tid3v2tag t;
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    COMM c;
    EXPECT_EQ(t.GetComment(c, "", "None"), 0);
    EXPECT_EQ(c.Text, "New note");
    const Bytes after = readFile(p);
    const uint32_t len = 10 + ((after[6] << 21) | (after[7] << 14) | (after[8] << 7) | after[9]);
    EXPECT_EQ(Bytes(after.begin() + len, after.end()), music);

    // A second Save writes the now empty boxes: only the picture frame is left.
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    ASSERT_EQ(t.Frames.Count(), 1u);
    EXPECT_EQ(t.Frames.GetID(1), "APIC");
}

TEST_F(Id3Window, SaveWithNothingLeftReportsTheResultWord) {
    const std::string p = dir.write("one.mp3", cat({tag(3, frame(3, "TIT2", text("x")), 10), music}));
    const Bytes before = readFile(p);
    loadThroughButton(p);
    w.Title->clear();
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error #64768! Could not save Tag!");
    EXPECT_EQ(readFile(p), before);
}

TEST_F(Id3Window, SaveWithoutAnyFileReportsFailure) {
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error #256! Could not save Tag!");
}

TEST_F(Id3Window, SaveAfterFailedLoadNeverWritesTheEarlierFile) {
    const std::string good = tagged("good.mp3", "Good", "A");
    loadThroughButton(good);
    const Bytes goodBefore = readFile(good);
    const std::string bad = dir.write("bad.mp3", cat({str("ID3\x03"), Bytes{0, 0, 0, 0, 0x7F}, music}));
    loadThroughButton(bad);
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error #65024! Could not save Tag!");
    EXPECT_EQ(readFile(good), goodBefore);
}

TEST_F(Id3Window, AFileWithoutATagGetsItsFirstOne) {
    const std::string bare = dir.write("bare.mp3", music);
    tagged("other.mp3", "Other", "O");
    loadThroughButton(dir.path("other.mp3"));
    loadThroughButton(bare);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(w.Title->text().isEmpty()) << "fields of the earlier file stayed";
    w.Title->setText("First");
    w.Artist->setText("Someone");
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text.toStdString());
    EXPECT_EQ(frameText(bare, "TIT2"), "First");
    EXPECT_EQ(frameText(bare, "TPE1"), "Someone");
    EXPECT_EQ(frameText(bare, "TALB"), "");
    // The audio follows the new tag unchanged.
    const Bytes after = readFile(bare);
    ASSERT_GE(after.size(), music.size());
    EXPECT_TRUE(std::equal(music.begin(), music.end(), after.end() - static_cast<long>(music.size())));
}

TEST_F(Id3Window, SaveTargetsTheFileThePlaylistFilledTheBoxesFor) {
    const std::string loaded = tagged("loaded.mp3", "Loaded", "L");
    const std::string playlist = tagged("playlist.mp3", "Listed", "P");
    loadThroughButton(loaded);
    const Bytes loadedBefore = readFile(loaded);
    w.setFields(QString::fromStdString(playlist), {"Listed", "P", "Album", "1999", "Rock", "5", "Note"});
    EXPECT_EQ(w.Filename->text(), "playlist.mp3");
    EXPECT_EQ(w.fields().Artist, "P");
    w.Artist->setText("Edited");
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(readFile(loaded), loadedBefore);
    EXPECT_EQ(frameText(playlist, "TPE1"), "Edited");
    EXPECT_EQ(frameText(playlist, "TIT2"), "Listed");
    Tid3v2tag t;
    ASSERT_EQ(t.LoadTag(playlist, 0), 0);
    bool picture = false;
    for (uint32_t i = 1; i <= t.Frames.Count(); ++i)
        picture = picture || t.Frames.GetID(i) == "APIC";
    EXPECT_TRUE(picture); // the playlist file's other frames are kept
}

TEST_F(Id3Window, Screenshot) {
    const QString out = qEnvironmentVariable("CALVORAN_TAGS_SCREENSHOT");
    if (out.isEmpty()) GTEST_SKIP() << "set CALVORAN_TAGS_SCREENSHOT to a PNG path to render the window";
    const QString mp3 = qEnvironmentVariable("CALVORAN_TAGS_MP3");
    const std::string path = mp3.isEmpty() ? tagged("shot.mp3", "Title", "Artist") : mp3.toStdString();
    loadThroughButton(path);
    w.show();
    ASSERT_TRUE(w.grab().save(out));
    // Edit, save, load again: the second picture shows the edited tag read back from the file.
    w.Title->setText(w.Title->text() + QString::fromUtf8(" (édité)"));
    const QString title = w.Title->text();
    QTest::mouseClick(w.Savebutton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty());
    loadThroughButton(path);
    EXPECT_EQ(w.Title->text(), title);
    ASSERT_TRUE(w.grab().save(QString(out).replace(".png", "-saved.png")));
}

} // namespace
