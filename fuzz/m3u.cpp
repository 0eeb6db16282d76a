// Playlist files come from anywhere; reading one must neither crash nor yield a field with a line
// break, and a title's text must be a part of the input.
#include "engine/model/M3uFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const calvoran::M3uContent content = calvoran::M3uFormat::parse(input);
    for (const std::string &title : content.titles) {
        if (title.find_first_of("\r\n") != std::string::npos) std::abort();
        if (!input.contains(QByteArray::fromStdString(title))) std::abort();
    }
    for (const QString &location : content.locations)
        if (location.contains('\r') || location.contains('\n')) std::abort();
    if (content.titles.size() + content.locations.size() > size + 1) std::abort();
    // One length per title, never below -1 (none given).
    if (content.seconds.size() != content.titles.size() || content.extended == content.titles.empty())
        std::abort();
    for (const double seconds : content.seconds)
        if (!(seconds >= -1)) std::abort();
    return 0;
}
