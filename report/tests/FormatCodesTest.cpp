#include <gtest/gtest.h>

#include "report/FormatCodes.h"

namespace {
const std::string S(1, '\x01'), Sep(1, '\x02'), E(1, '\x04');
}

TEST(FormatCodesTest, StateBlocks) {
    TFormatState d;
    EXPECT_EQ(FormatStateCode(d), S + "R" + E);
    TFormatState bold;
    bold.Bold = true;
    EXPECT_EQ(FormatStateCode(bold), S + "R" + Sep + "B1" + E);
    TFormatState many;
    many.Name = "Courier New";
    many.Size = 9.5;
    many.Color = 255;
    many.Justify = pjRight;
    many.LeftIndent = 0.25;
    EXPECT_EQ(FormatStateCode(many), S + "R" + Sep + "L0.25" + Sep + "NCourier New" + Sep + "Z9.5" + Sep + "C255" +
                                         Sep + "JR" + E);
    // Applying a block gives the state back.
    TFormatState back;
    back.Italic = true;
    ApplyFormatCodes(back, FormatStateCode(many));
    EXPECT_EQ(back.Name, "Courier New");
    EXPECT_DOUBLE_EQ(back.Size, 9.5);
    EXPECT_FALSE(back.Italic);
    EXPECT_EQ(back.Color, 255);
    EXPECT_EQ(back.Justify, pjRight);
    EXPECT_DOUBLE_EQ(back.LeftIndent, 0.25);
}

TEST(FormatCodesTest, RunsCodesAndLengths) {
    std::string text = S + "B1" + Sep + "I1" + E + "Bold" + S + "r" + E + " plain";
    EXPECT_EQ(CodeFreeLength(text), 10);
    EXPECT_EQ(CodeFreeLength(S + "R" + E + S + "B1" + E), 0);
    int pos = 1;
    std::string codes, plain;
    SplitFormatRun(text, pos, codes, plain);
    EXPECT_EQ(codes, S + "B1" + Sep + "I1" + E);
    EXPECT_EQ(plain, "Bold");
    SplitFormatRun(text, pos, codes, plain);
    EXPECT_EQ(codes, S + "r" + E);
    EXPECT_EQ(plain, " plain");
    EXPECT_GT(pos, int(text.size()));
    pos = 0;
    char code;
    std::string param;
    NextFormatCode(S + "N\x03" "Ari\x03" "al" + E, pos, code, param);
    EXPECT_EQ(code, 'N');
    EXPECT_EQ(param, "Arial");
    NextFormatCode(S + "N" + E, pos, code, param);
    EXPECT_EQ(code, ' ');
    EXPECT_EQ(JustifyOfCodes(S + "JC" + E, pjLeft), pjCenter);
    EXPECT_EQ(JustifyOfCodes(S + "R" + E, pjRight), pjLeft);
    EXPECT_EQ(JustifyOfCodes("plain", pjBlock), pjBlock);
}

TEST(FormatCodesTest, RtfToCodes) {
    // One font other than Arial at 24 half-points: the default size, so no Z.
    EXPECT_EQ(ReadRTF("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\\f0\\fs24 Hello}"),
              S + "R" + Sep + "NVerdana" + E + "Hello");
    // Bold on, then off: the shorter block is written.
    EXPECT_EQ(ReadRTF("{\\rtf1{\\fonttbl{\\f0 Verdana;}}{\\b Bold} plain}"),
              S + "R" + Sep + "NVerdana" + Sep + "B1" + E + "Bold" + S + "B0" + E + " plain");
    EXPECT_EQ(ReadRTF("{\\rtf1 {\\b Bold} plain}"), S + "R" + Sep + "B1" + E + "Bold" + S + "R" + E + " plain");
    // Skipped destinations and pictures produce nothing; escapes decode.
    EXPECT_EQ(ReadRTF("{\\rtf1 {\\*\\generator x;}{\\pict abc}{\\info{\\title t}}caf\\'e9 \\{x\\}}"),
              S + "R" + E + "caf\xC3\xA9 {x}");
    // Colours, paragraphs, tabs and hidden text.
    EXPECT_EQ(ReadRTF("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 A\\par\\tab B{\\v hidden}\\v0 C}"),
              S + "R" + Sep + "C255" + E + "A\r\n\tBC");
    EXPECT_EQ(ReadRTF(""), "");
    EXPECT_EQ(ReadRTF("{\\rtf1 \\qc\\li1440 x}"), S + "R" + Sep + "L1" + Sep + "JC" + E + "x");
}
