#pragma once
#include "TVrBevel.h"
#include "TVrPalette.h"
#include "VrImageWidget.h"
#include "VrOrientation.h"

#include <functional>
#include <memory>
#include <string>

namespace calvoran {

class TVrTimer;

enum TVrMatrixLedStyle { ls9x13, ls14x20, ls19x27 };
enum TVrTextStyle { tsUpperCase, tsLowerCase, tsAsIs, tsProperCase };
enum TVrMatrixAlignment { vaLeftJustify, vaRightJustify, vaCenter };
enum TVrMatrixScrollDirection { msdRightToLeft, msdLeftToRight };

// A row of 5 × 7 dot-matrix character cells. Text is Windows-1252 and may hold colour codes
// ("%" + digit or A-G; "%%" is a literal "%"). The widget's size follows its cells and bevel.
class TVrMatrix : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrMatrix(QWidget *parent = nullptr);
    ~TVrMatrix() override;

    const std::string &Text() const { return text_; }
    void setText(const std::string &value);
    int Leds() const { return leds_; }
    void setLeds(int value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);
    TVrMatrixLedStyle LedStyle() const { return ledStyle_; }
    void setLedStyle(TVrMatrixLedStyle value);
    TVrOrientation Orientation() const { return orientation_; }
    void setOrientation(TVrOrientation value);
    TVrTextStyle TextStyle() const { return textStyle_; }
    void setTextStyle(TVrTextStyle value);
    TVrMatrixAlignment Alignment() const { return alignment_; }
    void setAlignment(TVrMatrixAlignment value);
    bool AutoScroll() const { return autoScroll_; }
    void setAutoScroll(bool value);
    TVrMatrixScrollDirection ScrollDirection() const { return scrollDirection_; }
    void setScrollDirection(TVrMatrixScrollDirection value);
    int TimeInterval() const { return timeInterval_; }
    void setTimeInterval(int ms); // negative values are refused
    bool Threaded() const { return threaded_; }
    void setThreaded(bool value);
    bool LedsVisible() const { return ledsVisible_; }
    void setLedsVisible(bool value);
    TVrPalette &Palette() { return palette_; }
    const TVrPalette &Palette() const { return palette_; }
    using QWidget::setPalette;
    void setPalette(const TVrPalette &value) { palette_ = value; }
    TVrBevel &Bevel() { return bevel_; }
    const TVrBevel &Bevel() const { return bevel_; }
    void setBevel(const TVrBevel &value) { bevel_ = value; }
    void setOnScrollDone(std::function<void()> handler) { onScrollDone_ = std::move(handler); }

    // The characters shown (codes removed, text style applied) and one colour code per character.
    const std::string &displayText() const { return display_; }
    const std::string &colorCodes() const { return codes_; }
    // 1-based index in the display text of the character in the first cell.
    int firstCell() const { return firstCell_; }
    // One scroll tick: what the scroll timer runs.
    void scrollStep();
    const TVrTimer &scrollTimer() const { return *timer_; }

    QSize cellSize() const;
    // Colour of a character with colour code `code`; `high` for codes that pick no table colour.
    static QColor codeColor(char code, QColor high);

    QSize sizeHint() const override;

protected:
    void paintImage(QPainter &painter) override;

private:
    void parse();
    void relayout();
    void updateTimer();
    void alignFirstCell();

    std::string text_;
    std::string display_;
    std::string codes_;
    int leds_ = 15;
    int spacing_ = 2;
    TVrMatrixLedStyle ledStyle_ = ls14x20;
    TVrOrientation orientation_ = voHorizontal;
    TVrTextStyle textStyle_ = tsUpperCase;
    TVrMatrixAlignment alignment_ = vaLeftJustify;
    bool autoScroll_ = false;
    TVrMatrixScrollDirection scrollDirection_ = msdRightToLeft;
    int timeInterval_ = 500;
    bool threaded_ = true;
    bool ledsVisible_ = true;
    TVrPalette palette_;
    TVrBevel bevel_ = TVrBevel::widgetDefault();
    std::function<void()> onScrollDone_;
    int firstCell_ = 1;
    // Destroyed before the widget, so no tick can reach a half-destroyed matrix.
    std::unique_ptr<TVrTimer> timer_;
};

} // namespace calvoran
