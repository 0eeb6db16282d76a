#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>
#include <initializer_list>
#include <utility>
#include <vector>

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
        kept_.clear();
        onScreenKey_ = -1;
        QWidget::update();
    }
    using QWidget::update;
    // The picture to show changed, but the look did not (a level bar's lit ticks, say).
    void invalidatePicture() { stale_ = true; }
    // Puts the current pictures of `widgets` on screen at once, in one paint of their window and one flush,
    // without the window's paint cycle: for pictures that change many times a second. Only what differs
    // from the picture on screen goes out; nothing is painted while the window is not exposed.
    static void showNow(std::initializer_list<VrImageWidget *> widgets);

protected:
    // Paints over the background: Color, or the captured parent pixels.
    virtual void paintImage(QPainter &painter) = 0;
    // A widget that shows one of a few pictures in turn (a level bar, by lit ticks) names the current one,
    // and each is painted once until the look changes (update()). -1: paint every time.
    virtual int pictureKey() const { return -1; }
    // Where the pictures named `from` and `to` differ, in widget pixels (both keys valid).
    virtual QRect differingArea(int from, int to) const { return from == to ? QRect() : rect(); }
    void paintEvent(QPaintEvent *event) override;
    // Drops the captured background so the next paint takes the parent's pixels again.
    void recaptureBackground();

private:
    struct Shown;
    static bool copyInto(QPaintDevice *device, const std::vector<Shown> &shown);
    void captureBackground();
    // The picture at `factor` device pixels per logical pixel, painted afresh when stale.
    const QImage &picture(int factor);

    QColor color_{Qt::black};
    bool transparent_ = false;
    QImage background_;
    QImage shown_; // the last picture put on screen, at device pixels
    bool stale_ = true;
    int onScreenKey_ = -1; // the picture whole in the window's backing store; -1 unknown
    static constexpr std::size_t kKeptPictures = 64;
    std::vector<std::pair<int, QImage>> kept_;
};

} // namespace calvoran
