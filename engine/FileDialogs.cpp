#include "FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace calvoran {

namespace {
FileDialogHook g_hook;

// "Name|*.a;*.b|Other|*.c" as Qt writes it: "Name (*.a *.b);;Other (*.c)".
QString qtFilter(const QString &filter) {
    const QStringList parts = filter.split('|');
    QStringList groups;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        groups << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(';', ' ') + ')';
    return groups.join(QStringLiteral(";;"));
}
} // namespace

void setFileDialogHook(FileDialogHook hook) {
    g_hook = std::move(hook);
}

QString chooseFile(QWidget *parent, const FileDialogRequest &request) {
    if (g_hook) return g_hook(request);
    QFileDialog dialog(parent, request.title, QString(), qtFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogRequest::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

} // namespace calvoran
