#pragma once
#include "VrImageWidget.h"

namespace calvoran {

enum TVrLabelStyle { lsNone, lsRaised, lsLowered, lsShadow };
enum TVrAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVrTextLayout { tlTop, tlCenter, tlBottom };

// A heading drawn raised, lowered or with a drop shadow, optionally rotated and textured.
class TVrLabel : public VrImageWidget {
    Q_OBJECT
public:
    explicit TVrLabel(QWidget *parent = nullptr);
    ~TVrLabel() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString &value);
    TVrLabelStyle Style() const { return style_; }
    void setStyle(TVrLabelStyle value);
    QColor ColorHighlight() const { return colorHighlight_; }
    void setColorHighlight(QColor value);
    QColor ColorShadow() const { return colorShadow_; }
    void setColorShadow(QColor value);
    int ShadowDepth() const { return shadowDepth_; }
    void setShadowDepth(int value);
    TVrAlignment Alignment() const { return alignment_; }
    void setAlignment(TVrAlignment value);
    TVrTextLayout Layout() const { return layout_; }
    void setLayout(TVrTextLayout value);
    // Degrees, counter-clockwise.
    int Angle() const { return angle_; }
    void setAngle(int value);
    const QImage &Bitmap() const { return bitmap_; }
    void setBitmap(const QImage &value);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(QColor value);

    // The rotated caption's bounding box, placed by Alignment and Layout.
    QRectF textBounds() const;

protected:
    void paintImage(QPainter &painter) override;
    void changeEvent(QEvent *event) override;

private:
    void drawCaption(QPainter &painter, QPointF offset, QColor color) const;

    QString caption_;
    TVrLabelStyle style_ = lsRaised;
    QColor colorHighlight_{Qt::white};
    QColor colorShadow_{0x80, 0x80, 0x80};
    int shadowDepth_ = 2;
    TVrAlignment alignment_ = taCenter;
    TVrTextLayout layout_ = tlCenter;
    int angle_ = 0;
    QImage bitmap_;
    QColor fontColor_{Qt::black};
};

} // namespace calvoran
