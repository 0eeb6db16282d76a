#include "widgets/About.h"
#include "widgets/MovieScroll.h"
#include "widgets/MovieScrollMarkup.h"

#include <QCoreApplication>
#include <QPainter>
#include <gtest/gtest.h>

using namespace calvoran;

namespace {

QRect boxOf(const QImage &image, QColor colour, int fromY = 0, int toY = -1) {
    if (toY < 0) toY = image.height();
    QRect box;
    for (int y = fromY; y < toY; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) box |= QRect(x, y, 1, 1);
    return box;
}

QFont plainFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// A still scroller (its own timer stopped by not running the event loop) with the text at the top.
struct Still {
    TMovieScroll scroll;
    explicit Still(const QStringList &lines, bool shadow = false) {
        scroll.resize(300, 200);
        scroll.setDefaultFont(plainFont());
        scroll.setShadow(shadow);
        scroll.setScrollText(lines);
        scroll.Frame(); // takes the size
        scroll.setOffset(0);
    }
    QImage frame() { return scroll.Frame(); }
};

int lineHeight(const QFont &font) {
    QImage probe(10, 10, QImage::Format_RGB32);
    QPainter p(&probe);
    p.setFont(font);
    return p.fontMetrics().height();
}

} // namespace

TEST(ScrollMarkup, TagsAndBracketsFollowTheLineRules) {
    ScrollMarkup m = parseScrollMarkup({"[b][center]Title", "Plain", "a]b[c", "x]Next", "[x]Text", "[b", "]X",
                                        "[font=Serif][i][u][size=-14][color=65280]Y"});
    ASSERT_EQ(m.lines.size(), 8u);
    EXPECT_EQ(m.lines[0].text, "Title");
    EXPECT_TRUE(m.lines[0].bold && m.lines[0].center);
    EXPECT_FALSE(m.lines[1].bold || m.lines[1].center);
    EXPECT_EQ(m.lines[2].text, "ab");
    EXPECT_EQ(m.lines[3].text, "Next");
    EXPECT_EQ(m.lines[4].text, "Text");
    // The open "[b" closes on the next line with an empty tag: nothing is applied.
    EXPECT_EQ(m.lines[5].text, "");
    EXPECT_EQ(m.lines[6].text, "X");
    EXPECT_FALSE(m.lines[6].bold);
    const ScrollLineStyle &y = m.lines[7];
    EXPECT_EQ(y.fontName, "Serif");
    EXPECT_TRUE(y.italic && y.underline);
    EXPECT_EQ(y.size, -14);
    EXPECT_EQ(y.color, QColor(0, 255, 0)); // green is the middle byte
    EXPECT_TRUE(m.error.isEmpty());

    EXPECT_EQ(parseScrollMarkup({"[size=12x]A", "[color=]B"}).error, "'12x' is not a valid integer value");
    EXPECT_EQ(parseScrollMarkup({"[color=99999999999]A"}).error,
              "'99999999999' is not a valid integer value");
    EXPECT_EQ(parseScrollMarkup({"[size=100000]A"}).lines[0].size, kMaxScrollFontSize);
}

