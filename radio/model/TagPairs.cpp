#include "TagPairs.h"

#include "platform/Text.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace calvoran {
namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool hasContent(const std::string &s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) > 32; });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Sets `nonAscii`.
bool validUtf8(std::string_view s, bool &nonAscii) {
    nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        std::size_t n;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

} // namespace

std::string TagListToText(const char *list) {
    if (!list) return {};
    if (*list == '\0') return ";";
    std::string out;
    while (*list) {
        const std::size_t n = std::strlen(list);
        out.append(list, n);
        out += ';';
        list += n + 1;
    }
    return out;
}

void ParseTagPairs(TagPairList &pairs, std::string text, char separator, char terminator, bool reset) {
    // Positions as 1-based with 0 for "not found", so a missing separator never counts as "later".
    const auto pos = [&](char c) {
        const std::size_t at = text.find(c);
        return at == std::string::npos ? std::size_t{0} : at + 1;
    };
    for (std::size_t t = pos(terminator); t != 0 && t < pos(separator); t = pos(terminator))
        text.erase(0, t);
    if (reset) pairs.clear();
    while (pos(terminator) != 0) {
        const std::size_t s = pos(separator);
        std::string key = s == 0 ? std::string() : text.substr(0, s - 1);
        text.erase(0, s);
        const std::size_t t = pos(terminator);
        std::string value = t == 0 ? std::string() : text.substr(0, t - 1);
        text.erase(0, t);
        if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
            value = value.substr(1, value.size() - 2);
        if (hasContent(key) && hasContent(value)) pairs.emplace_back(std::move(key), std::move(value));
    }
}

std::string FindTag(const TagPairList &pairs, std::string_view key) {
    for (const auto &[k, v] : pairs) {
        if (k.size() != key.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < key.size() && same; ++i)
            same = upper(k[i]) == upper(key[i]);
        if (same) return v;
    }
    return {};
}

std::string StationText(std::string_view bytes) {
    bool nonAscii = false;
    if (!validUtf8(bytes, nonAscii) || !nonAscii) return std::string(bytes);
    QString text;
    for (const uint cp : QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toUcs4())
        text += cp > 0xFFFF ? QChar('?') : QChar(static_cast<char16_t>(cp));
    return toAnsi(text);
}

} // namespace calvoran
