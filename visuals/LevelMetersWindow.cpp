#include "LevelMetersWindow.h"

#include "platform/CreationLog.h"
#include "widgets/TVrMeter.h"
#include "widgets/TVrPowerButton.h"

#include <QCloseEvent>
#include <QTimer>

using namespace calvoran;

namespace {

void setUpMeter(TVrMeter *meter, const QString &caption) {
    meter->setCaption(caption);
    meter->setColor(Qt::black);
    meter->setFontColor(QColor(0xC0, 0xC0, 0xC0));
    meter->setMaxValue(128);
    meter->Scale().setPercent1(60);
    meter->Scale().setTicks(61);
}

} // namespace

TForm4::TForm4(ChannelTap tap, QWidget *parent) : QWidget(parent, Qt::Tool), tap_(std::move(tap)) {
    calvoran::noteCreated("TForm4");
    setWindowTitle(QStringLiteral("Visuals"));
    setFixedSize(417, 97);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    VrMeter1 = new TVrMeter(this);
    VrMeter1->setGeometry(0, 0, 209, 97);
    setUpMeter(VrMeter1, QStringLiteral("Left"));
    VrMeter2 = new TVrMeter(this);
    VrMeter2->setGeometry(208, 0, 209, 97);
    setUpMeter(VrMeter2, QStringLiteral("Right"));

    VrPowerButton1 = new TVrPowerButton(this);
    VrPowerButton1->setGeometry(200, (97 - 33) / 2, 25, 33);
    VrPowerButton1->setCaption(QStringLiteral("On"));
    VrPowerButton1->setLayout(ImageTop);
    VrPowerButton1->Palette().setLow(QColor(0x00, 0x80, 0x00));
    VrPowerButton1->Palette().setHigh(QColor(0x00, 0xFF, 0x00));
    VrPowerButton1->setBevelWidth(1);
    VrPowerButton1->setOnClick([this] { VrPowerButton1Click(); });
    VrPowerButton1->raise();

    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
}

TForm4::~TForm4() = default;

void TForm4::VrPowerButton1Click() {
    if (VrPowerButton1->Active()) {
        Timer1->start();
    } else {
        Timer1->stop();
        VrMeter1->setPosition(0);
        VrMeter2->setPosition(0);
    }
}

void TForm4::Timer1Timer() {
    const uint32_t level = tap_.level ? tap_.level() : 0;
    VrMeter1->setPosition(static_cast<int>(level & 0xFFFF));
    VrMeter2->setPosition(static_cast<int>(level >> 16));
}

void TForm4::formclose() {
    Timer1->stop();
}

void TForm4::closeEvent(QCloseEvent *event) {
    formclose();
    QWidget::closeEvent(event);
}
