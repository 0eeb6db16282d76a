#include "IniText.h"

#include <limits>

namespace calvoran {
namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// "[name]" gives name; anything else false.
bool sectionName(std::string_view line, std::string_view &name) {
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[') return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = trimmed(line.substr(1, close - 1));
    return true;
}

// "key=value" gives both; comments and lines without '=' give false.
bool keyValue(std::string_view line, std::string_view &key, std::string_view &value) {
    const std::string_view t = trimmed(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = trimmed(t.substr(0, eq));
    value = trimmed(t.substr(eq + 1));
    return true;
}

} // namespace

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

bool parseInteger(std::string_view text, long long &value) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 18) return false;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    value = negative ? -n : n;
    return true;
}

IniText::IniText(std::string_view text) {
    // A lone CR ends a line too: the writer never puts one inside a value, so what is read here is
    // what a save would write back.
    while (!text.empty()) {
        const std::size_t eol = text.find_first_of("\r\n");
        lines_.emplace_back(text.substr(0, eol));
        if (eol == std::string_view::npos) break;
        const bool crlf = text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n';
        text.remove_prefix(eol + (crlf ? 2 : 1));
    }
}

long IniText::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (sectionName(lines_[i], name) && sameNoCase(name, section)) return static_cast<long>(i);
    }
    return -1;
}

bool IniText::hasSection(std::string_view section) const {
    return findSection(section) >= 0;
}

std::string IniText::read(std::string_view section, std::string_view key, const std::string &fallback) const {
    const long at = findSection(section);
    if (at < 0) return fallback;
    for (std::size_t i = static_cast<std::size_t>(at) + 1; i < lines_.size(); ++i) {
        std::string_view name;
        if (sectionName(lines_[i], name)) break;
        std::string_view k, v;
        if (keyValue(lines_[i], k, v) && sameNoCase(k, key)) {
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return std::string(v);
        }
    }
    return fallback;
}

long long IniText::readInteger(std::string_view section, std::string_view key, long long fallback) const {
    long long value = 0;
    return parseInteger(read(section, key, "x"), value) ? value : fallback;
}

void IniText::write(std::string_view section, std::string_view key, std::string_view value) {
    // Blanks at either end, or quotes around the whole, would be lost in reading: quote such a value.
    const bool quote =
        !value.empty() &&
        (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' || value.back() == '\t' ||
         value.back() == '\r' || (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(quote ? "\"" : "").append(value).append(quote ? "\"" : "");
    // One value is one line, whatever a station sent.
    for (char &c : line)
        if (c == '\r' || c == '\n') c = ' ';
    const long at = findSection(section);
    if (at < 0) {
        if (!lines_.empty() && !trimmed(lines_.back()).empty()) lines_.emplace_back();
        std::string header;
        header.reserve(section.size() + 2);
        header.append("[").append(section).append("]");
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(line));
        return;
    }
    std::size_t end = static_cast<std::size_t>(at) + 1;
    std::size_t lastKey = static_cast<std::size_t>(at);
    for (; end < lines_.size(); ++end) {
        std::string_view name;
        if (sectionName(lines_[end], name)) break;
        std::string_view k, v;
        if (keyValue(lines_[end], k, v)) {
            if (sameNoCase(k, key)) {
                lines_[end] = std::move(line);
                return;
            }
            lastKey = end;
        }
    }
    lines_.insert(lines_.begin() + static_cast<long>(lastKey) + 1, std::move(line));
}

std::string IniText::text() const {
    std::string out;
    for (const std::string &line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace calvoran
