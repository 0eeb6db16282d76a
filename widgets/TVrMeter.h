#pragma once
#include "TVrBevel.h"
#include "VrImageWidget.h"

#include <QImage>
#include <functional>
#include <stdexcept>

namespace calvoran {

// Raised by a range setter given a value that would cross the other bound.
class VrRangeError : public std::range_error {
public:
    VrRangeError() : std::range_error("Value out of range.") {}
};

// The tick scale of a needle meter: three colour zones by percent of the ticks.
class TVrMeterScale {
public:
    TVrMeterScale() = default;
    TVrMeterScale(const TVrMeterScale &other);
    TVrMeterScale &operator=(const TVrMeterScale &other);
    ~TVrMeterScale() = default;

    QColor Color1() const { return s_.color1; }
    void setColor1(QColor value) { assign(s_.color1, value); }
    QColor Color2() const { return s_.color2; }
    void setColor2(QColor value) { assign(s_.color2, value); }
    QColor Color3() const { return s_.color3; }
    void setColor3(QColor value) { assign(s_.color3, value); }
    int Percent1() const { return s_.percent1; }
    void setPercent1(int value); // cut to 100 - Percent2
    int Percent2() const { return s_.percent2; }
    void setPercent2(int value); // refused when the two would pass 100
    int Ticks() const { return s_.ticks; }
    void setTicks(int value);
    int Enlarge() const { return s_.enlarge; }
    void setEnlarge(int value);
    int HeightMax() const { return s_.heightMax; }
    void setHeightMax(int value) { assign(s_.heightMax, value); }
    int HeightMin() const { return s_.heightMin; }
    void setHeightMin(int value) { assign(s_.heightMin, value); }
    bool Visible() const { return s_.visible; }
    void setVisible(bool value) { assign(s_.visible, value); }

    // Colour zone (1-3) of tick j, counted from 1.
    int zoneOf(int tick) const;

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

private:
    template <typename T> void assign(T &member, T value) {
        if (member == value) return;
        member = value;
        if (onChange_) onChange_();
    }
    struct Settings {
        QColor color1{0x00, 0x80, 0x00};
        QColor color2{0xFF, 0xFF, 0x00};
        QColor color3{0xFF, 0x00, 0x00};
        int percent1 = 60;
        int percent2 = 25;
        int ticks = 61;
        int enlarge = 5;
        int heightMax = 8;
        int heightMin = 5;
        bool visible = true;
    };
    Settings s_;
    std::function<void()> onChange_;
};

// An analog needle meter: a ticked arc over a pivot below the bottom edge, labels, a needle that
// moves in whole tick steps, a bevel and a caption.
class TVrMeter : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrMeter(QWidget *parent = nullptr);
    ~TVrMeter() override;

    int MinValue() const { return minValue_; }
    void setMinValue(int value); // throws VrRangeError above MaxValue
    int MaxValue() const { return maxValue_; }
    void setMaxValue(int value); // throws VrRangeError below MinValue
    int Position() const { return position_; }
    void setPosition(int value); // limited to MinValue..MaxValue
    int Angle() const { return angle_; }
    void setAngle(int value);
    QColor NeedleColor() const { return needleColor_; }
    void setNeedleColor(QColor value);
    int NeedleWidth() const { return needleWidth_; }
    void setNeedleWidth(int value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);
    int Labels() const { return labels_; }
    void setLabels(int value);
    int LabelOffsetX() const { return labelOffsetX_; }
    void setLabelOffsetX(int value);
    int LabelOffsetY() const { return labelOffsetY_; }
    void setLabelOffsetY(int value);
    QImage BackImage() const { return backImage_; }
    void setBackImage(const QImage &value);
    TVrBevel &Bevel() { return bevel_; }
    const TVrBevel &Bevel() const { return bevel_; }
    TVrMeterScale &Scale() { return scale_; }
    const TVrMeterScale &Scale() const { return scale_; }
    QString Caption() const { return caption_; }
    void setCaption(const QString &value);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(QColor value);

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    // Geometry of the present size: the pivot, the scale radius, and the point at angle t (degrees
    // clockwise from straight up) and distances rx, ry from the pivot.
    QPoint pivot() const;
    int radius() const;
    QPoint pointAt(double degrees, double rx, double ry) const;
    // Angle of tick index i (0-based) and the tick index the needle shows.
    double tickAngle(double index) const;
    int needleTick() const;
    // The k-th label's text and the tick index it stands at; labelCount() labels in all.
    int labelCount() const;
    int labelTick(int k) const;
    int labelValue(int k) const;

protected:
    void paintImage(QPainter &painter) override;

private:
    void changed() { update(); }

    int minValue_ = 0;
    int maxValue_ = 100;
    int position_ = 0;
    int angle_ = 40;
    QColor needleColor_{0xC0, 0xC0, 0xC0};
    int needleWidth_ = 1;
    int spacing_ = 20;
    int labels_ = 10;
    int labelOffsetX_ = 15;
    int labelOffsetY_ = 10;
    QImage backImage_;
    TVrBevel bevel_ = TVrBevel::widgetDefault();
    TVrMeterScale scale_;
    QString caption_;
    QColor fontColor_{0xC0, 0xC0, 0xC0};
    std::function<void()> onChange_;
};

} // namespace calvoran
