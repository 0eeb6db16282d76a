// Renders the player's widgets, in their default look and as the player sets them up, into one PNG.
// Usage: widgets-gallery OUT.png [--scale N]
#include "widgets/PlayerPanel.h"
#include "widgets/TVrBitmapButton.h"
#include "widgets/TVrCheckLed.h"
#include "widgets/TVrDisplay.h"
#include "widgets/TVrLabel.h"
#include "widgets/TVrLevelBar.h"
#include "widgets/TVrMatrix.h"
#include "widgets/TVrMeter.h"
#include "widgets/TVrPowerButton.h"
#include "widgets/TVrSlider.h"
#include "widgets/TVrTrackBar.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <cstdio>

using namespace calvoran;

namespace {

const QColor kCanvas(0xD4, 0xD0, 0xC8);

// Places widgets left to right in rows, each under a small caption.
class Sheet {
public:
    explicit Sheet(QWidget *canvas) : canvas_(canvas) {}

    template <typename W> W *add(const QString &caption) {
        auto *widget = new W(canvas_); // owned by the canvas
        pending_.push_back({widget, caption});
        return widget;
    }
    void heading(const QString &text) {
        flush();
        auto *label = new QLabel(text, canvas_);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        label->move(kMargin, y_);
        label->adjustSize();
        y_ += label->height() + 4;
    }
    // Lays out the widgets added since the last row.
    void flush() {
        if (pending_.empty()) return;
        int x = kMargin, rowHeight = 0;
        for (const auto &[widget, caption] : pending_) {
            auto *label = new QLabel(caption, canvas_);
            label->adjustSize();
            label->move(x, y_);
            widget->move(x, y_ + label->height() + 2);
            rowHeight = qMax(rowHeight, label->height() + 2 + widget->height());
            x += qMax(widget->width(), label->width()) + kGap;
            width_ = qMax(width_, x);
        }
        y_ += rowHeight + kGap;
        pending_.clear();
    }
    QSize size() const { return {width_ + kMargin, y_ + kMargin}; }

private:
    static constexpr int kMargin = 12, kGap = 16;
    QWidget *canvas_;
    std::vector<std::pair<QWidget *, QString>> pending_;
    int y_ = kMargin, width_ = 0;
};

// The main window's display panel with the six widgets it holds, at their design positions.
TVrDisplay *playerPanel(QWidget *parent) {
    using namespace PlayerLook;
    auto *panel = new TVrDisplay(parent);
    setUpDisplay(panel);

    auto *matrix = new TVrMatrix(panel);
    setUpMatrix(matrix);
    matrix->setAutoScroll(false);
    matrix->setText("Calvoran Player");
    matrix->move(7, 14);

    auto *left = new TVrLevelBar(panel);
    setUpLevelBar(left, false);
    left->setPosition(96);
    left->move(6, 6);
    auto *right = new TVrLevelBar(panel);
    setUpLevelBar(right, true);
    right->setPosition(70);
    right->move(88, 6);

    auto *time = new QLabel(QStringLiteral("1:5"), panel);
    QPalette pal = time->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00FF00));
    time->setPalette(pal);
    time->setGeometry(8, 28, 40, 12);

    setUpBalance(new TVrSlider(panel));
    auto *volume = new TVrSlider(panel);
    setUpVolume(volume);
    volume->setPosition(70);

    auto *position = new TVrTrackBar(panel);
    setUpPosition(position);
    position->setMaxValue(240);
    position->setPosition(65);
    return panel;
}

// A picture of `widget` at `scale` device pixels per pixel, shown at that size.
QLabel *scaledShot(QWidget *parent, QWidget *widget, int scale) {
    QImage image(widget->size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(kCanvas);
    widget->render(&image);
    image.setDevicePixelRatio(1);
    auto *label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(image));
    label->adjustSize();
    return label;
}

