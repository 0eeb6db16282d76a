#include "widgets/TVrCheckLed.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

// The lamp's inside: 4 rings in from its top-left corner.
QRgb lampInside(TVrCheckLed &led) {
    return led.renderImage().pixel(led.lampRect().topLeft() + QPoint(5, 5));
}

} // namespace

TEST(TVrCheckLed, CheckedFiresOnlyOnChange) {
    TVrCheckLed led;
    int changes = 0;
    led.setOnChange([&] { ++changes; });
    led.setChecked(false);
    EXPECT_EQ(changes, 0);
    led.setChecked(true);
    EXPECT_EQ(changes, 1);
    led.setChecked(true);
    EXPECT_EQ(changes, 1);
    led.setChecked(false);
    EXPECT_EQ(changes, 2);
}

TEST(TVrCheckLed, RadioLedsUncheckTheirSiblingsFirst) {
    QWidget parent, other;
    TVrCheckLed a(&parent), b(&parent), c(&parent), box(&parent), elsewhere(&other);
    for (TVrCheckLed *led : {&a, &b, &c, &elsewhere})
        led->setCheckStyle(csRadioButton);
    std::vector<std::string> events;
    a.setOnChange([&] { events.push_back(a.Checked() ? "a+" : "a-"); });
    b.setOnChange([&] { events.push_back(b.Checked() ? "b+" : "b-"); });
    box.setChecked(true);
    elsewhere.setChecked(true);
    a.setChecked(true);
    events.clear();
    b.setChecked(true);
    EXPECT_EQ(events, (std::vector<std::string>{"a-", "b+"}));
    EXPECT_FALSE(a.Checked());
    EXPECT_FALSE(c.Checked());
    EXPECT_TRUE(box.Checked());       // a check box is no member of the group
    EXPECT_TRUE(elsewhere.Checked()); // another parent, another group
    // Unchecking a radio LED touches nobody else.
    b.setChecked(false);
    EXPECT_FALSE(a.Checked());
}

TEST(TVrCheckLed, SpaceTogglesTheLookWithoutAnEvent) {
    TVrCheckLed led;
    led.setPalette(TVrPalette(Qt::darkGreen, Qt::green));
    led.setCaption("Reverb");
    led.resize(120, 20);
    int changes = 0;
    led.setOnChange([&] { ++changes; });
    EXPECT_EQ(lampInside(led), QColor(Qt::darkGreen).rgb());
    QTest::keyClick(&led, Qt::Key_Space);
    EXPECT_TRUE(led.shownChecked());
    EXPECT_FALSE(led.Checked());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(lampInside(led), QColor(Qt::green).rgb());
    QTest::keyClick(&led, Qt::Key_Space);
    EXPECT_FALSE(led.shownChecked());
}

TEST(TVrCheckLed, MouseCommitsOnReleaseInsideTheLamp) {
    TVrCheckLed led;
    led.setCaption("Flanger");
    led.resize(120, 20);
    led.show();
    int changes = 0;
    led.setOnChange([&] { ++changes; });
    const QPoint lamp = led.lampRect().center();

    QTest::mousePress(&led, Qt::LeftButton, {}, lamp);
    EXPECT_TRUE(led.shownChecked());
    EXPECT_FALSE(led.Checked());
    QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(119, 19));
    EXPECT_FALSE(led.shownChecked());
    EXPECT_EQ(changes, 0);

    QTest::mouseClick(&led, Qt::LeftButton, {}, lamp);
    EXPECT_TRUE(led.Checked());
    EXPECT_EQ(changes, 1);
    // The caption is no switch.
    QTest::mouseClick(&led, Qt::LeftButton, {}, led.captionRect().center());
    EXPECT_TRUE(led.Checked());
    EXPECT_EQ(changes, 1);
}

TEST(TVrCheckLed, HoverOverTheUncheckedLampShowsAChecker) {
    TVrCheckLed led;
    led.setPalette(TVrPalette(Qt::darkGreen, Qt::green));
    led.resize(60, 20);
    led.show();
    QTest::mouseMove(&led, led.lampRect().center());
    const QImage image = led.renderImage();
    const QPoint p = led.lampRect().topLeft() + QPoint(5, 5);
    EXPECT_NE(image.pixel(p), image.pixel(p + QPoint(1, 0)));
    EXPECT_EQ(image.pixel(p), image.pixel(p + QPoint(1, 1)));
    QTest::mouseMove(&led, QPoint(1, 1));
    EXPECT_EQ(lampInside(led), QColor(Qt::darkGreen).rgb());
}

TEST(TVrCheckLed, LampSitsBesideTheCaptionAsLaidOut) {
    TVrCheckLed led;
    led.resize(100, 21);
    // No caption: the lamp alone is centred, then moved one pixel right and down.
    EXPECT_EQ(led.lampRect(), QRect(41, 5, 20, 13));
    led.setCaption("Cutter");
    const int textWidth = led.captionRect().width();
    ASSERT_GT(textWidth, 0);
    const int free = 100 - (20 + 5 + textWidth);
    EXPECT_EQ(led.lampRect().left(), free / 2 + 1);
    EXPECT_EQ(led.captionRect().left(), free / 2 + 1 + 25);
    led.setMargin(3);
    EXPECT_EQ(led.lampRect().left(), 4);
    EXPECT_EQ(led.captionRect().left(), 4 + 25);
    led.setLayout(ImageRight);
    EXPECT_EQ(led.lampRect().left(), 100 - 3 - 20 + 1);
    EXPECT_EQ(led.captionRect().right(), 100 - 3 - 20 - 5);
    led.setLayout(ImageTop);
    led.resize(100, 60);
    EXPECT_EQ(led.lampRect().top(), 4);
    EXPECT_EQ(led.lampRect().left(), (100 - 20 + 1) / 2 + 1);
    // Margin and spacing each a third of the free space.
    led.setLayout(ImageLeft);
    led.setMargin(-1);
    led.setSpacing(-1);
    const int third = (100 - 20 - textWidth) / 3;
    EXPECT_EQ(led.lampRect().left(), third + 1);
    EXPECT_EQ(led.captionRect().left(), third + 20 + third + 1);
}

TEST(TVrCheckLed, OuterRingSwapsWhenOn) {
    TVrCheckLed led;
    led.resize(40, 20);
    const QColor highlight = led.palette().color(QPalette::Light);
    const QPoint corner = led.lampRect().topLeft() + QPoint(1, 0);
    EXPECT_EQ(led.renderImage().pixel(corner), highlight.rgb());
    EXPECT_EQ(led.renderImage().pixel(led.lampRect().bottomRight()), QColor(Qt::black).rgb());
    led.setChecked(true);
    EXPECT_EQ(led.renderImage().pixel(corner), QColor(Qt::black).rgb());
    EXPECT_EQ(lampInside(led), led.Palette().High().rgb());
}

TEST(TVrCheckLed, AcceleratorTogglesThroughTheSetter) {
    QWidget window;
    TVrCheckLed led(&window);
    led.setCaption("&Echo");
    led.resize(100, 20);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    int changes = 0;
    led.setOnChange([&] { ++changes; });
    QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(led.Checked());
    EXPECT_EQ(changes, 1);
}
