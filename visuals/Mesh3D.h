#pragma once
// Meshes as the renderer draws them: flat triangle lists per material, in the scene's left-handed
// coordinates. Loaded from any format Assimp reads (DirectX .x among them).
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector3D>
#include <memory>
#include <vector>

namespace calvoran {

struct MeshPart {
    // Three vertices per triangle; normals and texture coordinates run in step with positions
    // (texture coordinates only when the part has a texture).
    std::vector<float> positions; // x, y, z
    std::vector<float> normals;   // x, y, z
    std::vector<float> uvs;       // u, v (origin at the bottom left, as GL samples)
    QVector3D diffuse{1, 1, 1};
    float alpha = 1.0f;
    QVector3D emissive;
    QImage texture; // null when the material has none or its file could not be read
    QString textureName;

    int VertexCount() const { return static_cast<int>(positions.size() / 3); }
};

struct MeshData {
    std::vector<MeshPart> parts;
    QVector3D boundsMin;
    QVector3D boundsMax;

    void Scale(float sx, float sy, float sz);
};

struct MeshLoadResult {
    std::shared_ptr<MeshData> mesh; // null on failure
    QString error;                  // why it failed, for the user
};

// Reads a mesh file. Files it refers to (textures, material libraries) are looked up beside it,
// without touching the process's working directory.
MeshLoadResult LoadMeshFile(const QString &path);
// Reads a mesh from memory; `formatHint` is the usual file extension ("x", "obj", ...).
// Textures are looked up in `baseFolder` when it is not empty.
MeshLoadResult LoadMeshFromMemory(const QByteArray &bytes, const char *formatHint,
                                  const QString &baseFolder = QString());

} // namespace calvoran
