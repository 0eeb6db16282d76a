#pragma once
#include <string>

namespace calvoran {

// The seven fields of a file's tag, as the ID3 information window's edit boxes hold them (8-bit text).
struct TagFields {
    std::string Title, Artist, Album, Year, Genre, Comment, Track;
};

} // namespace calvoran
