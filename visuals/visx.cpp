#include "visx.h"

#include "platform/Dialogs.h"
#include "widgets/TVrTimer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

using calvoran::TTimerType;
using calvoran::TVrTimer;

namespace calvoran {

VisPaintBox::VisPaintBox(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VisPaintBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

void VisPaintBox::resizeEvent(QResizeEvent *) {
    if (surface_.size() == size()) return;
    surface_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface_.fill(Qt::black);
    if (onResize) onResize();
}

void VisPaintBox::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    if (onMouseDown) onMouseDown(at.x(), at.y());
}

} // namespace calvoran

namespace {
constexpr int kPaintWidth = 231;
constexpr int kPaintHeight = 229;
constexpr int kMargin = 4;
} // namespace

Tsvis::Tsvis(calvoran::SvisSetup setup, QWidget *parent) : QMainWindow(parent), setup_(std::move(setup)) {
    if (!setup_.showError)
        setup_.showError = [](const QString &text) {
            calvoran::messageBox(nullptr, text, QStringLiteral("Error"), calvoran::MsgIcon::Error);
        };
    setObjectName(QStringLiteral("svis"));
    setWindowTitle(QStringLiteral("Sonique Plugins"));
    setWindowFlag(Qt::Tool);
    auto *central = new QWidget(this);
    central->setAutoFillBackground(true);
    central->setPalette(QPalette(Qt::white));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    PaintBox1 = new calvoran::VisPaintBox(central);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setMinimumSize(1, 1);
    layout->addWidget(PaintBox1);
    ComboBox1 = new QComboBox(central);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->hide();
    setCentralWidget(central);
    PaintBox1->onResize = [this] { Formresize(); };
    PaintBox1->onMouseDown = [this](int x, int y) { PaintBox1MouseDown(x, y); };
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });

    Options1 = menuBar()->addMenu(QStringLiteral("Options"));
    const auto submenu = [this](const QString &title, DWORD option, auto &items) {
        QMenu *menu = Options1->addMenu(title);
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto n = static_cast<DWORD>(i + 1);
            items[i] = menu->addAction(QString::number(n));
            connect(items[i], &QAction::triggered, this, [option, n] { BASS_VIS_SetConfig(option, n); });
        }
    };
    submenu(QStringLiteral("FFT Spectrum Sensitivity"), BASS_VIS_CONFIG_SENSITIVITY, SensitivityItems);
    submenu(QStringLiteral("FFT Zoom"), BASS_VIS_CONFIG_FFTZOOM, FftZoomItems);
    submenu(QStringLiteral("Wave Zoom"), BASS_VIS_CONFIG_WAVEZOOM, WaveZoomItems);
    QMenu *update = Options1->addMenu(QStringLiteral("Update"));
    const auto rate = [this, update](const QString &text, unsigned ms) {
        QAction *action = update->addAction(text);
        connect(action, &QAction::triggered, this, [this, ms] { VrTimer1->setInterval(ms); });
        return action;
    };
    Realtime1 = rate(QStringLiteral("Realtime"), 1);
    N101 = rate(QStringLiteral("+10"), 10);
    N201 = rate(QStringLiteral("+20"), 20);
    N301 = rate(QStringLiteral("+30"), 30);

    timer_ = std::make_unique<TVrTimer>();
    VrTimer1 = timer_.get();
    VrTimer1->setTimerType(TTimerType::ttThread);
    VrTimer1->setInterval(30);
    VrTimer1->setOnTimer([this] { VrTimer1Timer(); });

    resize(kPaintWidth + 2 * kMargin, kPaintHeight + 2 * kMargin + menuBar()->sizeHint().height());
    FormCreate();
    if (recording()) VrTimer1->setEnabled(true);
}

Tsvis::~Tsvis() {
    timer_.reset(); // no tick after this
    freeVis();
    if (recordInitialised_) BASS_RecordFree();
}

void Tsvis::FormCreate() {
    // Failures leave the window without a recording; its owner closes it and the player runs on.
    if (!BASS_RecordInit(setup_.recordDevice)) {
        setup_.showError(QStringLiteral("Cant initialize device"));
        return;
    }
    recordInitialised_ = true;
    record_ = BASS_RecordStart(44100, BASS_SAMPLE_MONO, nullptr, nullptr);
    if (record_ == 0) {
        setup_.showError(QStringLiteral("Cant start recording"));
        BASS_RecordFree();
        recordInitialised_ = false;
        return;
    }
    for (int i = 0; const char *name = BASS_RecordGetInputName(i); ++i)
        ComboBox1->addItem(QString::fromUtf8(name));
}

HVIS Tsvis::createVis(const QString &path) {
    const QByteArray file = path.toUtf8();
    const QByteArray ini = setup_.settingsFile.toUtf8();
    const QImage &surface = PaintBox1->surface();
    return BASS_SONIQUEVIS_CreateVis(file.constData(), ini.constData(), 0, surface.width(), surface.height());
}

bool Tsvis::startVis(const QString &path) {
    started_ = true;
    freeVis();
    vis_ = createVis(path);
    if (vis_ == 0) {
        setup_.showError(QStringLiteral("Can't start the visual plug-in \"%1\" (error code: %2)")
                             .arg(QFileInfo(path).fileName())
                             .arg(BASS_ErrorGetCode()));
        return false;
    }
    return true;
}

void Tsvis::freeVis() {
    if (vis_ != 0) BASS_SONIQUEVIS_Free(vis_);
    vis_ = 0;
}

void Tsvis::Formresize() {
    if (!started_) return;
    // With no plug-in chosen there is nothing to start afresh: the running one goes on at its own size.
    const QString path = setup_.chosenPlugin ? setup_.chosenPlugin() : QString();
    if (path.isEmpty()) return;
    freeVis();
    vis_ = createVis(path);
    if (vis_ == 0 && path != failedPath_) {
        failedPath_ = path; // once per plug-in, not at every step of a drag
        setup_.showError(QStringLiteral("Can't start the visual plug-in \"%1\" (error code: %2)")
                             .arg(QFileInfo(path).fileName())
                             .arg(BASS_ErrorGetCode()));
    }
}

void Tsvis::VrTimer1Timer() {
    if (vis_ == 0) return;
    QImage &surface = PaintBox1->surface();
    BASS_VIS_SURFACE target{surface.bits(), surface.width(), surface.height(),
                            static_cast<int>(surface.bytesPerLine())};
    if (BASS_SONIQUEVIS_Render(vis_, record_, &target)) PaintBox1->update();
}

void Tsvis::PaintBox1MouseDown(int x, int y) {
    BASS_SONIQUEVIS_Clicked(vis_, x, y);
}

void Tsvis::ComboBox1Change() {
    const int chosen = ComboBox1->currentIndex();
    for (int i = 0; i < ComboBox1->count(); ++i)
        BASS_RecordSetInput(i, i == chosen ? BASS_INPUT_ON : BASS_INPUT_OFF);
}

void Tsvis::closeEvent(QCloseEvent *event) {
    event->accept();
    emit closed();
}
