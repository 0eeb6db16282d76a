// Files dropped on the playlist arrive as a text/uri-list from any program: the list is split into
// addresses, local files are taken, and each name is judged by its extension.
#include "engine/model/PlaylistRules.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"),
                 QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    for (const QUrl &url : mime.urls()) {
        if (!url.isLocalFile()) continue;
        const QString name = url.toLocalFile();
        const QString extension = calvoran::PlaylistRules::extension(name);
        if (!extension.isEmpty() && !name.endsWith(extension)) std::abort();
        (void)calvoran::PlaylistRules::baseName(name);
        (void)calvoran::PlaylistRules::isDroppableMusic(name);
    }
    return 0;
}
