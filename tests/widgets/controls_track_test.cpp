#include "widgets/TVrSlider.h"
#include "widgets/TVrTrackBar.h"
#include "widgets/VrThumbArt.h"
#include "widgets/VrTrackGeometry.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

// A horizontal slider whose thumb (30 wide) travels exactly 100 pixels.
std::unique_ptr<TVrSlider> slider100(int minValue, int maxValue) {
    auto slider = std::make_unique<TVrSlider>();
    slider->setOrientation(voHorizontal);
    slider->setThumbIndent(0);
    slider->setBorderWidth(0);
    slider->setMinValue(minValue);
    slider->setMaxValue(maxValue);
    slider->setOptions(soActiveClick | soHandPoint | soThumbOpaque);
    slider->resize(130, 13);
    slider->show();
    return slider;
}

// A thumb image of four frames, each one solid colour, 10 x 8.
QImage fourFrameThumb() {
    QImage image(40, 8, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(200, 0, 0), qRgb(0, 0, 200), qRgb(0, 200, 0), qRgb(200, 200, 0)};
    for (int f = 0; f < 4; ++f)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x)
                image.setPixel(f * 10 + x, y, colours[f]);
    return image;
}

} // namespace

TEST(VrTrackGeometry, RoundsHalvesToEvenAndMapsBothWays) {
    EXPECT_EQ(roundHalfEven(5, 2), 2);
    EXPECT_EQ(roundHalfEven(7, 2), 4);
    EXPECT_EQ(roundHalfEven(-5, 2), -2);
    EXPECT_EQ(roundHalfEven(-7, 2), -4);
    EXPECT_EQ(roundHalfEven(7, -2), -4);
    EXPECT_EQ(roundHalfEven(10, 3), 3);

    // 130 wide, 30-pixel thumb: 100 pixels of travel.
    const VrTrackGeometry h(QRect(0, 0, 130, 13), QSize(30, 13), false, false);
    EXPECT_EQ(h.length(), 100);
    EXPECT_EQ(h.thumbPosForValue(30, 0, 100), 30);
    EXPECT_EQ(h.valueAtThumbPos(30, 0, 100), 30);
    EXPECT_EQ(h.valueAtThumbPos(-20, 0, 100), 0);
    EXPECT_EQ(h.valueAtThumbPos(250, 0, 100), 100);
    // 0..19 over 100 pixels: 2.5 pixels... rounding of 12 * 19 / 100 = 2.28.
    EXPECT_EQ(h.valueAtThumbPos(12, 0, 19), 2);

    // Vertical, minimum at the top: distances run upward, values grow downward.
    const VrTrackGeometry v(QRect(0, 0, 17, 130), QSize(13, 30), true, true);
    EXPECT_EQ(v.thumbPosForValue(0, 0, 100), 100);
    EXPECT_EQ(v.thumbRect(100).top(), 0);
    EXPECT_EQ(v.thumbRect(0).bottom(), 129);
    EXPECT_EQ(v.along(QPoint(5, 129)), 0);
    EXPECT_EQ(v.valueAtThumbPos(100, 0, 100), 0);
    EXPECT_EQ(v.valueAtThumbPos(0, 0, 100), 100);

    // A zero range or no travel never divides by zero.
    const VrTrackGeometry tiny(QRect(0, 0, 20, 13), QSize(30, 13), false, false);
    EXPECT_EQ(tiny.length(), 0);
    EXPECT_EQ(tiny.valueAtThumbPos(5, -100, 100), -100);
    EXPECT_EQ(h.thumbPosForValue(7, 7, 7), 0);
}

