#include "VrImageWidget.h"

#include <QBackingStore>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace calvoran {

VrImageWidget::VrImageWidget(QWidget *parent) : QWidget(parent) {
    // We cover every pixel ourselves; Qt must not clear underneath first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

VrImageWidget::~VrImageWidget() = default;

void VrImageWidget::setColor(QColor value) {
    if (color_ == value) return;
    color_ = value;
    update();
}

void VrImageWidget::setTransparent(bool value) {
    if (transparent_ == value) return;
    transparent_ = value;
    background_ = QImage();
    update();
}

void VrImageWidget::recaptureBackground() {
    background_ = QImage();
    update();
}

void VrImageWidget::captureBackground() {
    QWidget *parent = parentWidget();
    if (parent == nullptr) return;
    QImage image(size(), QImage::Format_RGB32);
    image.fill(color_);
    // The parent's own pixels, then the siblings stacked below us (a skin picture, say); never
    // ourselves or what lies above, which would recurse.
    parent->render(&image, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    for (QObject *child : parent->children()) {
        if (child == this) break;
        auto *sibling = qobject_cast<QWidget *>(child);
        if (sibling == nullptr || sibling->isWindow() || sibling->isHidden() ||
            !sibling->geometry().intersects(geometry()))
            continue;
        const QRect overlap = sibling->geometry().intersected(geometry());
        sibling->render(&image, overlap.topLeft() - pos(), QRegion(overlap.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    background_ = image;
}

QImage VrImageWidget::renderImage() {
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    if (transparent_ && (background_.isNull() || background_.size() != size())) captureBackground();
    if (transparent_ && !background_.isNull())
        image = background_.copy();
    else
        image.fill(color_);
    QPainter painter(&image);
    paintImage(painter);
    return image;
}

const QImage &VrImageWidget::picture(int factor) {
    if (stale_ || shown_.isNull() || shown_.size() != size() * factor) {
        stale_ = false;
        const int key = pictureKey();
        const auto kept = std::find_if(kept_.begin(), kept_.end(), [&](const auto &picture) {
            return picture.first == key && picture.second.size() == size() * factor;
        });
        if (key >= 0 && kept != kept_.end()) {
            shown_ = kept->second;
        } else {
            const QImage image = renderImage();
            if (image.isNull()) {
                shown_ = QImage();
                return shown_;
            }
            if (factor == 1) {
                shown_ = image;
            } else {
                shown_ = image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
                shown_.setDevicePixelRatio(factor);
            }
            if (key >= 0 && kept_.size() < kKeptPictures) kept_.emplace_back(key, shown_);
        }
    }
    return shown_;
}

void VrImageWidget::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const int factor = qMax(1, static_cast<int>(std::lround(painter.device()->devicePixelRatioF())));
    const QImage &image = picture(factor);
    if (!image.isNull()) painter.drawImage(0, 0, image);
    // A partial paint leaves the rest of an older picture on screen.
    onScreenKey_ =
        !image.isNull() && QRegion(rect()).subtracted(event->region()).isEmpty() ? pictureKey() : -1;
}

// Whether a see-through widget lies on top of `widget`: the window's own paint cycle must then paint it over
// the new picture again. Opaque widgets on top are left out by the visible region.
static bool seeThroughAbove(const QWidget *widget) {
    for (const QWidget *w = widget; !w->isWindow(); w = w->parentWidget()) {
        const QWidget *parent = w->parentWidget();
        if (parent == nullptr) break;
        const QRect area(widget->mapTo(parent, QPoint()), widget->size());
        bool above = false;
        for (const QObject *child : parent->children()) {
            if (child == w) {
                above = true;
                continue;
            }
            const auto *sibling = qobject_cast<const QWidget *>(child);
            if (above && sibling && sibling->isVisible() && !sibling->isWindow() &&
                !sibling->testAttribute(Qt::WA_OpaquePaintEvent) && sibling->geometry().intersects(area))
                return true;
        }
    }
    return false;
}

struct VrImageWidget::Shown {
    VrImageWidget *widget;
    QPoint at;      // in the window
    QRegion region; // visible part that changed, in the window
};

// The pictures row by row into the backing store: a painter for two small bars costs more than the copy.
// Opaque pixels are the same 32 bits in all three formats. False where that does not apply.
bool VrImageWidget::copyInto(QPaintDevice *device, const std::vector<Shown> &shown) {
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    auto *target = static_cast<QImage *>(device);
    const QImage::Format format = target->format();
    if (target->devicePixelRatio() != 1.0 ||
        (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
         format != QImage::Format_ARGB32_Premultiplied))
        return false;
    for (const Shown &s : shown) {
        const QImage &image = s.widget->picture(1);
        if (image.format() != QImage::Format_RGB32 || image.size() != s.widget->size()) return false;
    }
    for (const Shown &s : shown) {
        const QImage &image = s.widget->picture(1);
        for (const QRect &part : s.region) {
            const QRect onTarget = part.intersected(target->rect());
            const QPoint from = onTarget.topLeft() - s.at;
            for (int y = 0; y < onTarget.height(); ++y)
                std::memcpy(target->scanLine(onTarget.y() + y) + onTarget.x() * 4,
                            image.constScanLine(from.y() + y) + from.x() * 4,
                            static_cast<std::size_t>(onTarget.width()) * 4);
        }
    }
    return true;
}

void VrImageWidget::showNow(std::initializer_list<VrImageWidget *> widgets) {
    QWidget *window = nullptr;
    QRegion region;
    std::vector<Shown> shown;
    bool direct = true;
    for (VrImageWidget *widget : widgets) {
        if (!widget->isVisible() || !widget->updatesEnabled()) continue;
        const int key = widget->pictureKey();
        const QRect changed = key >= 0 && widget->onScreenKey_ >= 0 && !widget->shown_.isNull()
                                  ? widget->differingArea(widget->onScreenKey_, key)
                                  : widget->rect();
        if (changed.isEmpty()) continue;
        if (window == nullptr) window = widget->window();
        direct = direct && widget->window() == window && widget->testAttribute(Qt::WA_OpaquePaintEvent) &&
                 !seeThroughAbove(widget);
        const QPoint at = widget->mapTo(window, QPoint());
        shown.push_back(Shown{widget, at, (widget->visibleRegion() & changed).translated(at)});
        region += shown.back().region;
    }
    if (window == nullptr || region.isEmpty()) return;
    QWindow *handle = window->windowHandle();
    // Painted when the window shows again: the pictures are left stale.
    if (handle == nullptr || !handle->isExposed() || window->isMinimized() ||
        !window->testAttribute(Qt::WA_Mapped))
        return;
    QBackingStore *store = window->backingStore();
    if (!direct || store == nullptr) {
        for (const Shown &s : shown)
            s.widget->repaint();
        return;
    }
    store->beginPaint(region);
    if (!copyInto(store->paintDevice(), shown)) {
        QPainter painter(store->paintDevice());
        painter.setClipRegion(region);
        const int factor = qMax(1, static_cast<int>(std::lround(painter.device()->devicePixelRatioF())));
        for (const Shown &s : shown) {
            const QImage &image = s.widget->picture(factor);
            if (!image.isNull()) painter.drawImage(s.at, image);
        }
    }
    store->endPaint();
    store->flush(region, handle);
    for (const Shown &s : shown)
        s.widget->onScreenKey_ = s.widget->shown_.isNull() ? -1 : s.widget->pictureKey();
}

} // namespace calvoran
