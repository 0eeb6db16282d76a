#include "PlaylistWindow.h"

#include "EngineDisplays.h"
#include "FileDialogs.h"
#include "PlaybackEngine.h"
#include "PlaylistModel.h"
#include "model/M3uFormat.h"
#include "model/PlaylistRules.h"
#include "platform/CreationLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WriteFailures.h"
#include "widgets/TVrTimer.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <cmath>
#include <mutex>

using calvoran::EngineDisplays;
using calvoran::PlaybackEngine;
using calvoran::PlaylistModel;
using calvoran::TVrTimer;

namespace {

constexpr int kDesignWidth = 235;
constexpr int kDesignHeight = 368;
// The window's sizes and placements count its outer frame: a sizeable tool window's border of 4
// on each side and its small caption of 17. Without them the list stops short of the bottom
// controls and leaves an empty band.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 25;
constexpr int kStatusHeight = 17;
constexpr int kLogoWidth = 81;
constexpr int kLogoHeight = 28;
constexpr int kTitleMinWidth = 150;
constexpr int kLevelInterval = 30;

const QString kAddFilter = QStringLiteral(
    "Calvoran Playable Files|*.mp1;*.mp2;*.mp3;*.mod;*.xm;*.mtm;*.s3m;*.ogg;*.wav;*.flac;*.oga;*.opus|"
    "File streams|*.mp1;*.mp2;*.mp3;*.ogg;*.wav;*.flac;*.oga;*.opus|MOD Music|*.xm;*.it;*.mod;*.mtm;*.s3m");
const QString kM3uFilter = QStringLiteral("M3U Playlist|*.m3u");

// Stands in for the main window when the playlist window is made on its own (tests, tools).
class NoDisplays : public EngineDisplays {
public:
    void setTitleText(const QString &) override {}
    void setTitleAutoScroll(bool) override {}
    void setLevels(int, int) override {}
    void setTimeText(const QString &) override {}
    void setPositionMax(int) override {}
    void setPosition(int) override {}
    TVrTimer *endOfTrackTimer() override { return nullptr; }
    TVrTimer *positionTimer() override { return nullptr; }
    int volumePosition() const override { return 0; }
    bool use3D() const override { return false; }
    void setCurrentIndex(int) override {}
    QString GetCMDLineFile(const QString &) override { return {}; }
    void popupMainMenu(const QPoint &) override {}
};

} // namespace

TForm2::TForm2(PlaybackEngine &engine, PlaylistModel &playlist, const calvoran::EngineSetup &setup,
               QWidget *parent)
    : QWidget(parent, Qt::Tool), engine_(engine), playlist_(playlist), displays_(setup.displays),
      timer1_(std::make_unique<TVrTimer>()) {
    calvoran::noteCreated("TForm2");
    if (!displays_) {
        ownDisplays_ = std::make_unique<NoDisplays>();
        displays_ = ownDisplays_.get();
    }
    setWindowTitle(QStringLiteral("Calvoran PlayList"));
    setMinimumSize(25, 10);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAcceptDrops(true);
    buildControls();
    resize(kDesignWidth - kFrameWidth, kDesignHeight - kFrameHeight);
    FormResize();

    timer1_->setTimerType(calvoran::TTimerType::ttSystem);
    timer1_->setEnabled(false);
    timer1_->setInterval(kLevelInterval);
    timer1_->setOnTimer([this] { Timer1Timer(); });

    connect(&engine_, &PlaybackEngine::trackStarted, this, [this](const calvoran::TrackStart &start) {
        setStatus(0, start.totalText);
        timer1_->setEnabled(true);
    });
    connect(&engine_, &PlaybackEngine::stopped, this, [this] {
        timer1_->setEnabled(false);
        setStatus(1, QStringLiteral("Played: 0:0"));
    });
    // The engine's error box belongs to this window.
    connect(&engine_, &PlaybackEngine::engineError, this, [this](const QString &text) {
        calvoran::messageBox(this, text, QStringLiteral("Error"), calvoran::MsgIcon::Error);
    });

    initialiseEngine(setup);
}

TForm2::~TForm2() {
    timer1_->setEnabled(false);
}

