#include "TVrBitmapButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace calvoran {

TVrBitmapButton::TVrBitmapButton(QWidget *parent) : VrImageWidget(parent) {
    setColor(palette().color(QPalette::Button));
    setFocusPolicy(Qt::NoFocus);
}

TVrBitmapButton::~TVrBitmapButton() = default;

void TVrBitmapButton::setGlyph(const QImage &image) {
    glyph_ = image.convertToFormat(QImage::Format_ARGB32);
    glyphChanged();
}

void TVrBitmapButton::setGlyph(const QPixmap &pixmap) {
    setGlyph(pixmap.toImage());
}

void TVrBitmapButton::setNumGlyphs(int value) {
    value = std::max(1, value);
    if (numGlyphs_ == value) return;
    numGlyphs_ = value;
    glyphChanged();
}

void TVrBitmapButton::setHIndent(int value) {
    value = std::max(0, value);
    if (hIndent_ == value) return;
    hIndent_ = value;
    applyAutoSize();
    update();
}

void TVrBitmapButton::setVIndent(int value) {
    value = std::max(0, value);
    if (vIndent_ == value) return;
    vIndent_ = value;
    applyAutoSize();
    update();
}

void TVrBitmapButton::setTransparentMode(TVrTransparentMode value) {
    if (transparentMode_ == value) return;
    transparentMode_ = value;
    update();
}

void TVrBitmapButton::setAutoSize(bool value) {
    if (autoSize_ == value) return;
    autoSize_ = value;
    applyAutoSize();
}

void TVrBitmapButton::glyphChanged() {
    applyAutoSize();
    update();
}

void TVrBitmapButton::applyAutoSize() {
    const QSize frame = frameSize();
    if (autoSize_ && !frame.isEmpty()) resize(frame.width() + hIndent_ + 1, frame.height() + vIndent_ + 1);
}

QSize TVrBitmapButton::frameSize() const {
    if (glyph_.isNull()) return QSize();
    return QSize(glyph_.width() / numGlyphs_, glyph_.height());
}

int TVrBitmapButton::currentFrame() const {
    return frameFor(pressed_);
}

int TVrBitmapButton::frameFor(bool pressedLook) const {
    int frame = 0;
    if (!isEnabled())
        frame = 3;
    else if (pressedLook)
        frame = 2;
    else if (mouseOver_)
        frame = 1;
    return frame < numGlyphs_ ? frame : 0;
}

QRect TVrBitmapButton::frameRect() const {
    return frameRectFor(pressed_);
}

QRect TVrBitmapButton::frameRectFor(bool pressedLook) const {
    const QSize frame = frameSize();
    QPoint offset((width() - frame.width()) / 2, (height() - frame.height()) / 2);
    if (pressedLook) offset += QPoint(hIndent_, vIndent_);
    return QRect(offset, frame);
}

QRgb TVrBitmapButton::transparentColor() const {
    if (transparentMode_ == tmPixel && !glyph_.isNull()) return glyph_.pixel(0, 0) & RGB_MASK;
    return Color().rgb() & RGB_MASK;
}

bool TVrBitmapButton::isTransparentPixel(QRgb pixel) const {
    return qAlpha(pixel) == 0 || (pixel & RGB_MASK) == transparentColor();
}

bool TVrBitmapButton::hitTest(QPoint pos) const {
    return hitAt(pos, pressed_);
}

bool TVrBitmapButton::hitAt(QPoint pos, bool pressedLook) const {
    const QRect frame = frameRectFor(pressedLook);
    if (frame.isEmpty() || !frame.contains(pos)) return false;
    if (!Transparent()) return true;
    const QPoint inGlyph = pos - frame.topLeft() + QPoint(frameFor(pressedLook) * frame.width(), 0);
    return !isTransparentPixel(glyph_.pixel(inGlyph));
}

void TVrBitmapButton::paintImage(QPainter &painter) {
    const QSize size = frameSize();
    if (size.isEmpty()) return;
    QImage frame = glyph_.copy(QRect(QPoint(currentFrame() * size.width(), 0), size));
    const QRgb fill = Color().rgb();
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            if (isTransparentPixel(line[x]))
                line[x] = Transparent() ? 0 : fill;
            else
                line[x] |= ~RGB_MASK;
        }
    }
    painter.drawImage(frameRect().topLeft(), frame);
}

void TVrBitmapButton::setPressed(bool value) {
    if (pressed_ == value) return;
    pressed_ = value;
    update();
}

void TVrBitmapButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !hitTest(event->position().toPoint())) return;
    held_ = true;
    setPressed(true);
}

void TVrBitmapButton::mouseMoveEvent(QMouseEvent *event) {
    // Always test against the pressed look's place, so the look cannot flicker where the shifted
    // and the unshifted frame disagree.
    if (held_) setPressed(hitAt(event->position().toPoint(), true));
}

void TVrBitmapButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !held_) return;
    held_ = false;
    const bool click = pressed_;
    setPressed(false);
    const bool over = rect().contains(event->position().toPoint());
    if (mouseOver_ != over) {
        mouseOver_ = over;
        update();
    }
    if (click && onClick_) onClick_();
}

void TVrBitmapButton::enterEvent(QEnterEvent *event) {
    mouseOver_ = true;
    update();
    VrImageWidget::enterEvent(event);
}

void TVrBitmapButton::leaveEvent(QEvent *event) {
    if (!held_) {
        mouseOver_ = false;
        update();
    }
    VrImageWidget::leaveEvent(event);
}

void TVrBitmapButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange) {
        held_ = false;
        pressed_ = false;
        update();
    }
    VrImageWidget::changeEvent(event);
}

} // namespace calvoran