TEST(VrTrackGeometry, TickSpacingTakesTheSmallestMultipleFourPixelsApart) {
    const VrTrackGeometry h(QRect(0, 0, 109, 17), QSize(9, 17), false, false); // 100 px of travel
    // Frequency 1 over 0..100: k = 4 gives 26 ticks 4 pixels apart.
    std::vector<int> ticks = h.tickValues(0, 100, 1);
    ASSERT_EQ(ticks.size(), 26u);
    EXPECT_EQ(ticks[1], 4);
    EXPECT_EQ(ticks.back(), 100);
    // Frequency 10 is already 10 pixels apart.
    ticks = h.tickValues(0, 100, 10);
    ASSERT_EQ(ticks.size(), 11u);
    EXPECT_EQ(ticks[3], 30);
    // A range that is no multiple of the step still ends on the maximum: 0, 30, 60, 100.
    ticks = h.tickValues(0, 100, 30);
    EXPECT_EQ(ticks, (std::vector<int>{0, 30, 60, 100}));
    // Nothing fits: only the two ends.
    const VrTrackGeometry tiny(QRect(0, 0, 12, 17), QSize(9, 17), false, false);
    EXPECT_EQ(tiny.tickValues(0, 100, 1), (std::vector<int>{0, 100}));
}

TEST(TVrSlider, ActiveClickSetsTheValueUnderTheThumbCentreAndDraggingClamps) {
    auto slider = slider100(0, 100);
    std::vector<int> changes;
    slider->setOnChange([&] { changes.push_back(slider->Position()); });

    // 30 pixels past the start plus half the thumb.
    QTest::mouseClick(slider.get(), Qt::LeftButton, {}, QPoint(30 + 15, 6));
    EXPECT_EQ(slider->Position(), 30);
    EXPECT_EQ(slider->thumbRect().left(), 30);
    EXPECT_FALSE(slider->isDragging());
    // The same click again changes nothing and fires nothing.
    QTest::mouseClick(slider.get(), Qt::LeftButton, {}, QPoint(45, 6));
    EXPECT_EQ(changes, std::vector<int>{30});

    // Drag the thumb by its middle far beyond the end.
    QTest::mousePress(slider.get(), Qt::LeftButton, {}, QPoint(45, 6));
    EXPECT_TRUE(slider->isDragging());
    QTest::mouseMove(slider.get(), QPoint(55, 6));
    EXPECT_EQ(slider->Position(), 40);
    QTest::mouseMove(slider.get(), QPoint(900, 6));
    EXPECT_EQ(slider->Position(), 100);
    QTest::mouseRelease(slider.get(), Qt::LeftButton, {}, QPoint(900, 6));
    EXPECT_FALSE(slider->isDragging());
    EXPECT_EQ(changes, (std::vector<int>{30, 40, 100}));

    // Without active click a press beside the thumb does nothing.
    slider->setOptions(soHandPoint);
    QTest::mouseClick(slider.get(), Qt::LeftButton, {}, QPoint(10, 6));
    EXPECT_EQ(slider->Position(), 100);
}

TEST(TVrSlider, BalanceMiddlePixelIsZero) {
    auto slider = slider100(-100, 100);
    EXPECT_EQ(slider->Position(), 0);
    EXPECT_EQ(slider->thumbRect().left(), 50); // centred: 50 of 100 pixels
    slider->setPosition(-100);
    QTest::mouseClick(slider.get(), Qt::LeftButton, {}, QPoint(65, 6));
    EXPECT_EQ(slider->Position(), 0);
    slider->setPosition(-100); // move the thumb out of the way, or the press would drag it
    QTest::mouseClick(slider.get(), Qt::LeftButton, {}, QPoint(66, 6));
    EXPECT_EQ(slider->Position(), 2);
}

