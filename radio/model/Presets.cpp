#include "Presets.h"

#include "IniText.h"
#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace calvoran {
namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string section(int index) {
    return "Preset " + std::to_string(index);
}

int toInt(long long value) {
    return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<int>(value);
}

bool readFile(const std::string &path, std::string &text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

bool isBlank(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

bool sameUrl(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

void TRadioPreset::SetBitRate(const std::string &text) {
    long long value = 0;
    BitRate_ = parseInteger(text, value) ? toInt(value) : 0;
}

const std::string &TRadioPreset::DisplayName() const {
    return isBlank(Name_) ? URL_ : Name_;
}

std::string TRadioPreset::BitRateText() const {
    return std::to_string(BitRate_) + " kbps";
}

TRadioPreset *TPresets::Find(const std::string &url) const {
    for (const auto &p : items_)
        if (sameUrl(p->URL(), url)) return p.get();
    return nullptr;
}

TRadioPreset *TPresets::Add(const std::string &url) {
    if (Find(url)) return nullptr;
    items_.push_back(std::make_unique<TRadioPreset>(url));
    return items_.back().get();
}

void TPresets::Delete(const TRadioPreset *preset) {
    const auto it =
        std::find_if(items_.begin(), items_.end(), [&](const auto &p) { return p.get() == preset; });
    if (it != items_.end()) items_.erase(it);
}

bool TPresets::Contains(const TRadioPreset *preset) const {
    return preset &&
           std::any_of(items_.begin(), items_.end(), [&](const auto &p) { return p.get() == preset; });
}

void TPresets::LoadFromFile(const std::string &path) {
    std::string text;
    if (!readFile(path, text)) text.clear();
    LoadFromText(text);
}

void TPresets::LoadFromText(const std::string &text) {
    Clear();
    const IniText ini(text);
    const long long count = ini.readInteger("General", "Count", 0);
    if (count < 1) return;
    // Only sections that exist can add presets, so a huge Count costs nothing.
    for (long long i = 0; i < count && i < 1000000; ++i) {
        const std::string name = section(static_cast<int>(i));
        if (!ini.hasSection(name)) continue;
        // A second section for an address already held adds nothing; the first one's fields stay.
        TRadioPreset *preset = Add(ini.read(name, "URL"));
        if (!preset) continue;
        preset->SetName(ini.read(name, "Name"));
        preset->SetGenre(ini.read(name, "Genre"));
        preset->SetBitRate(ini.read(name, "BitRate"));
        preset->SetMetaint(toInt(ini.readInteger(name, "Metaint", 0)));
        if (isBlank(preset->URL())) Delete(preset);
    }
}

std::string TPresets::SaveToText(const std::string &existing) const {
    IniText ini(existing);
    ini.write("General", "Count", std::to_string(items_.size()));
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TRadioPreset &p = *items_[i];
        const std::string name = section(static_cast<int>(i));
        ini.write(name, "URL", p.URL());
        ini.write(name, "Name", p.DisplayName());
        ini.write(name, "Genre", p.Genre());
        ini.write(name, "BitRate", std::to_string(p.BitRate()));
        ini.write(name, "Metaint", std::to_string(p.Metaint()));
    }
    return ini.text();
}

void TPresets::SaveToFile(const std::string &path) const {
    std::string existing;
    readFile(path, existing);
    const std::string text = SaveToText(existing);
    // Replaced whole or not at all, so a full disk or a crash never leaves half a station list.
    const bool ok = AtomicFile::writeWhole(QString::fromStdString(path),
                                           QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    if (!ok) throw PresetWriteError("Unable to write to " + path);
}

std::vector<TRadioPreset *> TPresets::ListOrder() const {
    std::vector<TRadioPreset *> rows;
    for (const auto &p : items_)
        rows.push_back(p.get());
    std::stable_sort(rows.begin(), rows.end(), [](const TRadioPreset *a, const TRadioPreset *b) {
        const std::string &x = a->DisplayName();
        const std::string &y = b->DisplayName();
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                            [](char l, char r) { return upper(l) < upper(r); });
    });
    return rows;
}

} // namespace calvoran
