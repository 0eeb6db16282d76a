#include "PluginWindowHost.h"

#include "visuals/visx.h"

namespace calvoran {

PluginWindowHost::PluginWindowHost(std::function<QString()> chosenPlugin, QString settingsFile)
    : chosenPlugin_(std::move(chosenPlugin)), settingsFile_(std::move(settingsFile)) {}

PluginWindowHost::~PluginWindowHost() {
    stop();
}

bool PluginWindowHost::start(const QString &path) {
    if (!window_) {
        SvisSetup setup;
        setup.chosenPlugin = chosenPlugin_;
        setup.settingsFile = settingsFile_;
        auto window = std::make_unique<Tsvis>(setup);
        // No recording: the window has said so; the player runs on without it.
        if (!window->recording()) return false;
        connect(window.get(), &Tsvis::closed, this, [this] {
            // Not from inside the window's own close event.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!window_) return;
                    stop();
                    if (onClosed) onClosed();
                },
                Qt::QueuedConnection);
        });
        window_ = std::move(window);
        window_->show();
    }
    if (!window_->startVis(path)) {
        stop();
        return false;
    }
    return true;
}

void PluginWindowHost::stop() {
    if (!window_) return;
    window_->freeVis();
    window_->hide();
    window_.reset();
}

} // namespace calvoran
