#include "widgets/TVrLevelBar.h"

#include <gtest/gtest.h>
#include <string>

using namespace calvoran;

namespace {

QRgb rgb(QColor c) {
    return c.rgb();
}

// A horizontal bar with the default 2-pixel bevel, sized for n ticks of pitch 2.
void makeHorizontal(TVrLevelBar &bar, int ticks) {
    bar.setOrientation(voHorizontal);
    bar.resize(4 + ticks * 2 - 1, 10);
}

// Pixel colour of tick t (1-based from the left or top) in the content row/column.
QRgb tickPixel(const QImage &image, int t, bool horizontal = true) {
    return horizontal ? image.pixel(2 + (t - 1) * 2, 5) : image.pixel(5, 2 + (t - 1) * 2);
}

} // namespace

TEST(TVrLevelBar, LitTicksAndZonesAtHalfRange) {
    TVrLevelBar bar;
    makeHorizontal(bar, 80);
    bar.setMaxValue(128);
    bar.setPosition(64);
    ASSERT_EQ(bar.tickCount(), 80);
    EXPECT_EQ(bar.litCount(), 40);
    EXPECT_EQ(bar.zoneOf(48), 1);
    EXPECT_EQ(bar.zoneOf(49), 2);
    EXPECT_EQ(bar.zoneOf(68), 2);
    EXPECT_EQ(bar.zoneOf(69), 3);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(tickPixel(image, 1), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 40), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 41), rgb(QColor(0x008000)));
    EXPECT_EQ(tickPixel(image, 49), rgb(QColor(0x808000)));
    EXPECT_EQ(tickPixel(image, 69), rgb(QColor(0x800000)));
    EXPECT_EQ(tickPixel(image, 80), rgb(QColor(0x800000)));
    EXPECT_EQ(image.pixel(3, 5), rgb(Qt::black)); // the gap between ticks shows Color
}

TEST(TVrLevelBar, DivisionsRoundHalvesToEven) {
    EXPECT_EQ(TVrLevelBar::roundHalfEven(45, 2), 22);
    EXPECT_EQ(TVrLevelBar::roundHalfEven(47, 2), 24);
    EXPECT_EQ(TVrLevelBar::roundHalfEven(46, 4), 12);
    EXPECT_EQ(TVrLevelBar::roundHalfEven(-5, 2), -2);
    TVrLevelBar bar;
    makeHorizontal(bar, 45);
    bar.setPosition(50); // 50 % of 45 ticks is 22.5
    EXPECT_EQ(bar.litCount(), 22);
    makeHorizontal(bar, 47); // 23.5
    EXPECT_EQ(bar.litCount(), 24);
    bar.setMaxValue(8);
    bar.setPosition(1); // 12.5 % rounds to 12; 12 % of 47 ticks is 5.64
    EXPECT_EQ(bar.litCount(), 6);
    makeHorizontal(bar, 10); // zones: 60 % and 25 % of 10 ticks are 6 and 2.5 -> 2
    EXPECT_EQ(bar.zoneOf(6), 1);
    EXPECT_EQ(bar.zoneOf(8), 2);
    EXPECT_EQ(bar.zoneOf(9), 3);
}

TEST(TVrLevelBar, PositionClampsAndFiresItsEventsInOrder) {
    TVrLevelBar bar;
    bar.setMaxValue(128);
    std::string events;
    bar.setOnChange([&] { events += "change "; });
    bar.setOnMinValue([&] { events += "min "; });
    bar.setOnMaxValue([&] { events += "max "; });
    bar.setPosition(10);
    EXPECT_EQ(events, "change ");
    events.clear();
    bar.setPosition(200);
    EXPECT_EQ(bar.Position(), 128);
    EXPECT_EQ(events, "change max ");
    events.clear();
    bar.setPosition(300); // still 128: nothing changes
    EXPECT_EQ(events, "");
    bar.setPosition(-7);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(events, "change min ");
}

