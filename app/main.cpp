#include "Forms.h"
#include "MainWindow.h"
#include "Program.h"
#include "platform/Fonts.h"
#include "platform/SettingsKey.h"
#include "platform/WriteFailures.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT (logging out, Ctrl+C) close the main window the orderly way, so the
// playlist is saved as on any other close.
void installSignalHandlers(QApplication &app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char c = 0;
        [[maybe_unused]] auto n = ::read(g_signalPipe[0], &c, 1);
        // Nobody is there to answer a box while the session ends.
        calvoran::WriteFailures::setClosingOnSignal(true);
        if (Form1)
            Form1->close();
        else
            QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    // A file-size limit must fail a tag save (which then restores the file), not kill the player.
    signal(SIGXFSZ, SIG_IGN);
}

} // namespace

int main(int argc, char **argv) {
    // On X11, pictures through shared memory make Qt wait for the server after every flush: two thread
    // wake-ups a frame. Our windows are small, and sending their pictures over the connection costs both
    // the player and the server less (VS Lab at 30 frames a second: about half the player's CPU).
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    installSignalHandlers(app);
    calvoran::installPlayerFonts();
    calvoran::SettingsKey::setWriteFailureHandler([](const QString &path, const QString &reason) {
        calvoran::WriteFailures::report(QApplication::activeWindow(), path, reason);
    });
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const QString line = calvoran::rawCommandLine(QCoreApplication::applicationFilePath(), args);
    return calvoran::RunProgram(app, line);
}
