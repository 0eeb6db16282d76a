// Scroller text may come from anywhere a caller likes; reading it must neither crash nor show a
// bracket, and what a line shows is drawn from that line's characters in their order.
#include "widgets/MovieScrollMarkup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = input.split(QLatin1Char('\n'));
    const calvoran::ScrollMarkup markup = calvoran::parseScrollMarkup(lines);
    if (markup.lines.size() != static_cast<std::size_t>(lines.size())) std::abort();
    for (std::size_t i = 0; i < markup.lines.size(); ++i) {
        const calvoran::ScrollLineStyle &line = markup.lines[i];
        if (line.text.contains(QLatin1Char('[')) || line.text.contains(QLatin1Char(']'))) std::abort();
        if (line.size < -calvoran::kMaxScrollFontSize || line.size > calvoran::kMaxScrollFontSize)
            std::abort();
        const QString &source = lines[static_cast<qsizetype>(i)];
        qsizetype at = 0;
        for (const QChar c : line.text) {
            at = source.indexOf(c, at);
            if (at < 0) std::abort();
            ++at;
        }
    }
    return 0;
}
