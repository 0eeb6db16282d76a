#include "MainWindow.h"

#include "BrowserWindow.h"
#include "MainMenu.h"
#include "PlayerLook.h"
#include "WindowDrag.h"
#include "bass.h"
#include "config/ConfigWindow.h"
#include "config/UnitBitmapRgn.h"
#include "engine/EqualizerWindow.h"
#include "engine/PlaybackEngine.h"
#include "engine/PlaylistModel.h"
#include "engine/PlaylistWindow.h"
#include "platform/CreationLog.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/Text.h"
#include "platform/TrayIcon.h"
#include "radio/RadioWindow.h"
#include "tags/id3.h"
#include "visuals/vsx.h"
#include "widgets/About.h"
#include "widgets/TVrBitmapButton.h"
#include "widgets/TVrDisplay.h"
#include "widgets/TVrLevelBar.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrRunOnce.h"
#include "widgets/TVrSlider.h"
#include "widgets/TVrTimer.h"
#include "widgets/TVrTrackBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>
#include <cmath>

using calvoran::SkinButton;
using calvoran::SkinControl;
using calvoran::TVrBitmapButton;
using calvoran::TVrRunOnce;
using calvoran::TVrTimer;
namespace Look = calvoran::PlayerLook;

namespace {

constexpr int kLevelMax = 128;
constexpr int kScrollStep = 15;

TVrBitmapButton *makeButton(QWidget *parent, const QRect &geometry, const QString &hint) {
    auto *button = new TVrBitmapButton(parent);
    button->setGeometry(geometry);
    button->setNumGlyphs(2);
    button->setTransparentMode(calvoran::tmPixel);
    button->setTransparent(true);
    button->setAutoSize(true);
    button->setToolTip(hint);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

template <typename Window> void showNew() {
    auto *window = new Window();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
}

void showWindow(QWidget *window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TForm1::TForm1(calvoran::PlaybackEngine &engine, calvoran::PlaylistModel &playlist, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), engine_(engine), playlist_(playlist),
      runOnce_(std::make_unique<TVrRunOnce>(this)), timer2_(std::make_unique<TVrTimer>()),
      tt1_(std::make_unique<TVrTimer>()) {
    calvoran::noteCreated("TForm1");
    setWindowTitle(QStringLiteral("Calvoran Player"));
    setCursor(Qt::SizeAllCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    resize(Look::kDesignWidth, Look::kDesignHeight);

    runOnce_->RestorePrevInst = true;
    runOnce_->Terminate = true;
    runOnce_->ShowMessage = true;
    runOnce_->MessageText = QStringLiteral("Calvoran Player is already running!");

    timer2_->setEnabled(false);
    timer2_->setInterval(910);
    timer2_->setOnTimer([this] { Timer2Timer(); });
    tt1_->setEnabled(false);
    tt1_->setInterval(90);
    tt1_->setOnTimer([this] { tt1Timer(); });

    bitmapRgn_ = new calvoran::TBitmapRgn(this);
    bitmapRgn_->setTransparentColor(qRgb(0, 0, 0));
    drag_ = new WindowDrag(this);
    drag_->OnDragEnd = [this] {
        calvoran::SettingsKey key;
        if (!key.OpenKey()) return;
        key.WriteInteger(QStringLiteral("MainTop"), y());
        key.WriteInteger(QStringLiteral("MainLeft"), x());
        key.CloseKey();
    };

    buildControls();
    PopupMenu1 = new MainMenu(this);
    wireMenu();
    calvoran::showEngineOn(engine_, *this, this);
}

TForm1::~TForm1() = default;

void TForm1::buildControls() {
    Image1 = new QLabel(this);
    Image1->move(0, 0);
    Image1->setToolTip(QStringLiteral("Right Click to view menu"));
    Image1->installEventFilter(this);

    Image2 = new QLabel(this);
    Image2->setGeometry(64, 64, 10, 10);
    Image2->setPixmap(QPixmap::fromImage(Look::menuButtonPicture()));
    Image2->setToolTip(QStringLiteral("Menu"));
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->installEventFilter(this);

    PlButton = makeButton(this, QRect(30, 72, 25, 18), QStringLiteral("Show/Hide Playlist"));
    PrevBtn = makeButton(this, QRect(78, 72, 28, 20), QStringLiteral("Previous"));
    NextBtn = makeButton(this, QRect(112, 72, 28, 20), QStringLiteral("Next"));
    PlayBtn = makeButton(this, QRect(144, 72, 28, 20), QStringLiteral("Play"));
    StopBtn = makeButton(this, QRect(176, 72, 28, 20), QStringLiteral("Stop"));
    PlButton->setOnClick([this] { PlButtonClick(); });
    PrevBtn->setOnClick([this] { PrevBtnClick(); });
    NextBtn->setOnClick([this] { NextBtnClick(); });
    PlayBtn->setOnClick([this] { PlaybtnClick(); });
    StopBtn->setOnClick([this] { StopBtnClick(); });

    VrDisplay1 = new calvoran::TVrDisplay(this);
    Look::setUpDisplay(VrDisplay1);
    VrDisplay1->move(40, 0);
    VrDisplay1->installEventFilter(this);

    VrMatrix1 = new calvoran::TVrMatrix(VrDisplay1);
    Look::setUpMatrix(VrMatrix1);
    VrMatrix1->move(7, 14);
    VrMatrix1->setMaximumWidth(300);
    VrMatrix1->setToolTip(QStringLiteral("Song Title"));
    VrMatrix1->installEventFilter(this);

    VrLevelBar1 = new calvoran::TVrLevelBar(VrDisplay1);
    Look::setUpLevelBar(VrLevelBar1, false);
    VrLevelBar1->move(6, 6);
    VrLevelBar1->setToolTip(QStringLiteral("Left Level"));
    VrLevelBar2 = new calvoran::TVrLevelBar(VrDisplay1);
    Look::setUpLevelBar(VrLevelBar2, true);
    VrLevelBar2->move(88, 6);
    VrLevelBar2->setToolTip(QStringLiteral("Right Level"));
    VrLevelBar1->setPaintedByOwner(true);
    VrLevelBar2->setPaintedByOwner(true);

    Label1 = new QLabel(QStringLiteral("0:0"), VrDisplay1);
    Label1->setGeometry(8, 28, 40, 12);
    Label1->setMaximumWidth(40);
    Label1->setToolTip(QStringLiteral("Time Played"));
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::WindowText, QColor(0x00FF00));
    Label1->setPalette(labelPalette);
    QFont labelFont(QStringLiteral("DejaVu Sans"));
    labelFont.setPixelSize(10);
    labelFont.setBold(true);
    Label1->setFont(labelFont);

    VrTrackBar1 = new calvoran::TVrTrackBar(VrDisplay1);
    Look::setUpPosition(VrTrackBar1);
    VrTrackBar1->setToolTip(QStringLiteral("Position"));
    // Seeking is by mouse only; the volume slider takes the keyboard.
    VrTrackBar1->setFocusPolicy(Qt::NoFocus);
    VrTrackBar1->setOnMouseDown(
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrTrackBar1MouseDown(); });
    VrTrackBar1->setOnMouseUp(
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrTrackBar1MouseUp(); });

    VrSlider2 = new calvoran::TVrSlider(VrDisplay1);
    Look::setUpBalance(VrSlider2);
    VrSlider2->setToolTip(QStringLiteral("Balance"));
    VrSlider2->setOnChange([this] { VrSlider2Change(); });
    VrSlider2->setOnMouseDown(
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrSlider2MouseDown(); });
    VrSlider2->setOnMouseUp([this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrSlider2MouseUp(); });

