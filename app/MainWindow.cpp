#include "MainWindow.h"

#include "platform/CreationLog.h"
#include "platform/SettingsKey.h"
#include "widgets/TVrRunOnce.h"
#include "widgets/TVrTimer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>

using calvoran::TVrRunOnce;
using calvoran::TVrTimer;

namespace {
constexpr int kDesignWidth = 278;
constexpr int kDesignHeight = 94;
} // namespace

TForm1::TForm1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), runOnce_(std::make_unique<TVrRunOnce>(this)),
      timer2_(std::make_unique<TVrTimer>()), tt1_(std::make_unique<TVrTimer>()) {
    calvoran::noteCreated("TForm1");
    setWindowTitle(QStringLiteral("Calvoran Player"));
    setCursor(Qt::SizeAllCursor);
    resize(kDesignWidth, kDesignHeight);

    runOnce_->RestorePrevInst = true;
    runOnce_->Terminate = true;
    runOnce_->ShowMessage = true;
    runOnce_->MessageText = QStringLiteral("Calvoran Player is already running!");

    timer2_->setEnabled(false);
    timer2_->setInterval(910);
    tt1_->setEnabled(false);
    tt1_->setInterval(90);

    led_ = new QLabel(this);
    led_->setGeometry(10, 10, kDesignWidth - 20, 24);
    led_->setStyleSheet(QStringLiteral("color: #7CFC00; font-family: monospace; font-weight: bold;"));
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() { runOnce_->check(); }

QString TForm1::commandLineFile(const QString &commandLine, const QString &exePath) {
    const qsizetype l = exePath.length();
    if (commandLine.length() > l + 3)
        return commandLine.mid(l + 4, commandLine.length() - l - 5);
    return {};
}

QString TForm1::GetCMDLineFile(const QString &commandLine) {
    // The level bars are zeroed here as well; they arrive with the widgets.
    return commandLineFile(commandLine, QCoreApplication::applicationFilePath());
}

void TForm1::setLedText(const QString &text) {
    ledText_ = text;
    led_->setText(text);
}

void TForm1::setVolume(int position) {
    volume_ = std::clamp(position, 0, 100);
    VrSlider1Change();
}

void TForm1::VrSlider1Change() {
    calvoran::SettingsKey::writeInteger(QStringLiteral("Volume"), volume_);
    setLedText(QStringLiteral("Volume: ") + QString::number(volume_));
}

void TForm1::ApplySkin(const QString &skinName) {
    skinName_ = skinName;
    resize(kDesignWidth, kDesignHeight);
}

void TForm1::Exit1Click() {
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
    close();
}

void TForm1::FormClose() {
    if (closed_)
        return;
    closed_ = true;
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
}

void TForm1::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
    QCoreApplication::quit();
}

void TForm1::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x20, 0x24, 0x2c));
    p.setPen(QColor(0x50, 0x58, 0x68));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
