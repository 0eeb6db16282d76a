#include "AboutPlaceholder.h"

#include <QPainter>

AboutPlaceholder::AboutPlaceholder(QWidget *parent) : QWidget(parent, Qt::Dialog) {
    setWindowTitle(QStringLiteral("About Calvoran Player"));
    setFixedSize(257, 137);
    setAttribute(Qt::WA_DeleteOnClose);
}

void AboutPlaceholder::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(20);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x39, 0x30, 0x00).lighter(400));
    p.drawText(QRect(0, 20, width(), 30), Qt::AlignCenter, QStringLiteral("Calvoran Player"));
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(12);
    p.setFont(body);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 58, width(), 60), Qt::AlignCenter,
               QStringLiteral("Version 0.1\nA skinnable music player\nfor the Linux desktop"));
}
