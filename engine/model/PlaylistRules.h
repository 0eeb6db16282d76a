#pragma once
#include <QString>
#include <string>

namespace calvoran {

// The playlist's rules that need no window: entry captions, the drop test, file-name titles.
class PlaylistRules {
public:
    // (position + 1) + ". " + artist + " - " + title, in 8-bit text.
    static std::string entryCaption(int position, const std::string &artist, const std::string &title);
    // The extension with its dot, from the last dot of the name's last component; empty without one.
    static QString extension(const QString &fileName);
    // The name's last component without its extension.
    static QString baseName(const QString &fileName);
    // A dropped file is taken when its extension, upper-cased, occurs within one of the playable
    // extensions (".MP" does, as part of ".MP3").
    static bool isDroppableMusic(const QString &fileName);
    // The command line adds an existing file only when its extension is ".mp3".
    static bool isCommandLineMp3(const QString &fileName);
};

} // namespace calvoran
