// CPU cost of the effects on a 44.1 kHz stereo stream, as seconds of CPU per second of sound.
#include "FxChain.h"
#include "bass_fx.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kBlock = 1024; // frames per call, as the decoding thread hands them over
constexpr std::size_t kSeconds = 1;

const int kAll[] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 11, 12, 13, 15};

std::vector<float> music() {
    std::mt19937 gen(3);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> b(static_cast<std::size_t>(kRate) * kSeconds * kChannels);
    for (float &x : b)
        x = dist(gen);
    return b;
}

void addEffect(calvoran::audio::FxChain &chain, int dsp) {
    if (dsp != BASS_FX_DSP_PEAKEQ) {
        chain.setDsp(dsp, 1);
        return;
    }
    const float centres[3] = {125.0f, 1000.0f, 8000.0f};
    for (int band = 0; band < 3; ++band) {
        chain.setDsp(dsp, 0);
        EqBandParams p{band, kRate, 2.5f, 0.0f, centres[band], 2.0f};
        chain.setParameters(dsp, &p);
    }
}

void runChain(benchmark::State &state, calvoran::audio::FxChain &chain) {
    const std::vector<float> source = music();
    std::vector<float> work(source.size());
    for (auto _ : state) {
        work = source;
        for (std::size_t f = 0; f < work.size() / kChannels; f += kBlock)
            chain.process(work.data() + f * kChannels, std::min(kBlock, work.size() / kChannels - f));
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    // Inverted rate: seconds of CPU for each second of sound, i.e. the fraction of one core.
    state.counters["core_fraction"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kSeconds),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Effect(benchmark::State &state) {
    static const char *const names[16] = {
        "Swap Channels", "Rotate",     "Echo", "Flanger", "",        "equaliser", "Reverb", "LPF",
        "Cutter",        "Flanger v2", "",     "Dyn Amp", "AutoWah", "Echo 2.0",  "",       "Echo 2.1"};
    state.SetLabel(names[state.range(0)]);
    calvoran::audio::FxChain chain(kRate, kChannels);
    addEffect(chain, static_cast<int>(state.range(0)));
    runChain(state, chain);
}

void BM_AllEffects(benchmark::State &state) {
    calvoran::audio::FxChain chain(kRate, kChannels);
    for (int dsp : kAll)
        addEffect(chain, dsp);
    runChain(state, chain);
}

void BM_NoEffect(benchmark::State &state) {
    calvoran::audio::FxChain chain(kRate, kChannels);
    runChain(state, chain);
}

} // namespace

BENCHMARK(BM_NoEffect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Effect)
    ->Apply([](benchmark::internal::Benchmark *b) {
        for (int dsp : kAll)
            b->Arg(dsp);
    })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllEffects)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
