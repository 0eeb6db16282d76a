#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace calvoran {

// Skins.ini: one section per skin, integer keys. Read the way ini files are read on the player's
// home platform: sections and keys match without regard to case, the first occurrence wins, and a
// missing file is an empty description.
class SkinDescription {
public:
    static SkinDescription fromFile(const QString &path);
    // The bytes are Windows-1252 text.
    static SkinDescription parse(const QByteArray &bytes);

    // Section names in file order, each once, as first spelled.
    QStringList sections() const;
    bool hasSection(const QString &section) const;
    // Missing keys and values that are no integer give the fallback. "0x" starts a hex value.
    int readInteger(const QString &section, const QString &key, int fallback = 0) const;
    QString readString(const QString &section, const QString &key, const QString &fallback = {}) const;

private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> values;
    };
    const Section *find(const QString &section) const;

    std::vector<Section> sections_;
};

} // namespace calvoran
