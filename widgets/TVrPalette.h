#pragma once
#include <QColor>
#include <functional>

namespace calvoran {

// The off/on colour pair of the player's widgets. Copying takes the colours only; the owner's
// change handler stays with the object it was set on, so `widget.Palette() = other` repaints.
class TVrPalette {
public:
    TVrPalette() = default;
    TVrPalette(QColor low, QColor high);
    TVrPalette(const TVrPalette &other);
    TVrPalette &operator=(const TVrPalette &other);
    ~TVrPalette() = default;

    QColor Low() const { return low_; }
    void setLow(QColor value);
    QColor High() const { return high_; }
    void setHigh(QColor value);

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    bool operator==(const TVrPalette &other) const { return low_ == other.low_ && high_ == other.high_; }

private:
    void changed();

    QColor low_{0x00, 0x80, 0x00};
    QColor high_{0x00, 0xFF, 0x00};
    std::function<void()> onChange_;
};

} // namespace calvoran
