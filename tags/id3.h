#pragma once
#include <QWidget>

class Tid32 : public QWidget {
    Q_OBJECT
public:
    explicit Tid32(QWidget *parent = nullptr);
};
