#include "widgets/MatrixFont.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrTimer.h"

#include <QTest>
#include <gtest/gtest.h>
#include <set>

using namespace calvoran;

namespace {

QRgb rgb(QColor c) {
    return c.rgb();
}

// Where dot (row, bit) of cell k lies in a horizontal matrix with the given bevel width.
struct Cells {
    int left, top, width, dot, pitch, spacing;
    QPoint dot00(int k, int row, int bit) const {
        return {left + k * (width + spacing) + width - dot - bit * pitch, top + row * pitch};
    }
};

// Colour of every lit dot of cell k, or nothing when the cell shows no dot in `high`-or-code colour.
bool cellHasDots(const QImage &image, const Cells &c, int k, QColor background, QColor low) {
    for (int row = 0; row < 7; ++row)
        for (int bit = 0; bit < 5; ++bit) {
            const QRgb px = image.pixel(c.dot00(k, row, bit));
            if (px != rgb(background) && px != rgb(low)) return true;
        }
    return false;
}

} // namespace

TEST(MatrixFont, ExamplesControlCodesAndEveryPrintableCharacter) {
    using G = MatrixFont::Glyph;
    EXPECT_EQ(MatrixFont::glyph('A'), (G{0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}));
    EXPECT_EQ(MatrixFont::glyph('0'), (G{0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}));
    const G blank{};
    for (int code = 0; code < 0x20; ++code)
        EXPECT_EQ(MatrixFont::glyph(static_cast<unsigned char>(code)), blank) << code;
    EXPECT_EQ(MatrixFont::glyph(0x7F), blank);
    EXPECT_EQ(MatrixFont::glyph(' '), blank);
    // Every printable Windows-1252 character has dots, and none reaches past five columns.
    const std::set<int> unassigned{0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0};
    for (int code = 0x21; code < 0x100; ++code) {
        const G &g = MatrixFont::glyph(static_cast<unsigned char>(code));
        if (code == 0x7F || unassigned.count(code)) continue;
        EXPECT_NE(g, blank) << std::hex << code;
        for (auto row : g)
            EXPECT_EQ(row & ~0x1F, 0) << std::hex << code;
    }
    // Accented letters differ from each other and from their base letters.
    std::set<G> seen;
    for (int code = 0xC0; code < 0x100; ++code) {
        if (code == 0xD7 || code == 0xF7) continue; // × and ÷
        EXPECT_TRUE(seen.insert(MatrixFont::glyph(static_cast<unsigned char>(code))).second)
            << std::hex << code;
    }
    for (const char base : std::string("AEIOUNYaeiouny"))
        EXPECT_EQ(seen.count(MatrixFont::glyph(static_cast<unsigned char>(base))), 0u) << base;
}

TEST(TVrMatrix, ColourCodesAreTakenOutOfTheText) {
    TVrMatrix m;
    m.setTextStyle(tsAsIs);
    m.setText("%Ared%%%1x");
    EXPECT_EQ(m.displayText(), "red%x");
    EXPECT_EQ(m.colorCodes(), "AAAA1");
    m.setText("abc%");
    EXPECT_EQ(m.displayText(), "abc");
    m.setText("%zabc");
    EXPECT_EQ(m.displayText(), "abc");
    EXPECT_EQ(m.colorCodes(), "---");
    m.setText("%ahello");
    EXPECT_EQ(m.displayText(), "hello");
    EXPECT_EQ(m.colorCodes(), "aaaaa");
    m.setText("%5n%%%Gw%0z");
    EXPECT_EQ(m.displayText(), "n%wz");
    EXPECT_EQ(m.colorCodes(), "55G0");

    const QColor high(0x00FF00);
    EXPECT_EQ(TVrMatrix::codeColor('A', high), QColor(0xFF0000));
    EXPECT_EQ(TVrMatrix::codeColor('1', high), QColor(Qt::black));
    EXPECT_EQ(TVrMatrix::codeColor('9', high), QColor(0xC0C0C0));
    EXPECT_EQ(TVrMatrix::codeColor('G', high), QColor(0xFFFFFF));
    for (const char code : std::string("-0azH"))
        EXPECT_EQ(TVrMatrix::codeColor(code, high), high) << code;
}

