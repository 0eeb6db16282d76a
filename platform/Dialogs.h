#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace calvoran {

enum class MsgIcon { None, Information, Warning, Error, Question };

struct RecordedMessage {
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
};

// A modal message box. Line breaks may be "\r", "\r\n" or "\n". With CALVORAN_MESSAGE_LOG set, the
// box is appended to that file as "caption|text" instead of being shown.
void messageBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon);

// The application's default error display: an error box with the error's text, captioned with the
// application's title. Errors raised while a command runs end up here.
void showError(const QString &text);

// Headless runs and tests: while a recorder is set, boxes go to it instead of the screen.
using MessageRecorder = std::function<void(const RecordedMessage &)>;
void setMessageRecorder(MessageRecorder recorder);
bool hasMessageRecorder();

} // namespace calvoran
