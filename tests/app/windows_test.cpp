// The configuration and equaliser windows, driven the way a user's clicks drive them.
#include "ConfigWindow.h"
#include "EqualizerWindow.h"
#include "bass.h"
#include "bass_fx.h"
#include "fixtures/Fixtures.h"
#include "platform/Dialogs.h"
#include "platform/SettingsKey.h"
#include "support/PlayerCore.h"
#include "support/TempHome.h"
#include "widgets/TVrCheckLed.h"
#include "widgets/TVrSlider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSlider>
#include <QTreeWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace fx = calvoran::fixtures;

namespace {

struct HookLog {
    std::vector<unsigned> intervals;
    std::vector<bool> levelTimer;
    std::vector<bool> tray;
    QStringList skins;
};

class ConfigWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages.push_back(m); });
        ConfigLinks &h = links;
        h.setLevelTimerInterval = [this](unsigned ms) { log.intervals.push_back(ms); };
        h.setLevelTimerEnabled = [this](bool on) { log.levelTimer.push_back(on); };
        h.setTrayIcon = [this](bool on) { log.tray.push_back(on); };
        h.listSkins = [] { return QStringList{"Midnight", "Daylight"}; };
        h.applySkin = [this](const QString &s) {
            if (s == "Gone") throw std::runtime_error("Cannot open file \"Skins/Gone/plbtn.bmp\"");
            log.skins.push_back(s);
        };
    }
    void TearDown() override { calvoran::setMessageRecorder(nullptr); }
    TempHome home;
    ConfigLinks links;
    HookLog log;
    std::vector<calvoran::RecordedMessage> messages;
};

} // namespace

TEST_F(ConfigWindowTest, FirstRunGivesDefaultsWithoutAnErrorBox) {
    TForm5 form(links);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(form.CheckBox5->Checked()); // VU meters on
    EXPECT_FALSE(form.Syst->Checked());
    EXPECT_FALSE(form.CheckBox4->Checked());
    EXPECT_EQ(log.levelTimer, std::vector<bool>{true});
    EXPECT_TRUE(log.tray.empty() || log.tray == std::vector<bool>{false});
    // The skin list is filled, and nothing is applied by filling it.
    EXPECT_EQ(form.ComboBox1->count(), 2);
    EXPECT_TRUE(log.skins.empty());
    EXPECT_EQ(form.Edit1->text(), home.path() + "vis");
    EXPECT_EQ(form.visiblePage(), 0);
}

TEST_F(ConfigWindowTest, StoredSwitchesAreRestoredAndTheTrayIconAddedOnce) {
    calvoran::SettingsKey::writeInteger("VUEnabled", 0);
    calvoran::SettingsKey::writeInteger("Systray", 1);
    calvoran::SettingsKey::writeInteger("3dSupport", 1);
    TForm5 form(links);
    EXPECT_FALSE(form.CheckBox5->Checked());
    EXPECT_TRUE(form.CheckBox4->Checked());
    EXPECT_TRUE(form.Syst->Checked());
    EXPECT_EQ(std::count(log.tray.begin(), log.tray.end(), true), 1);
}

TEST_F(ConfigWindowTest, CategoriesShowNoPageAndLeavesShowTheirs) {
    TForm5 form(links);
    form.selectNode("Sound");
    EXPECT_EQ(form.visiblePage(), 0);
    form.selectNode("File Extensions");
    EXPECT_EQ(form.visiblePage(), 7);
    EXPECT_TRUE(form.page(7)->children().isEmpty());
    form.selectNode("DSP Effects");
    EXPECT_EQ(form.visiblePage(), 1);
    EXPECT_EQ(form.page(1)->title(), "Stream DSP Effects");
    form.selectNode("Skin Chooser");
    EXPECT_EQ(form.visiblePage(), 6);
    form.showPluginPage();
    EXPECT_EQ(form.visiblePage(), 8);
}

TEST_F(ConfigWindowTest, SwitchesActAtOnceAndPersist) {
    TForm5 form(links);
    form.Syst->setChecked(true);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("Systray", -1), 1);
    form.Syst->setChecked(false);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("Systray", -1), 0);
    EXPECT_EQ(log.tray.back(), false);
    EXPECT_EQ(std::count(log.tray.begin(), log.tray.end(), true), 1);

    form.CheckBox5->setChecked(false);
    EXPECT_EQ(log.levelTimer.back(), false);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("VUEnabled", -1), 0);

    form.TrackBar1->setValue(50);
    EXPECT_EQ(log.intervals.back(), 50u);
}

TEST_F(ConfigWindowTest, PickingASkinAppliesAndStoresIt) {
    TForm5 form(links);
    form.ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(log.skins, QStringList{"Daylight"});
    EXPECT_EQ(calvoran::SettingsKey::readString("SkinName"), "Daylight");

    // A skin that fails to load reports its error and is not stored.
    form.ComboBox1->setEditText("Gone");
    EXPECT_TRUE(messages.empty()); // typing alone applies nothing
    form.ComboBox1Change();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("plbtn.bmp"));
    EXPECT_EQ(calvoran::SettingsKey::readString("SkinName"), "Daylight");
}

