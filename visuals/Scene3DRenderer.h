#pragma once
// Draws a Scene3D with OpenGL 2.1 / OpenGL ES 2 shaders into the current framebuffer, so Mesa's
// software rasteriser runs it as well as any graphics card.
#include "Scene3D.h"

#include <QOpenGLFunctions>
#include <QRect>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class QOpenGLShaderProgram;
class QPainter;

namespace calvoran {

struct OpenGLProbe {
    bool available = false;
    QString renderer; // GL_RENDERER when available
    QString error;    // why not, otherwise
};
// Tries to make a GL context current on an offscreen surface. Must run on the UI thread.
OpenGLProbe ProbeOpenGL();

class Scene3DRenderer : protected QOpenGLFunctions {
public:
    Scene3DRenderer();
    ~Scene3DRenderer();
    Scene3DRenderer(const Scene3DRenderer &) = delete;
    Scene3DRenderer &operator=(const Scene3DRenderer &) = delete;

    // With a context current: compiles the shaders. False (see Error) when they do not build.
    bool Initialize();
    QString Error() const { return error_; }
    QString RendererName() const { return renderer_; }
    bool IsHardware() const { return !IsSoftwareRenderer(renderer_); }

    void SetLinearFiltering(bool linear) { linear_ = linear; }
    // 3: blended transparency, transparent parts drawn after the opaque ones, farthest first.
    void SetRenderMode(int mode) { renderMode_ = mode; }
    int RenderMode() const { return renderMode_; }

    // Clears the whole framebuffer to black and draws the scene into `viewport` (GL pixel
    // coordinates, origin at the bottom left).
    void Render(const Scene3D &scene, const QRect &viewport);
    // Clears the whole framebuffer to black.
    void Clear();
    // With the context current: frees every GL object (before the context goes away).
    void Release();

    // White 12-point text with a transparent background, one line every 14 pixels from `origin`,
    // then `message` wrapped into `width` pixels below them.
    static void DrawTexts(QPainter &painter, const QPoint &origin, const QStringList &lines,
                          const QString &message, int width);

private:
    struct GpuMesh;
    GpuMesh &upload(const std::shared_ptr<const MeshData> &mesh);

    std::unique_ptr<QOpenGLShaderProgram> program_;
    std::map<const MeshData *, std::unique_ptr<GpuMesh>> meshes_;
    QString renderer_;
    QString error_;
    bool linear_ = false;
    int renderMode_ = 0;
};

} // namespace calvoran
