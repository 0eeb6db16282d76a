// cubex --out <folder>: writes the default mesh cube.x into the program folder, rewriting it only
// when its bytes change.
#include "CubeX.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 3 || std::strcmp(argv[1], "--out") != 0) {
        std::fprintf(stderr, "usage: cubex --out <folder>\n");
        return 2;
    }
    const std::string path = std::string(argv[2]) + "/cube.x";
    const std::string text = calvoran::CubeXText();
    {
        std::ifstream old(path, std::ios::binary);
        const std::string current((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
        if (old && current == text) return 0;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cubex: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
