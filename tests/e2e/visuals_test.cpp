// The real player on a virtual X server, driven with xdotool: with a track playing, the VS Lab
// window animates and the level meters' needles move once switched on.
#include "OnScreen.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A chord whose loudness swells, so both the wave and the levels keep changing.
int16_t music(uint32_t i) {
    const double t = static_cast<double>(i) / 44100;
    const double swell = 0.55 + 0.45 * std::sin(2 * M_PI * 0.7 * t);
    const double v = swell * (0.4 * std::sin(2 * M_PI * 220 * t) + 0.25 * std::sin(2 * M_PI * 331 * t) +
                              0.15 * std::sin(2 * M_PI * 1250 * t));
    return static_cast<int16_t>(30000 * v);
}

int distinctColours(const QImage &image, const QRect &area) {
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

class VisualsOnScreen : public onscreen::PlayerTest {
protected:
    VisualsOnScreen() : PlayerTest(400) {}
    void SetUp() override {
        if (!prepare()) {
            if (screenMissing()) GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
            return;
        }
        ASSERT_FALSE(QStandardPaths::findExecutable("import").isEmpty()) << "ImageMagick's import is missing";
        ASSERT_TRUE(onscreen::writeWav(home.filePath("music.wav"), 30, music));
        writePlaylist("#EXTINF:30,1. Chord - Swell\r\n" + home.filePath("music.wav").toUtf8() + "\r\n");
    }

    QSize windowSize(const QString &window) const { return geometry(window).size(); }

    void keys(const QStringList &names) const {
        for (const QString &name : names) {
            xdotool({"key", name});
            QThread::msleep(120);
        }
    }

    QImage shot(const QString &window) const {
        const QString file = home.filePath(QStringLiteral("shot%1.png").arg(++shots_));
        run("import", {"-window", window, file});
        return QImage(file);
    }

    // The menu's Visuals submenu, then the item `down` places below its first.
    void openVisualsItem(const QString &main, int down) const {
        click(main, 150, 100, 3);
        keys({"Down", "Down", "Down", "Down", "Right"});
        for (int i = 0; i < down; ++i)
            keys({"Down"});
        keys({"Return"});
    }

    mutable int shots_ = 0;
};

} // namespace

TEST_F(VisualsOnScreen, VsLabAnimatesAndTheMetersMoveWhilePlaying) {
    player.setProcessEnvironment(env());
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(qEnvironmentVariable("CALVORAN_EXE"), {});
    ASSERT_TRUE(player.waitForStarted());
    const QString main = findWindow("Calvoran Player");
    ASSERT_FALSE(main.isEmpty()) << "no main window";
    QElapsedTimer clock;
    clock.start();
    while (windowSize(main).width() <= 2 && clock.elapsed() < 15000)
        QThread::msleep(100);
    QThread::msleep(300);

    click(main, 211 + 29, 80 + 10); // Midnight's playlist button
    const QString list = findWindow("Calvoran PlayList");
    ASSERT_FALSE(list.isEmpty());
    xdotool({"windowmove", list, "500", "0"});
    QThread::msleep(300);
    click(list, 60, 32);
    click(main, 58 + 20, 80 + 10); // play
    QThread::msleep(800);

    openVisualsItem(main, 1);
    const QString lab = findWindow("VS Lab");
    ASSERT_FALSE(lab.isEmpty()) << "the VS Lab item opened no window";
    xdotool({"windowmove", lab, "0", "150"});
    QThread::msleep(600);
    const QImage first = shot(lab);
    QThread::msleep(400);
    const QImage second = shot(lab);
    ASSERT_FALSE(first.isNull());
    // The drawing area is the top 169 rows under the menu bar; the gradient and the trace give many
    // colours, and the music moves the trace between the two pictures.
    const QRect area(0, first.height() - 252, 500, 169);
    EXPECT_GT(distinctColours(first, area), 50);
    EXPECT_NE(first.copy(area), second.copy(area)) << "VS Lab showed the same frame twice";

    // Choosing it again raises the same window rather than a second one.
    openVisualsItem(main, 1);
    const QString again = xdotool({"search", "--onlyvisible", "--name", "^VS Lab$"});
    EXPECT_EQ(again.split('\n').size(), 1) << again.toStdString();

    openVisualsItem(main, 0);
    const QString meters = findWindow("Visuals");
    ASSERT_FALSE(meters.isEmpty()) << "the Level Meters item opened no window";
    xdotool({"windowmove", meters, "600", "300"});
    QThread::msleep(400);
    const QImage off1 = shot(meters);
    QThread::msleep(300);
    const QImage off2 = shot(meters);
    EXPECT_EQ(off1, off2) << "the needles moved before the meters were switched on";
    click(meters, 212, 48); // the power button between the meters
    QThread::msleep(300);
    int changes = 0;
    QImage last = shot(meters);
    for (int i = 0; i < 4; ++i) {
        QThread::msleep(250);
        const QImage next = shot(meters);
        changes += next != last;
        last = next;
    }
    EXPECT_GE(changes, 2) << "the needles stood still while the music played";
    EXPECT_NE(last, off1);
}
