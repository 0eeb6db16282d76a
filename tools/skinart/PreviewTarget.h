#pragma once
#include "config/SkinTarget.h"
#include "config/UnitBitmapRgn.h"

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <map>

namespace calvoran::skinart {

// Takes a skin the way the main window does and paints what the window would show.
class PreviewTarget : public SkinTarget {
public:
    PreviewTarget();

    void setControlLeft(SkinControl control, int left) override { places_[control].setX(left); }
    void setControlTop(SkinControl control, int top) override { places_[control].setY(top); }
    void loadGlyph(SkinButton button, const QImage &glyph) override { glyphs_[button] = glyph; }
    TBitmapRgn &BitmapRgn1() override { return shape_; }
    void loadBackground(const QImage &picture) override { background_ = picture; }
    QSize backgroundSize() const override { return background_.size(); }
    void repaintBackground() override {}
    void resizeWindow(const QSize &size) override { window_.resize(size); }
    void useBuiltInLook() override {}

    // The main window over a checker board (hover: every button shows its mouse-over frame).
    QImage render(bool hover) const;
    // The playlist window's three buttons on a plain strip.
    QImage renderPlaylistButtons(bool hover) const;

private:
    QWidget window_;
    TBitmapRgn shape_{&window_};
    std::map<SkinControl, QPoint> places_;
    std::map<SkinButton, QImage> glyphs_;
    QImage background_;
};

} // namespace calvoran::skinart
