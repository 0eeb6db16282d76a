#pragma once
#include <QWidget>

class Teq2 : public QWidget {
    Q_OBJECT
public:
    explicit Teq2(QWidget *parent = nullptr);
};
