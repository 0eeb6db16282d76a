// The engine and the playlist model with no window at all.
#include "EngineFiles.h"
#include "bass_fx.h"
#include "fixtures/Fixtures.h"
#include "support/PlayerCore.h"
#include "support/TempHome.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace fx = calvoran::fixtures;
using calvoran::PlaybackEngine;
using calvoran::PlaylistModel;
using calvoran::TrackStart;

namespace {

// What a listener of the engine saw.
struct Heard {
    explicit Heard(PlaybackEngine &engine) {
        QObject::connect(&engine, &PlaybackEngine::channelChanged,
                         [this](DWORD c) { channels.push_back(c); });
        QObject::connect(&engine, &PlaybackEngine::trackStarted,
                         [this](const TrackStart &s) { starts.push_back(s); });
        QObject::connect(&engine, &PlaybackEngine::stopped, [this] { ++stops; });
        QObject::connect(&engine, &PlaybackEngine::engineError, [this](const QString &t) { errors << t; });
    }
    std::vector<DWORD> channels;
    std::vector<TrackStart> starts;
    int stops = 0;
    QStringList errors;
};

TEST(PlaybackEngineAlone, PlaysStopsAndMovesOnTellingItsListeners) {
    TempHome home;
    const EngineFiles &files = engineFiles();
    PlayerCore core;
    Heard heard(core.engine);
    ASSERT_TRUE(core.engine.Initialise(50, false));
    EXPECT_EQ(heard.stops, 1); // start-up ends stopped
    core.playlist.append({"1. tone", files.tone599});
    core.playlist.append({"2. Artist - Song", files.mp3Tagged});

    core.engine.PlayPath(files.tone599, 0);
    const DWORD first = core.engine.CurrentChannel();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_EQ(heard.channels, std::vector<DWORD>{first});
    ASSERT_EQ(heard.starts.size(), 1u);
    EXPECT_EQ(heard.starts[0].title, "1. tone");
    EXPECT_EQ(heard.starts[0].positionMax, 60);
    EXPECT_EQ(heard.starts[0].totalText, "Total: 0:59");
    // The length the engine measured is kept with the entry.
    EXPECT_NEAR(core.playlist.entry(0).seconds, 59.9, 0.01);

    // Next: what played is freed, the new stream is the current channel.
    core.engine.StopPlayback();
    EXPECT_EQ(heard.stops, 2);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_STOPPED));
    core.engine.PlayPath(files.mp3Tagged, 1);
    const DWORD second = core.engine.CurrentChannel();
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(heard.channels.back(), second);
    EXPECT_EQ(heard.starts.back().title, "2. Artist - Song");

    // A module is the channel too, titled by its own name.
    core.engine.StopPlayback();
    core.engine.PlayPath(files.module, -1);
    EXPECT_EQ(core.engine.CurrentChannel(), core.engine.CurrentModule());
    EXPECT_EQ(heard.starts.back().title, EngineFiles::kModuleTitle);
    EXPECT_EQ(heard.starts.back().totalText, QString("Total: %1").arg(EngineFiles::kModuleOrders));

    // A file that does not open: no channel, nothing reported, "Total: 0:0".
    core.engine.StopPlayback();
    core.engine.PlayPath(files.broken, -1);
    EXPECT_EQ(core.engine.CurrentChannel(), 0u);
    EXPECT_EQ(heard.starts.back().totalText, "Total: 0:0");
    EXPECT_TRUE(heard.starts.back().title.isNull()); // nothing selected: the title stays
    EXPECT_TRUE(heard.errors.isEmpty());
}

TEST(PlaybackEngineAlone, AWrongLibraryVersionIsAnErrorWithItsCode) {
    PlayerCore core;
    Heard heard(core.engine);
    core.engine.setVersionSource([] { return DWORD(0x10002); });
    EXPECT_FALSE(core.engine.Initialise(50, false));
    EXPECT_FALSE(core.engine.ready());
    ASSERT_EQ(heard.errors.size(), 1);
    EXPECT_TRUE(heard.errors[0].startsWith("BASS version 2.0 was not loaded\r\n(error code: "));
    EXPECT_EQ(heard.stops, 0);
}

