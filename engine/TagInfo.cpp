#include "TagInfo.h"

#include "model/PlaylistRules.h"
#include "platform/Text.h"
#include "tags/id3v2.h"

#include <QFile>

namespace calvoran {

namespace {
constexpr uint16_t kFirstFailure = 256;

std::string frameText(Tid3v2tag &reader, const char *id) {
    std::string text;
    reader.GetFrameText(id, text);
    return text;
}
} // namespace

TagFields TagInfo::read(Tid3v2tag &reader, const QString &path) {
    TagFields fields;
    if (reader.LoadTag(QFile::encodeName(path).toStdString(), 0) >= kFirstFailure) {
        const QString full = path.trimmed();
        if (!PlaylistRules::extension(full).trimmed().isEmpty())
            fields.Artist = toAnsi(PlaylistRules::baseName(full));
        // No frames are read after a failed load: they could be left over from the previous file.
        return fields;
    }
    fields.Title = frameText(reader, "TIT2");
    fields.Artist = frameText(reader, "TPE1");
    fields.Album = frameText(reader, "TALB");
    fields.Year = frameText(reader, "TYER");
    fields.Genre = frameText(reader, "TCON");
    fields.Track = frameText(reader, "TRCK");
    COMM comm;
    // "None" is no language code, so the first comment without a description matches in any language.
    reader.GetComment(comm, "", "None");
    fields.Comment = comm.Text;
    return fields;
}

} // namespace calvoran
