#include "VsLabWindow.h"

#include "platform/Dialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QTimer>

using namespace calvoran;
using calvoran::visuals::colorRefOf;

namespace calvoran {

ColorSwatch::ColorSwatch(QColor color, QWidget *parent) : QWidget(parent), color_(color) {
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setColor(QColor value) {
    color_ = value;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), color_);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_)
        onClick_();
}

RenderFrame::RenderFrame(int width, int height, QWidget *parent)
    : QWidget(parent), surface_(width, height, QImage::Format_RGB32) {
    surface_.fill(Qt::black);
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RenderFrame::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}

} // namespace calvoran

namespace {

constexpr int kFrameWidth = 513, kFrameHeight = 169;
constexpr int kClientWidth = 506, kClientHeight = 252;

enum Renderer { rCircle = 0, rOscilloscope = 1, rSpectrum = 2, rLolVis = 3 };

QSlider *slider(QWidget *parent, int max, int position, int ticks) {
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setRange(0, max);
    s->setValue(position);
    s->setTickInterval(ticks);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

QLabel *label(QWidget *parent, const QString &text, int x, int y) {
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

// Loads a picture the way the picture holder does, with its messages.
QImage loadPicture(const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    if (!formats.contains(suffix.toLatin1())) {
        *error = QStringLiteral("Unknown picture file extension (.%1)").arg(QFileInfo(path).suffix());
        return {};
    }
    QImageReader reader(path, suffix.toLatin1());
    QImage image = reader.read();
    if (image.isNull()) {
        if (suffix == QLatin1String("bmp"))
            *error = QStringLiteral("Bitmap image is not valid");
        else
            *error = reader.errorString();
    }
    return image;
}

} // namespace

QImage TFormPlayer::builtInBackground(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const QColor navy(0x00, 0x00, 0x50), light(0x80, 0xC0, 0xFF);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = height > 1 ? static_cast<double>(y) / (height - 1) : 0;
        for (int x = 0; x < width; ++x) {
            const double u = width > 1 ? static_cast<double>(x) / (width - 1) : 0;
            const double t = std::abs(u - v); // 0 on the dark diagonal, 1 in the light corners
            line[x] = qRgb(static_cast<int>(navy.red() + t * (light.red() - navy.red())),
                           static_cast<int>(navy.green() + t * (light.green() - navy.green())),
                           static_cast<int>(navy.blue() + t * (light.blue() - navy.blue())));
        }
    }
    return image;
}

TFormPlayer::TFormPlayer(ChannelTap tap, QWidget *parent)
    : QMainWindow(parent, Qt::Tool), tap_(std::move(tap)) {
    setWindowTitle(QStringLiteral("VS Lab"));
    chooseColor = [this](QColor initial) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(initial, this);
        if (!c.isValid()) return std::nullopt;
        return c;
    };
    choosePictureFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Open Background Bitmap"), QString(),
                                            QStringLiteral("BMP (*.bmp)"));
    };

    auto *client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Qt::white);
    client->setPalette(pal);
    setCentralWidget(client);

    PaintFrame = new RenderFrame(kFrameWidth, kFrameHeight, client);
    PaintFrame->move(-8, 0);
    BackImageRes = builtInBackground(kFrameWidth, kFrameHeight);

    RadioDraw = new QComboBox(client);
    RadioDraw->addItems({QStringLiteral("Circle"), QStringLiteral("Oscilloscope"), QStringLiteral("Spectrum"),
                         QStringLiteral("Lolvis")});
    RadioDraw->setCurrentIndex(0);
    RadioDraw->hide();

    buildControls(client);
    buildMenus();

    CircleScope = std::make_unique<TCircleScope>(PaintFrame->width(), PaintFrame->height());
    OcilloScope = std::make_unique<TOcilloScope>(PaintFrame->width(), PaintFrame->height());
    Spectrum = std::make_unique<TSpectrum>(PaintFrame->width(), PaintFrame->height());
    LolVis = std::make_unique<TLolVis>(PaintFrame->width(), PaintFrame->height());

    TimerRender = new QTimer(this);
    TimerRender->setInterval(33);
    connect(TimerRender, &QTimer::timeout, this, &TFormPlayer::TimerRenderTimer);
    // Enabled while the window shows (showEvent/hideEvent).
    adjustSize();
    setFixedSize(sizeHint());
}

TFormPlayer::~TFormPlayer() = default;

