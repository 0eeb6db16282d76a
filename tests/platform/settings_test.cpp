#include "platform/SettingsKey.h"
#include "support/TempHome.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using calvoran::SettingsError;
using calvoran::SettingsKey;

TEST(SettingsKey, FirstRunReadsNothingAndFallsBack) {
    TempHome home;
    EXPECT_EQ(SettingsKey::readString("SkinName"), QString());
    EXPECT_EQ(SettingsKey::readInteger("Volume", 50), 50);
    EXPECT_EQ(SettingsKey::openCount(), 0);

    SettingsKey key;
    ASSERT_TRUE(key.OpenKey());
    EXPECT_FALSE(key.ValueExists("Volume"));
    try {
        key.ReadInteger("Volume");
        FAIL() << "a missing integer must raise";
    } catch (const SettingsError &e) {
        EXPECT_STREQ(e.what(), "Failed to get data for 'Volume'");
    }
    key.CloseKey();
    EXPECT_EQ(SettingsKey::openCount(), 0);
}

TEST(SettingsKey, ValuesSurviveARoundTripWithTheirTypes) {
    TempHome home;
    ASSERT_TRUE(SettingsKey::writeString("SkinName", QString::fromUtf8("Nuit d'été")));
    ASSERT_TRUE(SettingsKey::writeInteger("Volume", 73));
    ASSERT_TRUE(SettingsKey::writeInteger("MainTop", -12));
    ASSERT_TRUE(SettingsKey::writeInteger("Systray", 0));
    EXPECT_EQ(SettingsKey::openCount(), 0);

    // A fresh reader sees what was written: nothing is held between accesses.
    EXPECT_EQ(SettingsKey::readString("SkinName"), QString::fromUtf8("Nuit d'été"));
    EXPECT_EQ(SettingsKey::readInteger("Volume", 0), 73);
    EXPECT_EQ(SettingsKey::readInteger("MainTop", 0), -12);
    EXPECT_EQ(SettingsKey::readInteger("Systray", 1), 0);
    EXPECT_EQ(SettingsKey::openCount(), 0);

    // A skin name that looks like a number stays text; an integer read of text fails.
    ASSERT_TRUE(SettingsKey::writeString("SkinName", "42"));
    EXPECT_EQ(SettingsKey::readString("SkinName"), "42");
    ASSERT_TRUE(SettingsKey::writeString("Volume", "loud"));
    EXPECT_EQ(SettingsKey::readInteger("Volume", 50), 50);

    EXPECT_TRUE(QFile::exists(home.path() + "Calvoran.ini"));
    QSettings raw(home.path() + "Calvoran.ini", QSettings::IniFormat);
    EXPECT_EQ(raw.value("Calvoran/MainTop").toInt(), -12);
}

TEST(SettingsKey, OpenWithoutCreateOnMissingStoreFails) {
    TempHome home;
    SettingsKey key;
    EXPECT_FALSE(key.OpenKey(false));
    EXPECT_FALSE(key.isOpen());
    EXPECT_TRUE(key.OpenKey(true));
    key.WriteInteger("Volume", 5);
    key.CloseKey();
    EXPECT_TRUE(key.OpenKey(false));
    EXPECT_EQ(key.ReadInteger("Volume"), 5);
}
