#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace calvoran {

// One playlist row as the file holds it: caption in 8-bit (Windows-1252) bytes, location as a path
// or a stream address.
struct M3uEntry {
    std::string caption;
    QString location;
    double seconds = -1; // the length when known: the file is opened only when this is negative, and a
                         // file that is missing now is written with it
};

// What a read found, before titles and locations are paired by index.
struct M3uContent {
    std::vector<std::string> titles;
    std::vector<double> seconds;    // per title: the info line's length, -1 when it has none
    std::vector<QString> locations; // raw lines, not yet normalised
    bool extended = false;          // any "#EXTINF:" line at all
};

// The extended M3U text the playlist is kept in: "#EXTM3U", then "#EXTINF:" + length + "," + caption
// and the location per entry, every line ended by CR LF. No windows, no audio: the length of an
// entry comes from the caller.
class M3uFormat {
public:
    enum class WriteResult { Ok, CannotCreate, Failed };
    // Called from several threads at once for long lists; must be safe for that.
    using LengthOf = std::function<double(const QString &location)>;

    // The "#000" pattern: at least three digits, leading zeros.
    static std::string lengthText(long long seconds);
    // File names keep the file system's bytes; anything else read back is taken as Windows-1252.
    static QByteArray encodeLocation(const QString &location);
    static QString decodeLocation(const QByteArray &bytes);

    // http:// and https:// locations: radio entries.
    static bool isStreamAddress(const QString &location);
    // The whole file for the entries whose location is a file or a stream address (written with the
    // length -1; it is never measured). A file is measured only when its entry's length is unknown; a
    // file that is missing now (a drive not mounted) keeps its place with the length last known, or 0.
    static QByteArray compose(const std::vector<M3uEntry> &entries, const LengthOf &lengthOf);
    static M3uContent parse(const QByteArray &data);

    // Writes beside the target and renames over it once every write and the flush to disk succeeded,
    // so a failure (a full disk included) leaves the old file whole. Without content the file is
    // created empty.
    static WriteResult writeFile(const QString &fileName, const std::vector<M3uEntry> &entries,
                                 const LengthOf &lengthOf, bool withContent = true);

    // A location line tidied: trimmed; addresses and existing files as they are, anything else made
    // a full path against the current folder.
    static QString normalizeLocation(const QString &line);

private:
    static std::vector<double> measure(const std::vector<M3uEntry> &entries, const std::vector<size_t> &kept,
                                       const LengthOf &lengthOf);
};

} // namespace calvoran
