// skinart: draws the skins Calvoran Player ships.
//   skinart --out <folder>            writes Skins.ini and Skins/ into the program folder
//   skinart --preview <file.png>      writes a picture of every skin as the player shows it
//   skinart --icons <folder>          writes the application icon as a hicolor theme tree
#include "AppIcon.h"
#include "SkinArt.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: skinart --out <folder> | --preview <file.png> | --icons <folder>\n");
    return 2;
}

QString asFolder(QString folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

int preview(const QString &file) {
    QTemporaryDir dir;
    QString error;
    if (!dir.isValid() || !calvoran::skinart::writeSkins(asFolder(dir.path()), &error)) {
        std::fprintf(stderr, "skinart: %s\n", qPrintable(error));
        return 1;
    }
    constexpr int kScale = 2, kGap = 16;
    std::vector<QImage> rows;
    int width = 0, height = 0;
    for (const QString &skin : calvoran::skinart::skinNames()) {
        const QImage normal = calvoran::skinart::renderPreview(asFolder(dir.path()), skin, false);
        const QImage hover = calvoran::skinart::renderPreview(asFolder(dir.path()), skin, true);
        QImage row(normal.width() * 2 + kGap, normal.height(), QImage::Format_ARGB32);
        row.fill(Qt::white);
        QPainter(&row).drawImage(0, 0, normal);
        QPainter(&row).drawImage(normal.width() + kGap, 0, hover);
        width = std::max(width, row.width());
        height += row.height() + kGap;
        rows.push_back(row);
    }
    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int y = 0;
    for (const QImage &row : rows) {
        painter.drawImage(0, y, row);
        y += row.height() + kGap;
    }
    painter.end();
    const QImage big = sheet.scaled(sheet.size() * kScale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!big.save(file)) {
        std::fprintf(stderr, "skinart: cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    // A build step: never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) return usage();
    if (args[1] == "--out") {
        QString error;
        if (!calvoran::skinart::writeSkins(asFolder(args[2]), &error)) {
            std::fprintf(stderr, "skinart: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (args[1] == "--preview") return preview(args[2]);
    if (args[1] == "--icons") {
        QString error;
        if (!calvoran::skinart::writeAppIcons(args[2], &error)) {
            std::fprintf(stderr, "skinart: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    return usage();
}
