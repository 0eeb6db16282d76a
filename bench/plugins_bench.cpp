// Frames of the shipped plug-ins fed from the recording of music that plays on the silent device, beside
// the cost of only showing such a frame (a QPainter copy of the picture). With --playback-cpu SECONDS
// [plugins]: plays the music and prints the process CPU seconds of SECONDS after a warm-up, with every
// 30 ms a recording-fed frame of each plug-in at 231 x 229 when "plugins" is given.
#include "Fixtures.h"
#include "TestDir.h"
#include "bass_vis.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace fx = calvoran::fixtures;

namespace {

const char *const kPlugins[] = {"ember", "tunnel", "stars"};

// Drums, a chord and hiss: every band moves.
std::vector<float> music(double seconds) {
    auto out = fx::chord({110.0, 277.0, 330.0, 1760.0}, seconds, 44100, 2, 0.15);
    const auto hiss = fx::noise(seconds, 44100, 2, 0.08);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i / 2) / 44100.0;
        const double beat = std::fmod(t, 0.5);
        const double kick = std::sin(2 * M_PI * 70 * beat) * std::exp(-beat * 9) * 0.5;
        out[i] = static_cast<float>(out[i] + hiss[i] * (std::fmod(t, 0.25) < 0.05 ? 1.0 : 0.2) + kick);
    }
    return out;
}

// The library on the silent device playing music, with the recording of it.
struct Playing {
    fx::TestDir dir;
    HRECORD record = 0;
    bool start(int device) {
        const auto wav = dir.file("music.wav");
        if (!fx::writeWav(wav, music(40.0), 44100, 2)) return false;
        if (!BASS_Init(device, 44100, 0, nullptr, nullptr)) return false;
        const DWORD stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
        return stream != 0 && BASS_StreamPlay(stream, FALSE, 0);
    }
    bool startRecording() {
        if (!BASS_RecordInit(0)) return false;
        record = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
        return record != 0;
    }
};

Playing &playing() {
    static Playing p;
    static const bool ready = [] {
        const bool ok = p.start(0) && p.startRecording();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return ok;
    }();
    (void)ready;
    return p;
}

void BM_Plugin(benchmark::State &state) {
    const char *name = kPlugins[state.range(0)];
    const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
    const HRECORD record = playing().record;
    const std::string file = std::string(VIS_DIR) + "/" + name + ".so";
    const HVIS vis = BASS_SONIQUEVIS_CreateVis(file.c_str(), "", 0, w, h);
    if (vis == 0) {
        state.SkipWithError("cannot load the plug-in");
        return;
    }
    QImage image(w, h, QImage::Format_RGB32);
    BASS_VIS_SURFACE surface{image.bits(), w, h, static_cast<int>(image.bytesPerLine())};
    for (auto _ : state)
        benchmark::DoNotOptimize(BASS_SONIQUEVIS_Render(vis, record, &surface));
    state.SetLabel(name);
    BASS_SONIQUEVIS_Free(vis);
}

// Only showing a frame of that size: the peer every plug-in frame is compared with.
void BM_PeerShowFrame(benchmark::State &state) {
    const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
    QImage frame(w, h, QImage::Format_RGB32);
    frame.fill(0xFF203040u);
    QImage screen(w, h, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.drawImage(0, 0, frame);
    }
}

void sizes(benchmark::internal::Benchmark *b) {
    for (int plugin = 0; plugin < 3; ++plugin)
        for (auto [w, h] : {std::pair{231, 229}, std::pair{640, 480}})
            b->Args({plugin, w, h});
}
BENCHMARK(BM_Plugin)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerShowFrame)->Args({0, 231, 229})->Args({0, 640, 480})->Unit(benchmark::kMicrosecond);

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int playbackCpu(double seconds, bool withPlugins) {
    Playing p;
    if (!p.start(1)) {
        std::fprintf(stderr, "bench_plugins: cannot play (error %d)\n", BASS_ErrorGetCode());
        return 1;
    }
    std::vector<HVIS> vis;
    QImage image(231, 229, QImage::Format_RGB32);
    BASS_VIS_SURFACE surface{image.bits(), 231, 229, static_cast<int>(image.bytesPerLine())};
    if (withPlugins) {
        if (!p.startRecording()) return 1;
        for (const char *name : kPlugins)
            vis.push_back(BASS_SONIQUEVIS_CreateVis((std::string(VIS_DIR) + "/" + name + ".so").c_str(), "",
                                                    0, 231, 229));
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double before = cpuSeconds();
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t frame = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (withPlugins) BASS_SONIQUEVIS_Render(vis[frame++ % vis.size()], p.record, &surface);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    std::printf("%.4f\n", cpuSeconds() - before);
    for (HVIS v : vis)
        BASS_SONIQUEVIS_Free(v);
    if (withPlugins) BASS_RecordFree();
    BASS_Free();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 2 && std::strcmp(argv[1], "--playback-cpu") == 0)
        return playbackCpu(std::atof(argv[2]), argc > 3 && std::strcmp(argv[3], "plugins") == 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    BASS_RecordFree();
    BASS_Free();
    return 0;
}
