#include "SkinFixtures.h"
#include "config/UnitBitmapRgn.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QWidget>
#include <gtest/gtest.h>

using calvoran::TBitmapRgn;

namespace {

// The outline traced the slow way: one strip per column run, a run still open at the bottom row
// closing one row short of it.
QRegion columnRunRegion(const QImage &mask, QRgb transparent) {
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
    QRegion region;
    for (int x = 0; x < pixels.width(); ++x) {
        bool inRun = false;
        int start = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            const bool clear = (pixels.pixel(x, y) & 0xFFFFFF) == (transparent & 0xFFFFFF);
            if (!clear && !inRun) {
                inRun = true;
                start = y;
            }
            if ((clear || y == pixels.height() - 1) && inRun) {
                region += QRect(x, start, 1, y - start);
                inRun = false;
            }
        }
    }
    return region;
}

void expectSameRegion(const std::optional<QRegion> &built, const QRegion &expected) {
    if (expected.isEmpty()) {
        EXPECT_FALSE(built.has_value());
        return;
    }
    ASSERT_TRUE(built.has_value());
    EXPECT_TRUE((*built ^ expected).isEmpty());
    EXPECT_EQ(*built, expected); // the same bands, so the window system gets the same rectangles
}

} // namespace

TEST(BitmapRgn, RectangleOfTheMaskIsTheWindow) {
    const QImage mask = fixtures::maskImage({40, 50}, QRect(QPoint(10, 10), QPoint(19, 29)));
    const auto region = TBitmapRgn::regionFromMask(mask, qRgb(0, 0, 0));
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(QRect(QPoint(10, 10), QPoint(19, 29))));
}

TEST(BitmapRgn, BottomRowNeverBelongs) {
    // Shape touching the bottom edge, plus a lone pixel in the bottom row elsewhere.
    QImage mask = fixtures::maskImage({30, 40}, QRect(QPoint(5, 20), QPoint(14, 39)));
    mask.setPixel(25, 39, qRgb(255, 255, 255));
    const auto region = TBitmapRgn::regionFromMask(mask, qRgb(0, 0, 0));
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(QRect(QPoint(5, 20), QPoint(14, 38))));

    // A one-row mask therefore has no window at all.
    EXPECT_FALSE(TBitmapRgn::regionFromMask(fixtures::maskImage({8, 1}, QRect(0, 0, 8, 1)), 0));
}

TEST(BitmapRgn, ApplyShapesAndSizesTheWindowToTheWholeMask) {
    QWidget window;
    window.resize(2, 2);
    TBitmapRgn shape(&window);
    EXPECT_EQ(shape.targetWindow(), &window);
    EXPECT_EQ(shape.TransparentColor(), 0u);

    // Non-black area much smaller than the mask, touching the bottom edge.
    shape.Mask() = fixtures::maskImage({60, 40}, QRect(QPoint(3, 30), QPoint(12, 39)));
    shape.ApplyRegion();
    EXPECT_EQ(window.size(), QSize(60, 40));
    EXPECT_EQ(window.mask(), QRegion(QRect(QPoint(3, 30), QPoint(12, 38))));
    EXPECT_TRUE(shape.Mask().isNull()) << "the mask is dropped after use";

    // Applying again without a new mask builds nothing: shape and size stay.
    shape.ApplyRegion();
    EXPECT_EQ(window.size(), QSize(60, 40));
    EXPECT_EQ(window.mask(), QRegion(QRect(QPoint(3, 30), QPoint(12, 38))));
}

TEST(BitmapRgn, FullyTransparentMaskLeavesTheWindowAlone) {
    QWidget window;
    window.resize(33, 22);
    window.setMask(QRegion(0, 0, 5, 5));
    TBitmapRgn shape(&window);
    shape.setMask(fixtures::maskImage({80, 80}, QRect()));
    shape.ApplyRegion();
    EXPECT_EQ(window.size(), QSize(33, 22));
    EXPECT_EQ(window.mask(), QRegion(0, 0, 5, 5));
    EXPECT_TRUE(shape.Mask().isNull());
}

TEST(BitmapRgn, WithoutAWindowOwnerNothingHappens) {
    QObject owner;
    TBitmapRgn shape(&owner);
    EXPECT_EQ(shape.targetWindow(), nullptr);
    shape.Mask() = fixtures::maskImage({10, 10}, QRect(0, 0, 10, 10));
    shape.ApplyRegion();
    EXPECT_FALSE(shape.Mask().isNull()) << "no target: the mask is not consumed";

    // The owner's setter copies: later changes to the caller's picture do not reach the mask.
    QImage source = fixtures::maskImage({4, 4}, QRect(0, 0, 4, 4));
    shape.setMask(source);
    source.fill(Qt::black);
    EXPECT_EQ(shape.Mask().pixel(1, 1), qRgb(255, 255, 255));
}

TEST(BitmapRgn, TransparentColorIsMatchedAsPlainRgb) {
    QImage mask(6, 5, QImage::Format_ARGB32);
    mask.fill(qRgba(10, 20, 30, 255));
    mask.setPixel(2, 1, qRgba(10, 20, 30, 0)); // same RGB, other alpha: still transparent
    mask.setPixel(3, 1, qRgb(10, 20, 31));
    const auto region = TBitmapRgn::regionFromMask(mask, qRgba(10, 20, 30, 0x7F));
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(*region, QRegion(3, 1, 1, 1));
}

TEST(BitmapRgn, AnyMaskGivesTheColumnRunRegion) {
    QRandomGenerator random(1234);
    for (int round = 0; round < 40; ++round) {
        const int width = 1 + random.bounded(70);
        const int height = 1 + random.bounded(70);
        // Blobs and noise, so runs start and end everywhere, including the edges.
        QImage mask(width, height, QImage::Format_RGB32);
        mask.fill(Qt::black);
        QPainter painter(&mask);
        for (int i = 0; i < 4; ++i)
            painter.fillRect(random.bounded(width), random.bounded(height), random.bounded(width),
                             random.bounded(height), QColor(0, 0, random.bounded(1, 255)));
        painter.end();
        for (int i = 0; i < width * height / 8; ++i)
            mask.setPixel(random.bounded(width), random.bounded(height), random.bounded(2) ? 0xFFFFFF : 0);

        const QRgb transparent = round % 5 == 4 ? mask.pixel(0, 0) : qRgb(0, 0, 0);
        const QRegion expected = columnRunRegion(mask, transparent);
        SCOPED_TRACE(round);
        expectSameRegion(TBitmapRgn::regionFromMask(mask, transparent), expected);
        // Palette pictures, as most skin masks are, take their own path.
        expectSameRegion(
            TBitmapRgn::regionFromMask(mask.convertToFormat(QImage::Format_Indexed8), transparent), expected);
        expectSameRegion(TBitmapRgn::regionFromMask(mask.convertToFormat(QImage::Format_RGB888), transparent),
                         expected);
    }
}
