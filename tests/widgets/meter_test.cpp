// The needle meter and the power button, by their geometry, their pixels and simulated input.
#include "widgets/TVrMeter.h"
#include "widgets/TVrPowerButton.h"

#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

// The level meters' set-up: 0..128 over 61 ticks.
void levelMeter(TVrMeter &m) {
    m.resize(209, 97);
    m.setMaxValue(128);
    m.Scale().setPercent1(60);
    m.Scale().setTicks(61);
}

bool near(const QImage &image, QPoint p, QColor colour, int reach = 1) {
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && image.pixelColor(q) == colour) return true;
        }
    return false;
}

} // namespace

TEST(VrMeter, DefaultsAndRangeRules) {
    TVrMeter m;
    EXPECT_EQ(m.size(), QSize(105, 240));
    EXPECT_EQ(m.MaxValue(), 100);
    EXPECT_EQ(m.Angle(), 40);
    EXPECT_EQ(m.Spacing(), 20);
    EXPECT_EQ(m.Scale().Ticks(), 61);
    EXPECT_EQ(m.NeedleColor(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(m.font().family(), QStringLiteral("Arial"));

    int changes = 0;
    m.setOnChange([&changes] { ++changes; });
    m.setPosition(70);
    m.setPosition(70);
    EXPECT_EQ(changes, 1);
    m.setPosition(500);
    EXPECT_EQ(m.Position(), 100);
    m.setPosition(-5);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(changes, 3);

    m.setPosition(90);
    try {
        m.setMinValue(101);
        FAIL() << "a minimum above the maximum was accepted";
    } catch (const VrRangeError &e) {
        EXPECT_STREQ(e.what(), "Value out of range.");
    }
    EXPECT_THROW(m.setMaxValue(-1), VrRangeError);
    EXPECT_EQ(m.MinValue(), 0);
    EXPECT_EQ(m.MaxValue(), 100);
    m.setMaxValue(50); // pulls the needle down with it
    EXPECT_EQ(m.Position(), 50);
    m.setMinValue(50); // an empty range is allowed; the needle stays on the first tick
    EXPECT_EQ(m.needleTick(), 0);

    TVrMeterScale &s = m.Scale();
    s.setPercent1(90); // cut to 100 - Percent2
    EXPECT_EQ(s.Percent1(), 75);
    s.setPercent2(30); // refused
    EXPECT_EQ(s.Percent2(), 25);
}

TEST(VrMeter, ScaleZonesLabelsAndNeedleSteps) {
    TVrMeter m;
    levelMeter(m);
    // 61 ticks: 36 green, 15 yellow, 10 red.
    int zones[4] = {};
    for (int j = 1; j <= 61; ++j)
        ++zones[m.Scale().zoneOf(j)];
    EXPECT_EQ(zones[1], 36);
    EXPECT_EQ(zones[2], 15);
    EXPECT_EQ(zones[3], 10);

    ASSERT_EQ(m.labelCount(), 11);
    const int expected[] = {0, 13, 26, 38, 51, 64, 77, 90, 102, 115, 128};
    for (int k = 0; k < 11; ++k) {
        EXPECT_EQ(m.labelValue(k), expected[k]) << k;
        EXPECT_EQ(m.labelTick(k), 6 * k);
    }

    EXPECT_EQ(m.pivot(), QPoint(104, 117));
    EXPECT_EQ(m.radius(), 87);
    EXPECT_DOUBLE_EQ(m.tickAngle(0), 310.0);
    EXPECT_EQ(m.needleTick(), 0);
    m.setPosition(64);
    EXPECT_EQ(m.needleTick(), 30); // trunc(61 * 64 / 128)
    m.setPosition(3);
    EXPECT_EQ(m.needleTick(), 1); // whole steps: 61 * 3 / 128 = 1.43
    m.setPosition(1000);
    EXPECT_EQ(m.Position(), 128);
    EXPECT_EQ(m.needleTick(), 61);
}

TEST(VrMeter, PaintsTicksInTheirZoneColoursAndTheNeedle) {
    TVrMeter m;
    levelMeter(m);
    m.Bevel().setVisible(false);
    m.setLabels(0);
    m.setNeedleColor(Qt::white);
    QImage image = m.renderImage();
    const int r = m.radius(), inner = r - m.Scale().HeightMin();
    auto tickMiddle = [&](int j) { // 1-based tick, halfway along its line
        return m.pointAt(m.tickAngle(j - 1), inner + 2, inner + 2);
    };
    EXPECT_TRUE(near(image, tickMiddle(1), QColor(0x00, 0x80, 0x00)));
    EXPECT_TRUE(near(image, tickMiddle(36), QColor(0x00, 0x80, 0x00)));
    EXPECT_TRUE(near(image, tickMiddle(37), QColor(0xFF, 0xFF, 0x00)));
    EXPECT_TRUE(near(image, tickMiddle(51), QColor(0xFF, 0xFF, 0x00)));
    EXPECT_TRUE(near(image, tickMiddle(52), QColor(0xFF, 0x00, 0x00)));
    EXPECT_TRUE(near(image, tickMiddle(61), QColor(0xFF, 0x00, 0x00)));
    // Every fifth tick after the first is long: only those reach past the short ones.
    int farPixels = 0;
    const QPoint c = m.pivot();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(0x00, 0x80, 0x00)) continue;
            if (std::hypot(x - c.x(), y - c.y()) < inner + m.Scale().HeightMin() + 1.5) continue;
            ++farPixels;
            double degrees = std::atan2(x - c.x(), c.y() - y) * 180 / M_PI + 360; // clockwise from up
            const double index = (degrees - m.tickAngle(0)) / (m.tickAngle(1) - m.tickAngle(0));
            const double fromLong = std::abs(index - 5 * std::round(index / 5));
            EXPECT_LT(fromLong, 1.0) << x << "," << y << " index " << index;
        }
    EXPECT_GE(farPixels, 7); // ticks 1, 6, ..., 36 are green and long
    // At 0 the needle lies along the first tick; at full scale along the scale's far end.
    const QPoint low = m.pointAt(m.tickAngle(0), r - 20, r - 20);
    EXPECT_TRUE(near(image, low, Qt::white));
    m.setPosition(128);
    image = m.renderImage();
    EXPECT_FALSE(near(image, low, Qt::white));
    EXPECT_TRUE(near(image, m.pointAt(m.tickAngle(61), r - 20, r - 20), Qt::white));

    m.Scale().setVisible(false);
    image = m.renderImage();
    EXPECT_FALSE(near(image, tickMiddle(1), QColor(0x00, 0x80, 0x00)));
}

