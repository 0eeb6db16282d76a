#pragma once
#include <QWidget>

class Tbrowser1 : public QWidget {
    Q_OBJECT
public:
    explicit Tbrowser1(QWidget *parent = nullptr);
};
