#include "MainMenu.h"

#include <QAction>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

QAction *item(QMenu *parent, const char *name, const QString &caption) {
    QAction *a = parent->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

QMenu *submenu(QMenu *parent, const char *name, const QString &caption, int icon = -1) {
    QMenu *m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    if (icon >= 0) m->setIcon(MainMenu::menuIcon(icon));
    return m;
}

void drawIcon(QPainter &p, int index) {
    const QColor ink(0x2b, 0x3a, 0x55);
    const QColor accent(0x3c, 0x9a, 0x2e);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.2));
    switch (index) {
    case 0: { // a note
        p.setBrush(accent);
        p.drawEllipse(QRectF(2.5, 10, 5, 4));
        p.drawEllipse(QRectF(9.5, 8.5, 5, 4));
        p.drawLine(QPointF(7.4, 12), QPointF(7.4, 3));
        p.drawLine(QPointF(14.4, 10.5), QPointF(14.4, 1.5));
        p.drawLine(QPointF(7.4, 3), QPointF(14.4, 1.5));
        break;
    }
    case 1: { // play
        QPainterPath tri;
        tri.moveTo(4, 2.5);
        tri.lineTo(13.5, 8);
        tri.lineTo(4, 13.5);
        tri.closeSubpath();
        p.setBrush(accent);
        p.drawPath(tri);
        break;
    }
    case 2: { // gear
        p.setBrush(QColor(0xc8, 0xd0, 0xdc));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45.0);
            p.drawRect(QRectF(-1.2, -7.2, 2.4, 3));
            p.restore();
        }
        p.drawEllipse(QRectF(3, 3, 10, 10));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    }
    case 3: { // window
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 13, 10));
        p.fillRect(QRectF(2, 4, 12, 2.5), accent);
        break;
    }
    case 4: { // exit
        p.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    case 5: { // info
        p.setBrush(QColor(0x3a, 0x6e, 0xc8));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 3.5, 2, 2));
        p.drawRect(QRectF(7, 6.5, 2, 6));
        break;
    }
    case 6: { // sliders
        for (int i = 0; i < 3; ++i) {
            const qreal x = 3.5 + i * 4.5;
            p.drawLine(QPointF(x, 2), QPointF(x, 14));
            p.setBrush(accent);
            p.drawRect(QRectF(x - 1.8, 4 + i * 3, 3.6, 3));
        }
        break;
    }
    case 7: { // bars
        p.setPen(Qt::NoPen);
        const int heights[] = {6, 11, 8, 13};
        for (int i = 0; i < 4; ++i)
            p.fillRect(QRectF(1.5 + i * 3.5, 15 - heights[i], 2.5, heights[i]), i % 2 ? accent : ink);
        break;
    }
    default:
        break;
    }
}

} // namespace

QIcon MainMenu::menuIcon(int index) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.scale(scale, scale);
        drawIcon(p, index);
        p.end();
        pm.setDevicePixelRatio(scale);
        icon.addPixmap(pm);
    }
    return icon;
}

QString MainMenu::flatStyleSheet() {
    return QStringLiteral(
        "QMenu { background: #fbfbfd; border: 1px solid #7a8699; font-family: Tahoma, 'DejaVu Sans';"
        " font-size: 8pt; padding: 1px; }"
        "QMenu::item { padding: 3px 18px 3px 6px; color: #1c2433; }"
        "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #3a6ec8,"
        " stop:1 #6d9be6); color: white; }"
        "QMenu::item:disabled { color: #9aa3b2; }"
        "QMenu::icon { padding-left: 4px; }"
        // A checked item with an icon shows its check as a framed icon.
        "QMenu::icon:checked { background: #dbe6f8; border: 1px solid #3a6ec8; }"
        "QMenu::separator { height: 1px; background: #c9d0dc; margin: 2px 4px; }");
}

MainMenu::MainMenu(QWidget *parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupMenu1"));
    setStyleSheet(flatStyleSheet());

    Calvoran1 = submenu(this, "Calvoran1", QStringLiteral("Calvoran"), 0);
    Calvoran1->menuAction()->setStatusTip(QStringLiteral("About&Help"));
    About1 = item(Calvoran1, "About1", QStringLiteral("About"));
    Help1 = submenu(Calvoran1, "Help1", QStringLiteral("Online Help"));
    CreatingSkins1 = item(Help1, "CreatingSkins1", QStringLiteral("Creating Skins"));
    CalvoranBrowser1 = submenu(Calvoran1, "CalvoranBrowser1", QStringLiteral("Calvoran Browser"));
    Ormuldex1 = item(CalvoranBrowser1, "Ormuldex1", QStringLiteral("Ormuldex"));
    MakeMoney1 = item(CalvoranBrowser1, "MakeMoney1", QStringLiteral("Make Money"));

    Controls1 = submenu(this, "Controls1", QStringLiteral("Controls"), 1);
    PlayControls1 = submenu(Controls1, "PlayControls1", QStringLiteral("Play Controls"));
    Repeat1 = item(PlayControls1, "Repeat1", QStringLiteral("Repeat"));
    Repeat1->setCheckable(true);
    Previous1 = item(PlayControls1, "Previous1", QStringLiteral("Previous Song"));
    Previous1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    Play1 = item(PlayControls1, "Play1", QStringLiteral("Play"));
    Play1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Stop1 = item(PlayControls1, "Stop1", QStringLiteral("Stop"));
    Stop1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    NextSong1 = item(PlayControls1, "NextSong1", QStringLiteral("Next Song"));
    NextSong1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ShowPlaylist1 = item(Controls1, "ShowPlaylist1", QStringLiteral("Show Playlist"));
    ShowEq1 = item(Controls1, "ShowEq1", QStringLiteral("Show Eq"));
    PlayInternetStream1 = item(Controls1, "PlayInternetStream1", QStringLiteral("Play Internet Stream"));

    Preferences1 = submenu(this, "Preferences1", QStringLiteral("Preferences"), 2);
    // Stored with the platform's accelerator convention; shows one ampersand.
    Effects1 = item(Preferences1, "Effects1", QStringLiteral("Configuration && Effects"));
    Effects1->setIcon(menuIcon(6));

    Visuals1 = submenu(this, "Visuals1", QStringLiteral("Visuals"), 7);
    LevelMeters1 = item(Visuals1, "LevelMeters1", QStringLiteral("Level Meters"));
    Studio1 = item(Visuals1, "Studio1", QStringLiteral("VS Lab"));
    Ba1 = item(Visuals1, "Ba1", QStringLiteral("VSX Lab"));
    SoniqueVisualPlugins1 = item(Visuals1, "SoniqueVisualPlugins1", QStringLiteral("Sonique Visual Plugins"));

    FileInfo1 = submenu(this, "FileInfo1", QStringLiteral("File Info"), 5);
    ID3Tag1 = item(FileInfo1, "ID3Tag1", QStringLiteral("ID3 Tag"));

    Minimize1 = item(this, "Minimize1", QStringLiteral("Show Player"));
    Minimize1->setIcon(menuIcon(3));
    Minimize1->setCheckable(true);
    Minimize1->setChecked(true);
    Exit1 = item(this, "Exit1", QStringLiteral("Exit"));
    Exit1->setIcon(menuIcon(4));
}
