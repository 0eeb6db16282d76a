#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvoran {

namespace {

// The rename must reach the disk too, or a crash soon after could bring the old name back.
void syncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

AtomicFile::AtomicFile(const QString &path) : target_(path) {
    // Writing through a link keeps the link: the file it points to is the one replaced.
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists()) target_ = info.canonicalFilePath();
}

AtomicFile::~AtomicFile() {
    cancel();
}

bool AtomicFile::fail(const char *step) {
    if (!failed_)
        error_ =
            QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
    failed_ = true;
    return false;
}

bool AtomicFile::open() {
    cancel();
    failed_ = false;
    error_.clear();
    const QFileInfo info(target_);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    tempName_ = folder + '/' + '.' + QFile::encodeName(info.fileName()) + ".XXXXXX";
    fd_ = ::mkostemp(tempName_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        tempName_.clear();
        return fail("create");
    }
    // The new file takes the old one's permissions and, where allowed, its owner.
    struct stat old {};
    if (::stat(QFile::encodeName(target_).constData(), &old) == 0) {
        ::fchmod(fd_, old.st_mode & 07777);
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // Not the owner: the file becomes ours, as a plain rewrite would not; nothing is lost.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
    return true;
}

bool AtomicFile::write(const char *data, std::size_t size) {
    if (fd_ < 0 || failed_) return false;
    while (size > 0) {
        const ssize_t put = ::write(fd_, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail("write");
        }
        if (put == 0) {
            errno = ENOSPC;
            return fail("write");
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0 || failed_) {
        cancel();
        return false;
    }
    bool done = ::fsync(fd_) == 0 || fail("flush");
    if (::close(fd_) != 0 && done) done = fail("close");
    fd_ = -1;
    if (done && ::rename(tempName_.constData(), QFile::encodeName(target_).constData()) != 0)
        done = fail("rename");
    if (!done) {
        cancel();
        return false;
    }
    tempName_.clear();
    syncFolder(QFile::encodeName(QFileInfo(target_).absolutePath()));
    return true;
}

void AtomicFile::cancel() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.isEmpty()) ::unlink(tempName_.constData());
    tempName_.clear();
}

bool AtomicFile::writeWhole(const QString &path, const QByteArray &data, QString *error) {
    AtomicFile file(path);
    const bool done = file.open() && file.write(data) && file.commit();
    if (!done && error) *error = file.errorString();
    return done;
}

} // namespace calvoran
