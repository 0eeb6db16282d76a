#include "platform/Text.h"

#include <gtest/gtest.h>

using calvoran::fromAnsi;
using calvoran::toAnsi;

TEST(AnsiText, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(toAnsi(fromAnsi(all)), all);
}

TEST(AnsiText, HighControlRangeMapsToTypographicCharacters) {
    EXPECT_EQ(fromAnsi(std::string("\x80")), QString(QChar(0x20AC)));
    EXPECT_EQ(fromAnsi(std::string("\x93quoted\x94")), QString::fromUtf8("“quoted”"));
    EXPECT_EQ(fromAnsi(std::string("Caf\xe9")), QString::fromUtf8("Café"));
    EXPECT_EQ(toAnsi(QString::fromUtf8("€ – Ž")), std::string("\x80 \x96 \x8e"));
}

TEST(AnsiText, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toAnsi(QString::fromUtf8("日本 ok")), "?? ok");
    EXPECT_EQ(fromAnsi(static_cast<const char *>(nullptr)), QString());
}
