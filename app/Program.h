#pragma once
#include <QString>

class QApplication;

namespace calvoran {

// Builds the raw command line the player reads its file from: "exe" "file", as the desktop's
// "open" passes it.
QString rawCommandLine(const QString &exePath, const QStringList &arguments);

// Start-up, message loop and shutdown. Returns the application's exit code.
int RunProgram(QApplication &app, const QString &commandLine);

} // namespace calvoran
