// The shipped plug-ins' settings in the shared vis.ini: one [section] per plug-in, key=value lines.
// Reading tolerates anything; writing keeps every other line of the file.
#pragma once
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace calvoran::vis {

inline std::string trim(const std::string &s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

inline int readIniInt(const char *file, const std::string &section, const std::string &key, int fallback) {
    if (!file || !*file) return fallback;
    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
        } else if (inSection) {
            const auto eq = line.find('=');
            if (eq != std::string::npos && trim(line.substr(0, eq)) == key) {
                const std::string value = trim(line.substr(eq + 1));
                char *end = nullptr;
                const long n = std::strtol(value.c_str(), &end, 10);
                if (end != value.c_str() && n > -1000000 && n < 1000000) return static_cast<int>(n);
                return fallback;
            }
        }
    }
    return fallback;
}

// Writes key=value into [section], replacing an old value; false when the file cannot be written.
inline bool writeIniInt(const char *file, const std::string &section, const std::string &key, int value) {
    if (!file || !*file) return false;
    std::vector<std::string> lines;
    {
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
    }
    const std::string entry = key + "=" + std::to_string(value);
    bool inSection = false;
    bool done = false;
    std::size_t sectionEnd = lines.size();
    bool found = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string t = trim(lines[i]);
        if (!t.empty() && t.front() == '[') {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = t == "[" + section + "]";
            found = found || inSection;
            continue;
        }
        const auto eq = t.find('=');
        if (inSection && eq != std::string::npos && trim(t.substr(0, eq)) == key) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (found) {
            // Insert after the section's last non-blank line.
            std::size_t at = sectionEnd;
            while (at > 0 && trim(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }
    std::ostringstream text;
    for (const std::string &l : lines)
        text << l << '\n';
    const std::string temp = std::string(file) + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text.str();
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), file) == 0;
}

} // namespace calvoran::vis