TEST(TVrSlider, EqualiserSliderGrowsDownwardAndUpDecreases) {
    TVrSlider eq; // vertical by default
    eq.setStyle(ssTopRight);
    eq.setMaxValue(19);
    eq.setPosition(8);
    eq.setKeyIncrement(1);
    eq.setOptions(soActiveClick);
    eq.resize(17, 113);
    eq.show();
    int changes = 0;
    eq.setOnChange([&] { ++changes; });

    QTest::keyClick(&eq, Qt::Key_Up);
    EXPECT_EQ(eq.Position(), 7);
    QTest::keyClick(&eq, Qt::Key_Down);
    QTest::keyClick(&eq, Qt::Key_Down);
    EXPECT_EQ(eq.Position(), 9);
    QTest::keyClick(&eq, Qt::Key_Left); // not an axis of a vertical slider
    EXPECT_EQ(eq.Position(), 9);
    QTest::keyClick(&eq, Qt::Key_End);
    EXPECT_EQ(eq.Position(), 19);
    QTest::keyClick(&eq, Qt::Key_Down); // already at the maximum: no change, no event
    EXPECT_EQ(changes, 4);
    // The maximum sits at the bottom end of the travel.
    const QRect track = eq.rect().adjusted(3, 3, -3, -3);
    EXPECT_EQ(eq.thumbRect().bottom(), track.bottom());
    QTest::keyClick(&eq, Qt::Key_Home);
    EXPECT_EQ(eq.Position(), 0);
    EXPECT_EQ(eq.thumbRect().top(), track.top());
    // A click near the bottom gives a large value.
    QTest::mouseClick(&eq, Qt::LeftButton, {}, QPoint(8, track.bottom() - 2));
    EXPECT_EQ(eq.Position(), 19);
}

TEST(TVrSlider, HorizontalKeysFollowTheStyle) {
    auto slider = slider100(0, 100);
    slider->setPosition(50);
    QTest::keyClick(slider.get(), Qt::Key_Right);
    EXPECT_EQ(slider->Position(), 55);
    QTest::keyClick(slider.get(), Qt::Key_Up); // not an axis of a horizontal slider
    EXPECT_EQ(slider->Position(), 55);
    slider->setStyle(ssTopRight);
    QTest::keyClick(slider.get(), Qt::Key_Right);
    EXPECT_EQ(slider->Position(), 50);
    EXPECT_EQ(slider->thumbRect().left(), 50);
    slider->setPosition(100);
    EXPECT_EQ(slider->thumbRect().left(), 0); // maximum at the left end
}

TEST(TVrSlider, PositionClampsAndFiresOnlyOnChange) {
    TVrSlider slider;
    int changes = 0;
    slider.setOnChange([&] { ++changes; });
    slider.setPosition(0);
    EXPECT_EQ(changes, 0);
    slider.setPosition(150);
    EXPECT_EQ(slider.Position(), 100);
    EXPECT_EQ(changes, 1);
    slider.setPosition(100);
    EXPECT_EQ(changes, 1);
    slider.setMaxValue(40);
    EXPECT_EQ(slider.Position(), 40);
    EXPECT_EQ(changes, 2);
    slider.setMinValue(60); // above the maximum: the maximum follows
    EXPECT_EQ(slider.MaxValue(), 60);
    EXPECT_EQ(slider.Position(), 60);
    slider.setPosition(-5);
    EXPECT_EQ(slider.Position(), 60);
    EXPECT_EQ(changes, 3);
}

TEST(TVrSlider, MouseClipGrabsThePointerWhileDragging) {
    auto slider = slider100(0, 100);
    slider->setOptions(soMouseClip);
    std::vector<std::pair<int, int>> downs, ups;
    slider->setOnMouseDown([&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        downs.push_back({x, y});
    });
    slider->setOnMouseUp([&](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        ups.push_back({x, y});
    });
    QTest::mousePress(slider.get(), Qt::LeftButton, {}, QPoint(15, 6));
    EXPECT_EQ(QWidget::mouseGrabber(), slider.get());
    QTest::mouseMove(slider.get(), QPoint(-300, 40));
    EXPECT_EQ(slider->Position(), 0);
    QTest::mouseMove(slider.get(), QPoint(300, 40));
    EXPECT_EQ(slider->Position(), 100);
    QTest::mouseRelease(slider.get(), Qt::LeftButton, {}, QPoint(300, 40));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{15, 6}}));
    EXPECT_EQ(ups.size(), 1u);
}

