// Frame cost of the four renderers at 513 x 169, including the copy to the screen's picture and the
// background refresh the VS Lab window makes after each frame; Qt's own polyline as the peer.
// With --playback-cpu SECONDS MP3 [vslab]: plays the file and prints the process CPU seconds of
// SECONDS after a one-second warm-up, with the VS Lab window open on the spectrum when "vslab" is
// given. With --make-mp3 FILE: writes the 30-second chord that run uses.
#include "Fixtures.h"
#include "bass.h"
#include "visuals/VsLabWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kW = 513, kH = 169;

// Music-like data: a few sines with a slow drift, and a falling spectrum with some bumps.
std::vector<uint32_t> waveData(int frame) {
    std::vector<uint32_t> wave(kWaveEntries, 0);
    for (int i = 0; i < 512; ++i) {
        const double t = i + frame * 512;
        const auto l = static_cast<int16_t>(12000 * std::sin(t * 0.031) + 6000 * std::sin(t * 0.17));
        const auto r = static_cast<int16_t>(12000 * std::sin(t * 0.029) + 5000 * std::sin(t * 0.21));
        wave[static_cast<size_t>(i)] =
            static_cast<uint16_t>(l) | (static_cast<uint32_t>(static_cast<uint16_t>(r)) << 16);
    }
    return wave;
}

std::vector<float> spectrumData(int frame) {
    std::vector<float> bins(kSpectrumEntries, 0.0f);
    for (int i = 0; i < 512; ++i)
        bins[static_cast<size_t>(i)] =
            static_cast<float>(0.4 / (1 + i * 0.05) * (1 + 0.5 * std::sin(i * 0.3 + frame * 0.7)));
    return bins;
}

template <typename R> void frameWave(benchmark::State &state, int mode) {
    R renderer(kW, kH);
    renderer.DrawMode = mode;
    const QImage background = TFormPlayer::builtInBackground(kW, kH);
    QImage screen(kW, kH, QImage::Format_RGB32);
    const auto a = waveData(0), b = waveData(1);
    int n = 0;
    for (auto _ : state) {
        renderer.Draw(&screen, (++n & 1) ? a.data() : b.data(), 250, 85);
        renderer.SetBackground(true, background);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

void BM_Circle(benchmark::State &state) {
    frameWave<TCircleScope>(state, static_cast<int>(state.range(0)));
}
void BM_Oscilloscope(benchmark::State &state) {
    frameWave<TOcilloScope>(state, static_cast<int>(state.range(0)));
}
void BM_Explosion(benchmark::State &state) {
    frameWave<TLolVis>(state, static_cast<int>(state.range(0)));
}

void BM_Spectrum(benchmark::State &state) {
    TSpectrum renderer(kW, kH);
    renderer.DrawMode = static_cast<int>(state.range(0));
    const QImage background = TFormPlayer::builtInBackground(kW, kH);
    QImage screen(kW, kH, QImage::Format_RGB32);
    const auto a = spectrumData(0), b = spectrumData(1);
    int n = 0;
    for (auto _ : state) {
        renderer.Draw(&screen, (++n & 1) ? a.data() : b.data(), 10, 25);
        renderer.SetBackground(true, background);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

// The peer: the same trace as a Qt polyline over the background, copied the same way.
void BM_PeerQtPolyline(benchmark::State &state) {
    const QImage background = TFormPlayer::builtInBackground(kW, kH);
    QImage buffer(kW, kH, QImage::Format_RGB32), screen(kW, kH, QImage::Format_RGB32);
    const auto wave = waveData(0);
    QPolygon line(257);
    for (int i = 0; i <= 256; ++i) {
        const uint32_t v = wave[static_cast<size_t>(i)];
        const int s = static_cast<int16_t>(v & 0xFFFF) + static_cast<int16_t>(v >> 16);
        line[i] = QPoint(100 + i, 85 + static_cast<int>(s / 131070.0 * 50));
    }
    for (auto _ : state) {
        QPainter p(&buffer);
        p.drawImage(0, 0, background);
        p.setPen(Qt::white);
        p.drawPolyline(line);
        p.end();
        QPainter s(&screen);
        s.drawImage(0, 0, buffer);
        s.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}

BENCHMARK(BM_Circle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Oscilloscope)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Explosion)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Spectrum)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerQtPolyline)->Unit(benchmark::kMicrosecond);

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int playbackCpu(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_visuals --playback-cpu SECONDS FILE [vslab]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const double seconds = std::atof(argv[2]);
    const bool withVsLab = argc > 4 && std::strcmp(argv[4], "vslab") == 0;
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "bench_visuals: no output device (error %d)\n", BASS_ErrorGetCode());
        return 1;
    }
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, argv[3], 0, 0, 0);
    if (stream == 0 || !BASS_StreamPlay(stream, FALSE, 0)) {
        std::fprintf(stderr, "bench_visuals: cannot play %s (error %d)\n", argv[3], BASS_ErrorGetCode());
        return 1;
    }
    std::unique_ptr<TFormPlayer> window;
    if (withVsLab) {
        window = std::make_unique<TFormPlayer>(calvoran::audioChannelTap([stream] { return stream; }));
        window->TypeClick(2);
        window->show();
    }
    // The first second (the window's first show: fonts, style, backing store) is not counted.
    double start = 0;
    QTimer::singleShot(1000, &app, [&start] { start = cpuSeconds(); });
    QTimer::singleShot(1000 + static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    app.exec();
    const double used = cpuSeconds() - start;
    const bool played = BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING;
    window.reset();
    BASS_Free();
    std::printf("%.4f\n", used);
    return played ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--playback-cpu") == 0) return playbackCpu(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--make-mp3") == 0) {
        namespace fx = calvoran::fixtures;
        const fx::fs::path wav = std::string(argv[2]) + ".wav";
        if (!fx::writeWav(wav, fx::chord({220, 330, 440, 1250}, 30, 44100, 2, 0.6), 44100, 2)) return 1;
        const bool ok = fx::encodeMp3Cbr(wav, argv[2], 192);
        fx::fs::remove(wav);
        return ok ? 0 : 1;
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
