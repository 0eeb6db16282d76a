#include "widgets/TVrLabel.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

// Bounding box of the pixels of one colour.
QRect boxOf(const QImage &image, QColor colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) box |= QRect(x, y, 1, 1);
    return box;
}

void plainLabel(TVrLabel &label) {
    QFont font = label.font();
    font.setPixelSize(20);
    font.setStyleStrategy(QFont::NoAntialias);
    label.setFont(font);
    label.setCaption("Skin Chooser");
    label.setColor(Qt::white);
    label.setFontColor(Qt::blue);
    label.setColorHighlight(Qt::yellow);
    label.setColorShadow(Qt::red);
    label.resize(200, 60);
}

} // namespace

TEST(TVrLabel, StylesOffsetTheirCopies) {
    TVrLabel label;
    plainLabel(label);
    EXPECT_EQ(label.Style(), lsRaised);
    label.setStyle(lsNone);
    const QRect text = boxOf(label.renderImage(), Qt::blue);
    ASSERT_FALSE(text.isEmpty());
    // Centred both ways by default.
    EXPECT_NEAR(text.center().x(), 100, 4);
    EXPECT_NEAR(text.center().y(), 30, 6);

    label.setStyle(lsShadow);
    label.setShadowDepth(3);
    const QRect shadow = boxOf(label.renderImage(), Qt::red);
    EXPECT_EQ(shadow.bottomRight(), text.bottomRight() + QPoint(3, 3));

    label.setStyle(lsRaised);
    QImage image = label.renderImage();
    EXPECT_EQ(boxOf(image, Qt::yellow).topLeft(), text.topLeft() - QPoint(1, 1));
    EXPECT_EQ(boxOf(image, Qt::red).bottomRight(), text.bottomRight() + QPoint(1, 1));
    label.setStyle(lsLowered);
    image = label.renderImage();
    EXPECT_EQ(boxOf(image, Qt::red).topLeft(), text.topLeft() - QPoint(1, 1));
    EXPECT_EQ(boxOf(image, Qt::yellow).bottomRight(), text.bottomRight() + QPoint(1, 1));
}

TEST(TVrLabel, AlignmentLayoutAndAngle) {
    TVrLabel label;
    plainLabel(label);
    label.setStyle(lsNone);
    label.setAlignment(taLeftJustify);
    label.setLayout(tlTop);
    QRect text = boxOf(label.renderImage(), Qt::blue);
    EXPECT_LE(text.left(), 3);
    EXPECT_LE(text.top(), 8);
    label.setAlignment(taRightJustify);
    label.setLayout(tlBottom);
    text = boxOf(label.renderImage(), Qt::blue);
    EXPECT_GE(text.right(), 195);

    label.resize(60, 200);
    label.setAlignment(taCenter);
    label.setLayout(tlCenter);
    label.setAngle(90);
    text = boxOf(label.renderImage(), Qt::blue);
    EXPECT_GT(text.height(), 2 * text.width()); // reads upward
    EXPECT_NEAR(text.center().y(), 100, 4);
}

TEST(TVrLabel, BitmapShowsOnlyInsideTheLetters) {
    TVrLabel label;
    plainLabel(label);
    label.setStyle(lsNone);
    QImage texture(4, 4, QImage::Format_RGB32);
    texture.fill(Qt::green);
    label.setBitmap(texture);
    const QImage image = label.renderImage();
    EXPECT_TRUE(boxOf(image, Qt::blue).isEmpty());
    const QRect letters = boxOf(image, Qt::green);
    ASSERT_FALSE(letters.isEmpty());
    EXPECT_EQ(image.pixel(1, 1), QColor(Qt::white).rgb());
    EXPECT_LT(letters.width(), 200);
}

TEST(TVrLabel, TransparentKeepsTheFirstCapturedBackground) {
    QWidget parent;
    parent.resize(100, 40);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::cyan);
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    TVrLabel label(&parent);
    label.setTransparent(true);
    label.resize(100, 40);
    EXPECT_EQ(label.renderImage().pixel(1, 1), QColor(Qt::cyan).rgb());
    palette.setColor(QPalette::Window, Qt::magenta);
    parent.setPalette(palette);
    EXPECT_EQ(label.renderImage().pixel(1, 1), QColor(Qt::cyan).rgb());
}
