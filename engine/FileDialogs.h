#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace calvoran {

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter; // "Name|*.a;*.b|Other|*.c"
    QString defaultSuffix;
};

// The playlist's file dialogs. Tests set a hook that answers instead of a dialog; an empty answer is
// a cancel.
using FileDialogHook = std::function<QString(const FileDialogRequest &)>;
void setFileDialogHook(FileDialogHook hook);
QString chooseFile(QWidget *parent, const FileDialogRequest &request);

} // namespace calvoran
