#include "Scene3D.h"

#include <cmath>
#include <numbers>

namespace calvoran {

namespace {

// Columns: the frame's x, y and z axes in its parent's space (left-handed: x = up × z).
QMatrix4x4 basis(const QVector3D &direction, const QVector3D &up) {
    QVector3D z = direction.normalized();
    if (z.isNull()) z = QVector3D(0, 0, 1);
    QVector3D x = QVector3D::crossProduct(up, z).normalized();
    if (x.isNull()) // up parallel to the direction: any perpendicular will do
        x = QVector3D::crossProduct(std::abs(z.y()) < 0.9f ? QVector3D(0, 1, 0) : QVector3D(1, 0, 0), z)
                .normalized();
    const QVector3D y = QVector3D::crossProduct(z, x);
    QMatrix4x4 m;
    m.setColumn(0, QVector4D(x, 0));
    m.setColumn(1, QVector4D(y, 0));
    m.setColumn(2, QVector4D(z, 0));
    return m;
}

} // namespace

void Frame3D::SetOrientation(const QVector3D &direction, const QVector3D &up) {
    direction_ = direction;
    up_ = up;
}

void Frame3D::SetRotation(const QVector3D &axis, double radiansPerUnit) {
    axis_ = axis;
    rate_ = radiansPerUnit;
}

void Frame3D::Move(uint32_t step) {
    if (rate_ == 0 || step == 0) return;
    constexpr double turn = 2 * std::numbers::pi;
    angle_ = std::fmod(angle_ + rate_ * static_cast<double>(step), turn);
    if (angle_ < 0) angle_ += turn;
}

QMatrix4x4 Frame3D::Transform() const {
    QMatrix4x4 m;
    m.translate(position_);
    if (angle_ != 0 && !axis_.isNull())
        m.rotate(static_cast<float>(angle_ * 180.0 / std::numbers::pi), axis_);
    return m * basis(direction_, up_);
}

Scene3D::Scene3D() {
    Clear();
}

void Scene3D::Clear() {
    frames_.clear();
    root_ = Frame3D();
    camera_ = Frame3D();
}

Frame3D *Scene3D::CreateFrame() {
    frames_.push_back(std::make_unique<Frame3D>());
    return frames_.back().get();
}

void Scene3D::Move(uint32_t step) {
    root_.Move(step);
    camera_.Move(step);
    for (auto &frame : frames_)
        frame->Move(step);
}

QVector3D Scene3D::AmbientColor() const {
    QVector3D sum;
    auto add = [&](const Frame3D &frame) {
        for (const Light3D &light : frame.Lights())
            if (light.kind == Light3D::Kind::Ambient) sum += light.color;
    };
    add(root_);
    for (const auto &frame : frames_)
        add(*frame);
    return sum;
}

bool Scene3D::DirectionalLight(QVector3D *color, QVector3D *direction) const {
    auto find = [&](const Frame3D &frame) {
        for (const Light3D &light : frame.Lights()) {
            if (light.kind != Light3D::Kind::Directional) continue;
            // A directional light shines along its frame's z axis.
            *color = light.color;
            *direction = frame.Transform().mapVector(QVector3D(0, 0, 1)).normalized();
            return true;
        }
        return false;
    };
    if (find(root_)) return true;
    for (const auto &frame : frames_)
        if (find(*frame)) return true;
    return false;
}

QMatrix4x4 Scene3D::ViewMatrix() const {
    // Scene -> camera space is the camera frame's inverse; camera space looks along +z, GL's eye
    // space along -z, hence the mirror in z (which also turns left-handed into right-handed).
    QMatrix4x4 mirror;
    mirror.scale(1, 1, -1);
    return mirror * camera_.Transform().inverted();
}

QMatrix4x4 Scene3D::ProjectionMatrix(int width, int height) {
    const float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    const float fovY = 2.0f * std::atan(kField) * 180.0f / std::numbers::pi_v<float>;
    QMatrix4x4 p;
    p.perspective(fovY, aspect, kFront, kBack);
    return p;
}

bool IsSoftwareRenderer(const QString &renderer) {
    static const char *const names[] = {"llvmpipe",
                                        "softpipe",
                                        "swrast",
                                        "software rasterizer",
                                        "swiftshader",
                                        "gdi generic",
                                        "microsoft basic render"};
    const QString lower = renderer.toLower();
    for (const char *name : names)
        if (lower.contains(QLatin1String(name))) return true;
    return false;
}

} // namespace calvoran
