#include "MovieScroll.h"

#include "platform/Dialogs.h"

#include <QPainter>

namespace calvoran {

namespace {
constexpr int kCompleteTextPoints = 20;

QFont lineFont(const QFont &base, const ScrollLineStyle &line) {
    QFont font = base;
    if (!line.fontName.isEmpty()) font.setFamily(line.fontName);
    if (line.size > 0)
        font.setPointSize(line.size);
    else if (line.size < 0)
        font.setPixelSize(-line.size);
    font.setBold(line.bold);
    font.setItalic(line.italic);
    font.setUnderline(line.underline);
    font.setStrikeOut(false);
    return font;
}
} // namespace

TMovieScroll::TMovieScroll(QWidget *parent) : QWidget(parent) {
    defaultFont_ = QFont(QStringLiteral("Courier New"));
    defaultFont_.setPointSize(10);
    resize(200, 100);
    offset_ = height() + 1;
    timer_.setInterval(timerInterval_);
    connect(&timer_, &QTimer::timeout, this, [this] { TimerTick(); });
    timer_.start();
}

void TMovieScroll::setScrollText(const QStringList &lines) {
    scrollText_ = lines;
    markup_ = parseScrollMarkup(lines);
    errorReported_ = false;
    changed();
}

void TMovieScroll::setDefaultFont(const QFont &font) {
    defaultFont_ = font;
    changed();
}

void TMovieScroll::setDefaultFontColor(const QColor &color) {
    defaultFontColor_ = color;
    changed();
}

void TMovieScroll::setBackColor(const QColor &color) {
    backColor_ = color;
    changed();
}

void TMovieScroll::setLoop(bool loop) {
    loop_ = loop;
    changed();
}

void TMovieScroll::setCompleteText(const QString &text) {
    completeText_ = text;
    changed();
}

void TMovieScroll::setTimerInterval(int ms) {
    timerInterval_ = ms;
    timer_.setInterval(qMax(1, ms));
}

void TMovieScroll::setShadow(bool shadow) {
    shadow_ = shadow;
    changed();
}

void TMovieScroll::setShadowColor(const QColor &color) {
    shadowColor_ = color;
    changed();
}

void TMovieScroll::setShadowOffset(int pixels) {
    shadowOffset_ = pixels;
    changed();
}

void TMovieScroll::changed() {
    update();
}

void TMovieScroll::TimerTick() {
    --offset_;
    Paint();
    update();
}

QImage TMovieScroll::Frame() {
    Paint();
    return bitmap_;
}

void TMovieScroll::Paint() {
    if (bitmap_.size() != size()) {
        bitmap_ = QImage(size(), QImage::Format_RGB32);
        offset_ = height() + 1;
    }
    bitmap_.fill(backColor_);
    if (bitmap_.isNull()) return;
    QPainter p(&bitmap_);
    int y = 0;
    int lastHeight = 0;
    for (const ScrollLineStyle &line : markup_.lines) {
        p.setFont(lineFont(defaultFont_, line));
        const QFontMetrics fm = p.fontMetrics();
        const int lineHeight = fm.height(); // the same for the text as for "W"
        const int top = offset_ + y;
        if (top + lineHeight + qMax(0, shadowOffset_) > 0 && top < height() && !line.text.isEmpty()) {
            const int x = line.center ? (width() - fm.horizontalAdvance(line.text)) / 2 : 1;
            if (shadow_) {
                p.setPen(shadowColor_);
                p.drawText(x + shadowOffset_, top + shadowOffset_ + fm.ascent(), line.text);
            }
            p.setPen(line.hasColor ? line.color : defaultFontColor_);
            p.drawText(x, top + fm.ascent(), line.text);
        }
        y += lineHeight;
        lastHeight = lineHeight;
    }
    if (!markup_.error.isEmpty() && !errorReported_) {
        // Once per text, after this paint: a box per frame would make the window unusable.
        errorReported_ = true;
        const QString error = markup_.error;
        QTimer::singleShot(0, this, [this, error] {
            if (onError_)
                onError_(error);
            else
                showError(error);
        });
    }
    if (offset_ + y + lastHeight < 0) {
        if (loop_) {
            offset_ = height() + 1;
        } else {
            timer_.stop();
            QFont font = defaultFont_;
            font.setPointSize(kCompleteTextPoints);
            font.setBold(true);
            font.setItalic(false);
            font.setUnderline(false);
            p.setFont(font);
            p.setPen(defaultFontColor_);
            p.drawText(QRect(0, 0, width(), height()), Qt::AlignCenter, completeText_);
        }
    }
}

void TMovieScroll::paintEvent(QPaintEvent *) {
    if (bitmap_.size() != size()) Paint();
    QPainter(this).drawImage(0, 0, bitmap_);
}

void TMovieScroll::resizeEvent(QResizeEvent *) {
    offset_ = height() + 1;
    // A new size starts the credits again, also after they ended.
    if (!timer_.isActive()) timer_.start();
}

} // namespace calvoran
