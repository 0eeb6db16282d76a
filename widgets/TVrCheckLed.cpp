#include "TVrCheckLed.h"
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

TVrCheckLed::TVrCheckLed(QWidget *parent) : VrImageWidget(parent) {
    setColor(palette().color(QPalette::Button));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    palette_.setOnChange([this] { update(); });
}

TVrCheckLed::~TVrCheckLed() = default;

void TVrCheckLed::setChecked(bool value) {
    if (checked_ == value) return;
    checked_ = value;
    shown_ = value;
    update();
    if (checkStyle_ == csRadioButton && value && parentWidget() != nullptr) {
        const auto siblings = parentWidget()->findChildren<TVrCheckLed *>(Qt::FindDirectChildrenOnly);
        for (TVrCheckLed *other : siblings)
            if (other != this && other->checkStyle_ == csRadioButton) other->setChecked(false);
    }
    if (onChange_) onChange_();
}

void TVrCheckLed::setCaption(const QString &value) {
    if (caption_ == value) return;
    caption_ = value;
    updateShortcut();
    update();
}

void TVrCheckLed::updateShortcut() {
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
}

void TVrCheckLed::setCheckWidth(int value) {
    value = std::max(0, value);
    if (checkWidth_ == value) return;
    checkWidth_ = value;
    update();
}

void TVrCheckLed::setCheckHeight(int value) {
    value = std::max(0, value);
    if (checkHeight_ == value) return;
    checkHeight_ = value;
    update();
}

void TVrCheckLed::setLayout(TVrImageLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    update();
}

void TVrCheckLed::setMargin(int value) {
    value = std::max(-1, value);
    if (margin_ == value) return;
    margin_ = value;
    update();
}

void TVrCheckLed::setSpacing(int value) {
    value = std::max(-1, value);
    if (spacing_ == value) return;
    spacing_ = value;
    update();
}

void TVrCheckLed::setCheckStyle(TVrCheckStyle value) {
    if (checkStyle_ == value) return;
    checkStyle_ = value;
    update();
}

void TVrCheckLed::setFontColor(QColor value) {
    if (fontColor_ == value) return;
    fontColor_ = value;
    update();
}

QSize TVrCheckLed::captionSize() const {
    if (caption_.isEmpty()) return QSize(0, 0);
    return fontMetrics().size(kTextFlags, caption_);
}

QRect TVrCheckLed::lampRect() const {
    QRect lamp, caption;
    layoutParts(&lamp, &caption);
    return lamp;
}

QRect TVrCheckLed::captionRect() const {
    QRect lamp, caption;
    layoutParts(&lamp, &caption);
    return caption;
}

void TVrCheckLed::layoutParts(QRect *lamp, QRect *caption) const {
    const bool horizontal = layout_ == ImageLeft || layout_ == ImageRight;
    const bool lampFirst = layout_ == ImageLeft || layout_ == ImageTop;
    const QSize text = captionSize();
    const int along = horizontal ? width() : height();
    const int across = horizontal ? height() : width();
    const int lampAlong = horizontal ? checkWidth_ : checkHeight_;
    const int lampAcross = horizontal ? checkHeight_ : checkWidth_;
    const int textAlong = horizontal ? text.width() : text.height();
    const int textAcross = horizontal ? text.height() : text.width();
    const int spacing = caption_.isEmpty() ? 0 : spacing_;

    // Distances from the lamp's side: the lamp's near edge and the caption's near edge.
    int lampPos = 0;
    int textPos = 0;
    if (margin_ == -1 && spacing >= 0) {
        lampPos = (along - (lampAlong + spacing + textAlong)) / 2;
        textPos = lampPos + lampAlong + spacing;
    } else if (margin_ == -1) {
        const int third = (along - lampAlong - textAlong) / 3;
        lampPos = third;
        textPos = lampPos + lampAlong + third;
    } else {
        lampPos = margin_;
        if (spacing >= 0)
            textPos = lampPos + lampAlong + spacing;
        else
            textPos = lampPos + lampAlong + (along - lampPos - lampAlong - textAlong) / 2;
    }
    if (!lampFirst) {
        lampPos = along - lampPos - lampAlong;
        textPos = along - textPos - textAlong;
    }
    const int lampAcrossPos = (across - lampAcross + 1) / 2;
    const int textAcrossPos = (across - textAcross + 1) / 2;
    // Everything sits one pixel right and down.
    if (horizontal) {
        *lamp = QRect(lampPos + 1, lampAcrossPos + 1, lampAlong, lampAcross);
        *caption = QRect(textPos + 1, textAcrossPos + 1, textAlong, textAcross);
    } else {
        *lamp = QRect(lampAcrossPos + 1, lampPos + 1, lampAcross, lampAlong);
        *caption = QRect(textAcrossPos + 1, textPos + 1, textAcross, textAlong);
    }
}

