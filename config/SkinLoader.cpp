#include "SkinLoader.h"

#include "SkinDescription.h"
#include "SkinFileError.h"
#include "SkinTarget.h"
#include "UnitBitmapRgn.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <array>
#include <utility>
#include <vector>

namespace calvoran {

namespace {

struct PlacedControl {
    SkinControl control;
    const char *leftKey;
    const char *topKey;
};

constexpr std::array<PlacedControl, 7> kPlaced{{
    {SkinControl::PlButton, "PlbtnLeft", "PlbtnTop"},
    {SkinControl::PrevBtn, "PrevBtnLeft", "PrevBtnTop"},
    {SkinControl::PlayBtn, "PlayBtnLeft", "PlayBtnTop"},
    {SkinControl::StopBtn, "StopBtnLeft", "StopBtnTop"},
    {SkinControl::NextBtn, "NextBtnLeft", "NextBtnTop"},
    {SkinControl::VrDisplay1, "SongTitleLeft", "SongTitleTop"},
    {SkinControl::Image2, "MenuButtLeft", "MenuButtTop"},
}};

constexpr std::array<std::pair<SkinButton, const char *>, 8> kGlyphs{{
    {SkinButton::PlButton, "plbtn.bmp"},
    {SkinButton::PrevBtn, "prevbtn.bmp"},
    {SkinButton::PlayBtn, "playbtn.bmp"},
    {SkinButton::StopBtn, "stopbtn.bmp"},
    {SkinButton::NextBtn, "nextbtn.bmp"},
    {SkinButton::AddBtn, "addbtn.bmp"},
    {SkinButton::Delbtn, "delbtn.bmp"},
    {SkinButton::SaveBtn, "savebtn.bmp"},
}};

QString skinsIni(const QString &folder) {
    return folder + QStringLiteral("Skins.ini");
}

QByteArray readSkinFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SkinFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return file.readAll();
}

QImage loadImage(const QString &path, const char *format, const char *kind) {
    QImage image = decodeSkinImage(readSkinFile(path), format);
    if (image.isNull())
        throw SkinFileError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, QLatin1String(kind)));
    return image;
}

bool skinExists(const SkinDescription &description, const QString &name, const QString &folder) {
    return isListedSkin(description, name) && QFileInfo(skinFolder(name, folder)).isDir();
}

// The folders to look in: the one given, or the user folder and then the program folder.
QStringList foldersFor(const QString &folder) {
    return folder.isEmpty() ? searchFolders() : QStringList{folder};
}

QString homeOf(const QString &name, const QString &folder) {
    return skinHome(name, foldersFor(folder));
}

struct Candidate {
    QString name;
    QString folder;
};

std::vector<Candidate> startupCandidates(const QString &savedName, const QString &folder) {
    std::vector<Candidate> candidates;
    const auto has = [&candidates](const QString &name) {
        for (const Candidate &c : candidates)
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    const QStringList folders = foldersFor(folder);
    for (const QString &f : folders)
        if (!has(savedName) && skinExists(SkinDescription::fromFile(skinsIni(f)), savedName, f))
            candidates.push_back({savedName, f});
    for (const QString &f : folders) {
        const SkinDescription description = SkinDescription::fromFile(skinsIni(f));
        for (const QString &name : description.sections())
            if (!has(name) && skinExists(description, name, f)) candidates.push_back({name, f});
    }
    return candidates;
}

// Every file of a skin, read and decoded before anything on screen changes.
struct LoadedSkin {
    std::array<QImage, kGlyphs.size()> glyphs;
    QImage mask;
    QImage background; // null when the skin keeps the current picture
};

LoadedSkin loadWholeSkin(const SkinDescription &description, const QString &name, const QString &skinPath) {
    LoadedSkin skin;
    for (size_t i = 0; i < kGlyphs.size(); ++i)
        skin.glyphs[i] = loadSkinBitmap(skinPath + QLatin1String(kGlyphs[i].second));
    skin.mask = loadSkinBitmap(skinPath + name + QStringLiteral(".bmp"));
    if (description.readInteger(name, QStringLiteral("Texture")) != 0)
        skin.background = loadSkinPicture(skinPath + name + QStringLiteral(".jpg"));
    return skin;
}

} // namespace

