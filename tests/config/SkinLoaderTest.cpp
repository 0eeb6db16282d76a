#include "config/SkinLoader.h"
#include "RecordingTarget.h"
#include "SkinFixtures.h"
#include "config/SkinFileError.h"
#include "platform/Dialogs.h"
#include "platform/SettingsKey.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using calvoran::ApplySkin;
using calvoran::SkinButton;
using calvoran::SkinControl;
using calvoran::SkinFileError;

namespace {

const QByteArray kFullSection = "PlbtnLeft=1\nPlbtnTop=2\nPrevBtnLeft=3\nPrevBtnTop=4\nPlayBtnLeft=5\n"
                                "PlayBtnTop=6\nStopBtnLeft=7\nStopBtnTop=8\nNextBtnLeft=9\nNextBtnTop=10\n"
                                "SongTitleLeft=11\nSongTitleTop=12\nMenuButtLeft=13\nMenuButtTop=14\n";

// Two whole skins: "Blue" with a 120 x 50 picture, "Red" without one (Texture 0).
class SkinLoader : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::writeFile(folder() + "Skins.ini",
                            "[Blue]\n" + kFullSection + "Texture=1\n[Red]\nPlayBtnLeft=40\nTexture=0\n");
        fixtures::writeSkinFiles(folder(), "Blue", Qt::blue, {100, 40}, QRect(5, 5, 50, 20), {120, 50});
        fixtures::writeSkinFiles(folder(), "Red", Qt::red, {70, 30}, QRect(0, 0, 70, 30), {}, false);
        calvoran::setMessageRecorder([this](const calvoran::RecordedMessage &m) { messages.push_back(m); });
    }
    void TearDown() override { calvoran::setMessageRecorder({}); }

    QString folder() const { return home.path(); }
    QString skinFile(const QString &skin, const QString &file) const {
        return folder() + "Skins/" + skin + '/' + file;
    }

    TempHome home;
    RecordingTarget target;
    std::vector<calvoran::RecordedMessage> messages;
};

QStringList positionSteps(const QList<int> &values) {
    QStringList steps;
    for (int control = 0; control < 7; ++control) {
        steps << QStringLiteral("left %1 %2").arg(control).arg(values[control * 2]);
        steps << QStringLiteral("top %1 %2").arg(control).arg(values[control * 2 + 1]);
    }
    return steps;
}

QStringList glyphSteps(int count) {
    QStringList steps;
    for (int button = 0; button < count; ++button)
        steps << QStringLiteral("glyph %1").arg(button);
    return steps;
}

} // namespace

TEST_F(SkinLoader, AppliesEveryStepInOrderAndFitsToTheBackgroundAtStartUp) {
    ApplySkin(target, "Blue", true, folder());
    const QStringList expected = positionSteps({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}) +
                                 glyphSteps(8) +
                                 QStringList{"mask", "background", "repaint", "resize 120x50"};
    EXPECT_EQ(target.log, expected);
    EXPECT_EQ(target.positions[SkinControl::VrDisplay1], QPoint(11, 12));
    EXPECT_EQ(target.positions[SkinControl::Image2], QPoint(13, 14));
    EXPECT_EQ(target.glyphs[SkinButton::PlButton].size(), QSize(16, 6));
    EXPECT_EQ(target.glyphs[SkinButton::SaveBtn].size(), QSize(30, 6));
    EXPECT_EQ(target.window.mask(), QRegion(5, 5, 50, 20));
    EXPECT_EQ(target.window.size(), QSize(120, 50)) << "start-up: the background picture's size";
    EXPECT_EQ(target.background.size(), QSize(120, 50));
}

TEST_F(SkinLoader, FromTheChooserTheWindowKeepsTheMaskSize) {
    ApplySkin(target, "Blue", false, folder());
    EXPECT_EQ(target.window.size(), QSize(100, 40));
    EXPECT_FALSE(target.log.contains("repaint"));
    EXPECT_FALSE(target.log.last().startsWith("resize"));
}

