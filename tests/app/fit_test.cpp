// Every fixed-size window, rendered offscreen with the player's fonts: no text may be wider or
// taller than the box it is drawn in.
#include "ConfigWindow.h"
#include "EqualizerWindow.h"
#include "LevelMetersWindow.h"
#include "RadioWindow.h"
#include "VsLabWindow.h"
#include "dadd.h"
#include "id3.h"
#include "platform/Fonts.h"
#include "support/PlayerCore.h"
#include "support/TempHome.h"
#include "widgets/About.h"
#include "widgets/TVrCheckLed.h"
#include "widgets/TVrLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString plain(QString text) {
    text.remove('&');
    return text;
}

QString describe(const QWidget *w, const QString &text, int needed, int room) {
    return QStringLiteral("%1 (%2) \"%3\": needs %4, has %5")
        .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()), text)
        .arg(needed)
        .arg(room);
}

// The texts of `window` that do not fit their boxes.
QStringList clippedTexts(QWidget *window) {
    QStringList clipped;
    const auto check = [&](const QWidget *w, const QString &text, int needed, int room) {
        if (needed > room) clipped << describe(w, text, needed, room);
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window)) continue;
        const QFontMetrics fm(w->font());
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText) continue;
            const QString text = plain(label->text());
            const QRect box = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                             -label->margin(), -label->margin());
            int widest = 0;
            for (const QString &line : text.split('\n'))
                widest = std::max(widest, fm.horizontalAdvance(line));
            check(label, text, widest + std::max(0, label->indent()), box.width());
            check(label, text, fm.height() * static_cast<int>(text.count('\n') + 1) - fm.leading(),
                  box.height());
        } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            auto *button = static_cast<QAbstractButton *>(w);
            if (button->text().isEmpty()) continue;
            // The indicator, its spacing and the text, as the style lays them out.
            check(button, plain(button->text()), button->sizeHint().width(), button->width());
            check(button, plain(button->text()), fm.height(), button->height());
        } else if (auto *push = qobject_cast<QAbstractButton *>(w)) {
            if (push->text().isEmpty()) continue;
            check(push, plain(push->text()), fm.horizontalAdvance(plain(push->text())) + 4, push->width());
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            if (group->title().isEmpty()) continue;
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            option.textAlignment = group->alignment();
            const QRect title =
                group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
            check(group, group->title(), fm.horizontalAdvance(plain(group->title())), title.width());
            check(group, group->title(), title.right() + 1, group->width());
        } else if (auto *led = qobject_cast<calvoran::TVrCheckLed *>(w)) {
            if (led->Caption().isEmpty()) continue;
            const QRect caption = led->captionRect();
            check(led, led->Caption(), caption.right() + 1, led->width());
            check(led, led->Caption(), caption.bottom() + 1, led->height());
            check(led, led->Caption(), -caption.left(), 0);
        } else if (auto *vrLabel = qobject_cast<calvoran::TVrLabel *>(w)) {
            if (vrLabel->Caption().isEmpty()) continue;
            const QRectF bounds = vrLabel->textBounds();
            check(vrLabel, vrLabel->Caption(), qCeil(bounds.right()), vrLabel->width());
            check(vrLabel, vrLabel->Caption(), qCeil(bounds.bottom()), vrLabel->height());
            check(vrLabel, vrLabel->Caption(), -qFloor(bounds.left()), 0);
        }
    }
    return clipped;
}

// Shows `window` on the offscreen screen (so styles and layouts run), then checks it; one line per
// clipped text, empty when all fit.
std::string renderAndCheck(QWidget &window) {
    window.show();
    window.grab(); // paints every child once
    const QStringList clipped = clippedTexts(&window);
    window.hide();
    return clipped.join('\n').toStdString();
}

class FixedWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { calvoran::installPlayerFonts(); }
    TempHome home;
};

TEST_F(FixedWindows, WindowsFontsResolveToMetricTwins) {
    // Without the Liberation fonts the layouts' Arial and Courier New boxes are drawn with wider faces.
    EXPECT_EQ(calvoran::resolvedFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(calvoran::resolvedFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(calvoran::resolvedFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(calvoran::resolvedFamily("Tahoma"), "Tahoma");
    EXPECT_EQ(calvoran::resolvedFamily("MS Sans Serif"), "MS Sans Serif");
    EXPECT_EQ(calvoran::resolvedFamily("Verdana"), "DejaVu Sans");
}

TEST_F(FixedWindows, EqualizerFitsItsTexts) {
    PlayerCore core;
    Teq2 window(core.engine);
    EXPECT_EQ(renderAndCheck(window), "");
}

TEST_F(FixedWindows, ConfigurationPagesFitTheirTexts) {
    TForm5 window;
    std::string clipped;
    // Each page is shown on its own, as the tree on the left does.
    for (int n = 1; n <= 8; ++n) {
        for (int other = 1; other <= 8; ++other)
            window.page(other)->setVisible(other == n);
        clipped += renderAndCheck(window);
    }
    EXPECT_EQ(clipped, "");
}

TEST_F(FixedWindows, SmallWindowsFitTheirTexts) {
    PlayerCore core;
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<Tid32>());
    windows.push_back(std::make_unique<calvoran::TAbout>());
    windows.push_back(std::make_unique<Tdiradd>(calvoran::DirAddPlaylist{}));
    windows.push_back(std::make_unique<TfrmMain>());
    windows.push_back(std::make_unique<TForm4>(calvoran::ChannelTap{}));
    windows.push_back(std::make_unique<TFormPlayer>(calvoran::ChannelTap{}));
    for (auto &window : windows)
        EXPECT_EQ(renderAndCheck(*window), "") << window->metaObject()->className();
}

} // namespace