TEST(TVrSlider, ThumbFramesFollowHotDraggingAndDisabled) {
    auto slider = slider100(0, 100);
    slider->setThumbIndent(0);
    slider->setBitmapList({fourFrameThumb()});
    slider->setThumbImageIndex(0);
    slider->setThumbStates(4);
    slider->resize(110, 13); // 10-pixel thumb, 100 px of travel
    const QPoint onThumb(5, 6);
    auto thumbColour = [&] { return slider->renderImage().pixel(slider->thumbRect().center()); };
    EXPECT_EQ(thumbColour(), qRgb(200, 0, 0));
    QTest::mouseMove(slider.get(), onThumb);
    EXPECT_TRUE(slider->isThumbHot());
    EXPECT_EQ(thumbColour(), qRgb(200, 200, 0));
    QTest::mousePress(slider.get(), Qt::LeftButton, {}, onThumb);
    EXPECT_EQ(thumbColour(), qRgb(0, 200, 0));
    QTest::mouseRelease(slider.get(), Qt::LeftButton, {}, onThumb);
    QTest::mouseMove(slider.get(), QPoint(80, 6));
    EXPECT_EQ(thumbColour(), qRgb(200, 0, 0));
    slider->setEnabled(false);
    EXPECT_EQ(thumbColour(), qRgb(0, 0, 200));
    // With two frames there is no hot frame: frame 0 stands in.
    slider->setEnabled(true);
    slider->setThumbStates(2);
    QTest::mouseMove(slider.get(), QPoint(15, 6));
    EXPECT_TRUE(slider->isThumbHot());
    EXPECT_EQ(slider->thumbFrame(), 0);
}

TEST(TVrSlider, LightsBarsFromTheMinimumToTheThumb) {
    TVrSlider slider;
    slider.setOrientation(voHorizontal);
    slider.setBorderWidth(0);
    slider.setThumbIndent(0);
    slider.Bevel().setVisible(false);
    slider.setPalette(TVrPalette(Qt::darkGreen, Qt::green));
    slider.resize(130, 20);
    slider.setPosition(50); // thumb covers x 50..79, rows 3..15
    QImage image = slider.renderImage();
    EXPECT_EQ(image.pixel(10, 1), QColor(Qt::green).rgb()); // bar, lit
    EXPECT_EQ(image.pixel(11, 1), QColor(Qt::black).rgb()); // spacing
    EXPECT_EQ(image.pixel(100, 1), QColor(Qt::darkGreen).rgb());
    EXPECT_EQ(image.pixel(78, 1), QColor(Qt::green).rgb()); // under the thumb's far edge: lit
    EXPECT_EQ(image.pixel(82, 1), QColor(Qt::darkGreen).rgb());
    // Checker fill: alternate pixels of a bar in the bar colour and Color.
    slider.setSolidFill(false);
    image = slider.renderImage();
    EXPECT_NE(image.pixel(10, 1), image.pixel(10, 2));
    EXPECT_TRUE(image.pixel(10, 1) == QColor(Qt::green).rgb() ||
                image.pixel(10, 2) == QColor(Qt::green).rgb());

    // Vertical with the minimum at the top lights from the top to the thumb's near edge.
    slider.setOrientation(voVertical);
    slider.setStyle(ssTopRight);
    slider.resize(20, 130);
    slider.setSolidFill(true);
    image = slider.renderImage();
    const QRect thumb = slider.thumbRect();
    EXPECT_EQ(thumb.top(), 50);
    EXPECT_EQ(image.pixel(1, 48), QColor(Qt::green).rgb());
    EXPECT_EQ(image.pixel(1, 100), QColor(Qt::darkGreen).rgb());
}