    VrSlider1 = new calvoran::TVrSlider(VrDisplay1);
    Look::setUpVolume(VrSlider1);
    VrSlider1->setToolTip(QStringLiteral("Volume"));
    VrSlider1->setOnChange([this] { VrSlider1Change(); });
    VrSlider1->setOnMouseDown(
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrSlider1MouseDown(); });
    VrSlider1->setOnMouseUp([this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { vrSlider1MouseUp(); });

    useBuiltInLook();
}

void TForm1::wireMenu() {
    MainMenu *m = PopupMenu1;
    connect(m->About1, &QAction::triggered, this, [] { showNew<calvoran::TAbout>(); });
    connect(m->CreatingSkins1, &QAction::triggered, this, [] {
        auto *browser = new Tbrowser1();
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->show();
        browser->Navigate(Tbrowser1::kSkinHelpPage);
    });
    connect(m->Ormuldex1, &QAction::triggered, this, [] { showNew<Tbrowser1>(); });
    connect(m->MakeMoney1, &QAction::triggered, this, [] {
        auto *browser = new Tbrowser1();
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->show();
        browser->Navigate(Tbrowser1::kSponsorPage);
    });
    connect(m->Previous1, &QAction::triggered, this, [this] { PrevBtnClick(); });
    connect(m->Play1, &QAction::triggered, this, [this] { PlaybtnClick(); });
    connect(m->Stop1, &QAction::triggered, this, [this] { StopBtnClick(); });
    connect(m->NextSong1, &QAction::triggered, this, [this] { NextBtnClick(); });
    // The shortcuts work while the window has the focus, without opening the menu.
    addActions({m->Previous1, m->Play1, m->Stop1, m->NextSong1});
    connect(m->ShowPlaylist1, &QAction::triggered, this, [this] { PlButtonClick(); });
    connect(m->ShowEq1, &QAction::triggered, this, [this] { showWindow(peers_.equalizer); });
    connect(m->PlayInternetStream1, &QAction::triggered, this, [this] {
        if (peers_.radio) peers_.radio->OpenRadio();
    });
    connect(m->Effects1, &QAction::triggered, this, [this] { showWindow(peers_.config); });
    connect(m->LevelMeters1, &QAction::triggered, this, [this] {
        if (openLevelMeters) openLevelMeters();
    });
    connect(m->Studio1, &QAction::triggered, this, [this] {
        if (openVsLab) openVsLab();
    });
    connect(m->Ba1, &QAction::triggered, this, [this] { showWindow(peers_.vsx); });
    connect(m->SoniqueVisualPlugins1, &QAction::triggered, this, [this] {
        if (peers_.config) peers_.config->showPluginPage();
    });
    connect(m->ID3Tag1, &QAction::triggered, this, [this] { showWindow(peers_.id3); });
    connect(m->Minimize1, &QAction::triggered, this, [this] { Minimize1Click(); });
    connect(m->Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
}

void TForm1::FormCreate() {
    runOnce_->check();
}

QString TForm1::commandLineFile(const QString &commandLine, const QString &exePath) {
    const qsizetype l = exePath.length();
    if (commandLine.length() > l + 3) return commandLine.mid(l + 4, commandLine.length() - l - 5);
    return {};
}

QString TForm1::GetCMDLineFile(const QString &commandLine) {
    setLevels(0, 0);
    return commandLineFile(commandLine, QCoreApplication::applicationFilePath());
}

bool TForm1::Repeat() const {
    return PopupMenu1->Repeat1->isChecked();
}

// ---- Transport ----------------------------------------------------------------------------------

void TForm1::PlaybtnClick() {
    TForm2 *list = peers_.playlist;
    if (!list || playlist_.count() < 1 || list->SelectedPosition() < 0) return;
    engine_.StopPlayback();
    const int selected = list->SelectedPosition();
    CurrentIndex = selected;
    engine_.PlayPath(playlist_.location(selected), selected);
}

void TForm1::playCurrentIndex(bool scroll) {
    TForm2 *list = peers_.playlist;
    // CurrentIndex may lie outside the list when the selection moved or entries were removed.
    CurrentIndex = std::clamp(CurrentIndex, 0, playlist_.count() - 1);
    list->SelectPosition(CurrentIndex);
    if (scroll) list->ScrollBy(kScrollStep);
    engine_.PlayPath(playlist_.location(CurrentIndex), list->SelectedPosition());
}

void TForm1::PrevBtnClick() {
    if (!peers_.playlist || peers_.playlist->SelectedPosition() < 1 || playlist_.count() < 1) return;
    engine_.StopPlayback();
    CurrentIndex = CurrentIndex - 1;
    playCurrentIndex(false);
}

void TForm1::NextBtnClick() {
    if (!peers_.playlist) return;
    const int count = playlist_.count();
    if (peers_.playlist->SelectedPosition() + 1 == count || count < 1) return;
    engine_.StopPlayback();
    // Past the end of the list there is nothing to play.
    if (CurrentIndex + 1 >= count) return;
    CurrentIndex = CurrentIndex + 1;
    playCurrentIndex(true);
}

void TForm1::StopBtnClick() {
    // Stop ends playback, so the end-of-track timer does not move on to the next entry.
    if (peers_.radio) peers_.radio->MainStopped(engine_.CurrentChannel());
    engine_.StopPlayback();
    QCoreApplication::processEvents();
}

void TForm1::PlButtonClick() {
    if (peers_.playlist) peers_.playlist->setVisible(!peers_.playlist->isVisible());
}

void TForm1::Timer2Timer() {
    TForm2 *list = peers_.playlist;
    if (!list) return;
    const int count = playlist_.count();
    if (count < 1) return;
    // A station waiting for the network has not ended.
    const DWORD state = BASS_ChannelIsActive(engine_.CurrentChannel());
    const bool playing = state == BASS_ACTIVE_PLAYING || state == BASS_ACTIVE_STALLED;
    const bool atLast = list->SelectedPosition() + 1 == count;
    if (playing) return;
    if (atLast && !Repeat()) {
        engine_.StopPlayback();
        return;
    }
    if (atLast) {
        engine_.StopPlayback();
        list->SelectPosition(0);
        CurrentIndex = 0;
        engine_.PlayPath(playlist_.location(0), 0);
        return;
    }
    engine_.StopPlayback();
    if (CurrentIndex + 1 >= count) return; // the list ends here
    CurrentIndex = CurrentIndex + 1;
    playCurrentIndex(true);
}

void TForm1::tt1Timer() {
    const double seconds = engine_.positionSeconds();
    if (SeekDragging == 0) VrTrackBar1->setPosition(static_cast<int>(std::lround(seconds)));
    showPlayedTime(static_cast<float>(seconds));
    skipQuietTicks(seconds);
    // Pending messages run as soon as the tick returns: it runs in the event loop, not in a thread that
    // waits for it.
}

// Ticks that would show the same second need not wake the thread; the sound already mixed says when the
// next one comes.
void TForm1::skipQuietTicks(double seconds) {
    const quint64 changes = calvoran::PlaybackEngine::soundChanges();
    const auto looks = [](double s) {
        return std::make_pair(std::lround(s), Look::minutesSeconds(static_cast<float>(s)));
    };
    const auto shown = looks(seconds);
    tt1_->skipQuietTicks(
        [&](unsigned ms) {
            const double next = engine_.positionSecondsAhead(ms);
            return next >= 0 && looks(next) == shown;
        },
        [changes] { return calvoran::PlaybackEngine::soundChanges() == changes; });
}

void TForm1::showPlayedTime(float seconds) {
    const QString text = Look::minutesSeconds(seconds);
    if (peers_.playlist) peers_.playlist->setStatusText(1, QStringLiteral("Played: ") + text);
    Label1->setText(text);
}

// ---- Volume, balance, seeking -------------------------------------------------------------------

int TForm1::volume() const {
    return VrSlider1->Position();
}

void TForm1::setVolume(int position) {
    const int clamped = std::clamp(position, 0, 100);
    if (VrSlider1->Position() == clamped)
        VrSlider1Change(); // setting the same position still applies it, as at start-up
    else
        VrSlider1->setPosition(clamped);
}

void TForm1::VrSlider1Change() {
    const int position = VrSlider1->Position();
    engine_.setVolume(position);
    VrSlider1->setToolTip(QStringLiteral("Volume: ") + QString::number(position));
    calvoran::SettingsKey::writeInteger(QStringLiteral("Volume"), position);
    VrMatrix1->setAutoScroll(false);
    setLedText(QStringLiteral("Volume: ") + QString::number(position));
}

void TForm1::vrSlider1MouseDown() {
    VrMatrix1->setAutoScroll(false);
    setLedText(QStringLiteral("Volume: ") + QString::number(VrSlider1->Position()));
}

void TForm1::restoreTitle() {
    VrMatrix1->setAutoScroll(true);
    const int count = playlist_.count();
    if (count > 0)
        setLedText(calvoran::fromAnsi(playlist_.caption(std::clamp(CurrentIndex, 0, count - 1))));
    else
        setLedText(QStringLiteral("Calvoran Player by ") + Tbrowser1::kHomePage.toString());
}

void TForm1::vrSlider1MouseUp() {
    restoreTitle();
}

void TForm1::VrSlider2Change() {
    const int position = VrSlider2->Position();
    VrSlider2->setToolTip(QStringLiteral("Balance: ") + QString::number(position));
    engine_.setPan(position);
    VrMatrix1->setAutoScroll(false);
    setLedText(QStringLiteral("Balance: ") + QString::number(position));
}

void TForm1::vrSlider2MouseDown() {
    VrMatrix1->setAutoScroll(false);
    setLedText(QStringLiteral("Balance: ") + QString::number(VrSlider2->Position()));
}

void TForm1::vrSlider2MouseUp() {
    restoreTitle();
}

void TForm1::vrTrackBar1MouseDown() {
    SeekDragging = -1;
}

void TForm1::vrTrackBar1MouseUp() {
    engine_.seekSeconds(VrTrackBar1->Position());
    SeekDragging = 0;
}

// ---- Displays -----------------------------------------------------------------------------------

void TForm1::setLedText(const QString &text) {
    ledText_ = text;
    VrMatrix1->setText(calvoran::toAnsi(text));
}

void TForm1::setTitleAutoScroll(bool on) {
    VrMatrix1->setAutoScroll(on);
}

bool TForm1::ledAutoScroll() const {
    return VrMatrix1->AutoScroll();
}

void TForm1::setLevels(int left, int right) {
    // A bar reaches the screen only when a tick lit or went out, and at once: no posted update. Both bars
    // go out in one paint, so one flush to the display server.
    VrLevelBar1->setPosition(std::clamp(left, 0, kLevelMax));
    VrLevelBar2->setPosition(std::clamp(right, 0, kLevelMax));
    calvoran::VrImageWidget::showNow({VrLevelBar1, VrLevelBar2});
}

bool TForm1::levelsLookSame(int left1, int right1, int left2, int right2) const {
    return VrLevelBar1->litCountAt(left1) == VrLevelBar1->litCountAt(left2) &&
           VrLevelBar2->litCountAt(right1) == VrLevelBar2->litCountAt(right2);
}

void TForm1::setTimeText(const QString &text) {
    Label1->setText(text);
}

void TForm1::setPositionMax(int seconds) {
    // The bar needs a range; a stream without a length keeps one second.
    VrTrackBar1->setMaxValue(std::max(1, seconds));
}

void TForm1::setPosition(int seconds) {
    VrTrackBar1->setPosition(seconds);
}

// ---- Menu, tray, dragging -----------------------------------------------------------------------

void TForm1::popupMainMenu(const QPoint &globalPos) {
    PopupMenu1->popup(globalPos);
}

void TForm1::Image2Click() {
    PopupMenu1->popup(QCursor::pos());
}

void TForm1::WM_CALLBACKPRO(int mouseMessage) {
    if (mouseMessage == calvoran::TrayIcon::kRightButtonDown) PopupMenu1->popup(QCursor::pos());
}

void TForm1::MoveForm(const QMouseEvent *press) {
    drag_->begin(press);
}

void TForm1::Minimize1Click() {
    // The action has flipped its check mark already.
    setVisible(PopupMenu1->Minimize1->isChecked());
}

void TForm1::contextMenuEvent(QContextMenuEvent *event) {
    PopupMenu1->popup(event->globalPos());
    event->accept();
}

void TForm1::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) MoveForm(event);
    QWidget::mousePressEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() != Qt::LeftButton) return false;
        if (watched == Image2) {
            Image2Click();
            return true;
        }
        if (watched == Image1 || watched == VrDisplay1 || watched == VrMatrix1) {
            MoveForm(press);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Skin target --------------------------------------------------------------------------------

QWidget *TForm1::controlWidget(SkinControl control) const {
    switch (control) {
    case SkinControl::PlButton:
        return PlButton;
    case SkinControl::PrevBtn:
        return PrevBtn;
    case SkinControl::PlayBtn:
        return PlayBtn;
    case SkinControl::StopBtn:
        return StopBtn;
    case SkinControl::NextBtn:
        return NextBtn;
    case SkinControl::VrDisplay1:
        return VrDisplay1;
    case SkinControl::Image2:
        return Image2;
    }
    return nullptr;
}

TVrBitmapButton *TForm1::mainButton(SkinButton button) const {
    switch (button) {
    case SkinButton::PlButton:
        return PlButton;
    case SkinButton::PrevBtn:
        return PrevBtn;
    case SkinButton::PlayBtn:
        return PlayBtn;
    case SkinButton::StopBtn:
        return StopBtn;
    case SkinButton::NextBtn:
        return NextBtn;
    default:
        return nullptr;
    }
}

void TForm1::setControlLeft(SkinControl control, int left) {
    QWidget *w = controlWidget(control);
    w->move(left, w->y());
    refreshButtonBackgrounds();
}

void TForm1::setControlTop(SkinControl control, int top) {
    QWidget *w = controlWidget(control);
    w->move(w->x(), top);
    refreshButtonBackgrounds();
}

void TForm1::refreshButtonBackgrounds() {
    // A see-through button keeps the pixels it found under it; after a move or a new picture those
    // are stale.
    for (TVrBitmapButton *b : {PlButton, PrevBtn, NextBtn, PlayBtn, StopBtn}) {
        b->setTransparent(false);
        b->setTransparent(true);
    }
}

void TForm1::loadGlyph(SkinButton button, const QImage &glyph) {
    if (TVrBitmapButton *b = mainButton(button)) {
        b->setGlyph(glyph);
        return;
    }
    if (!peers_.playlist) return;
    const TForm2::Button which = button == SkinButton::AddBtn   ? TForm2::Button::Add
                                 : button == SkinButton::Delbtn ? TForm2::Button::Delete
                                                                : TForm2::Button::Save;
    peers_.playlist->setButtonGlyph(which, Look::firstFrame(glyph, 2));
}

void TForm1::loadBackground(const QImage &picture) {
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
    refreshButtonBackgrounds();
}

QSize TForm1::backgroundSize() const {
    return Image1->pixmap().size();
}

void TForm1::repaintBackground() {
    Image1->repaint();
    refreshButtonBackgrounds();
}

void TForm1::useBuiltInLook() {
    PlButton->move(30, 72);
    PrevBtn->move(78, 72);
    NextBtn->move(112, 72);
    PlayBtn->move(144, 72);
    StopBtn->move(176, 72);
    VrDisplay1->move(40, 0);
    Image2->move(64, 64);
    for (SkinButton b : {SkinButton::PlButton, SkinButton::PrevBtn, SkinButton::PlayBtn, SkinButton::StopBtn,
                         SkinButton::NextBtn, SkinButton::AddBtn, SkinButton::Delbtn, SkinButton::SaveBtn})
        loadGlyph(b, Look::builtInGlyph(b));
    loadBackground(Look::builtInBackground());
    clearMask();
    resize(Look::kDesignWidth, Look::kDesignHeight);
}

// ---- Shutdown -----------------------------------------------------------------------------------

void TForm1::Exit1Click() {
    engine_.StopPlayback();
    calvoran::TrayIcon::instance().remove();
    if (peers_.playlist) peers_.playlist->Timer1()->setEnabled(false);
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
    close();
}

void TForm1::FormClose() {
    if (closed_) return;
    closed_ = true;
    if (releasePluginWindow) releasePluginWindow();
    tt1_->setEnabled(false);
    timer2_->setEnabled(false);
    if (peers_.playlist) {
        peers_.playlist->Timer1()->setEnabled(false);
        // Sound ends before the list is written; the library stays up until the lengths are measured.
        engine_.StopPlayback();
        peers_.playlist->WritePlaylistFile(calvoran::keptFileForWriting(QStringLiteral("playlist.m3u")));
    }
    engine_.Shutdown();
    QCoreApplication::processEvents();
}

void TForm1::changeEvent(QEvent *event) {
    // Levels, time and title keep changing while minimised and nobody sees them: paint nothing until the
    // window is back, then everything once.
    if (event->type() == QEvent::WindowStateChange) setUpdatesEnabled(!isMinimized());
    QWidget::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
    // quit() would ask the hidden tool windows, which only hide. A close that comes while start-up
    // still lets events run must end the loop that has not started yet, hence the queued exit too.
    QCoreApplication::exit(0);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
