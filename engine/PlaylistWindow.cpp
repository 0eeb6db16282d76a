#include "PlaylistWindow.h"

#include "platform/CreationLog.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("TForm2");
    setWindowTitle(QStringLiteral("Calvoran PlayList"));
}
