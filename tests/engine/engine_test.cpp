#include "EngineFiles.h"
#include "FormFixture.h"
#include "engine/model/M3uFormat.h"

#include <QFile>

namespace {

void writePlaylist(const QString &folder, const QString &location) {
    QFile f(folder + "playlist.m3u");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#EXTM3U\r\n#EXTINF:060,1. saved\r\n" + QFile::encodeName(location) + "\r\n");
}

bool timersOn(TForm2 &form, RecordingDisplays &d) {
    return form.Timer1()->Enabled() && d.timer2.Enabled() && d.tt1.Enabled();
}
bool timersOff(TForm2 &form, RecordingDisplays &d) {
    return !form.Timer1()->Enabled() && !d.timer2.Enabled() && !d.tt1.Enabled();
}

} // namespace

using EngineTest = FormFixture;

TEST_F(EngineTest, AStreamShowsItsLengthPlaysAndStops) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    ASSERT_TRUE(f.engineReady());
    f.AppendEntry("1. tone", files.tone599);
    f.SelectPosition(0);
    f.PlayPath(files.tone599, 0);

    EXPECT_EQ(f.CurrentModule(), 0u);
    ASSERT_NE(f.CurrentChannel(), 0u);
    EXPECT_EQ(f.StatusText(0), "Total: 0:59");
    EXPECT_EQ(displays.positionMax, 60);
    EXPECT_EQ(displays.title, "1. tone");
    EXPECT_TRUE(displays.autoScroll);
    EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_TRUE(timersOn(f, displays));

    run(300);
    f.Timer1Timer();
    EXPECT_GT(displays.left, 40); // a sine at half scale peaks near 64
    EXPECT_EQ(displays.left, displays.right);

    const DWORD played = f.CurrentChannel();
    f.StopPlayback();
    EXPECT_TRUE(timersOff(f, displays));
    EXPECT_EQ(BASS_ChannelIsActive(played), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(displays.left, 0);
    EXPECT_EQ(displays.time, "0:0");
    EXPECT_EQ(f.StatusText(1), "Played: 0:0");
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineTest, AModuleIsRecognisedByContentAndIsTheChannelTheTimersPoll) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    for (const QString &path : {files.moduleAsMp3, files.module}) {
        SCOPED_TRACE(path.toStdString());
        f.RemoveAll1Click();
        f.AppendEntry("1. module", path);
        f.SelectPosition(0);
        f.StopPlayback();
        f.PlayPath(path, 0);

        ASSERT_NE(f.CurrentModule(), 0u);
        EXPECT_EQ(f.CurrentChannel(), f.CurrentModule());
        EXPECT_EQ(f.StatusText(0), QString("Total: %1").arg(EngineFiles::kModuleOrders));
        EXPECT_EQ(displays.title, EngineFiles::kModuleTitle);
        EXPECT_TRUE(timersOn(f, displays));
        run(300);
        EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
        f.Timer1Timer();
        EXPECT_GT(displays.left + displays.right, 0);
        EXPECT_GT(BASS_ChannelBytes2Seconds(f.CurrentChannel(), BASS_ChannelGetPosition(f.CurrentChannel())),
                  0.0f);
    }
    const DWORD module = f.CurrentModule();
    f.StopPlayback();
    EXPECT_EQ(BASS_ChannelIsActive(module), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineTest, AnMp3IsPlayedAsAStream) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.AppendEntry("1. Artist - Song", files.mp3Tagged);
    f.SelectPosition(0);
    f.PlayPath(files.mp3Tagged, 0);
    EXPECT_EQ(f.CurrentModule(), 0u);
    ASSERT_NE(f.CurrentChannel(), 0u);
    EXPECT_EQ(f.StatusText(0), "Total: 0:3");
    EXPECT_EQ(BASS_ChannelIsActive(f.CurrentChannel()), DWORD(BASS_ACTIVE_PLAYING));
}

TEST_F(EngineTest, AFileThatDoesNotOpenShowsNoNegativeTime) {
    const EngineFiles &files = engineFiles();
    TForm2 &f = make();
    f.AppendEntry("1. broken", files.broken);
    f.SelectPosition(0);
    f.PlayPath(files.broken, 0);
    EXPECT_EQ(f.CurrentChannel(), 0u);
    EXPECT_EQ(f.StatusText(0), "Total: 0:0");
    EXPECT_EQ(displays.positionMax, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineTest, StoppingWhenNothingPlayedResetsTheDisplays) {
    TForm2 &f = make();
    displays.time = "9:9";
    displays.left = displays.right = displays.position = 77;
    f.StopPlayback();
    EXPECT_EQ(displays.time, "0:0");
    EXPECT_EQ(f.StatusText(1), "Played: 0:0");
    EXPECT_EQ(displays.left, 0);
    EXPECT_EQ(displays.right, 0);
    EXPECT_EQ(displays.position, 0);
    EXPECT_TRUE(timersOff(f, displays));
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineTest, AVersionMismatchReportsAndLeavesTheListEmpty) {
    const EngineFiles &files = engineFiles();
    writePlaylist(home.path(), files.tone599);

    TForm2 &wrong = make([] { return DWORD(0x10002); }, files.mp3Tagged);
    EXPECT_FALSE(wrong.engineReady());
    EXPECT_EQ(wrong.EntryCount(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("BASS version 2.0 was not loaded\n(error code: "));
    EXPECT_TRUE(messages[0].text.endsWith(")"));
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].icon, calvoran::MsgIcon::Error);

    messages.clear();
    TForm2 &right = make({}, files.mp3Tagged);
    EXPECT_TRUE(right.engineReady());
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(right.EntryCount(), 2);
    // The command-line MP3 comes first, titled from its tag, and is not played.
    EXPECT_EQ(right.EntryCaptionAt(0), "1. Artist - Song");
    EXPECT_EQ(right.EntryLocation(0), files.mp3Tagged);
    EXPECT_EQ(right.EntryCaptionAt(1), "1. saved");
    EXPECT_EQ(right.EntryLocation(1), files.tone599);
    EXPECT_EQ(right.CurrentChannel(), 0u);
}

TEST_F(EngineTest, StartUpTakesOnlyAnMp3FromTheCommandLineAndNeedsNoSavedList) {
    const EngineFiles &files = engineFiles();
    for (const QString &arg : {files.tone599, files.module, QString()}) {
        TForm2 &f = make({}, arg);
        EXPECT_EQ(f.EntryCount(), 0) << arg.toStdString();
    }
    EXPECT_TRUE(messages.empty()); // no playlist.m3u yet: an empty list, silently
}

TEST_F(EngineTest, AnUnreadableSavedListIsReportedAtStartUp) {
    QDir(home.path()).mkdir("playlist.m3u"); // exists, cannot be read as a file
    TForm2 &f = make();
    EXPECT_EQ(f.EntryCount(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("playlist.m3u"));
}
