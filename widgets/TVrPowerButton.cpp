#include "TVrPowerButton.h"
#include "TVrBevel.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <algorithm>

namespace calvoran {

namespace {
constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;
}

TVrPowerButton::TVrPowerButton(QWidget *parent) : VrImageWidget(parent) {
    setColor(palette().color(QPalette::Button));
    highlightColor_ = palette().color(QPalette::Light);
    shadowColor_ = palette().color(QPalette::Dark);
    // Clicks may focus it; tabbing passes it by.
    setFocusPolicy(Qt::ClickFocus);
    palette_.setOnChange([this] { changed(); });
    resize(25, 125);
}

TVrPowerButton::~TVrPowerButton() = default;

void TVrPowerButton::setActive(bool value) {
    if (active_ == value) return;
    active_ = value;
    changed();
}

void TVrPowerButton::click() {
    setActive(!active_);
    if (onClick_) onClick_();
}

void TVrPowerButton::setCaption(const QString &value) {
    if (caption_ == value) return;
    caption_ = value;
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
    changed();
}

void TVrPowerButton::setLedWidth(int value) {
    value = std::max(0, value);
    if (ledWidth_ == value) return;
    ledWidth_ = value;
    changed();
}

void TVrPowerButton::setLedHeight(int value) {
    value = std::max(0, value);
    if (ledHeight_ == value) return;
    ledHeight_ = value;
    changed();
}

void TVrPowerButton::setLayout(TVrImageLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    changed();
}

void TVrPowerButton::setMargin(int value) {
    value = std::max(-1, value);
    if (margin_ == value) return;
    margin_ = value;
    changed();
}

void TVrPowerButton::setSpacing(int value) {
    value = std::max(0, value);
    if (spacing_ == value) return;
    spacing_ = value;
    changed();
}

void TVrPowerButton::setFocusColor(QColor value) {
    focusColor_ = value;
    changed();
}

void TVrPowerButton::setOutlineColor(QColor value) {
    outlineColor_ = value;
    changed();
}

void TVrPowerButton::setOutlineWidth(int value) {
    outlineWidth_ = std::max(0, value);
    changed();
}

void TVrPowerButton::setHighlightColor(QColor value) {
    highlightColor_ = value;
    changed();
}

void TVrPowerButton::setShadowColor(QColor value) {
    shadowColor_ = value;
    changed();
}

void TVrPowerButton::setBevelWidth(int value) {
    bevelWidth_ = std::max(0, value);
    changed();
}

void TVrPowerButton::setFontColor(QColor value) {
    fontColor_ = value;
    changed();
}

QRect TVrPowerButton::contentRect() const {
    const int frame = outlineWidth_ + bevelWidth_;
    return rect().adjusted(frame, frame, -frame, -frame);
}

void TVrPowerButton::layoutParts(QRect *led, QRect *caption) const {
    const QRect area = contentRect();
    const bool horizontal = layout_ == ImageLeft || layout_ == ImageRight;
    const bool ledFirst = layout_ == ImageLeft || layout_ == ImageTop;
    const QSize text = caption_.isEmpty() ? QSize(0, 0) : fontMetrics().size(kTextFlags, caption_);
    const int along = horizontal ? area.width() : area.height();
    const int across = horizontal ? area.height() : area.width();
    const int ledAlong = horizontal ? ledWidth_ : ledHeight_;
    const int ledAcross = horizontal ? ledHeight_ : ledWidth_;
    const int textAlong = horizontal ? text.width() : text.height();
    const int textAcross = horizontal ? text.height() : text.width();
    const int spacing = caption_.isEmpty() ? 0 : spacing_;

    // The light and the caption as one block, centred unless a margin places it.
    int ledPos = margin_ == -1 ? (along - (ledAlong + spacing + textAlong)) / 2 : margin_;
    int textPos = ledPos + ledAlong + spacing;
    if (!ledFirst) {
        ledPos = along - ledPos - ledAlong;
        textPos = along - textPos - textAlong;
    }
    const int ledAcrossPos = (across - ledAcross) / 2;
    const int textAcrossPos = (across - textAcross) / 2;
    const int shift = pressed_ ? 1 : 0; // a pressed button's face moves down and right
    if (horizontal) {
        *led = QRect(area.left() + ledPos, area.top() + ledAcrossPos, ledAlong, ledAcross);
        *caption = QRect(area.left() + textPos, area.top() + textAcrossPos, textAlong, textAcross);
    } else {
        *led = QRect(area.left() + ledAcrossPos, area.top() + ledPos, ledAcross, ledAlong);
        *caption = QRect(area.left() + textAcrossPos, area.top() + textPos, textAcross, textAlong);
    }
    led->translate(shift, shift);
    caption->translate(shift, shift);
}

QRect TVrPowerButton::ledRect() const {
    QRect led, caption;
    layoutParts(&led, &caption);
    return led;
}

QRect TVrPowerButton::captionRect() const {
    QRect led, caption;
    layoutParts(&led, &caption);
    return caption;
}

void TVrPowerButton::paintImage(QPainter &painter) {
    QRect r = rect();
    const QColor outline = hasFocus() ? focusColor_ : outlineColor_;
    r = vrFrame3D(painter, r, outlineWidth_, outline, outline);
    r = pressed_ ? vrFrame3D(painter, r, bevelWidth_, shadowColor_, highlightColor_)
                 : vrFrame3D(painter, r, bevelWidth_, highlightColor_, shadowColor_);

    QRect led, caption;
    layoutParts(&led, &caption);
    // The light sits in a sunken edge.
    const QRect inside = vrFrame3D(painter, led, 1, shadowColor_, highlightColor_);
    if (inside.isValid())
        painter.fillRect(inside, !isEnabled() ? Color() : active_ ? palette_.High() : palette_.Low());

    if (!caption_.isEmpty()) {
        painter.setFont(font());
        const int flags = kTextFlags | Qt::AlignCenter;
        if (isEnabled()) {
            painter.setPen(fontColor_);
            painter.drawText(caption, flags, caption_);
        } else {
            painter.setPen(highlightColor_);
            painter.drawText(caption.translated(1, 1), flags, caption_);
            painter.setPen(shadowColor_);
            painter.drawText(caption, flags, caption_);
        }
    }
}

void TVrPowerButton::setPressed(bool value) {
    if (pressed_ == value) return;
    pressed_ = value;
    changed();
}

void TVrPowerButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    mouseDown_ = true;
    setPressed(true);
}

