#include "WriteFailures.h"

#include "Dialogs.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace calvoran::WriteFailures {

namespace {
std::atomic<bool> g_onSignal{false};
std::mutex g_mutex;
QSet<QString> g_named;

const QString kCaption = QStringLiteral("Write-Error");

QString messageFor(const QString &path, const QString &reason) {
    QString text = QStringLiteral("Can't write the chosen file...\r\n") + QDir::toNativeSeparators(path);
    if (!reason.isEmpty()) text += QStringLiteral("\r\n") + reason;
    return text;
}

void leaveNote(const QString &line) {
    const QString path = notePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile note(path);
    if (note.open(QIODevice::Append)) note.write(line.toUtf8() + '\n');
}

} // namespace

void setClosingOnSignal(bool on) {
    g_onSignal = on;
}

bool closingOnSignal() {
    return g_onSignal;
}

QString notePath() {
    // A copy pointed at its own folder (portable, tests) keeps everything there.
    if (qEnvironmentVariableIsSet("CALVORAN_HOME")) return programFolder() + QStringLiteral("unsaved.txt");
    // Not beside the files that failed: that folder may be the one that cannot be written.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/calvoran/unsaved.txt");
}

void report(QWidget *owner, const QString &path, const QString &reason, bool always) {
    {
        std::lock_guard lock(g_mutex);
        if (!always && g_named.contains(path)) return;
        g_named.insert(path);
    }
    if (g_onSignal) {
        const QString line = QDir::toNativeSeparators(path) + (reason.isEmpty() ? QString() : ": " + reason);
        std::fprintf(stderr, "calvoran: could not write %s\n", line.toLocal8Bit().constData());
        leaveNote(line);
        return;
    }
    const QString text = messageFor(path, reason);
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        // Boxes belong to the user-interface thread.
        QPointer<QWidget> guarded(owner);
        QMetaObject::invokeMethod(
            app, [guarded, text] { messageBox(guarded.data(), text, kCaption, MsgIcon::Error); },
            Qt::QueuedConnection);
        return;
    }
    messageBox(owner, text, kCaption, MsgIcon::Error);
}

QStringList takeNotes() {
    QFile note(notePath());
    if (!note.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(note.readAll());
    note.close();
    note.remove();
    QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    return lines;
}

void showNotes(QWidget *owner) {
    const QStringList notes = takeNotes();
    if (notes.isEmpty()) return;
    messageBox(owner,
               QStringLiteral("These files could not be written when the player last closed:\r\n") +
                   notes.join(QStringLiteral("\r\n")),
               kCaption, MsgIcon::Warning);
}

void resetForTests() {
    std::lock_guard lock(g_mutex);
    g_named.clear();
}

} // namespace calvoran::WriteFailures
