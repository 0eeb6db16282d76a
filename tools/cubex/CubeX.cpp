#include "CubeX.h"

#include <array>
#include <cstdio>

namespace calvoran {

namespace {

struct Vec {
    double x, y, z;
};

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

std::string vector3(const Vec &v) {
    return number(v.x) + ";" + number(v.y) + ";" + number(v.z) + ";";
}

struct Face {
    Vec normal, u, v; // u and v span the face
    int material;
};

// Opposite faces share a colour, so the turn shows as the colours sweep past.
constexpr std::array<Face, 6> kFaces{{
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, 0},
    {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}, 0},
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 1},
    {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, 1},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, 2},
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}, 2},
}};

struct Colour {
    const char *name;
    double r, g, b;
};
constexpr std::array<Colour, 3> kColours{{
    {"Amber", 1.0, 0.55, 0.1},
    {"Sky", 0.2, 0.6, 1.0},
    {"Leaf", 0.35, 0.85, 0.3},
}};

} // namespace

std::string CubeXText(const CubeXOptions &options) {
    std::string out = "xof 0302txt 0064\n\n";
    for (const Colour &c : kColours) {
        out += "Material " + std::string(c.name) + " {\n";
        out += "  " + number(c.r) + ";" + number(c.g) + ";" + number(c.b) + ";1.000000;;\n";
        out += "  24.000000;\n  0.300000;0.300000;0.300000;;\n  0.000000;0.000000;0.000000;;\n";
        if (!options.textureFile.empty())
            out += "  TextureFilename {\n    \"" + options.textureFile + "\";\n  }\n";
        out += "}\n\n";
    }

    std::string positions, normals, faces, uvs;
    const int vertexCount = static_cast<int>(kFaces.size()) * 4;
    const int faceCount = static_cast<int>(kFaces.size()) * 2;
    int vertex = 0;
    for (size_t f = 0; f < kFaces.size(); ++f) {
        const Face &face = kFaces[f];
        // Corners in clockwise order seen from outside, as the format's front faces run.
        const std::array<std::array<double, 2>, 4> corners{{{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}};
        for (size_t c = 0; c < corners.size(); ++c) {
            const double a = corners[c][0], b = corners[c][1];
            const Vec p{face.normal.x + a * face.u.x + b * face.v.x,
                        face.normal.y + a * face.u.y + b * face.v.y,
                        face.normal.z + a * face.u.z + b * face.v.z};
            const bool last = vertex == vertexCount - 1;
            positions += "    " + vector3(p) + (last ? ";\n" : ",\n");
            normals += "      " + vector3(face.normal) + (last ? ";\n" : ",\n");
            uvs += "      " + number((a + 1) / 2) + ";" + number((1 - b) / 2) + ";" + (last ? ";\n" : ",\n");
            ++vertex;
        }
        const int base = static_cast<int>(f) * 4;
        const bool lastFace = f + 1 == kFaces.size();
        faces += "    3;" + std::to_string(base) + "," + std::to_string(base + 1) + "," +
                 std::to_string(base + 2) + ";,\n";
        faces += "    3;" + std::to_string(base) + "," + std::to_string(base + 2) + "," +
                 std::to_string(base + 3) + (lastFace ? ";;\n" : ";,\n");
    }

    out += "Frame Cube {\n";
    out += "  FrameTransformMatrix {\n"
           "    1.000000,0.000000,0.000000,0.000000,\n"
           "    0.000000,1.000000,0.000000,0.000000,\n"
           "    0.000000,0.000000,1.000000,0.000000,\n"
           "    0.000000,0.000000,0.000000,1.000000;;\n"
           "  }\n";
    out += "  Mesh CubeMesh {\n    " + std::to_string(vertexCount) + ";\n" + positions;
    out += "    " + std::to_string(faceCount) + ";\n" + faces;
    out += "    MeshNormals {\n      " + std::to_string(vertexCount) + ";\n" + normals;
    out += "      " + std::to_string(faceCount) + ";\n";
    out += faces + "    }\n";
    if (!options.textureFile.empty())
        out += "    MeshTextureCoords {\n      " + std::to_string(vertexCount) + ";\n" + uvs + "    }\n";
    out += "    MeshMaterialList {\n      " + std::to_string(kColours.size()) + ";\n      " +
           std::to_string(faceCount) + ";\n";
    for (size_t f = 0; f < kFaces.size(); ++f)
        for (int t = 0; t < 2; ++t) {
            const bool last = f + 1 == kFaces.size() && t == 1;
            out += "      " + std::to_string(kFaces[f].material) + (last ? ";\n" : ",\n");
        }
    for (const Colour &c : kColours)
        out += "      {" + std::string(c.name) + "}\n";
    out += "    }\n  }\n}\n";
    return out;
}

} // namespace calvoran
