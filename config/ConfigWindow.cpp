#include "ConfigWindow.h"

#include "PluginList.h"

#include "platform/CreationLog.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "widgets/TVrCheckLed.h"
#include "widgets/TVrLabel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include "bass_vis.h"

using calvoran::SettingsKey;
using calvoran::TVrCheckLed;

namespace {

constexpr int kClientWidth = 410;
constexpr int kClientHeight = 162;
constexpr int kStripWidth = 20;
constexpr int kTreeWidth = 153;
constexpr int kPageX = kStripWidth + kTreeWidth + 4;
constexpr int kPageWidth = 233;
constexpr int kPageHeight = 161;
constexpr int kPageRole = Qt::UserRole + 1;

// The decorative strip along the left edge: a dark bar with a column of LED dots.
class DecorStrip : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(0, QColor(0x1a, 0x1f, 0x2a));
        g.setColorAt(1, QColor(0x2c, 0x34, 0x46));
        p.fillRect(rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        for (int y = 8, i = 0; y < height() - 6; y += 9, ++i) {
            const bool lit = i % 5 == 1 || i % 7 == 3;
            p.setBrush(lit ? QColor(0x7c, 0xfc, 0x00) : QColor(0x2f, 0x5a, 0x1e));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(width() / 2.0, y), 2.5, 2.5);
        }
    }
};

void call(const std::function<void(bool)> &f, bool v) {
    if (f) f(v);
}

} // namespace

