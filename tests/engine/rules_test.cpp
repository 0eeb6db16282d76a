#include "engine/model/PlaylistRules.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using calvoran::PlaylistRules;

TEST(PlaylistRules, CaptionNumbersThePositionAndJoinsArtistAndTitle) {
    EXPECT_EQ(PlaylistRules::entryCaption(0, "Artist", "Song"), "1. Artist - Song");
    EXPECT_EQ(PlaylistRules::entryCaption(3, "song", ""), "4. song - ");
    EXPECT_EQ(PlaylistRules::entryCaption(9, "", ""), "10.  - ");
}

TEST(PlaylistRules, ExtensionAndBaseNameComeFromTheLastComponent) {
    EXPECT_EQ(PlaylistRules::extension("/m/a.b/song.MP3"), ".MP3");
    EXPECT_EQ(PlaylistRules::extension("/m/a.b/song"), "");
    EXPECT_EQ(PlaylistRules::baseName("/m/a.b/my.song.mp3"), "my.song");
    EXPECT_EQ(PlaylistRules::baseName("/m/a.b/song"), "song");
}

TEST(PlaylistRules, DropsAreTestedByExtensionPrefix) {
    for (const char *ok : {"a.mp1", "a.MP2", "/x/a.mp3", "a.ogg", "a.wav", "a.mod", "a.mtm", "a.s3m", "a.it",
                           "a.XM", "a.mp", "a.m", "a.flac", "a.FLAC", "a.oga", "a.opus"})
        EXPECT_TRUE(PlaylistRules::isDroppableMusic(ok)) << ok;
    for (const char *refused : {"a.txt", "a", "/dir.mp3/file", "a.p3", "a.mp3x", "a.flacx", "a.opus1"})
        EXPECT_FALSE(PlaylistRules::isDroppableMusic(refused)) << refused;
}

TEST(PlaylistRules, OnlyAnExistingMp3ComesFromTheCommandLine) {
    QTemporaryDir dir;
    for (const char *name : {"a.MP3", "b.wav", "c.mod"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(PlaylistRules::isCommandLineMp3(dir.filePath("a.MP3")));
    EXPECT_FALSE(PlaylistRules::isCommandLineMp3(dir.filePath("b.wav")));
    EXPECT_FALSE(PlaylistRules::isCommandLineMp3(dir.filePath("c.mod")));
    EXPECT_FALSE(PlaylistRules::isCommandLineMp3(dir.filePath("missing.mp3")));
    EXPECT_FALSE(PlaylistRules::isCommandLineMp3(""));
}