void TForm2::buildControls() {
    list_ = new QTreeView(this);
    list_->setModel(&playlist_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setToolTip(QStringLiteral("DoubleClick the song to play"));
    list_->setCursor(Qt::PointingHandCursor);
    list_->setMouseTracking(true);
    list_->setFont(QFont(QStringLiteral("Arial"), 8));
    list_->setStyleSheet(QStringLiteral("QTreeView { color: blue; } QTreeView::item:hover { "
                                        "text-decoration: underline; }"));
    QPalette listPal = list_->palette();
    // The selection stays visible when the list loses focus.
    listPal.setColor(QPalette::Inactive, QPalette::Highlight,
                     listPal.color(QPalette::Active, QPalette::Highlight));
    listPal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     listPal.color(QPalette::Active, QPalette::HighlightedText));
    list_->setPalette(listPal);
    QHeaderView *header = list_->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(1, 1);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->viewport()->installEventFilter(this);

    popup1_ = new QMenu(this);
    QMenu *addFiles = popup1_->addMenu(QStringLiteral("Add File(s)"));
    connect(addFiles->addAction(QStringLiteral("Add &File")), &QAction::triggered, this,
            [this] { AddFile1Click(); });
    connect(addFiles->addAction(QStringLiteral("Add D&irectory")), &QAction::triggered, this,
            [this] { AddDirectory1Click(); });
    connect(popup1_->addAction(QStringLiteral("Add &Internet Stream")), &QAction::triggered, this,
            [this] { AddStream1Click(); });
    connect(popup1_->addAction(QStringLiteral("Open Playlist")), &QAction::triggered, this,
            [this] { OpenPlaylist1Click(); });

    popup2_ = new QMenu(this);
    connect(popup2_->addAction(QStringLiteral("Remove All")), &QAction::triggered, this,
            [this] { RemoveAll1Click(); });
    connect(popup2_->addAction(QStringLiteral("Remove Selected")), &QAction::triggered, this,
            [this] { RemoveSelected1Click(); });

    popup3_ = new QMenu(this);
    connect(popup3_->addAction(QStringLiteral("Save Playlist")), &QAction::triggered, this,
            [this] { SavePlaylist1Click(); });

    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { popup2_->popup(list_->viewport()->mapToGlobal(pos)); });

    const auto makeButton = [this](const QString &text, const QString &hint, QMenu *menu) {
        auto *button = new QToolButton(this);
        button->setText(text);
        button->setToolTip(hint);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [menu] { menu->popup(QCursor::pos()); });
        return button;
    };
    addBtn_ = makeButton(QStringLiteral("+"), QStringLiteral("Add Files"), popup1_);
    delBtn_ = makeButton(QStringLiteral("-"), QStringLiteral("Delete"), popup2_);
    saveBtn_ = makeButton(QStringLiteral("S"), QStringLiteral("Save Playlist"), popup3_);

    logo_ = new QLabel(QStringLiteral("Calvoran"), this);
    logo_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont logoFont(QStringLiteral("DejaVu Sans"));
    logoFont.setPixelSize(16);
    logoFont.setBold(true);
    logoFont.setItalic(true);
    logo_->setFont(logoFont);
    logo_->setStyleSheet(QStringLiteral("QLabel { color: #1d3f8f; }"));

    statusBar_ = new QStatusBar(this);
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setContentsMargins(0, 0, 0, 0);
    // Wide enough for the longest time a panel shows, and never narrower than its design width.
    const std::array<int, 2> widths = {60, 50};
    const std::array<QString, 2> longest = {QStringLiteral("Total: 999:59"),
                                            QStringLiteral("Played: 999:59")};
    QFont statusFont(QStringLiteral("DejaVu Sans"));
    statusFont.setPixelSize(11);
    for (size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(statusBar_);
        panels_[i]->setFont(statusFont);
        panels_[i]->setIndent(3);
        // The indent and a little air on the right.
        const int needed = panels_[i]->fontMetrics().horizontalAdvance(longest[i]) + panels_[i]->indent() + 5;
        panels_[i]->setFixedWidth(std::max(widths[i], needed));
        statusBar_->addWidget(panels_[i]);
    }
}

