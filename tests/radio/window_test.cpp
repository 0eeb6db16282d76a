// The radio window through its handlers, against a loopback station.
#include "../audio/LoopbackServer.h"
#include "Fixtures.h"
#include "TestDir.h"
#include "platform/Dialogs.h"
#include "radio/RadioWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

using namespace calvoran;
using calvoran::test::LoopbackConnection;
using calvoran::test::LoopbackServer;

namespace {

std::string slurp(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool waitFor(const std::function<bool()> &done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// What the window did to the rest of the player.
struct Player {
    DWORD channel = 0;
    std::vector<std::pair<std::string, QString>> entries;
    std::string title = "untouched";
    RadioHost host(const fixtures::TestDir &dir) {
        RadioHost h;
        h.currentChannel = [this] { return channel; };
        h.setCurrentChannel = [this](DWORD c) { channel = c; };
        h.appendPlaylistEntry = [this](const std::string &caption, const QString &location) {
            entries.emplace_back(caption, location);
        };
        h.setTitle = [this](const std::string &t) { title = t; };
        h.volume = [] { return 40; };
        h.presetFile = QString::fromStdString(dir.file("NetRadio.ini").string());
        return h;
    }
};

class RadioWindow : public ::testing::Test {
protected:
    void SetUp() override {
        BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 1000);
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
        setMessageRecorder([this](const RecordedMessage &m) { messages.push_back(m); });
    }
    void TearDown() override {
        setMessageRecorder(nullptr);
        BASS_Free();
    }
    std::vector<RecordedMessage> messages;
};

QString rowText(const TfrmMain &w, int row, int column) {
    return w.lstvwStations->topLevelItem(row)->text(column);
}

} // namespace

TEST_F(RadioWindow, AddingFindsTheExistingPresetAndDeletingForgetsIt) {
    fixtures::TestDir dir;
    Player player;
    TfrmMain w(player.host(dir));
    EXPECT_EQ(w.windowTitle(), "Calvoran Radio");
    EXPECT_EQ(w.edtNewStation->text(), QString(TfrmMain::kDefaultStation));
    EXPECT_EQ(w.lstvwStations->topLevelItemCount(), 0);

    w.btnAddClick();
    ASSERT_EQ(w.lstvwStations->topLevelItemCount(), 1);
    EXPECT_EQ(rowText(w, 0, 0), QString(TfrmMain::kDefaultStation));
    EXPECT_EQ(rowText(w, 0, 1), "0 kbps");
    EXPECT_NE(slurp(dir.file("NetRadio.ini")).find("Count=1"), std::string::npos);

    w.edtNewStation->setText("http://10.0.0.2:8000/b");
    w.btnAddClick();
    w.lstvwStations->clearSelection();
    w.edtNewStation->setText("HTTP://127.0.0.1:8000/");
    w.btnAddClick();
    ASSERT_EQ(w.lstvwStations->topLevelItemCount(), 2);
    ASSERT_EQ(w.lstvwStations->selectedItems().size(), 1);
    EXPECT_EQ(w.lstvwStations->selectedItems()[0]->text(0), QString(TfrmMain::kDefaultStation));

    // Removing takes rows off the list only; they come back at the next rebuild.
    w.Button2Click();
    EXPECT_EQ(w.lstvwStations->topLevelItemCount(), 1);
    w.FillListView();
    EXPECT_EQ(w.lstvwStations->topLevelItemCount(), 2);

    w.lstvwStations->topLevelItem(0)->setSelected(true);
    w.mntmDeletePresetsClick();
    EXPECT_EQ(w.Presets().Count(), 1);
    // Double-clicking with nothing selected does nothing.
    w.lstvwStations->clearSelection();
    w.lstvwStationsDblClick();
    EXPECT_TRUE(player.entries.empty());

    EXPECT_EQ(TfrmMain::StationHint(nullptr), "Doubleclick a preset to play it!|");
    const std::string hint = TfrmMain::StationHint(w.Presets().Items(0));
    EXPECT_EQ(hint.substr(0, 11), "#Name    : ");
    EXPECT_NE(hint.find("BitRate : 0 kbps\rMetaint : 0\r\rDoubleclick a preset to play it!|"),
              std::string::npos);
}

TEST_F(RadioWindow, AStationPlaysShowsItsTitleAndNamesItsPreset) {
    fixtures::TestDir dir;
    const auto wav = dir.file("t.wav");
    const auto mp3 = dir.file("t.mp3");
    fixtures::writeWav(wav, fixtures::sine(440, 8.0, 44100, 2, 0.3), 44100, 2);
    if (!fixtures::encodeMp3Cbr(wav, mp3, 128)) GTEST_SKIP() << "lame missing";
    const std::string audio = slurp(mp3);
    LoopbackServer server([&](LoopbackConnection &c) {
        // A UTF-8 title and station name, as many stations send them.
        c.send("ICY 200 OK\r\nicy-name:Caf\xc3\xa9 "
               "FM\r\nicy-genre:Jazz\r\nicy-br:128\r\nicy-metaint:8000\r\n\r\n");
        const std::string meta = "StreamTitle='Ol\xc3\xa9 Song';";
        std::string block = meta;
        block.resize(48, '\0');
        for (std::size_t at = 0; at + 8000 <= audio.size(); at += 8000) {
            if (!c.send(audio.substr(at, 8000)) || !c.send(std::string(1, '\x03') + block)) return;
            c.pause(std::chrono::milliseconds(300));
        }
    });
    Player player;
    TfrmMain w(player.host(dir));
    w.edtNewStation->setText(QString::fromStdString(server.url("/")));
    w.btnAddClick();
    w.lstvwStations->topLevelItem(0)->setSelected(true);
    w.lstvwStationsDblClick();
    ASSERT_NE(player.channel, 0u) << (messages.empty() ? "" : messages[0].text.toStdString());
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(player.entries.size(), 1u);
    EXPECT_EQ(player.entries[0].first, server.url("/"));
    EXPECT_EQ(player.entries[0].second, QString::fromStdString(server.url("/")));
    EXPECT_EQ(BASS_ChannelIsActive(player.channel), static_cast<DWORD>(BASS_ACTIVE_PLAYING));

    EXPECT_TRUE(waitFor([&] {
        w.tmrStreamTagsTimer();
        return player.title == "Ol\xe9 Song Caf\xe9 FM";
    })) << player.title;
    EXPECT_EQ(w.StatusPanel(1), "Radio is playing");
    EXPECT_EQ(rowText(w, 0, 0), QString::fromUtf8("Café FM"));
    EXPECT_EQ(rowText(w, 0, 1), "128 kbps");
    EXPECT_EQ(w.CurrentPreset()->Metaint(), 8000);
    EXPECT_NE(w.mRawData->toPlainText().indexOf("icy-genre = Jazz"), -1);

    // A local file played meanwhile keeps its own title and leaves the preset alone.
    const DWORD file = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(file, TRUE, 0));
    player.channel = file;
    player.title = "file";
    w.tmrStreamTagsTimer();
    EXPECT_EQ(player.title, "file");
    EXPECT_EQ(w.CurrentPreset()->Name(), "Caf\xe9 FM");