TEST(TVrTrackBar, DefaultsTicksAndGroove) {
    TVrTrackBar bar;
    EXPECT_EQ(bar.Orientation(), voHorizontal);
    EXPECT_EQ(bar.Options(), toActiveClick | toMouseClip | toHandPoint | toThumbOpaque);
    EXPECT_EQ(bar.BorderWidth(), 10);
    bar.setColor(Qt::white);
    bar.setFrequency(10);
    bar.resize(129, 60); // track 109 wide: 100 px of travel
    const QRect groove = bar.grooveRect();
    EXPECT_EQ(groove, QRect(10, 25, 109, 9));
    bar.setPosition(100); // keep the thumb away from the first tick
    const QImage image = bar.renderImage();
    const QRgb black = QColor(Qt::black).rgb();
    // The tick at the minimum: x = 10 + 0 + 4, 4 long, 5 pixels above and below the groove.
    EXPECT_EQ(image.pixel(14, 25 - 5 - 1), black);
    EXPECT_EQ(image.pixel(14, 25 - 5 - 4), black);
    EXPECT_NE(image.pixel(14, 25 - 5 - 5), black);
    EXPECT_NE(image.pixel(14, 25 - 5), black);
    EXPECT_EQ(image.pixel(14, 34 + 5), black);
    EXPECT_EQ(image.pixel(14, 34 + 5 + 3), black);
    // A middle tick (value 10 at x 24) is 3 long.
    EXPECT_EQ(image.pixel(24, 25 - 5 - 3), black);
    EXPECT_NE(image.pixel(24, 25 - 5 - 4), black);
    // The groove's inside is GutterColor inside its one-pixel lowered bevel.
    EXPECT_EQ(image.pixel(40, 29), black);
    EXPECT_EQ(image.pixel(40, 25), QColor(0x80, 0x80, 0x80).rgb());

    bar.setTickMarks(tmNone);
    EXPECT_NE(bar.renderImage().pixel(14, 25 - 5 - 1), black);
}

TEST(TVrTrackBar, ThumbFollowsThePointerUnlessFixedPoints) {
    TVrTrackBar bar;
    bar.setBorderWidth(0);
    bar.setMaxValue(10);
    bar.resize(109, 17); // 100 px of travel
    bar.show();
    int changes = 0;
    bar.setOnChange([&] { ++changes; });
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseMove(&bar, QPoint(7, 8));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.thumbRect().left(), 3); // free movement
    QTest::mouseMove(&bar, QPoint(30, 8));
    EXPECT_EQ(bar.Position(), 3); // 26 px of 100 for 10 values
    EXPECT_EQ(bar.thumbRect().left(), 26);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(changes, 1);

    bar.setOptions(bar.Options() | toFixedPoints);
    bar.setPosition(0);
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseMove(&bar, QPoint(7, 8));
    EXPECT_EQ(bar.thumbRect().left(), 0); // snaps to the value's pixel
    QTest::mouseMove(&bar, QPoint(30, 8));
    EXPECT_EQ(bar.thumbRect().left(), 30);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(30, 8));
}

