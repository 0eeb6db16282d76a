#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Tsvis;

namespace calvoran {

// The one plug-ins window, made by "Start" and gone after "Stop", the main window's close, or the
// user closing it. Empty while no window exists.
class PluginWindowHost : public QObject {
    Q_OBJECT
public:
    PluginWindowHost(std::function<QString()> chosenPlugin, QString settingsFile);
    ~PluginWindowHost() override;

    // Opens the window running the plug-in at `path`; false (window gone, user told) when it cannot.
    bool start(const QString &path);
    // Ends the plug-in and destroys the window; nothing when there is none.
    void stop();
    Tsvis *window() const { return window_.get(); }

    // The window went away without "Stop" (closed by the user).
    std::function<void()> onClosed;

private:
    std::function<QString()> chosenPlugin_;
    QString settingsFile_;
    std::unique_ptr<Tsvis> window_;
};

} // namespace calvoran
