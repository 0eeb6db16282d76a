// The shipped plug-ins: each draws a varied picture that follows the music, stays inside its area, and
// keeps the setting its click changes.
#include "Fixtures.h"
#include "TestDir.h"
#include "VisIni.h"
#include "bass_vis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace fx = calvoran::fixtures;
namespace fs = std::filesystem;

namespace {

const fs::path kVis = VIS_DIR;

struct Shipped {
    const char *file;
    const char *name;
    const char *key;
};
const Shipped kShipped[] = {{"ember.so", "Ember Spectrum", "Palette"},
                            {"tunnel.so", "Pulse Tunnel", "Pattern"},
                            {"stars.so", "Star Drift", "Density"}};

// A frame with a guard band around it.
struct Frame {
    Frame(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>((w + 2) * (h + 2)), kGuard) {}
    static constexpr std::uint32_t kGuard = 0x5A5A5A5Au;
    int width, height;
    std::vector<std::uint32_t> pixels;
    bool draw(HVIS vis, DWORD channel) {
        BASS_VIS_SURFACE surface{pixels.data() + width + 3, width, height, (width + 2) * 4};
        return BASS_SONIQUEVIS_Render(vis, channel, &surface) != 0;
    }
    std::vector<std::uint32_t> inside() const {
        std::vector<std::uint32_t> out;
        for (int y = 1; y <= height; ++y)
            for (int x = 1; x <= width; ++x)
                out.push_back(pixels[static_cast<std::size_t>(y * (width + 2) + x)]);
        return out;
    }
    bool guardIntact() const {
        std::size_t guards = 0;
        for (std::uint32_t p : pixels)
            guards += p == kGuard;
        const auto inner = inside();
        for (std::uint32_t p : inner)
            guards -= p == kGuard;
        return guards == pixels.size() - inner.size();
    }
};

double difference(const std::vector<std::uint32_t> &a, const std::vector<std::uint32_t> &b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16})
            sum +=
                std::abs(static_cast<int>((a[i] >> shift) & 255) - static_cast<int>((b[i] >> shift) & 255));
    return sum / static_cast<double>(a.size());
}

class ShippedPlugins : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }
    fx::TestDir dir_;
};

TEST_F(ShippedPlugins, AllThreeAreFoundByName) {
    const char *found = BASS_VIS_FindPlugins(kVis.c_str(), BASS_VIS_FIND_RECURSIVE | BASS_VIS_FIND_FULLPATH);
    ASSERT_NE(found, nullptr);
    for (const Shipped &s : kShipped) {
        EXPECT_NE(std::string(found).find((kVis / s.file).string()), std::string::npos) << s.file;
        const HVIS named = BASS_SONIQUEVIS_CreateVis((kVis / s.file).c_str(), "", BASS_VIS_NAMEONLY, 0, 0);
        ASSERT_NE(named, 0u);
        EXPECT_STREQ(BASS_SONIQUEVIS_GetName(named), s.name);
        BASS_SONIQUEVIS_Free(named);
    }
}

TEST_F(ShippedPlugins, PicturesAreVariedFollowTheMusicAndStayInside) {
    // Drums and a chord: bass beats, mids and noise.
    const auto wav = dir_.file("music.wav");
    // Long enough to last through every drawing below in a sanitizer build, where the large frames are slow.
    constexpr double kSeconds = 30.0;
    auto music = fx::chord({110.0, 277.0, 330.0, 1760.0}, kSeconds, 44100, 2, 0.15);
    const auto hiss = fx::noise(kSeconds, 44100, 2, 0.1);
    for (std::size_t i = 0; i < music.size(); ++i) {
        const double t = static_cast<double>(i / 2) / 44100.0;
        const double beat = std::fmod(t, 0.25) < 0.06 ? 1.0 : 0.3;
        music[i] = static_cast<float>((music[i] + hiss[i]) * beat);
    }
    ASSERT_TRUE(fx::writeWav(wav, music, 44100, 2));
    ASSERT_TRUE(BASS_RecordInit(0));
    const HRECORD record = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
    const DWORD stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));

    for (const Shipped &s : kShipped) {
        SCOPED_TRACE(s.file);
        for (auto [w, h] : {std::pair{231, 229}, std::pair{17, 5}, std::pair{640, 480}}) {
            // Two instances from the same start: one hears silence (the freed handle 0), one the music.
            const HVIS quiet = BASS_SONIQUEVIS_CreateVis((kVis / s.file).c_str(), "", 0, w, h);
            const HVIS loud = BASS_SONIQUEVIS_CreateVis((kVis / s.file).c_str(), "", 0, w, h);
            ASSERT_NE(quiet, 0u);
            ASSERT_NE(loud, 0u);
            Frame silent(w, h), heard(w, h);
            std::vector<std::uint32_t> earlier;
            for (int i = 0; i < 20; ++i) {
                ASSERT_TRUE(silent.draw(quiet, 0));
                ASSERT_TRUE(heard.draw(loud, record));
                if (i == 10) earlier = heard.inside();
                std::this_thread::sleep_for(std::chrono::milliseconds(8));
            }
            EXPECT_TRUE(silent.guardIntact());
            EXPECT_TRUE(heard.guardIntact());
            if (w >= 200) {
                const auto picture = heard.inside();
                EXPECT_GT(std::set<std::uint32_t>(picture.begin(), picture.end()).size(), 20u)
                    << "not a flat picture";
                EXPECT_GT(difference(picture, silent.inside()), 2.0) << "music and silence look alike";
                EXPECT_GT(difference(picture, earlier), 0.5) << "the picture stands still";
            }
            BASS_SONIQUEVIS_Free(quiet);
            BASS_SONIQUEVIS_Free(loud);
        }
    }
    BASS_RecordFree();
}

