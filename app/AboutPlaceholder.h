#pragma once
#include <QWidget>

// Stands in for the about box with its credits scroller until that box exists: the same caption
// and size, a fixed text.
class AboutPlaceholder : public QWidget {
    Q_OBJECT
public:
    explicit AboutPlaceholder(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
