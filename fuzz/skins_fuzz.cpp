// The first byte picks the parser: Skins.ini text, a skin bitmap (decoded, then cut into a window
// outline), or the background picture.
#include "config/SkinDescription.h"
#include "config/SkinLoader.h"
#include "config/UnitBitmapRgn.h"

#include <QCoreApplication>
#include <QImageReader>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    // Bounds what a hostile header can make the decoder allocate.
    QImageReader::setAllocationLimit(64);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    switch (data[0] % 3) {
    case 0: {
        const calvoran::SkinDescription ini = calvoran::SkinDescription::parse(bytes);
        for (const QString &section : ini.sections()) {
            (void)ini.readInteger(section, QStringLiteral("PlayBtnLeft"));
            (void)ini.readInteger(section, QStringLiteral("Texture"));
            (void)ini.readString(section, section);
        }
        break;
    }
    case 1: {
        const QImage mask = calvoran::decodeSkinImage(bytes, "bmp");
        if (!mask.isNull()) (void)calvoran::TBitmapRgn::regionFromMask(mask, mask.pixel(0, 0));
        break;
    }
    default:
        (void)calvoran::decodeSkinImage(bytes, "jpeg");
        break;
    }
    return 0;
}