void TForm2::initialiseEngine(const calvoran::EngineSetup &setup) {
    if (!engine_.Initialise(displays_->volumePosition(), displays_->use3D())) return;

    const QString commandFile = displays_->GetCMDLineFile(setup.commandLine);
    if (calvoran::PlaylistRules::isCommandLineMp3(commandFile))
        appendFile(commandFile, QFileInfo(commandFile).absoluteFilePath());

    const QString listFile = setup.playlistFile.isEmpty()
                                 ? calvoran::keptFileForReading(QStringLiteral("playlist.m3u"))
                                 : setup.playlistFile;
    // A first start has no saved list: that is an empty playlist, not an error.
    if (QFileInfo::exists(listFile) && !ReadPlaylistFile(listFile)) return;

    QCoreApplication::processEvents();
    displays_->setLevels(0, 0);
}

// ---- engine -------------------------------------------------------------------------------------

DWORD TForm2::CurrentChannel() const {
    return engine_.CurrentChannel();
}

DWORD TForm2::CurrentModule() const {
    return engine_.CurrentModule();
}

bool TForm2::engineReady() const {
    return engine_.ready();
}

void TForm2::ShowEngineError(const QString &message) {
    calvoran::messageBox(
        this, message + QStringLiteral("\r\n(error code: ") + QString::number(BASS_ErrorGetCode()) + ')',
        QStringLiteral("Error"), calvoran::MsgIcon::Error);
}

void TForm2::PlayPath(const QString &path, int position) {
    engine_.PlayPath(path, position);
}

void TForm2::PlayStream(const QString &path) {
    engine_.PlayStream(path, SelectedPosition());
}

void TForm2::PlayModule(int position) {
    const int selected = SelectedPosition();
    engine_.PlayModule(position, EntryLocation(selected));
}

void TForm2::StopPlayback() {
    engine_.StopPlayback();
}

void TForm2::Timer1Timer() {
    const DWORD channel = engine_.CurrentChannel();
    if (BASS_ChannelIsActive(channel) != BASS_ACTIVE_PLAYING) return;
    const DWORD level = BASS_ChannelGetLevel(channel);
    displays_->setLevels(static_cast<int>(level & 0xFFFF), static_cast<int>(level >> 16));
    skipQuietTicks(channel, level);
}

// Ticks whose sound is mixed already and would light the same ticks of the bars need not wake the thread.
void TForm2::skipQuietTicks(DWORD channel, DWORD level) {
    const quint64 changes = PlaybackEngine::soundChanges();
    const auto left = [](DWORD l) { return static_cast<int>(l & 0xFFFF); };
    const auto right = [](DWORD l) { return static_cast<int>(l >> 16); };
    timer1_->skipQuietTicks(
        [&](unsigned ms) {
            const DWORD next = BASS_ChannelGetLevelAhead(channel, ms);
            return next != static_cast<DWORD>(-1) &&
                   displays_->levelsLookSame(left(level), right(level), left(next), right(next));
        },
        [changes] { return PlaybackEngine::soundChanges() == changes; });
}

double TForm2::MeasureSeconds(const QString &path) {
    return PlaybackEngine::MeasureSeconds(path);
}

// ---- entries ------------------------------------------------------------------------------------

calvoran::TagFields TForm2::LoadTagInfo(const QString &path) {
    return engine_.LoadTagInfo(path);
}

std::string TForm2::EntryCaption(int position, const calvoran::TagFields &fields) {
    return calvoran::PlaylistRules::entryCaption(position, fields.Artist, fields.Title);
}

void TForm2::appendFile(const QString &path, const QString &location) {
    const calvoran::TagFields fields = LoadTagInfo(path);
    AppendEntry(EntryCaption(EntryCount(), fields), location);
}

void TForm2::AppendEntry(const std::string &caption, const QString &location, bool withIcon) {
    playlist_.append({caption, location, withIcon ? 9 : -1});
}

int TForm2::EntryCount() const {
    return playlist_.count();
}

int TForm2::SelectedPosition() const {
    int lowest = -1;
    for (const QModelIndex &index : list_->selectionModel()->selectedRows())
        if (lowest < 0 || index.row() < lowest) lowest = index.row();
    return lowest;
}