TForm5::TForm5(ConfigLinks links, QWidget *parent) : QWidget(parent, Qt::Tool), links_(std::move(links)) {
    calvoran::noteCreated("TForm5");
    setWindowTitle(QStringLiteral("Configuration"));
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto *strip = new DecorStrip(this);
    strip->setObjectName(QStringLiteral("Image1"));
    strip->setGeometry(0, 0, kStripWidth, kClientHeight);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(kStripWidth, 0, kTreeWidth, kClientHeight);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(true);
    TreeView1->setItemsExpandable(false);
    TreeView1->setIndentation(12);

    for (int n = 1; n <= 8; ++n)
        pages[static_cast<size_t>(n)] = nullptr;
    makePage(1, QStringLiteral("Stream DSP Effects"));
    makePage(2, QStringLiteral("VU Meters"));
    makePage(3, QStringLiteral("Settings"));
    makePage(4, QStringLiteral("Appearence: Player"));
    makePage(5, QStringLiteral("Appearence: Playlist"));
    makePage(6, QStringLiteral("Skin Chooser"));
    makePage(7, QStringLiteral("File Extensions"));
    makePage(8, QStringLiteral("Sonique visual plugins"));

    QTreeWidgetItem *sound = addNode(nullptr, QStringLiteral("Sound"), 0);
    addNode(sound, QStringLiteral("DSP Effects"), 1);
    QTreeWidgetItem *visuals = addNode(nullptr, QStringLiteral("Visuals"), 0);
    addNode(visuals, QStringLiteral("VU Meters"), 2);
    addNode(visuals, QStringLiteral("Sonique Plugins"), 8);
    QTreeWidgetItem *options = addNode(nullptr, QStringLiteral("Options"), 0);
    addNode(options, QStringLiteral("Settings"), 3);
    QTreeWidgetItem *looks = addNode(options, QStringLiteral("Appearence"), 0);
    addNode(looks, QStringLiteral("Player"), 4);
    addNode(looks, QStringLiteral("Playlist"), 5);
    addNode(looks, QStringLiteral("File Extensions"), 7);
    QTreeWidgetItem *skins = addNode(nullptr, QStringLiteral("Skins"), 0);
    addNode(skins, QStringLiteral("Skin Chooser"), 6);
    TreeView1->expandAll();
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });

    // Page 1: two columns of six effect switches.
    QGroupBox *p1 = page(1);
    VrCheckLed2 = effectSwitch(p1, "VrCheckLed2", QStringLiteral("Swap Channels"), 0, 0);
    CheckBox1 = effectSwitch(p1, "CheckBox1", QStringLiteral("Rotate"), 1, 1);
    CheckBox2 = effectSwitch(p1, "CheckBox2", QStringLiteral("Echo"), 2, 2);
    CheckBox3 = effectSwitch(p1, "CheckBox3", QStringLiteral("Flanger"), 3, 3);
    VrCheckLed5 = effectSwitch(p1, "VrCheckLed5", QStringLiteral("Reverb"), 6, 4);
    VrCheckLed4 = effectSwitch(p1, "VrCheckLed4", QStringLiteral("LPF"), 7, 5);
    VrCheckLed3 = effectSwitch(p1, "VrCheckLed3", QStringLiteral("Cutter"), 8, 6);
    VrCheckLed1 = effectSwitch(p1, "VrCheckLed1", QStringLiteral("Flanger v2"), 9, 7);
    damp = effectSwitch(p1, "damp", QStringLiteral("Dyn Amp"), 11, 8);
    awah = effectSwitch(p1, "awah", QStringLiteral("AutoWah"), 12, 9);
    echo2 = effectSwitch(p1, "echo2", QStringLiteral("Echo 2.0"), 13, 10);
    echo21 = effectSwitch(p1, "echo21", QStringLiteral("Echo 2.1"), 15, 11);

    // Page 2: level-bar speed and the VU switch.
    QGroupBox *p2 = page(2);
    TrackBar1 = new QSlider(Qt::Horizontal, p2);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 50);
    TrackBar1->setValue(1);
    TrackBar1->setGeometry(10, 24, kPageWidth - 20, 24);
    auto *fast = new QLabel(QStringLiteral("Fast PC"), p2);
    fast->setGeometry(10, 50, 80, 16);
    auto *slow = new QLabel(QStringLiteral("Slow PC"), p2);
    slow->setAlignment(Qt::AlignRight);
    slow->setGeometry(kPageWidth - 90, 50, 80, 16);
    connect(TrackBar1, &QSlider::valueChanged, this, [this](int v) {
        if (links_.setLevelTimerInterval) links_.setLevelTimerInterval(static_cast<unsigned>(v));
    });
    CheckBox5 = makeSwitch(p2, "CheckBox5", QStringLiteral("Enable VU meters"), 10, 80);
    CheckBox5->setOnChange([this] {
        call(links_.setLevelTimerEnabled, CheckBox5->Checked());
        SettingsKey::writeInteger(QStringLiteral("VUEnabled"), CheckBox5->Checked() ? 1 : 0);
    });

    // Page 3.
    QGroupBox *p3 = page(3);
    CheckBox4 = makeSwitch(p3, "CheckBox4", QStringLiteral("Enable 3D Support"), 10, 24);
    CheckBox4->setOnChange(
        [this] { SettingsKey::writeInteger(QStringLiteral("3dSupport"), CheckBox4->Checked() ? 1 : 0); });
    Syst = makeSwitch(p3, "Syst", QStringLiteral("Show in systray"), 10, 48);
    Syst->setOnChange([this] {
        if (Syst->Checked()) {
            SettingsKey::writeInteger(QStringLiteral("Systray"), 1);
            call(links_.setTrayIcon, true);
        } else {
            call(links_.setTrayIcon, false);
            SettingsKey::writeInteger(QStringLiteral("Systray"), 0);
        }
    });

    // Pages 4 and 5: looks that last until the program ends.
    VrCheckLed6 = makeSwitch(page(4), "VrCheckLed6", QStringLiteral("Songtitle back leds visible"), 10, 24);
    VrCheckLed6->setOnChange([this] { call(links_.setTitleLedsVisible, VrCheckLed6->Checked()); });
    VrCheckLed7 = makeSwitch(page(5), "VrCheckLed7", QStringLiteral("Flat Scrollbars"), 10, 24);
    VrCheckLed7->setOnChange([this] { call(links_.setPlaylistFlatScrollBars, VrCheckLed7->Checked()); });
    VrCheckLed8 = makeSwitch(page(5), "VrCheckLed8", QStringLiteral("Show Gridlines"), 10, 48);
    VrCheckLed8->setOnChange([this] { call(links_.setPlaylistGridLines, VrCheckLed8->Checked()); });

    // Page 6: the skin chooser.
    QGroupBox *p6 = page(6);
    VrLabel1 = new calvoran::TVrLabel(p6);
    VrLabel1->setObjectName(QStringLiteral("VrLabel1"));
    VrLabel1->setCaption(QStringLiteral("Skin Chooser"));
    QFont heading(QStringLiteral("Verdana"));
    heading.setPixelSize(21);
    heading.setItalic(true);
    VrLabel1->setFont(heading);
    VrLabel1->setStyle(calvoran::lsRaised);
    VrLabel1->setGeometry(10, 18, kPageWidth - 20, 34);
    ComboBox1 = new QComboBox(p6);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert); // a typed name is no skin until it applies
    ComboBox1->setGeometry(10, 64, kPageWidth - 20, 24);
    // Applying on every keystroke would raise a missing-file error per letter typed: a listed name
    // applies at once, any other text when it is confirmed.
    connect(ComboBox1, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (!filling_ && ComboBox1->findText(text, Qt::MatchExactly) >= 0) ComboBox1Change();
    });
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (!filling_) ComboBox1Change();
    });
    Button1 = new QPushButton(QStringLiteral("Refresh List"), p6);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(10, 96, 100, 26);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // Page 8: visual plug-ins.
    QGroupBox *p8 = page(8);
    Label3 = new QLabel(QStringLiteral("Choose Plugin"), p8);
    Label3->setGeometry(10, 20, 120, 16);
    ComboBox2 = new QComboBox(p8);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setGeometry(10, 38, kPageWidth - 20, 24);
    Edit1 = new QLineEdit(p8);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(10, 68, kPageWidth - 20, 22);
    Button2 = new QPushButton(QStringLiteral("Scan for plugins"), p8);
    Button3 = new QPushButton(QStringLiteral("Start"), p8);
    Button4 = new QPushButton(QStringLiteral("Stop"), p8);
    Button2->setGeometry(10, 98, 110, 26);
    Button3->setGeometry(126, 98, 46, 26);
    Button4->setGeometry(176, 98, 46, 26);
    Button4->setEnabled(false);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3->setObjectName(QStringLiteral("Button3"));
    Button4->setObjectName(QStringLiteral("Button4"));
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    // Creation order: plug-in folder, stored switches, tray icon, skin list.
    programFolder_ = calvoran::programFolder();
    Edit1->setText(programFolder_ + QStringLiteral("vis"));
    readSettings();
}

