#pragma once
#include <QString>
#include <string>

namespace calvoran {

// The player's texts are Windows-1252 bytes; these are the only conversions at the Qt boundary.
QString fromAnsi(const std::string &bytes);
QString fromAnsi(const char *bytes);
// Characters outside Windows-1252 become '?'.
std::string toAnsi(const QString &text);

} // namespace calvoran
