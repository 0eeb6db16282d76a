// A minimal program with a single-instance guard, started twice by the tests.
#include "platform/Dialogs.h"
#include "widgets/TVrRunOnce.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Calvoran Player"));
    calvoran::setMessageRecorder([](const calvoran::RecordedMessage &m) {
        std::printf("message:%s|%s\n", qPrintable(m.caption), qPrintable(m.text));
        std::fflush(stdout);
    });
    QWidget window;
    window.setWindowTitle(QStringLiteral("Calvoran Player"));
    calvoran::TVrRunOnce guard(&window);
    guard.ShowMessage = true;
    guard.MessageText = QStringLiteral("Calvoran Player is already running!");
    guard.OnRestoreRequest = [] {
        std::printf("restore-request\n");
        std::fflush(stdout);
    };
    if (!guard.check()) {
        std::printf("first\n");
        std::fflush(stdout);
    }
    // A first copy lives until killed; a second one ends when the loop starts.
    const int rc = app.exec();
    std::printf("ended\n");
    return rc;
}
