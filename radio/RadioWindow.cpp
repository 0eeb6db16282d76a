#include "RadioWindow.h"

#include "platform/CreationLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WriteFailures.h"
#include "radio/model/IniText.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdint>
#include <cstring>

using namespace calvoran;

namespace {

constexpr int kPresetRole = Qt::UserRole + 1;

// The row under the mouse is underlined.
class HotRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver) option->font.setUnderline(true);
    }
};

// Texts of the 8-bit world use a carriage return alone as the line break.
QString shown(const std::string &text) {
    QString s = fromAnsi(text);
    s.replace('\r', '\n');
    return s;
}

// The header lines, each taken into 8-bit text on its own, joined as TagListToText joins them.
std::string headerText(const char *list) {
    if (!list) return {};
    std::string converted;
    for (const char *p = list; *p; p += std::strlen(p) + 1) {
        converted += StationText(p);
        converted += '\0';
    }
    converted += '\0';
    return TagListToText(converted.c_str());
}

std::string longHint(const QWidget *w) {
    const std::string hint = toAnsi(w->property("hint").toString());
    const std::size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void setHint(QWidget *w, const QString &hint) {
    w->setProperty("hint", hint);
    const qsizetype bar = hint.indexOf('|');
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
}

} // namespace

TfrmMain::TfrmMain(RadioHost host, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(std::move(host)) {
    noteCreated("TfrmMain");
    setWindowTitle(QStringLiteral("Calvoran Radio"));
    resize(501, 278);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    lblAddPreset = new QLabel(QStringLiteral("[ Add preset"), this);
    lblStations = new QLabel(QStringLiteral("[ Radio Presets ]"), this);
    lblStations->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtNewStation = new QLineEdit(QString::fromLatin1(kDefaultStation), this);
    setHint(edtNewStation,
            QStringLiteral("Enter a netradio (shoutcast) station here and click add, then doubleclick it "
                           "in the preset box to start listening!"));
    btnAdd = new QPushButton(QStringLiteral("&Add"), this);
    setHint(btnAdd, QStringLiteral("Add the entered URL to the preset list (auto save)..."));
    Button2 = new QPushButton(QStringLiteral("&Remove"), this);
    setHint(Button2, QStringLiteral("Remove selected preset"));
    Button1 = new QPushButton(QStringLiteral("HIDE ME!"), this);
    setHint(Button1, QStringLiteral("Hide radio"));

    lstvwStations = new QTreeWidget(this);
    lstvwStations->setObjectName(QStringLiteral("lstvwStations"));
    lstvwStations->setColumnCount(2);
    lstvwStations->setHeaderLabels({QStringLiteral("Station name"), QStringLiteral("Bitrate")});
    lstvwStations->setRootIsDecorated(false);
    lstvwStations->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstvwStations->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstvwStations->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstvwStations->setMouseTracking(true);
    lstvwStations->setItemDelegate(new HotRowDelegate(lstvwStations));
    lstvwStations->header()->setStretchLastSection(false);
    lstvwStations->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstvwStations->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    lstvwStations->header()->resizeSection(1, 75);
    lstvwStations->setContextMenuPolicy(Qt::CustomContextMenu);
    lstvwStations->viewport()->installEventFilter(this);

    pmnListView = new QMenu(this);
    mntmDeletePresets = pmnListView->addAction(QStringLiteral("Delete selected preset"));
    mntmDeletePresets->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    mntmDeletePresets->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    lstvwStations->addAction(mntmDeletePresets);

    lblstation = new QLabel(QStringLiteral("lblstation"), this);
    lblstation->hide();
    lblGenre = new QLabel(QStringLiteral("[STATION GENRE]"), this);
    lblGenre->setStyleSheet(QStringLiteral("color: yellow; font-weight: bold; font-style: italic;"));
    setHint(lblGenre, QStringLiteral("This is the genre of the playing station..."));
    lblGenre->hide();
    mRawData = new QPlainTextEdit(this);
    mRawData->setReadOnly(true);
    mRawData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHint(mRawData, QStringLiteral("Info about the station that's currectly playing..."));
    mRawData->hide();

    stsbrMain = new QStatusBar(this);
    stsbrMain->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(stsbrMain);
        // Widths as the panels start; a narrow window clips them instead of growing.
        panels_[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        panels_[i]->setMinimumWidth(0);
        panels_[i]->setMaximumWidth(i == 0 ? 400 : 300);
        stsbrMain->addWidget(panels_[i]);
    }

    tmrStreamTags = new QTimer(this);
    tmrStreamTags->setInterval(500);
    tmrSpectrum = new QTimer(this);
    tmrSpectrum->setInterval(50);

    auto *top = new QHBoxLayout;
    top->addWidget(lblAddPreset);
    top->addStretch();
    top->addWidget(lblStations);
    auto *row = new QHBoxLayout;
    row->addWidget(edtNewStation, 1);
    row->addWidget(btnAdd);
    row->addWidget(Button2);
    row->addWidget(Button1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addLayout(row);
    layout->addWidget(lstvwStations, 1);
    layout->addWidget(stsbrMain);

    // The status bar's first panel shows the long hint of the control under the mouse.
    for (QWidget *w : {static_cast<QWidget *>(edtNewStation), static_cast<QWidget *>(btnAdd),
                       static_cast<QWidget *>(Button2), static_cast<QWidget *>(Button1)})
        w->installEventFilter(this);

    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(mntmDeletePresets, &QAction::triggered, this, [this] { mntmDeletePresetsClick(); });
    connect(lstvwStations, &QTreeWidget::itemDoubleClicked, this, [this] { lstvwStationsDblClick(); });
    connect(lstvwStations, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { pmnListView->popup(lstvwStations->viewport()->mapToGlobal(pos)); });
    connect(tmrStreamTags, &QTimer::timeout, this, [this] { tmrStreamTagsTimer(); });
    connect(tmrSpectrum, &QTimer::timeout, this, [this] { tmrSpectrumTimer(); });

    FormCreate();
}

TfrmMain::~TfrmMain() {
    // Presets changed since the last save (a deletion, a station's new name) are kept at exit.
    if (opened_) save();
}

DWORD TfrmMain::current() const {
    return host_.currentChannel ? host_.currentChannel() : 0;
}

QString TfrmMain::presetPath(bool forWriting) const {
    if (!host_.presetFile.isEmpty()) return host_.presetFile;
    const QString name = QStringLiteral("NetRadio.ini");
    return forWriting ? keptFileForWriting(name) : keptFileForReading(name);
}

QString TfrmMain::StatusPanel(int panel) const {
    return panels_[panel]->text();
}

void TfrmMain::setStatus(int panel, const QString &text) {
    panels_[panel]->setText(text);
}

void TfrmMain::FormCreate() {
    presets_.LoadFromFile(presetPath().toStdString());
    FillListView();
}

void TfrmMain::OpenRadio() {
    opened_ = true;
    FillListView();
    show();
    raise();
    activateWindow();
    tmrStreamTags->start();
    tmrSpectrum->start();
}

void TfrmMain::MainStopped(DWORD currentChannel) {
    if (currentChannel != 0) tmrStreamTags->stop();
    tmrSpectrum->stop();
}

void TfrmMain::save() {
    try {
        presets_.SaveToFile(presetPath(true).toStdString());
    } catch (const PresetWriteError &e) {
        // At logout nobody is there to close a box.
        if (WriteFailures::closingOnSignal())
            WriteFailures::report(this, presetPath(true), QString::fromStdString(e.what()));
        else
            showError(QString::fromStdString(e.what()));
    }
}

void TfrmMain::FormClose() {
    save();
    tmrStreamTags->stop();
    tmrSpectrum->stop();
}

void TfrmMain::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept(); // hidden, not destroyed: the menu commands show this window again
}

void TfrmMain::FormResize() {
    panels_[0]->setMaximumWidth(std::max(0, stsbrMain->width() - 300));
}

void TfrmMain::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    FormResize();
}