bool isListedSkin(const SkinDescription &description, const QString &name) {
    // The name becomes a folder below Skins/: it must not lead anywhere else.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (const QChar c : name)
        if (c == '/' || c == '\\' || c < QChar(' ')) return false;
    return description.hasSection(name);
}

QString skinFolder(const QString &name, const QString &folder) {
    return folder + QStringLiteral("Skins/") + name + '/';
}

QImage decodeSkinImage(const QByteArray &data, const char *format) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

QImage loadSkinBitmap(const QString &path) {
    return loadImage(path, "bmp", "Bitmap image is not valid");
}

QImage loadSkinPicture(const QString &path) {
    return loadImage(path, "jpeg", "JPEG image is not valid");
}

void ApplySkin(SkinTarget &target, const QString &name, bool fitToBackground, const QString &folder) {
    const QString home = homeOf(name, folder);
    const QString skinPath = skinFolder(name, home);
    const SkinDescription description = SkinDescription::fromFile(skinsIni(home));
    // An unknown name, a missing file or a picture that does not decode leaves the window as it was:
    // a half-applied skin has no buttons and a display in the corner.
    if (!isListedSkin(description, name))
        throw SkinFileError(QStringLiteral("Cannot open file \"%1\". No such file or directory")
                                .arg(skinPath + QLatin1String(kGlyphs[0].second)));
    LoadedSkin skin = loadWholeSkin(description, name, skinPath);

    for (const PlacedControl &placed : kPlaced) {
        target.setControlLeft(placed.control, description.readInteger(name, QLatin1String(placed.leftKey)));
        target.setControlTop(placed.control, description.readInteger(name, QLatin1String(placed.topKey)));
    }
    for (size_t i = 0; i < kGlyphs.size(); ++i)
        target.loadGlyph(kGlyphs[i].first, skin.glyphs[i]);

    TBitmapRgn &shape = target.BitmapRgn1();
    shape.Mask() = std::move(skin.mask);
    shape.ApplyRegion();

    if (!skin.background.isNull()) target.loadBackground(skin.background);

    if (fitToBackground) {
        target.repaintBackground();
        // Without any picture the outline's size stands; a 0 x 0 window would vanish.
        const QSize background = target.backgroundSize();
        if (!background.isEmpty()) target.resizeWindow(background);
    }
}

void ListSkins(QStringList &list, const QString &folder) {
    list = listSkinsIn(foldersFor(folder));
}

QStringList listSkinsIn(const QStringList &folders) {
    QStringList list;
    for (const QString &f : folders)
        for (const QString &name : SkinDescription::fromFile(skinsIni(f)).sections())
            if (!list.contains(name, Qt::CaseInsensitive)) list << name;
    return list;
}

QString skinHome(const QString &name, const QStringList &folders) {
    for (const QString &f : folders)
        if (skinExists(SkinDescription::fromFile(skinsIni(f)), name, f)) return f;
    return folders.isEmpty() ? programFolder() : folders.back();
}

QString resolveStartupSkin(const QString &savedName, const QString &folder) {
    const std::vector<Candidate> candidates = startupCandidates(savedName, folder);
    return candidates.empty() ? QString() : candidates.front().name;
}

QString applyStartupSkin(SkinTarget &target, const QString &savedName, const QString &folder) {
    for (const Candidate &candidate : startupCandidates(savedName, folder)) {
        try {
            ApplySkin(target, candidate.name, true, candidate.folder);
            return candidate.name;
        } catch (const SkinFileError &) {
            // A fresh or damaged install must still start; the next skin may be whole.
        }
    }
    target.useBuiltInLook();
    return {};
}

} // namespace calvoran
