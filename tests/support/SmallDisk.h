#pragma once
// A tiny file system of its own (tmpfs) for tests of what a full disk does. Mounting needs privileges:
// where they are missing, mounted() is false and the test skips.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <sys/mount.h>

class SmallDisk {
public:
    explicit SmallDisk(const char *size = "size=256k") {
        if (!dir_.isValid()) return;
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, size) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path() + '/'; }

    // Takes every free block but `leave` bytes' worth.
    void fill(qint64 leave = 0) {
        QFile filler(path() + "filler");
        if (!filler.open(QIODevice::WriteOnly)) return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        if (leave > 0) filler.resize(std::max<qint64>(0, filler.size() - leave));
    }
    // Names in the folder besides the filler, to see that no temporary file stays behind.
    QStringList files() const {
        QStringList names = QDir(path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll("filler");
        return names;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
