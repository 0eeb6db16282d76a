// The visual plug-in library: the search, instances and their failures, and the data a plug-in is fed.
#include "bass_vis.h"
#include "core_support.h"

#include <chrono>
#include <fstream>
#include <thread>

using namespace calvoran::audio::test;
namespace fs = std::filesystem;

namespace {

const fs::path kPlugins = VIS_PLUGIN_DIR;

// One frame of a plug-in, with a guard band around it that must stay untouched.
struct Frame {
    Frame(int w, int h)
        : width(w), height(h), stride(w + 4), pixels(static_cast<std::size_t>(stride * (h + 2)), kGuard) {}
    static constexpr std::uint32_t kGuard = 0x12345678u;
    int width, height, stride;
    std::vector<std::uint32_t> pixels;
    BASS_VIS_SURFACE surface() { return {pixels.data() + stride + 2, width, height, stride * 4}; }
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>((y + 1) * stride + x + 2)];
    }
    std::uint32_t value(int i) const { return at(i, 0) & 0xFFFFFFu; }
    bool guardIntact() const {
        for (int y = 0; y < height + 2; ++y)
            for (int x = 0; x < stride; ++x) {
                const bool inside = y >= 1 && y <= height && x >= 2 && x < width + 2;
                if (!inside && pixels[static_cast<std::size_t>(y * stride + x)] != kGuard) return false;
            }
        return true;
    }
};

bool render(HVIS vis, DWORD channel, Frame &frame) {
    auto surface = frame.surface();
    return BASS_SONIQUEVIS_Render(vis, channel, &surface) != 0;
}

void writeText(const fs::path &path, const std::string &text) {
    std::ofstream(path) << text;
}

class AudioVis : public ::testing::Test {
protected:
    void TearDown() override {
        BASS_VIS_SetConfig(BASS_VIS_CONFIG_SENSITIVITY, 2);
        BASS_VIS_SetConfig(BASS_VIS_CONFIG_FFTZOOM, 1);
        BASS_VIS_SetConfig(BASS_VIS_CONFIG_WAVEZOOM, 1);
    }
    fx::TestDir dir_;
    const fs::path probe_ = kPlugins / "vis_probe.so";
};

TEST_F(AudioVis, SearchFindsOurPluginsOnlyAndQuotesOddNames) {
    const fs::path root = dir_.path();
    fs::create_directories(root / "sub" / "deep");
    const fs::path odd = root / "sub" / "deep" / "it's \"quoted\", with blanks.so";
    fs::copy_file(probe_, root / "a.so");
    fs::copy_file(probe_, odd);
    fs::copy_file(kPlugins / "vis_old_abi.so", root / "old.so");
    fs::copy_file(kPlugins / "vis_no_entry.so", root / "none.so");
    fs::copy_file(probe_, root / "probe.so.txt");
    writeText(root / "fake.so", "not an object");

    const char *flat = BASS_VIS_FindPlugins(root.c_str(), 0);
    ASSERT_NE(flat, nullptr);
    EXPECT_STREQ(flat, "\"a.so\"");
    const char *deep = BASS_VIS_FindPlugins(root.c_str(), BASS_VIS_FIND_RECURSIVE | BASS_VIS_FIND_FULLPATH);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(std::string(deep), "\"" + (root / "a.so").string() + "\",\"" + root.string() +
                                     "/sub/deep/it's \"\"quoted\"\", with blanks.so\"");

    EXPECT_STREQ(BASS_VIS_FindPlugins(dir_.file("sub/deep").c_str(), 0),
                 "\"it's \"\"quoted\"\", with blanks.so\"");
    EXPECT_EQ(BASS_VIS_FindPlugins(dir_.file("missing").c_str(), 5), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_VIS_FindPlugins(nullptr, 5), nullptr);
}

TEST_F(AudioVis, CreateRefusesWhatIsNoPluginWithACode) {
    struct Case {
        fs::path file;
        int width;
        int error;
    };
    writeText(dir_.file("fail.ini"), "fail=1\n");
    const Case cases[] = {{dir_.file("missing.so"), 10, BASS_ERROR_FILEOPEN},
                          {kPlugins / "vis_old_abi.so", 10, BASS_ERROR_VERSION},
                          {kPlugins / "vis_no_entry.so", 10, BASS_ERROR_FILEFORM},
                          {probe_, 0, BASS_ERROR_ILLPARAM},
                          {probe_, 9000, BASS_ERROR_ILLPARAM}};
    for (const Case &c : cases) {
        EXPECT_EQ(BASS_SONIQUEVIS_CreateVis(c.file.c_str(), "", 0, c.width, 10), 0u) << c.file;
        EXPECT_EQ(BASS_ErrorGetCode(), c.error) << c.file;
    }
    EXPECT_EQ(BASS_SONIQUEVIS_CreateVis(probe_.c_str(), dir_.file("fail.ini").c_str(), 0, 10, 10), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CREATE);
    EXPECT_EQ(BASS_SONIQUEVIS_CreateVis(nullptr, "", 0, 10, 10), 0u);

    // Name only: the scan's way of learning names; such a handle does not draw.
    const HVIS named = BASS_SONIQUEVIS_CreateVis(probe_.c_str(), "", BASS_VIS_NAMEONLY, 0, 0);
    ASSERT_NE(named, 0u);
    EXPECT_STREQ(BASS_SONIQUEVIS_GetName(named), "Probe \"one\", with blanks");
    Frame frame(8, 2);
    EXPECT_FALSE(render(named, 0, frame));
    EXPECT_TRUE(BASS_SONIQUEVIS_Free(named));
}

