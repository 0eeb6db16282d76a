#pragma once
#include "VrImageWidget.h"
#include <QPixmap>
#include <functional>

namespace calvoran {

// Which colour of the glyph counts as see-through: its top-left pixel, or the button's Color.
enum TVrTransparentMode { tmPixel, tmColor };

// A button drawn from a glyph of NumGlyphs frames side by side (normal, mouse over, pressed,
// disabled). The skin loader replaces the glyph at run time.
class TVrBitmapButton : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrBitmapButton(QWidget *parent = nullptr);
    ~TVrBitmapButton() override;

    const QImage &Glyph() const { return glyph_; }
    void setGlyph(const QImage &image);
    void setGlyph(const QPixmap &pixmap);
    int NumGlyphs() const { return numGlyphs_; }
    void setNumGlyphs(int value);
    int HIndent() const { return hIndent_; }
    void setHIndent(int value);
    int VIndent() const { return vIndent_; }
    void setVIndent(int value);
    TVrTransparentMode TransparentMode() const { return transparentMode_; }
    void setTransparentMode(TVrTransparentMode value);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool value);

    void setOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    QSize frameSize() const;
    // Frame shown now: 3 disabled, 2 pressed, 1 mouse over, else 0; 0 when the glyph lacks it.
    int currentFrame() const;
    // Where the frame is drawn now (shifted by the indents while pressed).
    QRect frameRect() const;
    // True at an opaque point of the drawn frame (any point of it when not Transparent).
    bool hitTest(QPoint pos) const;
    bool isPressed() const { return pressed_; }
    bool isMouseOver() const { return mouseOver_; }

protected:
    void paintImage(QPainter &painter) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int frameFor(bool pressedLook) const;
    QRect frameRectFor(bool pressedLook) const;
    bool hitAt(QPoint pos, bool pressedLook) const;
    QRgb transparentColor() const;
    bool isTransparentPixel(QRgb pixel) const;
    void glyphChanged();
    void applyAutoSize();
    void setPressed(bool value);

    QImage glyph_;
    int numGlyphs_ = 1;
    int hIndent_ = 2;
    int vIndent_ = 2;
    TVrTransparentMode transparentMode_ = tmColor;
    bool autoSize_ = false;
    bool mouseOver_ = false;
    bool pressed_ = false;
    bool held_ = false;
    std::function<void()> onClick_;
};

} // namespace calvoran
