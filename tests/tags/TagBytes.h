#pragma once
// Builds raw ID3v2 tags byte by byte, so tests state exactly what lies in the file.
#include <QTemporaryDir>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tagbytes {

using Bytes = std::vector<uint8_t>;

inline Bytes str(const std::string &s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes synchsafe(uint32_t v) {
    return {uint8_t((v >> 21) & 0x7F), uint8_t((v >> 14) & 0x7F), uint8_t((v >> 7) & 0x7F),
            uint8_t(v & 0x7F)};
}

inline Bytes be32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// A frame with the given header flag bytes; size field big-endian (2.3) or synchsafe (2.4).
inline Bytes frame(int version, const std::string &id, const Bytes &body, uint8_t status = 0,
                   uint8_t format = 0) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    return cat({str(id), version == 4 ? synchsafe(n) : be32(n), Bytes{status, format}, body});
}

// Text frame body: encoding byte then the text bytes.
inline Bytes text(uint8_t encoding, const Bytes &bytes) {
    return cat({Bytes{encoding}, bytes});
}
inline Bytes text(const std::string &latin1) {
    return text(0, str(latin1));
}

inline Bytes tag(int version, const Bytes &body, uint32_t padding = 0, uint8_t flags = 0,
                 uint8_t revision = 0) {
    Bytes out = cat({str("ID3"), Bytes{uint8_t(version), revision, flags},
                     synchsafe(static_cast<uint32_t>(body.size() + padding)), body});
    out.resize(out.size() + padding, 0);
    return out;
}

inline Bytes audio(size_t n, uint32_t seed = 1) {
    Bytes out(n);
    uint32_t x = seed;
    for (auto &b : out) {
        x = x * 1664525u + 1013904223u;
        b = uint8_t(x >> 24);
    }
    return out;
}

inline void writeFile(const std::string &path, const Bytes &bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A scratch folder with a helper for file paths inside it.
class Scratch {
public:
    std::string path(const std::string &name) const { return (dir_.path() + '/').toStdString() + name; }
    std::string write(const std::string &name, const Bytes &bytes) const {
        const std::string p = path(name);
        writeFile(p, bytes);
        return p;
    }

private:
    QTemporaryDir dir_;
};

} // namespace tagbytes
