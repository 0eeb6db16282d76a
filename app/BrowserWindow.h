#pragma once
#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;

// The web browser window: a small sizeable tool window that names the page and hands it to the
// desktop's browser when shown or told to open an address.
class Tbrowser1 : public QWidget {
    Q_OBJECT
public:
    static const QUrl kHomePage;
    static const QUrl kSkinHelpPage;
    static const QUrl kSponsorPage;

    explicit Tbrowser1(QWidget *parent = nullptr);

    void Navigate(const QUrl &url);
    QUrl currentUrl() const { return url_; }
    // How many addresses were handed to the desktop (tests replace the opener).
    static void setUrlOpener(std::function<bool(const QUrl &)> opener);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void openExternally();

    QUrl url_;
    bool opened_ = false;
    QLabel *address_;
    QPushButton *open_;
};