    w.FormClose();
    const std::string ini = slurp(dir.file("NetRadio.ini"));
    EXPECT_NE(ini.find("Name=Caf\xe9 FM\r\nGenre=Jazz\r\nBitRate=128\r\nMetaint=8000"), std::string::npos)
        << ini;
}

TEST_F(RadioWindow, AnUnreachableStationFailsWithTheErrorBoxAndStillAddsTheEntry) {
    fixtures::TestDir dir;
    Player player;
    player.channel = 77; // a stale handle from before: freeing it harmlessly fails
    TfrmMain w(player.host(dir));
    const std::string url = "http://127.0.0.1:" + std::to_string(calvoran::test::unusedPort()) + "/";
    w.edtNewStation->setText(QString::fromStdString(url));
    w.btnAddClick();
    w.lstvwStations->topLevelItem(0)->setSelected(true);
    w.lstvwStationsDblClick();
    EXPECT_EQ(player.channel, 0u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Error"); // the recorder shows line breaks as \n
    EXPECT_EQ(messages[0].text.toStdString(),
              "Unable to play station, make sure your internet connections is working.\nError Code: " +
                  std::to_string(BASS_ERROR_NONET));
    EXPECT_EQ(w.StatusPanel(1), "Opening new connection with " + QString::fromStdString(url));
    ASSERT_EQ(player.entries.size(), 1u);
    w.tmrStreamTagsTimer();
    EXPECT_EQ(w.StatusPanel(1), "Idle, not playing...");
    EXPECT_EQ(player.title, "untouched");
}

TEST_F(RadioWindow, OneWindowIsShownAgainAndStopHaltsItsTimers) {
    fixtures::TestDir dir;
    Player player;
    TfrmMain w(player.host(dir));
    w.OpenRadio();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.tmrStreamTags->isActive());
    EXPECT_TRUE(w.tmrSpectrum->isActive());
    w.MainStopped(0);
    EXPECT_TRUE(w.tmrStreamTags->isActive());
    EXPECT_FALSE(w.tmrSpectrum->isActive());
    w.Button1Click();
    EXPECT_FALSE(w.isVisible());
    w.OpenRadio();
    w.MainStopped(5);
    EXPECT_FALSE(w.tmrStreamTags->isActive());
    // Closing saves, stops the timers and keeps the window for the next command.
    w.OpenRadio();
    w.close();
    EXPECT_FALSE(w.tmrSpectrum->isActive());
    EXPECT_TRUE(std::filesystem::exists(dir.file("NetRadio.ini")));
    w.OpenRadio();
    EXPECT_TRUE(w.isVisible());
}
