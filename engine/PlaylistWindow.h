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

class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class QTreeWidget;

namespace calvoran {
class EngineDisplays;
class TVrTimer;
} // namespace calvoran

// The playlist window, and the audio engine that plays its entries.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    explicit TForm2(const calvoran::EngineSetup &setup, QWidget *parent = nullptr);
    ~TForm2() override;

    // Engine state, read by every part that touches audio.
    DWORD CurrentChannel = 0;
    DWORD CurrentModule = 0;
    std::array<HFX, 3> ParamEqEffects{};

    void PlayPath(const QString &path, int position);
    void PlayStream(const QString &path);
    void PlayModule(int position);
    // As above; path is used when no entry is selected.
    void PlayModule(int position, const QString &path);
    void StopPlayback();
    void ShowEngineError(const QString &message);
    void Timer1Timer();
    calvoran::TVrTimer *Timer1() const { return timer1_.get(); }
    bool engineReady() const { return engineReady_; }

    // Entries.
    void LoadTagInfo(const QString &path);
    // The caption of a new entry at position, from the tag fields LoadTagInfo left.
    std::string EntryCaption(int position) const;
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

    QTreeWidget *ListView1() const { return list_; }
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
    void enablePlaybackTimers();
    void writeTagFields(const QString &path, const calvoran::TagFields &fields);
    calvoran::TagFields readTagFields() const;
    void writeFile(const QString &fileName, bool withContent);

    calvoran::EngineDisplays *displays_;
    std::unique_ptr<calvoran::EngineDisplays> ownDisplays_;
    Tid32 *id3Window_ = nullptr;
    calvoran::TagFields lastTags_;
    std::unique_ptr<calvoran::TVrTimer> timer1_;
    bool engineReady_ = false;
    std::function<void()> onAddDirectory_;
    std::function<void()> onAddStream_;

    QTreeWidget *list_ = nullptr;
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