void TFormPlayer::buildControls(QWidget *client) {
    GroupBox1 = new QGroupBox(QStringLiteral("Common properties"), client);
    GroupBox1->setGeometry(6, kFrameHeight + 2, kClientWidth - 12, kClientHeight - kFrameHeight - 6);
    label(GroupBox1, QStringLiteral("X"), 10, 18);
    TrackX = slider(GroupBox1, 500, 250, 10);
    TrackX->setGeometry(8, 34, 150, 30);
    label(GroupBox1, QStringLiteral("Y"), 170, 18);
    TrackY = slider(GroupBox1, 170, 85, 10);
    TrackY->setGeometry(168, 34, 110, 30);
    label(GroupBox1, QStringLiteral("Offset"), 290, 18);
    TrackOff = slider(GroupBox1, 150, 20, 5);
    TrackOff->setGeometry(288, 34, 100, 30);
    connect(TrackOff, &QSlider::valueChanged, this, &TFormPlayer::TrackOffChange);

    label(GroupBox1, QStringLiteral("Back color"), 396, 20);
    PanelBkg = new ColorSwatch(Qt::black, GroupBox1);
    PanelBkg->setGeometry(468, 20, 16, 16);
    PanelBkg->setOnClick([this] { PanelBkgClick(); });
    label(GroupBox1, QStringLiteral("Pen color"), 396, 46);
    PanelPen = new ColorSwatch(Qt::white, GroupBox1);
    PanelPen->setGeometry(468, 46, 16, 16);
    PanelPen->setOnClick([this] { PanelPenClick(); });
    PanelPeakColor = new ColorSwatch(QColor(0xFF, 0xFF, 0x00), GroupBox1);
    PanelPeakColor->hide();
}

void TFormPlayer::buildMenus() {
    QMenuBar *bar = menuBar();
    Circle1 = bar->addMenu(QStringLiteral("Circle"));
    QMenu *radius = Circle1->addMenu(QStringLiteral("Radius"));
    for (int i = 0; i < 7; ++i) {
        const int value = 10 * (i + 1);
        RadiusItems[static_cast<size_t>(i)] =
            radius->addAction(QString::number(value), this, [this, value] { CircleScope->Radius = value; });
    }

    Spectrum1 = bar->addMenu(QStringLiteral("Spectrum"));
    ShowPeaks1 = Spectrum1->addAction(QStringLiteral("Show Peaks"));
    ShowPeaks1->setCheckable(true);
    ShowPeaks1->setChecked(true);
    connect(ShowPeaks1, &QAction::toggled, this, [this](bool on) { Spectrum->ShowPeaks = on; });
    QMenu *width = Spectrum1->addMenu(QStringLiteral("Width"));
    for (int i = 0; i < 15; ++i)
        WidthItems[static_cast<size_t>(i)] =
            width->addAction(QString::number(i + 1), this, [this, i] { Spectrum->BarWidth = i + 1; });
    QMenu *lineFalloff = Spectrum1->addMenu(QStringLiteral("Line Fallof"));
    QMenu *peakFalloff = Spectrum1->addMenu(QStringLiteral("Peak Fallof"));
    for (int i = 0; i < 10; ++i) {
        LineFalloffItems[static_cast<size_t>(i)] = lineFalloff->addAction(
            QString::number(i + 1), this, [this, i] { Spectrum->LineFalloff = i + 1; });
        PeakFalloffItems[static_cast<size_t>(i)] = peakFalloff->addAction(
            QString::number(i + 1), this, [this, i] { Spectrum->PeakFalloff = i + 1; });
    }
    PeakColor1 = Spectrum1->addAction(QStringLiteral("Peak Color"), this, &TFormPlayer::PeakColorClick);

    Common1 = bar->addMenu(QStringLiteral("Common"));
    NoBackground1 =
        Common1->addAction(QStringLiteral("No Background"), this, &TFormPlayer::NoBackgroundClick);
    ChooseBackground1 =
        Common1->addAction(QStringLiteral("Choose Background"), this, &TFormPlayer::ChooseBackgroundClick);
    QMenu *drawMode = Common1->addMenu(QStringLiteral("Draw Mode"));
    const QString modes[] = {QStringLiteral("Line"), QStringLiteral("Solid"), QStringLiteral("Pixel")};
    for (int i = 0; i < 3; ++i)
        DrawModeItems[static_cast<size_t>(i)] = drawMode->addAction(
            modes[i], this, [this, i] { forEachRenderer([i](auto &r) { r.DrawMode = i; }); });
    QMenu *res = Common1->addMenu(QStringLiteral("Res"));
    for (int i = 0; i < 2; ++i)
        ResItems[static_cast<size_t>(i)] = res->addAction(
            QString::number(i + 1), this, [this, i] { forEachRenderer([i](auto &r) { r.Res = i + 1; }); });
    QMenu *type = Common1->addMenu(QStringLiteral("Type"));
    const QString types[] = {QStringLiteral("Circle"), QStringLiteral("Oscilloscope"),
                             QStringLiteral("Spectrum"), QStringLiteral("Explosion")};
    for (int i = 0; i < 4; ++i)
        TypeItems[static_cast<size_t>(i)] = type->addAction(types[i], this, [this, i] { TypeClick(i); });
}

