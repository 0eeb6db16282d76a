// The real player on a virtual X server, driven with xdotool: skinned buttons, the menu, dragging, radio.
#include "../audio/LoopbackServer.h"
#include "Fixtures.h"
#include "OnScreen.h"
#include "TestDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using onscreen::loudSamples;

namespace {

class PlayerOnScreen : public onscreen::PlayerTest {
protected:
    PlayerOnScreen() : PlayerTest(90) {}
    void SetUp() override {
        if (!prepare()) {
            if (screenMissing()) GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
            return;
        }
        const auto tone = [](uint32_t i) {
            return static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440 * i / 44100.0));
        };
        ASSERT_TRUE(onscreen::writeWav(home.filePath("one.wav"), 4, tone));
        ASSERT_TRUE(onscreen::writeWav(home.filePath("two.wav"), 4, tone));
        writePlaylist("#EXTINF:4,1. Tone - One\r\n" + home.filePath("one.wav").toUtf8() +
                      "\r\n#EXTINF:4,2. Tone - Two\r\n" + home.filePath("two.wav").toUtf8() + "\r\n");
    }

    QString startPlayer() {
        player.setProcessEnvironment(env());
        player.setProcessChannelMode(QProcess::MergedChannels);
        player.start(qEnvironmentVariable("CALVORAN_EXE"), {});
        if (!player.waitForStarted()) return {};
        const QString main = findWindow("Calvoran Player");
        if (main.isEmpty()) return main;
        // The window shows at 2 x 2 pixels until the skin gives it its size.
        QElapsedTimer clock;
        clock.start();
        while (geometry(main).width() <= 2 && clock.elapsed() < 15000)
            QThread::msleep(100);
        QThread::msleep(300);
        return main;
    }

    int visibleWindowsOfPlayer() const {
        const QString ids =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(player.processId()), ""});
        return ids.isEmpty() ? 0 : static_cast<int>(ids.split('\n').size());
    }
};

} // namespace

TEST_F(PlayerOnScreen, PlayButtonOfTheSkinPlaysTheSelectedEntry) {
    const QString main = startPlayer();
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    // Midnight's background is 292 x 112; the window takes its size.
    EXPECT_EQ(geometry(main).size(), QSize(292, 112));

    click(main, 211 + 29, 80 + 10); // Midnight's playlist button
    const QString list = findWindow("Calvoran PlayList");
    ASSERT_FALSE(list.isEmpty()) << "the playlist button showed no playlist";
    // Without a window manager both windows open at the top-left corner.
    xdotool({"windowmove", list, "500", "0"});
    QThread::msleep(300);
    click(list, 60, 32); // first row: a single click only selects
    EXPECT_EQ(loudSamples(home.filePath("out.raw")), 0) << "selecting alone must not play";

    click(main, 58 + 20, 80 + 10); // Midnight's play button
    QElapsedTimer clock;
    clock.start();
    while (loudSamples(home.filePath("out.raw")) < 44100 && clock.elapsed() < 10000)
        QThread::msleep(200);
    EXPECT_GE(loudSamples(home.filePath("out.raw")), 44100)
        << "less than half a second of the track was heard";
}

TEST_F(PlayerOnScreen, RightClickOpensTheMenu) {
    const QString main = startPlayer();
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    const int before = visibleWindowsOfPlayer();
    click(main, 150, 100, 3);
    QElapsedTimer clock;
    clock.start();
    while (visibleWindowsOfPlayer() <= before && clock.elapsed() < 5000)
        QThread::msleep(100);
    EXPECT_GT(visibleWindowsOfPlayer(), before) << "no pop-up menu appeared";
}

