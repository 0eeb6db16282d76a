#pragma once
#include "config/SkinTarget.h"
#include "config/UnitBitmapRgn.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <map>

// Records what the skin loader does, in order, and owns a real widget as the shaped window.
class RecordingTarget : public calvoran::SkinTarget {
public:
    RecordingTarget() { window.resize(2, 2); }

    void setControlLeft(calvoran::SkinControl control, int left) override {
        log << QStringLiteral("left %1 %2").arg(int(control)).arg(left);
        positions[control].setX(left);
    }
    void setControlTop(calvoran::SkinControl control, int top) override {
        log << QStringLiteral("top %1 %2").arg(int(control)).arg(top);
        positions[control].setY(top);
    }
    void loadGlyph(calvoran::SkinButton button, const QImage &glyph) override {
        log << QStringLiteral("glyph %1").arg(int(button));
        glyphs[button] = glyph;
    }
    calvoran::TBitmapRgn &BitmapRgn1() override {
        log << QStringLiteral("mask");
        return shape;
    }
    void loadBackground(const QImage &picture) override {
        log << QStringLiteral("background");
        background = picture;
    }
    QSize backgroundSize() const override { return background.size(); }
    void repaintBackground() override { log << QStringLiteral("repaint"); }
    void resizeWindow(const QSize &size) override {
        log << QStringLiteral("resize %1x%2").arg(size.width()).arg(size.height());
        window.resize(size);
    }
    void useBuiltInLook() override {
        log << QStringLiteral("built-in");
        window.clearMask();
    }

    QWidget window;
    calvoran::TBitmapRgn shape{&window};
    QStringList log;
    std::map<calvoran::SkinControl, QPoint> positions;
    std::map<calvoran::SkinButton, QImage> glyphs;
    QImage background;
};