TEST_F(AudioVis, InstanceDrawsClicksKeepsSettingsAndDiesHarmlessly) {
    const auto ini = dir_.file("vis.ini");
    writeText(ini, "probe=7\n");
    const HVIS vis = BASS_SONIQUEVIS_CreateVis(probe_.c_str(), ini.c_str(), 0, 16, 8);
    ASSERT_NE(vis, 0u);
    Frame frame(16, 8);
    ASSERT_TRUE(render(vis, 0, frame)); // no channel: silence, still a frame
    EXPECT_EQ(frame.value(6), 7u) << "settings read at creation";
    EXPECT_EQ(frame.value(5), 16u | 8u << 12);
    EXPECT_EQ(frame.value(3), 0xFFFFFFu) << "no click yet";
    EXPECT_EQ(frame.at(15, 7), 0xFF102030u);
    EXPECT_TRUE(frame.guardIntact());

    ASSERT_TRUE(BASS_SONIQUEVIS_Clicked(vis, 0, 0));
    ASSERT_TRUE(render(vis, 0, frame));
    EXPECT_EQ(frame.value(3), 0u);
    ASSERT_TRUE(BASS_SONIQUEVIS_Clicked(vis, 15, 7));
    ASSERT_TRUE(render(vis, 0, frame));
    EXPECT_EQ(frame.value(3), 15u | 7u << 12);
    EXPECT_FALSE(BASS_SONIQUEVIS_Clicked(vis, 16, 0));
    EXPECT_FALSE(BASS_SONIQUEVIS_Clicked(vis, -1, 0));
    EXPECT_EQ(frame.value(4), 3u);

    // A surface of another size never lets the instance draw outside it.
    Frame small(10, 4);
    ASSERT_TRUE(render(vis, 0, small));
    EXPECT_TRUE(small.guardIntact());
    EXPECT_EQ(small.at(9, 3), 0xFF102030u);
    Frame large(20, 10);
    ASSERT_TRUE(render(vis, 0, large));
    EXPECT_TRUE(large.guardIntact());
    EXPECT_EQ(large.at(15, 7), 0xFF102030u);
    EXPECT_EQ(large.at(16, 0), 0xFF000000u);
    EXPECT_EQ(large.at(0, 8), 0xFF000000u);
    BASS_VIS_SURFACE bad{frame.pixels.data(), 16, 8, 16}; // stride shorter than a row
    EXPECT_FALSE(BASS_SONIQUEVIS_Render(vis, 0, &bad));
    EXPECT_FALSE(BASS_SONIQUEVIS_Render(vis, 0, nullptr));

    ASSERT_TRUE(BASS_SONIQUEVIS_Free(vis));
    std::ifstream saved(ini);
    std::string line;
    std::getline(saved, line);
    EXPECT_EQ(line, "probe=5") << "settings written when freed";

    for (HVIS dead : {vis, HVIS{0}}) {
        EXPECT_EQ(BASS_SONIQUEVIS_GetName(dead), nullptr);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(render(dead, 0, frame));
        EXPECT_FALSE(BASS_SONIQUEVIS_Clicked(dead, 0, 0));
        EXPECT_FALSE(BASS_SONIQUEVIS_Free(dead));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
}

TEST_F(AudioVis, PluginIsFedTheRecordingShapedByTheOptions) {
    const auto wav = dir_.file("tone.wav");
    ASSERT_TRUE(fx::writeWav(wav, fx::sine(20.0 * 44100.0 / 1024.0, 5.0, 44100, 2, 0.25), 44100, 2));
    Library library(0);
    ASSERT_TRUE(library.ok());
    ASSERT_TRUE(BASS_RecordInit(0));
    const HRECORD record = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
    ASSERT_NE(record, 0u);
    const DWORD stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    ASSERT_TRUE(waitFor([&] { return (BASS_ChannelGetLevel(record) & 0xFFFF) > 20; },
                        std::chrono::milliseconds(2000)));
    // The level covers only the last 20 ms; the frames below look further back, and both must see the tone
    // alone, not the silence before it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const HVIS vis = BASS_SONIQUEVIS_CreateVis(probe_.c_str(), "", 0, 8, 1);
    ASSERT_NE(vis, 0u);
    Frame frame(8, 1);
    ASSERT_TRUE(render(vis, record, frame));
    EXPECT_EQ(frame.value(0), 10u) << "FFT bin 20 lands in plug-in bin 10 at zoom 1";
    EXPECT_NEAR(static_cast<int>(frame.value(2)), 2500, 150) << "the wave of a 0.25 sine";
    const auto plain = frame.value(1);

    ASSERT_TRUE(BASS_VIS_SetConfig(BASS_VIS_CONFIG_FFTZOOM, 2));
    ASSERT_TRUE(BASS_VIS_SetConfig(BASS_VIS_CONFIG_WAVEZOOM, 2));
    ASSERT_TRUE(BASS_VIS_SetConfig(BASS_VIS_CONFIG_SENSITIVITY, 1));
    ASSERT_TRUE(render(vis, record, frame));
    EXPECT_EQ(frame.value(0), 20u);
    EXPECT_NEAR(static_cast<int>(frame.value(2)), 5000, 300);
    EXPECT_LT(frame.value(1), plain);
    EXPECT_FALSE(BASS_VIS_SetConfig(BASS_VIS_CONFIG_WAVEZOOM, 5));
    EXPECT_FALSE(BASS_VIS_SetConfig(BASS_VIS_CONFIG_FFTZOOM, 0));
    EXPECT_FALSE(BASS_VIS_SetConfig(9, 1));

    BASS_SONIQUEVIS_Free(vis);
    BASS_RecordFree();
}

} // namespace