// Effects, equaliser and balance are heard on every track that plays after they were set, measured
// on decode-only channels.
class SettingsFollowTheMusic : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
        core.engine.setExtraFlags(BASS_STREAM_DECODE);
    }
    void TearDown() override { BASS_Free(); }
    QString write(const QString &name, const std::vector<float> &samples) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(fx::writeWav(path.toStdString(), samples, 44100, 2));
        return path;
    }
    // Both sides of the second half of what the current channel gives.
    std::pair<std::vector<float>, std::vector<float>> heardSides() {
        std::vector<float> all, block(4096);
        for (;;) {
            const DWORD got =
                BASS_ChannelGetData(core.engine.CurrentChannel(), block.data(), 4096 * 4 | BASS_DATA_FLOAT);
            if (got == 0 || got == ~DWORD{0}) break;
            all.insert(all.end(), block.begin(), block.begin() + got / 4);
        }
        std::vector<float> left, right;
        for (size_t i = all.size() / 2 & ~size_t{1}; i + 1 < all.size(); i += 2) {
            left.push_back(all[i]);
            right.push_back(all[i + 1]);
        }
        return {left, right};
    }
    double heardDb() {
        const auto [left, right] = heardSides();
        return 20.0 * std::log10(fx::rms(left));
    }
    QTemporaryDir dir;
    PlayerCore core;
};

TEST_F(SettingsFollowTheMusic, TrebleLiftStaysOnTheNextTrack) {
    const QString high = write("high.wav", fx::sine(8000, 1.0, 44100, 2, 0.25));
    core.engine.PlayPath(high, -1);
    const double flat = heardDb();

    core.engine.SetEqBandGain(0, PlaybackEngine::kEqFlatPosition);
    core.engine.SetEqBandGain(1, PlaybackEngine::kEqFlatPosition);
    core.engine.SetEqBandGain(2, 0); // the treble slider at the top: +10 dB
    core.engine.PlayPath(high, -1);
    core.engine.setEqualizer(true);
    EXPECT_NEAR(heardDb() - flat, 10.0, 0.5);

    core.engine.StopPlayback();
    core.engine.PlayPath(high, -1);
    EXPECT_NEAR(heardDb() - flat, 10.0, 0.5) << "the second track played without the equaliser";

    core.engine.setEqualizer(false);
    core.engine.PlayPath(high, -1);
    EXPECT_NEAR(heardDb() - flat, 0.0, 0.3);
}

TEST_F(SettingsFollowTheMusic, SwapAndBalanceStayOnTheNextTrack) {
    std::vector<float> leftOnly = fx::sine(440, 1.0, 44100, 2, 0.5);
    for (size_t i = 1; i < leftOnly.size(); i += 2)
        leftOnly[i] = 0;
    const QString path = write("left.wav", leftOnly);

    core.engine.PlayPath(path, -1);
    core.engine.setEffect(BASS_FX_DSP_SWAP, true);
    core.engine.setPan(100);
    core.engine.StopPlayback();
    core.engine.PlayPath(path, -1);
    const auto [left, right] = heardSides();
    EXPECT_LT(fx::rms(left), 0.001) << "the next track played unswapped";
    EXPECT_GT(fx::rms(right), 0.3);
    DWORD freq = 0, volume = 0;
    int pan = 0;
    ASSERT_TRUE(BASS_ChannelGetAttributes(core.engine.CurrentChannel(), &freq, &volume, &pan));
    EXPECT_EQ(pan, 100) << "the next track played centred";

    core.engine.setEffect(BASS_FX_DSP_SWAP, false);
    core.engine.PlayPath(path, -1);
    const auto [left2, right2] = heardSides();
    EXPECT_GT(fx::rms(left2), 0.3);
}

TEST(PlaylistModelTest, CaptionsLocationsAndRemovals) {
    PlaylistModel model;
    // Locations keep commas and non-ASCII characters; captions are 8-bit text.
    model.append({"1. A, B - C", QString::fromUtf8("/music/Café, live/01 – intro.mp3")});
    model.append({"2. \xE9t\xE9 - x", "/m/b.ogg"});
    model.appendAll({{"3. c", "/m/c.wav"}, {"4. d", "http://127.0.0.1:8000/stream"}});
    ASSERT_EQ(model.count(), 4);
    EXPECT_EQ(model.location(0), QString::fromUtf8("/music/Café, live/01 – intro.mp3"));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), QString::fromUtf8("2. été - x"));
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), model.location(0));

    model.remove({2, 0, 2, 9});
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(model.caption(0), "2. \xE9t\xE9 - x");
    EXPECT_EQ(model.location(1), "http://127.0.0.1:8000/stream");
    EXPECT_EQ(model.caption(5), "");
    EXPECT_EQ(model.location(-1), "");
    model.clear();
    EXPECT_EQ(model.count(), 0);
}

} // namespace
