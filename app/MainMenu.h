#pragma once
#include <QMenu>
#include <functional>

class QAction;

// The main window's pop-up menu (`PopupMenu1`), also used by the playlist window for right clicks
// outside its list. Items carry their design names as object names; commands run the handlers the
// owner sets on the actions.
class MainMenu : public QMenu {
    Q_OBJECT
public:
    explicit MainMenu(QWidget *parent = nullptr);

    QMenu *Calvoran1;
    QAction *About1;
    QMenu *Help1;
    QAction *CreatingSkins1;
    QMenu *CalvoranBrowser1;
    QAction *Ormuldex1;
    QAction *MakeMoney1;
    QMenu *Controls1;
    QMenu *PlayControls1;
    QAction *Repeat1;
    QAction *Previous1;
    QAction *Play1;
    QAction *Stop1;
    QAction *NextSong1;
    QAction *ShowPlaylist1;
    QAction *ShowEq1;
    QAction *PlayInternetStream1;
    QMenu *Preferences1;
    QAction *Effects1;
    QMenu *Visuals1;
    QAction *LevelMeters1;
    QAction *Studio1;
    QAction *Ba1;
    QAction *SoniqueVisualPlugins1;
    QMenu *FileInfo1;
    QAction *ID3Tag1;
    QAction *Minimize1;
    QAction *Exit1;

    // The image list's icons, our own artwork: 0 player, 1 controls, 2 preferences, 3 show player,
    // 4 exit, 5 file info, 6 effects, 7 visuals.
    static QIcon menuIcon(int index);
    // Flat look shared by every menu of the player.
    static QString flatStyleSheet();
};