TRadioPreset *TfrmMain::presetOf(const QTreeWidgetItem *item) const {
    if (!item) return nullptr;
    auto *preset = static_cast<TRadioPreset *>(item->data(0, kPresetRole).value<void *>());
    return presets_.Contains(preset) ? preset : nullptr;
}

QTreeWidgetItem *TfrmMain::firstSelected() const {
    for (int i = 0; i < lstvwStations->topLevelItemCount(); ++i)
        if (lstvwStations->topLevelItem(i)->isSelected()) return lstvwStations->topLevelItem(i);
    return nullptr;
}

void TfrmMain::FillListView() {
    lstvwStations->setUpdatesEnabled(false);
    const TRadioPreset *keep = presetOf(firstSelected());
    lstvwStations->clear();
    QPalette pal = lstvwStations->palette();
    pal.setColor(QPalette::Base,
                 presets_.Count() == 0 ? palette().color(QPalette::Button) : QColor(Qt::white));
    lstvwStations->setPalette(pal);
    for (TRadioPreset *preset : presets_.ListOrder()) {
        auto *item = new QTreeWidgetItem(lstvwStations);
        item->setText(0, fromAnsi(preset->DisplayName()));
        item->setText(1, fromAnsi(preset->BitRateText()));
        item->setData(0, kPresetRole, QVariant::fromValue(static_cast<void *>(preset)));
        if (preset == keep) item->setSelected(true);
    }
    lstvwStations->setUpdatesEnabled(true);
}

