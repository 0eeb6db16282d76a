#pragma once
// Small folder trees for the search tests, built in a fresh temporary folder.
#include "fixtures/TestDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace calvoran::scantest {

class ScanTree {
public:
    // Creates the file (and its folders) with a few bytes in it.
    void file(const std::string &relative, const std::string &bytes = "x") {
        const auto path = dir_.path() / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void folder(const std::string &relative) { std::filesystem::create_directories(dir_.path() / relative); }
    void link(const std::string &relative, const std::string &target) {
        std::filesystem::create_directory_symlink(dir_.path() / target, dir_.path() / relative);
    }
    std::filesystem::path path(const std::string &relative = {}) const { return dir_.path() / relative; }
    // The name the search reports for a file below the root it was given.
    QString reported(const std::string &relative) const {
        return QString::fromStdString(dir_.path().string() + "/" + relative);
    }
    QString root() const { return QString::fromStdString(dir_.path().string()); }

private:
    fixtures::TestDir dir_;
};

// Runs the event loop until done() holds; a hang guard, not a timing check.
inline bool spinUntil(const std::function<bool()> &done, int guardMs = 20000) {
    QDeadlineTimer guard(guardMs);
    QTimer wake; // so the guard is looked at even when nothing arrives
    wake.start(50);
    while (!done()) {
        if (guard.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Deletions asked for outside any event are not run by processEvents alone.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace calvoran::scantest
