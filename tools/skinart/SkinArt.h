#pragma once
#include <QImage>
#include <QString>
#include <QStringList>

namespace calvoran::skinart {

// The skins we ship, in their Skins.ini order.
QStringList skinNames();

// Writes Skins.ini and Skins/<skin>/ for every shipped skin into `folder` (ending in '/'). A file is
// rewritten only when its bytes change. False, with the reason in `error`, when a file cannot be
// written.
bool writeSkins(const QString &folder, QString *error = nullptr);

// The main window as the skin loader would dress it: background, glyphs at their places (hover
// frame when `hover`), a stand-in display panel and menu button, cut to the outline over a checker
// board. `folder` holds a staged Skins.ini and Skins/.
QImage renderPreview(const QString &folder, const QString &skin, bool hover = false);

} // namespace calvoran::skinart