void TfrmMain::btnAddClick() {
    const std::string url = toAnsi(edtNewStation->text());
    if (!presets_.Add(url)) {
        for (int i = 0; i < lstvwStations->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = lstvwStations->topLevelItem(i);
            const TRadioPreset *p = presetOf(item);
            if (p && sameUrl(p->URL(), url)) {
                item->setSelected(true);
                break;
            }
        }
    }
    FillListView();
    save();
}

void TfrmMain::Button1Click() {
    hide();
}

void TfrmMain::Button2Click() {
    for (QTreeWidgetItem *item : lstvwStations->selectedItems())
        delete item;
}

void TfrmMain::mntmDeletePresetsClick() {
    TRadioPreset *preset = presetOf(firstSelected());
    if (!preset) return;
    if (preset == currentPreset_) currentPreset_ = nullptr;
    presets_.Delete(preset);
    FillListView();
}

void TfrmMain::lstvwStationsDblClick() {
    TRadioPreset *preset = presetOf(firstSelected());
    if (!preset) return;
    // The current channel may be a module the engine plays: that stops too.
    if (current() != 0 && !BASS_StreamFree(current())) BASS_MusicFree(current());
    currentPreset_ = preset;
    // The connect blocks (at most the network time-out); say so first.
    setStatus(1, QStringLiteral("Opening new connection with ") + fromAnsi(preset->DisplayName()));
    stsbrMain->repaint();
    const DWORD stream =
        BASS_StreamCreateURL(preset->URL().c_str(), 0, BASS_STREAM_AUTOFREE, nullptr, nullptr);
    if (host_.setCurrentChannel) host_.setCurrentChannel(stream);
    presetChannel_ = stream;
    if (stream == 0)
        messageBox(
            this,
            QStringLiteral(
                "Unable to play station, make sure your internet connections is working.\rError Code: ") +
                QString::number(BASS_ErrorGetCode()),
            QStringLiteral("Error"), MsgIcon::Error);
    BASS_StreamPlay(current(), TRUE, 0);
    if (host_.volume) BASS_SetVolume(static_cast<DWORD>(host_.volume()));
    // The preset may have gone while the message box was up.
    if (presets_.Contains(preset) && host_.appendPlaylistEntry)
        host_.appendPlaylistEntry(preset->DisplayName(), fromAnsi(preset->URL()));
}

std::string TfrmMain::StationHint(const TRadioPreset *preset) {
    std::string block;
    if (preset) {
        block = "#Name    : " + preset->DisplayName() + "\r" + "Genre   : " + preset->Genre() + "\r" +
                "URL     : " + preset->URL() + "\r" + "BitRate : " + preset->BitRateText() + "\r" +
                "Metaint : " + std::to_string(preset->Metaint()) + "\r\r";
    }
    return block + "Doubleclick a preset to play it!" + "|";
}

