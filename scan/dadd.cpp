#include "dadd.h"

#include "engine/model/PlaylistRules.h"
#include "mFileScan.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>

namespace {

constexpr int kPlaylistImage = 9;

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                    const QString &hint) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setToolTip(hint);
    return box;
}

// With a substitute face wider than the one these boxes were sized for, a caption gets a smaller
// size rather than being cut off.
void fitCaption(QWidget *control, const QFont &face, const QString &caption, int room) {
    QFont font = face;
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(caption) > room)
        font.setPixelSize(font.pixelSize() - 1);
    // Through the style sheet: the dialog's sheet would override a plain font setting.
    if (font.pixelSize() != face.pixelSize())
        control->setStyleSheet(QStringLiteral("font-size: %1px;").arg(font.pixelSize()));
}

} // namespace

Tdiradd::Tdiradd(calvoran::DirAddPlaylist playlist, QWidget *parent)
    : QWidget(parent, Qt::Tool), playlist_(std::move(playlist)) {
    setObjectName(QStringLiteral("diradd"));
    setWindowTitle(QStringLiteral("Add Directory"));
    buildControls();
    FormCreate();
}

Tdiradd::~Tdiradd() {
    // The worker stops before the handlers' target goes.
    discardScan();
    restoreCursor();
}

void Tdiradd::buildControls() {
    setGeometry(240, 367, 353, 248);
    setFixedSize(353, 248);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    // Where that face is missing, a narrow one keeps the captions inside their small boxes. The font
    // goes through the style sheet, which would otherwise override it.
    QString family = QStringLiteral("MS Sans Serif");
    if (QFontInfo(QFont(family)).family() != family) family = QStringLiteral("DejaVu Sans Condensed");
    QFont face(family);
    face.setPixelSize(11);
    setFont(face);
    setStyleSheet(QStringLiteral(
                      "* { font-family: \"%1\"; font-size: 11px; }"
                      "QCheckBox { spacing: 2px; } QCheckBox::indicator { width: 11px; height: 11px; }"
                      "QPushButton { padding: 0px; border: 1px solid #808080; border-radius: 2px;"
                      " background: #f0f0f0; }"
                      "QPushButton:pressed { background: #d8d8d8; } QPushButton:disabled { color: #a0a0a0; }")
                      .arg(family));

    stv1Model = new QFileSystemModel(this);
    stv1Model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
    stv1Model->setRootPath(QDir::rootPath());
    stv1 = new QTreeView(this);
    stv1->setObjectName(QStringLiteral("stv1"));
    stv1->setGeometry(0, 0, 353, 137);
    stv1->setModel(stv1Model);
    for (int column = 1; column < stv1Model->columnCount(); ++column)
        stv1->hideColumn(column);
    stv1->setHeaderHidden(true);
    stv1->setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection stays visible while the tree has no focus.
    QPalette treePal = stv1->palette();
    treePal.setColor(QPalette::Inactive, QPalette::Highlight,
                     treePal.color(QPalette::Active, QPalette::Highlight));
    treePal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     treePal.color(QPalette::Active, QPalette::HighlightedText));
    stv1->setPalette(treePal);
    // The folders load in the background: the chosen folder is shown again as its parents arrive,
    // until the user picks another one.
    connect(stv1Model, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        if (pendingFolder_.isEmpty()) return;
        if (pendingFolder_ == loaded || pendingFolder_.startsWith(loaded)) revealPendingFolder();
    });
    // The model sorts a folder's rows a moment after they arrive, which moves the chosen one out of
    // view again; it is brought back until the user takes over the tree.
    connect(stv1Model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (!pendingFolder_.isEmpty()) revealPendingFolder();
    });
    stv1->installEventFilter(this);
    stv1->viewport()->installEventFilter(this);
    connect(stv1->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { pendingFolder_.clear(); });
    connect(stv1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (stv1Model->filePath(current) != pendingFolder_) pendingFolder_.clear();
            });

    GroupBox1 = new QGroupBox(QStringLiteral("Add files of type:"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(2, 135, 351, 99);
    QPalette groupPal = GroupBox1->palette();
    groupPal.setColor(QPalette::Window, QColor(0xe3, 0xe3, 0xe3));
    GroupBox1->setPalette(groupPal);
    GroupBox1->setAutoFillBackground(true);

    QWidget *g = GroupBox1;
    mp1chk = checkBox(g, "mp1chk", QStringLiteral("MP1"), {5, 24, 40, 17},
                      QStringLiteral("Add files of MP1 type"));
    mp2chk = checkBox(g, "mp2chk", QStringLiteral("MP2"), {56, 24, 41, 17},
                      QStringLiteral("Add files of MP2 type"));
    mp3chk = checkBox(g, "mp3chk", QStringLiteral("MP3"), {103, 24, 41, 17},
                      QStringLiteral("Add files of MP3 type"));
    mp3chk->setChecked(true);
    oggchk = checkBox(g, "oggchk", QStringLiteral("OGG"), {153, 24, 41, 17},
                      QStringLiteral("Add files of OGG Vorbis type"));
    modchk = checkBox(g, "modchk", QStringLiteral("MOD"), {201, 24, 43, 17},
                      QStringLiteral("Add files of MOD type"));
    mtmchk = checkBox(g, "mtmchk", QStringLiteral("MTM"), {254, 24, 49, 17},
                      QStringLiteral("Add files of MTM type"));
    wavchk1 = checkBox(g, "wavchk1", QStringLiteral("WAV"), {5, 48, 49, 17},
                       QStringLiteral("Add files of WAV type"));
    s3mchk = checkBox(g, "s3mchk", QStringLiteral("S3M"), {56, 48, 41, 17},
                      QStringLiteral("Add files of S3M type"));
    itchk =
        checkBox(g, "itchk", QStringLiteral("IT"), {103, 48, 33, 17}, QStringLiteral("Add files of IT type"));
    xmchk =
        checkBox(g, "xmchk", QStringLiteral("XM"), {135, 48, 35, 17}, QStringLiteral("Add files of XM type"));
    subs1 = checkBox(g, "subs1", QStringLiteral("Include Subdirectories"), {5, 74, 129, 17}, QString());
    subs1->setChecked(true);

    Button1 = new QPushButton(QStringLiteral("Add Directory"), g);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(194, 74, 71, 17);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    Button2 = new QPushButton(QStringLiteral("Cancel"), g);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(275, 74, 68, 17);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    for (QCheckBox *box :
         {mp1chk, mp2chk, mp3chk, oggchk, modchk, mtmchk, wavchk1, s3mchk, itchk, xmchk, subs1})
        fitCaption(box, face, box->text(), box->width() - 18);
    for (QPushButton *button : {Button1, Button2})
        fitCaption(button, face, button->text(), button->width() - 8);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 248 - 13, 353, 13);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);

    QWidget *order[] = {stv1,   mp2chk, mtmchk, modchk,  mp3chk,  itchk,   oggchk,
                        s3mchk, xmchk,  mp1chk, wavchk1, Button1, Button2, subs1};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    mFileScan1 = new TmFileScan(this);
    mFileScan1->setObjectName(QStringLiteral("mFileScan1"));
    mFileScan1->setSubDirs(true);
    mFileScan1->setOnFileFound(
        [this](QObject *sender, const QString &name) { mFileScan1FileFound(sender, name); });
    mFileScan1->setOnReady([this](QObject *sender, bool aborted, const QStringList &result) {
        mFileScan1Ready(sender, aborted, result);
    });
}

