#include "MovieScrollMarkup.h"

#include <limits>

namespace calvoran {

namespace {

// An optionally signed run of decimal digits that fits an int, and nothing else.
bool readDecimal(const QString &text, int &value) {
    if (text.isEmpty()) return false;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size()) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        n = n * 10 + (c.unicode() - '0');
        if (n > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
    }
    if (negative) n = -n;
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
    value = static_cast<int>(n);
    return true;
}

void applyTag(const QString &tag, ScrollLineStyle &line, QString &error) {
    const QLatin1String fontKey("font="), sizeKey("size="), colorKey("color=");
    int number = 0;
    if (tag == QLatin1String("center")) {
        line.center = true;
    } else if (tag == QLatin1String("b")) {
        line.bold = true;
    } else if (tag == QLatin1String("i")) {
        line.italic = true;
    } else if (tag == QLatin1String("u")) {
        line.underline = true;
    } else if (tag.startsWith(fontKey)) {
        const QString name = tag.mid(fontKey.size());
        if (!name.isEmpty()) line.fontName = name;
    } else if (tag.startsWith(sizeKey) || tag.startsWith(colorKey)) {
        const bool isSize = tag.startsWith(sizeKey);
        const QString rest = tag.mid(isSize ? sizeKey.size() : colorKey.size());
        if (!readDecimal(rest, number)) {
            if (error.isEmpty()) error = QStringLiteral("'%1' is not a valid integer value").arg(rest);
            return;
        }
        if (isSize) {
            line.size = qBound(-kMaxScrollFontSize, number, kMaxScrollFontSize);
        } else {
            const auto v = static_cast<unsigned>(number);
            line.hasColor = true;
            line.color = QColor(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff);
        }
    }
}

} // namespace

ScrollMarkup parseScrollMarkup(const QStringList &lines) {
    ScrollMarkup markup;
    markup.lines.reserve(static_cast<size_t>(lines.size()));
    bool inTag = false; // carried from line to line
    for (const QString &source : lines) {
        ScrollLineStyle line;
        QString tag;
        for (const QChar c : source) {
            const bool bracket = c == QLatin1Char('[') || c == QLatin1Char(']');
            if (inTag && c == QLatin1Char(']')) {
                inTag = false;
                applyTag(tag, line, markup.error);
                tag.clear();
            }
            if (inTag && !bracket) tag += c;
            if (!inTag && c == QLatin1Char('['))
                inTag = true;
            else if (!inTag && !bracket)
                line.text += c;
        }
        markup.lines.push_back(std::move(line));
    }
    return markup;
}

} // namespace calvoran