TEST(VrMeter, LabelsAndCaptionAreDrawn) {
    TVrMeter m;
    levelMeter(m);
    m.setNeedleColor(Qt::black); // only the texts use silver here
    // Texts are drawn smoothed, so with some faces no pixel is exactly silver: count the grey pixels
    // that differ from the meter without texts.
    m.setLabels(0);
    const QImage bare = m.renderImage();
    auto silverPixels = [&m, &bare] {
        const QImage image = m.renderImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c != bare.pixelColor(x, y) && c.red() == c.green() && c.green() == c.blue();
            }
        return n;
    };
    m.setLabels(0);
    const int none = silverPixels();
    m.setLabels(10);
    const int labels = silverPixels();
    m.setCaption(QStringLiteral("Left"));
    const int captioned = silverPixels();
    EXPECT_GT(labels, none);
    EXPECT_GT(captioned, labels);
}

TEST(VrPowerButton, ClickToggleAndKeys) {
    QWidget window;
    auto *button = new TVrPowerButton(&window);
    EXPECT_EQ(button->size(), QSize(25, 125));
    EXPECT_FALSE(button->Active());
    EXPECT_EQ(button->focusPolicy(), Qt::ClickFocus);
    button->setGeometry(0, 0, 25, 33);
    button->setCaption(QStringLiteral("&On"));
    button->setLayout(ImageTop);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    int clicks = 0;
    button->setOnClick([&clicks] { ++clicks; });
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 16));
    EXPECT_TRUE(button->pressed());
    EXPECT_FALSE(button->Active()); // toggles on release only
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(12, 16));
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(clicks, 1);
    // Released outside: no click.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(12, 16));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(100, 16));
    EXPECT_TRUE(button->Active());
    EXPECT_EQ(clicks, 1);

    button->setFocus();
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_TRUE(button->Active());
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_FALSE(button->Active());
    EXPECT_EQ(clicks, 2);

    // The light above the caption, lit in the on colour.
    button->Palette().setLow(QColor(0x00, 0x80, 0x00));
    button->Palette().setHigh(QColor(0x00, 0xFF, 0x00));
    const QRect led = button->ledRect();
    EXPECT_LT(led.bottom(), button->captionRect().top());
    EXPECT_EQ(button->renderImage().pixelColor(led.center()), QColor(0x00, 0x80, 0x00));
    button->click();
    EXPECT_EQ(button->renderImage().pixelColor(led.center()), QColor(0x00, 0xFF, 0x00));
    button->setEnabled(false);
    EXPECT_EQ(button->renderImage().pixelColor(led.center()), button->Color());
}
