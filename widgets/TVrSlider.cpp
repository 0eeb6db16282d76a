#include "TVrSlider.h"
#include "VrThumbArt.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace calvoran {

TVrSlider::TVrSlider(QWidget *parent) : VrTrackWidget(parent, voVertical) {
    borderColor_ = palette().color(QPalette::Button);
    palette_.setOnChange([this] { update(); });
    bevel_.setOnChange([this] { update(); });
    setCursor(Qt::PointingHandCursor);
}

TVrSlider::~TVrSlider() = default;

void TVrSlider::setOptions(TVrSliderOptions value) {
    if (options_ == value) return;
    options_ = value;
    if (options_.testFlag(soHandPoint))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void TVrSlider::setSolidFill(bool value) {
    if (solidFill_ == value) return;
    solidFill_ = value;
    update();
}

void TVrSlider::setTickWidth(int value) {
    value = std::max(1, value);
    if (tickWidth_ == value) return;
    tickWidth_ = value;
    update();
}

void TVrSlider::setSpacing(int value) {
    value = std::max(0, value);
    if (spacing_ == value) return;
    spacing_ = value;
    update();
}

void TVrSlider::setThumbIndent(int value) {
    value = std::max(0, value);
    if (thumbIndent_ == value) return;
    thumbIndent_ = value;
    update();
}

void TVrSlider::setBorderWidth(int value) {
    value = std::max(0, value);
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    update();
}

void TVrSlider::setBorderColor(QColor value) {
    if (borderColor_ == value) return;
    borderColor_ = value;
    update();
}

void TVrSlider::setFocusColor(QColor value) {
    if (focusColor_ == value) return;
    focusColor_ = value;
    update();
}

QRect TVrSlider::trackRect() const {
    const int inset = borderWidth_ + thumbIndent_;
    return rect().adjusted(inset, inset, -inset, -inset);
}

QImage TVrSlider::builtinThumb() const {
    // The thumb keeps inside the frame and the thumb indent, whatever the widget's thickness.
    const bool vertical = Orientation() == voVertical;
    const QRect track = trackRect();
    return VrThumbArt::sliderThumb(vertical, vertical ? track.width() : track.height());
}

// Bars TickWidth thick every TickWidth + Spacing pixels from the minimum's end, across the track.
// origin is the image's place in the widget, so the checker lines up between the two images.
QImage TVrSlider::trackImage(QSize size, QPoint origin, QColor bar) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Color());
    const bool vertical = Orientation() == voVertical;
    const int extent = vertical ? size.height() : size.width();
    const int pitch = tickWidth_ + spacing_;
    const QRgb barRgb = bar.rgb();
    const QRgb backRgb = Color().rgb();
    for (int start = 0; start < extent; start += pitch) {
        for (int i = start; i < std::min(start + tickWidth_, extent); ++i) {
            // Distance i from the minimum's end, turned into an image row or column.
            const bool fromFar = vertical != minAtTopRight();
            const int at = fromFar ? extent - 1 - i : i;
            const int across = vertical ? size.width() : size.height();
            for (int j = 0; j < across; ++j) {
                const int x = vertical ? j : at;
                const int y = vertical ? at : j;
                const bool lit = solidFill_ || ((origin.x() + x + origin.y() + y) & 1) == 0;
                image.setPixel(x, y, lit ? barRgb : backRgb);
            }
        }
    }
    return image;
}

// The part of the bar shown lit: from the minimum's end to the thumb's far edge (horizontal) or
// near edge (vertical).
QRect TVrSlider::litRect(const QRect &bar, const QRect &thumb) const {
    QRect lit = bar;
    if (Orientation() == voHorizontal) {
        if (minAtTopRight())
            lit.setLeft(thumb.left());
        else
            lit.setRight(thumb.right());
    } else {
        if (minAtTopRight())
            lit.setBottom(thumb.top() - 1);
        else
            lit.setTop(thumb.bottom() + 1);
    }
    return lit.intersected(bar);
}

void TVrSlider::paintImage(QPainter &painter) {
    QRect area = vrFrame3D(painter, rect(), borderWidth_, hasFocus() ? focusColor_ : borderColor_,
                           hasFocus() ? focusColor_ : borderColor_);
    area = bevel_.paint(painter, area);
    if (area.isValid()) {
        painter.drawImage(area.topLeft(), trackImage(area.size(), area.topLeft(), palette_.Low()));
        const QRect lit = litRect(area, thumbRect());
        if (lit.isValid()) {
            const QImage on = trackImage(area.size(), area.topLeft(), palette_.High());
            painter.drawImage(lit.topLeft(), on, lit.translated(-area.topLeft()));
        }
    }
    paintThumb(painter);
}

void TVrSlider::keyPressEvent(QKeyEvent *event) {
    const bool vertical = Orientation() == voVertical;
    const int step = minAtTopRight() ? -keyIncrement_ : keyIncrement_;
    switch (event->key()) {
    case Qt::Key_Home:
        setPosition(MinValue());
        break;
    case Qt::Key_End:
        setPosition(MaxValue());
        break;
    case Qt::Key_Left:
        if (vertical) return VrTrackWidget::keyPressEvent(event);
        stepPosition(-step);
        break;
    case Qt::Key_Right:
        if (vertical) return VrTrackWidget::keyPressEvent(event);
        stepPosition(step);
        break;
    case Qt::Key_Up:
        if (!vertical) return VrTrackWidget::keyPressEvent(event);
        stepPosition(step);
        break;
    case Qt::Key_Down:
        if (!vertical) return VrTrackWidget::keyPressEvent(event);
        stepPosition(-step);
        break;
    default:
        return VrTrackWidget::keyPressEvent(event);
    }
}

} // namespace calvoran
