#include "Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <mutex>

namespace calvoran {

namespace {
std::mutex g_mutex;
MessageRecorder g_recorder;

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void setMessageRecorder(MessageRecorder recorder) {
    std::lock_guard lock(g_mutex);
    g_recorder = std::move(recorder);
}

bool hasMessageRecorder() {
    std::lock_guard lock(g_mutex);
    return static_cast<bool>(g_recorder);
}

void messageBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    MessageRecorder recorder;
    {
        std::lock_guard lock(g_mutex);
        recorder = g_recorder;
    }
    if (recorder) {
        recorder({shown, caption, icon});
        return;
    }
    // Scripted runs of the whole program (end-to-end tests) read boxes from a file instead.
    const QString log = qEnvironmentVariable("CALVORAN_MESSAGE_LOG");
    if (!log.isEmpty()) {
        QFile f(log);
        if (f.open(QIODevice::Append | QIODevice::Text)) {
            f.write((caption + '|' + shown + '\n').toUtf8());
            return;
        }
    }
    QMessageBox box(toQt(icon), caption, shown, QMessageBox::Ok, parent);
    box.raise();
    box.activateWindow();
    box.exec();
}

void showError(const QString &text) {
    const QString title = QCoreApplication::instance() ? QApplication::applicationName() : QString();
    messageBox(QApplication::activeWindow(), text, title, MsgIcon::Error);
}

} // namespace calvoran
