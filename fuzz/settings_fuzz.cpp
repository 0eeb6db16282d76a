// Calvoran.ini as anyone may have edited it: read every value, write a skin name made of the same
// bytes, and the file must give back exactly that name and every other value as before.
#include "platform/SettingsKey.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir home;
    qputenv("CALVORAN_HOME", QFile::encodeName(home.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    {
        QFile file(calvoran::SettingsKey::storePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::abort();
    }
    calvoran::SettingsKey key;
    if (!key.OpenKey()) return 0; // not an INI file QSettings accepts
    const bool hadVolume = key.ValueExists("Volume");
    const QString volume = key.ReadString("Volume");
    const QString name = QString::fromUtf8(bytes.left(64));
    key.WriteString("SkinName", name);
    if (!key.CloseKey()) std::abort();

    calvoran::SettingsKey again;
    if (!again.OpenKey()) std::abort(); // what we wrote must read back
    // Control characters other than line breaks and tabs are written as blanks.
    const auto stored = [](QString text) {
        for (QChar &c : text)
            if (c < QChar(' ') && c != '\n' && c != '\r' && c != '\t') c = ' ';
        return text;
    };
    if (again.ReadString("SkinName") != stored(name)) std::abort();
    // Other plain values stay (a damaged file is written afresh from what could be read of it, and
    // values of other types may then come back as their text).
    const bool plain = !volume.startsWith('@') && !volume.contains('"') && stored(volume) == volume;
    // (A damaged line of ours that hid the rest of the file may be gone, so more can show than before.)
    if (hadVolume && (!again.ValueExists("Volume") || (plain && again.ReadString("Volume") != volume)))
        std::abort();
    return 0;
}
