#include "PluginList.h"

namespace calvoran {

namespace {
bool separator(QChar c) {
    return c == QLatin1Char(',') || c == QLatin1Char(' ') || c.unicode() < 32 || c.unicode() == 127;
}
} // namespace

QStringList splitPluginList(const QString &text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        QString item;
        if (text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i; // the closing quote; anything up to the next separator belongs to the item
                    break;
                }
                item += text[i++];
            }
        }
        while (i < n && !separator(text[i]))
            item += text[i++];
        if (!item.isEmpty()) items << item;
    }
    return items;
}

} // namespace calvoran
