#pragma once
#include "TagFields.h"

#include <QString>

class Tid3v2tag;

namespace calvoran {

// Reads the fields a playlist entry is titled from. A file without a readable tag is titled by its
// file name, put in Artist.
class TagInfo {
public:
    static TagFields read(Tid3v2tag &reader, const QString &path);
};

} // namespace calvoran
