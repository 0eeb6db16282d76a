// The real player on a virtual X server: the configuration window's plug-in page finds the shipped
// plug-ins, Start opens the plug-ins window that follows the music, Stop takes it away.
#include "OnScreen.h"

#include <QElapsedTimer>
#include <QImage>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Drums and a chord: a beat the plug-ins can see.
int16_t music(uint32_t i) {
    const double t = static_cast<double>(i) / 44100;
    const double beat = std::fmod(t, 0.5);
    const double kick = std::sin(2 * M_PI * (60 + 120 * std::exp(-beat * 30)) * beat) * std::exp(-beat * 8);
    const double chord =
        0.25 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277 * t) + std::sin(2 * M_PI * 1320 * t));
    return static_cast<int16_t>(20000 * std::clamp(0.6 * kick + 0.4 * chord, -1.0, 1.0));
}

int distinctColours(const QImage &image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

class PluginsOnScreen : public onscreen::PlayerTest {
protected:
    PluginsOnScreen() : PlayerTest(430) {}
    void SetUp() override {
        if (!prepare()) {
            if (screenMissing()) GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
            return;
        }
        ASSERT_FALSE(QStandardPaths::findExecutable("import").isEmpty()) << "ImageMagick's import is missing";
        onscreen::copyTree(qEnvironmentVariable("CALVORAN_STAGE") + "/vis", home.filePath("vis"));
        ASSERT_TRUE(QFile::exists(home.filePath("vis/ember.so")));
        ASSERT_TRUE(onscreen::writeWav(home.filePath("music.wav"), 60, music));
        writePlaylist("#EXTINF:60,1. Drums - Chord\r\n" + home.filePath("music.wav").toUtf8() + "\r\n");
    }

    // Starts the player, plays the track and starts the first plug-in; its window, or empty.
    QString startPlugin(QString &main, QString &config) {
        player.setProcessEnvironment(env());
        player.setProcessChannelMode(QProcess::MergedChannels);
        player.start(qEnvironmentVariable("CALVORAN_EXE"), {});
        if (!player.waitForStarted()) return {};
        main = findWindow("Calvoran Player");
        if (main.isEmpty()) return {};
        QElapsedTimer clock;
        clock.start();
        while (geometry(main).width() <= 2 && clock.elapsed() < 15000)
            QThread::msleep(100);
        QThread::msleep(300);
        click(main, 211 + 29, 80 + 10); // Midnight's playlist button
        const QString list = findWindow("Calvoran PlayList");
        if (list.isEmpty()) return {};
        xdotool({"windowmove", list, "500", "0"});
        QThread::msleep(300);
        click(list, 60, 32);
        click(main, 58 + 20, 80 + 10); // play
        QThread::msleep(500);

        // Menu: Visuals, Sonique Visual Plugins.
        click(main, 150, 100, 3);
        for (const char *key : {"Down", "Down", "Down", "Down", "Right", "Down", "Down", "Down", "Return"}) {
            xdotool({"key", key});
            QThread::msleep(120);
        }
        config = findWindow("Configuration");
        if (config.isEmpty()) return {};
        xdotool({"windowmove", config, "0", "300"});
        QThread::msleep(400);
        click(config, kPageX + 10 + 55, 98 + 13); // Scan for plugins
        QThread::msleep(500);
        click(config, kPageX + 126 + 23, 98 + 13); // Start
        return findWindow("Sonique Plugins");
    }
    static constexpr int kPageX = 177;

    QImage shot(const QString &window, const QString &name) const {
        const QString file = home.filePath(name);
        run("import", {"-window", window, file});
        return QImage(file);
    }
};

} // namespace

TEST_F(PluginsOnScreen, StartedPluginFollowsTheMusicAndStopClosesIt) {
    QString main, config;
    const QString plugins = startPlugin(main, config);
    ASSERT_FALSE(plugins.isEmpty()) << "Start opened no plug-ins window";
    xdotool({"windowmove", plugins, "500", "300"});
    xdotool({"windowsize", plugins, "420", "360"});
    QThread::msleep(1200);
    const QImage first = shot(plugins, "plugins1.png");
    QThread::msleep(350);
    const QImage second = shot(plugins, "plugins2.png");
    ASSERT_FALSE(first.isNull());
    ASSERT_EQ(first.size(), second.size());
    // The drawing area, inside the window's margins and below its menu bar.
    const QRect area(8, first.height() - 200, first.width() - 16, 190);
    EXPECT_GT(distinctColours(first.copy(area)), 30) << "blank plug-in picture";
    EXPECT_NE(first.copy(area), second.copy(area)) << "the plug-in showed the same frame twice";
    const QString keep = qEnvironmentVariable("CALVORAN_SHOTS");
    if (!keep.isEmpty()) {
        first.save(keep + "/plugins-window-1.png");
        second.save(keep + "/plugins-window-2.png");
        shot(config, "config.png").save(keep + "/plugins-page.png");
    }

    click(config, kPageX + 176 + 23, 98 + 13); // Stop
    QThread::msleep(600);
    EXPECT_TRUE(xdotool({"search", "--onlyvisible", "--name", "^Sonique Plugins$"}).isEmpty())
        << "the plug-ins window stayed after Stop";
    EXPECT_EQ(player.state(), QProcess::Running);
}

TEST_F(PluginsOnScreen, ExitWhileAPluginRunsReleasesItAndSavesThePlaylist) {
    QString main, config;
    const QString plugins = startPlugin(main, config);
    ASSERT_FALSE(plugins.isEmpty()) << "Start opened no plug-ins window";
    xdotool({"windowmove", plugins, "500", "300"});
    QThread::msleep(500);
    click(main, 150, 100, 3);
    xdotool({"key", "Up"}); // the menu's last item: Exit
    QThread::msleep(120);
    xdotool({"key", "Return"});
    ASSERT_TRUE(player.waitForFinished(15000)) << "the player did not end";
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    QFile list(home.filePath("playlist.m3u"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("music.wav"));
}
