#include "LevelMetersWindow.h"

#include "platform/CreationLog.h"

TForm4::TForm4(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("TForm4");
    setWindowTitle(QStringLiteral("Visuals"));
}
