#include "BrowserWindow.h"

#include "platform/CreationLog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <functional>

const QUrl Tbrowser1::kHomePage(QStringLiteral("https://calvoran.example.org/"));
const QUrl Tbrowser1::kSkinHelpPage(QStringLiteral("https://calvoran.example.org/help/creating-skins.html"));
const QUrl Tbrowser1::kSponsorPage(QStringLiteral("https://partners.example.com/signup"));

namespace {
std::function<bool(const QUrl &)> &opener() {
    static std::function<bool(const QUrl &)> f = [](const QUrl &u) { return QDesktopServices::openUrl(u); };
    return f;
}
constexpr int kMargin = 5;
} // namespace

void Tbrowser1::setUrlOpener(std::function<bool(const QUrl &)> f) {
    opener() = f ? std::move(f) : [](const QUrl &u) { return QDesktopServices::openUrl(u); };
}

Tbrowser1::Tbrowser1(QWidget *parent) : QWidget(parent, Qt::Tool) {
    calvoran::noteCreated("Tbrowser1");
    setWindowTitle(QStringLiteral("Calvoran Browser"));
    resize(420, 90);
    address_ = new QLabel(this);
    address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    address_->setWordWrap(true);
    open_ = new QPushButton(QStringLiteral("Open in browser"), this);
    connect(open_, &QPushButton::clicked, this, [this] {
        opened_ = false;
        openExternally();
    });
    // A new window starts on the home page; nothing leaves the program until it is shown.
    url_ = kHomePage;
    address_->setText(url_.toString());
}

void Tbrowser1::Navigate(const QUrl &url) {
    url_ = url;
    opened_ = false;
    address_->setText(url_.toString());
    if (isVisible()) openExternally();
}

void Tbrowser1::openExternally() {
    if (opened_ || !url_.isValid()) return;
    opened_ = opener()(url_);
}

void Tbrowser1::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    openExternally();
}

void Tbrowser1::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The view fills the window less 5 pixels each way.
    const int w = width() - 2 * kMargin;
    address_->setGeometry(kMargin, kMargin, w, height() - 2 * kMargin - 30);
    open_->setGeometry(width() - kMargin - 120, height() - kMargin - 26, 120, 26);
}
