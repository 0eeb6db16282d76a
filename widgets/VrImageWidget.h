#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>

namespace calvoran {

// Base of the player's drawn widgets: the look is painted into an image of the widget's size (in
// logical pixels) and put on screen in one step, scaled by a whole factor on HiDPI screens so dots
// stay sharp. A Transparent widget keeps the pixels under it (the parent and the siblings below it)
// captured at its first paint.
class VrImageWidget : public QWidget {
    Q_OBJECT
public:
    explicit VrImageWidget(QWidget *parent = nullptr);
    ~VrImageWidget() override;

    QColor Color() const { return color_; }
    void setColor(QColor value);
    bool Transparent() const { return transparent_; }
    void setTransparent(bool value);

    // The widget's look at one image pixel per logical pixel.
    QImage renderImage();

    // Every change of the look asks for a paint through here, so the next paint renders it afresh;
    // other paints (a see-through label on top, a window moved away) reuse the last picture.
    void update() {
        stale_ = true;
        QWidget::update();
    }
    using QWidget::update;
    // The look changed, but the caller puts it on screen itself (a repaint of a region around it).
    void invalidatePicture() { stale_ = true; }

protected:
    // Paints over the background: Color, or the captured parent pixels.
    virtual void paintImage(QPainter &painter) = 0;
    void paintEvent(QPaintEvent *event) override;
    // Drops the captured background so the next paint takes the parent's pixels again.
    void recaptureBackground();

private:
    void captureBackground();

    QColor color_{Qt::black};
    bool transparent_ = false;
    QImage background_;
    QImage shown_; // the last picture put on screen, at device pixels
    bool stale_ = true;
};

} // namespace calvoran
