#include "../audio/LoopbackServer.h"
#include "EngineFiles.h"
#include "FormFixture.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Answers every file dialog with the next name, and keeps the requests.
struct DialogScript {
    std::vector<calvoran::FileDialogRequest> requests;
    std::vector<QString> answers;
    void install() {
        calvoran::setFileDialogHook([this](const calvoran::FileDialogRequest &r) {
            requests.push_back(r);
            if (answers.empty()) return QString();
            QString next = answers.front();
            answers.erase(answers.begin());
            return next;
        });
    }
};

} // namespace

using PlaylistTest = FormFixture;

TEST_F(PlaylistTest, AddFileTitlesFromTheTagOrTheFileNameAndNeverRenumbers) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    DialogScript dialogs;
    dialogs.answers = {files.mp3Tagged, files.mp3Plain, files.mp3Tagged, "", files.mp3Plain};
    dialogs.install();

    f.AddFile1Click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].title, "Add File to Playlist");
    EXPECT_EQ(
        dialogs.requests[0].filter,
        "Calvoran Playable Files|*.mp1;*.mp2;*.mp3;*.mod;*.xm;*.mtm;*.s3m;*.ogg;*.wav;*.flac;*.oga;*.opus|"
        "File streams|*.mp1;*.mp2;*.mp3;*.ogg;*.wav;*.flac;*.oga;*.opus|MOD "
        "Music|*.xm;*.it;*.mod;*.mtm;*.s3m");
    f.AddFile1Click();
    f.AddFile1Click();
    f.AddFile1Click(); // cancelled
    ASSERT_EQ(f.EntryCount(), 3);
    EXPECT_EQ(f.EntryCaptionAt(0), "1. Artist - Song");
    EXPECT_EQ(f.EntryLocation(0), files.mp3Tagged);
    EXPECT_EQ(f.EntryCaptionAt(1), "2. plain - ");
    EXPECT_EQ(f.EntryCaptionAt(2), "3. Artist - Song");

    f.SelectPosition(0);
    f.RemoveSelected1Click();
    ASSERT_EQ(f.EntryCount(), 2);
    EXPECT_EQ(f.EntryCaptionAt(0), "2. plain - ");
    EXPECT_EQ(f.EntryCaptionAt(1), "3. Artist - Song");
    f.AddFile1Click();
    ASSERT_EQ(f.EntryCount(), 3);
    EXPECT_EQ(f.EntryCaptionAt(2), "3. plain - "); // its position + 1: a second "3."

    f.RemoveAll1Click();
    EXPECT_EQ(f.EntryCount(), 0);
}

TEST_F(PlaylistTest, RemoveSelectedTakesEverySelectedRow) {
    TForm2 &f = make();
    for (const char *c : {"1. a", "2. b", "3. c", "4. d"})
        f.AppendEntry(c, QString("/m/") + c);
    QItemSelectionModel *selection = f.ListView1()->selectionModel();
    for (int row : {2, 0})
        selection->select(f.ListView1()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(f.SelectedPosition(), 0);
    f.RemoveSelected1Click();
    ASSERT_EQ(f.EntryCount(), 2);
    EXPECT_EQ(f.EntryCaptionAt(0), "2. b");
    EXPECT_EQ(f.EntryCaptionAt(1), "4. d");
}

TEST_F(PlaylistTest, DropsRefuseOtherFilesOneMessageEach) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.FilesDropped({files.folder + "/notes.txt"});
    EXPECT_EQ(f.EntryCount(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The dropped file is not a valid music file!...");
    EXPECT_EQ(messages[0].icon, calvoran::MsgIcon::Error);

    f.FilesDropped({files.folder + "/notes.txt", files.mp3Tagged, files.folder + "/README"});
    EXPECT_EQ(messages.size(), 3u);
    ASSERT_EQ(f.EntryCount(), 1);
    EXPECT_EQ(f.EntryCaptionAt(0), "1. Artist - Song");
    EXPECT_EQ(f.EntryLocation(0), files.mp3Tagged);
}

TEST_F(PlaylistTest, FlacAndOpusAreDroppedPlayedAndKeptInThePlaylistFile) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.FilesDropped({files.flac, files.opus});
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(f.EntryCount(), 2);
    EXPECT_EQ(f.EntryCaptionAt(0), "1. seven - ");
    EXPECT_EQ(f.EntryCaptionAt(1), "2. four - ");

    f.SelectPosition(1);
    f.list1dbl();
    EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_EQ(f.StatusText(0), "Total: 0:4");
    f.StopPlayback();

    const QString list = home.path() + "mine.m3u";
    f.WritePlaylistFile(list);
    QFile written(list);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    EXPECT_TRUE(text.contains("#EXTINF:007,1. seven - \r\n" + QFile::encodeName(files.flac)))
        << text.constData();
    EXPECT_TRUE(text.contains("#EXTINF:005,2. four - \r\n" + QFile::encodeName(files.opus)))
        << text.constData();

    f.RemoveAll1Click();
    ASSERT_TRUE(f.ReadPlaylistFile(list));
    ASSERT_EQ(f.EntryCount(), 2);
    EXPECT_EQ(f.EntryLocation(0), files.flac);
    EXPECT_EQ(f.EntryLocation(1), files.opus);
}

TEST_F(PlaylistTest, DoubleClickPlaysTheSelectedEntryAndNothingWithoutOne) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.AppendEntry("1. tone", files.tone599);
    f.AppendEntry("2. tone", files.tone599);
    f.ListView1()->clearSelection();
    f.list1dbl();
    EXPECT_EQ(f.CurrentChannel(), 0u);
    EXPECT_EQ(displays.currentIndex, -1);
    EXPECT_FALSE(displays.timer2.Enabled());

    f.SelectPosition(1);
    f.list1dbl();
    EXPECT_EQ(displays.currentIndex, 1);
    EXPECT_EQ(displays.title, "2. tone");
    EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_TRUE(displays.timer2.Enabled());

    // A second double click frees what played before.
    const DWORD first = f.CurrentChannel();
    f.list1dbl();
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_NE(f.CurrentChannel(), first);
}

