#include "id3.h"

#include "platform/CreationLog.h"

Tid32::Tid32(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("Tid32");
    setWindowTitle(QStringLiteral("ID3 Information"));
}