TEST_F(PlayerOnScreen, DraggingMovesTheWindowAndWritesItsPlace) {
    const QString main = startPlayer();
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    const QRect before = geometry(main);
    // Grab the display panel's LED title (Midnight puts the panel at 14,14).
    xdotool({"mousemove", "--window", main, "60", "35"});
    QThread::msleep(150);
    xdotool({"mousedown", "1"});
    for (int step = 1; step <= 8; ++step) {
        xdotool({"mousemove_relative", "--", "10", "8"});
        QThread::msleep(40);
    }
    xdotool({"mouseup", "1"});
    QThread::msleep(500);
    const QRect after = geometry(main);
    EXPECT_EQ(after.topLeft() - before.topLeft(), QPoint(80, 64));
    QSettings ini(home.filePath("Calvoran.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Calvoran/MainLeft").toInt(), after.left());
    EXPECT_EQ(ini.value("Calvoran/MainTop").toInt(), after.top());
}

// A station on loopback, opened from the menu and started from its preset: its audio is heard, and the
// preset takes the station's name and bit rate.
TEST_F(PlayerOnScreen, RadioPlaysAStationFromItsPreset) {
    calvoran::fixtures::TestDir media;
    const auto wav = media.file("station.wav");
    const auto mp3 = media.file("station.mp3");
    ASSERT_TRUE(
        calvoran::fixtures::writeWav(wav, calvoran::fixtures::sine(440, 20.0, 44100, 2, 0.4), 44100, 2));
    if (!calvoran::fixtures::encodeMp3Cbr(wav, mp3, 128)) GTEST_SKIP() << "lame missing";
    QFile mp3File(QString::fromStdString(mp3.string()));
    ASSERT_TRUE(mp3File.open(QIODevice::ReadOnly));
    const std::string audio = mp3File.readAll().toStdString();
    calvoran::test::LoopbackServer server([&](calvoran::test::LoopbackConnection &c) {
        c.send("ICY 200 OK\r\nicy-name:E2E FM\r\nicy-genre:Test\r\nicy-br:128\r\nicy-metaint:16000\r\n\r\n");
        std::string meta = "StreamTitle='E2E Song';";
        meta.resize(32, '\0');
        for (std::size_t at = 0; at + 16000 <= audio.size(); at += 16000) {
            if (!c.send(audio.substr(at, 16000)) || !c.send(std::string(1, '\x02') + meta)) return;
            if (at >= 32000) c.pause(std::chrono::milliseconds(1000));
        }
    });
    const QByteArray url = QByteArray::fromStdString(server.url("/"));
    QFile presets(home.filePath("NetRadio.ini"));
    ASSERT_TRUE(presets.open(QIODevice::WriteOnly));
    presets.write("[General]\r\nCount=1\r\n[Preset 0]\r\nURL=" + url + "\r\nName=\r\n");
    presets.close();
    QFile::remove(home.filePath("playlist.m3u"));

    const QString main = startPlayer();
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    click(main, 150, 100, 3); // the pop-up menu: Controls, then Play Internet Stream
    xdotool({"key", "Down", "Down", "Right", "Down", "Down", "Down", "Return"});
    const QString radio = findWindow("Calvoran Radio");
    ASSERT_FALSE(radio.isEmpty()) << "the menu showed no radio window";
    xdotool({"windowmove", radio, "300", "200"});
    QThread::msleep(300);
    // The first row of the station list, below the address field and the list's header.
    xdotool({"mousemove", "--window", radio, "120", "72"});
    QThread::msleep(150);
    xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    QElapsedTimer clock;
    clock.start();
    while (loudSamples(home.filePath("out.raw")) < 44100 && clock.elapsed() < 15000)
        QThread::msleep(200);
    EXPECT_GE(loudSamples(home.filePath("out.raw")), 44100)
        << "less than half a second of the station was heard";
    QThread::msleep(1200); // a tick or two of the tag timer

    click(main, 150, 100, 3); // Exit, the menu's last item
    xdotool({"key", "Up", "Return"});
    ASSERT_TRUE(player.waitForFinished(15000)) << "the player did not exit";
    QSettings saved(home.filePath("NetRadio.ini"), QSettings::IniFormat);
    EXPECT_EQ(saved.value("Preset 0/Name").toString(), "E2E FM");
    EXPECT_EQ(saved.value("Preset 0/BitRate").toInt(), 128);
    EXPECT_EQ(saved.value("Preset 0/Genre").toString(), "Test");
}
