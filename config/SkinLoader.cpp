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

QStringList startupCandidates(const QString &savedName, const QString &folder) {
    const SkinDescription description = SkinDescription::fromFile(skinsIni(folder));
    QStringList candidates;
    if (skinExists(description, savedName, folder)) candidates << savedName;
    for (const QString &name : description.sections())
        if (!candidates.contains(name, Qt::CaseInsensitive) && skinExists(description, name, folder))
            candidates << name;
    return candidates;
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
    const QString skinPath = skinFolder(name, folder);
    const SkinDescription description = SkinDescription::fromFile(skinsIni(folder));
    const bool listed = isListedSkin(description, name);

    for (const PlacedControl &placed : kPlaced) {
        target.setControlLeft(placed.control,
                              listed ? description.readInteger(name, QLatin1String(placed.leftKey)) : 0);
        target.setControlTop(placed.control,
                             listed ? description.readInteger(name, QLatin1String(placed.topKey)) : 0);
    }
    // An unknown skin fails where a missing one does, without a file outside the skins being touched.
    if (!listed)
        throw SkinFileError(QStringLiteral("Cannot open file \"%1\". No such file or directory")
                                .arg(skinPath + QLatin1String(kGlyphs[0].second)));

    for (const auto &[button, file] : kGlyphs)
        target.loadGlyph(button, loadSkinBitmap(skinPath + QLatin1String(file)));

    TBitmapRgn &shape = target.BitmapRgn1();
    shape.Mask() = loadSkinBitmap(skinPath + name + QStringLiteral(".bmp"));
    shape.ApplyRegion();

    if (description.readInteger(name, QStringLiteral("Texture")) != 0)
        target.loadBackground(loadSkinPicture(skinPath + name + QStringLiteral(".jpg")));

    if (fitToBackground) {
        target.repaintBackground();
        // Without any picture the outline's size stands; a 0 x 0 window would vanish.
        const QSize background = target.backgroundSize();
        if (!background.isEmpty()) target.resizeWindow(background);
    }
}

void ListSkins(QStringList &list, const QString &folder) {
    list = SkinDescription::fromFile(skinsIni(folder)).sections();
}

QString resolveStartupSkin(const QString &savedName, const QString &folder) {
    const QStringList candidates = startupCandidates(savedName, folder);
    return candidates.isEmpty() ? QString() : candidates.front();
}

QString applyStartupSkin(SkinTarget &target, const QString &savedName, const QString &folder) {
    for (const QString &name : startupCandidates(savedName, folder)) {
        try {
            ApplySkin(target, name, true, folder);
            return name;
        } catch (const SkinFileError &) {
            // A fresh or damaged install must still start; the next skin may be whole.
        }
    }
    target.useBuiltInLook();
    return {};
}

} // namespace calvoran
