#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <unistd.h>

namespace calvoran {

namespace {

QString withSlash(QString dir) {
    dir = QDir(dir).absolutePath();
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

} // namespace

QString programFolder() {
    QString dir = qEnvironmentVariable("CALVORAN_HOME");
    if (dir.isEmpty())
        dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return withSlash(dir);
}

QString userFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return withSlash(base + QStringLiteral("/calvoran"));
}

bool programFolderWritable() {
    // access() also says no for a read-only mount, where even root cannot write.
    return ::access(QFile::encodeName(programFolder()).constData(), W_OK) == 0;
}

QString writableFolder() {
    return programFolderWritable() ? programFolder() : userFolder();
}

QString keptFileForWriting(const QString &name) {
    const QString folder = writableFolder();
    if (folder != programFolder()) QDir().mkpath(folder);
    return folder + name;
}

QString keptFileForReading(const QString &name) {
    const QString written = writableFolder() + name;
    if (QFile::exists(written)) return written;
    return programFolder() + name;
}

QStringList searchFolders() {
    const QString program = programFolder();
    const QString writable = writableFolder();
    if (writable == program) return {program};
    return {writable, program};
}

} // namespace calvoran
