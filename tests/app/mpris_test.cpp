// What the bus reports of a track; the bus itself is exercised against the real program in tests/e2e.
#include "Mpris.h"

#include <QDBusObjectPath>
#include <gtest/gtest.h>

using calvoran::MprisTrack;

TEST(MprisMetadata, TagTitleAndArtistOrTheCaptionAlone) {
    MprisTrack track;
    EXPECT_TRUE(calvoran::mprisMetadata(track).isEmpty()) << "nothing played yet";

    track.position = 4;
    track.location = "/music/a b/song#1.mp3";
    track.caption = "5. Artist - Song";
    track.tags.Title = "Song";
    track.tags.Artist = "Art\xE9st"; // 8-bit text as the tag reader leaves it
    track.tags.Album = "Album";
    track.seconds = 61.25;
    QVariantMap map = calvoran::mprisMetadata(track);
    EXPECT_EQ(map.value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/calvoran/track/4");
    EXPECT_EQ(map.value("xesam:title").toString(), "Song");
    EXPECT_EQ(map.value("xesam:artist").toStringList(), QStringList{QString::fromUtf8("Art\u00E9st")});
    EXPECT_EQ(map.value("xesam:album").toString(), "Album");
    EXPECT_EQ(map.value("mpris:length").toLongLong(), 61250000);
    EXPECT_EQ(map.value("xesam:url").toString(), "file:///music/a%20b/song%231.mp3");

    // A file without a tag: the tag routine put its name in Artist, which is no artist.
    track.tags = {};
    track.tags.Artist = "song#1";
    track.seconds = -1;
    map = calvoran::mprisMetadata(track);
    EXPECT_EQ(map.value("xesam:title").toString(), "5. Artist - Song");
    EXPECT_FALSE(map.contains("xesam:artist"));
    EXPECT_FALSE(map.contains("mpris:length")) << "unknown length";

    track.location = "http://radio.example:8000/stream";
    EXPECT_EQ(calvoran::mprisMetadata(track).value("xesam:url").toString(),
              "http://radio.example:8000/stream");
}
