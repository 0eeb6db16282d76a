#include "SkinDescription.h"

#include "platform/Text.h"

#include <QFile>
#include <algorithm>

namespace calvoran {

namespace {

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquote(const QString &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool parseInteger(const QString &text, int &out) {
    bool ok = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Hex values wrap to 32 bits, so 0xFFFFFFFF reads as -1.
        const uint value = text.mid(2).toUInt(&ok, 16);
        out = static_cast<int>(value);
        return ok;
    }
    out = text.toInt(&ok, 10);
    return ok;
}

} // namespace

SkinDescription SkinDescription::fromFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return parse(file.readAll());
}

SkinDescription SkinDescription::parse(const QByteArray &bytes) {
    SkinDescription description;
    Section *current = nullptr;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    data.replace("\r\n", "\n");
    data.replace('\r', '\n');
    for (const QByteArray &rawLine : data.split('\n')) {
        const QString line = fromAnsi(rawLine.toStdString()).trimmed();
        if (line.isEmpty() || line.startsWith(';')) continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            auto &all = description.sections_;
            auto found = std::find_if(all.begin(), all.end(),
                                      [&](const Section &s) { return sameName(s.name, name); });
            current = found != all.end() ? &*found : &all.emplace_back(Section{name, {}});
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!current || equals <= 0) continue;
        current->values.emplace_back(line.left(equals).trimmed(), unquote(line.mid(equals + 1).trimmed()));
    }
    return description;
}

const SkinDescription::Section *SkinDescription::find(const QString &section) const {
    for (const Section &s : sections_)
        if (sameName(s.name, section)) return &s;
    return nullptr;
}

QStringList SkinDescription::sections() const {
    QStringList names;
    for (const Section &s : sections_)
        names << s.name;
    return names;
}

bool SkinDescription::hasSection(const QString &section) const {
    return find(section) != nullptr;
}

QString SkinDescription::readString(const QString &section, const QString &key,
                                    const QString &fallback) const {
    if (const Section *s = find(section))
        for (const auto &[name, value] : s->values)
            if (sameName(name, key)) return value;
    return fallback;
}

int SkinDescription::readInteger(const QString &section, const QString &key, int fallback) const {
    const QString text = readString(section, key);
    int value = 0;
    return parseInteger(text, value) ? value : fallback;
}

} // namespace calvoran
