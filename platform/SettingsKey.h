#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace calvoran {

// Raised when a value that must exist is missing: "Failed to get data for 'Name'".
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The player's settings key. On Linux it is the INI file Calvoran.ini in the program folder, section
// [Calvoran]. Like the registry key it stands for, it is opened (created when missing)
// and closed around every access; nothing is held between accesses. Changes reach the file at close,
// whole or not at all: a failed write (a full disk) keeps the previous file and is reported.
class SettingsKey {
public:
    static constexpr const char *kSection = "Calvoran";

    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey &) = delete;
    SettingsKey &operator=(const SettingsKey &) = delete;

    // Opens the player's key, creating it when asked. False when the store cannot be opened.
    bool OpenKey(bool canCreate = true);
    // Writes the changes, if any. False when they could not be written; the file is then as before.
    bool CloseKey();
    bool isOpen() const { return open_; }

    bool ValueExists(const QString &name) const;
    // Missing text reads as empty text.
    QString ReadString(const QString &name) const;
    // Missing or non-integer values raise SettingsError.
    int ReadInteger(const QString &name) const;
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);

    // One-shot helpers that open, access and close, as every caller in the player does. The writers
    // are false when the value did not reach the file.
    static QString readString(const QString &name);
    static int readInteger(const QString &name, int fallback);
    static bool writeString(const QString &name, const QString &value);
    static bool writeInteger(const QString &name, int value);

    // The file behind the key (for tests and the README).
    static QString storePath();
    // How many keys are open right now in this process; every access must bring it back to 0.
    static int openCount();

    // Why the last write of the file failed (empty after a success), for the message a caller shows.
    static QString lastWriteError();
    // Called with the file and the reason whenever a write fails (the program tells the user).
    static void
    setWriteFailureHandler(std::function<void(const QString &path, const QString &reason)> handler);

private:
    const QVariant *find(const QString &name) const;
    void set(const QString &name, const QVariant &value);

    bool open_ = false;
    bool dirty_ = false;
    // Every value of the file as "Section/Name", in file order; the file as read; names written since.
    std::vector<std::pair<QString, QVariant>> values_;
    QByteArray raw_;
    QStringList changed_;
};

} // namespace calvoran
