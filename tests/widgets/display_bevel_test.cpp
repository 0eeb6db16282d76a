#include "widgets/TVrBevel.h"
#include "widgets/TVrPalette.h"
#include "widgets/VrImageWidget.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

QRgb rgb(QColor c) {
    return c.rgb();
}

class Probe : public VrImageWidget {
public:
    using VrImageWidget::VrImageWidget;
    int paints = 0;

protected:
    void paintImage(QPainter &painter) override {
        ++paints;
        painter.fillRect(QRect(1, 1, 2, 2), Qt::red);
    }
};

} // namespace

TEST(TVrPalette, CopiesColoursNotHandlerAndNotifiesOnlyOnChange) {
    TVrPalette owned;
    int changes = 0;
    owned.setOnChange([&] { ++changes; });
    EXPECT_EQ(owned.Low(), QColor(0x008000));
    EXPECT_EQ(owned.High(), QColor(0x00FF00));
    owned.setLow(QColor(0x008000));
    EXPECT_EQ(changes, 0);
    owned = TVrPalette(Qt::black, Qt::yellow);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(owned.High(), QColor(Qt::yellow));
    TVrPalette copy = owned;
    copy.setHigh(Qt::red); // the copy has no handler, and the original is untouched
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(owned.High(), QColor(Qt::yellow));
}

TEST(TVrBevel, TotalWidthCountsEveryPart) {
    TVrBevel bevel;
    EXPECT_EQ(bevel.totalWidth(), 0); // both rings bsNone, no outlines, no spaces
    bevel.setBorderWidth(2);
    bevel.setOuterOutline(osInner);
    bevel.setOuterStyle(bsRaised);
    bevel.setOuterWidth(3);
    bevel.setOuterSpace(1);
    bevel.setInnerOutline(osOuter);
    bevel.setInnerWidth(4); // inner style none: the width does not count
    bevel.setInnerSpace(2);
    EXPECT_EQ(bevel.totalWidth(), 2 + 1 + 3 + 1 + 1 + 2);
    bevel.setVisible(false);
    EXPECT_EQ(bevel.totalWidth(), 0);
    EXPECT_EQ(TVrBevel::widgetDefault().totalWidth(), 2);
}

TEST(TVrBevel, PaintsRingsFromTheOutsideIn) {
    TVrBevel bevel;
    bevel.setBorderWidth(1);
    bevel.setBorderColor(Qt::blue);
    bevel.setOuterOutline(osOuter);
    bevel.setOuterStyle(bsLowered);
    bevel.setOuterShadow(Qt::darkGray);
    bevel.setOuterHighlight(Qt::white);
    bevel.setInnerStyle(bsRaised);
    bevel.setInnerShadow(Qt::red);
    bevel.setInnerHighlight(Qt::yellow);
    bevel.setInnerSpace(1);
    bevel.setInnerColor(Qt::green);
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    const QRect inside = bevel.paint(painter, image.rect());
    painter.end();
    EXPECT_EQ(inside, QRect(5, 5, 2, 2));
    EXPECT_EQ(bevel.totalWidth(), 5);
    EXPECT_EQ(image.pixel(0, 5), rgb(Qt::blue));
    EXPECT_EQ(image.pixel(1, 5), rgb(Qt::black));
    // Lowered: shadow top and left, highlight bottom and right; the corners off the diagonal go to
    // the bottom-right colour.
    EXPECT_EQ(image.pixel(2, 5), rgb(Qt::darkGray));
    EXPECT_EQ(image.pixel(5, 2), rgb(Qt::darkGray));
    EXPECT_EQ(image.pixel(9, 5), rgb(Qt::white));
    EXPECT_EQ(image.pixel(5, 9), rgb(Qt::white));
    EXPECT_EQ(image.pixel(9, 2), rgb(Qt::white));
    EXPECT_EQ(image.pixel(2, 9), rgb(Qt::white));
    // Raised: the reverse.
    EXPECT_EQ(image.pixel(3, 5), rgb(Qt::yellow));
    EXPECT_EQ(image.pixel(8, 5), rgb(Qt::red));
    EXPECT_EQ(image.pixel(4, 5), rgb(Qt::green));
    EXPECT_EQ(image.pixel(5, 5), rgb(Qt::magenta));
}

TEST(VrImageWidget, TransparentKeepsTheParentPixelsOfTheFirstPaint) {
    QWidget parent;
    parent.resize(20, 20);
    parent.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, Qt::blue);
    parent.setPalette(pal);
    Probe probe(&parent);
    probe.setGeometry(5, 5, 4, 4);
    probe.setColor(Qt::black);
    QImage opaque = probe.grab().toImage();
    EXPECT_EQ(opaque.pixel(0, 0), rgb(Qt::black));
    EXPECT_EQ(opaque.pixel(1, 1), rgb(Qt::red));
    probe.setTransparent(true);
    QImage first = probe.grab().toImage();
    EXPECT_EQ(first.pixel(0, 0), rgb(Qt::blue));
    EXPECT_EQ(first.pixel(3, 3), rgb(Qt::blue));
    pal.setColor(QPalette::Window, Qt::green);
    parent.setPalette(pal);
    EXPECT_EQ(probe.grab().toImage().pixel(0, 0), rgb(Qt::blue));
}

TEST(VrImageWidget, TransparentSeesSiblingsBelowItOnly) {
    QWidget parent;
    parent.resize(20, 20);
    QWidget below(&parent); // created first: stacked under the probe
    below.setGeometry(0, 0, 7, 20);
    below.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, Qt::yellow);
    below.setPalette(pal);
    Probe probe(&parent);
    probe.setGeometry(5, 5, 6, 6);
    probe.setTransparent(true);
    QWidget above(&parent); // created last: on top, never captured
    above.setGeometry(9, 0, 11, 20);
    above.setAutoFillBackground(true);
    pal.setColor(QPalette::Window, Qt::cyan);
    above.setPalette(pal);
    const QImage image = probe.grab().toImage();
    EXPECT_EQ(image.pixel(0, 0), rgb(Qt::yellow));
    EXPECT_EQ(image.pixel(1, 4), rgb(Qt::yellow));
    EXPECT_NE(image.pixel(2, 4), rgb(Qt::yellow));
    EXPECT_NE(image.pixel(5, 4), rgb(Qt::cyan));
}

TEST(VrImageWidget, DoublePixelRatioScalesByWholePixels) {
    Probe probe;
    probe.resize(4, 4);
    QImage target(8, 8, QImage::Format_RGB32);
    target.setDevicePixelRatio(2);
    target.fill(Qt::white);
    probe.render(&target);
    EXPECT_EQ(target.pixel(1, 1), rgb(Qt::black));
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            EXPECT_EQ(target.pixel(x, y), rgb(Qt::red)) << x << "," << y;
    EXPECT_EQ(target.pixel(6, 6), rgb(Qt::black));
}
