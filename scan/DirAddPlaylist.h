#pragma once
#include "engine/TagFields.h"

#include <QString>
#include <functional>
#include <string>

namespace calvoran {

// What the Add Directory dialog needs of the playlist. The program fills it in; tests and benchmarks
// fill it with their own.
struct DirAddPlaylist {
    // The fields a new entry is captioned from: the file's artist and title, or the file name as
    // Artist when it has no readable tag.
    std::function<TagFields(const QString &path)> readTags;
    std::function<int()> entryCount;
    std::function<void(const std::string &caption, const QString &location, int image)> appendEntry;
    // The folder searched last, kept while the program runs; owned by the caller and outliving every
    // dialog. May be null (nothing remembered).
    QString *lastAddFolder = nullptr;
};

} // namespace calvoran