namespace {

class AudioWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override {
        core.reset();
        BASS_Free();
    }
    std::string tone(double freq) {
        const std::string path = dir_.filePath(QString("tone%1.wav").arg(freq)).toStdString();
        EXPECT_TRUE(fx::writeWav(path, fx::sine(freq, 1.0, 44100, 2, 0.25), 44100, 2));
        return path;
    }
    // RMS of the second half of what the channel decodes, in dB relative to full scale.
    static double levelDb(DWORD channel) {
        std::vector<float> all, block(4096);
        for (;;) {
            const DWORD got = BASS_ChannelGetData(channel, block.data(), 4096 * 4 | BASS_DATA_FLOAT);
            if (got == 0 || got == ~DWORD{0}) break;
            all.insert(all.end(), block.begin(), block.begin() + got / 4);
        }
        const std::vector<float> tail(all.begin() + static_cast<long>(all.size() / 2), all.end());
        return 20.0 * std::log10(fx::rms(tail));
    }
    // The engine's channels are decode-only here, so tests hear what a listener would.
    PlayerCore &engineCore() {
        core = std::make_unique<PlayerCore>();
        core->engine.setExtraFlags(BASS_STREAM_DECODE);
        return *core;
    }
    QTemporaryDir dir_;
    std::unique_ptr<PlayerCore> core;
};

} // namespace

TEST_F(AudioWindows, EqualizerOnGivesEachBandTheGainOfItsSlider) {
    for (double freq : {125.0, 1000.0, 8000.0}) {
        const std::string path = tone(freq);
        const DWORD flat = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        const double reference = levelDb(flat);
        PlayerCore &player = engineCore();
        Teq2 eq(player.engine);
        player.engine.PlayPath(QString::fromStdString(path), -1);
        ASSERT_NE(player.engine.CurrentChannel(), 0u) << BASS_ErrorGetCode();
        eq.chkEqualizer->setChecked(true); // all sliders at 8: +2 dB
        EXPECT_NEAR(levelDb(player.engine.CurrentChannel()) - reference, 2.0, 0.3) << freq << " Hz";
        BASS_StreamFree(flat);
    }
}

TEST_F(AudioWindows, TrebleAtTheTopLiftsOnlyTheTreble) {
    const std::string high = tone(8000.0);
    const std::string low = tone(125.0);
    auto measure = [this](const std::string &path, int treble, bool offOn) {
        const DWORD flat = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        const double reference = levelDb(flat);
        PlayerCore &player = engineCore();
        Teq2 eq(player.engine);
        player.engine.PlayPath(QString::fromStdString(path), -1);
        eq.vsEQBASS->setPosition(10); // flat
        eq.vsEQMID->setPosition(10);
        eq.chkEqualizer->setChecked(true);
        eq.vsEQTREBLE->setPosition(treble);
        if (offOn) {
            eq.chkEqualizer->setChecked(false);
            eq.chkEqualizer->setChecked(true);
        }
        const double gain = levelDb(player.engine.CurrentChannel()) - reference;
        BASS_StreamFree(flat);
        return gain;
    };
    EXPECT_NEAR(measure(high, 0, false), 10.0, 0.5);
    EXPECT_NEAR(measure(low, 0, false), 0.0, 0.5);
    // Off and on again re-applies the sliders as they stand.
    EXPECT_NEAR(measure(high, 0, true), 10.0, 0.5);
}

TEST_F(AudioWindows, AnEffectSwitchedOnStaysOnForTheNextTrackUntilSwitchedOff) {
    const QString path = QString::fromStdString(tone(440.0));
    PlayerCore &player = engineCore();
    ConfigLinks links;
    links.setEffect = [&player](int effect, bool on) { player.engine.setEffect(effect, on); };
    TForm5 form(links);
    player.engine.PlayPath(path, -1);
    const DWORD first = player.engine.CurrentChannel();
    form.CheckBox2->setChecked(true); // Echo: effect 2
    EXPECT_TRUE(BASS_FX_DSP_Remove(first, 2)) << "echo was not on the channel";

    // The next track has it too, while the switch shows on.
    player.engine.PlayPath(path, -1);
    const DWORD next = player.engine.CurrentChannel();
    ASSERT_NE(next, first);
    EXPECT_TRUE(form.CheckBox2->Checked());
    EXPECT_TRUE(BASS_FX_DSP_Remove(next, 2)) << "the next track played without echo";
    BASS_FX_DSP_Set(next, 2, 1);

    // Off takes it away now and from every later track.
    form.CheckBox2->setChecked(false);
    EXPECT_FALSE(BASS_FX_DSP_Remove(next, 2));
    player.engine.PlayPath(path, -1);
    EXPECT_FALSE(BASS_FX_DSP_Remove(player.engine.CurrentChannel(), 2));
}