TEST_F(PlaylistTest, AnEntryWithAStationAddressPlaysTheStation) {
    const EngineFiles &files = engineFiles();
    const QByteArray mp3 = readAll(files.mp3Tagged);
    calvoran::test::LoopbackServer server([&](calvoran::test::LoopbackConnection &c) {
        c.send("ICY 200 OK\r\nicy-name:Loop\r\n\r\n");
        c.send(mp3.constData(), static_cast<std::size_t>(mp3.size()));
        c.pause(std::chrono::seconds(10));
    });
    TForm2 &f = make();
    f.AppendEntry("Loop", QString::fromStdString(server.url("/live")), false);
    f.SelectPosition(0);
    f.list1dbl();
    ASSERT_NE(f.CurrentChannel(), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_NE(BASS_StreamGetTags(f.CurrentChannel(), BASS_TAG_ICY), nullptr);
    EXPECT_EQ(f.StatusText(0), "Total: 0:0"); // a station has no length
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistTest, SaveAndOpenRoundTripWithMeasuredLengths) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.AppendEntry("1. A, B - C", files.tone599);
    f.AppendEntry("2. radio", "http://127.0.0.1:1/live");
    f.AppendEntry("3. Artist - Song", files.mp3Tagged);
    const QString m3u = home.path() + "saved.m3u";
    const QString txt = home.path() + "list.txt";
    DialogScript dialogs;
    dialogs.answers = {m3u, txt, m3u};
    dialogs.install();

    f.SavePlaylist1Click();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].title, "Save Playlist");
    EXPECT_EQ(dialogs.requests[0].filter, "M3U Playlist|*.m3u");
    EXPECT_EQ(dialogs.requests[0].kind, calvoran::FileDialogRequest::Kind::Save);
    // The radio entry is kept, without a length.
    EXPECT_EQ(readAll(m3u),
              "#EXTM3U\r\n#EXTINF:060,1. A, B - C\r\n" + QFile::encodeName(files.tone599) +
                  "\r\n#EXTINF:-1,2. radio\r\nhttp://127.0.0.1:1/live\r\n#EXTINF:003,3. Artist - Song\r\n" +
                  QFile::encodeName(files.mp3Tagged) + "\r\n");

    f.SavePlaylist1Click();
    ASSERT_TRUE(QFile::exists(txt));
    EXPECT_EQ(readAll(txt), QByteArray());

    f.RemoveAll1Click();
    f.AppendEntry("1. kept", "/kept.mp3");
    f.OpenPlaylist1Click();
    EXPECT_EQ(dialogs.requests.back().title, "Open Playlist");
    ASSERT_EQ(f.EntryCount(), 4); // appended to what was there
    EXPECT_EQ(f.EntryCaptionAt(1), "1. A, B - C");
    EXPECT_EQ(f.EntryLocation(1), files.tone599);
    EXPECT_EQ(f.EntryLocation(2), "http://127.0.0.1:1/live");
    EXPECT_EQ(f.EntryCaptionAt(3), "3. Artist - Song");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistTest, PlainListsGiveOneEntryPerLocationAndAMissingListReports) {
    TForm2 &f = make();
    const QString plain = home.path() + "plain.m3u";
    {
        QFile out(plain);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("/music/a.mp3\r\n\r\nhttp://radio.example/live\r\n/music/b.mp3\r\n");
    }
    EXPECT_TRUE(f.ReadPlaylistFile(plain));
    ASSERT_EQ(f.EntryCount(), 3);
    // Titled like added files: no tag to read, so from the file name.
    EXPECT_EQ(f.EntryCaptionAt(0), "1. a - ");
    EXPECT_EQ(f.EntryLocation(0), "/music/a.mp3");
    EXPECT_EQ(f.EntryCaptionAt(1), "2. http://radio.example/live - ");
    EXPECT_EQ(f.EntryCaptionAt(2), "3. b - ");

    // UTF-8 names, with and without a tag, in a .m3u8 list.
    const EngineFiles &files = engineFiles();
    const QString accented = home.path() + QString::fromUtf8("\u00e9t\u00e9 \u00e0 Z\u00fcrich.mp3");
    ASSERT_TRUE(QFile::copy(files.mp3Tagged, accented));
    const QString utf8List = home.path() + "list.m3u8";
    {
        QFile out(utf8List);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("\xEF\xBB\xBF" + accented.toUtf8() + "\n" + home.path().toUtf8() + "\xC3\xB8ld.ogg\n");
    }
    f.RemoveAll1Click();
    EXPECT_TRUE(f.ReadPlaylistFile(utf8List));
    ASSERT_EQ(f.EntryCount(), 2);
    EXPECT_EQ(f.EntryLocation(0), accented);
    EXPECT_EQ(f.EntryCaptionAt(0), "1. Artist - Song");
    EXPECT_EQ(f.EntryCaptionAt(1), "2. \xF8ld - "); // 8-bit caption of "øld"
    f.RemoveAll1Click();

    DialogScript dialogs;
    dialogs.answers = {home.path() + "missing.m3u"};
    dialogs.install();
    f.OpenPlaylist1Click();
    EXPECT_EQ(f.EntryCount(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("missing.m3u"));
}

TEST_F(PlaylistTest, TheListWrittenAfterTheLibraryIsReleasedStillHasLengths) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.AppendEntry("1. tone", files.tone599);
    BASS_Free(); // as the close handler does before writing
    const QString target = home.path() + "playlist.m3u";
    f.WritePlaylistFile(target);
    EXPECT_TRUE(readAll(target).startsWith("#EXTM3U\r\n#EXTINF:060,1. tone\r\n"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistTest, LengthsFromTheListAreWrittenBackAndNewEntriesMeasuredOnce) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    const QString listed = home.path() + "listed.m3u";
    {
        // The tone is 60 s long; the list says otherwise, and the list is what the player knows.
        QFile out(listed);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("#EXTM3U\r\n#EXTINF:777,1. tone\r\n" + QFile::encodeName(files.tone599) + "\r\n");
    }
    ASSERT_TRUE(f.ReadPlaylistFile(listed));
    f.AppendEntry("2. Artist - Song", files.mp3Tagged);
    const QString target = home.path() + "playlist.m3u";
    f.WritePlaylistFile(target);
    const QByteArray expected = "#EXTM3U\r\n#EXTINF:777,1. tone\r\n" + QFile::encodeName(files.tone599) +
                                "\r\n#EXTINF:003,2. Artist - Song\r\n" + QFile::encodeName(files.mp3Tagged) +
                                "\r\n";
    EXPECT_EQ(readAll(target), expected);
    // The new entry's length is kept from that write: gone from disk, it is still written.
    ASSERT_TRUE(QFile::copy(files.mp3Tagged, home.path() + "copy.mp3"));
    f.AppendEntry("3. copy", home.path() + "copy.mp3");
    f.WritePlaylistFile(target);
    ASSERT_TRUE(QFile::resize(home.path() + "copy.mp3", 0));
    f.WritePlaylistFile(target);
    EXPECT_TRUE(readAll(target).contains("#EXTINF:003,3. copy\r\n")) << readAll(target).toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(PlaylistTest, AFailedWriteIsReportedAndKeepsTheOldFile) {
    TForm2 &f = make();
    f.WritePlaylistFile(home.path() + "no/such/folder/playlist.m3u");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("Can't write the chosen file...\n"));
    EXPECT_TRUE(messages[0].text.contains("no/such/folder/playlist.m3u")) << "names the file";
    EXPECT_EQ(messages[0].caption, "Write-Error");
    EXPECT_EQ(messages[0].icon, calvoran::MsgIcon::Error);
}

TEST_F(PlaylistTest, WindowLayoutFollowsItsSize) {
    TForm2 &f = make();
    EXPECT_EQ(f.windowTitle(), "Calvoran PlayList");
    EXPECT_FALSE(f.isVisible());
    f.show();
    f.resize(300, 400);
    QCoreApplication::processEvents();
    // The window's rules count its outer frame (8 across, 25 down): the list runs to 2 pixels short
    // of the right edge and down to the bottom controls.
    EXPECT_EQ(f.ListView1()->geometry(), QRect(0, 0, 298, 355));
    EXPECT_EQ(f.ListView1()->model()->headerData(0, Qt::Horizontal).toString(), "Title");
    EXPECT_EQ(f.ListView1()->model()->headerData(1, Qt::Horizontal).toString(), "Filename");
    EXPECT_EQ(f.ListView1()->header()->sectionSize(1), 1);
    EXPECT_EQ(f.ListView1()->toolTip(), "DoubleClick the song to play");
    const QStringList menu2 = {f.PopupMenu2()->actions()[0]->text(), f.PopupMenu2()->actions()[1]->text()};
    EXPECT_EQ(menu2, QStringList({"Remove All", "Remove Selected"}));
    EXPECT_EQ(f.PopupMenu3()->actions()[0]->text(), "Save Playlist");
}

// Under the list: the three buttons on the left and the logo on the right fill the band down to the
// status bar, whose panels show the longest times whole.
TEST_F(PlaylistTest, BottomControlsCloseUpAndStatusPanelsFitTheirTexts) {
    TForm2 &f = make();
    f.show();
    for (const QSize size : {QSize(227, 343), QSize(300, 400)}) {
        SCOPED_TRACE(size.height());
        f.resize(size);
        QCoreApplication::processEvents();
        const QRect list = f.ListView1()->geometry();
        auto *status = f.findChild<QStatusBar *>();
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->geometry(), QRect(0, size.height() - 17, size.width(), 17));
        int left = 0;
        for (const char *hint : {"Add Files", "Delete", "Save Playlist"}) {
            QToolButton *button = nullptr;
            for (QToolButton *b : f.findChildren<QToolButton *>())
                if (b->toolTip() == hint) button = b;
            ASSERT_NE(button, nullptr) << hint;
            EXPECT_EQ(button->geometry().topLeft(), QPoint(left, size.height() + 25 - 73)) << hint;
            EXPECT_LT(button->geometry().bottom(), status->geometry().top()) << hint;
            left += 25;
        }
        QLabel *logo = nullptr;
        for (QLabel *l : f.findChildren<QLabel *>())
            if (l->text() == "Calvoran") logo = l;
        ASSERT_NE(logo, nullptr);
        EXPECT_EQ(logo->geometry().top(), list.bottom() + 1);
        EXPECT_EQ(logo->geometry().right(), list.right());
        EXPECT_EQ(logo->geometry().bottom() + 1, status->geometry().top());
        EXPECT_GT(logo->geometry().left(), 75); // clear of the buttons
    }
    f.setStatusText(0, QStringLiteral("Total: 999:59"));
    f.setStatusText(1, QStringLiteral("Played: 999:59"));
    QCoreApplication::processEvents();
    auto *status = f.findChild<QStatusBar *>();
    int right = 0;
    for (QLabel *panel : status->findChildren<QLabel *>()) {
        if (!panel->isVisible()) continue;
        SCOPED_TRACE(panel->text().toStdString());
        const int room = panel->contentsRect().width() - panel->indent();
        EXPECT_GE(room, panel->fontMetrics().horizontalAdvance(panel->text()));
        EXPECT_GE(panel->contentsRect().height(), panel->fontMetrics().height() - 2);
        EXPECT_GE(panel->geometry().left(), right); // side by side, not on top of each other
        right = panel->geometry().right();
    }
    EXPECT_LE(right, status->width());
}
