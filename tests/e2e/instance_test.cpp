// The real program, started twice.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QProcessEnvironment playerEnv(const QTemporaryDir &home, const QString &messages) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CALVORAN_HOME", home.path());
    env.insert("CALVORAN_MESSAGE_LOG", messages);
    env.insert("CALVORAN_INSTANCE_NAME",
               "calvoran-e2e-" + QString::number(QCoreApplication::applicationPid()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    return env;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Program, SecondStartShowsTheMessageAndEndsWhileTheFirstKeepsRunning) {
    QTemporaryDir home;
    const QString firstLog = home.filePath("first.log");
    const QString secondLog = home.filePath("second.log");

    QProcess first;
    first.setProcessEnvironment(playerEnv(home, firstLog));
    first.start(qEnvironmentVariable("CALVORAN_EXE"), {});
    ASSERT_TRUE(first.waitForStarted());
    // The settings file appears once start-up has read and written the volume.
    for (int i = 0; i < 200 && !QFile::exists(home.filePath("Calvoran.ini")); ++i)
        QThread::msleep(25);
    ASSERT_TRUE(QFile::exists(home.filePath("Calvoran.ini")));

    QProcess second;
    second.setProcessEnvironment(playerEnv(home, secondLog));
    second.start(qEnvironmentVariable("CALVORAN_EXE"), {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(readAll(secondLog), "Calvoran Player|Calvoran Player is already running!\n");

    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(readAll(firstLog).isEmpty());

    // SIGTERM closes the first copy the orderly way.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

// A FIFO in the playlist used to hang the player in the file open at close, so SIGTERM never ended it.
TEST(Program, AFifoInThePlaylistDoesNotHangTheClose) {
    QTemporaryDir home;
    const QString fifo = home.filePath("x.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    {
        QFile list(home.filePath("playlist.m3u"));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\r\n#EXTINF:005,1. x\r\n" + QFile::encodeName(fifo) + "\r\n");
    }
    QProcess player;
    player.setProcessEnvironment(playerEnv(home, home.filePath("messages.log")));
    player.start(qEnvironmentVariable("CALVORAN_EXE"), {});
    ASSERT_TRUE(player.waitForStarted());
    for (int i = 0; i < 200 && !QFile::exists(home.filePath("Calvoran.ini")); ++i)
        QThread::msleep(25);
    player.terminate();
    const bool ended = player.waitForFinished(15000);
    if (!ended) player.kill();
    ASSERT_TRUE(ended) << "the player did not end on SIGTERM";
    EXPECT_EQ(player.exitCode(), 0);
    // The FIFO is kept in the list, unmeasured.
    EXPECT_TRUE(readAll(home.filePath("playlist.m3u")).contains(QFile::encodeName(fifo)));
}
