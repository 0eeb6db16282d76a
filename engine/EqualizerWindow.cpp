#include "EqualizerWindow.h"

#include "app/Forms.h"
#include "bass.h"
#include "engine/PlaylistWindow.h"
#include "platform/CreationLog.h"
#include "widgets/TVrSlider.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace {

constexpr int kEqualizerDsp = 5;
constexpr float kBandwidthOctaves = 2.5F;
constexpr float kCentres[3] = {125.0F, 1000.0F, 8000.0F};

std::function<uint32_t()> &channelSource() {
    static std::function<uint32_t()> source = [] { return Form2 ? Form2->CurrentChannel : 0U; };
    return source;
}

uint32_t currentChannel() {
    return channelSource() ? channelSource()() : 0;
}

// The program-wide record SetEqBandGain works through.
EqBandParams g_eqParams{};

// Kept from the attribute read; nothing else reads them.
DWORD g_eqVolume = 0;
int g_eqPan = 0;

} // namespace

void Teq2::setChannelSource(std::function<uint32_t()> source) {
    channelSource() = source ? std::move(source) : [] { return Form2 ? Form2->CurrentChannel : 0U; };
}

void SetEqBandGain(int band, int position) {
    const DWORD channel = currentChannel();
    g_eqParams.band = band;
    BASS_FX_DSP_GetParameters(channel, kEqualizerDsp, &g_eqParams);
    g_eqParams.gain = static_cast<float>(10 - position);
    BASS_FX_DSP_SetParameters(channel, kEqualizerDsp, &g_eqParams);
}

Teq2::Teq2(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint) {
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
    SetEqBandGain(0, vsEQBASS->Position());
}
void Teq2::vsEQMIDChange() {
    SetEqBandGain(1, vsEQMID->Position());
}
void Teq2::vsEQTREBLEChange() {
    SetEqBandGain(2, vsEQTREBLE->Position());
}

void Teq2::chkEqualizerClick() {
    const DWORD channel = currentChannel();
    if (!chkEqualizer->isChecked()) {
        BASS_FX_DSP_Remove(channel, kEqualizerDsp);
        return;
    }
    DWORD freq = 0;
    BASS_ChannelGetAttributes(channel, &freq, &g_eqVolume, &g_eqPan);
    for (int i = 0; i < 3; ++i)
        BASS_FX_DSP_Set(channel, kEqualizerDsp, 0);
    params_.band = 0;
    params_.sampleRate = freq;
    params_.bandwidth = kBandwidthOctaves;
    params_.q = 0.0F;
    params_.centre = kCentres[0];
    params_.gain = 0.0F;
    BASS_FX_DSP_SetParameters(channel, kEqualizerDsp, &params_);
    for (int band = 1; band < 3; ++band) {
        params_.band = band;
        params_.centre = kCentres[band];
        BASS_FX_DSP_SetParameters(channel, kEqualizerDsp, &params_);
    }
    vsEQBASSChange();
    vsEQMIDChange();
    vsEQTREBLEChange();
}
