#include "RadioWindow.h"

#include "platform/CreationLog.h"

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("TfrmMain");
    setWindowTitle(QStringLiteral("Calvoran Radio"));
}
