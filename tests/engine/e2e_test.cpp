// The playlist window over the real output path: SDL's disk driver writes what is played to a file.
#include "EngineFiles.h"
#include "FormFixture.h"
#include "engine/model/M3uFormat.h"
#include "platform/Paths.h"
#include "tags/id3.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Share of 16-bit words that are not silence.
double soundingShare(const QByteArray &raw) {
    if (raw.size() < 2) return 0;
    qsizetype loud = 0;
    const auto *words = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype n = raw.size() / 2;
    for (qsizetype i = 0; i < n; ++i)
        if (words[i] > 64 || words[i] < -64) ++loud;
    return static_cast<double>(loud) / static_cast<double>(n);
}

} // namespace

using EndToEnd = FormFixture;

TEST_F(EndToEnd, ADoubleClickedEntryIsHeardAndTheListSurvivesARestart) {
    const EngineFiles &files = engineFiles();
    const QString raw = home.path() + "out.raw";
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(raw));
    {
        QFile list(calvoran::programFolder() + "playlist.m3u");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\r\n#EXTINF:003,1. Artist - Song\r\n" + QFile::encodeName(files.mp3Tagged) +
                   "\r\n#EXTINF:060,2. tone\r\n" + QFile::encodeName(files.tone599) + "\r\n");
    }

    Tid32 id3;
    displays.volume = 100;
    make({}, {}, &id3);
    ASSERT_EQ(form->EntryCount(), 2);
    form->show();
    QTreeView *list = form->ListView1();
    const QRect row = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    run(1500);

    EXPECT_EQ(displays.currentIndex, 1);
    EXPECT_EQ(displays.title, "2. tone");
    EXPECT_EQ(form->StatusText(0), "Total: 0:59");
    EXPECT_EQ(BASS_ChannelIsActive(form->CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
    // The file's tag went to the ID3 window's boxes on the way (the WAV has none: its name is the artist).
    EXPECT_EQ(id3.Artist->text(), "tone599");

    form->StopPlayback();
    form->WritePlaylistFile(calvoran::programFolder() + "playlist.m3u");
    form.reset();
    core.reset(); // releases the library, which closes the output file

    const QByteArray sound = readAll(raw);
    EXPECT_GT(sound.size(), 44100 * 2 * 2 / 2) << "less than half a second of output";
    EXPECT_GT(soundingShare(sound), 0.3);

    messages.clear();
    make();
    ASSERT_EQ(form->EntryCount(), 2);
    EXPECT_EQ(form->EntryCaptionAt(0), "1. Artist - Song");
    EXPECT_EQ(form->EntryLocation(0), files.mp3Tagged);
    EXPECT_EQ(form->EntryCaptionAt(1), "2. tone");
    EXPECT_EQ(form->EntryLocation(1), files.tone599);
    EXPECT_TRUE(readAll(calvoran::programFolder() + "playlist.m3u").startsWith("#EXTM3U\r\n#EXTINF:003,"));
    EXPECT_TRUE(messages.empty());
    form.reset();
    qputenv("SDL_AUDIODRIVER", "dummy");
}

TEST_F(EndToEnd, TagsGoThroughTheId3WindowBoxes) {
    const EngineFiles &files = engineFiles();
    Tid32 id3;
    make({}, {}, &id3);
    const calvoran::TagFields tagged = form->LoadTagInfo(files.mp3Tagged);
    EXPECT_EQ(id3.Artist->text(), "Artist");
    EXPECT_EQ(id3.Title->text(), "Song");
    EXPECT_EQ(id3.FieldsFile(), files.mp3Tagged);
    EXPECT_EQ(TForm2::EntryCaption(4, tagged), "5. Artist - Song");
    const calvoran::TagFields plain = form->LoadTagInfo(files.mp3Plain);
    EXPECT_EQ(id3.Artist->text(), "plain");
    EXPECT_EQ(id3.Title->text(), "");
    EXPECT_EQ(TForm2::EntryCaption(0, plain), "1. plain - ");
}
