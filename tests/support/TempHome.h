#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points CALVORAN_HOME at a fresh folder for the life of the object, so settings and files a test
// writes never touch the real program folder.
class TempHome {
public:
    TempHome() : old_(qgetenv("CALVORAN_HOME")), hadOld_(qEnvironmentVariableIsSet("CALVORAN_HOME")) {
        qputenv("CALVORAN_HOME", dir_.path().toLocal8Bit());
    }
    ~TempHome() {
        if (hadOld_)
            qputenv("CALVORAN_HOME", old_);
        else
            qunsetenv("CALVORAN_HOME");
    }
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString path() const { return dir_.path() + '/'; }

private:
    QTemporaryDir dir_;
    QByteArray old_;
    bool hadOld_;
};
