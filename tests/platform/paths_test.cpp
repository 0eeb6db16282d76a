// Where the player keeps its files, and how failed writes reach the user.
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/WriteFailures.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

// Sets an environment variable for the life of the object.
class EnvVar {
public:
    EnvVar(const char *name, const QByteArray &value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~EnvVar() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    QByteArray old_;
    bool had_;
};

} // namespace

TEST(Paths, UserFolderFollowsXdgConfigHome) {
    QTemporaryDir home;
    EnvVar homeVar("HOME", home.path().toLocal8Bit());
    {
        EnvVar xdg("XDG_CONFIG_HOME", QByteArray());
        EXPECT_EQ(userFolder(), home.path() + "/.config/calvoran/");
    }
    {
        EnvVar xdg("XDG_CONFIG_HOME", "relative/ignored");
        EXPECT_EQ(userFolder(), home.path() + "/.config/calvoran/");
    }
    EnvVar xdg("XDG_CONFIG_HOME", (home.path() + "/cfg").toLocal8Bit());
    EXPECT_EQ(userFolder(), home.path() + "/cfg/calvoran/");
}

TEST(Paths, AWritableProgramFolderKeepsEverythingBesideTheExecutable) {
    TempHome program;
    QTemporaryDir home;
    EnvVar homeVar("HOME", home.path().toLocal8Bit());
    EnvVar xdg("XDG_CONFIG_HOME", QByteArray());
    ASSERT_TRUE(programFolderWritable());
    EXPECT_EQ(writableFolder(), program.path());
    EXPECT_EQ(keptFileForWriting("playlist.m3u"), program.path() + "playlist.m3u");
    EXPECT_EQ(keptFileForReading("playlist.m3u"), program.path() + "playlist.m3u");
    EXPECT_EQ(searchFolders(), QStringList{program.path()});
    EXPECT_TRUE(SettingsKey::writeInteger("Volume", 9));
    EXPECT_TRUE(QFile::exists(program.path() + "Calvoran.ini"));
    EXPECT_FALSE(QDir(home.path() + "/.config/calvoran").exists()) << "nothing in the user folder";
}

TEST(WriteFailures, EachFileIsNamedOnceUnlessTheUserAskedForIt) {
    std::vector<RecordedMessage> messages;
    setMessageRecorder([&](const RecordedMessage &m) { messages.push_back(m); });
    WriteFailures::resetForTests();
    WriteFailures::report(nullptr, "/ro/Calvoran.ini", "Permission denied");
    WriteFailures::report(nullptr, "/ro/Calvoran.ini", "Permission denied"); // the next slider step
    WriteFailures::report(nullptr, "/ro/playlist.m3u", {});
    WriteFailures::report(nullptr, "/ro/playlist.m3u", {}, true); // Save Playlist again
    setMessageRecorder(nullptr);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "Can't write the chosen file...\n/ro/Calvoran.ini\nPermission denied");
    EXPECT_EQ(messages[0].caption, "Write-Error");
    EXPECT_EQ(messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(messages[1].text, "Can't write the chosen file...\n/ro/playlist.m3u");
    EXPECT_EQ(messages[2].text, messages[1].text);
}

TEST(WriteFailures, ASignalCloseLeavesANoteForTheNextStartInsteadOfABox) {
    QTemporaryDir state;
    EnvVar stateVar("XDG_STATE_HOME", state.path().toLocal8Bit());
    const QByteArray home = qgetenv("CALVORAN_HOME");
    const bool hadHome = qEnvironmentVariableIsSet("CALVORAN_HOME");
    qunsetenv("CALVORAN_HOME");
    std::vector<RecordedMessage> messages;
    setMessageRecorder([&](const RecordedMessage &m) { messages.push_back(m); });
    WriteFailures::resetForTests();
    WriteFailures::setClosingOnSignal(true);
    WriteFailures::report(nullptr, "/ro/playlist.m3u", "Read-only file system");
    WriteFailures::report(nullptr, "/ro/Calvoran.ini", {});
    WriteFailures::setClosingOnSignal(false);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(QFile::exists(state.path() + "/calvoran/unsaved.txt"));

    WriteFailures::showNotes(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("/ro/playlist.m3u: Read-only file system\n/ro/Calvoran.ini"));
    EXPECT_FALSE(QFile::exists(state.path() + "/calvoran/unsaved.txt")) << "told once";
    WriteFailures::showNotes(nullptr);
    EXPECT_EQ(messages.size(), 1u);

    {
        // A copy with its own folder keeps the note there.
        TempHome program;
        WriteFailures::setClosingOnSignal(true);
        WriteFailures::report(nullptr, "/ro/vis.ini", {});
        WriteFailures::setClosingOnSignal(false);
        EXPECT_TRUE(QFile::exists(program.path() + "unsaved.txt"));
        WriteFailures::showNotes(nullptr);
    }
    setMessageRecorder(nullptr);
    EXPECT_EQ(messages.size(), 2u);
    if (hadHome) qputenv("CALVORAN_HOME", home);
}