void Tdiradd::FormCreate() {
    // A remembered folder that has gone since starts the tree at home, without an error.
    const QString last = playlist_.lastAddFolder ? *playlist_.lastAddFolder : QString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        SelectFolder(last);
    else
        SelectFolder(QDir::homePath());
}

QString Tdiradd::SelectedFolder() const {
    const QModelIndexList selected = stv1->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return QString();
    return stv1Model->filePath(selected.front());
}

void Tdiradd::SelectFolder(const QString &folder) {
    pendingFolder_ = folder;
    revealPendingFolder();
}

void Tdiradd::revealPendingFolder() {
    const QModelIndex index = stv1Model->index(pendingFolder_);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        stv1->expand(up);
    stv1->expand(index);
    stv1->setCurrentIndex(index);
    stv1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QStringList Tdiradd::Patterns() const {
    const std::pair<QCheckBox *, const char *> table[] = {
        {wavchk1, "*.wav"}, {mp1chk, "*.mp1"}, {mp2chk, "*.mp2"}, {mp3chk, "*.mp3"}, {modchk, "*.mod"},
        {itchk, "*.it"},    {xmchk, "*.xm"},   {mtmchk, "*.mtm"}, {s3mchk, "*.s3m"}, {oggchk, "*.ogg"},
    };
    QStringList patterns;
    for (const auto &[box, pattern] : table)
        if (box->isChecked()) patterns << QString::fromLatin1(pattern);
    return patterns;
}

void Tdiradd::Button1Click() {
    if (!mFileScan1) return;
    if (!busyCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    }
    repaint();
    Button1->setEnabled(false);
    Label1->setText(QStringLiteral("Busy, Searching..."));
    Label1->repaint();

    mFileScan1->setSubDirs(subs1->isChecked());
    const QString folder = SelectedFolder();
    // With nothing selected the search starts at the root.
    mFileScan1->setPaths({folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')});
    mFileScan1->setFilters(Patterns());
    foundCount_ = 0;
    mFileScan1->Start();
    if (playlist_.lastAddFolder) *playlist_.lastAddFolder = folder;
}

void Tdiradd::mFileScan1FileFound(QObject *, const QString &fileName) {
    const calvoran::TagFields tags =
        playlist_.readTags ? playlist_.readTags(fileName) : calvoran::TagFields{};
    const int position = playlist_.entryCount ? playlist_.entryCount() : 0;
    if (playlist_.appendEntry)
        playlist_.appendEntry(calvoran::PlaylistRules::entryCaption(position, tags.Artist, tags.Title),
                              fileName, kPlaylistImage);
    ++foundCount_;
    Label1->setText(QString::number(foundCount_) + QStringLiteral(" files found, wait..."));
}

void Tdiradd::mFileScan1Ready(QObject *, bool, const QStringList &) {
    Label1->setText(QStringLiteral("Done!!"));
    discardScan();
    restoreCursor();
    discardDialog();
}

void Tdiradd::Button2Click() {
    if (mFileScan1 && mFileScan1->Running()) mFileScan1->Stop();
    discardScan();
    restoreCursor();
    // A cancelled dialog is never shown again.
    discardDialog();
}

void Tdiradd::FormClose() {
    discardScan();
    restoreCursor();
    Button1->setEnabled(true);
    discardDialog();
}

bool Tdiradd::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == stv1 || watched == stv1->viewport()) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel ||
         event->type() == QEvent::KeyPress))
        pendingFolder_.clear();
    return QWidget::eventFilter(watched, event);
}

void Tdiradd::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
}

void Tdiradd::discardScan() {
    // Deleting the component stops its worker and waits for it; rows already added stay.
    delete mFileScan1;
    mFileScan1 = nullptr;
}

void Tdiradd::restoreCursor() {
    if (!busyCursor_) return;
    busyCursor_ = false;
    QApplication::restoreOverrideCursor();
}

void Tdiradd::discardDialog() {
    if (discarded_) return;
    discarded_ = true;
    hide();
    // Later, so the handler that asked for it returns first.
    deleteLater();
}
