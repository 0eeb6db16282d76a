#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>

namespace calvoran {

// Replaces a file whole or not at all: the content goes to a temporary file beside the target, every
// write and the flush to disk are checked, and only then is it renamed over the target. Until commit()
// succeeds the old file stays untouched; a temporary left by a failure is removed.
class AtomicFile {
public:
    explicit AtomicFile(const QString &path);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file; false when the folder cannot take it.
    bool open();
    bool write(const char *data, std::size_t size);
    bool write(const QByteArray &data) {
        return write(data.constData(), static_cast<std::size_t>(data.size()));
    }
    // Flushes to disk and renames over the target; false (old file kept) when any step failed.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    // The system's reason for the first failure.
    QString errorString() const { return error_; }

    // open, write, commit in one: true when the whole of data is in place.
    static bool writeWhole(const QString &path, const QByteArray &data, QString *error = nullptr);

private:
    bool fail(const char *step);

    QString target_;
    QByteArray tempName_;
    int fd_ = -1;
    bool failed_ = false;
    QString error_;
};

} // namespace calvoran
