// Adds a generated tree of 10,000 tagged MP3 files (three levels of folders) through the Add
// Directory dialog's handlers, and reads the same files' tags in one plain loop; prints the best of
// three runs of each and the longest pause of the event loop while the dialog searched.
#include "engine/TagInfo.h"
#include "engine/model/PlaylistRules.h"
#include "scan/dadd.h"
#include "tags/id3v2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// CPU of every thread of the process: unlike the wall clock, other jobs on the machine leave it alone.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

constexpr int kFan = 10; // folders per level, and files per deepest folder
constexpr int kRuns = 3;

struct Entry {
    std::string caption;
    QString location;
};

std::vector<std::string> makeTree(const fs::path &root) {
    std::vector<char> audio(4096);
    uint32_t x = 1;
    for (size_t i = 0; i < audio.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        audio[i] = static_cast<char>(x >> 24);
    }
    std::vector<std::string> files;
    int n = 0;
    for (int a = 0; a < kFan; ++a)
        for (int b = 0; b < kFan; ++b)
            for (int c = 0; c < kFan; ++c) {
                const fs::path dir = root / ("artist" + std::to_string(a)) / ("album" + std::to_string(b)) /
                                     ("cd" + std::to_string(c));
                fs::create_directories(dir);
                for (int f = 0; f < kFan; ++f, ++n) {
                    const std::string name = (dir / ("track" + std::to_string(f) + ".mp3")).string();
                    files.push_back(name);
                    if (fs::exists(name)) continue;
                    std::ofstream(name, std::ios::binary)
                        .write(audio.data(), static_cast<std::streamsize>(audio.size()));
                    Tid3v2tag tag;
                    tag.SetFrameText("TIT2", "Title number " + std::to_string(n));
                    tag.SetFrameText("TPE1", "Artist " + std::to_string(a));
                    tag.SetFrameText("TALB", "Album " + std::to_string(b));
                    tag.SetFrameText("TRCK", std::to_string(f + 1));
                    tag.SaveTag(name, 3, 0, 0, 0);
                }
            }
    return files;
}

double plainLoop(const std::vector<std::string> &files) {
    Tid3v2tag reader;
    std::vector<Entry> list;
    QElapsedTimer clock;
    clock.start();
    for (const std::string &file : files) {
        const QString path = QString::fromStdString(file);
        const calvoran::TagFields tags = calvoran::TagInfo::read(reader, path);
        list.push_back(
            {calvoran::PlaylistRules::entryCaption(static_cast<int>(list.size()), tags.Artist, tags.Title),
             path});
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (list.size() != files.size()) std::abort();
    return ms;
}

double throughDialog(const QString &root, size_t expected, double &maxStallMs, double &stallAtMs) {
    Tid3v2tag reader;
    std::vector<Entry> list;
    calvoran::DirAddPlaylist links;
    links.readTags = [&reader](const QString &path) { return calvoran::TagInfo::read(reader, path); };
    links.entryCount = [&list] { return static_cast<int>(list.size()); };
    links.appendEntry = [&list](const std::string &caption, const QString &location, int) {
        list.push_back({caption, location});
    };
    QPointer<Tdiradd> dialog = new Tdiradd(links);
    dialog->show();
    dialog->SelectFolder(root);
    QEventLoop loop;
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);

    // A fine-grained timer: its longest gap is how long the user interface could not respond.
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    maxStallMs = 0;
    QElapsedTimer clock;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6;
        if (gap > maxStallMs) {
            maxStallMs = gap;
            stallAtMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        }
        sinceTick.restart();
    });

    clock.start();
    sinceTick.start();
    probe.start();
    dialog->Button1Click();
    loop.exec();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    probe.stop();
    // The longest pause, also counting the one up to the end.
    const double tail = static_cast<double>(sinceTick.nsecsElapsed()) / 1e6;
    if (tail > maxStallMs) {
        maxStallMs = tail;
        stallAtMs = ms;
    }
    if (list.size() != expected) {
        std::fprintf(stderr, "dialog added %zu of %zu files\n", list.size(), expected);
        std::abort();
    }
    return ms;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const char *base = std::getenv("CALVORAN_BENCH_DIR");
    const fs::path root = fs::path(base ? base : fs::temp_directory_path().string()) / "calvoran-scan-bench";
    const std::vector<std::string> files = makeTree(root);
    plainLoop(files); // warms the page cache for both
    double plain = 1e30, dialog = 1e30, stall = 0, stallAt = 0, plainCpu = 1e30, dialogCpu = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        double cpu = cpuMs();
        plain = std::min(plain, plainLoop(files));
        plainCpu = std::min(plainCpu, cpuMs() - cpu);
        double runStall = 0, runStallAt = 0;
        cpu = cpuMs();
        const double ms =
            throughDialog(QString::fromStdString(root.string()), files.size(), runStall, runStallAt);
        dialogCpu = std::min(dialogCpu, cpuMs() - cpu);
        std::printf("run %d: plain %.1f ms, dialog %.1f ms, longest pause %.1f ms at %.1f ms\n", run, plain,
                    ms, runStall, runStallAt);
        dialog = std::min(dialog, ms);
        if (runStall > stall) {
            stall = runStall;
            stallAt = runStallAt;
        }
    }
    std::printf("files=%zu plain_ms=%.1f dialog_ms=%.1f max_stall_ms=%.1f stall_at_ms=%.1f plain_cpu_ms=%.1f "
                "dialog_cpu_ms=%.1f\n",
                files.size(), plain, dialog, stall, stallAt, plainCpu, dialogCpu);
    return 0;
}
