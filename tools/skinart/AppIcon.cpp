#include "AppIcon.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace calvoran::skinart {

namespace {

constexpr qreal kUnits = 256; // the design grid

// A player face: dark rounded body, an LED title row, a lit play button and two level bars.
enum class Kind { RoundRect, Circle, Polygon };
struct Shape {
    Kind kind;
    std::vector<QPointF> points; // RoundRect: top-left, bottom-right, (radius, 0); Circle: centre, (r, 0)
    QColor fill;
    QColor top; // gradient to `fill` from the top when valid
};

std::vector<Shape> shapes() {
    std::vector<Shape> out;
    out.push_back({Kind::RoundRect,
                   {{16, 16}, {240, 240}, {44, 0}},
                   QColor(0x10, 0x1c, 0x3a),
                   QColor(0x2c, 0x4c, 0x8c)});
    out.push_back({Kind::RoundRect, {{40, 44}, {216, 112}, {12, 0}}, QColor(0x02, 0x08, 0x04), {}});
    // LED title: a row of dots, lit where they spell a rising line.
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 3; ++j) {
            const bool lit = j >= 2 - (i % 3);
            out.push_back({Kind::Circle,
                           {{58.0 + i * 17.5, 62.0 + j * 16}, {5.5, 0}},
                           lit ? QColor(0x4c, 0xff, 0x5a) : QColor(0x0e, 0x3a, 0x14),
                           {}});
        }
    out.push_back({Kind::Circle, {{88, 176}, {44, 0}}, QColor(0x2e, 0xc2, 0x4a), QColor(0x9c, 0xff, 0x8c)});
    out.push_back({Kind::Polygon, {{74, 152}, {74, 200}, {114, 176}}, QColor(0x06, 0x24, 0x0c), {}});
    out.push_back({Kind::RoundRect, {{148, 140}, {170, 212}, {5, 0}}, QColor(0xff, 0xc8, 0x2e), {}});
    out.push_back({Kind::RoundRect, {{182, 164}, {204, 212}, {5, 0}}, QColor(0x4c, 0xff, 0x5a), {}});
    return out;
}

QString svgColor(const QColor &c) {
    return c.name(QColor::HexRgb);
}

} // namespace

std::vector<int> appIconSizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

QImage renderAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);
    p.setPen(Qt::NoPen);
    for (const Shape &s : shapes()) {
        QBrush brush(s.fill);
        if (s.top.isValid()) {
            const qreal y0 = s.kind == Kind::Circle ? s.points[0].y() - s.points[1].x() : s.points[0].y();
            const qreal y1 = s.kind == Kind::Circle ? s.points[0].y() + s.points[1].x() : s.points[1].y();
            QLinearGradient g(0, y0, 0, y1);
            g.setColorAt(0, s.top);
            g.setColorAt(1, s.fill);
            brush = QBrush(g);
        }
        p.setBrush(brush);
        switch (s.kind) {
        case Kind::RoundRect:
            p.drawRoundedRect(QRectF(s.points[0], s.points[1]), s.points[2].x(), s.points[2].x());
            break;
        case Kind::Circle:
            p.drawEllipse(s.points[0], s.points[1].x(), s.points[1].x());
            break;
        case Kind::Polygon:
            p.drawPolygon(s.points.data(), static_cast<int>(s.points.size()));
            break;
        }
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QString appIconSvg() {
    QString defs, body;
    int gradient = 0;
    for (const Shape &s : shapes()) {
        QString fill = svgColor(s.fill);
        if (s.top.isValid()) {
            const QString id = QStringLiteral("g%1").arg(gradient++);
            defs +=
                QStringLiteral("<linearGradient id=\"%1\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                               "<stop offset=\"0\" stop-color=\"%2\"/><stop offset=\"1\" stop-color=\"%3\"/>"
                               "</linearGradient>")
                    .arg(id, svgColor(s.top), svgColor(s.fill));
            fill = QStringLiteral("url(#%1)").arg(id);
        }
        switch (s.kind) {
        case Kind::RoundRect: {
            const QRectF r(s.points[0], s.points[1]);
            body +=
                QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>")
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height())
                    .arg(s.points[2].x())
                    .arg(fill);
            break;
        }
        case Kind::Circle:
            body += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>")
                        .arg(s.points[0].x())
                        .arg(s.points[0].y())
                        .arg(s.points[1].x())
                        .arg(fill);
            break;
        case Kind::Polygon: {
            QStringList pts;
            for (const QPointF &pt : s.points)
                pts << QStringLiteral("%1,%2").arg(pt.x()).arg(pt.y());
            body += QStringLiteral("<polygon points=\"%1\" fill=\"%2\"/>").arg(pts.join(' '), fill);
            break;
        }
        }
        body += '\n';
    }
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                          "viewBox=\"0 0 256 256\">\n<defs>%1</defs>\n%2</svg>\n")
        .arg(defs, body);
}

bool writeAppIcons(const QString &folder, QString *error) {
    const auto fail = [error](const QString &path) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return false;
    };
    for (const int size : appIconSizes()) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = dir + QStringLiteral("/calvoran.png");
        if (!QDir().mkpath(dir) || !renderAppIcon(size).save(path, "PNG")) return fail(path);
    }
    const QString dir = folder + QStringLiteral("/scalable/apps");
    QFile svg(dir + QStringLiteral("/calvoran.svg"));
    if (!QDir().mkpath(dir) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(appIconSvg().toUtf8()) < 0)
        return fail(svg.fileName());
    return true;
}

} // namespace calvoran::skinart
