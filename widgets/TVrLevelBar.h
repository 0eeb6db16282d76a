#pragma once
#include "TVrBevel.h"
#include "TVrPalette.h"
#include "VrImageWidget.h"
#include "VrOrientation.h"

#include <functional>

namespace calvoran {

// A segmented level bar in three colour zones. Its length snaps to whole ticks.
class TVrLevelBar : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrLevelBar(QWidget *parent = nullptr);
    ~TVrLevelBar() override;

    int MinValue() const { return minValue_; }
    void setMinValue(int value); // accepted only below MaxValue
    int MaxValue() const { return maxValue_; }
    void setMaxValue(int value); // accepted only above MinValue
    int Position() const { return position_; }
    void setPosition(int value);
    // The owner puts a change of lit ticks on screen itself (showNow() sends the ticks that changed): bars
    // fed many times a second then go out together and post no update that wakes the event loop again.
    void setPaintedByOwner(bool value) { paintedByOwner_ = value; }
    int Percent1() const { return percent1_; }
    void setPercent1(int value);
    int Percent2() const { return percent2_; }
    void setPercent2(int value);
    TVrPalette &Palette1() { return palettes_[0]; }
    void setPalette1(const TVrPalette &value) { palettes_[0] = value; }
    TVrPalette &Palette2() { return palettes_[1]; }
    void setPalette2(const TVrPalette &value) { palettes_[1] = value; }
    TVrPalette &Palette3() { return palettes_[2]; }
    void setPalette3(const TVrPalette &value) { palettes_[2] = value; }
    TVrBevel &Bevel() { return bevel_; }
    const TVrBevel &Bevel() const { return bevel_; }
    void setBevel(const TVrBevel &value) { bevel_ = value; }
    TVrOrientation Orientation() const { return orientation_; }
    void setOrientation(TVrOrientation value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);
    int TickHeight() const { return tickHeight_; }
    void setTickHeight(int value); // must be positive
    TVrProgressStyle Style() const { return style_; }
    void setStyle(TVrProgressStyle value);
    int Step() const { return step_; }
    void setStep(int value) { step_ = value; } // kept for the design; it changes nothing

    void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    void setOnMinValue(std::function<void()> handler) { onMinValue_ = std::move(handler); }
    void setOnMaxValue(std::function<void()> handler) { onMaxValue_ = std::move(handler); }

    // Whole ticks that fit the current length.
    int tickCount() const;
    // Ticks lit at the current Position.
    int litCount() const;
    int litCountAt(int position) const; // what Position `position` would light
    // Zone (1-3) of tick t, counted from 1 at the growing end.
    int zoneOf(int tick) const;
    // a / b rounded to the nearest integer, halves to even (b > 0).
    static int roundHalfEven(long long a, long long b);

protected:
    void paintImage(QPainter &painter) override;
    int pictureKey() const override { return litCount(); }
    QRect differingArea(int from, int to) const override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitLength();
    QRect tickRect(int tick, const QRect &content) const; // tick counted from 1 at the growing end

    int minValue_ = 0;
    int maxValue_ = 100;
    int position_ = 0;
    bool paintedByOwner_ = false;
    int percent1_ = 60;
    int percent2_ = 25;
    TVrPalette palettes_[3];
    TVrBevel bevel_ = TVrBevel::widgetDefault();
    TVrOrientation orientation_ = voVertical;
    int spacing_ = 1;
    int tickHeight_ = 1;
    TVrProgressStyle style_ = psBottomLeft;
    int step_ = 10;
    std::function<void()> onChange_;
    std::function<void()> onMinValue_;
    std::function<void()> onMaxValue_;
};

} // namespace calvoran
