#include "widgets/TVrDisplay.h"
#include "widgets/TVrLevelBar.h"

#include <gtest/gtest.h>

using namespace calvoran;

namespace {

QRgb rgb(QColor c) {
    return c.rgb();
}

} // namespace

TEST(TVrDisplay, DefaultFrameAndShadowColours) {
    TVrDisplay d;
    EXPECT_EQ(d.Bevel().totalWidth(), 1 + 4 + 1 + 4 + 1);
    EXPECT_EQ(d.contentsMargins(), QMargins(11, 11, 11, 11));
    // Per channel: 0x66775E + i × (0x85987C − 0x66775E) div 5.
    EXPECT_EQ(d.shadowLineColor(0), QColor(0x66775E));
    EXPECT_EQ(d.shadowLineColor(1), QColor(0x66 + 6, 0x77 + 6, 0x5E + 6));
    EXPECT_EQ(d.shadowLineColor(4), QColor(0x66 + 24, 0x77 + 26, 0x5E + 24));
    d.setShadowColor1(QColor(0x80, 0x80, 0x80));
    d.setShadowColor2(QColor(0x7D, 0x00, 0xFF));
    d.setShadowWidth(3);
    EXPECT_EQ(d.shadowLineColor(2), QColor(0x80 - 2, 0x80 - 85, 0x80 + 84)); // truncates toward zero
}

TEST(TVrDisplay, ShadowLinesFormLsReachingTheFarEnds) {
    TVrDisplay d;
    d.resize(60, 40);
    const QRect first(11, 11, 60 - 22, 40 - 22);
    QImage image = d.grab().toImage();
    EXPECT_EQ(image.pixel(0, 0), rgb(Qt::black));          // outline
    EXPECT_EQ(image.pixel(1, 20), rgb(QColor(0xC0C0C0)));  // lowered outer ring: shadow on the left
    EXPECT_EQ(image.pixel(58, 20), rgb(QColor(0x808080))); // highlight on the right
    EXPECT_EQ(image.pixel(5, 20), rgb(QColor(0xC0C0C0)));  // outer space
    EXPECT_EQ(image.pixel(6, 20), rgb(Qt::black));         // inner ring
    const QColor c0 = d.shadowLineColor(0), c1 = d.shadowLineColor(1);
    EXPECT_EQ(image.pixel(first.left(), first.bottom()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right(), first.top()), rgb(c0));
    EXPECT_EQ(image.pixel(first.left() + 1, first.bottom()), rgb(c1));
    EXPECT_EQ(image.pixel(first.right(), first.top() + 1), rgb(c1));
    EXPECT_EQ(image.pixel(first.right(), first.bottom()), rgb(d.Color()));
    EXPECT_EQ(image.pixel(first.left() + 5, first.top() + 5), rgb(d.Color()));

    d.setShadowLayout(soBottomRight);
    image = d.grab().toImage();
    EXPECT_EQ(image.pixel(first.left(), first.bottom()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right(), first.top()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right() - 1, first.top()), rgb(c1));
    EXPECT_EQ(image.pixel(first.left(), first.bottom() - 1), rgb(c1));
    EXPECT_EQ(image.pixel(first.left(), first.top()), rgb(d.Color()));

    d.setShadowLayout(soTopRight);
    image = d.grab().toImage();
    EXPECT_EQ(image.pixel(first.left(), first.top()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right(), first.bottom()), rgb(c0));
    EXPECT_EQ(image.pixel(first.left(), first.bottom()), rgb(d.Color()));
    d.setShadowLayout(soBottomLeft);
    image = d.grab().toImage();
    EXPECT_EQ(image.pixel(first.left(), first.top()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right(), first.bottom()), rgb(c0));
    EXPECT_EQ(image.pixel(first.right(), first.top()), rgb(d.Color()));

    d.setShadowWidth(0); // no lines, and no division by zero
    image = d.grab().toImage();
    EXPECT_EQ(image.pixel(first.left(), first.top()), rgb(d.Color()));
    EXPECT_EQ(image.pixel(first.right(), first.bottom()), rgb(d.Color()));
}

TEST(TVrDisplay, ChildrenLayOutInsideTheFrameAndSeeItThroughTransparency) {
    TVrDisplay d;
    d.resize(177, 57);
    d.setColor(Qt::black);
    d.Bevel().setOuterStyle(bsRaised);
    d.Bevel().setOuterWidth(2);
    d.Bevel().setInnerWidth(1);
    d.Bevel().setInnerSpace(0);
    d.setShadowWidth(1);
    EXPECT_EQ(d.contentsMargins(), QMargins(5, 5, 5, 5));
    TVrLevelBar bar(&d);
    bar.setGeometry(0, 0, 20, 20);
    bar.setTransparent(true);
    bar.Bevel().setVisible(false);
    bar.setSpacing(3);
    const QImage image = bar.grab().toImage();
    // Rows 1-3 are a gap between ticks, where the display shows through.
    EXPECT_EQ(image.pixel(0, 1), rgb(Qt::black));             // the display's outline
    EXPECT_EQ(image.pixel(1, 2), rgb(QColor(0x808080)));      // raised outer ring: highlight top-left
    EXPECT_EQ(image.pixel(3, 10), rgb(QColor(0xC0C0C0)));     // outer space
    EXPECT_EQ(image.pixel(5, 10), rgb(d.shadowLineColor(0))); // gap between ticks shows the shadow
}
