#include "TVrMatrix.h"

#include "MatrixFont.h"
#include "TVrTimer.h"
#include "platform/Text.h"

#include <QPainter>
#include <array>

namespace calvoran {

namespace {

struct CellGeometry {
    int width, height, dot, pitch;
};

CellGeometry cellGeometry(TVrMatrixLedStyle style) {
    switch (style) {
    case ls9x13:
        return {9, 13, 1, 2};
    case ls14x20:
        return {14, 20, 2, 3};
    case ls19x27:
        return {19, 27, 3, 4};
    }
    return {14, 20, 2, 3};
}

// Single-character case mapping, so the display text stays parallel to its colour codes; a
// character whose other case has no Windows-1252 code stays as it is.
char mapCase(char c, bool upper) {
    const QString s = fromAnsi(std::string(1, c));
    if (s.size() != 1) return c;
    const QChar mapped = upper ? s[0].toUpper() : s[0].toLower();
    const std::string back = toAnsi(QString(mapped));
    if (back.size() != 1 || (back[0] == '?' && mapped != u'?')) return c;
    return back[0];
}

std::string applyStyle(std::string text, TVrTextStyle style) {
    switch (style) {
    case tsAsIs:
        break;
    case tsUpperCase:
    case tsLowerCase:
        for (char &c : text)
            c = mapCase(c, style == tsUpperCase);
        break;
    case tsProperCase: {
        for (char &c : text)
            c = mapCase(c, false);
        const auto first = text.find_first_not_of(' ');
        if (first != std::string::npos) text[first] = mapCase(text[first], true);
        break;
    }
    }
    return text;
}

bool isCodeCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'G') || (c >= 'a' && c <= 'g');
}

constexpr std::array<QRgb, 16> kCodeColors = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                              0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

} // namespace

TVrMatrix::TVrMatrix(QWidget *parent) : VrImageWidget(parent), timer_(std::make_unique<TVrTimer>()) {
    timer_->setEnabled(false);
    timer_->setInterval(500);
    palette_.setOnChange([this] { update(); });
    bevel_.setOnChange([this] { relayout(); });
    parse();
    relayout();
}

TVrMatrix::~TVrMatrix() = default;

QColor TVrMatrix::codeColor(char code, QColor high) {
    if (code >= '1' && code <= '9') return QColor(kCodeColors[static_cast<std::size_t>(code - '1')]);
    if (code >= 'A' && code <= 'G') return QColor(kCodeColors[static_cast<std::size_t>(code - 'A' + 9)]);
    return high;
}

void TVrMatrix::parse() {
    display_.clear();
    codes_.clear();
    char code = '-';
    std::size_t i = 0;
    while (i < text_.size()) {
        const char c = text_[i++];
        if (c != '%') {
            display_ += c;
            codes_ += code;
        } else if (i < text_.size() && text_[i] == '%') {
            ++i;
            display_ += '%';
            codes_ += code;
        } else {
            code = '-';
            if (i < text_.size()) {
                const char next = text_[i++];
                if (isCodeCharacter(next)) code = next;
            }
        }
    }
    display_ = applyStyle(display_, textStyle_);
    update();
}

QSize TVrMatrix::cellSize() const {
    const CellGeometry g = cellGeometry(ledStyle_);
    return {g.width, g.height};
}

QSize TVrMatrix::sizeHint() const {
    const QSize cell = cellSize();
    const int bw = bevel_.totalWidth();
    const int along = orientation_ == voHorizontal ? cell.width() : cell.height();
    const int across = orientation_ == voHorizontal ? cell.height() : cell.width();
    const int length = leds_ * along + (leds_ - 1) * spacing_ + 2 * bw;
    const int thickness = across + 2 * bw;
    return orientation_ == voHorizontal ? QSize(length, thickness) : QSize(thickness, length);
}

void TVrMatrix::relayout() {
    setFixedSize(sizeHint());
    update();
}

void TVrMatrix::updateTimer() {
    timer_->setTimerType(threaded_ ? TTimerType::ttThread : TTimerType::ttSystem);
    timer_->setInterval(static_cast<unsigned>(timeInterval_));
    timer_->setEnabled(autoScroll_);
    // The handler starts the timer's worker thread, so a matrix that never scrolls has none.
    if (autoScroll_ && !timer_->hasOnTimer()) timer_->setOnTimer([this] { scrollStep(); });
}

void TVrMatrix::setText(const std::string &value) {
    if (text_ == value) return;
    text_ = value;
    parse();
}

