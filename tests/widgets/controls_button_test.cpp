#include "widgets/TVrBitmapButton.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

const QRgb kKey = qRgb(255, 0, 255);
const QRgb kNormal = qRgb(200, 0, 0);
const QRgb kHover = qRgb(0, 200, 0);

// Two 20 x 10 frames (normal red, mouse-over green) whose left 5 columns are the key colour.
QImage twoFrameGlyph() {
    QImage image(40, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, (x % 20) < 5 ? kKey : (x < 20 ? kNormal : kHover));
    return image;
}

// The player's set-up: two frames, top-left pixel transparent, transparent, auto-sized.
std::unique_ptr<TVrBitmapButton> playerButton(QWidget *parent) {
    auto button = std::make_unique<TVrBitmapButton>(parent);
    button->setNumGlyphs(2);
    button->setTransparentMode(tmPixel);
    button->setTransparent(true);
    button->setAutoSize(true);
    button->setGlyph(twoFrameGlyph());
    return button;
}

} // namespace

TEST(TVrBitmapButton, AutoSizeFitsOneFramePlusTheIndents) {
    TVrBitmapButton button;
    EXPECT_EQ(button.NumGlyphs(), 1);
    EXPECT_EQ(button.HIndent(), 2);
    EXPECT_EQ(button.TransparentMode(), tmColor);
    button.setNumGlyphs(2);
    button.setAutoSize(true);
    button.setGlyph(twoFrameGlyph());
    EXPECT_EQ(button.frameSize(), QSize(20, 10));
    EXPECT_EQ(button.size(), QSize(23, 13));
    button.setHIndent(-4); // never negative
    EXPECT_EQ(button.HIndent(), 0);
    EXPECT_EQ(button.size(), QSize(21, 13));
    // New pixels re-measure: a skin's glyph of two 30 x 16 frames.
    button.setGlyph(QImage(60, 16, QImage::Format_RGB32));
    EXPECT_EQ(button.size(), QSize(31, 19));
}

TEST(TVrBitmapButton, ClickNeedsPressAndReleaseOverTheButton) {
    QWidget window;
    window.resize(100, 60);
    auto button = playerButton(&window);
    button->move(10, 10);
    window.show();
    int clicks = 0;
    button->setOnClick([&] { ++clicks; });
    const QPoint opaque(12, 5);

    QTest::mouseClick(button.get(), Qt::LeftButton, {}, opaque);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(button.get(), Qt::RightButton, {}, opaque);
    EXPECT_EQ(clicks, 1);

    // Pressed, then released outside: no click, and the look is back to normal.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, opaque);
    EXPECT_TRUE(button->isPressed());
    QTest::mouseMove(button.get(), QPoint(60, 40));
    EXPECT_FALSE(button->isPressed());
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->isPressed());

    // Leaving and coming back while held still clicks.
    QTest::mousePress(button.get(), Qt::LeftButton, {}, opaque);
    QTest::mouseMove(button.get(), QPoint(60, 40));
    QTest::mouseMove(button.get(), opaque);
    EXPECT_TRUE(button->isPressed());
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, opaque);
    EXPECT_EQ(clicks, 2);
}

TEST(TVrBitmapButton, TransparentPixelsAreNotHitNorPainted) {
    QWidget window;
    window.resize(100, 60);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto button = playerButton(&window);
    window.show();
    int clicks = 0;
    button->setOnClick([&] { ++clicks; });
    // The frame sits at ((23 - 20) / 2, (13 - 10) / 2) = (1, 1); its left 5 columns are see-through.
    EXPECT_EQ(button->frameRect(), QRect(1, 1, 20, 10));
    EXPECT_FALSE(button->hitTest(QPoint(3, 5)));
    EXPECT_TRUE(button->hitTest(QPoint(7, 5)));
    QTest::mouseClick(button.get(), Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->isPressed());

    const QImage image = button->renderImage();
    EXPECT_EQ(image.pixel(3, 5), qRgb(10, 20, 30)); // the parent shows through
    EXPECT_EQ(image.pixel(7, 5), kNormal);

    // Opaque buttons are hit everywhere in the frame and paint the key colour in Color.
    button->setTransparent(false);
    button->setColor(Qt::white);
    EXPECT_TRUE(button->hitTest(QPoint(3, 5)));
    EXPECT_EQ(button->renderImage().pixel(3, 5), qRgb(255, 255, 255));
}

TEST(TVrBitmapButton, TwoFrameGlyphShowsHoverFrameAndPressedFrameZeroOffset) {
    QWidget window;
    window.resize(100, 60);
    auto button = playerButton(&window);
    button->move(20, 20);
    window.show();
    const QPoint opaque(12, 5);

    EXPECT_EQ(button->renderImage().pixel(10, 5), kNormal);
    QTest::mouseMove(button.get(), opaque);
    EXPECT_TRUE(button->isMouseOver());
    EXPECT_EQ(button->currentFrame(), 1);
    EXPECT_EQ(button->renderImage().pixel(10, 5), kHover);

    QTest::mousePress(button.get(), Qt::LeftButton, {}, opaque);
    EXPECT_EQ(button->currentFrame(), 0); // no pressed frame of its own
    EXPECT_EQ(button->frameRect(), QRect(3, 3, 20, 10));
    const QImage pressed = button->renderImage();
    EXPECT_EQ(pressed.pixel(22, 12), kNormal);           // bottom-right pixel of the shifted frame
    EXPECT_EQ(pressed.pixel(7, 5), pressed.pixel(0, 0)); // key colour: background
    QTest::mouseRelease(button.get(), Qt::LeftButton, {}, opaque);
    EXPECT_EQ(button->frameRect(), QRect(1, 1, 20, 10));

    // A disabled button would show frame 3; with two frames it falls back to frame 0.
    button->setEnabled(false);
    EXPECT_EQ(button->currentFrame(), 0);
}

TEST(TVrBitmapButton, ColourModeUsesTheButtonColourAsKey) {
    TVrBitmapButton button;
    button.setTransparent(true);
    button.setColor(QColor(kNormal));
    button.setGlyph(twoFrameGlyph());
    button.resize(40, 10);
    // tmColor: red (the normal face) is see-through, magenta is not.
    EXPECT_FALSE(button.hitTest(QPoint(10, 5)));
    EXPECT_TRUE(button.hitTest(QPoint(1, 5)));
    button.setTransparentMode(tmPixel);
    EXPECT_TRUE(button.hitTest(QPoint(10, 5)));
    EXPECT_FALSE(button.hitTest(QPoint(1, 5)));
}

TEST(TVrBitmapButton, TakesASkinGlyphFromABmpFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("playbtn.bmp");
    ASSERT_TRUE(twoFrameGlyph().save(path, "BMP"));
    QWidget window;
    auto button = playerButton(&window);
    button->setGlyph(QImage(path));
    EXPECT_EQ(button->size(), QSize(23, 13));
    EXPECT_FALSE(button->hitTest(QPoint(3, 5)));
    EXPECT_EQ(button->renderImage().pixel(10, 5), kNormal);
    button->setGlyph(QPixmap(path));
    EXPECT_EQ(button->frameSize(), QSize(20, 10));
}
