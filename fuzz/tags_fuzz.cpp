// LoadTag on arbitrary bytes, then every getter and a save to a scratch copy of the same bytes.
#include "tags/id3v2.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchPath(const char *what) {
    static const std::string base = "/tmp/calvoran-tags-fuzz-" + std::to_string(::getpid()) + "-";
    return base + what;
}

void writeFile(const std::string &path, const uint8_t *data, size_t size) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input = scratchPath("in.mp3"), copy = scratchPath("copy.mp3");
    writeFile(input, data, size);
    Tid3v2tag tag;
    const uint16_t loaded = tag.LoadTag(input, 0);

    std::string text;
    for (const char *id : {"TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK", "TXXX", "Tit2"})
        tag.GetFrameText(id, text);
    for (uint32_t i = 1; i <= tag.Frames.Count(); ++i) {
        const std::string id = tag.Frames.GetID(i);
        if (id[0] == 'T') tag.GetFrameText(id, text);
        tag.Frames.GetDataSize(i);
    }
    COMM comm;
    tag.GetComment(comm, "", "None");
    tag.GetComment(comm, "", "eng");
    tag.GetComment(comm, comm.Description, comm.Language);

    tag.SetFrameText("TIT2", "fuzzed title");
    tag.SetComment(COMM{0, "ENG", "", "fuzzed comment"}, "", "None");
    writeFile(copy, data, size);
    const uint16_t saved = tag.SaveTag(copy, 255, 0, 0, 255);
    if (loaded < 256 && saved < 256) {
        // What we write we must be able to read.
        Tid3v2tag again;
        if (again.LoadTag(copy, 0) >= 256) std::abort();
        if (again.GetFrameText("TIT2", text) != 0 || text != "fuzzed title") std::abort();
    }
    std::remove(input.c_str());
    std::remove(copy.c_str());
    return 0;
}
