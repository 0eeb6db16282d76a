#include "EqualizerWindow.h"

#include "PlaybackEngine.h"
#include "platform/CreationLog.h"
#include "widgets/TVrSlider.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

Teq2::Teq2(calvoran::PlaybackEngine &engine, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint), engine_(engine) {
    calvoran::noteCreated("Teq2");
    setWindowTitle(QStringLiteral("Calvoran Equalizer"));
    setFixedSize(174, 179);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    chkEqualizer = new QCheckBox(QStringLiteral("Equalizer On"), this);
    chkEqualizer->setObjectName(QStringLiteral("chkEqualizer"));
    QFont bold = chkEqualizer->font();
    bold.setBold(true);
    chkEqualizer->setFont(bold);
    chkEqualizer->setGeometry(3, 0, 102, 17);
    connect(chkEqualizer, &QCheckBox::toggled, this, [this] { chkEqualizerClick(); });

    auto group = [this](const char *name, const QString &caption, int x) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(x, 24, 49, 137);
        return box;
    };
    GroupBox1 = group("GroupBox1", QStringLiteral("Bass"), 8);
    GroupBox2 = group("GroupBox2", QStringLiteral("Mid"), 64);
    GroupBox3 = group("GroupBox3", QStringLiteral("Treble"), 120);

    auto slider = [](QGroupBox *box, const char *name) {
        auto *s = new calvoran::TVrSlider(box);
        s->setObjectName(QString::fromLatin1(name));
        s->setGeometry(16, 16, 17, 113);
        s->setOrientation(calvoran::voVertical);
        s->setMinValue(0);
        s->setMaxValue(19);
        s->setPosition(8);
        s->setStyle(calvoran::ssTopRight);
        return s;
    };
    vsEQBASS = slider(GroupBox1, "vsEQBASS");
    vsEQMID = slider(GroupBox2, "vsEQMID");
    vsEQTREBLE = slider(GroupBox3, "vsEQTREBLE");
    vsEQBASS->setOnChange([this] { vsEQBASSChange(); });
    vsEQMID->setOnChange([this] { vsEQMIDChange(); });
    vsEQTREBLE->setOnChange([this] { vsEQTREBLEChange(); });

    auto label = [this](const char *name, const QString &caption, int x) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        l->setGeometry(x, 160, 49, 16);
        return l;
    };
    lbl125Hz = label("lbl125Hz", QStringLiteral("125 hz"), 8);
    lbl1KHz = label("lbl1KHz", QStringLiteral("1 khz"), 61);
    lbl8KHz = label("lbl8KHz", QStringLiteral("8 khz"), 120);
}

void Teq2::vsEQBASSChange() {
    engine_.SetEqBandGain(0, vsEQBASS->Position());
}
void Teq2::vsEQMIDChange() {
    engine_.SetEqBandGain(1, vsEQMID->Position());
}
void Teq2::vsEQTREBLEChange() {
    engine_.SetEqBandGain(2, vsEQTREBLE->Position());
}

void Teq2::chkEqualizerClick() {
    // Switching on attaches the bands flat and then gives each its slider's gain.
    engine_.setEqualizer(chkEqualizer->isChecked());
}
