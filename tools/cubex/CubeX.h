#pragma once
// The mesh window's default mesh: a lit cube, two units wide, in the text form of the .x format.
#include <string>

namespace calvoran {

struct CubeXOptions {
    // When set, every face is textured with this file, named relative to the .x file.
    std::string textureFile;
};

std::string CubeXText(const CubeXOptions &options = {});

} // namespace calvoran
