// What the display widgets paint, counted: a level or a label that changes no pixel of a widget must not
// make it render its look again.
#include "widgets/TVrLevelBar.h"
#include "widgets/VrImageWidget.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Counts how often its look is rendered; draws a fixed pattern.
class Probe : public VrImageWidget {
public:
    using VrImageWidget::VrImageWidget;
    int renders = 0;
    QList<QRect> painted;

protected:
    void paintEvent(QPaintEvent *event) override {
        painted << event->rect();
        VrImageWidget::paintEvent(event);
    }
    void paintImage(QPainter &painter) override {
        ++renders;
        painter.fillRect(rect(), QColor(0x123456));
        painter.fillRect(0, 0, 4, 4, Qt::red);
    }
};

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(DisplayRepaint, LevelBarPaintsOnlyWhenTheLitTicksChange) {
    TVrLevelBar bar;
    bar.setOrientation(voHorizontal);
    bar.setMaxValue(128);
    bar.resize(83, 9); // 39 ticks: about three values per tick
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    settle();
    bar.setPosition(64);
    const int lit = bar.litCount();
    bar.setPosition(65);
    ASSERT_EQ(bar.litCount(), lit); // 64 and 65 light the same ticks
    bar.setPosition(64);
    settle();
    PaintCounter counter;
    bar.installEventFilter(&counter);
    for (int i = 0; i < 10; ++i)
        bar.setPosition(64 + i % 2);
    settle();
    EXPECT_EQ(counter.paints, 0);
    bar.setPosition(0);
    settle();
    EXPECT_EQ(counter.paints, 1);
}

TEST(DisplayRepaint, ASeeThroughLabelOnTopReusesTheLastPicture) {
    Probe probe;
    probe.resize(60, 20);
    auto *label = new QLabel(QStringLiteral("0:0"), &probe);
    label->setGeometry(20, 2, 30, 14);
    probe.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));
    settle();
    const int rendered = probe.renders;
    ASSERT_GE(rendered, 1);
    for (int i = 1; i <= 5; ++i) {
        label->setText(QStringLiteral("0:%1").arg(i));
        settle();
    }
    EXPECT_EQ(probe.renders, rendered);
    EXPECT_EQ(probe.painted.back(), label->geometry()); // painted: only nothing rendered
    // The pixels around the label are still the look's.
    const QImage shot = probe.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(shot.pixel(10, 10), QColor(0x123456).rgb());
    // A change of the look itself renders it again.
    const int afterGrab = probe.renders;
    probe.update();
    settle();
    EXPECT_EQ(probe.renders, afterGrab + 1);
}

TEST(DisplayRepaint, AChangeUnderAnOpaqueSiblingStillRendersTheLook) {
    // A meter window's power button lies over part of each meter: every paint of the meter then covers
    // less than the whole widget, and a change of the look must still reach the screen.
    QWidget window;
    window.resize(60, 20);
    auto *probe = new Probe(&window);
    probe->setGeometry(0, 0, 60, 20);
    auto *cover = new QWidget(&window);
    cover->setAutoFillBackground(true);
    cover->setGeometry(40, 0, 20, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle();
    const int rendered = probe->renders;
    for (int i = 1; i <= 3; ++i) {
        probe->update();
        settle();
        EXPECT_EQ(probe->renders, rendered + i);
    }
}

TEST(DisplayRepaint, BarsShownAtOnceKeepWhatLiesOnTop) {
    QWidget window;
    window.resize(120, 40);
    auto *bar = new TVrLevelBar(&window);
    bar->setOrientation(voHorizontal);
    bar->setMaxValue(128);
    bar->setGeometry(0, 0, 83, 9);
    bar->setPaintedByOwner(true);
    auto *other = new TVrLevelBar(&window);
    other->setOrientation(voHorizontal);
    other->setMaxValue(128);
    other->setGeometry(0, 20, 83, 9);
    other->setPaintedByOwner(true);
    // A see-through label over the first bar only, drawing a white block.
    auto *label = new QLabel(&window);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setStyleSheet(QStringLiteral("background: transparent"));
    QPixmap block(6, 6);
    block.fill(Qt::white);
    label->setPixmap(block);
    label->setGeometry(2, 1, 6, 6);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle();
    const auto onWindow = [&window](QPoint at) {
        return window.screen()->grabWindow(window.winId(), at.x(), at.y(), 1, 1).toImage().pixel(0, 0);
    };
    for (int level : {128, 0, 128}) {
        bar->setPosition(level);
        other->setPosition(level);
        VrImageWidget::showNow({bar, other});
        // The label still lies on top of the bar under it.
        EXPECT_EQ(onWindow(QPoint(4, 3)), qRgb(255, 255, 255)) << level;
        // The bar with nothing on top shows the level straight away.
        EXPECT_EQ(onWindow(QPoint(2, 24)) == qRgb(0, 255, 0), level == 128) << level;
    }
}