TEST(MovieScroll, Defaults) {
    TMovieScroll scroll;
    EXPECT_EQ(scroll.size(), QSize(200, 100));
    EXPECT_TRUE(scroll.ScrollText().isEmpty());
    EXPECT_EQ(scroll.DefaultFont().family(), "Courier New");
    EXPECT_EQ(scroll.DefaultFont().pointSize(), 10);
    EXPECT_EQ(scroll.DefaultFontColor(), QColor(Qt::white));
    EXPECT_EQ(scroll.BackColor(), QColor(Qt::black));
    EXPECT_FALSE(scroll.Loop());
    EXPECT_EQ(scroll.CompleteText(), "The End");
    EXPECT_EQ(scroll.TimerInterval(), 75);
    EXPECT_TRUE(scroll.Shadow());
    EXPECT_EQ(scroll.ShadowColor(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(scroll.ShadowOffset(), 2);
    EXPECT_TRUE(scroll.Scrolling());
    EXPECT_EQ(scroll.Offset(), 101); // just below the bottom edge
    scroll.Frame();
    scroll.TimerTick();
    EXPECT_EQ(scroll.Offset(), 100);
}

TEST(MovieScroll, BoldCentredLineThenPlainLeftAligned) {
    Still s({"[b][center]Title", "Title"});
    const QImage image = s.frame();
    const int h = lineHeight(plainFont());
    const QRect first = boxOf(image, Qt::white, 0, h);
    const QRect second = boxOf(image, Qt::white, h, 2 * h);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NEAR(first.left(), image.width() - 1 - first.right(), 4); // centred
    EXPECT_LE(second.left(), 4);                                     // left edge at x = 1
    EXPECT_GT(first.width(), second.width());                        // bold is wider
}

TEST(MovieScroll, BracketsAndUnknownTagsDrawOnlyTheText) {
    EXPECT_EQ(Still({"a]b[c", "x]Next", "[x]Text"}).frame(), Still({"ab", "Next", "Text"}).frame());
    EXPECT_NE(Still({"a]b[c", "x]Next"}).frame(), Still({"ab", "x]Next"}).frame());
}

TEST(MovieScroll, ColourTagAndEmptyLineHeight) {
    const QImage red = Still({"[color=255]Red"}).frame();
    EXPECT_FALSE(boxOf(red, Qt::red).isEmpty());
    EXPECT_TRUE(boxOf(red, Qt::white).isEmpty());

    // An empty line is as high as "W" in its font.
    QFont big = plainFont();
    big.setPointSize(20);
    const int h = lineHeight(big);
    ASSERT_GT(h, lineHeight(plainFont()));
    const QImage empty = Still({"[size=20]", "X"}).frame();
    const QImage withW = Still({"[size=20]W", "X"}).frame();
    EXPECT_TRUE(boxOf(empty, Qt::white, 0, h).isEmpty());
    EXPECT_EQ(empty.copy(0, h, empty.width(), empty.height() - h),
              withW.copy(0, h, withW.width(), withW.height() - h));
}

TEST(MovieScroll, ShadowIsOffsetDownAndRight) {
    Still s({"[center]Shade"}, true);
    s.scroll.setShadowOffset(3);
    const QImage image = s.frame();
    const QRect text = boxOf(image, Qt::white);
    const QRect shadow = boxOf(image, QColor(0x80, 0x80, 0x80));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(shadow.bottomRight(), text.bottomRight() + QPoint(3, 3));
}

TEST(MovieScroll, WithoutLoopEndsOnCompleteTextAndStops) {
    Still s({"One", "Two"});
    const int h = lineHeight(plainFont());
    int ticks = 0;
    while (s.scroll.Scrolling() && ticks < 1000) {
        s.scroll.TimerTick();
        ++ticks;
    }
    EXPECT_FALSE(s.scroll.Scrolling());
    // Ends once the text (and one more line) has left the top.
    EXPECT_EQ(ticks, 3 * h + 1);
    const QImage image = s.frame();
    const QRect end = boxOf(image, Qt::white);
    ASSERT_FALSE(end.isEmpty());
    EXPECT_NEAR(end.center().x(), image.width() / 2, 3);
    EXPECT_NEAR(end.center().y(), image.height() / 2, 4);

    // With Loop the text comes up from the bottom again.
    Still looping({"One", "Two"});
    looping.scroll.setLoop(true);
    looping.scroll.setOffset(-3 * h);
    looping.scroll.TimerTick();
    EXPECT_TRUE(looping.scroll.Scrolling());
    EXPECT_EQ(looping.scroll.Offset(), looping.scroll.height() + 1);
}

TEST(MovieScroll, NumberErrorIsReportedOnceAndTheLineStillDraws) {
    Still s({"[size=abc]Text"});
    QStringList errors;
    s.scroll.setOnError([&](const QString &error) { errors << error; });
    const QImage first = s.frame();
    s.frame();
    QCoreApplication::processEvents();
    EXPECT_EQ(errors, QStringList({"'abc' is not a valid integer value"}));
    EXPECT_EQ(first, Still({"Text"}).frame());
}

TEST(About, BoxAndItsScroller) {
    TAbout about;
    EXPECT_EQ(about.windowTitle(), "About Calvoran Player");
    EXPECT_EQ(about.size(), QSize(257, 137));
    TMovieScroll *scroll = about.MovieScroll1();
    EXPECT_EQ(scroll->geometry(), QRect(0, 0, 257, 137));
    EXPECT_TRUE(scroll->Loop());
    EXPECT_EQ(scroll->TimerInterval(), 40);
    EXPECT_EQ(scroll->DefaultFont().pixelSize(), 13);
    const ScrollMarkup text = parseScrollMarkup(TAbout::Text());
    EXPECT_TRUE(text.error.isEmpty());
    ASSERT_GE(text.lines.size(), 15u);
    EXPECT_EQ(text.lines[0].text, "Calvoran Player");
    EXPECT_TRUE(text.lines[0].bold && text.lines[0].center && text.lines[0].underline);
    EXPECT_EQ(text.lines[0].color, QColor(0x39, 0x30, 0x00));
    EXPECT_TRUE(text.lines[2].text.endsWith(CALVORAN_TEST_VERSION));
    EXPECT_EQ(text.lines[12].text, "Credits");
    for (const ScrollLineStyle &line : text.lines)
        EXPECT_TRUE(line.text.isEmpty() || line.center);
    // The title comes up from the bottom edge.
    scroll->Frame();
    scroll->setOffset(60);
    const QImage image = scroll->Frame();
    EXPECT_FALSE(boxOf(image, QColor(0x39, 0x30, 0x00)).isEmpty());
}
