#include "ConfigWindow.h"

#include "platform/CreationLog.h"

TForm5::TForm5(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("TForm5");
    setWindowTitle(QStringLiteral("Configuration"));
}
