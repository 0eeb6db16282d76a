#pragma once
#include "ChannelTap.h"

#include <QWidget>

class QTimer;

namespace calvoran {
class TVrMeter;
class TVrPowerButton;
} // namespace calvoran

// The level meters window: the channel's left and right levels on two needle meters, polled while
// the power button is on.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(calvoran::ChannelTap tap, QWidget *parent = nullptr);
    ~TForm4() override;

    calvoran::TVrMeter *VrMeter1;
    calvoran::TVrMeter *VrMeter2;
    calvoran::TVrPowerButton *VrPowerButton1;
    QTimer *Timer1;

    void VrPowerButton1Click();
    void Timer1Timer();
    void formclose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    calvoran::ChannelTap tap_;
};
