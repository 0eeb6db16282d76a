// An INI text read and written key by key, as the platform's profile functions do: sections and keys
// match regardless of ASCII case, writing a key changes only its line (or adds it), and everything else
// in the file, comments and unknown sections included, stays as it was.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace calvoran {

class IniText {
public:
    IniText() = default;
    explicit IniText(std::string_view text);

    // The value of `key` in `section`, blanks around it removed; `fallback` when missing.
    std::string read(std::string_view section, std::string_view key, const std::string &fallback = {}) const;
    // An integer in decimal (a leading sign allowed); `fallback` when missing or not a whole number.
    long long readInteger(std::string_view section, std::string_view key, long long fallback) const;
    void write(std::string_view section, std::string_view key, std::string_view value);
    bool hasSection(std::string_view section) const;

    // Lines ended by carriage return and line feed.
    std::string text() const;

private:
    // Index of the section's header line, or -1.
    long findSection(std::string_view section) const;

    std::vector<std::string> lines_;
};

bool sameNoCase(std::string_view a, std::string_view b);
// The text as a decimal integer (blanks around it allowed), or false.
bool parseInteger(std::string_view text, long long &value);

} // namespace calvoran
