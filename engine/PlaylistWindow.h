#pragma once
#include "EngineSetup.h"
#include "TagFields.h"
#include "bass.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QImage;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class QTreeView;

namespace calvoran {
class EngineDisplays;
class PlaybackEngine;
class PlaylistModel;
class TVrTimer;
} // namespace calvoran

// The playlist window: a view of the playlist model, its menus and status bar, and the level timer.
// Playing goes through the engine.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2(calvoran::PlaybackEngine &engine, calvoran::PlaylistModel &playlist,
           const calvoran::EngineSetup &setup, QWidget *parent = nullptr);
    ~TForm2() override;

    calvoran::PlaybackEngine &engine() const { return engine_; }
    calvoran::PlaylistModel &playlist() const { return playlist_; }
    DWORD CurrentChannel() const;
    DWORD CurrentModule() const;

    void PlayPath(const QString &path, int position);
    void PlayStream(const QString &path);
    void PlayModule(int position);
    void StopPlayback();
    void ShowEngineError(const QString &message);
    void Timer1Timer();
    void skipQuietTicks(DWORD channel, DWORD level);
    calvoran::TVrTimer *Timer1() const { return timer1_.get(); }
    bool engineReady() const;

    // Entries.
    calvoran::TagFields LoadTagInfo(const QString &path);
    // The caption of a new entry at position from a file's tag fields.
    static std::string EntryCaption(int position, const calvoran::TagFields &fields);
    void AppendEntry(const std::string &caption, const QString &location, bool withIcon = true);
    int EntryCount() const;
    int SelectedPosition() const; // -1 when nothing is selected
    void SelectPosition(int position);
    QString EntryLocation(int position) const;
    std::string EntryCaptionAt(int position) const;
    void ScrollBy(int pixels);
    QString StatusText(int panel) const;
    // The main window's position timer keeps panel 1 (played time) current.
    void setStatusText(int panel, const QString &text) { setStatus(panel, text); }

    // Handlers.
    void AddFile1Click();
    void AddDirectory1Click();
    void AddStream1Click();
    void OpenPlaylist1Click();
    void SavePlaylist1Click();
    void RemoveAll1Click();
    void RemoveSelected1Click();
    void list1dbl();
    void FilesDropped(const QStringList &fileNames);
    void FormResize();

    // The playlist file.
    void WritePlaylistFile(const QString &fileName);
    bool ReadPlaylistFile(const QString &fileName);
    static QString NormalizeLocation(const QString &line);
    // Length in seconds of a file opened as a decode-only stream; -1 when it does not open.
    static double MeasureSeconds(const QString &path);

    // Windows of other parts, opened from the Add menu.
    void setOnAddDirectory(std::function<void()> handler) { onAddDirectory_ = std::move(handler); }
    void setOnAddStream(std::function<void()> handler) { onAddStream_ = std::move(handler); }
    // The skin's pictures for the add, delete and save buttons.
    enum class Button { Add, Delete, Save };
    void setButtonGlyph(Button button, const QImage &frame);

    QTreeView *ListView1() const { return list_; }
    QMenu *PopupMenu1() const { return popup1_; }
    QMenu *PopupMenu2() const { return popup2_; }
    QMenu *PopupMenu3() const { return popup3_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void initialiseEngine(const calvoran::EngineSetup &setup);
    void setStatus(int panel, const QString &text);
    void writeFile(const QString &fileName, bool withContent);
    void appendFile(const QString &path, const QString &location);
    void appendLocations(const std::vector<QString> &lines);

    calvoran::PlaybackEngine &engine_;
    calvoran::PlaylistModel &playlist_;
    calvoran::EngineDisplays *displays_;
    std::unique_ptr<calvoran::EngineDisplays> ownDisplays_;
    std::unique_ptr<calvoran::TVrTimer> timer1_;
    std::function<void()> onAddDirectory_;
    std::function<void()> onAddStream_;

    QTreeView *list_ = nullptr;
    QToolButton *addBtn_ = nullptr;
    QToolButton *delBtn_ = nullptr;
    QToolButton *saveBtn_ = nullptr;
    QLabel *logo_ = nullptr;
    QStatusBar *statusBar_ = nullptr;
    std::array<QLabel *, 2> panels_{};
    QMenu *popup1_ = nullptr;
    QMenu *popup2_ = nullptr;
    QMenu *popup3_ = nullptr;
};