TEST(TVrMatrix, CharactersArePaintedInTheirCodeColours) {
    TVrMatrix m;
    m.setTextStyle(tsAsIs);
    m.setLedStyle(ls9x13);
    m.setLedsVisible(false);
    m.setColor(Qt::blue);
    m.setLeds(5);
    m.setText("%Ared%%%1x");
    const QImage image = m.grab().toImage();
    const Cells c{2, 2, 9, 1, 2, 2};
    auto colours = [&](int k) {
        std::set<QRgb> found;
        for (int row = 0; row < 7; ++row)
            for (int bit = 0; bit < 5; ++bit)
                found.insert(image.pixel(c.dot00(k, row, bit)));
        found.erase(rgb(Qt::blue));
        return found;
    };
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(colours(k), std::set<QRgb>{0xFFFF0000}) << k;
    EXPECT_EQ(colours(4), std::set<QRgb>{0xFF000000});
    m.setText("%ahello");
    const QImage plain = m.grab().toImage();
    EXPECT_EQ(plain.pixel(c.dot00(0, 0, 4)), rgb(QColor(0x00FF00))); // top-left dot of "h"
}

TEST(TVrMatrix, TextStylesChangeOnlyTheDisplayText) {
    TVrMatrix m;
    m.setText("%Bmix\xE9\xDF\xFF"); // default upper case: é becomes É, ß stays, ÿ becomes Ÿ
    EXPECT_EQ(m.displayText(), "MIX\xC9\xDF\x9F");
    EXPECT_EQ(m.colorCodes(), "BBBBBB");
    m.setTextStyle(tsLowerCase);
    EXPECT_EQ(m.displayText(), "mix\xE9\xDF\xFF");
    m.setTextStyle(tsProperCase);
    m.setText("  hELLO wORLD");
    EXPECT_EQ(m.displayText(), "  Hello world");
    m.setText("   x");
    EXPECT_EQ(m.displayText(), "   X");
    m.setText("   ");
    EXPECT_EQ(m.displayText(), "   ");
    m.setTextStyle(tsAsIs);
    EXPECT_EQ(m.displayText(), "   ");
    m.setText("mIxEd");
    EXPECT_EQ(m.displayText(), "mIxEd");
}

TEST(TVrMatrix, ScrollsByWholeCellsAndWrapsWithScrollDone) {
    TVrMatrix m;
    int done = 0;
    m.setOnScrollDone([&] { ++done; });
    m.setText("ABCDEFGHIJKLMNOPQRST"); // 20 characters
    (void)m.grab();                    // left-justified: first cell 1
    ASSERT_EQ(m.firstCell(), 1);
    for (int i = 0; i < 19; ++i)
        m.scrollStep();
    EXPECT_EQ(m.firstCell(), 20);
    EXPECT_EQ(done, 0);
    m.scrollStep();
    EXPECT_EQ(m.firstCell(), -14);
    EXPECT_EQ(done, 1);
    for (int i = 0; i < 34; ++i)
        m.scrollStep();
    EXPECT_EQ(m.firstCell(), 20);
    EXPECT_EQ(done, 1);
    m.scrollStep();
    EXPECT_EQ(m.firstCell(), -14);
    EXPECT_EQ(done, 2);

    m.setScrollDirection(msdLeftToRight);
    m.scrollStep(); // already at the left end
    EXPECT_EQ(m.firstCell(), 20);
    EXPECT_EQ(done, 3);
    for (int i = 0; i < 34; ++i)
        m.scrollStep();
    EXPECT_EQ(m.firstCell(), -14);
    EXPECT_EQ(done, 3);
}

TEST(TVrMatrix, ANewTextKeepsTheScrollPositionWhileScrolling) {
    TVrMatrix m;
    m.setText("HELLO");
    m.setAutoScroll(true);
    m.scrollStep();
    m.scrollStep();
    m.setText("A LONGER TITLE");
    (void)m.grab();
    EXPECT_EQ(m.firstCell(), 3);
    m.setAutoScroll(false);
    (void)m.grab();
    EXPECT_EQ(m.firstCell(), 1);
}

TEST(TVrMatrix, AlignmentPlacesTheTextWhenNotScrolling) {
    TVrMatrix m;
    m.setLedStyle(ls9x13);
    m.setText("HELLO");
    m.setAlignment(vaCenter);
    const QImage image = m.grab().toImage();
    EXPECT_EQ(m.firstCell(), -4);
    const Cells c{2, 2, 9, 1, 2, 2};
    const QColor low(0x008000);
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(cellHasDots(image, c, k, Qt::black, low), k >= 5 && k < 10) << k;
    m.setAlignment(vaRightJustify);
    (void)m.grab();
    EXPECT_EQ(m.firstCell(), 5 - 15 + 1);
    m.setAlignment(vaLeftJustify);
    (void)m.grab();
    EXPECT_EQ(m.firstCell(), 1);
}

