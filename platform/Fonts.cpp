#include "Fonts.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace calvoran {

namespace {

// fonts-wine keeps its fonts for Wine only, outside the font configuration.
constexpr const char *kWineFonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

struct Substitute {
    const char *family;
    QStringList standIns; // first one present wins
};

// fonts-liberation2 matches Arial, Times New Roman and Courier New metric for metric; Verdana has no
// free twin, and DejaVu Sans (from the same Vera design, as wide) comes closest.
const Substitute kSubstitutes[] = {
    {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif"}},
    {"Courier New", {"Liberation Mono", "Cousine", "DejaVu Sans Mono"}},
    {"Verdana", {"DejaVu Sans"}},
    {"Tahoma", {"DejaVu Sans Condensed", "DejaVu Sans"}},
    {"MS Sans Serif", {"Tahoma", "DejaVu Sans Condensed", "DejaVu Sans"}},
};

} // namespace

QStringList installPlayerFonts() {
    QStringList loaded;
    for (const char *file : kWineFonts)
        if (QFile::exists(QString::fromLatin1(file)) &&
            QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0)
            loaded << QString::fromLatin1(file);
    const QStringList families = QFontDatabase::families();
    for (const Substitute &s : kSubstitutes) {
        const QString family = QString::fromLatin1(s.family);
        if (families.contains(family)) continue; // the real thing, or Wine's copy
        QStringList present;
        for (const QString &standIn : s.standIns)
            if (families.contains(standIn)) present << standIn;
        if (!present.isEmpty()) QFont::insertSubstitutions(family, present);
    }
    // The windows' own font: MS Sans Serif at 8 points as the layouts were made with (11 pixels).
    QFont base(QStringLiteral("MS Sans Serif"));
    base.setPixelSize(11);
    // Wine's MS Sans Serif joins "TM" into a trademark sign ("MTM" would read "M™"); Latin text needs
    // no shaping, and skipping it is cheaper too.
    base.setStyleStrategy(QFont::PreferNoShaping);
    QApplication::setFont(base);
    return loaded;
}

QString resolvedFamily(const QString &family) {
    return QFontInfo(QFont(family)).family();
}

} // namespace calvoran
