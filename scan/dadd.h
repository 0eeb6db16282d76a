#pragma once
#include "DirAddPlaylist.h"

#include <QWidget>

class QCheckBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeView;
class TmFileScan;

// The Add Directory dialog: pick a folder and the file types, and every matching file found by a
// background search is appended to the playlist as it is found. Each use is a new dialog; it deletes
// itself when the search ends, on Cancel and when closed.
class Tdiradd : public QWidget {
    Q_OBJECT
public:
    explicit Tdiradd(calvoran::DirAddPlaylist playlist, QWidget *parent = nullptr);
    ~Tdiradd() override;

    void FormCreate();
    void Button1Click();
    void mFileScan1FileFound(QObject *sender, const QString &fileName);
    void mFileScan1Ready(QObject *sender, bool aborted, const QStringList &searchResult);
    void Button2Click();
    void FormClose();

    // The folder selected in the tree; empty when none is.
    QString SelectedFolder() const;
    void SelectFolder(const QString &folder);
    // The patterns of the ticked boxes, in the order they are searched.
    QStringList Patterns() const;
    int FoundCount() const { return foundCount_; }

    QTreeView *stv1 = nullptr;
    QFileSystemModel *stv1Model = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QCheckBox *mp1chk = nullptr;
    QCheckBox *mp2chk = nullptr;
    QCheckBox *mp3chk = nullptr;
    QCheckBox *oggchk = nullptr;
    QCheckBox *modchk = nullptr;
    QCheckBox *mtmchk = nullptr;
    QCheckBox *wavchk1 = nullptr;
    QCheckBox *s3mchk = nullptr;
    QCheckBox *itchk = nullptr;
    QCheckBox *xmchk = nullptr;
    QCheckBox *subs1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QLabel *Label1 = nullptr;
    TmFileScan *mFileScan1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void discardScan();
    void restoreCursor();
    void discardDialog();
    void revealPendingFolder();

    calvoran::DirAddPlaylist playlist_;
    int foundCount_ = 0;
    bool busyCursor_ = false;
    bool discarded_ = false;
    QString pendingFolder_;
};
