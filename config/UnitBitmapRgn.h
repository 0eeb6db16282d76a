#pragma once
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QRgb>
#include <optional>

class QWidget;

namespace calvoran {

// Cuts a window's outline from a mask picture: every pixel that is not TransparentColor belongs to
// the window, except those of the mask's bottom row, which never do. The owner, when it is a widget,
// is the window that ApplyRegion shapes.
class TBitmapRgn : public QObject {
    Q_OBJECT
public:
    explicit TBitmapRgn(QObject *owner = nullptr);
    ~TBitmapRgn() override;

    // The skin loader loads its file straight into this picture.
    QImage &Mask() { return mask_; }
    const QImage &Mask() const { return mask_; }
    void setMask(const QImage &mask) { mask_ = mask.copy(); }

    // Compared as a plain RGB value; alpha is ignored.
    QRgb TransparentColor() const { return transparentColor_; }
    void setTransparentColor(QRgb color) { transparentColor_ = color; }

    QWidget *targetWindow() const;

    // No region when no pixel belongs to the window.
    std::optional<QRegion> BuildRegion() const;
    // Shapes and sizes the target window from the mask, then drops the mask.
    void ApplyRegion();

    // The region of any mask picture, without a window.
    static std::optional<QRegion> regionFromMask(const QImage &mask, QRgb transparentColor);

private:
    QImage mask_;
    QRgb transparentColor_ = 0;
    QPointer<QWidget> target_;
};

} // namespace calvoran
