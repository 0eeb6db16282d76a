#pragma once
#include <QWidget>

class TVSXlab : public QWidget {
    Q_OBJECT
public:
    explicit TVSXlab(QWidget *parent = nullptr);
};
