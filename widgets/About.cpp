#include "About.h"

#include "MovieScroll.h"

#ifndef CALVORAN_VERSION
#define CALVORAN_VERSION "0"
#endif

namespace calvoran {

TAbout::TAbout(QWidget *parent) : QWidget(parent, Qt::Dialog) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Calvoran Player"));
    setFixedSize(257, 137);
    scroll_ = new TMovieScroll(this);
    scroll_->setObjectName(QStringLiteral("MovieScroll1"));
    scroll_->setGeometry(0, 0, 257, 137);
    scroll_->setBackColor(Qt::black);
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(13);
    scroll_->setDefaultFont(font);
    scroll_->setDefaultFontColor(Qt::white);
    scroll_->setLoop(true);
    scroll_->setCompleteText(QStringLiteral("The End"));
    scroll_->setTimerInterval(40);
    scroll_->setShadow(true);
    scroll_->setShadowColor(QColor(0x80, 0x80, 0x80));
    scroll_->setShadowOffset(2);
    scroll_->setScrollText(Text());
}

QStringList TAbout::Text() {
    return {
        QStringLiteral("[b][center][font=Verdana][size=20][u][color=12345]Calvoran Player"),
        QString(),
        QStringLiteral("[b][center][font=Verdana][size=13][color=56829]Version " CALVORAN_VERSION),
        QStringLiteral("[center]Made by Ormuldex"),
        QStringLiteral("[center]a skinnable music player"),
        QStringLiteral("[center]for the Linux desktop"),
        QString(),
        QString(),
        QStringLiteral("[center]This program is free software:"),
        QStringLiteral("[center]GNU GPL version 3 or later,"),
        QStringLiteral("[center]see COPYING in its folder."),
        QString(),
        QStringLiteral("[b][center]Credits"),
        QString(),
        QStringLiteral("[center]Qt: the windows"),
        QStringLiteral("[center]SDL2: the sound output"),
        QStringLiteral("[center]libmpg123: MPEG audio"),
        QStringLiteral("[center]libvorbis and libogg: Ogg Vorbis"),
        QStringLiteral("[center]libsndfile: WAV and FLAC"),
        QStringLiteral("[center]libopenmpt: tracker modules"),
        QStringLiteral("[center]libsamplerate: resampling"),
        QStringLiteral("[center]libcurl: internet radio"),
        QStringLiteral("[center]zlib: compressed tags"),
        QStringLiteral("[center]Assimp: 3D meshes"),
    };
}

} // namespace calvoran
