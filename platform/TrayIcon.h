#pragma once
#include <QObject>
#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWidget;

namespace calvoran {

// The notification-area icon. Its clicks reach the owner as the mouse message numbers the
// handler expects (a right button press is 516; a left press 513, a left double click 515).
class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kCallbackMessage = 1024; // WM_USER
    static constexpr int kRightButtonDown = 516;
    static constexpr int kLeftButtonDown = 513;
    static constexpr int kLeftButtonDoubleClick = 515;

    static TrayIcon &instance();

    // Adds the icon with the tip "Calvoran Player"; mouse messages go to handler. Adding twice
    // keeps one icon.
    void add(std::function<void(int mouseMessage)> handler);
    // Harmless when the icon was never added.
    void remove();
    bool isAdded() const;

    // What the desktop reports, as a mouse message (tests feed it directly).
    void deliver(int mouseMessage);

    ~TrayIcon() override;

private:
    TrayIcon();
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<void(int)> handler_;
};

} // namespace calvoran
