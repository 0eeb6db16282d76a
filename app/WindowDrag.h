#pragma once
#include <QObject>
#include <QPoint>
#include <functional>

class QMouseEvent;
class QWidget;

// Drags a borderless window with the mouse. On X11 the window follows the pointer while the button
// is held; where windows may not place themselves (Wayland) the desktop's own move takes over.
// OnDragEnd runs once, when the button is released.
class WindowDrag : public QObject {
    Q_OBJECT
public:
    explicit WindowDrag(QWidget *window);

    // Mouse-down on the window or one of its parts starts a drag.
    void begin(const QMouseEvent *press);
    bool dragging() const { return dragging_; }

    std::function<void()> OnDragEnd;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish();

    QWidget *window_;
    QPoint offset_;
    bool dragging_ = false;
};
