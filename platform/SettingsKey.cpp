#include "SettingsKey.h"

#include "Paths.h"

#include <QFileInfo>
#include <QSettings>
#include <atomic>

namespace calvoran {

namespace {
std::atomic<int> g_open{0};
}

SettingsKey::SettingsKey() = default;

SettingsKey::~SettingsKey() { CloseKey(); }

QString SettingsKey::storePath() { return programFolder() + QStringLiteral("Calvoran.ini"); }

int SettingsKey::openCount() { return g_open.load(); }

bool SettingsKey::OpenKey(bool canCreate) {
    CloseKey();
    const QString path = storePath();
    if (!canCreate && !QFileInfo::exists(path))
        return false;
    auto s = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (s->status() != QSettings::NoError)
        return false;
    s->beginGroup(QString::fromLatin1(kSection));
    settings_ = std::move(s);
    ++g_open;
    return true;
}

void SettingsKey::CloseKey() {
    if (!settings_)
        return;
    settings_->endGroup();
    settings_->sync();
    settings_.reset();
    --g_open;
}

bool SettingsKey::ValueExists(const QString &name) const { return settings_ && settings_->contains(name); }

QString SettingsKey::ReadString(const QString &name) const {
    if (!settings_)
        return {};
    return settings_->value(name).toString();
}

int SettingsKey::ReadInteger(const QString &name) const {
    bool ok = false;
    int v = 0;
    if (settings_ && settings_->contains(name))
        v = settings_->value(name).toInt(&ok);
    if (!ok)
        throw SettingsError("Failed to get data for '" + name.toStdString() + "'");
    return v;
}

void SettingsKey::WriteString(const QString &name, const QString &value) {
    if (settings_)
        settings_->setValue(name, value);
}

void SettingsKey::WriteInteger(const QString &name, int value) {
    if (settings_)
        settings_->setValue(name, value);
}

QString SettingsKey::readString(const QString &name) {
    SettingsKey key;
    if (!key.OpenKey())
        return {};
    return key.ReadString(name);
}

int SettingsKey::readInteger(const QString &name, int fallback) {
    SettingsKey key;
    if (!key.OpenKey())
        return fallback;
    try {
        return key.ReadInteger(name);
    } catch (const SettingsError &) {
        return fallback;
    }
}

bool SettingsKey::writeString(const QString &name, const QString &value) {
    SettingsKey key;
    if (!key.OpenKey())
        return false;
    key.WriteString(name, value);
    return true;
}

bool SettingsKey::writeInteger(const QString &name, int value) {
    SettingsKey key;
    if (!key.OpenKey())
        return false;
    key.WriteInteger(name, value);
    return true;
}

} // namespace calvoran
