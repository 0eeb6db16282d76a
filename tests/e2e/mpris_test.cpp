// The real player on the session bus: a private bus daemon, the player under Xvfb with the disk
// driver, and playerctl, gdbus and dbus-monitor as a desktop's media keys and sound menu would use them.
#include "Fixtures.h"
#include "OnScreen.h"

#include <QElapsedTimer>
#include <QSettings>
#include <cmath>
#include <cstring>

using onscreen::loudSamples;

namespace {

class MediaKeys : public onscreen::PlayerTest {
protected:
    MediaKeys() : PlayerTest(150) {}

    void SetUp() override {
        for (const char *tool : {"dbus-daemon", "playerctl", "gdbus", "dbus-monitor"})
            if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
        if (!prepare()) {
            if (screenMissing()) GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
            return;
        }
        // A private session bus, so the test needs no desktop session and meets no other player.
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus_.waitForStarted());
        ASSERT_TRUE(bus_.waitForReadyRead(5000));
        busAddress_ = QString::fromUtf8(bus_.readLine()).trimmed();
        ASSERT_FALSE(busAddress_.isEmpty());

        const auto tone = [](double hz) {
            return [hz](uint32_t i) {
                return static_cast<int16_t>(12000 * std::sin(2 * M_PI * hz * i / 44100.0));
            };
        };
        ASSERT_TRUE(onscreen::writeWav(home.filePath("one.wav"), 5, tone(440)));
        ASSERT_TRUE(onscreen::writeWav(home.filePath("two.wav"), 5, tone(550)));
        ASSERT_TRUE(onscreen::writeWav(home.filePath("three.wav"), 5, tone(660)));
        namespace fx = calvoran::fixtures;
        ASSERT_TRUE(fx::encodeFlac(home.filePath("three.wav").toStdString(),
                                   home.filePath("three.flac").toStdString()));
        writePlaylist("#EXTINF:5,1. Tone - One\r\n" + home.filePath("one.wav").toUtf8() +
                      "\r\n#EXTINF:5,2. Tone - Two\r\n" + home.filePath("two.wav").toUtf8() +
                      "\r\n#EXTINF:5,3. Tone - Three\r\n" + home.filePath("three.flac").toUtf8() + "\r\n");
    }

    void TearDown() override {
        PlayerTest::TearDown();
        for (QProcess *p : {&monitor_, &bus_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
            p->waitForFinished();
        }
    }

    QProcessEnvironment busEnv() const {
        QProcessEnvironment e = env();
        e.insert("DBUS_SESSION_BUS_ADDRESS", busAddress_);
        return e;
    }

    QString tool(const QString &program, const QStringList &args) const {
        QProcess p;
        p.setProcessEnvironment(busEnv());
        p.start(program, args);
        if (!p.waitForFinished(10000)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    QString playerctl(const QStringList &args) const {
        return tool("playerctl", QStringList{"-p", "calvoran"} + args);
    }

    // Starts the player and waits until it owns its bus name.
    bool startPlayer() {
        player.setProcessEnvironment(busEnv());
        player.setProcessChannelMode(QProcess::MergedChannels);
        player.start(qEnvironmentVariable("CALVORAN_EXE"), {});
        if (!player.waitForStarted()) return false;
        return waitUntil([this] { return tool("playerctl", {"-l"}).split('\n').contains("calvoran"); },
                         20000);
    }

    static bool waitUntil(const std::function<bool()> &done, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms) return false;
            QThread::msleep(100);
        }
        return true;
    }

    QProcess bus_;
    QProcess monitor_;
    QString busAddress_;
};

} // namespace

TEST_F(MediaKeys, PlayNextStopVolumeAndSeekThroughTheBusAndTheLastEntryIsSelectedAfterARestart) {
    ASSERT_TRUE(startPlayer()) << "the player never took its bus name";
    EXPECT_EQ(tool("gdbus", {"call", "--session", "-d", "org.mpris.MediaPlayer2.calvoran", "-o",
                             "/org/mpris/MediaPlayer2", "-m", "org.freedesktop.DBus.Properties.Get",
                             "org.mpris.MediaPlayer2", "Identity"}),
              "(<'Calvoran Player'>,)");
    EXPECT_EQ(playerctl({"status"}), "Stopped");

    // First start: nothing was selected by hand, yet Play plays the first entry.
    playerctl({"play"});
    EXPECT_TRUE(waitUntil([this] { return loudSamples(home.filePath("out.raw")) > 44100; }, 10000))
        << "the output file never received the track";
    EXPECT_EQ(playerctl({"status"}), "Playing");
    EXPECT_EQ(playerctl({"metadata", "title"}), "1. Tone - One");
    EXPECT_EQ(playerctl({"metadata", "mpris:trackid"}), "'/org/mpris/MediaPlayer2/calvoran/track/0'");
    EXPECT_EQ(playerctl({"metadata", "mpris:length"}), "5000000");
    EXPECT_GT(playerctl({"position"}).toDouble(), 0.0);

    // The volume goes through the slider, which writes the setting.
    playerctl({"volume", "0.3"});
    EXPECT_EQ(playerctl({"volume"}), "0.300000");
    EXPECT_EQ(QSettings(home.filePath("Calvoran.ini"), QSettings::IniFormat).value("Calvoran/Volume").toInt(),
              30);

    playerctl({"position", "3"});
    const double at = playerctl({"position"}).toDouble();
    EXPECT_GE(at, 3.0);
    EXPECT_LT(at, 4.5);

    monitor_.setProcessEnvironment(busEnv());
    // Line-buffered, so each signal can be read as it comes.
    monitor_.start("stdbuf",
                   {"-oL", "dbus-monitor", "--session", "type='signal',member='PropertiesChanged'"});
    ASSERT_TRUE(monitor_.waitForStarted());
    QThread::msleep(500);
    playerctl({"next"});
    QByteArray seen;
    EXPECT_TRUE(waitUntil(
        [&] {
            monitor_.waitForReadyRead(100); // no event loop here: pull what has arrived
            seen += monitor_.readAllStandardOutput();
            return seen.contains("2. Tone - Two");
        },
        5000))
        << "no PropertiesChanged with the new title: " << seen.constData();
    EXPECT_EQ(playerctl({"metadata", "title"}), "2. Tone - Two");

    playerctl({"next"});
    EXPECT_TRUE(waitUntil([this] { return playerctl({"metadata", "title"}) == "3. Tone - Three"; }, 5000));
    EXPECT_EQ(playerctl({"status"}), "Playing") << "the FLAC entry plays";
    playerctl({"stop"});
    EXPECT_TRUE(waitUntil([this] { return playerctl({"status"}) == "Stopped"; }, 3000));

    // Quit through the bus, as a session ending would; the next start selects the third entry.
    tool("gdbus", {"call", "--session", "-d", "org.mpris.MediaPlayer2.calvoran", "-o",
                   "/org/mpris/MediaPlayer2", "-m", "org.mpris.MediaPlayer2.Quit"});
    ASSERT_TRUE(player.waitForFinished(10000)) << "Quit did not end the player";
    ASSERT_TRUE(startPlayer());
    playerctl({"play"});
    EXPECT_TRUE(waitUntil([this] { return playerctl({"status"}) == "Playing"; }, 5000));
    EXPECT_EQ(playerctl({"metadata", "title"}), "3. Tone - Three");
}