template <typename F> void TFormPlayer::forEachRenderer(F f) {
    f(*CircleScope);
    f(*OcilloScope);
    f(*Spectrum);
    f(*LolVis);
}

void TFormPlayer::TimerRenderTimer() {
    if (!tap_.playing || !tap_.playing()) return; // the last frame stays
    QImage &target = PaintFrame->surface();
    const int x = TrackX->value(), y = TrackY->value();
    const int type = RadioDraw->currentIndex();
    QRect changed;
    if (type == rSpectrum) {
        if (tap_.spectrum) tap_.spectrum(spectrum_.data());
        Spectrum->Draw(&target, spectrum_.data(), x - 40, y - 60);
        changed = Spectrum->ChangedRect();
    } else {
        if (tap_.wave) tap_.wave(wave_.data());
        if (type == rCircle) {
            CircleScope->Draw(&target, wave_.data(), x, y);
            changed = CircleScope->ChangedRect();
        } else if (type == rOscilloscope) {
            OcilloScope->Draw(&target, wave_.data(), x - 150, y);
            changed = OcilloScope->ChangedRect();
        } else {
            LolVis->Draw(&target, wave_.data(), x, y);
            changed = LolVis->ChangedRect();
        }
    }
    // Only what differs from the frame on screen goes to the screen, at once: a posted update would
    // cost the event loop another wake-up per frame.
    PaintFrame->repaint(type == shownType_ ? changed : PaintFrame->rect());
    shownType_ = type;
    if (noBackground_) return;
    switch (type) {
    case rCircle:
        CircleScope->SetBackground(true, BackImageRes);
        break;
    case rOscilloscope:
        OcilloScope->SetBackground(true, BackImageRes);
        break;
    case rSpectrum:
        Spectrum->SetBackground(true, BackImageRes);
        break;
    default:
        LolVis->SetBackground(true, BackImageRes);
        break;
    }
}

void TFormPlayer::TrackOffChange() {
    const int value = TrackOff->value();
    CircleScope->Amplitude = value;
    OcilloScope->Amplitude = value;
    LolVis->Amplitude = value;
    Spectrum->MaxHeight = value;
}

void TFormPlayer::PanelBkgClick() {
    const auto c = chooseColor ? chooseColor(PanelBkg->color()) : std::nullopt;
    if (!c) return;
    PanelBkg->setColor(*c);
    const uint32_t ref = colorRefOf(c->rgb());
    forEachRenderer([ref](auto &r) { r.BackColor = ref; });
}

void TFormPlayer::PanelPenClick() {
    const auto c = chooseColor ? chooseColor(PanelPen->color()) : std::nullopt;
    if (!c) return;
    PanelPen->setColor(*c);
    const uint32_t ref = colorRefOf(c->rgb());
    forEachRenderer([ref](auto &r) { r.Pen = ref; });
}

void TFormPlayer::PeakColorClick() {
    const auto c = chooseColor ? chooseColor(PanelPeakColor->color()) : std::nullopt;
    if (!c) return;
    PanelPeakColor->setColor(*c);
    Spectrum->PeakColor = colorRefOf(c->rgb());
}

void TFormPlayer::NoBackgroundClick() {
    noBackground_ = true;
    const uint32_t pen = colorRefOf(PanelPen->color().rgb());
    forEachRenderer([this, pen](auto &r) {
        r.SetBackground(false, BackImageRes);
        r.Pen = pen;
    });
}

void TFormPlayer::ChooseBackgroundClick() {
    const QString path = choosePictureFile ? choosePictureFile() : QString();
    if (path.isEmpty()) return;
    QString error;
    const QImage picture = loadPicture(path, &error);
    if (picture.isNull()) {
        showError(error);
        return;
    }
    BackImageRes = picture;
    noBackground_ = false;
    forEachRenderer([this](auto &r) {
        r.SetBackground(true, BackImageRes);
        r.Pen = 0;
    });
}

void TFormPlayer::TypeClick(int type) {
    RadioDraw->setCurrentIndex(type);
    TrackX->setValue(type == rSpectrum ? 50 : 250);
    noBackground_ = false;
    switch (type) {
    case rCircle:
        CircleScope->SetBackground(true, BackImageRes);
        break;
    case rOscilloscope:
        OcilloScope->SetBackground(true, BackImageRes);
        break;
    case rSpectrum:
        Spectrum->SetBackground(true, BackImageRes);
        break;
    default:
        LolVis->SetBackground(true, BackImageRes);
        break;
    }
}

void TFormPlayer::showEvent(QShowEvent *event) {
    TimerRender->start();
    QMainWindow::showEvent(event);
}

void TFormPlayer::hideEvent(QHideEvent *event) {
    // Frames nobody can see would only burn processor time.
    TimerRender->stop();
    QMainWindow::hideEvent(event);
}
