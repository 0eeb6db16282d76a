#include "FrameTimer.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <memory>

namespace calvoran {

FrameTimer::FrameTimer(QObject *parent, Clock clock) : QObject(parent), clock_(std::move(clock)) {
    if (!clock_) {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        clock_ = [elapsed] { return static_cast<int64_t>(elapsed->elapsed()); };
    }
    pump_.setInterval(0);
    connect(&pump_, &QTimer::timeout, this, &FrameTimer::Tick);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::applicationStateChanged, this, &FrameTimer::update);
}

void FrameTimer::SetEnabled(bool enabled) {
    if (enabled && !enabled_) {
        frames_ = 0;
        since_ = clock_();
    }
    enabled_ = enabled;
    update();
}

void FrameTimer::SetInterval(int milliseconds) {
    pump_.setInterval(milliseconds < 0 ? 0 : milliseconds);
}

void FrameTimer::SetActiveOnly(bool activeOnly) {
    activeOnly_ = activeOnly;
    update();
}

void FrameTimer::SetPaused(bool paused) {
    paused_ = paused;
    update();
}

void FrameTimer::update() {
    bool run = enabled_ && !paused_;
    if (run && activeOnly_ && qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        run = QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (run && !pump_.isActive())
        pump_.start();
    else if (!run)
        pump_.stop();
}

void FrameTimer::Tick() {
    ++frames_;
    const int64_t now = clock_();
    if (now - since_ >= 1000) {
        frameRate_ = static_cast<int>(frames_ * 1000 / (now - since_));
        frames_ = 0;
        since_ = now;
    }
    emit Timer();
}

} // namespace calvoran
