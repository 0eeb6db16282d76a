#include "EqualizerWindow.h"

#include "platform/CreationLog.h"

Teq2::Teq2(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("Teq2");
    setWindowTitle(QStringLiteral("Calvoran Equalizer"));
}