TEST_F(SkinLoader, MissingKeysPutTheSevenControlsAtTheOrigin) {
    ApplySkin(target, "Blue", false, folder());
    // "Red" has only PlayBtnLeft.
    target.log.clear();
    ApplySkin(target, "Red", false, folder());
    EXPECT_EQ(target.log.mid(0, 14), positionSteps({0, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(target.log.contains("background")) << "no Texture key reads as 0";
    // A folder without a section, or without Skins.ini at all, is no skin: it fails and the window
    // keeps the skin it had (a name typed into the skin chooser must not strip its buttons).
    fixtures::writeSkinFiles(folder(), "Nosection", Qt::green, {20, 20}, QRect(0, 0, 20, 20));
    for (const bool withIni : {true, false}) {
        if (!withIni) QFile::remove(folder() + "Skins.ini");
        for (const QString &skin :
             {QStringLiteral("Nosection"), QStringLiteral("Blue"), QStringLiteral("Bl")}) {
            if (withIni && skin == "Blue") continue;
            target.log.clear();
            EXPECT_THROW(ApplySkin(target, skin, false, folder()), SkinFileError) << skin.toStdString();
            EXPECT_TRUE(target.log.isEmpty()) << skin.toStdString();
        }
    }
}

TEST_F(SkinLoader, TextureZeroKeepsThePreviousBackground) {
    ApplySkin(target, "Blue", true, folder());
    const QImage blue = target.background;
    target.log.clear();
    ApplySkin(target, "Red", false, folder()); // Red has no picture file; none is looked for
    EXPECT_FALSE(target.log.contains("background"));
    EXPECT_EQ(target.background, blue);
    EXPECT_EQ(target.window.size(), QSize(70, 30));
    // At start-up the kept picture still sets the size.
    ApplySkin(target, "Red", true, folder());
    EXPECT_EQ(target.window.size(), QSize(120, 50));
}

TEST_F(SkinLoader, WithoutAnyPictureStartUpKeepsTheMaskSize) {
    ApplySkin(target, "Red", true, folder());
    EXPECT_EQ(target.window.size(), QSize(70, 30));
    EXPECT_EQ(target.log.last(), "repaint");
}

TEST_F(SkinLoader, MissingGlyphFailsBeforeAnythingChanges) {
    ApplySkin(target, "Red", false, folder());
    const QRegion redShape = target.window.mask();
    QFile::remove(skinFile("Blue", "stopbtn.bmp"));
    target.log.clear();
    const QString path = skinFile("Blue", "stopbtn.bmp");
    try {
        ApplySkin(target, "Blue", true, folder());
        FAIL() << "no error";
    } catch (const SkinFileError &error) {
        EXPECT_EQ(error.message(), "Cannot open file \"" + path + "\". No such file or directory");
    }
    EXPECT_TRUE(target.log.isEmpty());
    EXPECT_EQ(target.window.mask(), redShape);
    EXPECT_EQ(target.window.size(), QSize(70, 30));
}

TEST_F(SkinLoader, MissingMaskOrPictureChangesNothing) {
    QFile::remove(skinFile("Blue", "Blue.bmp"));
    EXPECT_THROW(ApplySkin(target, "Blue", true, folder()), SkinFileError);
    EXPECT_TRUE(target.log.isEmpty());
    EXPECT_TRUE(target.glyphs.empty());
    EXPECT_EQ(target.window.size(), QSize(2, 2));

    fixtures::writeImage(skinFile("Blue", "Blue.bmp"), fixtures::maskImage({100, 40}, QRect(0, 0, 9, 9)),
                         "BMP");
    QFile::remove(skinFile("Blue", "Blue.jpg"));
    target.log.clear();
    EXPECT_THROW(ApplySkin(target, "Blue", true, folder()), SkinFileError);
    EXPECT_TRUE(target.log.isEmpty());
    EXPECT_EQ(target.window.size(), QSize(2, 2));
    EXPECT_TRUE(target.background.isNull());
}

TEST_F(SkinLoader, UndecodableFilesFailToo) {
    fixtures::writeFile(skinFile("Blue", "plbtn.bmp"), "BM but not a bitmap");
    try {
        ApplySkin(target, "Blue", false, folder());
        FAIL() << "no error";
    } catch (const SkinFileError &error) {
        EXPECT_EQ(error.message(),
                  "Cannot read file \"" + skinFile("Blue", "plbtn.bmp") + "\". Bitmap image is not valid");
    }
    // A bitmap where the picture belongs is no picture.
    fixtures::writeSkinFiles(folder(), "Blue", Qt::blue, {100, 40}, QRect(5, 5, 50, 20), {}, false);
    QFile::remove(skinFile("Blue", "Blue.jpg"));
    ASSERT_TRUE(QFile::copy(skinFile("Blue", "Blue.bmp"), skinFile("Blue", "Blue.jpg")));
    target.log.clear();
    EXPECT_THROW(ApplySkin(target, "Blue", false, folder()), SkinFileError);
    EXPECT_TRUE(target.log.isEmpty());
}

TEST_F(SkinLoader, UnknownOrEmptyNameNamesTheFirstGlyphAndChangesNothing) {
    for (const QString &name : {QStringLiteral("Blu"), QString()}) {
        target.log.clear();
        try {
            ApplySkin(target, name, false, folder());
            FAIL() << "no error";
        } catch (const SkinFileError &error) {
            EXPECT_TRUE(error.message().startsWith("Cannot open file \"" + folder() + "Skins/" + name +
                                                   "/plbtn.bmp\"."));
        }
        EXPECT_TRUE(target.log.isEmpty());
    }
}

TEST_F(SkinLoader, StartUpChoosesTheSavedSkinOrFallsBack) {
    using calvoran::resolveStartupSkin;
    EXPECT_EQ(resolveStartupSkin("Red", folder()), "Red");
    EXPECT_EQ(resolveStartupSkin("", folder()), "Blue");
    EXPECT_EQ(resolveStartupSkin("Gone", folder()), "Blue");
    EXPECT_EQ(resolveStartupSkin("Gone"), "Blue") << "the program folder by default";
    // Listed but its folder deleted: the next listed skin that has one.
    QDir(folder() + "Skins/Blue").removeRecursively();
    EXPECT_EQ(resolveStartupSkin("Blue", folder()), "Red");
    // A folder that Skins.ini does not list is not a skin.
    fixtures::writeSkinFiles(folder(), "Unlisted", Qt::green, {20, 20}, QRect(0, 0, 20, 20));
    EXPECT_EQ(resolveStartupSkin("Unlisted", folder()), "Red");
    QFile::remove(folder() + "Skins.ini");
    EXPECT_EQ(resolveStartupSkin("Red", folder()), "");
}

TEST_F(SkinLoader, StartUpSurvivesBrokenSkinsSilently) {
    QFile::remove(skinFile("Blue", "nextbtn.bmp"));
    EXPECT_EQ(calvoran::applyStartupSkin(target, "Blue", folder()), "Red");
    EXPECT_EQ(target.window.size(), QSize(70, 30));
    EXPECT_EQ(target.window.mask(), QRegion(0, 0, 70, 29));

    QFile::remove(skinFile("Red", "Red.bmp"));
    target.log.clear();
    EXPECT_EQ(calvoran::applyStartupSkin(target, "", folder()), "");
    EXPECT_EQ(target.log.last(), "built-in");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(calvoran::SettingsKey::readString("SkinName").isEmpty());
}

// SkinName comes from the settings file: a path in it must not reach files outside the skins.
TEST_F(SkinLoader, OnlyListedPlainNamesAreSkins) {
    // A complete skin outside Skins/, and one listed under a name that climbs out of it.
    fixtures::writeSkinFiles(folder(), "../Outside", Qt::green, {20, 20}, QRect(0, 0, 20, 20));
    ASSERT_TRUE(QFile::exists(folder() + "Outside/plbtn.bmp"));
    fixtures::writeFile(folder() + "Skins.ini",
                        "[Blue]\n" + kFullSection + "Texture=1\n[../Outside]\nTexture=0\n");
    fixtures::writeSkinFiles(folder(), "Unlisted", Qt::green, {20, 20}, QRect(0, 0, 20, 20));
    for (const QString &name : {QStringLiteral("../Outside"), QStringLiteral("Blue/.."), QStringLiteral(".."),
                                QStringLiteral("Unlisted"), folder() + "Skins/Blue"}) {
        SCOPED_TRACE(name.toStdString());
        target.log.clear();
        try {
            ApplySkin(target, name, false, folder());
            FAIL() << "no error";
        } catch (const SkinFileError &error) {
            EXPECT_TRUE(error.message().contains("plbtn.bmp\". No such file or directory"));
        }
        EXPECT_TRUE(target.log.isEmpty());
        EXPECT_EQ(calvoran::resolveStartupSkin(name, folder()), "Blue");
    }
}

TEST_F(SkinLoader, UserFolderSkinsComeFirstAndProgramSkinsStayAvailable) {
    QTemporaryDir user;
    const QString userFolder = user.path() + '/';
    fixtures::writeFile(userFolder + "Skins.ini", "[Mine]\nTexture=0\n[blue]\nTexture=0\n");
    fixtures::writeSkinFiles(userFolder, "Mine", Qt::green, {60, 20}, QRect(0, 0, 60, 20), {}, false);
    fixtures::writeSkinFiles(userFolder, "blue", Qt::yellow, {60, 20}, QRect(0, 0, 60, 20), {}, false);
    const QStringList both{userFolder, folder()};
    // One list, user skins first, a name listed twice only once.
    EXPECT_EQ(calvoran::listSkinsIn(both), QStringList({"Mine", "blue", "Red"}));
    EXPECT_EQ(calvoran::skinHome("Mine", both), userFolder);
    EXPECT_EQ(calvoran::skinHome("Red", both), folder());
    EXPECT_EQ(calvoran::skinHome("Nowhere", both), folder());

    ApplySkin(target, "Mine", false, calvoran::skinHome("Mine", both));
    EXPECT_EQ(target.glyphs.at(calvoran::SkinButton::PlayBtn).pixelColor(3, 3), QColor(Qt::green));
    ApplySkin(target, "Red", false, calvoran::skinHome("Red", both));
    EXPECT_EQ(target.glyphs.at(calvoran::SkinButton::PlayBtn).pixelColor(3, 3), QColor(Qt::red));
}
