#include "RecordingTarget.h"
#include "SkinArt.h"
#include "config/SkinLoader.h"
#include "support/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

using calvoran::SkinButton;
using calvoran::SkinControl;

namespace {

QSize frameSize(const QImage &glyph) {
    return {glyph.width() / 2, glyph.height()};
}

// The button rectangle as the player sizes it: the frame plus the press indent and one pixel.
QRect buttonRect(QPoint at, const QImage &glyph) {
    return {at, frameSize(glyph) + QSize(3, 3)};
}

} // namespace

TEST(ShippedSkins, LoadCompletelyThroughTheLoader) {
    TempHome home;
    QString error;
    ASSERT_TRUE(calvoran::skinart::writeSkins(home.path(), &error)) << error.toStdString();

    QStringList listed;
    calvoran::ListSkins(listed, home.path());
    EXPECT_EQ(listed, (QStringList{"Midnight", "Daylight"}));
    EXPECT_EQ(calvoran::resolveStartupSkin("", home.path()), "Midnight");

    for (const QString &skin : listed) {
        SCOPED_TRACE(skin.toStdString());
        RecordingTarget target;
        ASSERT_NO_THROW(calvoran::ApplySkin(target, skin, true, home.path()));
        EXPECT_EQ(target.glyphs.size(), 8u);
        EXPECT_FALSE(target.background.isNull()) << "every shipped skin has a picture (Texture=1)";
        const QRegion shape = target.window.mask();
        EXPECT_EQ(target.window.size(), target.background.size());
        EXPECT_LE(shape.boundingRect().bottom(), target.window.height() - 2);

        for (const auto &[button, glyph] : target.glyphs) {
            ASSERT_EQ(glyph.width() % 2, 0);
            const QRgb key = glyph.pixel(0, 0);
            const int w = glyph.width() / 2;
            bool framesDiffer = false, opaque = false;
            for (int y = 0; y < glyph.height(); ++y)
                for (int x = 0; x < w; ++x) {
                    framesDiffer |= glyph.pixel(x, y) != glyph.pixel(x + w, y);
                    opaque |= glyph.pixel(x, y) != key;
                }
            EXPECT_TRUE(framesDiffer) << "hover frame differs, button " << int(button);
            EXPECT_TRUE(opaque);
        }
        for (SkinButton button : {SkinButton::AddBtn, SkinButton::Delbtn, SkinButton::SaveBtn})
            EXPECT_LE(frameSize(target.glyphs[button]).width(), 25) << "playlist buttons sit 25 pixels apart";

        // Every placed control lies wholly inside the outline, and the five buttons do not overlap.
        const std::pair<SkinControl, SkinButton> buttons[] = {{SkinControl::PlButton, SkinButton::PlButton},
                                                              {SkinControl::PrevBtn, SkinButton::PrevBtn},
                                                              {SkinControl::PlayBtn, SkinButton::PlayBtn},
                                                              {SkinControl::StopBtn, SkinButton::StopBtn},
                                                              {SkinControl::NextBtn, SkinButton::NextBtn}};
        QRegion used;
        for (const auto &[control, button] : buttons) {
            const QRect frame(target.positions[control] + QPoint(1, 1), frameSize(target.glyphs[button]));
            EXPECT_EQ(shape.intersected(frame), QRegion(frame)) << "button " << int(button);
            EXPECT_TRUE(used.intersected(frame).isEmpty()) << "button " << int(button);
            used += frame;
            EXPECT_TRUE(QRect(QPoint(), target.window.size())
                            .contains(buttonRect(target.positions[control], target.glyphs[button])));
        }
        const QRect panel(target.positions[SkinControl::VrDisplay1], QSize(177, 57));
        const QRect menu(target.positions[SkinControl::Image2], QSize(10, 10));
        EXPECT_EQ(shape.intersected(panel), QRegion(panel));
        EXPECT_EQ(shape.intersected(menu), QRegion(menu));
        EXPECT_TRUE(used.intersected(panel).isEmpty());
        EXPECT_TRUE(used.intersected(menu).isEmpty());
        EXPECT_FALSE(panel.intersects(menu));
    }
}

TEST(ShippedSkins, RewritingLeavesUnchangedFilesAlone) {
    TempHome home;
    ASSERT_TRUE(calvoran::skinart::writeSkins(home.path()));
    const QString mask = home.path() + "Skins/Midnight/Midnight.bmp";
    QFile::remove(home.path() + "Skins/Daylight/stopbtn.bmp");
    const QDateTime before = QFileInfo(mask).lastModified();
    {
        QFile file(mask);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(before.addSecs(-100), QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(calvoran::skinart::writeSkins(home.path()));
    EXPECT_EQ(QFileInfo(mask).lastModified(), before.addSecs(-100));
    EXPECT_TRUE(QFile::exists(home.path() + "Skins/Daylight/stopbtn.bmp"));
}
