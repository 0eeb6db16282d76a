#pragma once
#include <QString>
#include <QStringList>

namespace calvoran {

// The plug-in search's result text as a list of paths: items separated by commas or blanks (spaces and
// control characters); an item in double quotes may hold both, a doubled double quote inside it standing
// for one. Empty items are dropped.
QStringList splitPluginList(const QString &text);

} // namespace calvoran
