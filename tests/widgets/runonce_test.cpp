#include "widgets/TVrRunOnce.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString probe() {
    return qEnvironmentVariable("RUNONCE_PROBE");
}

QProcessEnvironment probeEnv(const QString &name) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CALVORAN_INSTANCE_NAME", name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

bool readUntil(QProcess &p, const QByteArray &what, QByteArray &seen, int ms = 10000) {
    while (!seen.contains(what)) {
        if (!p.waitForReadyRead(ms)) return seen.contains(what);
        seen += p.readAllStandardOutput();
    }
    return true;
}

} // namespace

TEST(RunOnce, SecondCopyAsksTheFirstToRestoreShowsTheMessageAndEnds) {
    ASSERT_FALSE(probe().isEmpty());
    const QString name = "calvoran-runonce-" + QString::number(QCoreApplication::applicationPid());

    QProcess first;
    first.setProcessEnvironment(probeEnv(name));
    first.start(probe(), {});
    QByteArray firstOut;
    ASSERT_TRUE(readUntil(first, "first", firstOut)) << firstOut.constData();

    QProcess second;
    second.setProcessEnvironment(probeEnv(name));
    second.start(probe(), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    const QByteArray secondOut = second.readAllStandardOutput();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(secondOut.contains("message:Calvoran Player|Calvoran Player is already running!"))
        << secondOut.constData();
    EXPECT_FALSE(secondOut.contains("first"));
    EXPECT_TRUE(secondOut.contains("ended"));

    EXPECT_TRUE(readUntil(first, "restore-request", firstOut)) << firstOut.constData();
    first.kill();
    first.waitForFinished();
}

TEST(RunOnce, ACopyThatDiedLeavesNothingBehind) {
    const QString name = "calvoran-runonce-stale-" + QString::number(QCoreApplication::applicationPid());
    QProcess crashed;
    crashed.setProcessEnvironment(probeEnv(name));
    crashed.start(probe(), {});
    QByteArray out;
    ASSERT_TRUE(readUntil(crashed, "first", out));
    crashed.kill(); // SIGKILL: no clean-up runs
    crashed.waitForFinished();

    QProcess next;
    next.setProcessEnvironment(probeEnv(name));
    next.start(probe(), {});
    QByteArray nextOut;
    EXPECT_TRUE(readUntil(next, "first", nextOut)) << nextOut.constData();
    EXPECT_FALSE(nextOut.contains("already running"));
    next.kill();
    next.waitForFinished();
}

namespace {

// A scratch folder standing in for a shared temporary folder, with the private folder of this user
// already planted in it by someone else.
struct PlantedTemp {
    QTemporaryDir tmp;
    QTemporaryDir home;
    QString planted;
    PlantedTemp() {
        planted = tmp.path() + "/calvoran-" + QString::number(::geteuid());
        QDir().mkpath(planted);
        ::chmod(QFile::encodeName(planted).constData(), 0777);
        QFile lock(planted + "/Calvoran Player.lock");
        lock.open(QIODevice::WriteOnly);
        lock.close();
    }
};

} // namespace

TEST(RunOnce, LockAndSocketLiveInThePrivateRuntimeFolder) {
    QTemporaryDir runtime;
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    const QString name = "calvoran-runonce-private-" + QString::number(QCoreApplication::applicationPid());
    QProcessEnvironment env = probeEnv(name);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(probe(), {});
    QByteArray out;
    ASSERT_TRUE(readUntil(first, "first", out)) << out.constData();
    EXPECT_TRUE(QFileInfo::exists(runtime.path() + '/' + name + ".lock"));
    EXPECT_TRUE(QFileInfo::exists(runtime.path() + '/' + name + ".sock"));
    first.kill();
    first.waitForFinished();

    // A runtime folder others may enter is not used.
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0777);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_NE(calvoran::TVrRunOnce::runtimeFolder(), runtime.path());
    qunsetenv("XDG_RUNTIME_DIR");
}

// Someone else made this user's folder in the shared temporary folder and put a lock in it: the player
// must still start, from a folder of its own.
TEST(RunOnce, FilesPlantedByOthersCannotStopThePlayer) {
    if (::geteuid() != 0) GTEST_SKIP() << "planting a folder for another user needs root";
    PlantedTemp temp;
    ASSERT_EQ(::chown(QFile::encodeName(temp.planted).constData(), 12345, 12345), 0);
    ASSERT_EQ(::chown(QFile::encodeName(temp.planted + "/Calvoran Player.lock").constData(), 12345, 12345),
              0);
    QProcessEnvironment env = probeEnv("Calvoran Player");
    env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", temp.tmp.path());
    env.insert("HOME", temp.home.path());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(probe(), {});
    QByteArray out;
    EXPECT_TRUE(readUntil(first, "first", out)) << out.constData();
    EXPECT_FALSE(out.contains("already running"));
    first.kill();
    first.waitForFinished();
}

TEST(RunOnce, OnlyTheRestoreLineIsARequest) {
    EXPECT_TRUE(calvoran::TVrRunOnce::isRestoreRequest("restore\n"));
    for (const char *other : {"", "restore", "restore\nrestore\n", "restorex\n", "please restore\n"})
        EXPECT_FALSE(calvoran::TVrRunOnce::isRestoreRequest(other)) << other;
}
