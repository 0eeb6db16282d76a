#pragma once
#include "VrImageWidget.h"
#include "VrOrientation.h"
#include "VrTrackGeometry.h"
#include <QList>
#include <functional>
#include <optional>

namespace calvoran {

// What the slider and the track bar share: range and position, the thumb image and its frames,
// and the mouse (active click, dragging with the pointer confined, hot thumb).
class VrTrackWidget : public VrImageWidget {
    Q_OBJECT
public:
    // button, modifiers, x, y: the standard mouse-down/-up event.
    using MouseHandler = std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int, int)>;

    ~VrTrackWidget() override;

    int MinValue() const { return min_; }
    void setMinValue(int value);
    int MaxValue() const { return max_; }
    void setMaxValue(int value);
    int Position() const { return position_; }
    void setPosition(int value);

    TVrOrientation Orientation() const { return orientation_; }
    void setOrientation(TVrOrientation value);

    const QList<QImage> &BitmapList() const { return bitmaps_; }
    void setBitmapList(const QList<QImage> &images);
    int ThumbImageIndex() const { return thumbIndex_; }
    void setThumbImageIndex(int value);
    int ThumbStates() const { return thumbStates_; }
    void setThumbStates(int value);

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    void setOnMouseDown(MouseHandler handler) { onMouseDown_ = std::move(handler); }
    void setOnMouseUp(MouseHandler handler) { onMouseUp_ = std::move(handler); }

    // Where the thumb is drawn now, in widget pixels.
    QRect thumbRect() const;
    bool isDragging() const { return dragging_; }
    bool isThumbHot() const { return hot_; }
    // Thumb frame for the present state: 3 hot, 2 dragging, 1 disabled, else 0; 0 when missing.
    int thumbFrame() const;

protected:
    VrTrackWidget(QWidget *parent, TVrOrientation orientation);

    // The rectangle the thumb travels in.
    virtual QRect trackRect() const = 0;
    virtual QImage builtinThumb() const = 0;
    virtual bool activeClick() const = 0;
    virtual bool mouseClip() const = 0;
    virtual bool thumbOpaque() const = 0;
    // Without fixed points a dragged thumb follows the pointer pixel by pixel.
    virtual bool fixedPoints() const { return true; }

    bool minAtTopRight() const { return minAtTopRight_; }
    void setMinAtTopRight(bool value);
    VrTrackGeometry trackGeometry() const;
    QSize thumbSize() const;
    void paintThumb(QPainter &painter) const;
    // Adds a signed step; used by the keyboard.
    void stepPosition(int delta);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The thumb image: the chosen BitmapList item with its frames, or the built-in one.
    bool hasListThumb() const;
    void applyPosition(int value, std::optional<int> freeThumbPos);
    void moveThumbTo(int thumbPos);
    int currentThumbPos() const;
    void setHot(bool value);

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    TVrOrientation orientation_;
    bool minAtTopRight_ = false;
    QList<QImage> bitmaps_;
    int thumbIndex_ = -1;
    int thumbStates_ = 1;

    bool dragging_ = false;
    bool grabbed_ = false;
    bool hot_ = false;
    int dragOffset_ = 0;
    // Where a pointer left the thumb when it does not snap to value positions.
    std::optional<int> freeThumbPos_;

    std::function<void()> onChange_;
    MouseHandler onMouseDown_;
    MouseHandler onMouseUp_;
};

} // namespace calvoran
