#pragma once
#include "ConfigLinks.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace calvoran {
class TVrCheckLed;
class TVrLabel;
} // namespace calvoran

// The configuration window: every switch acts at once; there is no OK or Apply step.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(ConfigLinks links = {}, QWidget *parent = nullptr);
    ~TForm5() override;

    // The page tree and the eight pages (index 1..8; 0 is unused).
    QTreeWidget *TreeView1;
    std::array<QGroupBox *, 9> pages{};
    QGroupBox *page(int number) const { return pages.at(static_cast<size_t>(number)); }
    // The page shown now, 0 for none.
    int visiblePage() const;
    void selectNode(const QString &caption);
    void TreeView1Change();

    // Page 1: the twelve stream effects.
    calvoran::TVrCheckLed *VrCheckLed2, *CheckBox1, *CheckBox2, *CheckBox3, *VrCheckLed5, *VrCheckLed4,
        *VrCheckLed3, *VrCheckLed1, *damp, *awah, *echo2, *echo21;
    // Page 2.
    QSlider *TrackBar1;
    calvoran::TVrCheckLed *CheckBox5;
    // Page 3.
    calvoran::TVrCheckLed *CheckBox4, *Syst;
    // Pages 4 and 5.
    calvoran::TVrCheckLed *VrCheckLed6, *VrCheckLed7, *VrCheckLed8;
    // Page 6.
    QComboBox *ComboBox1;
    QPushButton *Button1;
    calvoran::TVrLabel *VrLabel1;
    // Page 8.
    QLabel *Label3;
    QComboBox *ComboBox2;
    QPushButton *Button2, *Button3, *Button4;
    QLineEdit *Edit1;

    void Button1Click();
    void ComboBox1Change();
    void Button2Click(); // scan the folder in Edit1 for plug-ins
    void Button3Click(); // Start
    void Button4Click(); // Stop
    // The plug-ins window went away by itself (closed by the user, or it could not record).
    void pluginWindowClosed();
    // The path of the plug-in chosen in ComboBox2; empty when none is.
    QString chosenPluginPath() const;
    const QStringList &pluginPaths() const { return pluginPaths_; }
    // "Sonique Visual Plugins" in the main menu: show the window with the plug-in page on top.
    void showPluginPage();

    QString programFolder() const { return programFolder_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    calvoran::TVrCheckLed *effectSwitch(QWidget *page, const char *name, const QString &caption, int effect,
                                        int row);
    calvoran::TVrCheckLed *makeSwitch(QWidget *page, const char *name, const QString &caption, int x, int y);
    QGroupBox *makePage(int number, const QString &caption);
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &caption, int page);
    void readSettings();

    ConfigLinks links_;
    QString programFolder_;
    QStringList pluginPaths_;
    bool systray_ = false;
    bool filling_ = false;
};
