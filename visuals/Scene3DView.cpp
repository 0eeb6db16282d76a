#include "Scene3DView.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>

namespace calvoran {

Scene3DView::Scene3DView(const Scene3D *scene, QSize surface, QWidget *parent)
    : QOpenGLWidget(parent), scene_(scene), surface_(surface) {
    setMinimumSize(64, 48);
    setFocusPolicy(Qt::StrongFocus);
}

Scene3DView::~Scene3DView() {
    if (context()) {
        // The base class destroys the context after this object's members are gone.
        disconnect(context(), nullptr, this, nullptr);
        makeCurrent();
        releaseGL();
        doneCurrent();
    }
}

QRect Scene3DView::PictureRect() const {
    QSize size = surface_;
    if (fit_) size = surface_.scaled(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void Scene3DView::SetFitToWidget(bool fit) {
    fit_ = fit;
    update();
}

void Scene3DView::SetMessage(const QString &message) {
    message_ = message;
    update();
}

void Scene3DView::initializeGL() {
    ready_ = renderer_.Initialize();
    if (!ready_)
        error_ = QStringLiteral("3D is unavailable: the shaders do not build (%1)").arg(renderer_.Error());
    // GL objects must go while their context still exists (re-parenting, full screen switches).
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        releaseGL();
        doneCurrent();
    });
}

void Scene3DView::releaseGL() {
    renderer_.Release();
    ready_ = false;
}

void Scene3DView::paintGL() {
    const qreal ratio = devicePixelRatioF();
    const QRect picture = PictureRect();
    if (ready_ && sceneVisible_ && scene_) {
        const QRect gl(qRound(picture.x() * ratio), qRound((height() - picture.bottom() - 1) * ratio),
                       qRound(picture.width() * ratio), qRound(picture.height() * ratio));
        renderer_.Render(*scene_, gl);
    } else if (ready_) {
        renderer_.Clear();
    } else {
        QOpenGLFunctions *gl = context()->functions(); // the renderer never started
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    const QStringList lines = sceneVisible_ ? lines_ : QStringList();
    const QString message = ready_ ? message_ : error_;
    if (lines.isEmpty() && message.isEmpty()) return;
    QPainter painter(this);
    painter.setClipRect(picture);
    Scene3DRenderer::DrawTexts(painter, picture.topLeft(), lines, message, picture.width());
}

void Scene3DView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Click();
    QOpenGLWidget::mouseReleaseEvent(event);
}

} // namespace calvoran
