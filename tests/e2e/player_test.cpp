// The real player on a virtual X server, driven with xdotool: skinned buttons, the menu, dragging, radio.
#include "../audio/LoopbackServer.h"
#include "Fixtures.h"
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

namespace {

// One Xvfb for the whole program, on a display number nobody uses.
class VirtualScreen {
public:
    bool start() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return false;
        for (int n = 90 + static_cast<int>(QCoreApplication::applicationPid() % 300); n < 700; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            server_ = std::make_unique<QProcess>();
            server_->start(xvfb,
                           {QStringLiteral(":%1").arg(n), "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
            if (!server_->waitForStarted(5000)) return false;
            for (int i = 0; i < 200; ++i) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    display_ = QStringLiteral(":%1").arg(n);
                    return true;
                }
                if (server_->state() != QProcess::Running) break; // lost the race for this number
                QThread::msleep(25);
            }
            server_->kill();
            server_->waitForFinished();
        }
        return false;
    }
    ~VirtualScreen() {
        if (server_) {
            server_->terminate();
            server_->waitForFinished(5000);
        }
    }
    QString display() const { return display_; }

private:
    std::unique_ptr<QProcess> server_;
    QString display_;
};

VirtualScreen &screen() {
    static VirtualScreen s;
    static const bool started = s.start();
    (void)started;
    return s;
}

void writeTone(const QString &path, double seconds) {
    const int rate = 44100;
    const auto frames = static_cast<uint32_t>(seconds * rate);
    QByteArray data;
    data.reserve(static_cast<int>(frames * 4));
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440 * i / rate));
        for (int c = 0; c < 2; ++c) {
            data.append(static_cast<char>(v & 0xFF));
            data.append(static_cast<char>((v >> 8) & 0xFF));
        }
    }
    auto le32 = [](uint32_t v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    QByteArray wav = "RIFF" + le32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + le32(16);
    wav += QByteArray::fromHex("01000200") + le32(rate) + le32(rate * 4) + QByteArray::fromHex("04001000");
    wav += "data" + le32(static_cast<uint32_t>(data.size())) + data;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav);
}

void copyTree(const QString &from, const QString &to) {
    QDir().mkpath(to);
    const QDir dir(from);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (info.isDir())
            copyTree(info.filePath(), to + '/' + info.fileName());
        else
            QFile::copy(info.filePath(), to + '/' + info.fileName());
    }
}

int loudSamples(const QString &rawFile) {
    QFile f(rawFile);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray raw = f.readAll();
    int loud = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
        int16_t v;
        std::memcpy(&v, raw.constData() + i, 2);
        loud += std::abs(v) > 1000;
    }
    return loud;
}

class PlayerOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (screen().display().isEmpty())
            GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
        ASSERT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty()) << "xdotool is missing";
        const QString stage = qEnvironmentVariable("CALVORAN_STAGE");
        ASSERT_TRUE(QFile::exists(stage + "/Skins.ini")) << "no staged skins in " << stage.toStdString();
        QFile::copy(stage + "/Skins.ini", home.filePath("Skins.ini"));
        copyTree(stage + "/Skins", home.filePath("Skins"));
        writeTone(home.filePath("one.wav"), 4);
        writeTone(home.filePath("two.wav"), 4);
        QFile list(home.filePath("playlist.m3u"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\r\n#EXTINF:4,1. Tone - One\r\n" + home.filePath("one.wav").toUtf8() +
                   "\r\n#EXTINF:4,2. Tone - Two\r\n" + home.filePath("two.wav").toUtf8() + "\r\n");
        list.close();
        QSettings ini(home.filePath("Calvoran.ini"), QSettings::IniFormat);
        ini.setValue("Calvoran/SkinName", "Midnight");
        ini.setValue("Calvoran/Volume", 100);
    }
    void TearDown() override {
        if (player.state() != QProcess::NotRunning) {
            player.terminate();
            if (!player.waitForFinished(10000)) player.kill();
            player.waitForFinished();
        }
        if (HasFailure()) {
            QFile log(home.filePath("messages.txt"));
            if (log.open(QIODevice::ReadOnly)) std::printf("messages: %s\n", log.readAll().constData());
            std::printf("player output: %s\n", player.readAll().constData());
        }
    }

    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", screen().display());
        e.insert("QT_QPA_PLATFORM", "xcb");
        e.insert("CALVORAN_HOME", home.path());
        e.insert("CALVORAN_MESSAGE_LOG", home.filePath("messages.txt"));
        e.insert("CALVORAN_INSTANCE_NAME",
                 "calvoran-e2e-player-" + QString::number(QCoreApplication::applicationPid()) + "-" +
                     QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        e.insert("SDL_AUDIODRIVER", "disk");
        e.insert("SDL_DISKAUDIOFILE", home.filePath("out.raw"));
        return e;
    }

    QString xdotool(const QStringList &args, int timeoutMs = 15000) const {
        QProcess p;
        p.setProcessEnvironment(env());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("xdotool", args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromUtf8(p.readAll()).trimmed();
    }

    // The first visible window with exactly this title.
    QString findWindow(const QString &title) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            const QString ids = xdotool({"search", "--onlyvisible", "--name", '^' + title + '$'}, 5000);
            if (!ids.isEmpty() && !ids.contains(' ') && ids.at(0).isDigit()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }

    QRect geometry(const QString &window) const {
        QRect r;
        for (const QString &line : xdotool({"getwindowgeometry", "--shell", window}).split('\n')) {
            const auto kv = line.split('=');
            if (kv.size() != 2) continue;
            if (kv[0] == "X") r.moveLeft(kv[1].toInt());
            if (kv[0] == "Y") r.moveTop(kv[1].toInt());
            if (kv[0] == "WIDTH") r.setWidth(kv[1].toInt());
            if (kv[0] == "HEIGHT") r.setHeight(kv[1].toInt());
        }
        return r;
    }

    void click(const QString &window, int x, int y, int button = 1) const {
        xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y)});
        QThread::msleep(150);
        xdotool({"click", QString::number(button)});
        QThread::msleep(300);
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

    QTemporaryDir home;
    QProcess player;
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
