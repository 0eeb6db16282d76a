// Writing playlist.m3u at close over a 10,000-entry list of 1,000 distinct files of a few MB each: the
// list was read from the file the player wrote before (lengths listed), and 200 entries were added since
// (lengths unknown). Time and bytes read (rchar of /proc/self/io), beside the same list with no length
// known, which opens every file as a close did before lengths were kept.
#include "Fixtures.h"
#include "TestDir.h"
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "engine/PlaylistWindow.h"
#include "tags/id3v2.h"

#include <QApplication>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fx = calvoran::fixtures;

namespace {

constexpr int kFiles = 1000;
constexpr int kEntries = 10000;
constexpr int kAdded = 200;

long long readChars() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

struct Close {
    double ms = 0;
    double megabytes = 0;
};

Close closeWith(TForm2 &form, const QString &readFirst, const std::vector<QString> &added,
                const QString &target) {
    form.RemoveAll1Click();
    if (!readFirst.isEmpty()) form.ReadPlaylistFile(readFirst);
    for (const QString &file : added)
        form.AppendEntry(std::to_string(form.EntryCount() + 1) + ". Artist - Title", file);
    const long long before = readChars();
    const auto start = std::chrono::steady_clock::now();
    form.WritePlaylistFile(target);
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    return {elapsed.count(), static_cast<double>(readChars() - before) / 1e6};
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    fx::TestDir dir;
    const auto wav = dir.file("music.wav");
    const auto mp3 = dir.file("music.mp3");
    if (!fx::writeWav(wav, fx::chord({110, 440, 2500}, 100.0, 44100, 2, 0.4), 44100, 2) ||
        !fx::encodeMp3Cbr(wav, mp3, 192)) {
        std::printf("  close: cannot make the music file (lame)\n");
        return 1;
    }
    fx::fs::remove(wav);
    // Distinct files (each with its own tag), not links: every open is a first open of that file.
    const auto audio = fx::readFile(mp3);
    std::vector<QString> files;
    double fileBytes = 0;
    for (int i = 0; i < kFiles; ++i) {
        auto bytes = fx::id3v23Tag({"Title " + std::to_string(i), "Artist", "Album", ""});
        bytes.insert(bytes.end(), audio.begin(), audio.end());
        const auto path = dir.file("track " + std::to_string(i) + ".mp3");
        if (!fx::writeFile(path, bytes)) {
            std::printf("  close: cannot write the music files\n");
            return 1;
        }
        fileBytes += static_cast<double>(bytes.size());
        files.push_back(QString::fromStdString(path.string()));
    }
    // The list as the player wrote it at the last close, lengths included.
    QByteArray listed("#EXTM3U\r\n");
    for (int i = 0; i < kEntries - kAdded; ++i) {
        listed +=
            "#EXTINF:100," + QByteArray::number(i + 1) + ". Artist - Title " + QByteArray::number(i) + "\r\n";
        listed += QFile::encodeName(files[static_cast<size_t>(i % kFiles)]) + "\r\n";
    }
    const QString listFile = QString::fromStdString(dir.file("listed.m3u").string());
    {
        QFile out(listFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(listed) != listed.size()) return 1;
    }
    std::vector<QString> added;
    for (int i = 0; i < kAdded; ++i)
        added.push_back(files[static_cast<size_t>((i * 7) % kFiles)]);
    std::vector<QString> everything;
    for (int i = 0; i < kEntries; ++i)
        everything.push_back(files[static_cast<size_t>(i % kFiles)]);

    Tid3v2tag tagReader;
    calvoran::PlaylistModel entries;
    calvoran::PlaybackEngine engine(entries, tagReader);
    calvoran::EngineSetup setup;
    setup.playlistFile = QString::fromStdString(dir.file("none.m3u").string());
    TForm2 form(engine, entries, setup);
    const QString target = QString::fromStdString(dir.file("playlist.m3u").string());
    const Close kept = closeWith(form, listFile, added, target);
    const Close unknown = closeWith(form, {}, everything, target);
    const bool ok = kept.ms < 2000 && kept.megabytes < 300;
    std::printf("  %d entries over %d distinct files (%.1f MB each), %d lengths unknown:\n", kEntries, kFiles,
                fileBytes / kFiles / 1e6, kAdded);
    std::printf("    close with the lengths kept  : %8.1f ms, %8.1f MB read  %s (budget 2000 ms, 300 MB)\n",
                kept.ms, kept.megabytes, ok ? "ok" : "OVER BUDGET");
    std::printf("    close with no length known   : %8.1f ms, %8.1f MB read  (every file opened)\n",
                unknown.ms, unknown.megabytes);
    return ok ? 0 : 1;
}
