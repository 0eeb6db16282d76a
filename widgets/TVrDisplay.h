#pragma once
#include "TVrDisplayBevel.h"
#include "VrImageWidget.h"

namespace calvoran {

enum TVrShadowLayout { soTopLeft, soTopRight, soBottomLeft, soBottomRight };

// A bevelled panel with a graded inner shadow, parent of other widgets; layouts place children
// inside the bevel.
class TVrDisplay : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrDisplay(QWidget *parent = nullptr);
    ~TVrDisplay() override;

    TVrDisplayBevel &Bevel() { return bevel_; }
    const TVrDisplayBevel &Bevel() const { return bevel_; }
    void setBevel(const TVrBevel &value) { bevel_ = value; }
    int ShadowWidth() const { return shadowWidth_; }
    void setShadowWidth(int value);
    QColor ShadowColor1() const { return shadowColor1_; }
    void setShadowColor1(QColor value);
    QColor ShadowColor2() const { return shadowColor2_; }
    void setShadowColor2(QColor value);
    TVrShadowLayout ShadowLayout() const { return shadowLayout_; }
    void setShadowLayout(TVrShadowLayout value);

    // Colour of shadow line i (0 the outermost).
    QColor shadowLineColor(int line) const;

protected:
    void paintImage(QPainter &painter) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void bevelChanged();

    TVrDisplayBevel bevel_;
    int shadowWidth_ = 5;
    QColor shadowColor1_{0x66, 0x77, 0x5E};
    QColor shadowColor2_{0x85, 0x98, 0x7C};
    TVrShadowLayout shadowLayout_ = soTopLeft;
};

} // namespace calvoran
