#include "BrowserWindow.h"
#include "MainMenu.h"
#include "WindowDrag.h"
#include "platform/SettingsKey.h"
#include "platform/TrayIcon.h"
#include "support/TempHome.h"

#include <QAction>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

QStringList captions(const QMenu *menu) {
    QStringList out;
    for (const QAction *a : menu->actions())
        out << a->text();
    return out;
}

} // namespace

TEST(MainMenuTree, ItemsStandInTheirParentsInOrder) {
    MainMenu menu;
    EXPECT_EQ(menu.objectName(), "PopupMenu1");
    EXPECT_EQ(captions(&menu), QStringList({"Calvoran", "Controls", "Preferences", "Visuals", "File Info",
                                            "Show Player", "Exit"}));
    EXPECT_EQ(captions(menu.Calvoran1), QStringList({"About", "Online Help", "Calvoran Browser"}));
    EXPECT_EQ(captions(menu.Help1), QStringList({"Creating Skins"}));
    EXPECT_EQ(captions(menu.CalvoranBrowser1), QStringList({"Ormuldex", "Make Money"}));
    EXPECT_EQ(captions(menu.Controls1),
              QStringList({"Play Controls", "Show Playlist", "Show Eq", "Play Internet Stream"}));
    EXPECT_EQ(captions(menu.PlayControls1),
              QStringList({"Repeat", "Previous Song", "Play", "Stop", "Next Song"}));
    EXPECT_EQ(captions(menu.Preferences1), QStringList({"Configuration && Effects"}));
    EXPECT_EQ(captions(menu.Visuals1),
              QStringList({"Level Meters", "VS Lab", "VSX Lab", "Sonique Visual Plugins"}));
    EXPECT_EQ(captions(menu.FileInfo1), QStringList({"ID3 Tag"}));
}

TEST(MainMenuTree, ShortcutsChecksAndIcons) {
    MainMenu menu;
    EXPECT_EQ(menu.Previous1->shortcut(), QKeySequence("Ctrl+B"));
    EXPECT_EQ(menu.Play1->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_EQ(menu.Stop1->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(menu.NextSong1->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_TRUE(menu.Repeat1->isCheckable());
    EXPECT_FALSE(menu.Repeat1->isChecked());
    EXPECT_TRUE(menu.Minimize1->isChecked());
    for (int i = 0; i < 8; ++i) {
        const QImage img = MainMenu::menuIcon(i).pixmap(16, 16).toImage();
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                inked += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(inked, 12) << "icon " << i << " is blank";
    }
}

TEST(WindowDragging, MovesTheWindowAndReportsTheEndOnce) {
    TempHome home;
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(100, 40);
    window.move(200, 150);
    window.show();
    WindowDrag drag(&window);
    int ends = 0;
    drag.OnDragEnd = [&] {
        ++ends;
        calvoran::SettingsKey key;
        ASSERT_TRUE(key.OpenKey());
        key.WriteInteger("MainTop", window.y());
        key.WriteInteger("MainLeft", window.x());
    };
    const QPoint start = window.pos() + QPoint(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(start), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    drag.begin(&press);
    ASSERT_TRUE(drag.dragging());
    for (int step = 1; step <= 3; ++step) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), QPointF(start + QPoint(step * 10, step * 5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
    }
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(window.pos(), QPoint(230, 165));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(start + QPoint(30, 15)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &release);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(drag.dragging());
    EXPECT_EQ(calvoran::SettingsKey::readInteger("MainTop", -1), 165);
    EXPECT_EQ(calvoran::SettingsKey::readInteger("MainLeft", -1), 230);
}

TEST(TrayIconMessages, OnlyTheRightButtonReachesTheHandler) {
    auto &tray = calvoran::TrayIcon::instance();
    std::vector<int> seen;
    tray.add([&](int msg) { seen.push_back(msg); });
    EXPECT_TRUE(tray.isAdded());
    tray.deliver(calvoran::TrayIcon::kRightButtonDown);
    tray.deliver(calvoran::TrayIcon::kLeftButtonDown);
    EXPECT_EQ(seen, (std::vector<int>{516, 513}));
    tray.remove();
    tray.remove(); // harmless twice
    EXPECT_FALSE(tray.isAdded());
    tray.deliver(calvoran::TrayIcon::kRightButtonDown);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(Browser, OpensItsPageOnlyOnceShown) {
    std::vector<QUrl> opened;
    Tbrowser1::setUrlOpener([&](const QUrl &u) {
        opened.push_back(u);
        return true;
    });
    {
        Tbrowser1 browser;
        EXPECT_TRUE(opened.empty());
        browser.show();
        browser.Navigate(Tbrowser1::kSkinHelpPage);
    }
    Tbrowser1::setUrlOpener(nullptr);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], Tbrowser1::kHomePage);
    EXPECT_EQ(opened[1], Tbrowser1::kSkinHelpPage);
}
