#pragma once
#include <QImage>
#include <QString>
#include <vector>

namespace calvoran::skinart {

// The player's application icon, drawn from one list of shapes both as pixels and as SVG.
QImage renderAppIcon(int size);
QString appIconSvg();

// Sizes the hicolor theme gets as PNG.
std::vector<int> appIconSizes();

// Writes <folder>/<n>x<n>/apps/calvoran.png for every size and <folder>/scalable/apps/calvoran.svg.
bool writeAppIcons(const QString &folder, QString *error);

} // namespace calvoran::skinart
