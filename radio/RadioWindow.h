#pragma once
#include "RadioHost.h"
#include "radio/model/Presets.h"
#include "radio/model/TagPairs.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// The radio window: station presets, starting a station as the current channel, and its ICY headers and
// stream title while it plays. One window for the program's life: the menu commands show it again.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(calvoran::RadioHost host = {}, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // "Play Internet Stream" / "Add Internet Stream": show and raise this window, enable both timers.
    void OpenRadio();
    // The main window's Stop: the tag timer stops when a channel is set, the level timer always.
    void MainStopped(DWORD currentChannel);

    // Handlers.
    void FormCreate();
    void FormClose();
    void FormResize();
    void btnAddClick();
    void Button1Click();
    void Button2Click();
    void mntmDeletePresetsClick();
    void lstvwStationsDblClick();
    void lstvwStationsMouseMove(const QPoint &pos);
    void tmrStreamTagsTimer();
    void tmrSpectrumTimer();

    // Rebuilds the station list from the store, keeping the first selected preset selected.
    void FillListView();
    // The hint of the station list for the preset under the mouse (none: null); "short|long".
    static std::string StationHint(const calvoran::TRadioPreset *preset);
    // The default address in edtNewStation.
    static constexpr const char *kDefaultStation = "http://127.0.0.1:8000/";

    // Controls, for the handlers and for tests.
    QLineEdit *edtNewStation = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *lblAddPreset = nullptr;
    QLabel *lblStations = nullptr;
    QTreeWidget *lstvwStations = nullptr;
    QMenu *pmnListView = nullptr;
    QAction *mntmDeletePresets = nullptr;
    QLabel *lblstation = nullptr;
    QLabel *lblGenre = nullptr;
    QPlainTextEdit *mRawData = nullptr;
    QStatusBar *stsbrMain = nullptr;
    QTimer *tmrStreamTags = nullptr;
    QTimer *tmrSpectrum = nullptr;
    QString StatusPanel(int panel) const;

    calvoran::TPresets &Presets() { return presets_; }
    calvoran::TRadioPreset *CurrentPreset() const { return currentPreset_; }
    const calvoran::TagPairList &TagPairs() const { return tagPairs_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DWORD current() const;
    calvoran::TRadioPreset *presetOf(const QTreeWidgetItem *item) const;
    QTreeWidgetItem *firstSelected() const;
    QString presetPath(bool forWriting = false) const;
    void save();
    void setStatus(int panel, const QString &text);

    calvoran::RadioHost host_;
    calvoran::TPresets presets_;
    calvoran::TRadioPreset *currentPreset_ = nullptr; // not owned; cleared when its preset goes
    bool opened_ = false;                             // the user has seen the window
    DWORD presetChannel_ = 0;                         // the stream opened for currentPreset_
    calvoran::TagPairList tagPairs_;
    QLabel *panels_[2] = {nullptr, nullptr};
};
