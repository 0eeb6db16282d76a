#include "TrayIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace calvoran {

namespace {

QIcon applicationIcon() {
    QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) return icon;
    // A green LED dot: the player's own mark when no icon was set.
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x20, 0x24, 0x2c));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(0, 0, 16, 16, 3, 3);
    p.setBrush(QColor(0x7c, 0xfc, 0x00));
    p.drawEllipse(4, 4, 8, 8);
    return QIcon(pm);
}

} // namespace

TrayIcon &TrayIcon::instance() {
    static TrayIcon tray;
    return tray;
}

TrayIcon::TrayIcon() {
    // The icon must go before the application object does.
    qAddPostRoutine([] { TrayIcon::instance().remove(); });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::add(std::function<void(int)> handler) {
    handler_ = std::move(handler);
    if (!icon_) {
        icon_ = std::make_unique<QSystemTrayIcon>(applicationIcon());
        icon_->setToolTip(QStringLiteral("Calvoran Player"));
        connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            switch (r) {
            case QSystemTrayIcon::Context:
                deliver(kRightButtonDown);
                break;
            case QSystemTrayIcon::Trigger:
                deliver(kLeftButtonDown);
                break;
            case QSystemTrayIcon::DoubleClick:
                deliver(kLeftButtonDoubleClick);
                break;
            default:
                break;
            }
        });
    }
    icon_->show();
}

void TrayIcon::remove() {
    if (icon_) icon_->hide();
    icon_.reset();
}

bool TrayIcon::isAdded() const {
    return icon_ != nullptr;
}

void TrayIcon::deliver(int mouseMessage) {
    if (icon_ && handler_) handler_(mouseMessage);
}

} // namespace calvoran
