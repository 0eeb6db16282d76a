#include "SettingsKey.h"

#include "AtomicFile.h"
#include "Paths.h"

#include <QDebug>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>
#include <QStringList>
#include <atomic>

namespace calvoran {

namespace {
std::atomic<int> g_open{0};
QMutex g_errorLock;
QString g_lastWriteError;

QString qualified(const QString &name) {
    return QString::fromLatin1(SettingsKey::kSection) + '/' + name;
}

// Text the INI reader gives back unchanged: plain when nothing in it has a meaning there, otherwise
// quoted with backslash escapes.
QString iniText(const QString &text) {
    bool plain = !text.startsWith(' ') && !text.endsWith(' ') && !text.startsWith('@');
    for (const QChar c : text)
        if (c < QChar(' ') || QStringLiteral("\\\",;=").contains(c)) plain = false;
    if (plain) return text;
    QString out = QStringLiteral("\"");
    if (text.startsWith('@')) out += '@';
    for (const QChar c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c == '\t')
            out += QStringLiteral("\\t");
        else
            out += c < QChar(' ') ? QChar(' ') : c;
    }
    return out + '"';
}

QString iniValue(const QVariant &value) {
    if (value.typeId() == QMetaType::QStringList) {
        QStringList parts;
        for (const QString &part : value.toStringList())
            parts << iniText(part);
        return parts.join(QStringLiteral(", "));
    }
    if (value.typeId() == QMetaType::QString) return iniText(value.toString());
    return value.toString();
}

// Section and key names the way the INI reader decodes them: a '/' inside a name becomes '\\', other
// characters beyond letters, digits, '_', '-' and '.' are written as %XX or %UXXXX.
QString iniName(const QString &name) {
    QString out;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u == '/')
            out += '\\';
        else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
                 u == '-' || u == '.')
            out += c;
        else if (u <= 0xFF)
            out += QStringLiteral("%%1").arg(static_cast<int>(u), 2, 16, QChar('0')).toUpper();
        else
            out += QStringLiteral("%U%1").arg(static_cast<int>(u), 4, 16, QChar('0')).toUpper();
    }
    return out;
}

QByteArray compose(const std::vector<std::pair<QString, QVariant>> &values) {
    // Keys outside any section sit under [General]; a real section of that name is written escaped.
    const auto sectionOf = [](const QString &key) {
        return key.contains('/') ? key.section('/', 0, 0) : QString();
    };
    QStringList sections;
    for (const auto &[key, value] : values)
        if (!sections.contains(sectionOf(key))) sections << sectionOf(key);
    QString text;
    for (const QString &section : sections) {
        if (!text.isEmpty()) text += '\n';
        if (section.isNull())
            text += QStringLiteral("[General]\n");
        else if (section.compare(QStringLiteral("General"), Qt::CaseInsensitive) == 0)
            text += QStringLiteral("[%") + section + QStringLiteral("]\n");
        else
            text += '[' + iniName(section) + "]\n";
        for (const auto &[key, value] : values) {
            if (sectionOf(key) != section) continue;
            text += iniName(section.isNull() ? key : key.section('/', 1)) + '=' + iniValue(value) + '\n';
        }
    }
    return text.toUtf8();
}

void noteWriteError(const QString &error) {
    QMutexLocker lock(&g_errorLock);
    g_lastWriteError = error;
}

} // namespace

SettingsKey::SettingsKey() = default;

SettingsKey::~SettingsKey() {
    CloseKey();
}

QString SettingsKey::storePath() {
    return programFolder() + QStringLiteral("Calvoran.ini");
}

int SettingsKey::openCount() {
    return g_open.load();
}

QString SettingsKey::lastWriteError() {
    QMutexLocker lock(&g_errorLock);
    return g_lastWriteError;
}

bool SettingsKey::OpenKey(bool canCreate) {
    CloseKey();
    const QString path = storePath();
    if (!canCreate && !QFileInfo::exists(path)) return false;
    // Only read here; QSettings never writes the file, since its own save cannot be trusted to report
    // a full disk.
    const QSettings reader(path, QSettings::IniFormat);
    if (reader.status() != QSettings::NoError) return false;
    values_.clear();
    for (const QString &key : reader.allKeys())
        values_.emplace_back(key, reader.value(key));
    dirty_ = false;
    open_ = true;
    ++g_open;
    return true;
}

bool SettingsKey::CloseKey() {
    if (!open_) return true;
    open_ = false;
    --g_open;
    if (!dirty_) return true;
    dirty_ = false;
    QString error;
    const bool written = AtomicFile::writeWhole(storePath(), compose(values_), &error);
    noteWriteError(written ? QString() : storePath() + QStringLiteral(": ") + error);
    if (!written) qWarning("Settings not saved: %s", qPrintable(lastWriteError()));
    return written;
}

const QVariant *SettingsKey::find(const QString &name) const {
    const QString key = qualified(name);
    for (const auto &[k, v] : values_)
        if (k == key) return &v;
    return nullptr;
}

void SettingsKey::set(const QString &name, const QVariant &value) {
    if (!open_) return;
    dirty_ = true;
    const QString key = qualified(name);
    for (auto &[k, v] : values_)
        if (k == key) {
            v = value;
            return;
        }
    values_.emplace_back(key, value);
}

bool SettingsKey::ValueExists(const QString &name) const {
    return open_ && find(name) != nullptr;
}

QString SettingsKey::ReadString(const QString &name) const {
    const QVariant *v = open_ ? find(name) : nullptr;
    return v ? v->toString() : QString();
}

int SettingsKey::ReadInteger(const QString &name) const {
    bool ok = false;
    int v = 0;
    if (const QVariant *value = open_ ? find(name) : nullptr) v = value->toInt(&ok);
    if (!ok) throw SettingsError("Failed to get data for '" + name.toStdString() + "'");
    return v;
}

void SettingsKey::WriteString(const QString &name, const QString &value) {
    set(name, value);
}

void SettingsKey::WriteInteger(const QString &name, int value) {
    set(name, value);
}

QString SettingsKey::readString(const QString &name) {
    SettingsKey key;
    if (!key.OpenKey()) return {};
    return key.ReadString(name);
}

int SettingsKey::readInteger(const QString &name, int fallback) {
    SettingsKey key;
    if (!key.OpenKey()) return fallback;
    try {
        return key.ReadInteger(name);
    } catch (const SettingsError &) {
        return fallback;
    }
}

bool SettingsKey::writeString(const QString &name, const QString &value) {
    SettingsKey key;
    if (!key.OpenKey()) return false;
    key.WriteString(name, value);
    return key.CloseKey();
}

bool SettingsKey::writeInteger(const QString &name, int value) {
    SettingsKey key;
    if (!key.OpenKey()) return false;
    key.WriteInteger(name, value);
    return key.CloseKey();
}

} // namespace calvoran
