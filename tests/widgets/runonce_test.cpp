#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

QString probe() { return qEnvironmentVariable("RUNONCE_PROBE"); }

QProcessEnvironment probeEnv(const QString &name) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CALVORAN_INSTANCE_NAME", name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

bool readUntil(QProcess &p, const QByteArray &what, QByteArray &seen, int ms = 10000) {
    while (!seen.contains(what)) {
        if (!p.waitForReadyRead(ms))
            return seen.contains(what);
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
