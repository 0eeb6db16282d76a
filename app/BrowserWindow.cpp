#include "BrowserWindow.h"

#include "platform/CreationLog.h"

Tbrowser1::Tbrowser1(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("Tbrowser1");
    setWindowTitle(QStringLiteral("Calvoran Browser"));
}
