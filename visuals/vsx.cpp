#include "vsx.h"

#include "platform/CreationLog.h"

TVSXlab::TVSXlab(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("TVSXlab");
    setWindowTitle(QStringLiteral("VSX Lab"));
}