void TVrMatrix::setLeds(int value) {
    value = qMax(1, value);
    if (leds_ == value) return;
    leds_ = value;
    parse();
    relayout();
}

void TVrMatrix::setSpacing(int value) {
    value = qMax(0, value);
    if (spacing_ == value) return;
    spacing_ = value;
    relayout();
}

void TVrMatrix::setLedStyle(TVrMatrixLedStyle value) {
    if (ledStyle_ == value) return;
    ledStyle_ = value;
    relayout();
}

void TVrMatrix::setOrientation(TVrOrientation value) {
    if (orientation_ == value) return;
    orientation_ = value;
    relayout();
}

void TVrMatrix::setTextStyle(TVrTextStyle value) {
    if (textStyle_ == value) return;
    textStyle_ = value;
    parse();
}

void TVrMatrix::setAlignment(TVrMatrixAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    update();
}

void TVrMatrix::setAutoScroll(bool value) {
    if (autoScroll_ == value) return;
    autoScroll_ = value;
    updateTimer();
    update();
}

void TVrMatrix::setScrollDirection(TVrMatrixScrollDirection value) {
    if (scrollDirection_ == value) return;
    scrollDirection_ = value;
    update();
}

void TVrMatrix::setTimeInterval(int ms) {
    if (ms < 0 || timeInterval_ == ms) return;
    timeInterval_ = ms;
    updateTimer();
}

void TVrMatrix::setThreaded(bool value) {
    if (threaded_ == value) return;
    threaded_ = value;
    updateTimer();
}

void TVrMatrix::setLedsVisible(bool value) {
    if (ledsVisible_ == value) return;
    ledsVisible_ = value;
    update();
}

void TVrMatrix::scrollStep() {
    const int length = static_cast<int>(display_.size());
    if (scrollDirection_ == msdRightToLeft) {
        if (firstCell_ < length) {
            ++firstCell_;
        } else {
            if (onScrollDone_) onScrollDone_();
            firstCell_ = 1 - leds_;
        }
    } else {
        if (firstCell_ > 1 - leds_) {
            --firstCell_;
        } else {
            if (onScrollDone_) onScrollDone_();
            firstCell_ = length;
        }
    }
    update();
}

void TVrMatrix::alignFirstCell() {
    const int length = static_cast<int>(display_.size());
    switch (alignment_) {
    case vaLeftJustify:
        firstCell_ = 1;
        break;
    case vaRightJustify:
        firstCell_ = length - leds_ + 1;
        break;
    case vaCenter:
        firstCell_ = 1 - (leds_ - length) / 2;
        break;
    }
}

void TVrMatrix::paintImage(QPainter &painter) {
    const QRect all(QPoint(0, 0), size());
    bevel_.paint(painter, all);
    if (!autoScroll_) alignFirstCell();

    const CellGeometry g = cellGeometry(ledStyle_);
    const bool horizontal = orientation_ == voHorizontal;
    const int extent = leds_ * (horizontal ? g.width : g.height) + (leds_ - 1) * spacing_;
    int x = horizontal ? (width() - extent) / 2 : (width() - g.width) / 2;
    int y = horizontal ? (height() - g.height) / 2 : (height() - extent) / 2;
    const int stepX = horizontal ? g.width + spacing_ : 0;
    const int stepY = horizontal ? 0 : g.height + spacing_;
    const int length = static_cast<int>(display_.size());

    for (int k = 0; k < leds_; ++k, x += stepX, y += stepY) {
        auto dotRect = [&](int row, int bit) {
            return QRect(x + g.width - g.dot - bit * g.pitch, y + row * g.pitch, g.dot, g.dot);
        };
        if (ledsVisible_) {
            for (int row = 0; row < 7; ++row)
                for (int bit = 0; bit < 5; ++bit)
                    painter.fillRect(dotRect(row, bit), palette_.Low());
        }
        const int i = firstCell_ + k;
        if (i < 1 || i > length || display_[static_cast<std::size_t>(i - 1)] == ' ') continue;
        const auto index = static_cast<std::size_t>(i - 1);
        const QColor color = codeColor(codes_[index], palette_.High());
        const MatrixFont::Glyph &glyph = MatrixFont::glyph(static_cast<unsigned char>(display_[index]));
        for (int row = 0; row < 7; ++row)
            for (int bit = 0; bit < 5; ++bit)
                if (glyph[static_cast<std::size_t>(row)] & (1u << bit))
                    painter.fillRect(dotRect(row, bit), color);
    }
}

} // namespace calvoran
