#pragma once
#include "engine/EngineDisplays.h"
#include "widgets/TVrTimer.h"

#include <QPoint>
#include <QString>

// The main window's side of the engine, recorded for checks.
class RecordingDisplays : public calvoran::EngineDisplays {
public:
    RecordingDisplays() {
        timer2.setEnabled(false);
        tt1.setEnabled(false);
    }

    void setTitleText(const QString &text) override { title = text; }
    void setTitleAutoScroll(bool on) override { autoScroll = on; }
    void setLevels(int l, int r) override {
        left = l;
        right = r;
    }
    void setTimeText(const QString &text) override { time = text; }
    void setPositionMax(int seconds) override { positionMax = seconds; }
    void setPosition(int seconds) override { position = seconds; }
    calvoran::TVrTimer *endOfTrackTimer() override { return &timer2; }
    calvoran::TVrTimer *positionTimer() override { return &tt1; }
    int volumePosition() const override { return volume; }
    bool use3D() const override { return false; }
    void setCurrentIndex(int index) override { currentIndex = index; }
    QString GetCMDLineFile(const QString &commandLine) override {
        left = right = 0;
        return commandLine; // tests hand the file itself
    }
    void popupMainMenu(const QPoint &) override { ++menus; }

    QString title;
    bool autoScroll = false;
    int left = -1, right = -1;
    QString time;
    int positionMax = -1, position = -1;
    calvoran::TVrTimer timer2, tt1;
    int volume = 0;
    int currentIndex = -1;
    int menus = 0;
};