void TForm2::SelectPosition(int position) {
    list_->clearSelection();
    if (!playlist_.contains(position)) return;
    const QModelIndex index = playlist_.index(position, 0);
    list_->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

QString TForm2::EntryLocation(int position) const {
    return playlist_.location(position);
}

std::string TForm2::EntryCaptionAt(int position) const {
    return playlist_.caption(position);
}

void TForm2::ScrollBy(int pixels) {
    QScrollBar *bar = list_->verticalScrollBar();
    bar->setValue(bar->value() + pixels);
}

QString TForm2::StatusText(int panel) const {
    return panel >= 0 && panel < static_cast<int>(panels_.size())
               ? panels_[static_cast<size_t>(panel)]->text()
               : QString();
}

void TForm2::setStatus(int panel, const QString &text) {
    panels_[static_cast<size_t>(panel)]->setText(text);
}

// ---- handlers -----------------------------------------------------------------------------------

void TForm2::AddFile1Click() {
    const QString chosen = calvoran::chooseFile(
        this,
        {calvoran::FileDialogRequest::Kind::Open, QStringLiteral("Add File to Playlist"), kAddFilter, {}});
    if (chosen.isEmpty()) return;
    repaint();
    appendFile(chosen, QFileInfo(chosen).absoluteFilePath());
    QCoreApplication::processEvents();
}

void TForm2::AddDirectory1Click() {
    if (onAddDirectory_) onAddDirectory_();
}

void TForm2::AddStream1Click() {
    if (onAddStream_) onAddStream_();
}

void TForm2::FilesDropped(const QStringList &fileNames) {
    for (const QString &name : fileNames) {
        if (!calvoran::PlaylistRules::isDroppableMusic(name)) {
            calvoran::messageBox(this, QStringLiteral("The dropped file is not a valid music file!..."),
                                 QStringLiteral("Error"), calvoran::MsgIcon::Error);
            continue;
        }
        appendFile(name, name);
    }
    QCoreApplication::processEvents();
}

void TForm2::list1dbl() {
    const int selected = SelectedPosition();
    if (selected < 0) return;
    StopPlayback();
    displays_->setCurrentIndex(selected);
    PlayPath(EntryLocation(selected), selected);
}

void TForm2::RemoveSelected1Click() {
    std::vector<int> rows;
    for (const QModelIndex &index : list_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    playlist_.remove(std::move(rows));
}

void TForm2::RemoveAll1Click() {
    playlist_.clear();
}

void TForm2::setButtonGlyph(Button button, const QImage &frame) {
    QToolButton *b = button == Button::Add ? addBtn_ : button == Button::Delete ? delBtn_ : saveBtn_;
    b->setIcon(QIcon(QPixmap::fromImage(frame)));
    b->setIconSize(frame.size());
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TForm2::FormResize() {
    // Outer size, as the placements count it.
    const int w = width() + kFrameWidth;
    const int h = height() + kFrameHeight;
    const int clientW = width();
    const int clientH = height();
    list_->setGeometry(0, 0, std::max(0, w - 10), std::max(0, h - 70));
    addBtn_->setGeometry(0, h - 73, 28, 20);
    delBtn_->setGeometry(25, h - 73, 28, 20);
    saveBtn_->setGeometry(50, h - 73, 28, 20);
    // Under the list, flush with its right edge, down to the status bar.
    const int logoTop = h - 70;
    logo_->setGeometry(std::max(0, list_->geometry().right() + 1 - kLogoWidth), logoTop, kLogoWidth,
                       std::max(0, std::min(kLogoHeight, clientH - kStatusHeight - logoTop)));
    statusBar_->setGeometry(0, clientH - kStatusHeight, clientW, kStatusHeight);

    // "Title" takes the width the hidden "Filename" column leaves, never less than 150.
    QHeaderView *header = list_->header();
    const int room = list_->viewport()->width() - 1;
    if (room >= kTitleMinWidth) {
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    } else {
        header->setSectionResizeMode(0, QHeaderView::Interactive);
        header->resizeSection(0, kTitleMinWidth);
    }
}

void TForm2::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm2::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent *event) {
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    event->acceptProposedAction();
    FilesDropped(names);
}

void TForm2::contextMenuEvent(QContextMenuEvent *event) {
    displays_->popupMainMenu(event->globalPos());
}

bool TForm2::eventFilter(QObject *watched, QEvent *event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // Let the list select the row under the mouse first, as a double click does.
        const bool handled = QWidget::eventFilter(watched, event);
        QMetaObject::invokeMethod(
            this, [this] { list1dbl(); }, Qt::QueuedConnection);
        return handled;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- playlist file ------------------------------------------------------------------------------

QString TForm2::NormalizeLocation(const QString &line) {
    return calvoran::M3uFormat::normalizeLocation(line);
}

void TForm2::WritePlaylistFile(const QString &fileName) {
    writeFile(fileName, true);
}

void TForm2::writeFile(const QString &fileName, bool withContent) {
    std::vector<calvoran::M3uEntry> entries;
    entries.reserve(static_cast<size_t>(EntryCount()));
    for (int i = 0; i < EntryCount(); ++i)
        entries.push_back({EntryCaptionAt(i), EntryLocation(i), playlist_.entry(i).seconds});

    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();
    auto result = calvoran::M3uFormat::WriteResult::Ok;
    // What gets measured now is remembered, so the next write does not open those files again.
    std::mutex measuredLock;
    QHash<QString, double> measured;
    const auto measure = [&](const QString &location) {
        const double seconds = PlaybackEngine::MeasureSeconds(location);
        std::lock_guard guard(measuredLock);
        measured.insert(location, seconds);
        return seconds;
    };
    engine_.whileMeasuring(
        [&] { result = calvoran::M3uFormat::writeFile(fileName, entries, measure, withContent); });
    for (int i = 0; i < EntryCount() && !measured.isEmpty(); ++i) {
        const auto found = measured.constFind(EntryLocation(i));
        if (found != measured.cend() && *found >= 0 && !(playlist_.entry(i).seconds >= 0))
            playlist_.setSeconds(i, *found);
    }
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
    // A write that failed half-way is reported too: the old file is still there, the new one is not.
    if (result != calvoran::M3uFormat::WriteResult::Ok) {
        QWidget *owner = QApplication::activeWindow() ? QApplication::activeWindow() : this;
        calvoran::WriteFailures::report(owner, fileName, {}, true);
    }
}

void TForm2::SavePlaylist1Click() {
    const QString chosen =
        calvoran::chooseFile(this, {calvoran::FileDialogRequest::Kind::Save, QStringLiteral("Save Playlist"),
                                    kM3uFilter, QStringLiteral("m3u")});
    if (chosen.isEmpty()) return;
    const QString full = QFileInfo(chosen).absoluteFilePath();
    // Under another extension the file is made, but left empty.
    const bool isM3u = calvoran::PlaylistRules::extension(full).trimmed().toLower() == QLatin1String(".m3u");
    writeFile(full, isM3u);
}

void TForm2::OpenPlaylist1Click() {
    const QString chosen =
        calvoran::chooseFile(this, {calvoran::FileDialogRequest::Kind::Open, QStringLiteral("Open Playlist"),
                                    QStringLiteral("M3U Playlist|*.m3u;*.m3u8"), QStringLiteral("m3u")});
    if (!chosen.isEmpty()) ReadPlaylistFile(chosen);
}

bool TForm2::ReadPlaylistFile(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        calvoran::showError(
            QStringLiteral("Cannot open file \"%1\". %2")
                .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()), file.errorString()));
        return false;
    }
    const calvoran::M3uContent content = calvoran::M3uFormat::parse(file.readAll());
    if (!content.extended) {
        // A plain list of locations: each becomes an entry titled as an added file is.
        appendLocations(content.locations);
        QCoreApplication::processEvents();
        return true;
    }
    // A title without a location at its index is left out: it names nothing to play.
    const size_t count = std::min(content.titles.size(), content.locations.size());
    // .m3u8 is UTF-8 by definition; captions are kept 8-bit.
    const bool utf8 = fileName.endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive);
    std::vector<calvoran::PlaylistEntry> entries;
    entries.reserve(count);
    // The lengths the list gives are kept, so writing it again opens only files it did not measure.
    for (size_t i = 0; i < count; ++i) {
        const std::string caption =
            utf8 ? calvoran::toAnsi(QString::fromUtf8(content.titles[i])) : content.titles[i];
        entries.push_back({caption, NormalizeLocation(content.locations[i]), 9, content.seconds[i]});
    }
    playlist_.appendAll(std::move(entries));
    QCoreApplication::processEvents();
    return true;
}

void TForm2::appendLocations(const std::vector<QString> &lines) {
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty()) continue;
        const QString location = NormalizeLocation(line);
        if (calvoran::M3uFormat::isStreamAddress(location))
            AppendEntry(calvoran::PlaylistRules::entryCaption(EntryCount(), calvoran::toAnsi(location), {}),
                        location);
        else
            appendFile(location, location);
    }
}
