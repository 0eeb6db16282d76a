// Interoperability with independent tag tools from Debian packages (python3-mutagen, eyeD3):
// their tags read to the right texts, and ours read back by mutagen with the audio untouched.
#include "TagBytes.h"
#include "tags/id3v2.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

using namespace tagbytes;

namespace {

constexpr const char *kPython = "/usr/bin/python3"; // the system Python that python3-mutagen serves

bool haveTool(const std::string &check) {
    return std::system((check + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quote(const std::string &s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string run(const std::string &cmd) {
    std::string out;
    FILE *p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    ::pclose(p);
    return out;
}

// Latin-1 bytes of a UTF-8 string (for building expected texts).
std::string latin1(const std::string &utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC2 && c <= 0xC3 && i + 1 < utf8.size())
            out += static_cast<char>(((c & 3) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        else
            out += static_cast<char>(c);
    }
    return out;
}

uint32_t tagLength(const Bytes &b) {
    if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3') return 0;
    return 10 + ((b[6] << 21) | (b[7] << 14) | (b[8] << 7) | b[9]);
}

Bytes audioPart(const std::string &path) {
    const Bytes b = readFile(path);
    return Bytes(b.begin() + tagLength(b), b.end());
}

// Frame ID -> text (Latin-1 bytes) as mutagen reads the file's tag.
std::map<std::string, std::string> mutagenFrames(const std::string &path) {
    const std::string script = "import sys, mutagen.id3 as m\n"
                               "t = m.ID3(sys.argv[1])\n"
                               "out = 'VERSION=%d\\n' % t.version[1]\n"
                               "for k in sorted(t.keys()):\n"
                               "    f = t[k]\n"
                               "    out += '%s=%s\\n' % (f.FrameID, '/'.join(str(x) for x in f.text))\n"
                               "sys.stdout.buffer.write(out.encode('latin-1'))\n";
    const std::string out = run(std::string(kPython) + " -c " + quote(script) + " " + quote(path) + " 2>&1");
    std::map<std::string, std::string> frames;
    size_t pos = 0;
    while (pos < out.size()) {
        const size_t end = out.find('\n', pos);
        const std::string line = out.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) frames[line.substr(0, eq)] = line.substr(eq + 1);
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return frames;
}

class Interop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!haveTool("command -v lame")) return;
        // One second of a 440 Hz stereo tone, encoded by lame.
        Bytes pcm;
        for (int i = 0; i < 44100; ++i) {
            const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
            for (int ch = 0; ch < 2; ++ch) {
                pcm.push_back(static_cast<uint8_t>(v & 0xFF));
                pcm.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
            }
        }
        scratch_ = new Scratch; // lives for the suite, freed in TearDownTestSuite
        const std::string raw = scratch_->write("tone.raw", pcm);
        mp3_ = scratch_->path("tone.mp3");
        std::system(("lame --quiet -r -s 44.1 --bitwidth 16 -m s " + raw + " " + mp3_).c_str());
    }
    static void TearDownTestSuite() {
        delete scratch_;
        scratch_ = nullptr;
    }
    void SetUp() override {
        if (mp3_.empty() || readFile(mp3_).empty()) GTEST_SKIP() << "lame is not installed";
    }
    std::string copy(const std::string &name) { return dir.write(name, readFile(mp3_)); }
    bool haveMutagen() { return haveTool(std::string(kPython) + " -c 'import mutagen.id3'"); }

    void expectText(Tid3v2tag &t, const char *id, const std::string &want) {
        std::string s;
        EXPECT_EQ(t.GetFrameText(id, s), 0) << id;
        EXPECT_EQ(s, want) << id;
    }

    Scratch dir;
    static inline Scratch *scratch_ = nullptr;
    static inline std::string mp3_;
};

TEST_F(Interop, Mid3v2TagsReadToTheirTexts) {
    if (!haveTool("command -v mid3v2")) GTEST_SKIP() << "mid3v2 (python3-mutagen) is not installed";
    const std::string p = copy("mid3v2.mp3");
    ASSERT_EQ(std::system(("mid3v2 -a 'Ärtist Ünïcode' -t 'Le Café' -A 'Album' -y 1999 -g 'Rock' -T 3/12 "
                           "-c ':Comment here:eng' " +
                           p)
                              .c_str()),
              0);
    Tid3v2tag t;
    ASSERT_EQ(t.LoadTag(p, 0), 0);
    EXPECT_EQ(t.MajorVersion, 4);
    expectText(t, "TPE1", latin1("Ärtist Ünïcode"));
    expectText(t, "TIT2", latin1("Le Café"));
    expectText(t, "TALB", "Album");
    expectText(t, "TDRC", "1999");
    expectText(t, "TCON", "Rock");
    expectText(t, "TRCK", "3/12");
    COMM c;
    EXPECT_EQ(t.GetComment(c, "", "None"), 0);
    EXPECT_EQ(c.Text, "Comment here");
}

TEST_F(Interop, MutagenLatin1AndUtf16In23And24ReadToTheirTexts) {
    if (!haveMutagen()) GTEST_SKIP() << "python3-mutagen is not installed";
    for (int version : {3, 4}) {
        for (int encoding : {0, 1}) {
            const std::string p = copy("mutagen.mp3");
            const std::string script =
                "import sys, mutagen.id3 as m\n"
                "e = int(sys.argv[3])\n"
                "t = m.ID3()\n"
                "t.add(m.TIT2(encoding=e, text='Tïtle ' + sys.argv[2]))\n"
                "t.add(m.TPE1(encoding=e, text='Artiste Français'))\n"
                "t.add(m.TALB(encoding=e, text='Albüm'))\n"
                "t.add(m.TYER(encoding=e, text='2004'))\n"
                "t.add(m.TCON(encoding=e, text='(17)Rock'))\n"
                "t.add(m.TRCK(encoding=e, text='7'))\n"
                "t.add(m.COMM(encoding=e, lang='deu', desc='', text='Kommentar ß'))\n"
                "t.add(m.COMM(encoding=e, lang='eng', desc='other', text='not this'))\n"
                "t.save(sys.argv[1], v2_version=int(sys.argv[2]))\n";
            ASSERT_EQ(std::system((std::string(kPython) + " -c " + quote(script) + " " + p + " " +
                                   std::to_string(version) + " " + std::to_string(encoding))
                                      .c_str()),
                      0);
            Tid3v2tag t;
            ASSERT_EQ(t.LoadTag(p, 0), 0) << version << "/" << encoding;
            EXPECT_EQ(t.MajorVersion, version);
            expectText(t, "TIT2", latin1("Tïtle ") + std::to_string(version));
            expectText(t, "TPE1", latin1("Artiste Français"));
            expectText(t, "TALB", latin1("Albüm"));
            expectText(t, "TCON", "(17)Rock");
            expectText(t, "TRCK", "7");
            COMM c;
            EXPECT_EQ(t.GetComment(c, "", "None"), 0);
            EXPECT_EQ(c.Text, latin1("Kommentar ß"));
            EXPECT_EQ(c.Language, "deu");
            EXPECT_EQ(c.Encoding, encoding);
        }
    }
}

TEST_F(Interop, EyeD3TagsReadToTheirTexts) {
    if (!haveTool("command -v eyeD3")) GTEST_SKIP() << "eyeD3 is not installed";
    const std::pair<const char *, const char *> cases[] = {
        {"--to-v2.3", "latin1"}, {"--to-v2.3", "utf16"}, {"--to-v2.4", "latin1"}, {"--to-v2.4", "utf16"}};
    for (const auto &[version, encoding] : cases) {
        const std::string p = copy("eyed3.mp3");
        const std::string cmd = std::string("eyeD3 --no-color -Q ") + version + " --encoding " + encoding +
                                " -a 'Sigur Rós' -t 'Hoppípolla' -A 'Takk' -G Rock -n 4 -c 'Nice one' " + p +
                                " >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        Tid3v2tag t;
        ASSERT_EQ(t.LoadTag(p, 0), 0) << version << " " << encoding;
        EXPECT_EQ(t.MajorVersion, std::string(version) == "--to-v2.3" ? 3 : 4);
        expectText(t, "TPE1", latin1("Sigur Rós"));
        expectText(t, "TIT2", latin1("Hoppípolla"));
        expectText(t, "TALB", "Takk");
        expectText(t, "TRCK", "04"); // eyeD3 writes the number zero-padded
        COMM c;
        EXPECT_EQ(t.GetComment(c, "", "None"), 0);
        EXPECT_EQ(c.Text, "Nice one");
    }
}

TEST_F(Interop, OurSavesReadBackByMutagenWithAudioUntouched) {
    if (!haveMutagen()) GTEST_SKIP() << "python3-mutagen is not installed";
    for (int version : {3, 4}) {
        // Start from a tag another tool wrote, then grow it so the audio has to move.
        const std::string p = copy("ours.mp3");
        const std::string script = "import sys, mutagen.id3 as m\n"
                                   "t = m.ID3()\n"
                                   "t.add(m.TIT2(encoding=1, text='old title'))\n"
                                   "t.add(m.TXXX(encoding=0, desc='keep', text='me'))\n"
                                   "t.save(sys.argv[1], v2_version=3, padding=lambda info: 0)\n";
        ASSERT_EQ(std::system((std::string(kPython) + " -c " + quote(script) + " " + p).c_str()), 0);
        const Bytes audioBefore = audioPart(p);
        ASSERT_FALSE(audioBefore.empty());

        Tid3v2tag t;
        ASSERT_EQ(t.LoadTag(p, 0), 0);
        t.SetFrameText("TIT2", latin1("Nouveau titre é"));
        t.SetFrameText("TPE1", "Artist");
        t.SetFrameText("TALB", std::string(3000, 'a'));
        t.SetFrameText("TYER", "2020");
        t.SetFrameText("TCON", "Jazz");
        t.SetFrameText("TRCK", "9/10");
        t.SetComment(COMM{0, "ENG", "", latin1("Commentaire ç")}, "", "None");
        const uint32_t album = [&] {
            for (uint32_t i = 1; i <= t.Frames.Count(); ++i)
                if (t.Frames.GetID(i) == "TALB") return i;
            return 0u;
        }();
        t.Frames.SetWriteFlags(album, 2, 0x08); // compressed, with its length
        ASSERT_EQ(t.SaveTag("=", static_cast<uint8_t>(version), 0, -1, 255), 0);

        auto frames = mutagenFrames(p);
        EXPECT_EQ(frames["VERSION"], std::to_string(version));
        EXPECT_EQ(frames["TIT2"], latin1("Nouveau titre é"));
        EXPECT_EQ(frames["TPE1"], "Artist");
        EXPECT_EQ(frames["TALB"], std::string(3000, 'a'));
        EXPECT_EQ(frames["TDRC"], "2020"); // mutagen shows TYER as TDRC
        EXPECT_EQ(frames["TCON"], "Jazz");
        EXPECT_EQ(frames["TRCK"], "9/10");
        EXPECT_EQ(frames["COMM"], latin1("Commentaire ç"));
        EXPECT_EQ(frames["TXXX"], "me");
        EXPECT_EQ(audioPart(p), audioBefore) << "audio bytes after the tag changed";
    }
}

} // namespace
