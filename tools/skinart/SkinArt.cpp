#include "SkinArt.h"

#include "PreviewTarget.h"
#include "SkinDesign.h"
#include "config/SkinLoader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <array>
#include <utility>

namespace calvoran::skinart {

namespace {

std::vector<SkinDesign> designs() {
    return {midnightDesign(), daylightDesign()};
}

QByteArray encode(const QImage &image, const char *format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

bool writeIfChanged(const QString &path, const QByteArray &bytes, QString *error) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) return true;
    existing.close();
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) return true;
    if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return false;
}

QImage paintBackground(const SkinDesign &design) {
    QImage picture(design.size, QImage::Format_RGB32);
    QPainter painter(&picture);
    design.paintBackground(painter);
    return picture;
}

QImage paintMask(const SkinDesign &design) {
    QImage mask(design.size, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QPainter painter(&mask);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(design.outline);
    painter.end();
    // That row never belongs to the window; keep it clear so the picture says what the window is.
    for (int x = 0; x < mask.width(); ++x)
        mask.setPixel(x, mask.height() - 1, qRgb(0, 0, 0));
    return mask.convertToFormat(QImage::Format_Indexed8, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
}

QByteArray iniSection(const SkinDesign &design) {
    auto place = [&](SkinButton button) {
        for (const ButtonArt &art : design.buttons)
            if (art.button == button) return art.glyphAt - QPoint(1, 1);
        return QPoint();
    };
    QByteArray text = "[" + design.name.toLatin1() + "]\r\n";
    const std::array<std::pair<const char *, QPoint>, 7> keys{{
        {"Plbtn", place(SkinButton::PlButton)},
        {"PrevBtn", place(SkinButton::PrevBtn)},
        {"PlayBtn", place(SkinButton::PlayBtn)},
        {"StopBtn", place(SkinButton::StopBtn)},
        {"NextBtn", place(SkinButton::NextBtn)},
        {"SongTitle", design.panel},
        {"MenuButt", design.menu},
    }};
    for (const auto &[key, at] : keys)
        text += QByteArray(key) + "Left=" + QByteArray::number(at.x()) + "\r\n" + key +
                "Top=" + QByteArray::number(at.y()) + "\r\n";
    return text + "Texture=1\r\n\r\n";
}

bool writeSkin(const SkinDesign &design, const QString &folder, QString *error) {
    const QString dir = skinFolder(design.name, folder);
    // Glyph edges are blended with the picture as the player will decode it.
    const QByteArray jpeg = encode(paintBackground(design), "JPEG", 92);
    const QImage background = QImage::fromData(jpeg, "JPEG");
    bool ok = writeIfChanged(dir + design.name + ".jpg", jpeg, error) &&
              writeIfChanged(dir + design.name + ".bmp", encode(paintMask(design), "BMP"), error);
    for (const ButtonArt &art : design.buttons) {
        const QImage under = background.copy(QRect(art.glyphAt, art.frame));
        const char *file = art.button == SkinButton::PlButton  ? "plbtn.bmp"
                           : art.button == SkinButton::PrevBtn ? "prevbtn.bmp"
                           : art.button == SkinButton::PlayBtn ? "playbtn.bmp"
                           : art.button == SkinButton::StopBtn ? "stopbtn.bmp"
                                                               : "nextbtn.bmp";
        ok = ok && writeIfChanged(dir + file,
                                  encode(paintGlyph(art.icon, art.frame, art.style, under), "BMP"), error);
    }
    QImage plain(kPlaylistFrame, QImage::Format_RGB32);
    plain.fill(design.playlistStyle.faceBottom);
    const std::array<std::pair<Icon, const char *>, 3> playlist{{
        {Icon::Add, "addbtn.bmp"},
        {Icon::Delete, "delbtn.bmp"},
        {Icon::Save, "savebtn.bmp"},
    }};
    for (const auto &[icon, file] : playlist)
        ok = ok && writeIfChanged(
                       dir + file,
                       encode(paintGlyph(icon, kPlaylistFrame, design.playlistStyle, plain), "BMP"), error);
    return ok;
}

} // namespace

QStringList skinNames() {
    QStringList names;
    for (const SkinDesign &design : designs())
        names << design.name;
    return names;
}

bool writeSkins(const QString &folder, QString *error) {
    QByteArray ini = "; Skins of Calvoran Player. Each section names a folder under Skins/.\r\n";
    for (const SkinDesign &design : designs()) {
        if (!writeSkin(design, folder, error)) return false;
        ini += iniSection(design);
    }
    return writeIfChanged(folder + "Skins.ini", ini, error);
}

QImage renderPreview(const QString &folder, const QString &skin, bool hover) {
    PreviewTarget target;
    ApplySkin(target, skin, true, folder);
    const QImage window = target.render(hover);
    const QImage playlist = target.renderPlaylistButtons(hover);
    QImage sheet(window.width(), window.height() + playlist.height() + 4, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(0, 0, window);
    painter.drawImage(0, window.height() + 4, playlist);
    return sheet;
}

} // namespace calvoran::skinart
