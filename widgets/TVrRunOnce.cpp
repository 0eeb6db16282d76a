#include "TVrRunOnce.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace calvoran {

namespace {
constexpr int kConnectTimeoutMs = 1000;
const char kRestoreRequest[] = "restore\n";
} // namespace

TVrRunOnce::TVrRunOnce(QWidget *owner) : QObject(owner), owner_(owner) {}

TVrRunOnce::~TVrRunOnce() {
    if (server_) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString TVrRunOnce::name() const {
    if (!name_.isEmpty()) return name_;
    // Lets tests and a second, separate installation run beside a player that is already open.
    const QString override = qEnvironmentVariable("CALVORAN_INSTANCE_NAME");
    if (!override.isEmpty()) return override;
    return QCoreApplication::applicationName();
}

QString TVrRunOnce::lockPath() const {
    // Per user, like a session-wide object; the title may hold blanks, which the file system takes.
    return QDir::tempPath() + '/' + name() + '-' + QString::number(getuid()) + ".lock";
}

bool TVrRunOnce::askOtherToRestore() const {
    QLocalSocket socket;
    socket.connectToServer(name() + '-' + QString::number(getuid()));
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kRestoreRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.waitForReadyRead(kConnectTimeoutMs); // the first copy answers once it has acted
    socket.disconnectFromServer();
    return true;
}

bool TVrRunOnce::check() {
    if (created_) return terminationRequested_;
    created_ = true;

    bool exists = true;
    const QByteArray path = QFile::encodeName(lockPath());
    lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) exists = false;

    if (!exists) {
        const QString serverName = name() + '-' + QString::number(getuid());
        QLocalServer::removeServer(serverName); // left by a copy that died; we hold the lock
        server_ = std::make_unique<QLocalServer>();
        connect(server_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *client = server_->nextPendingConnection()) {
                connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QLocalSocket::readyRead, this, [this, client] {
                    if (!client->readAll().contains("restore")) return;
                    if (OnRestoreRequest)
                        OnRestoreRequest();
                    else
                        restoreOwner();
                    client->write("ok\n");
                    client->flush();
                });
            }
        });
        server_->listen(serverName);
        return false;
    }

    if (OnExists) OnExists();
    if (RestorePrevInst) askOtherToRestore();
    if (Terminate) {
        if (ShowMessage)
            messageBox(nullptr, MessageText, QCoreApplication::applicationName(), MsgIcon::Information);
        terminationRequested_ = true;
        // Takes effect when the message loop starts, as the remaining start-up steps still run.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
    return true;
}

void TVrRunOnce::restoreOwner() {
    if (!owner_) return;
    if (owner_->isMinimized()) owner_->showNormal();
    owner_->show();
    owner_->raise();
    owner_->activateWindow();
}

} // namespace calvoran
