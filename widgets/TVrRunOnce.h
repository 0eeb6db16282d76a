#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QWidget;

namespace calvoran {

// Keeps a second copy of the player from running. The "named mutex" is an exclusive lock on a file
// named after the application title (the kernel drops it when a copy dies, so nothing stale is left);
// the first copy also listens on a local socket of that name for the second copy's restore request.
class TVrRunOnce : public QObject {
    Q_OBJECT
public:
    // owner: the window to restore when a later copy starts.
    explicit TVrRunOnce(QWidget *owner);
    ~TVrRunOnce() override;

    bool RestorePrevInst = true;
    bool Terminate = true;
    bool ShowMessage = false;
    QString MessageText;
    std::function<void()> OnExists;

    // Run when the owner has loaded. True when another copy exists (this copy is then told to end).
    bool check();
    // Name of the guard; the application title unless set (tests use their own).
    void setName(const QString &name) { name_ = name; }
    QString name() const;
    // Set once check() found another copy and asked this one to end.
    bool terminationRequested() const { return terminationRequested_; }

    // What the first copy does with a restore request; by default it restores or raises the owner.
    std::function<void()> OnRestoreRequest;

private:
    void restoreOwner();
    QString lockPath() const;
    bool askOtherToRestore() const;

    QWidget *owner_;
    QString name_;
    int lockFd_ = -1;
    bool created_ = false;
    bool terminationRequested_ = false;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace calvoran