TEST(TVrLevelBar, RangeAndPercentRules) {
    TVrLevelBar bar;
    bar.setPosition(80);
    std::string events;
    bar.setOnChange([&] { events += "change "; });
    bar.setOnMaxValue([&] { events += "max "; });
    bar.setMaxValue(50);
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(events, "change max ");
    bar.setMinValue(50); // not below MaxValue: refused
    EXPECT_EQ(bar.MinValue(), 0);
    bar.setMaxValue(-1); // not above MinValue: refused
    EXPECT_EQ(bar.MaxValue(), 50);
    bar.setMinValue(-20);
    EXPECT_EQ(bar.MinValue(), -20);

    bar.setPercent2(41); // 60 + 41 > 100: ignored
    EXPECT_EQ(bar.Percent2(), 25);
    bar.setPercent2(40);
    EXPECT_EQ(bar.Percent2(), 40);
    bar.setPercent1(90); // reduced to 100 - 40
    EXPECT_EQ(bar.Percent1(), 60);
    bar.setPercent1(10);
    EXPECT_EQ(bar.Percent1(), 10);
    bar.setTickHeight(0);
    EXPECT_EQ(bar.TickHeight(), 1);
}

TEST(TVrLevelBar, LengthSnapsToWholeTicks) {
    TVrLevelBar bar;
    bar.show(); // hidden widgets get their resize events only when shown
    bar.setOrientation(voHorizontal);
    bar.resize(100, 10); // 96 content pixels + 1 spacing hold 48 ticks of 2
    EXPECT_EQ(bar.tickCount(), 48);
    EXPECT_EQ(bar.size(), QSize(99, 10));
    bar.setTickHeight(3); // pitch 4: 24 ticks
    EXPECT_EQ(bar.tickCount(), 24);
    EXPECT_EQ(bar.width(), 4 + 24 * 4 - 1);
    bar.setOrientation(voVertical);
    EXPECT_EQ(bar.size(), QSize(10, 99));
    bar.resize(10, 50);
    EXPECT_EQ(bar.height(), 4 + 11 * 4 - 1);
    // The main window's bars: one-pixel outline, 83 pixels hold 41 ticks exactly.
    TVrBevel outline;
    outline.setOuterOutline(osOuter);
    bar.setBevel(outline);
    bar.setTickHeight(1);
    bar.setOrientation(voHorizontal);
    bar.resize(83, 9);
    EXPECT_EQ(bar.size(), QSize(83, 9));
    EXPECT_EQ(bar.tickCount(), 41);
}

TEST(TVrLevelBar, GrowsFromTheEndNamedByStyle) {
    TVrLevelBar bar;
    makeHorizontal(bar, 10);
    bar.setPosition(30); // 3 ticks
    bar.setStyle(psTopRight);
    QImage image = bar.grab().toImage();
    EXPECT_EQ(tickPixel(image, 10), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 8), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 7), rgb(QColor(0x008000)));
    EXPECT_EQ(tickPixel(image, 1), rgb(QColor(0x800000))); // zone 3 sits at the far end

    bar.setOrientation(voVertical); // swapped to 10 × 23
    bar.setStyle(psBottomLeft);
    image = bar.grab().toImage();
    EXPECT_EQ(tickPixel(image, 10, false), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 8, false), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 7, false), rgb(QColor(0x008000)));
    bar.setStyle(psTopRight);
    image = bar.grab().toImage();
    EXPECT_EQ(tickPixel(image, 3, false), rgb(QColor(0x00FF00)));
    EXPECT_EQ(tickPixel(image, 4, false), rgb(QColor(0x008000)));
}

TEST(TVrLevelBar, PicturesKeptPerLevelFollowLookChanges) {
    TVrLevelBar bar;
    makeHorizontal(bar, 10);
    bar.setPosition(100);
    EXPECT_EQ(tickPixel(bar.grab().toImage(), 1), rgb(QColor(0x00FF00)));
    bar.setPosition(0);
    EXPECT_EQ(tickPixel(bar.grab().toImage(), 1), rgb(QColor(0x008000)));
    // A level seen before, after the look changed: the new look, not the picture kept for that level.
    bar.Palette1().setHigh(QColor(0x0000FF));
    bar.setPosition(100);
    EXPECT_EQ(tickPixel(bar.grab().toImage(), 1), rgb(QColor(0x0000FF)));
    bar.setPosition(0);
    bar.setPosition(100);
    EXPECT_EQ(tickPixel(bar.grab().toImage(), 1), rgb(QColor(0x0000FF)));
}
