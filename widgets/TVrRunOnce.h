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
// Both live in a folder only this user can enter, so no one else can plant or answer them.
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

    // The user's private folder for the lock and the socket: $XDG_RUNTIME_DIR when it is private,
    // else a folder of mode 0700 of our own; empty when none can be had.
    static QString runtimeFolder();
    // What a later copy sends over the socket to have the first one restore its window.
    static bool isRestoreRequest(const QByteArray &message);

private:
    void restoreOwner();
    QString lockPath() const;
    QString socketPath() const;
    bool askOtherToRestore() const;

    QWidget *owner_;
    QString name_;
    QString folder_;
    int lockFd_ = -1;
    bool created_ = false;
    bool terminationRequested_ = false;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace calvoran