TForm5::~TForm5() = default;

QGroupBox *TForm5::makePage(int number, const QString &caption) {
    auto *box = new QGroupBox(caption, this);
    box->setObjectName(QStringLiteral("GroupBox") + QString::number(number));
    box->setGeometry(kPageX, 0, kPageWidth, kPageHeight);
    box->hide();
    pages[static_cast<size_t>(number)] = box;
    return box;
}

QTreeWidgetItem *TForm5::addNode(QTreeWidgetItem *parent, const QString &caption, int pageNumber) {
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    item->setText(0, caption);
    item->setData(0, kPageRole, pageNumber);
    return item;
}

TVrCheckLed *TForm5::makeSwitch(QWidget *pageBox, const char *name, const QString &caption, int x, int y) {
    auto *led = new TVrCheckLed(pageBox);
    led->setObjectName(QString::fromLatin1(name));
    led->setCaption(caption);
    led->setGeometry(x, y, 200, 20);
    led->Palette().setLow(QColor(0x00, 0x80, 0x00));
    led->Palette().setHigh(QColor(0x00, 0xff, 0x00));
    return led;
}

TVrCheckLed *TForm5::effectSwitch(QWidget *pageBox, const char *name, const QString &caption, int effect,
                                  int row) {
    const int x = row < 6 ? 8 : 118;
    const int y = 18 + (row % 6) * 23;
    TVrCheckLed *led = makeSwitch(pageBox, name, caption, x, y);
    led->resize(108, 20);
    led->setOnChange([this, led, effect] {
        if (links_.setEffect) links_.setEffect(effect, led->Checked());
    });
    return led;
}

