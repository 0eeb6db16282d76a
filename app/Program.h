#pragma once
#include <QString>

class QApplication;

namespace calvoran {

// Builds the raw command line the player reads its file from: "exe" "file", as the desktop's
// "open" passes it.
QString rawCommandLine(const QString &exePath, const QStringList &arguments);

// Start-up, message loop and shutdown. Returns the application's exit code.
int RunProgram(QApplication &app, const QString &commandLine);

// True once start-up is over and the message loop runs (scripted runs wait for it before they act).
bool programRunning();

} // namespace calvoran
