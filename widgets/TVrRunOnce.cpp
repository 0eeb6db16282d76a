#include "TVrRunOnce.h"

#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvoran {

namespace {
constexpr int kConnectTimeoutMs = 1000;
const char kRestoreRequest[] = "restore\n";

// Ours alone: a real folder (not a link), owned by this user, closed to everyone else.
bool isPrivateFolder(const QByteArray &path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// Makes `path` (mode 0700) unless it exists; true when it is then a private folder of ours.
bool privateFolderAt(const QString &path) {
    const QByteArray bytes = QFile::encodeName(path);
    ::mkdir(bytes.constData(), 0700);
    return isPrivateFolder(bytes);
}

bool ownedBy(const QByteArray &path, bool socket) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && st.st_uid == ::geteuid() &&
           (socket ? S_ISSOCK(st.st_mode) : S_ISREG(st.st_mode));
}
} // namespace

bool TVrRunOnce::isRestoreRequest(const QByteArray &message) {
    return message == QByteArray(kRestoreRequest);
}

QString TVrRunOnce::runtimeFolder() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivateFolder(QFile::encodeName(xdg))) return xdg;
    // A shared temporary folder is used only through a folder of our own in it; one planted there by
    // someone else is passed over for one in the home folder.
    const QString uid = QString::number(::geteuid());
    const QString inTemp = QDir::tempPath() + QStringLiteral("/calvoran-") + uid;
    if (privateFolderAt(inTemp)) return inTemp;
    const QString cache = QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cache);
    const QString inHome = cache + QStringLiteral("/calvoran-run-") + uid;
    if (privateFolderAt(inHome)) return inHome;
    return {};
}

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
    // The title may hold blanks, which the file system takes.
    return folder_ + '/' + name() + QStringLiteral(".lock");
}

QString TVrRunOnce::socketPath() const {
    return folder_ + '/' + name() + QStringLiteral(".sock");
}

bool TVrRunOnce::askOtherToRestore() const {
    // Only a socket of this user is spoken to.
    if (!ownedBy(QFile::encodeName(socketPath()), true)) return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath());
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
    folder_ = runtimeFolder();
    if (!folder_.isEmpty()) {
        const QByteArray path = QFile::encodeName(lockPath());
        lockFd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        struct stat st {};
        if (lockFd_ >= 0 && ::fstat(lockFd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0)
            exists = false;
    }

    if (!exists) {
        const QString serverName = socketPath();
        QLocalServer::removeServer(serverName); // left by a copy that died; we hold the lock
        server_ = std::make_unique<QLocalServer>();
        connect(server_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *client = server_->nextPendingConnection()) {
                connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QLocalSocket::readyRead, this, [this, client] {
                    // A request is one short line; anything else is dropped with its connection.
                    constexpr qint64 kLongest = 64;
                    if (!client->canReadLine()) {
                        if (client->bytesAvailable() > kLongest) client->abort();
                        return;
                    }
                    if (!isRestoreRequest(client->readLine(kLongest))) {
                        client->abort();
                        return;
                    }
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