void TVrCheckLed::paintLamp(QPainter &painter, const QRect &lamp) const {
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor face = palette().color(QPalette::Button);
    QRect r = vrFrame3D(painter, lamp, 1, shown_ ? QColor(Qt::black) : highlight,
                        shown_ ? highlight : QColor(Qt::black));
    r = vrFrame3D(painter, r, 1, highlight, shadow);
    r = vrFrame3D(painter, r, 1, face, face);
    r = vrFrame3D(painter, r, 1, Qt::black, highlight);
    if (!r.isValid()) return;
    if (shown_) {
        painter.fillRect(r, palette_.High());
    } else if (hot_) {
        QImage checker(r.size(), QImage::Format_RGB32);
        for (int y = 0; y < checker.height(); ++y)
            for (int x = 0; x < checker.width(); ++x)
                checker.setPixel(
                    x, y, ((r.x() + x + r.y() + y) & 1) ? palette_.High().rgb() : palette_.Low().rgb());
        painter.drawImage(r.topLeft(), checker);
    } else {
        painter.fillRect(r, palette_.Low());
    }
}

void TVrCheckLed::paintCaption(QPainter &painter, const QRect &caption) const {
    if (caption_.isEmpty()) return;
    painter.setFont(font());
    const int flags = kTextFlags | Qt::AlignLeft | Qt::AlignVCenter;
    if (isEnabled()) {
        painter.setPen(fontColor_);
        painter.drawText(caption, flags, caption_);
    } else {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(caption.translated(1, 1), flags, caption_);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(caption, flags, caption_);
    }
    if (hasFocus()) {
        // A dotted frame two pixels outside the caption.
        const QRect frame = caption.adjusted(-2, -2, 2, 2);
        for (int x = frame.left(); x <= frame.right(); ++x) {
            if (((x - frame.left()) & 1) != 0) continue;
            painter.fillRect(x, frame.top(), 1, 1, fontColor_);
            painter.fillRect(x, frame.bottom(), 1, 1, fontColor_);
        }
        for (int y = frame.top(); y <= frame.bottom(); ++y) {
            if (((y - frame.top()) & 1) != 0) continue;
            painter.fillRect(frame.left(), y, 1, 1, fontColor_);
            painter.fillRect(frame.right(), y, 1, 1, fontColor_);
        }
    }
}

void TVrCheckLed::paintImage(QPainter &painter) {
    QRect lamp, caption;
    layoutParts(&lamp, &caption);
    paintLamp(painter, lamp);
    paintCaption(painter, caption);
}

void TVrCheckLed::setHot(bool value) {
    if (hot_ == value) return;
    hot_ = value;
    update();
}

void TVrCheckLed::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) return;
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    if (!lampRect().contains(event->position().toPoint())) return;
    pressing_ = true;
    shown_ = !checked_;
    update();
}

void TVrCheckLed::mouseMoveEvent(QMouseEvent *event) {
    setHot(lampRect().contains(event->position().toPoint()));
}

void TVrCheckLed::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !pressing_) return;
    pressing_ = false;
    if (lampRect().contains(event->position().toPoint())) {
        setChecked(!checked_);
    } else {
        shown_ = checked_;
        update();
    }
}

void TVrCheckLed::leaveEvent(QEvent *event) {
    setHot(false);
    VrImageWidget::leaveEvent(event);
}

void TVrCheckLed::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        shown_ = !shown_;
        update();
        return;
    }
    VrImageWidget::keyPressEvent(event);
}

void TVrCheckLed::focusInEvent(QFocusEvent *event) {
    update();
    VrImageWidget::focusInEvent(event);
}

void TVrCheckLed::focusOutEvent(QFocusEvent *event) {
    update();
    VrImageWidget::focusOutEvent(event);
}

void TVrCheckLed::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::PaletteChange)
        update();
    VrImageWidget::changeEvent(event);
}

bool TVrCheckLed::event(QEvent *event) {
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() == shortcutId_ && shortcutId_ != 0) {
            setChecked(!checked_);
            return true;
        }
    }
    return VrImageWidget::event(event);
}

} // namespace calvoran
