#include "Fixtures.h"
#include "Forms.h"
#include "MainWindow.h"
#include "Program.h"
#include "engine/PlaylistWindow.h"
#include "platform/CreationLog.h"
#include "platform/Dialogs.h"
#include "platform/SettingsKey.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

namespace fx = calvoran::fixtures;

struct RunResult {
    int rc = -1;
    std::vector<calvoran::RecordedMessage> messages;
    QString ledText;
    int volume = -1;
    int selected = -2;
    int currentIndex = -2;
};

// Runs the whole start-up, lets the loop start, then closes the main window as a user would.
RunResult runOnce(const QStringList &args = {}) {
    RunResult r;
    calvoran::setMessageRecorder([&](const calvoran::RecordedMessage &m) { r.messages.push_back(m); });
    QTimer closer;
    closer.setInterval(50);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (Form1 && calvoran::programRunning()) {
            r.ledText = Form1->ledText();
            r.volume = Form1->volume();
            r.selected = Form2 ? Form2->SelectedPosition() : -2;
            r.currentIndex = Form1->CurrentIndex;
            Form1->close();
        }
    });
    closer.start();
    r.rc =
        calvoran::RunProgram(*qApp, calvoran::rawCommandLine(QCoreApplication::applicationFilePath(), args));
    calvoran::setMessageRecorder(nullptr);
    return r;
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("CALVORAN_INSTANCE_NAME",
                "calvoran-startup-test-" + QByteArray::number(QCoreApplication::applicationPid()));
        calvoran::clearCreationLog();
    }
    TempHome home;
};

} // namespace

TEST_F(StartUp, WindowsAreCreatedOnceInOrder) {
    const RunResult r = runOnce();
    EXPECT_EQ(r.rc, 0);
    const std::vector<std::string> expected = {"TForm1",    "Tid32",    "TForm2", "TForm5", "TForm4",
                                               "Tbrowser1", "TfrmMain", "Teq2",   "TVSXlab"};
    EXPECT_EQ(calvoran::creationLog(), expected);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(Form2, nullptr);
}

TEST_F(StartUp, FirstRunStartsCleanWithDefaults) {
    const RunResult r = runOnce();
    for (const auto &m : r.messages)
        ADD_FAILURE() << "unexpected box: " << m.caption.toStdString() << ": " << m.text.toStdString();
    EXPECT_EQ(r.ledText, "Calvoran Player");
    EXPECT_EQ(r.volume, 50);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("Volume", -1), 50);
    EXPECT_EQ(calvoran::SettingsKey::openCount(), 0);
}

TEST_F(StartUp, VolumeSurvivesARestart) {
    calvoran::SettingsKey::writeInteger("Volume", 17);
    const RunResult r = runOnce();
    EXPECT_EQ(r.volume, 17);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("Volume", -1), 17);
}

TEST_F(StartUp, TheEntryThatPlayedLastOrTheFirstIsSelected) {
    QByteArray lines = "#EXTM3U\r\n";
    for (const char *name : {"a", "b", "c"}) {
        const QString path = home.path() + name + ".wav";
        ASSERT_TRUE(fx::writeWav(path.toStdString(), fx::sine(440, 0.5, 8000, 1), 8000, 1));
        lines += QByteArray("#EXTINF:1,") + name + "\r\n" + QFile::encodeName(path) + "\r\n";
    }
    QFile list(home.path() + "playlist.m3u");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(lines);
    list.close();
    RunResult r = runOnce();
    EXPECT_EQ(r.selected, 0) << "first start: the first entry";
    EXPECT_EQ(r.currentIndex, 0);

    calvoran::SettingsKey::writeInteger("LastIndex", 2);
    r = runOnce();
    EXPECT_EQ(r.selected, 2);
    EXPECT_EQ(r.currentIndex, 2);

    calvoran::SettingsKey::writeInteger("LastIndex", 7); // the list has shrunk since
    EXPECT_EQ(runOnce().selected, 0);
}

// Nothing the first picture of the main window needs comes after it; the rest waits for it.
TEST_F(StartUp, MainWindowIsPaintedBeforeTheWindowsNotSeenAtStart) {
    struct FirstPaint : QObject {
        std::vector<std::string> createdBefore;
        bool seen = false;
        bool eventFilter(QObject *watched, QEvent *event) override {
            if (!seen && event->type() == QEvent::Paint && Form1 && watched == Form1 && Form1->width() > 2) {
                seen = true;
                createdBefore = calvoran::creationLog();
            }
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    const RunResult r = runOnce();
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(r.rc, 0);
    ASSERT_TRUE(watch.seen);
    const std::vector<std::string> needed = {"TForm1", "Tid32", "TForm2"};
    EXPECT_EQ(watch.createdBefore, needed);
    EXPECT_EQ(calvoran::creationLog().size(), 9u);
}
