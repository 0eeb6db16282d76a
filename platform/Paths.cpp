#include "Paths.h"

#include <QCoreApplication>
#include <QDir>

namespace calvoran {

QString programFolder() {
    QString dir = qEnvironmentVariable("CALVORAN_HOME");
    if (dir.isEmpty())
        dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    dir = QDir(dir).absolutePath();
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

} // namespace calvoran
