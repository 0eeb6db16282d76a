// Radio presets: the stations a user keeps, with what each reported when it last played, and their
// store in NetRadio.ini. Plain model classes; the radio window shows them.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace calvoran {

class TRadioPreset {
public:
    explicit TRadioPreset(std::string url) : URL_(std::move(url)) {}

    int Metaint() const { return Metaint_; }
    const std::string &Genre() const { return Genre_; }
    const std::string &URL() const { return URL_; }
    const std::string &Name() const { return Name_; }
    int BitRate() const { return BitRate_; }

    void SetMetaint(int value) { Metaint_ = value; }
    void SetGenre(std::string value) { Genre_ = std::move(value); }
    void SetName(std::string value) { Name_ = std::move(value); }
    // Takes text; a value that is not a whole number is 0.
    void SetBitRate(const std::string &text);

    // Name when it is not blank, otherwise the address.
    const std::string &DisplayName() const;
    std::string BitRateText() const;

private:
    int Metaint_ = 0;
    std::string Genre_;
    std::string URL_;
    std::string Name_;
    int BitRate_ = 0;
};

// A save that the system refused; what() is the message for the user.
class PresetWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPresets {
public:
    // The new preset, or null when a preset with that address (ASCII case ignored) exists.
    TRadioPreset *Add(const std::string &url);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TRadioPreset *Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    // Frees the preset; nothing happens for one that is not in the store.
    void Delete(const TRadioPreset *preset);
    bool Contains(const TRadioPreset *preset) const;
    // The preset whose address equals `url` with ASCII letters folded, or null.
    TRadioPreset *Find(const std::string &url) const;

    // A missing or unreadable file gives an empty store.
    void LoadFromFile(const std::string &path);
    void LoadFromText(const std::string &text);
    // Throws PresetWriteError ("Unable to write to <path>") when the file cannot be written.
    void SaveToFile(const std::string &path) const;
    // The file's text after saving into `existing` (key by key; other content stays).
    std::string SaveToText(const std::string &existing) const;

    // The presets in the order the station list shows them: by caption, ASCII case ignored.
    std::vector<TRadioPreset *> ListOrder() const;

private:
    std::vector<std::unique_ptr<TRadioPreset>> items_;
};

// Blank: nothing left after removing characters 0 to 32 at both ends.
bool isBlank(const std::string &text);
// Equal after folding a-z to A-Z; every other byte compares exactly.
bool sameUrl(const std::string &a, const std::string &b);

} // namespace calvoran
