#include "WindowDrag.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDrag::WindowDrag(QWidget *window) : QObject(window), window_(window) {}

void WindowDrag::begin(const QMouseEvent *press) {
    if (dragging_) return;
    if (QGuiApplication::platformName() == QLatin1String("wayland") && window_->windowHandle() &&
        window_->windowHandle()->startSystemMove()) {
        // The compositor moves the window and keeps the release to itself.
        if (OnDragEnd) OnDragEnd();
        return;
    }
    dragging_ = true;
    offset_ = press->globalPosition().toPoint() - window_->pos();
    window_->grabMouse();
    QGuiApplication::instance()->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject *, QEvent *event) {
    if (!dragging_) return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *me = static_cast<QMouseEvent *>(event);
        window_->move(me->globalPosition().toPoint() - offset_);
        return true;
    }
    case QEvent::MouseButtonRelease:
        finish();
        return true;
    default:
        return false;
    }
}

void WindowDrag::finish() {
    dragging_ = false;
    QGuiApplication::instance()->removeEventFilter(this);
    window_->releaseMouse();
    if (OnDragEnd) OnDragEnd();
}