TEST(TVrSlider, HighDensityScreensGetWholePixelCopies) {
    TVrSlider slider;
    slider.resize(25, 60);
    slider.setPosition(30);
    const QImage base = slider.renderImage();
    QImage doubled(slider.size() * 2, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2);
    slider.render(&doubled);
    doubled.setDevicePixelRatio(1);
    EXPECT_EQ(doubled.convertToFormat(QImage::Format_RGB32),
              base.scaled(base.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                  .convertToFormat(QImage::Format_RGB32));
}

TEST(VrThumbArt, ThumbsFitTheRoomAcrossAndKeepOneKeyColour) {
    for (int thickness = 0; thickness <= 20; ++thickness) {
        for (const bool slider : {true, false}) {
            SCOPED_TRACE(testing::Message() << (slider ? "slider " : "track bar ") << thickness);
            const QImage h = slider ? VrThumbArt::sliderThumb(false, thickness)
                                    : VrThumbArt::trackBarThumb(false, thickness);
            const QImage v = slider ? VrThumbArt::sliderThumb(true, thickness)
                                    : VrThumbArt::trackBarThumb(true, thickness);
            const int full = slider ? VrThumbArt::kSliderThickness : VrThumbArt::kTrackBarThickness;
            EXPECT_LE(h.height(), std::max(3, std::min(thickness, full)));
            if (thickness >= 3) {
                EXPECT_EQ(h.height(), std::min(thickness, full));
            }
            // A slider's knob stays longer than thick; a track bar's stays a narrow upright.
            if (slider) {
                EXPECT_GT(h.width(), h.height());
            } else {
                EXPECT_GE(h.width(), 5);
            }
            EXPECT_EQ(v.size(), h.size().transposed());
            for (int y = 0; y < h.height(); ++y)
                for (int x = 0; x < h.width(); ++x)
                    ASSERT_EQ(v.pixel(y, x), h.pixel(x, y));
            // The top-left colour marks only the four see-through corners.
            int keyed = 0;
            for (int y = 0; y < h.height(); ++y)
                for (int x = 0; x < h.width(); ++x)
                    keyed += (h.pixel(x, y) & RGB_MASK) == (h.pixel(0, 0) & RGB_MASK);
            EXPECT_EQ(keyed, 4);
            EXPECT_EQ(qAlpha(h.pixel(0, 0)), 0);
        }
    }
    EXPECT_EQ(VrThumbArt::sliderThumb(false).size(), QSize(30, 13));
    EXPECT_EQ(VrThumbArt::trackBarThumb(false).size(), QSize(9, 17));
}

// Thin widgets: the built-in thumb is drawn whole inside the widget, outline included, at every
// position, and still leaves room to travel.
TEST(TVrSlider, BuiltInThumbIsDrawnWholeOnThinTracks) {
    TVrSlider slider;
    slider.setOrientation(voHorizontal);
    slider.setBorderWidth(0);
    slider.setThumbIndent(1);
    slider.setMinValue(-100);
    slider.setMaxValue(100);
    slider.resize(33, 9);
    const QRgb outline = VrThumbArt::sliderThumb(false, 7).pixel(1, 0);
    for (const int value : {-100, 0, 100}) {
        SCOPED_TRACE(value);
        slider.setPosition(value);
        const QRect thumb = slider.thumbRect();
        EXPECT_TRUE(QRect(1, 1, 31, 7).contains(thumb)) << thumb.x() << "," << thumb.y();
        EXPECT_EQ(thumb.height(), 7);
        const QImage image = slider.renderImage();
        EXPECT_EQ(image.pixel(thumb.left() + 1, thumb.top()), outline);
        EXPECT_EQ(image.pixel(thumb.left() + 1, thumb.bottom()), outline);
    }
    EXPECT_GE(slider.thumbRect().left(), 10); // the middle of a 200-value range has room both ways

    // Vertical: the room across is the width.
    slider.setOrientation(voVertical);
    slider.setBorderWidth(1);
    slider.setThumbIndent(2);
    slider.resize(17, 113);
    EXPECT_EQ(slider.thumbRect().width(), 11);
    EXPECT_TRUE(slider.rect().adjusted(3, 3, -3, -3).contains(slider.thumbRect()));
}

TEST(TVrTrackBar, BuiltInThumbIsDrawnWholeOnAThinBar) {
    TVrTrackBar bar;
    bar.setBorderWidth(0);
    bar.setTickMarks(tmNone);
    bar.setGutterWidth(4);
    bar.resize(162, 12);
    const QRgb outline = VrThumbArt::trackBarThumb(false, 12).pixel(1, 0);
    for (const int value : {0, 50, 100}) {
        SCOPED_TRACE(value);
        bar.setPosition(value);
        const QRect thumb = bar.thumbRect();
        EXPECT_EQ(thumb.top(), 0);
        EXPECT_EQ(thumb.height(), 12);
        EXPECT_TRUE(bar.rect().contains(thumb));
        const QImage image = bar.renderImage();
        EXPECT_EQ(image.pixel(thumb.left() + 1, 0), outline);
        EXPECT_EQ(image.pixel(thumb.left() + 1, 11), outline);
    }
    // A bar thick enough keeps the full-size thumb, over its border.
    bar.setBorderWidth(10);
    bar.resize(129, 60);
    EXPECT_EQ(bar.thumbRect().size(), QSize(9, 17));
}