QImage buttonGlyph() {
    // Two frames, normal and mouse-over, on a magenta key colour.
    QImage glyph(56, 20, QImage::Format_RGB32);
    glyph.fill(Qt::magenta);
    QPainter p(&glyph);
    for (int frame = 0; frame < 2; ++frame) {
        const QColor face = frame == 0 ? QColor(0x404040) : QColor(0x606060);
        p.fillRect(frame * 28 + 2, 2, 24, 16, face);
        const QPolygon play(
            {QPoint(frame * 28 + 10, 5), QPoint(frame * 28 + 19, 10), QPoint(frame * 28 + 10, 15)});
        p.setBrush(QColor(0x00FF00));
        p.setPen(Qt::NoPen);
        p.drawPolygon(play);
    }
    return glyph;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: widgets-gallery OUT.png [--scale N]\n");
        return 2;
    }
    int scale = 1;
    if (const auto i = args.indexOf(QStringLiteral("--scale")); i > 0 && i + 1 < args.size())
        scale = qBound(1, args[i + 1].toInt(), 4);

    QWidget canvas;
    canvas.setAutoFillBackground(true);
    QPalette pal = canvas.palette();
    pal.setColor(QPalette::Window, kCanvas);
    canvas.setPalette(pal);
    Sheet sheet(&canvas);

    sheet.heading(QStringLiteral("Defaults"));
    sheet.add<TVrMatrix>(QStringLiteral("TVrMatrix"))->setText("Calvoran 0123");
    sheet.add<TVrLevelBar>(QStringLiteral("TVrLevelBar"))->setPosition(70);
    sheet.add<TVrDisplay>(QStringLiteral("TVrDisplay"));
    sheet.flush();
    sheet.add<TVrSlider>(QStringLiteral("TVrSlider"))->resize(40, 120);
    sheet.add<TVrTrackBar>(QStringLiteral("TVrTrackBar"))->resize(200, 40);
    auto *button = sheet.add<TVrBitmapButton>(QStringLiteral("TVrBitmapButton"));
    button->setGlyph(buttonGlyph());
    button->setNumGlyphs(2);
    button->setTransparentMode(tmPixel);
    button->setTransparent(true);
    button->setAutoSize(true);
    auto *check = sheet.add<TVrCheckLed>(QStringLiteral("TVrCheckLed"));
    check->setCaption(QStringLiteral("Check LED"));
    check->resize(120, 24);
    auto *label = sheet.add<TVrLabel>(QStringLiteral("TVrLabel"));
    label->setCaption(QStringLiteral("Skin Chooser"));
    label->resize(140, 30);

    sheet.heading(QStringLiteral("LED matrix: cell sizes, colour codes, unlit dots, vertical"));
    auto *small = sheet.add<TVrMatrix>(QStringLiteral("ls9x13, centred"));
    small->setLedStyle(ls9x13);
    small->setAlignment(vaCenter);
    small->setText("centred");
    auto *codes = sheet.add<TVrMatrix>(QStringLiteral("ls19x27, %Ared%%%1x %Bgr%Ce%Den"));
    codes->setLedStyle(ls19x27);
    codes->setLeds(12);
    codes->setTextStyle(tsAsIs);
    codes->setColor(QColor(0x101010));
    codes->setText("%Ared%%%1x %Bgr%Ce%Den");
    auto *vertical = sheet.add<TVrMatrix>(QStringLiteral("vertical"));
    vertical->setOrientation(voVertical);
    vertical->setLeds(4);
    vertical->setText("LED!");
    sheet.flush();
    auto *latin = sheet.add<TVrMatrix>(QStringLiteral("Windows-1252 letters, unlit dots hidden"));
    latin->setLedStyle(ls14x20);
    latin->setLeds(24);
    latin->setTextStyle(tsAsIs);
    latin->setLedsVisible(false);
    latin->setText(
        "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xD1\xD6\xD8\xDF \xE0\xE9\xEE\xF5\xFC\xFF\x80\xA3\xA9\xBF");
    auto *proper = sheet.add<TVrMatrix>(QStringLiteral("tsProperCase"));
    proper->setLedStyle(ls9x13);
    proper->setTextStyle(tsProperCase);
    proper->setText("  hELLO wORLD");

    sheet.heading(QStringLiteral("Level bars and panels"));
    auto *half = sheet.add<TVrLevelBar>(QStringLiteral("0-128 at 64, 80 ticks"));
    half->setOrientation(voHorizontal);
    half->setMaxValue(128);
    half->resize(163, 14);
    half->setPosition(64);
    auto *full = sheet.add<TVrLevelBar>(QStringLiteral("psTopRight, 3-pixel ticks"));
    full->setOrientation(voHorizontal);
    full->setStyle(psTopRight);
    full->setTickHeight(3);
    full->resize(163, 14);
    full->setPosition(95);
    auto *bottomRight = sheet.add<TVrDisplay>(QStringLiteral("TVrDisplay soBottomRight"));
    bottomRight->setShadowLayout(soBottomRight);
    bottomRight->resize(120, 41);

    sheet.heading(QStringLiteral("Needle meters and the power button"));
    sheet.add<TVrMeter>(QStringLiteral("TVrMeter"))->setPosition(35);
    auto *left = sheet.add<TVrMeter>(QStringLiteral("level meter, 0-128 at 96"));
    left->resize(209, 97);
    left->setMaxValue(128);
    left->setCaption(QStringLiteral("Left"));
    left->setPosition(96);
    auto *styled = sheet.add<TVrMeter>(QStringLiteral("Angle 20, thick needle, 4 labels"));
    styled->resize(209, 120);
    styled->setAngle(20);
    styled->setNeedleWidth(3);
    styled->setNeedleColor(QColor(0xFF, 0x40, 0x40));
    styled->setLabels(4);
    styled->Scale().setTicks(41);
    styled->setCaption(QStringLiteral("dB"));
    styled->setPosition(80);
    sheet.add<TVrPowerButton>(QStringLiteral("TVrPowerButton"))->setCaption(QStringLiteral("Power"));
    auto *on = sheet.add<TVrPowerButton>(QStringLiteral("light above, on"));
    on->resize(25, 33);
    on->setCaption(QStringLiteral("On"));
    on->setLayout(ImageTop);
    on->setBevelWidth(1);
    on->setActive(true);
    auto *wide = sheet.add<TVrPowerButton>(QStringLiteral("light right, off"));
    wide->resize(90, 30);
    wide->setCaption(QStringLiteral("Meters"));
    wide->setLayout(ImageRight);

    sheet.heading(QStringLiteral("The player: main window display panel (1x and 2x), equaliser, switches"));
    TVrDisplay *panel = playerPanel(&canvas);
    sheet.add<QWidget>(QStringLiteral("VrDisplay1"))->resize(panel->size());
    sheet.flush();
    // Put the real panel where its placeholder went.
    const auto holders = canvas.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QWidget *holder = holders.last();
    panel->move(holder->pos());
    panel->raise();
    holder->hide();

    QLabel *twice = scaledShot(&canvas, panel, 2);
    twice->move(panel->x() + panel->width() + 24, panel->y());

    int x = twice->x() + twice->width() + 24;
    const int top = panel->y();
    for (int band = 0; band < 3; ++band) {
        auto *eq = new TVrSlider(&canvas);
        eq->setOrientation(voVertical);
        eq->setStyle(ssTopRight);
        eq->setMaxValue(19);
        eq->setPosition(8 + band * 4 - 4);
        eq->setGeometry(x, top, 20, 110);
        x += 28;
    }
    const char *const switches[] = {"VU meters", "Tray icon", "3D window", "Plug-in"};
    x += 12;
    for (int i = 0; i < 4; ++i) {
        auto *led = new TVrCheckLed(&canvas);
        led->setCaption(QString::fromLatin1(switches[i]));
        led->setColor(Qt::white);
        led->setChecked(i % 2 == 0);
        led->setGeometry(x, top + i * 26, 110, 22);
    }
    const QSize size = sheet.size().expandedTo(QSize(x + 130, top + 4 * 26 + 12));
    canvas.resize(size.width(), qMax(size.height(), twice->y() + twice->height() + 12));

    QImage image(canvas.size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    canvas.render(&image);
    image.setDevicePixelRatio(1);
    if (!image.save(args[1], "PNG")) {
        std::fprintf(stderr, "widgets-gallery: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
