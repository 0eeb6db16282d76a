#include "MainWindow.h"

#include "Forms.h"
#include "bass.h"
#include "engine/PlaylistWindow.h"
#include "platform/CreationLog.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "widgets/TVrRunOnce.h"
#include "widgets/TVrTimer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QToolButton>
#include <algorithm>

using calvoran::TVrRunOnce;
using calvoran::TVrTimer;

namespace {
constexpr int kDesignWidth = 278;
constexpr int kDesignHeight = 94;
constexpr int kLevelMax = 128;

QProgressBar *standInBar(QWidget *parent, const QRect &geometry, int maximum, const QString &hint) {
    auto *bar = new QProgressBar(parent);
    bar->setGeometry(geometry);
    bar->setRange(0, maximum);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setToolTip(hint);
    return bar;
}
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

    // Stand-ins for the display panel's widgets, at their design places (panel at 40,0).
    level1_ = standInBar(this, QRect(46, 6, 83, 9), kLevelMax, QStringLiteral("Left Level"));
    level2_ = standInBar(this, QRect(128, 6, 83, 9), kLevelMax, QStringLiteral("Right Level"));
    level2_->setInvertedAppearance(true);
    label1_ = new QLabel(QStringLiteral("0:0"), this);
    label1_->setGeometry(48, 28, 40, 12);
    label1_->setToolTip(QStringLiteral("Time Played"));
    label1_->setStyleSheet(QStringLiteral("color: #00C000;"));
    trackBar_ = standInBar(this, QRect(48, 40, 162, 12), 100, QStringLiteral("Position"));
    plButton_ = new QToolButton(this);
    plButton_->setGeometry(30, 72, 25, 18);
    plButton_->setText(QStringLiteral("PL"));
    plButton_->setToolTip(QStringLiteral("Show/Hide Playlist"));
    connect(plButton_, &QToolButton::clicked, this, [this] { PlButtonClick(); });
}

void TForm1::PlButtonClick() {
    if (Form2) Form2->setVisible(!Form2->isVisible());
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    runOnce_->check();
}

QString TForm1::commandLineFile(const QString &commandLine, const QString &exePath) {
    const qsizetype l = exePath.length();
    if (commandLine.length() > l + 3) return commandLine.mid(l + 4, commandLine.length() - l - 5);
    return {};
}

QString TForm1::GetCMDLineFile(const QString &commandLine) {
    setLevels(0, 0);
    return commandLineFile(commandLine, QCoreApplication::applicationFilePath());
}

void TForm1::setLevels(int left, int right) {
    level1_->setValue(std::clamp(left, 0, kLevelMax));
    level2_->setValue(std::clamp(right, 0, kLevelMax));
}

void TForm1::setTimeText(const QString &text) {
    label1_->setText(text);
}

void TForm1::setPositionMax(int seconds) {
    trackBar_->setMaximum(std::max(0, seconds));
}

void TForm1::setPosition(int seconds) {
    trackBar_->setValue(std::clamp(seconds, 0, trackBar_->maximum()));
}

void TForm1::popupMainMenu(const QPoint &) {
    // The pop-up menu arrives with the main window's menus.
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
    BASS_SetVolume(static_cast<DWORD>(volume_));
    calvoran::SettingsKey::writeInteger(QStringLiteral("Volume"), volume_);
    setLedText(QStringLiteral("Volume: ") + QString::number(volume_));
}

void TForm1::ApplySkin(const QString &skinName) {
    skinName_ = skinName;
    resize(kDesignWidth, kDesignHeight);
}

void TForm1::Exit1Click() {
    BASS_StreamFree(Form2 ? Form2->CurrentChannel : 0);
    BASS_Free();
    if (Form2) Form2->Timer1()->setEnabled(false);
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
    close();
}

void TForm1::FormClose() {
    if (closed_) return;
    closed_ = true;
    BASS_Free();
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
    if (Form2) {
        Form2->Timer1()->setEnabled(false);
        // Folder paths end in a separator already.
        Form2->WritePlaylistFile(calvoran::programFolder() + QStringLiteral("playlist.m3u"));
    }
    QCoreApplication::processEvents();
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