void TVrPowerButton::mouseMoveEvent(QMouseEvent *event) {
    if (mouseDown_) setPressed(rect().contains(event->position().toPoint()));
}

void TVrPowerButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !mouseDown_) return;
    mouseDown_ = false;
    const bool inside = rect().contains(event->position().toPoint());
    setPressed(false);
    if (inside) click();
}

void TVrPowerButton::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            spaceDown_ = true;
            setPressed(true);
        }
        return;
    }
    VrImageWidget::keyPressEvent(event);
}

void TVrPowerButton::keyReleaseEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && spaceDown_) {
        spaceDown_ = false;
        setPressed(false);
        click();
        return;
    }
    VrImageWidget::keyReleaseEvent(event);
}

void TVrPowerButton::focusInEvent(QFocusEvent *event) {
    changed();
    VrImageWidget::focusInEvent(event);
}

void TVrPowerButton::focusOutEvent(QFocusEvent *event) {
    spaceDown_ = false;
    setPressed(false);
    changed();
    VrImageWidget::focusOutEvent(event);
}

void TVrPowerButton::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) changed();
    VrImageWidget::changeEvent(event);
}

bool TVrPowerButton::event(QEvent *event) {
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcutId_ != 0 && shortcut->shortcutId() == shortcutId_) {
            click();
            return true;
        }
    }
    return VrImageWidget::event(event);
}

} // namespace calvoran
