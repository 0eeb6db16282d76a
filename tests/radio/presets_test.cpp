// Presets and their file, without a display.
#include "radio/model/Presets.h"

#include "TestDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace calvoran;

namespace {

std::string slurp(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const std::filesystem::path &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(RadioPreset, NamesBitRatesAndTheAddressAsFallback) {
    TRadioPreset p("http://10.0.0.1:8000/");
    EXPECT_EQ(p.DisplayName(), "http://10.0.0.1:8000/");
    EXPECT_EQ(p.BitRateText(), "0 kbps");
    p.SetName(" \t\x01 ");
    EXPECT_EQ(p.DisplayName(), "http://10.0.0.1:8000/");
    p.SetName("  Loop FM ");
    EXPECT_EQ(p.DisplayName(), "  Loop FM "); // as stored, not trimmed
    p.SetBitRate("128");
    EXPECT_EQ(p.BitRateText(), "128 kbps");
    for (const char *bad : {"", "12 8", "abc", "99999999999"}) {
        p.SetBitRate(bad);
        EXPECT_EQ(p.BitRate(), 0) << bad;
    }
}

TEST(Presets, AddFoldsOnlyAsciiLettersAndAcceptsAnything) {
    TPresets store;
    ASSERT_NE(store.Add("http://Radio.example/live"), nullptr);
    EXPECT_EQ(store.Add("HTTP://RADIO.EXAMPLE/LIVE"), nullptr);
    EXPECT_NE(store.Add("http://radio.example/st\xc3\xa4tion"), nullptr);
    EXPECT_NE(store.Add("http://radio.example/st\xc3\x84tion"),
              nullptr); // another non-ASCII byte: another preset
    EXPECT_NE(store.Add(""), nullptr);
    EXPECT_EQ(store.Count(), 4);
    TRadioPreset *first = store.Items(0);
    store.Delete(first);
    EXPECT_EQ(store.Count(), 3);
    EXPECT_FALSE(store.Contains(first));
    store.Delete(nullptr);
    EXPECT_EQ(store.Count(), 3);
}

TEST(Presets, LoadingSkipsWhatIsMissingBlankOrNotANumber) {
    TPresets store;
    store.LoadFromText("[General]\r\nCount=4\r\n[Preset 0]\r\nURL=http://a/\r\nName=A\r\nGenre=Jazz\r\n"
                       "BitRate=96k\r\nMetaint=8192\r\n[preset 2]\r\nurl=  \r\nName=Blank\r\n"
                       "[Preset 3]\r\nURL=http://d/\r\nBitRate=64\r\nMetaint=x\r\n");
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Items(0)->Name(), "A");
    EXPECT_EQ(store.Items(0)->Genre(), "Jazz");
    EXPECT_EQ(store.Items(0)->BitRateText(), "0 kbps");
    EXPECT_EQ(store.Items(0)->Metaint(), 8192);
    EXPECT_EQ(store.Items(1)->URL(), "http://d/");
    EXPECT_EQ(store.Items(1)->BitRate(), 64);
    EXPECT_EQ(store.Items(1)->Metaint(), 0);

    for (const char *count : {"0", "-3", "two", ""}) {
        store.LoadFromText(std::string("[General]\nCount=") + count + "\n[Preset 0]\nURL=http://a/\n");
        EXPECT_EQ(store.Count(), 0) << count;
    }
    store.LoadFromText("[Preset 0]\nURL=http://a/\n");
    EXPECT_EQ(store.Count(), 0);
    // Two sections for one address (edited by hand): one preset, the first section's fields.
    store.LoadFromText("[General]\nCount=3\n[Preset 0]\nURL=http://a/\nName=One\n[Preset 1]\nURL=HTTP://A/\n"
                       "Name=Two\n[Preset 2]\nURL=http://b/\n");
    ASSERT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Items(0)->Name(), "One");
}

