// The real player on a virtual X server, driven with xdotool: with a track playing, the VS Lab
// window animates and the level meters' needles move once switched on.
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

class VirtualScreen {
public:
    bool start() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return false;
        for (int n = 400 + static_cast<int>(QCoreApplication::applicationPid() % 300); n < 900; ++n) {
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
                if (server_->state() != QProcess::Running) break;
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

// A chord whose loudness swells, so both the wave and the levels keep changing.
void writeMusic(const QString &path, double seconds) {
    const int rate = 44100;
    const auto frames = static_cast<uint32_t>(seconds * rate);
    QByteArray data;
    data.reserve(static_cast<int>(frames * 4));
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double swell = 0.55 + 0.45 * std::sin(2 * M_PI * 0.7 * t);
        const double v = swell * (0.4 * std::sin(2 * M_PI * 220 * t) + 0.25 * std::sin(2 * M_PI * 331 * t) +
                                  0.15 * std::sin(2 * M_PI * 1250 * t));
        const auto s = static_cast<int16_t>(30000 * v);
        for (int c = 0; c < 2; ++c) {
            data.append(static_cast<char>(s & 0xFF));
            data.append(static_cast<char>((s >> 8) & 0xFF));
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

int distinctColours(const QImage &image, const QRect &area) {
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

class VisualsOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (screen().display().isEmpty())
            GTEST_SKIP() << "Xvfb is not installed; the on-screen tests need it";
        ASSERT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty()) << "xdotool is missing";
        ASSERT_FALSE(QStandardPaths::findExecutable("import").isEmpty()) << "ImageMagick's import is missing";
        const QString stage = qEnvironmentVariable("CALVORAN_STAGE");
        ASSERT_TRUE(QFile::exists(stage + "/Skins.ini")) << "no staged skins in " << stage.toStdString();
        QFile::copy(stage + "/Skins.ini", home.filePath("Skins.ini"));
        copyTree(stage + "/Skins", home.filePath("Skins"));
        writeMusic(home.filePath("music.wav"), 30);
        QFile list(home.filePath("playlist.m3u"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\r\n#EXTINF:30,1. Chord - Swell\r\n" + home.filePath("music.wav").toUtf8() +
                   "\r\n");
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
        if (HasFailure()) std::printf("player output: %s\n", player.readAll().constData());
    }

    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", screen().display());
        e.insert("QT_QPA_PLATFORM", "xcb");
        e.insert("CALVORAN_HOME", home.path());
        e.insert("CALVORAN_MESSAGE_LOG", home.filePath("messages.txt"));
        e.insert("CALVORAN_INSTANCE_NAME",
                 "calvoran-e2e-visuals-" + QString::number(QCoreApplication::applicationPid()));
        e.insert("SDL_AUDIODRIVER", "disk");
        e.insert("SDL_DISKAUDIOFILE", home.filePath("out.raw"));
        return e;
    }

    QString run(const QString &program, const QStringList &args, int timeoutMs = 15000) const {
        QProcess p;
        p.setProcessEnvironment(env());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromUtf8(p.readAll()).trimmed();
    }
    QString xdotool(const QStringList &args) const { return run("xdotool", args); }

    QString findWindow(const QString &title) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            const QString ids = xdotool({"search", "--onlyvisible", "--name", '^' + title + '$'});
            if (!ids.isEmpty() && !ids.contains(' ') && ids.at(0).isDigit()) return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }

    QSize windowSize(const QString &window) const {
        QSize s;
        for (const QString &line : xdotool({"getwindowgeometry", "--shell", window}).split('\n')) {
            const auto kv = line.split('=');
            if (kv.size() != 2) continue;
            if (kv[0] == "WIDTH") s.setWidth(kv[1].toInt());
            if (kv[0] == "HEIGHT") s.setHeight(kv[1].toInt());
        }
        return s;
    }

    void click(const QString &window, int x, int y, int button = 1) const {
        xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y)});
        QThread::msleep(150);
        xdotool({"click", QString::number(button)});
        QThread::msleep(300);
    }

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

    QTemporaryDir home;
    QProcess player;
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
