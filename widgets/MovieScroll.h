#pragma once
#include "MovieScrollMarkup.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace calvoran {

// Lines of text with a small bracket markup that scroll upward like film credits, one pixel per
// timer tick, with an optional drop shadow. Without Loop the scroll ends on CompleteText.
class TMovieScroll : public QWidget {
    Q_OBJECT
public:
    explicit TMovieScroll(QWidget *parent = nullptr);

    QStringList ScrollText() const { return scrollText_; }
    void setScrollText(const QStringList &lines);
    QFont DefaultFont() const { return defaultFont_; }
    void setDefaultFont(const QFont &font);
    QColor DefaultFontColor() const { return defaultFontColor_; }
    void setDefaultFontColor(const QColor &color);
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor &color);
    bool Loop() const { return loop_; }
    void setLoop(bool loop);
    QString CompleteText() const { return completeText_; }
    void setCompleteText(const QString &text);
    int TimerInterval() const { return timerInterval_; }
    void setTimerInterval(int ms);
    bool Shadow() const { return shadow_; }
    void setShadow(bool shadow);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor &color);
    int ShadowOffset() const { return shadowOffset_; }
    void setShadowOffset(int pixels);

    // One timer tick: up one pixel, then paint.
    void TimerTick();
    // Paints the off-screen bitmap as the screen would get it, and returns it.
    QImage Frame();
    // Top of the first line, relative to the widget's top.
    int Offset() const { return offset_; }
    void setOffset(int offset) { offset_ = offset; }
    bool Scrolling() const { return timer_.isActive(); }

    // Where a tag whose number does not read is reported, once per text; by default an error box.
    void setOnError(std::function<void(const QString &)> handler) { onError_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Paint();
    void changed();

    QStringList scrollText_;
    ScrollMarkup markup_;
    bool errorReported_ = false;
    QFont defaultFont_;
    QColor defaultFontColor_ = Qt::white;
    QColor backColor_ = Qt::black;
    bool loop_ = false;
    QString completeText_ = QStringLiteral("The End");
    int timerInterval_ = 75;
    bool shadow_ = true;
    QColor shadowColor_ = QColor(0x80, 0x80, 0x80);
    int shadowOffset_ = 2;

    int offset_ = 0;
    QImage bitmap_;
    QTimer timer_;
    std::function<void(const QString &)> onError_;
};

} // namespace calvoran
