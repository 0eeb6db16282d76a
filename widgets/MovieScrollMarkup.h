#pragma once
#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

namespace calvoran {

// How one line of scroller text is drawn: its visible text and what its tags set.
struct ScrollLineStyle {
    QString text;
    bool center = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString fontName; // empty: the default font's
    int size = 0;     // points; 0 keeps the default font's size, below 0 a pixel height
    bool hasColor = false;
    QColor color;
};

struct ScrollMarkup {
    std::vector<ScrollLineStyle> lines;
    // The first tag whose number did not read, as the user is told; empty when all read.
    QString error;
};

// Reads the bracket markup of the scroller: "[center]", "[b]", "[i]", "[u]", "[font=Name]",
// "[size=N]" and "[color=N]" (N decimal; a colour's red in the low byte). Other tags are ignored. A
// "[" left open hides text up to the next "]", also on the following lines; the tag then applied is
// the part on the line where it closes.
ScrollMarkup parseScrollMarkup(const QStringList &lines);

// Sizes beyond this many points (or pixels) are drawn at this size.
constexpr int kMaxScrollFontSize = 512;

} // namespace calvoran