void TfrmMain::lstvwStationsMouseMove(const QPoint &pos) {
    const std::string hint = StationHint(presetOf(lstvwStations->itemAt(pos)));
    const std::size_t bar = hint.find('|');
    lstvwStations->setToolTip(shown(hint.substr(0, bar)));
    setStatus(0, shown(hint.substr(bar + 1)));
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == lstvwStations->viewport() && event->type() == QEvent::MouseMove)
        lstvwStationsMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
    if (event->type() == QEvent::Enter)
        if (auto *w = qobject_cast<QWidget *>(watched); w && w != lstvwStations->viewport())
            setStatus(0, fromAnsi(longHint(w)));
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::tmrStreamTagsTimer() {
    tmrStreamTags->stop();
    const DWORD channel = current();
    bool station = false;
    try {
        const char *headers = BASS_StreamGetTags(channel, BASS_TAG_ICY);
        station = headers != nullptr;
        ParseTagPairs(tagPairs_, headerText(headers), ':', ';', true);
        if (const char *meta = BASS_StreamGetTags(channel, BASS_TAG_META))
            ParseTagPairs(tagPairs_, StationText(meta) + ";", '=', ';', false);
        std::string raw;
        for (const auto &[key, value] : tagPairs_)
            raw += key + " = " + value + "\r";
        mRawData->setPlainText(shown(raw));
        // Only a station shows its tags: a local file playing meanwhile keeps its title.
        if (BASS_ChannelIsActive(channel) != 0 && station) {
            lblstation->setText(fromAnsi(FindTag(tagPairs_, "icy-name")));
            lblGenre->setText(fromAnsi(FindTag(tagPairs_, "icy-genre")));
            if (host_.setTitle)
                host_.setTitle(FindTag(tagPairs_, "StreamTitle") + " " + FindTag(tagPairs_, "icy-name"));
        } else {
            lblGenre->clear();
            if (host_.setPosition)
                host_.setPosition(static_cast<int>(
                    std::lround(BASS_ChannelBytes2Seconds(channel, BASS_ChannelGetPosition(channel)))));
        }
    } catch (const std::exception &) {
        // A tick that failed leaves the timer running.
    }
    tmrStreamTags->start();

    const bool active = BASS_ChannelIsActive(channel) != 0;
    // The preset follows its own station only, so a file played meanwhile never wipes its name.
    if (active && station && channel == presetChannel_ && presets_.Contains(currentPreset_)) {
        TRadioPreset &p = *currentPreset_;
        bool changed = false;
        const std::string stationName = toAnsi(lblstation->text());
        const std::string genre = toAnsi(lblGenre->text());
        const std::string bitRate = FindTag(tagPairs_, "icy-br");
        if (p.DisplayName() != stationName) {
            p.SetName(stationName);
            changed = true;
        }
        if (p.Genre() != genre) {
            p.SetGenre(genre);
            changed = true;
        }
        if (p.BitRateText() != bitRate + " kbps") {
            p.SetBitRate(bitRate);
            changed = true;
        }
        long long metaint = 0;
        if (!parseInteger(FindTag(tagPairs_, "icy-metaint"), metaint) || metaint < INT32_MIN ||
            metaint > INT32_MAX)
            metaint = 0;
        if (p.Metaint() != metaint) {
            p.SetMetaint(static_cast<int>(metaint));
            changed = true;
        }
        if (changed) FillListView();
    }
    setStatus(1, active ? QStringLiteral("Radio is playing") : QStringLiteral("Idle, not playing..."));
}

void TfrmMain::tmrSpectrumTimer() {
    const DWORD channel = current();
    if (BASS_ChannelIsActive(channel) != BASS_ACTIVE_PLAYING) return;
    const DWORD level = BASS_ChannelGetLevel(channel);
    if (host_.setLevels) host_.setLevels(static_cast<int>(level & 0xFFFF), static_cast<int>(level >> 16));
}
