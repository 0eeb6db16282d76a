#pragma once
#include <QString>

namespace calvoran {

// A file-name pattern with "*" and "?", matched without regard to letter case, the way the dialog's
// users know patterns from their own platform: "*.mp3" takes SONG.MP3, and "*.*" takes every name.
class Wildcard {
public:
    explicit Wildcard(const QString &pattern);
    bool matches(const QString &name) const;

private:
    QString folded_;
    bool everything_ = false;
};

} // namespace calvoran
