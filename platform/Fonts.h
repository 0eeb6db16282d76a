#pragma once
#include <QStringList>

namespace calvoran {

// The windows were laid out for Tahoma, MS Sans Serif, Arial, Verdana and Courier New. Loads the
// metric-compatible fonts the system has for them (Wine's Tahoma and MS Sans Serif, which are not
// in the system's font list) and maps each name to its stand-in, so fixed-size boxes fit their texts.
// Call once, after the application object exists. Returns the font files it loaded.
QStringList installPlayerFonts();

// The family a window's font request for `family` ends up with.
QString resolvedFamily(const QString &family);

} // namespace calvoran
