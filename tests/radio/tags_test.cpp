// Tag pairs from ICY headers and stream metadata, and the 8-bit text stations are shown in.
#include "radio/model/TagPairs.h"

#include <gtest/gtest.h>

using namespace calvoran;

namespace {

std::string raw(const TagPairList &pairs) {
    std::string out;
    for (const auto &[k, v] : pairs)
        out += k + " = " + v + "\r";
    return out;
}

} // namespace

TEST(TagListToText, ListsBecomeTerminatedSegments) {
    EXPECT_EQ(TagListToText(nullptr), "");
    EXPECT_EQ(TagListToText("\0"), ";");
    EXPECT_EQ(TagListToText("ICY 200 OK\0icy-br:128\0"), "ICY 200 OK;icy-br:128;");
}

TEST(ParseTagPairs, HeadersLoseTheirStatusLineAndKeepValuesWithColons) {
    TagPairList pairs;
    ParseTagPairs(pairs,
                  TagListToText("ICY 200 OK\0icy-name:Loop FM\0icy-br:128\0icy-url:http://10.1.2.3:8000\0"),
                  ':', ';', true);
    EXPECT_EQ(raw(pairs), "icy-name = Loop FM\ricy-br = 128\ricy-url = http://10.1.2.3:8000\r");
    // A blank after the colon stays; keys match in any ASCII case.
    ParseTagPairs(pairs, "HTTP/1.0 200 OK;ICY-NAME: Spaced;", ':', ';', true);
    EXPECT_EQ(FindTag(pairs, "icy-name"), " Spaced");
    EXPECT_EQ(FindTag(pairs, "icy-genre"), "");
    // A line without a colon in the middle runs into the next key.
    ParseTagPairs(pairs, "ICY 200 OK;icy-br:64;junk;icy-genre:Jazz;", ':', ';', true);
    EXPECT_EQ(FindTag(pairs, "icy-genre"), "");
    EXPECT_EQ(FindTag(pairs, "junk;icy-genre"), "Jazz");
    // A text without any separator is not trimmed and yields nothing.
    ParseTagPairs(pairs, "abc;def;", ':', ';', true);
    EXPECT_TRUE(pairs.empty());
}

TEST(ParseTagPairs, MetadataQuotesAndEmptyValues) {
    TagPairList pairs;
    ParseTagPairs(pairs, "icy-name:Loop;", ':', ';', true);
    ParseTagPairs(pairs, std::string("StreamTitle='Artist - Song';StreamUrl='';") + ";", '=', ';', false);
    EXPECT_EQ(raw(pairs), "icy-name = Loop\rStreamTitle = Artist - Song\r");
    ParseTagPairs(pairs, "A=\"quoted\";B=';C='x';D=  ;", '=', ';', true);
    EXPECT_EQ(raw(pairs), "A = \"quoted\"\rB = '\rC = x\r");
    // A title with ";" is cut there; the rest has no separator and gives no pair.
    ParseTagPairs(pairs, "StreamTitle='Me; You';", '=', ';', true);
    EXPECT_EQ(FindTag(pairs, "streamtitle"), "'Me");
}

TEST(StationText, Utf8BecomesWindows1252AndOtherBytesStay) {
    EXPECT_EQ(StationText("Caf\xc3\xa9 \xe2\x82\xac"), "Caf\xe9 \x80");
    EXPECT_EQ(StationText("\xe6\x97\xa5 \xf0\x9f\x8e\xb5"), "? ?");
    EXPECT_EQ(StationText("Caf\xe9"), "Caf\xe9");   // already 8-bit
    EXPECT_EQ(StationText("\xc0\xaf"), "\xc0\xaf"); // overlong: not UTF-8
    EXPECT_EQ(StationText("plain"), "plain");
}
