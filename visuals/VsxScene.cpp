#include "VsxScene.h"

namespace calvoran {

VsxFrames SetUpVsxScene(Scene3D &scene, std::shared_ptr<const MeshData> mesh) {
    scene.Clear();
    VsxFrames frames;
    frames.light = scene.CreateFrame();
    frames.mesh = scene.CreateFrame();

    frames.light->AddLight({Light3D::Kind::Directional, QVector3D(0.9f, 0.9f, 0.9f)});
    scene.Root().AddLight({Light3D::Kind::Ambient, QVector3D(0.1f, 0.1f, 0.1f)});

    frames.light->SetPosition(QVector3D(2.0f, 0, 22.0f));
    scene.Camera().SetPosition(QVector3D(-5.0f, 10.0f, 0));
    scene.Camera().SetOrientation(QVector3D(0.35f, -0.65f, 1.0f), QVector3D(-0.15f, 1.0f, 0.5f));

    frames.mesh->SetPosition(QVector3D(0, 0, 15.0f));
    frames.mesh->SetOrientation(QVector3D(0, 0, 0.1f), QVector3D(0, 1.0f, 0));
    frames.mesh->SetRotation(QVector3D(0, 1.0f, 0), kMeshRadiansPerUnit);

    if (mesh) frames.mesh->AddVisual(std::move(mesh));
    return frames;
}

QString DefaultMeshPath(const QString &programFolder) {
    return programFolder + QStringLiteral("cube.x");
}

MeshLoadResult LoadVsxMesh(const QString &path) {
    MeshLoadResult result = LoadMeshFile(path);
    if (result.mesh) result.mesh->Scale(kMeshScale, kMeshScale, kMeshScale);
    return result;
}

} // namespace calvoran
