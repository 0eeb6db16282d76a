#pragma once
// What the on-screen tests share: one Xvfb per test program, the player started in a folder of its
// own with the staged skins, and xdotool to drive it.
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
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace onscreen {

// Samples louder than -30 dB in a 16-bit raw file the disk driver wrote: was anything heard.
inline int loudSamples(const QString &rawFile) {
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

// An Xvfb on a display number nobody uses, searched upwards from firstNumber.
class VirtualScreen {
public:
    bool start(int firstNumber) {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return false;
        const int from = firstNumber + static_cast<int>(QCoreApplication::applicationPid() % 300);
        for (int n = from; n < from + 500; ++n) {
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

inline VirtualScreen &screen(int firstNumber) {
    static VirtualScreen s;
    static const bool started = s.start(firstNumber);
    (void)started;
    return s;
}

// A 44.1 kHz stereo 16-bit WAV file whose both sides carry sample(i) for frame i.
inline bool writeWav(const QString &path, double seconds, const std::function<int16_t(uint32_t)> &sample) {
    const uint32_t rate = 44100;
    const auto frames = static_cast<uint32_t>(seconds * rate);
    QByteArray data;
    data.reserve(static_cast<int>(frames * 4));
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t v = sample(i);
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
    return f.open(QIODevice::WriteOnly) && f.write(wav) == wav.size();
}

inline void copyTree(const QString &from, const QString &to) {
    QDir().mkpath(to);
    const QDir dir(from);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (info.isDir())
            copyTree(info.filePath(), to + '/' + info.fileName());
        else
            QFile::copy(info.filePath(), to + '/' + info.fileName());
    }
}

// The player in a program folder of its own, its sound written to out.raw, driven with xdotool.
class PlayerTest : public ::testing::Test {
protected:
    explicit PlayerTest(int firstDisplay) : firstDisplay_(firstDisplay) {}

    // False (with the test skipped or failed) when the screen or the tools are missing.
    bool prepare() {
        if (display().isEmpty()) {
            skipped_ = true;
            return false;
        }
        EXPECT_FALSE(QStandardPaths::findExecutable("xdotool").isEmpty()) << "xdotool is missing";
        const QString stage = qEnvironmentVariable("CALVORAN_STAGE");
        EXPECT_TRUE(QFile::exists(stage + "/Skins.ini")) << "no staged skins in " << stage.toStdString();
        if (HasFailure()) return false;
        QFile::copy(stage + "/Skins.ini", home.filePath("Skins.ini"));
        copyTree(stage + "/Skins", home.filePath("Skins"));
        QSettings ini(home.filePath("Calvoran.ini"), QSettings::IniFormat);
        ini.setValue("Calvoran/SkinName", "Midnight");
        ini.setValue("Calvoran/Volume", 100);
        return true;
    }
    bool screenMissing() const { return skipped_; }

    void writePlaylist(const QByteArray &lines) {
        QFile list(home.filePath("playlist.m3u"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\r\n" + lines);
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

    QString display() const { return screen(firstDisplay_).display(); }

    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", display());
        e.insert("QT_QPA_PLATFORM", "xcb");
        e.insert("CALVORAN_HOME", home.path());
        e.insert("CALVORAN_MESSAGE_LOG", home.filePath("messages.txt"));
        e.insert("CALVORAN_INSTANCE_NAME",
                 "calvoran-e2e-" + QString::number(QCoreApplication::applicationPid()) + "-" +
                     QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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
    QString xdotool(const QStringList &args, int timeoutMs = 15000) const {
        return run("xdotool", args, timeoutMs);
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

    QTemporaryDir home;
    QProcess player;

private:
    int firstDisplay_;
    bool skipped_ = false;
};

} // namespace onscreen
