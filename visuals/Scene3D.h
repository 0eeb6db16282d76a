#pragma once
// A small retained-mode scene: frames placed relative to the scene, lights, a camera and meshes.
// Coordinates are left-handed (x right, y up, z into the screen), as the mesh files use them.
#include <QMatrix4x4>
#include <QString>
#include <QVector3D>
#include <cstdint>
#include <memory>
#include <vector>

#include "Mesh3D.h"

namespace calvoran {

struct Light3D {
    enum class Kind { Ambient, Directional };
    Kind kind = Kind::Ambient;
    QVector3D color; // RGB intensities 0..1
};

class Frame3D {
public:
    void SetPosition(const QVector3D &position) { position_ = position; }
    // Points the frame's z axis along `direction` with `up` as near its y axis as possible.
    void SetOrientation(const QVector3D &direction, const QVector3D &up);
    // Turns the frame by `radiansPerUnit` about `axis` for every unit of motion (see Scene3D::Move).
    void SetRotation(const QVector3D &axis, double radiansPerUnit);
    void AddLight(const Light3D &light) { lights_.push_back(light); }
    void AddVisual(std::shared_ptr<const MeshData> mesh) { visuals_.push_back(std::move(mesh)); }

    QVector3D Position() const { return position_; }
    QVector3D Direction() const { return direction_; }
    QVector3D Up() const { return up_; }
    QVector3D RotationAxis() const { return axis_; }
    double RotationRate() const { return rate_; }
    // The angle turned so far, kept within [0, 2 pi).
    double Angle() const { return angle_; }
    const std::vector<Light3D> &Lights() const { return lights_; }
    const std::vector<std::shared_ptr<const MeshData>> &Visuals() const { return visuals_; }

    void Move(uint32_t step);
    // Frame -> scene: translation, then the accumulated rotation, then the orientation.
    QMatrix4x4 Transform() const;

private:
    QVector3D position_;
    QVector3D direction_{0, 0, 1};
    QVector3D up_{0, 1, 0};
    QVector3D axis_{0, 1, 0};
    double rate_ = 0;
    double angle_ = 0;
    std::vector<Light3D> lights_;
    std::vector<std::shared_ptr<const MeshData>> visuals_;
};

class Scene3D {
public:
    Scene3D();
    // Drops every frame, light and mesh and puts the camera back at the origin looking along z.
    void Clear();
    Frame3D *CreateFrame();
    Frame3D &Root() { return root_; }
    const Frame3D &Root() const { return root_; }
    Frame3D &Camera() { return camera_; }
    const Frame3D &Camera() const { return camera_; }
    const std::vector<std::unique_ptr<Frame3D>> &Frames() const { return frames_; }

    // Advances every frame's motion by `step` units.
    void Move(uint32_t step);

    // Sum of the ambient lights, and the first directional light with the direction its light travels.
    QVector3D AmbientColor() const;
    bool DirectionalLight(QVector3D *color, QVector3D *direction) const;

    // Scene -> GL eye coordinates (right-handed, looking down -z) for the camera frame.
    QMatrix4x4 ViewMatrix() const;
    // The camera's field: half the picture's height at unit distance; front and back clipping planes.
    static constexpr float kField = 0.5f;
    static constexpr float kFront = 1.0f;
    static constexpr float kBack = 100.0f;
    static QMatrix4x4 ProjectionMatrix(int width, int height);

private:
    Frame3D root_;
    Frame3D camera_;
    std::vector<std::unique_ptr<Frame3D>> frames_;
};

// The motion step for one frame of the mesh window: the data call's result plus one, as an unsigned
// 32-bit number, so a failed call (-1) gives 0 and a full 512-byte read gives 513.
constexpr uint32_t MotionStep(uint32_t dataCallResult) {
    return dataCallResult + 1u;
}

// True when the GL renderer string names a software rasteriser.
bool IsSoftwareRenderer(const QString &renderer);

} // namespace calvoran