TEST_F(ShippedPlugins, ClickChangesASettingThatIsKeptBesideOtherSections) {
    const auto ini = dir_.file("vis.ini");
    std::ofstream(ini) << "[Someone Else]\nColour=3\n";
    for (const Shipped &s : kShipped) {
        SCOPED_TRACE(s.file);
        const int before = calvoran::vis::readIniInt(ini.c_str(), s.name, s.key, 0);
        HVIS vis = BASS_SONIQUEVIS_CreateVis((kVis / s.file).c_str(), ini.c_str(), 0, 64, 48);
        ASSERT_NE(vis, 0u);
        Frame frame(64, 48);
        ASSERT_TRUE(frame.draw(vis, 0));
        const auto unclicked = frame.inside();
        ASSERT_TRUE(BASS_SONIQUEVIS_Clicked(vis, 0, 0));
        ASSERT_TRUE(frame.draw(vis, 0));
        ASSERT_TRUE(BASS_SONIQUEVIS_Free(vis));
        const int after = calvoran::vis::readIniInt(ini.c_str(), s.name, s.key, -1);
        EXPECT_NE(after, -1) << "setting saved";
        EXPECT_NE(after, before);
        // The next instance starts with the saved setting.
        vis = BASS_SONIQUEVIS_CreateVis((kVis / s.file).c_str(), ini.c_str(), 0, 64, 48);
        ASSERT_TRUE(BASS_SONIQUEVIS_Clicked(vis, 63, 47));
        ASSERT_TRUE(BASS_SONIQUEVIS_Free(vis));
        EXPECT_NE(calvoran::vis::readIniInt(ini.c_str(), s.name, s.key, -1), after);
    }
    EXPECT_EQ(calvoran::vis::readIniInt(ini.c_str(), "Someone Else", "Colour", 0), 3);
}

TEST(VisIni, ValuesAreReplacedInTheirOwnSectionOnly) {
    fx::TestDir dir;
    const auto ini = dir.file("vis.ini");
    std::ofstream(ini) << "; comment\n[A]\nKey=1\nOther=x\n\n[B]\nKey=2\n";
    ASSERT_TRUE(calvoran::vis::writeIniInt(ini.c_str(), "A", "Key", 5));
    ASSERT_TRUE(calvoran::vis::writeIniInt(ini.c_str(), "B", "New", 7));
    ASSERT_TRUE(calvoran::vis::writeIniInt(ini.c_str(), "C", "Key", 9));
    std::stringstream text;
    text << std::ifstream(ini).rdbuf();
    EXPECT_EQ(text.str(), "; comment\n[A]\nKey=5\nOther=x\n\n[B]\nKey=2\nNew=7\n\n[C]\nKey=9\n");
    EXPECT_EQ(calvoran::vis::readIniInt(ini.c_str(), "B", "Key", 0), 2);
    EXPECT_EQ(calvoran::vis::readIniInt(ini.c_str(), "A", "Other", -4), -4) << "not a number";
    EXPECT_EQ(calvoran::vis::readIniInt(dir.file("missing.ini").c_str(), "A", "Key", 8), 8);
    EXPECT_FALSE(calvoran::vis::writeIniInt(dir.file("no/such/folder.ini").c_str(), "A", "Key", 1));
}

} // namespace
