// Playlist reading and writing over 10,000 local MP3 files, against the floor of opening each file and
// reading its first 64 KiB. The files are hard links to one generated MP3, so the run measures the
// player's work, not the disk.
#include "Fixtures.h"
#include "TestDir.h"
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "engine/PlaylistWindow.h"
#include "tags/id3v2.h"

#include <QApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace fx = calvoran::fixtures;

namespace {

constexpr int kEntries = 10000;

struct Library {
    fx::TestDir dir;
    std::vector<QString> files;
    QString playlist;
    Tid3v2tag tagReader;
    calvoran::PlaylistModel entries;
    std::unique_ptr<calvoran::PlaybackEngine> engine;
    std::unique_ptr<TForm2> form;
    bool ready = false;
};

Library &library() {
    static Library lib;
    if (lib.ready || lib.dir.path().empty()) return lib;
    const auto wav = lib.dir.file("tone.wav");
    const auto mp3 = lib.dir.file("tone.mp3");
    if (!fx::writeWav(wav, fx::sine(440, 4.0, 44100, 2), 44100, 2) || !fx::encodeMp3Cbr(wav, mp3, 128))
        return lib;
    std::filesystem::create_directory(lib.dir.file("music"));
    for (int i = 0; i < kEntries; ++i) {
        const auto link = lib.dir.file("music") / ("track " + std::to_string(i) + ".mp3");
        std::error_code ec;
        std::filesystem::create_hard_link(mp3, link, ec);
        if (ec) return lib;
        lib.files.push_back(QString::fromStdString(link.string()));
    }
    calvoran::EngineSetup setup;
    setup.playlistFile = QString::fromStdString(lib.dir.file("none.m3u").string());
    lib.engine = std::make_unique<calvoran::PlaybackEngine>(lib.entries, lib.tagReader);
    lib.form = std::make_unique<TForm2>(*lib.engine, lib.entries, setup);
    for (int i = 0; i < kEntries; ++i)
        lib.form->AppendEntry(std::to_string(i + 1) + ". Artist, " + std::to_string(i) + " - Title",
                              lib.files[i]);
    lib.playlist = QString::fromStdString(lib.dir.file("list.m3u").string());
    lib.ready = true;
    return lib;
}

void BM_ReadFirst64KiB(benchmark::State &state) {
    Library &lib = library();
    if (!lib.ready) {
        state.SkipWithError("fixtures could not be made");
        return;
    }
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        for (const QString &file : lib.files) {
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                benchmark::DoNotOptimize(f.read(buffer.data(), static_cast<qint64>(buffer.size())));
        }
    }
}

void BM_WritePlaylist(benchmark::State &state) {
    Library &lib = library();
    if (!lib.ready) {
        state.SkipWithError("fixtures could not be made");
        return;
    }
    for (auto _ : state)
        lib.form->WritePlaylistFile(lib.playlist);
    QFile written(lib.playlist);
    written.open(QIODevice::ReadOnly);
    state.counters["bytes"] = static_cast<double>(written.size());
}

void BM_ReadPlaylist(benchmark::State &state) {
    Library &lib = library();
    if (!lib.ready) {
        state.SkipWithError("fixtures could not be made");
        return;
    }
    lib.form->WritePlaylistFile(lib.playlist);
    for (auto _ : state) {
        state.PauseTiming();
        lib.form->RemoveAll1Click();
        state.ResumeTiming();
        lib.form->ReadPlaylistFile(lib.playlist);
    }
    state.counters["entries"] = lib.form->EntryCount();
}

} // namespace

BENCHMARK(BM_ReadFirst64KiB)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WritePlaylist)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadPlaylist)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    library().form.reset();
    benchmark::Shutdown();
    return 0;
}