TEST(Presets, SavingWritesKeysInOrderAndLeavesStaleSections) {
    calvoran::fixtures::TestDir dir;
    const auto path = dir.file("NetRadio.ini");
    spit(path, "; my stations\r\n[General]\r\nCount=3\r\n[Preset 0]\r\nURL=http://a/\r\nName=A\r\n"
               "[Preset 2]\r\nURL=http://c/\r\nName=C\r\n");
    TPresets store;
    store.LoadFromFile(path.string());
    ASSERT_EQ(store.Count(), 2);
    store.Add("http://new/");
    store.Delete(store.Items(0));
    store.SaveToFile(path.string());
    const std::string text = slurp(path);
    EXPECT_NE(text.find("; my stations\r\n[General]\r\nCount=2\r\n"), std::string::npos);
    // A preset without a name is saved with its address as the name.
    EXPECT_NE(text.find("[Preset 0]\r\nURL=http://c/\r\nName=C\r\nGenre=\r\nBitRate=0\r\nMetaint=0\r\n"),
              std::string::npos);
    EXPECT_NE(
        text.find(
            "[Preset 1]\r\nURL=http://new/\r\nName=http://new/\r\nGenre=\r\nBitRate=0\r\nMetaint=0\r\n"),
        std::string::npos);
    // The old section for index 2 stays, unread.
    EXPECT_NE(text.find("[Preset 2]\r\nURL=http://c/"), std::string::npos);

    TPresets again;
    again.LoadFromFile(path.string());
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again.Items(1)->Name(), "http://new/");
    EXPECT_EQ(again.Items(1)->DisplayName(), store.Items(1)->DisplayName());

    // Blanks at the ends of a station's name survive the file.
    again.Items(0)->SetName(" Spaced FM ");
    again.Items(0)->SetGenre("\"Quoted\"");
    again.SaveToFile(path.string());
    TPresets spaced;
    spaced.LoadFromFile(path.string());
    EXPECT_EQ(spaced.Items(0)->Name(), " Spaced FM ");
    EXPECT_EQ(spaced.Items(0)->Genre(), "\"Quoted\"");

    // A lone CR (an old Mac line end) ends a line, so a file loads to what saving it writes back.
    TPresets mac;
    mac.LoadFromText("[General]\r\nCount=1\r\n[Preset 0]\r\nURL=http://m/\r\nGenre=Jazz\rBitRate=128\r\n");
    ASSERT_EQ(mac.Count(), 1);
    EXPECT_EQ(mac.Items(0)->Genre(), "Jazz");
    EXPECT_EQ(mac.Items(0)->BitRate(), 128);
    TPresets macAgain;
    macAgain.LoadFromText(mac.SaveToText(""));
    EXPECT_EQ(macAgain.Items(0)->Genre(), "Jazz");

    // Deleting everything writes a count of 0 and leaves the sections.
    again.Clear();
    again.SaveToFile(path.string());
    TPresets none;
    none.LoadFromFile(path.string());
    EXPECT_EQ(none.Count(), 0);
    EXPECT_NE(slurp(path).find("[Preset 1]"), std::string::npos);

    // A folder that cannot be written: the failure names the file; nothing is lost on disk.
    const std::string bad = (dir.path() / "missing" / "NetRadio.ini").string();
    try {
        store.SaveToFile(bad);
        FAIL() << "saved into a missing folder";
    } catch (const PresetWriteError &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + bad);
    }
}

TEST(Presets, ListOrderIsByCaptionIgnoringCase) {
    TPresets store;
    store.Add("http://z/")->SetName("beta");
    store.Add("http://y/")->SetName("Alpha");
    store.Add("http://a/");
    const auto rows = store.ListOrder();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]->DisplayName(), "Alpha");
    EXPECT_EQ(rows[1]->DisplayName(), "beta");
    EXPECT_EQ(rows[2]->DisplayName(), "http://a/");
}
