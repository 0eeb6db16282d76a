// Tag reading against TagLib on a folder of 2,000 tagged files, and an in-place save that grows the
// tag of a 100 MB file against `cp` of that file. Fixtures are generated in a scratch folder.
#include "tags/id3v2.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr uint64_t kBigSize = 100ull * 1000 * 1000;

struct Fixture {
    fs::path dir;
    std::vector<std::string> files;
    std::string big;

    Fixture() {
        const char *base = std::getenv("CALVORAN_BENCH_DIR");
        dir = fs::path(base ? base : fs::temp_directory_path().string()) / "calvoran-tags-bench";
        fs::create_directories(dir);
        std::vector<char> audio(24 * 1024);
        uint32_t x = 1;
        for (size_t i = 0; i < audio.size(); ++i) {
            x = x * 1664525u + 1013904223u;
            audio[i] = static_cast<char>(x >> 24);
        }
        for (size_t i = 0; i < audio.size(); i += 418) { // MPEG-1 layer III frame headers
            audio[i] = static_cast<char>(0xFF);
            audio[i + 1] = static_cast<char>(0xFB);
            audio[i + 2] = static_cast<char>(0x90);
            audio[i + 3] = 0x64;
        }
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = (dir / ("track" + std::to_string(i) + ".mp3")).string();
            files.push_back(name);
            if (fs::exists(name)) continue;
            {
                std::ofstream(name, std::ios::binary)
                    .write(audio.data(), static_cast<std::streamsize>(audio.size()));
            }
            Tid3v2tag tag;
            tag.SetFrameText("TIT2", "Title number " + std::to_string(i));
            tag.SetFrameText("TPE1", "Some Artist");
            tag.SetFrameText("TALB", "An Album Of Songs");
            tag.SetFrameText("TYER", "2001");
            tag.SetFrameText("TCON", "Rock");
            tag.SetFrameText("TRCK", std::to_string(i % 20 + 1));
            tag.SetComment(COMM{0, "eng", "", "A comment about the track"}, "", "None");
            tag.SetFrameText("TENC", "encoder");
            tag.SaveTag(name, 3, 0, 0, 0);
        }
        big = (dir / "big.mp3").string();
        if (!fs::exists(big) || fs::file_size(big) < kBigSize) {
            std::ofstream out(big, std::ios::binary | std::ios::trunc);
            for (uint64_t n = 0; n < kBigSize; n += audio.size())
                out.write(audio.data(), static_cast<std::streamsize>(audio.size()));
            out.close();
            Tid3v2tag tag;
            tag.SetFrameText("TIT2", "big");
            tag.SaveTag(big, 3, 0, 0, 0);
        }
    }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

void BM_LoadFolder_Tid3v2tag(benchmark::State &state) {
    Fixture &f = fixture();
    Tid3v2tag tag;
    std::string title, artist;
    for (auto _ : state) {
        for (const std::string &name : f.files) {
            if (tag.LoadTag(name, 0) != 0) state.SkipWithError("load failed");
            tag.GetFrameText("TIT2", title);
            tag.GetFrameText("TPE1", artist);
            benchmark::DoNotOptimize(title.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_LoadFolder_Tid3v2tag)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFolder_TagLib(benchmark::State &state) {
    Fixture &f = fixture();
    for (auto _ : state) {
        for (const std::string &name : f.files) {
            TagLib::MPEG::File file(name.c_str(), false);
            TagLib::String title = file.ID3v2Tag() ? file.ID3v2Tag()->title() : TagLib::String();
            TagLib::String artist = file.ID3v2Tag() ? file.ID3v2Tag()->artist() : TagLib::String();
            benchmark::DoNotOptimize(title.size() + artist.size());
        }
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_LoadFolder_TagLib)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each save adds 5,000 bytes of text, more than the padding, so the 100 MB of audio moves.
void BM_SaveGrow100MB(benchmark::State &state) {
    Fixture &f = fixture();
    Tid3v2tag tag;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tag.LoadTag(f.big, 0);
        tag.SetFrameText("TIT3", std::string(size_t(5000) * ++round, 'g'));
        state.ResumeTiming();
        if (tag.SaveTag("=", 255, 0, -1, 255) != 0) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kBigSize));
}
BENCHMARK(BM_SaveGrow100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Cp100MB(benchmark::State &state) {
    Fixture &f = fixture();
    const std::string cmd = "cp '" + f.big + "' '" + (f.dir / "copy.mp3").string() + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * int64_t(kBigSize));
}
BENCHMARK(BM_Cp100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
