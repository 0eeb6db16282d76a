#pragma once
// A frame timer: with interval 0 it ticks as often as the event loop allows (each frame's flip
// waits for the display where the driver syncs to it), only while enabled, not paused, and — when
// ActiveOnly — while the application is active. It counts frames per second.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace calvoran {

class FrameTimer : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<int64_t()>; // milliseconds, steady
    explicit FrameTimer(QObject *parent = nullptr, Clock clock = {});

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return pump_.interval(); }
    void SetInterval(int milliseconds);
    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool activeOnly);
    // The owner pauses the timer while nothing of it can be seen.
    void SetPaused(bool paused);
    // True while ticks are being delivered.
    bool Running() const { return pump_.isActive(); }
    // Frames in the last whole second measured.
    int FrameRate() const { return frameRate_; }

    // One tick: counts the frame and emits Timer(). Called by the pump.
    void Tick();

signals:
    void Timer();

private:
    void update();

    QTimer pump_;
    Clock clock_;
    bool enabled_ = false;
    bool activeOnly_ = true;
    bool paused_ = false;
    int frames_ = 0;
    int frameRate_ = 0;
    int64_t since_ = 0;
};

} // namespace calvoran
