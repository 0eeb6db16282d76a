#include "SettingsKey.h"

#include "AtomicFile.h"
#include "Paths.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <algorithm>
#include <atomic>

namespace calvoran {

namespace {
std::atomic<int> g_open{0};
QMutex g_errorLock;
QString g_lastWriteError;
std::function<void(const QString &, const QString &)> g_failureHandler;

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

// The file with the changed values of our section put in: every other line stays exactly as it was,
// so values of types or sections this code knows nothing of survive untouched.
QByteArray withChanges(const QByteArray &raw, const std::vector<std::pair<QString, QString>> &changes) {
    const QByteArray header = QByteArray("[") + SettingsKey::kSection + ']';
    QList<QByteArray> lines = raw.split('\n');
    if (!raw.isEmpty() && raw.endsWith('\n')) lines.removeLast();
    const auto clean = [](const QByteArray &line) { return line.endsWith('\r') ? line.chopped(1) : line; };
    QList<QByteArray> out;
    qsizetype insertAt = -1; // after the last value line of the first section of ours
    bool inSection = false;
    bool firstSection = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = clean(lines[i]).trimmed();
        if (t.startsWith('[')) {
            if (inSection) firstSection = false;
            inSection = t == header;
            if (inSection && firstSection && insertAt < 0) insertAt = out.size() + 1;
            out << lines[i];
            continue;
        }
        if (inSection) {
            const qsizetype eq = t.indexOf('=');
            const QString key = QString::fromUtf8(eq < 0 ? t : t.left(eq).trimmed());
            const bool replaced = std::any_of(changes.begin(), changes.end(),
                                              [&](const auto &change) { return change.first == key; });
            if (replaced) {
                // A value continued on the next lines goes with its key.
                while (clean(lines[i]).endsWith('\\') && i + 1 < lines.size())
                    ++i;
                continue;
            }
            out << lines[i];
            if (firstSection && !t.isEmpty()) insertAt = out.size();
            continue;
        }
        out << lines[i];
    }
    QList<QByteArray> added;
    for (const auto &[name, value] : changes)
        added << (name + '=' + value).toUtf8();
    if (insertAt < 0) {
        if (!out.isEmpty() && !clean(out.last()).trimmed().isEmpty()) out << QByteArray();
        out << header;
        out << added;
    } else {
        for (qsizetype k = 0; k < added.size(); ++k)
            out.insert(insertAt + k, added[k]);
    }
    return out.join('\n') + '\n';
}

// What the text of a string value reads back as: control characters other than line breaks and
// tabs are written as blanks.
QString storedForm(const QVariant &value) {
    if (value.typeId() != QMetaType::QString) return value.toString();
    QString text = value.toString();
    for (QChar &c : text)
        if (c < QChar(' ') && c != '\n' && c != '\r' && c != '\t') c = ' ';
    return text;
}

// Whether `text`, read as the settings file, gives the changed values back.
bool readsBack(const QByteArray &text, const std::vector<std::pair<QString, QVariant>> &values,
               const QStringList &changed) {
    QTemporaryFile copy;
    if (!copy.open() || copy.write(text) != text.size() || !copy.flush()) return false;
    const QSettings reader(copy.fileName(), QSettings::IniFormat);
    for (const auto &[key, value] : values)
        if (changed.contains(key.section('/', 1)) &&
            key.startsWith(QString::fromLatin1(SettingsKey::kSection) + '/') &&
            reader.value(key).toString() != storedForm(value))
            return false;
    return reader.status() == QSettings::NoError;
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
    return keptFileForWriting(QStringLiteral("Calvoran.ini"));
}

void SettingsKey::setWriteFailureHandler(std::function<void(const QString &, const QString &)> handler) {
    QMutexLocker lock(&g_errorLock);
    g_failureHandler = std::move(handler);
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
    const QString path = keptFileForReading(QStringLiteral("Calvoran.ini"));
    if (!canCreate && !QFileInfo::exists(path)) return false;
    QFile file(path);
    if (file.exists() && !file.open(QIODevice::ReadOnly)) return false;
    const QByteArray raw = file.isOpen() ? file.readAll() : QByteArray();
    // QSettings only parses, from a private copy: its cache would not notice a file replaced within
    // the same millisecond at the same size, and its own save cannot be trusted to report a full disk.
    QTemporaryFile copy;
    if (!copy.open() || copy.write(raw) != raw.size() || !copy.flush()) return false;
    const QSettings reader(copy.fileName(), QSettings::IniFormat);
    if (reader.status() != QSettings::NoError) return false;
    raw_ = raw;
    values_.clear();
    changed_.clear();
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
    std::vector<std::pair<QString, QString>> changes;
    for (const QString &name : changed_)
        changes.emplace_back(name, iniValue(*find(name)));
    QByteArray text = withChanges(raw_, changes);
    if (!readsBack(text, values_, changed_)) {
        // A damaged file hides part of itself from the reader (an odd line can swallow the rest):
        // write what could be read of ours afresh rather than values that would be lost.
        std::vector<std::pair<QString, QString>> all;
        const QString prefix = QString::fromLatin1(kSection) + '/';
        for (const auto &[key, value] : values_)
            if (key.startsWith(prefix) && !key.mid(prefix.size()).contains('/'))
                all.emplace_back(key.mid(prefix.size()), iniValue(value));
        text = withChanges({}, all);
    }
    const bool written = AtomicFile::writeWhole(storePath(), text, &error);
    noteWriteError(written ? QString() : storePath() + QStringLiteral(": ") + error);
    if (!written) {
        qWarning("Settings not saved: %s", qPrintable(lastWriteError()));
        std::function<void(const QString &, const QString &)> handler;
        {
            QMutexLocker lock(&g_errorLock);
            handler = g_failureHandler;
        }
        if (handler) handler(storePath(), error);
    }
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
    if (!changed_.contains(name)) changed_ << name;
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
