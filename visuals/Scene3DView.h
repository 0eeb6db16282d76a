#pragma once
// The 3D drawing surface: a GL widget that draws a Scene3D into a fixed-size picture centred in
// the widget (or scaled to fit in full screen), with text lines over it.
#include "Scene3DRenderer.h"

#include <QOpenGLWidget>
#include <QSize>
#include <QStringList>

namespace calvoran {

class Scene3DView : public QOpenGLWidget {
    Q_OBJECT
public:
    Scene3DView(const Scene3D *scene, QSize surface, QWidget *parent = nullptr);
    ~Scene3DView() override;

    QSize SurfaceSize() const { return surface_; }
    // The picture's place in the widget.
    QRect PictureRect() const;
    // True once the GL context works and the shaders built.
    bool CanDraw() const { return ready_; }
    QString Error() const { return error_; }

    void SetFitToWidget(bool fit);
    void SetLinearFiltering(bool linear) { renderer_.SetLinearFiltering(linear); }
    void SetRenderMode(int mode) { renderer_.SetRenderMode(mode); }
    // Whether paints draw the scene; until the first frame the picture stays black.
    void SetSceneVisible(bool visible) { sceneVisible_ = visible; }
    void SetTexts(const QStringList &lines) { lines_ = lines; }
    void SetMessage(const QString &message);

signals:
    void Click();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void releaseGL();

    const Scene3D *scene_;
    QSize surface_;
    Scene3DRenderer renderer_;
    bool ready_ = false;
    bool fit_ = false;
    bool sceneVisible_ = false;
    QString error_;
    QStringList lines_;
    QString message_;
};

} // namespace calvoran
