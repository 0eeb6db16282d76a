#include "config/SkinDescription.h"
#include "config/SkinLoader.h"
#include "support/TempHome.h"

#include "SkinFixtures.h"

#include <gtest/gtest.h>

using calvoran::SkinDescription;

TEST(SkinDescription, ReadsSectionsAndKeysTheIniWay) {
    const SkinDescription ini = SkinDescription::parse("\xEF\xBB\xBF"
                                                       "stray=1\r\n"
                                                       "; a comment\r\n"
                                                       "[Zeta]\r\n"
                                                       "PlayBtnLeft = 12 \r\n"
                                                       "PlayBtnTop=-7\n"
                                                       "Texture=0x10\r"
                                                       "[  Alpha  ] trailing words\n"
                                                       "Texture=\"1\"\n"
                                                       "Bad=12abc\n"
                                                       "Empty=\n"
                                                       "noequals\n"
                                                       "[zeta]\n"
                                                       "PlayBtnLeft=99\n"
                                                       "Extra=5\n"
                                                       "[Caf\xE9]\n");
    EXPECT_EQ(ini.sections(), (QStringList{"Zeta", "Alpha", QString::fromUtf8("Café")}));
    EXPECT_EQ(ini.readInteger("ZETA", "playbtnleft"), 12) << "first occurrence wins, any case";
    EXPECT_EQ(ini.readInteger("zeta", "Extra"), 5) << "a repeated section adds its keys";
    EXPECT_EQ(ini.readInteger("Zeta", "PlayBtnTop"), -7);
    EXPECT_EQ(ini.readInteger("Zeta", "Texture"), 16);
    EXPECT_EQ(ini.readInteger("Alpha", "Texture"), 1);
    EXPECT_EQ(ini.readInteger("Alpha", "Bad"), 0);
    EXPECT_EQ(ini.readInteger("Alpha", "Bad", 3), 3);
    EXPECT_EQ(ini.readInteger("Alpha", "Empty"), 0);
    EXPECT_EQ(ini.readInteger("Alpha", "Missing"), 0);
    EXPECT_EQ(ini.readInteger("Nowhere", "Texture"), 0);
    EXPECT_FALSE(ini.hasSection("stray"));
    EXPECT_EQ(ini.readInteger("", "stray"), 0) << "keys before any section belong to none";
}

TEST(SkinDescription, HexWrapsToThirtyTwoBits) {
    const SkinDescription ini = SkinDescription::parse("[s]\na=0xFFFFFFFF\nb=0x\nc=0x1G\nd=+4\n");
    EXPECT_EQ(ini.readInteger("s", "a"), -1);
    EXPECT_EQ(ini.readInteger("s", "b"), 0);
    EXPECT_EQ(ini.readInteger("s", "c"), 0);
    EXPECT_EQ(ini.readInteger("s", "d"), 4);
}

TEST(ListSkins, GivesSectionNamesInFileOrderAndReplacesTheList) {
    TempHome home;
    QStringList list{"stale"};
    calvoran::ListSkins(list, home.path());
    EXPECT_TRUE(list.isEmpty()) << "no Skins.ini: empty list";

    fixtures::writeFile(home.path() + "Skins.ini", "[Night]\nTexture=1\n[Amber]\n[day]\n");
    list = QStringList{"stale"};
    calvoran::ListSkins(list, home.path());
    EXPECT_EQ(list, (QStringList{"Night", "Amber", "day"}));
    // The default folder is the program folder.
    QStringList defaultList;
    calvoran::ListSkins(defaultList);
    EXPECT_EQ(defaultList, list);
}
