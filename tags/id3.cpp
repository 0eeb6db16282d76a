#include "id3.h"

#include "id3v2.h"
#include "platform/CreationLog.h"
#include "platform/Dialogs.h"
#include "platform/Text.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
Tid3v2tag g_tagReader;

std::string encodeName(const QString &fileName) {
    return QFile::encodeName(fileName).toStdString();
}

std::string ansi(const QLineEdit *edit) {
    return calvoran::toAnsi(edit->text());
}
} // namespace

Tid3v2tag &TagReader = g_tagReader;

Tid32::Tid32(QWidget *parent) : QWidget(parent) {
    calvoran::noteCreated("Tid32");
    setObjectName(QStringLiteral("id32"));
    setWindowTitle(QStringLiteral("ID3 Information"));
    setGeometry(513, 466, 389, 223);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    QFont captionFont(QStringLiteral("Verdana"));
    captionFont.setPixelSize(11);
    auto label = [&](const char *name, const char *caption, int x, int y) {
        auto *l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(captionFont);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    auto edit = [&](const char *name, int x, int y, int w) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, w, 21);
        return e;
    };
    auto button = [&](const char *name, const char *caption, int x, int y) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 89, 17);
        return b;
    };
    Label1 = label("Label1", "Artist:", 8, 3);
    Artist = edit("Artist", 8, 19, 137);
    Label2 = label("Label2", "Title:", 8, 43);
    Title = edit("Title", 8, 59, 137);
    Label3 = label("Label3", "Album:", 8, 83);
    Album = edit("Album", 8, 99, 137);
    Label7 = label("Label7", "Track", 8, 123);
    Track = edit("Track", 8, 139, 33);
    Label4 = label("Label4", "Year:", 184, 3);
    Year = edit("Year", 184, 19, 33);
    Label5 = label("Label5", "Genre:", 184, 43);
    Genre = edit("Genre", 184, 59, 121);
    Label6 = label("Label6", "Comment:", 184, 83);
    Comment = edit("Comment", 184, 99, 185);
    Filename = new QLabel(this);
    Filename->setObjectName(QStringLiteral("Filename"));
    Filename->move(184, 139);
    Loadbutton = button("Loadbutton", "Load", 8, 168);
    Savebutton = button("Savebutton", "Save", 280, 168);

    setTabOrder(Title, Artist);
    setTabOrder(Artist, Comment);
    setTabOrder(Comment, Album);
    setTabOrder(Album, Genre);
    setTabOrder(Genre, Year);
    setTabOrder(Year, Savebutton);
    setTabOrder(Savebutton, Loadbutton);
    setTabOrder(Loadbutton, Track);

    connect(Loadbutton, &QPushButton::clicked, this, [this] { LoadButtonClick(); });
    connect(Savebutton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
}

Tid32::~Tid32() = default;

void Tid32::showFieldsFile(const QString &fileName) {
    fieldsFile_ = fileName;
    Filename->setText(QFileInfo(fileName).fileName());
    Filename->setToolTip(fileName);
    Filename->adjustSize();
}

void Tid32::setFields(const QString &fileName, const Fields &f) {
    Title->setText(calvoran::fromAnsi(f.Title));
    Artist->setText(calvoran::fromAnsi(f.Artist));
    Album->setText(calvoran::fromAnsi(f.Album));
    Year->setText(calvoran::fromAnsi(f.Year));
    Genre->setText(calvoran::fromAnsi(f.Genre));
    Track->setText(calvoran::fromAnsi(f.Track));
    Comment->setText(calvoran::fromAnsi(f.Comment));
    setFieldsFile(fileName);
}

void Tid32::setFieldsFile(const QString &fileName) {
    showFieldsFile(fileName);
    filledByPlaylist_ = true;
}

Tid32::Fields Tid32::fields() const {
    return {ansi(Title), ansi(Artist), ansi(Album), ansi(Year), ansi(Genre), ansi(Track), ansi(Comment)};
}

void Tid32::LoadButtonClick() {
    for (QLineEdit *e : {Title, Artist, Album, Year, Genre, Comment})
        e->clear();
    QString chosen;
    if (chooseFile_) {
        chosen = chooseFile_();
    } else {
        if (!OpenDialog1) {
            // Made at the first use: a file dialog costs more to build than the rest of the window.
            OpenDialog1 = new QFileDialog(this);
            OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
            OpenDialog1->setFileMode(QFileDialog::ExistingFile);
        }
        if (OpenDialog1->exec() == QDialog::Accepted && !OpenDialog1->selectedFiles().isEmpty())
            chosen = OpenDialog1->selectedFiles().constFirst();
    }
    if (chosen.isEmpty()) return;
    const uint16_t result = TagReader.LoadTag(encodeName(chosen), 0);
    showFieldsFile(chosen);
    filledByPlaylist_ = false;
    if (result >= 256) {
        const QFileInfo info(QFileInfo(chosen).absoluteFilePath().trimmed());
        if (!info.suffix().trimmed().toLower().isEmpty()) {
            Artist->setText(info.completeBaseName());
            return;
        }
        // No extension: the failed load left no frames, so the boxes below stay empty.
    }
    const std::pair<QLineEdit *, const char *> map[] = {{Title, "TIT2"}, {Artist, "TPE1"}, {Album, "TALB"},
                                                        {Year, "TYER"},  {Genre, "TCON"},  {Track, "TRCK"}};
    std::string text;
    for (const auto &[box, id] : map) {
        TagReader.GetFrameText(id, text);
        box->setText(calvoran::fromAnsi(text));
    }
    COMM comm;
    TagReader.GetComment(comm, "", "None");
    Comment->setText(calvoran::fromAnsi(comm.Text));
}

void Tid32::SaveButtonClick() {
    // The boxes may hold another file's fields (the playlist fills them): write those into that file.
    if (!fieldsFile_.isEmpty() && (filledByPlaylist_ || encodeName(fieldsFile_) != TagReader.FileName)) {
        TagReader.LoadTag(encodeName(fieldsFile_), 0); // a failed load makes the save below refuse
        filledByPlaylist_ = false;
    }
    TagReader.SetFrameText("TIT2", ansi(Title));
    TagReader.SetFrameText("TPE1", ansi(Artist));
    TagReader.SetFrameText("TALB", ansi(Album));
    TagReader.SetFrameText("TYER", ansi(Year));
    TagReader.SetFrameText("TCON", ansi(Genre));
    TagReader.SetFrameText("TRCK", ansi(Track));
    COMM comm;
    comm.Encoding = 0;
    comm.Language = "ENG";
    comm.Text = ansi(Comment);
    TagReader.SetComment(comm, "", "None");
    const uint16_t result = TagReader.SaveTag("=", 255, 0, -1, 255);
    for (QLineEdit *e : {Title, Artist, Album, Year, Genre, Track, Comment})
        e->clear();
    if (result >= 256)
        calvoran::messageBox(this, QStringLiteral("Error #%1! Could not save Tag!").arg(result),
                             QApplication::applicationName(), calvoran::MsgIcon::None);
}
