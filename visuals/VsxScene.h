#pragma once
// The mesh window's scene: one directional light, the camera and the spinning mesh, placed as the
// window has always placed them.
#include "Scene3D.h"

#include <QString>
#include <memory>

namespace calvoran {

struct VsxFrames {
    Frame3D *light = nullptr;
    Frame3D *mesh = nullptr;
};

// Clears `scene` and builds the window's scene around `mesh` (which may be null: lights and camera
// only). The mesh is expected already scaled.
VsxFrames SetUpVsxScene(Scene3D &scene, std::shared_ptr<const MeshData> mesh);

// The mesh shown when the user has not chosen one: cube.x in the program folder.
QString DefaultMeshPath(const QString &programFolder);

// Loads the window's mesh and applies its scale of 3 on every axis.
MeshLoadResult LoadVsxMesh(const QString &path);

inline constexpr double kMeshRadiansPerUnit = 0.05;
inline constexpr float kMeshScale = 3.0f;

} // namespace calvoran
