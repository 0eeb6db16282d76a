#pragma once
#include <QStringList>
#include <QWidget>

namespace calvoran {

class TMovieScroll;

// The about box: the product, its version, its maker, its licence and its credits, scrolling upward
// in a loop while the box is open.
class TAbout : public QWidget {
    Q_OBJECT
public:
    explicit TAbout(QWidget *parent = nullptr);

    // The box's fixed text, in the scroller's markup.
    static QStringList Text();
    TMovieScroll *MovieScroll1() const { return scroll_; }

private:
    TMovieScroll *scroll_;
};

} // namespace calvoran