void TForm5::readSettings() {
    SettingsKey key;
    if (key.OpenKey()) {
        // A first run has none of these yet: the switches keep their defaults quietly, with
        // the VU meters on.
        auto readFlag = [&key](const char *name, bool fallback) {
            const QString n = QString::fromLatin1(name);
            if (!key.ValueExists(n)) return fallback;
            try {
                return key.ReadInteger(n) != 0;
            } catch (const calvoran::SettingsError &e) {
                calvoran::showError(QString::fromStdString(e.what()));
                return fallback;
            }
        };
        const bool vu = readFlag("VUEnabled", true);
        systray_ = readFlag("Systray", false);
        const bool threeD = readFlag("3dSupport", false);
        key.CloseKey();
        CheckBox4->setChecked(threeD);
        CheckBox5->setChecked(vu);
    }
    Syst->setChecked(false);
    if (systray_) Syst->setChecked(true);
    Button1Click();
}

void TForm5::Button1Click() {
    filling_ = true;
    ComboBox1->clear();
    if (links_.listSkins) ComboBox1->addItems(links_.listSkins());
    if (ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
    filling_ = false;
}

void TForm5::ComboBox1Change() {
    const QString name = ComboBox1->currentText();
    try {
        if (links_.applySkin) links_.applySkin(name);
    } catch (const std::exception &e) {
        // The command stops at the failing step, as any command does.
        calvoran::showError(QString::fromLocal8Bit(e.what()));
        return;
    }
    SettingsKey::writeString(QStringLiteral("SkinName"), name);
}

int TForm5::visiblePage() const {
    // Page 8 lies above the others, so it is the one seen when several are shown.
    for (int n = 8; n >= 1; --n)
        if (!page(n)->isHidden()) return n;
    return 0;
}

void TForm5::TreeView1Change() {
    for (int n = 1; n <= 8; ++n)
        page(n)->hide();
    QTreeWidgetItem *item = TreeView1->currentItem();
    if (!item) return;
    const int number = item->data(0, kPageRole).toInt();
    if (number >= 1 && number <= 8) page(number)->show();
}

void TForm5::selectNode(const QString &caption) {
    const auto found = TreeView1->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    if (!found.isEmpty()) TreeView1->setCurrentItem(found.front());
}

void TForm5::Button2Click() {
    ComboBox2->clear();
    pluginPaths_.clear();
    const QByteArray folder = Edit1->text().toUtf8();
    const char *found =
        BASS_VIS_FindPlugins(folder.constData(), BASS_VIS_FIND_RECURSIVE | BASS_VIS_FIND_FULLPATH);
    if (!found) return;
    for (const QString &path : calvoran::splitPluginList(QString::fromUtf8(found))) {
        const HVIS vis = BASS_SONIQUEVIS_CreateVis(path.toUtf8().constData(), "", BASS_VIS_NAMEONLY, 0, 0);
        if (vis == 0) continue; // gone or changed since the search: a name's index must stay its path's
        ComboBox2->addItem(QString::fromUtf8(BASS_SONIQUEVIS_GetName(vis)));
        BASS_SONIQUEVIS_Free(vis);
        pluginPaths_ << path;
    }
}

QString TForm5::chosenPluginPath() const {
    const int index = ComboBox2->currentIndex();
    return index >= 0 && index < pluginPaths_.size() ? pluginPaths_[index] : QString();
}

void TForm5::Button3Click() {
    const QString path = chosenPluginPath();
    if (path.isEmpty() || !links_.startPlugins) return;
    if (!links_.startPlugins(path)) return; // nothing runs: Start stays available
    // Focus goes to the other button first: left to itself it would land on the page tree, whose first
    // focus selects a node and so hides this page.
    Button4->setEnabled(true);
    if (Button3->hasFocus()) Button4->setFocus();
    Button3->setEnabled(false);
}

void TForm5::Button4Click() {
    if (links_.stopPlugins) links_.stopPlugins();
    pluginWindowClosed();
}

void TForm5::pluginWindowClosed() {
    Button3->setEnabled(true);
    if (Button4->hasFocus()) Button3->setFocus();
    Button4->setEnabled(false);
}

void TForm5::showPluginPage() {
    show();
    page(8)->show();
    page(8)->raise();
}

void TForm5::closeEvent(QCloseEvent *event) {
    // A user's close only hides the window; it lives until the program ends.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}