TEST(TVrMatrix, DotsOfAInSmallAndMediumCells) {
    TVrMatrix m;
    m.setLeds(1);
    m.setLedStyle(ls9x13);
    m.setColor(Qt::blue);
    m.setText("A");
    EXPECT_EQ(m.size(), QSize(9 + 4, 13 + 4));
    const MatrixFont::Glyph &a = MatrixFont::glyph('A');
    QImage image = m.grab().toImage();
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 9; ++x) {
            QColor expected = Qt::blue;
            if (x % 2 == 0 && y % 2 == 0) {
                const int bit = (8 - x) / 2, row = y / 2;
                expected = (a[row] >> bit) & 1 ? QColor(0x00FF00) : QColor(0x008000);
            }
            EXPECT_EQ(image.pixel(2 + x, 2 + y), rgb(expected)) << x << "," << y;
        }

    m.setLedStyle(ls14x20); // 2-pixel dots every 3 pixels
    m.setLedsVisible(false);
    EXPECT_EQ(m.size(), QSize(14 + 4, 20 + 4));
    image = m.grab().toImage();
    for (int row = 0; row < 7; ++row)
        for (int bit = 0; bit < 5; ++bit) {
            const QColor expected = (a[row] >> bit) & 1 ? QColor(0x00FF00) : QColor(Qt::blue);
            const int x = 2 + 14 - 2 - bit * 3, y = 2 + row * 3;
            for (int d = 0; d < 4; ++d)
                EXPECT_EQ(image.pixel(x + d % 2, y + d / 2), rgb(expected)) << row << "," << bit;
            if (bit > 0 && row < 6) {
                EXPECT_EQ(image.pixel(x + 2, y + 2), rgb(Qt::blue)); // the gap to the next dot
            }
        }
}

TEST(TVrMatrix, SizeFollowsCellsAndBevelWhateverIsAsked) {
    TVrMatrix m;
    EXPECT_EQ(m.size(), QSize(15 * 14 + 14 * 2 + 4, 20 + 4));
    m.resize(500, 500);
    EXPECT_EQ(m.size(), QSize(15 * 14 + 14 * 2 + 4, 20 + 4));
    // The main window's title: 9 × 13 cells in a one-pixel frame.
    TVrBevel frame;
    frame.setOuterOutline(osOuter);
    m.setBevel(frame);
    m.setLedStyle(ls9x13);
    EXPECT_EQ(m.size(), QSize(165, 15));
    m.setOrientation(voVertical);
    EXPECT_EQ(m.size(), QSize(11, 15 * 13 + 14 * 2 + 2));
    m.setSpacing(0);
    m.setLeds(3);
    m.Bevel().setVisible(false);
    EXPECT_EQ(m.size(), QSize(9, 39));
}

TEST(TVrMatrix, ScrollTimerFollowsTheProperties) {
    TVrMatrix m;
    const TVrTimer &t = m.scrollTimer();
    EXPECT_FALSE(t.Enabled());
    EXPECT_EQ(t.Interval(), 500u);
    m.setAutoScroll(true);
    EXPECT_TRUE(t.Enabled());
    EXPECT_EQ(t.TimerType(), TTimerType::ttThread);
    m.setThreaded(false);
    EXPECT_EQ(t.TimerType(), TTimerType::ttSystem);
    m.setTimeInterval(-5);
    EXPECT_EQ(m.TimeInterval(), 500);
    m.setTimeInterval(120);
    EXPECT_EQ(t.Interval(), 120u);
    m.setAutoScroll(false);
    EXPECT_FALSE(t.Enabled());
}

TEST(TVrMatrix, TimerTicksScrollTheTextOnBothTimerKinds) {
    for (const bool threaded : {true, false}) {
        TVrMatrix m;
        m.setThreaded(threaded);
        m.setTimeInterval(5);
        m.setText("TICK");
        m.setAutoScroll(true);
        const int start = m.firstCell();
        EXPECT_TRUE(QTest::qWaitFor([&] { return m.firstCell() != start; }, 2000)) << threaded;
        m.setAutoScroll(false);
    }
}

TEST(TVrMatrix, DoublePixelRatioDoublesEveryDotExactly) {
    TVrMatrix m;
    m.setLedStyle(ls9x13);
    m.setTextStyle(tsAsIs);
    m.setText("%AHi%% 0\xC9");
    const QImage one = m.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage two(m.size() * 2, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    two.fill(Qt::white);
    m.render(&two);
    int mismatches = 0;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x)
            mismatches += two.pixel(x, y) != one.pixel(x / 2, y / 2);
    EXPECT_EQ(mismatches, 0);
}
