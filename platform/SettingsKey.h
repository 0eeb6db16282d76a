#pragma once
#include <QString>
#include <memory>
#include <stdexcept>

class QSettings;

namespace calvoran {

// Raised when a value that must exist is missing: "Failed to get data for 'Name'".
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The player's settings key. On Linux it is the INI file Calvoran.ini in the program folder, section
// [Calvoran]. Like the registry key it stands for, it is opened (created when missing)
// and closed around every access; nothing is held between accesses.
class SettingsKey {
public:
    static constexpr const char *kSection = "Calvoran";

    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey &) = delete;
    SettingsKey &operator=(const SettingsKey &) = delete;

    // Opens the player's key, creating it when asked. False when the store cannot be opened.
    bool OpenKey(bool canCreate = true);
    void CloseKey();
    bool isOpen() const { return settings_ != nullptr; }

    bool ValueExists(const QString &name) const;
    // Missing text reads as empty text.
    QString ReadString(const QString &name) const;
    // Missing or non-integer values raise SettingsError.
    int ReadInteger(const QString &name) const;
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);

    // One-shot helpers that open, access and close, as every caller in the player does.
    static QString readString(const QString &name);
    static int readInteger(const QString &name, int fallback);
    static bool writeString(const QString &name, const QString &value);
    static bool writeInteger(const QString &name, int value);

    // The file behind the key (for tests and the README).
    static QString storePath();
    // How many keys are open right now in this process; every access must bring it back to 0.
    static int openCount();

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace calvoran
