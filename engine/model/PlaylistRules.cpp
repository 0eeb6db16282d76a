#include "PlaylistRules.h"

#include <QFileInfo>
#include <array>

namespace calvoran {

std::string PlaylistRules::entryCaption(int position, const std::string &artist, const std::string &title) {
    return std::to_string(position + 1) + ". " + artist + " - " + title;
}

QString PlaylistRules::extension(const QString &fileName) {
    const qsizetype slash = fileName.lastIndexOf('/');
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0 || dot < slash) return {};
    return fileName.mid(dot);
}

QString PlaylistRules::baseName(const QString &fileName) {
    const QString name = fileName.mid(fileName.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

bool PlaylistRules::isDroppableMusic(const QString &fileName) {
    static const std::array<QLatin1String, 13> kPlayable = {
        QLatin1String(".MP1"), QLatin1String(".MP2"), QLatin1String(".MP3"),  QLatin1String(".OGG"),
        QLatin1String(".WAV"), QLatin1String(".MOD"), QLatin1String(".MTM"),  QLatin1String(".S3M"),
        QLatin1String(".IT"),  QLatin1String(".XM"),  QLatin1String(".FLAC"), QLatin1String(".OGA"),
        QLatin1String(".OPUS")};
    const QString ext = extension(fileName).toUpper();
    if (ext.isEmpty()) return false;
    for (const QLatin1String &candidate : kPlayable)
        if (QString(candidate).contains(ext)) return true;
    return false;
}

bool PlaylistRules::isCommandLineMp3(const QString &fileName) {
    if (fileName.isEmpty()) return false;
    const QFileInfo info(fileName);
    return info.exists() && !info.isDir() && extension(fileName).trimmed().toLower() == QLatin1String(".mp3");
}

} // namespace calvoran
