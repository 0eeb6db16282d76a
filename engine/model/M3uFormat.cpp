#include "M3uFormat.h"

#include "platform/AtomicFile.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <future>
#include <thread>

namespace calvoran {

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view upperPrefix) {
    if (s.size() < upperPrefix.size()) return false;
    for (size_t i = 0; i < upperPrefix.size(); ++i) {
        char c = s[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upperPrefix[i]) return false;
    }
    return true;
}

// A line break inside a field would end the line early and shift every later pairing.
std::string oneLine(std::string text) {
    for (char &c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// The number after "#EXTINF:" up to the comma; -1 when there is none or it is negative.
double infoLength(std::string_view t) {
    std::string_view rest = t.substr(8);
    const size_t comma = rest.find(',');
    if (comma != std::string_view::npos) rest = rest.substr(0, comma);
    rest = trimmed(rest);
    if (rest.empty() || rest.size() > 9) return -1;
    long value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return static_cast<double>(value);
}

bool isExistingFile(const QString &location) {
    const QFileInfo info(location);
    return !location.isEmpty() && info.exists() && !info.isDir();
}

} // namespace

std::string M3uFormat::lengthText(long long seconds) {
    std::string digits = std::to_string(seconds < 0 ? -seconds : seconds);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return seconds < 0 ? '-' + digits : digits;
}

QByteArray M3uFormat::encodeLocation(const QString &location) {
    return QFile::encodeName(location);
}

QString M3uFormat::decodeLocation(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    return fromAnsi(bytes.toStdString());
}

bool M3uFormat::isStreamAddress(const QString &location) {
    return location.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QByteArray M3uFormat::compose(const std::vector<M3uEntry> &entries, const LengthOf &lengthOf) {
    std::vector<size_t> kept;
    std::vector<QByteArray> locations;
    std::vector<size_t> files; // positions in `kept` that are measured
    std::vector<size_t> fileEntries;
    std::vector<bool> missing(entries.size(), false);
    for (size_t i = 0; i < entries.size(); ++i) {
        // Radio entries are kept too; they have no length to measure.
        const bool stream = isStreamAddress(entries[i].location);
        if (!stream && !isExistingFile(entries[i].location)) {
            // A folder is nothing to play; a missing file may come back with its drive.
            if (entries[i].location.isEmpty() || QFileInfo(entries[i].location).isDir()) continue;
            missing[i] = true;
        }
        QByteArray location = stream ? entries[i].location.toUtf8() : encodeLocation(entries[i].location);
        if (location.contains('\r') || location.contains('\n'))
            continue; // a location no line-based file can hold
        if (!stream && !missing[i]) {
            files.push_back(kept.size());
            fileEntries.push_back(i);
        }
        kept.push_back(i);
        locations.push_back(std::move(location));
    }
    std::vector<double> seconds(kept.size(), -1.0);
    for (size_t k = 0; k < kept.size(); ++k)
        if (missing[kept[k]]) seconds[k] = std::max(0.0, entries[kept[k]].seconds);
    const std::vector<double> measured = measure(entries, fileEntries, lengthOf);
    for (size_t k = 0; k < files.size(); ++k)
        seconds[files[k]] = measured[k];

    QByteArray out("#EXTM3U\r\n");
    for (size_t k = 0; k < kept.size(); ++k) {
        const bool stream = isStreamAddress(entries[kept[k]].location);
        const long long rounded = std::isfinite(seconds[k]) ? std::llround(seconds[k]) : -1;
        out += "#EXTINF:";
        out += stream ? "-1" : lengthText(rounded).c_str();
        out += ',';
        out += QByteArray::fromStdString(oneLine(entries[kept[k]].caption));
        out += "\r\n";
        out += locations[k];
        out += "\r\n";
    }
    return out;
}

std::vector<double> M3uFormat::measure(const std::vector<M3uEntry> &entries, const std::vector<size_t> &kept,
                                       const LengthOf &lengthOf) {
    std::vector<double> seconds(kept.size(), -1.0);
    std::vector<size_t> unknown; // positions in `kept`
    for (size_t k = 0; k < kept.size(); ++k) {
        const double known = entries[kept[k]].seconds;
        if (std::isfinite(known) && known >= 0)
            seconds[k] = known;
        else
            unknown.push_back(k);
    }
    if (!lengthOf) return seconds;
    // Opening a file to measure it waits on the disk more than on the processor: a few files at once.
    constexpr size_t kSerialBelow = 64;
    const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    const auto run = [&](size_t first, size_t step) {
        // Only regular files are measured: opening a FIFO or a device could wait for ever.
        for (size_t k = first; k < unknown.size(); k += step)
            if (QFileInfo(entries[kept[unknown[k]]].location).isFile())
                seconds[unknown[k]] = lengthOf(entries[kept[unknown[k]]].location);
    };
    if (workers == 1 || unknown.size() < kSerialBelow) {
        run(0, 1);
        return seconds;
    }
    std::vector<std::future<void>> jobs;
    for (size_t w = 1; w < workers; ++w)
        jobs.push_back(std::async(std::launch::async, run, w, workers));
    run(0, workers);
    for (std::future<void> &job : jobs)
        job.get();
    return seconds;
}

namespace {} // namespace

M3uContent M3uFormat::parse(const QByteArray &data) {
    M3uContent content;
    std::string_view all(data.constData(), static_cast<size_t>(data.size()));
    // Editors that save UTF-8 often put a byte-order mark first; it is no part of the first line.
    if (all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view line = all.substr(pos, end - pos);
        pos = end;
        if (pos < all.size())
            pos += (all[pos] == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ? 2 : 1;

        const std::string_view t = trimmed(line);
        if (t.empty() || t.front() != '#') {
            content.locations.push_back(
                decodeLocation(QByteArray(line.data(), static_cast<qsizetype>(line.size()))));
        } else if (startsWithNoCase(t, "#EXTINF:")) {
            const size_t comma = line.find(',');
            content.titles.emplace_back(comma == std::string_view::npos ? line : line.substr(comma + 1));
            content.seconds.push_back(infoLength(t));
            content.extended = true;
        }
    }
    return content;
}

M3uFormat::WriteResult M3uFormat::writeFile(const QString &fileName, const std::vector<M3uEntry> &entries,
                                            const LengthOf &lengthOf, bool withContent) {
    AtomicFile file(fileName);
    if (!file.open()) return WriteResult::CannotCreate;
    if (withContent && !file.write(compose(entries, lengthOf))) return WriteResult::Failed;
    return file.commit() ? WriteResult::Ok : WriteResult::Failed;
}

QString M3uFormat::normalizeLocation(const QString &line) {
    const QString text = line.trimmed();
    const QString upper = text.toUpper();
    // HTTPS is added to the two schemes of old so a secure address is never turned into a path.
    if (upper.startsWith(QLatin1String("HTTP://")) || upper.startsWith(QLatin1String("HTTPS://")) ||
        upper.startsWith(QLatin1String("FTP://")))
        return text;
    if (!text.isEmpty() && QFileInfo::exists(text)) return text;
    return QDir::cleanPath(QDir::current().absoluteFilePath(text));
}

} // namespace calvoran
