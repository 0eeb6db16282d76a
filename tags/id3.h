#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class Tid3v2tag;

// The ID3 window's own tag object; only this window uses it.
extern Tid3v2tag &TagReader;

// The ID3 information window. Its seven edit boxes also hold the fields of the file the
// playlist read last; setFields() records which file that is, so Save writes there.
class Tid32 : public QWidget {
    Q_OBJECT
public:
    explicit Tid32(QWidget *parent = nullptr);
    ~Tid32() override;

    // Texts are Windows-1252 bytes, as the tag object gives them.
    struct Fields {
        std::string Title, Artist, Album, Year, Genre, Track, Comment;
    };
    // Fills the seven boxes with the fields of fileName and makes it the file a Save writes to.
    void setFields(const QString &fileName, const Fields &fields);
    Fields fields() const;
    // For a caller that fills the boxes itself: the file they now belong to.
    void setFieldsFile(const QString &fileName);
    QString FieldsFile() const { return fieldsFile_; }

    void LoadButtonClick();
    void SaveButtonClick();

    // Replaces OpenDialog1 (tests, scripted runs): returns the chosen file or an empty string.
    using FileChooser = std::function<QString()>;
    void setOnChooseFile(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Controls, owned by the window.
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Filename;
    QLineEdit *Artist, *Title, *Album, *Track, *Year, *Genre, *Comment;
    QPushButton *Loadbutton, *Savebutton;
    QFileDialog *OpenDialog1 = nullptr; // made when Load first asks for a file

private:
    void showFieldsFile(const QString &fileName);

    QString fieldsFile_;
    bool filledByPlaylist_ = false;
    FileChooser chooseFile_;
};
