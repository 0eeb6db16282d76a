// The configuration window's plug-in page: the search text's reading, the scan, and Start and Stop of
// the plug-ins window, including a machine where recording cannot start.
#include "ConfigWindow.h"
#include "PluginList.h"
#include "PluginWindowHost.h"
#include "bass_vis.h"
#include "platform/Dialogs.h"
#include "support/TempHome.h"
#include "visuals/visx.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using calvoran::splitPluginList;

namespace {

const QString kPlugins = QStringLiteral(VIS_PLUGIN_DIR);

TEST(PluginList, ReadsCommasBlanksQuotesAndDoubledQuotes) {
    EXPECT_EQ(splitPluginList("a.so,b.so c.so\td.so\r\ne.so"),
              (QStringList{"a.so", "b.so", "c.so", "d.so", "e.so"}));
    EXPECT_EQ(splitPluginList("\"/x/my vis, new.so\",\"/y/say \"\"hi\"\".so\""),
              (QStringList{"/x/my vis, new.so", "/y/say \"hi\".so"}));
    EXPECT_EQ(splitPluginList(",, \"\" ,"), QStringList{});
    EXPECT_EQ(splitPluginList(""), QStringList{});
    EXPECT_EQ(splitPluginList("\"unterminated, still one"), QStringList{"unterminated, still one"});
    EXPECT_EQ(splitPluginList("\"a\"b c"), (QStringList{"ab", "c"}));
}

class PluginPage : public ::testing::Test {
protected:
    void SetUp() override {
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages << m.text; });
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
        links.startPlugins = [this](const QString &path) { return host.start(path); };
        links.stopPlugins = [this] { host.stop(); };
    }
    void TearDown() override {
        host.stop();
        BASS_Free();
        calvoran::setMessageRecorder(nullptr);
    }
    // A plug-in folder holding the probe under an ordinary and an awkward name.
    QString makeFolder() {
        const QString folder = home.path() + "vis";
        QDir().mkpath(folder + "/deeper");
        QFile::copy(kPlugins + "/vis_probe.so", folder + "/plain.so");
        QFile::copy(kPlugins + "/vis_probe.so", folder + "/deeper/it's \"odd\", b.so");
        QFile::copy(kPlugins + "/vis_old_abi.so", folder + "/old.so");
        return folder;
    }

    TempHome home;
    ConfigLinks links;
    QStringList messages;
    std::unique_ptr<TForm5> form;
    calvoran::PluginWindowHost host{[this] { return form ? form->chosenPluginPath() : QString(); },
                                    home.path() + "vis.ini"};
};

TEST_F(PluginPage, ScanListsEachPluginOnceWithItsPath) {
    const QString folder = makeFolder();
    form = std::make_unique<TForm5>(links);
    EXPECT_EQ(form->Edit1->text(), folder);
    form->Button2->click();
    form->Button2->click();
    ASSERT_EQ(form->ComboBox2->count(), 2);
    EXPECT_EQ(form->ComboBox2->itemText(0), QStringLiteral("Probe \"one\", with blanks"));
    EXPECT_EQ(form->pluginPaths(),
              (QStringList{folder + "/deeper/it's \"odd\", b.so", folder + "/plain.so"}));
    EXPECT_TRUE(form->Button3->isEnabled());
    EXPECT_FALSE(form->Button4->isEnabled());
}

TEST_F(PluginPage, StartShowsTheWindowAndStopTakesItAway) {
    makeFolder();
    form = std::make_unique<TForm5>(links);
    form->Button3->click(); // nothing chosen yet: nothing happens
    EXPECT_EQ(host.window(), nullptr);
    form->Button2->click();
    form->ComboBox2->setCurrentIndex(1);
    form->Button3->click();
    ASSERT_NE(host.window(), nullptr);
    EXPECT_TRUE(host.window()->isVisible());
    EXPECT_NE(host.window()->vis(), 0u);
    EXPECT_FALSE(form->Button3->isEnabled());
    EXPECT_TRUE(form->Button4->isEnabled());
    EXPECT_TRUE(messages.isEmpty());

    form->Button4->click();
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(form->Button3->isEnabled());
    EXPECT_FALSE(form->Button4->isEnabled());
    // Recording was released with the window: another Start works.
    form->Button3->click();
    EXPECT_NE(host.window(), nullptr);
}

TEST_F(PluginPage, NoRecordingLeavesThePlayerRunningWithStartAvailable) {
    makeFolder();
    form = std::make_unique<TForm5>(links);
    form->Button2->click();
    ASSERT_TRUE(BASS_RecordInit(0)); // someone else holds the recording device
    form->Button3->click();
    BASS_RecordFree();
    EXPECT_EQ(messages, QStringList{"Cant initialize device"});
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(form->Button3->isEnabled());
    EXPECT_FALSE(form->Button4->isEnabled());
    // The library still plays.
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_TRUE(BASS_Start());
}

TEST_F(PluginPage, APluginThatBrokeSinceTheScanIsNamedAndStartStaysAvailable) {
    const QString folder = makeFolder();
    form = std::make_unique<TForm5>(links);
    form->Button2->click();
    form->ComboBox2->setCurrentIndex(1);
    QFile::remove(folder + "/plain.so");
    form->Button3->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("plain.so"));
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(form->Button3->isEnabled());
}

TEST_F(PluginPage, ClosingTheWindowItselfEnablesStartAgain) {
    makeFolder();
    form = std::make_unique<TForm5>(links);
    host.onClosed = [this] { form->pluginWindowClosed(); };
    form->Button2->click();
    form->Button3->click();
    ASSERT_NE(host.window(), nullptr);
    host.window()->close();
    QApplication::processEvents();
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(form->Button3->isEnabled());
    EXPECT_FALSE(form->Button4->isEnabled());
}

} // namespace
