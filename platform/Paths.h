#pragma once
#include <QString>

namespace calvoran {

// The folder the player keeps its files in, ending in '/': the executable's folder, or
// CALVORAN_HOME when that is set (tests and portable installs).
QString programFolder();

} // namespace calvoran
