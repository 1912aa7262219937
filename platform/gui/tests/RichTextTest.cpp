#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/RichText.h"

// Rich-text documents: what RTF and plain text read as, and the RTF that is
// refused.

namespace {

std::string Read(const std::string& bytes) {
    TRichTextDocument d;
    d.LoadFromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return d.Text();
}

}  // namespace

TEST(RichText, ReadsTheCharactersOfRtfAndPlainText) {
    struct Case {
        const char* in;
        const char* text;
    } cases[] = {
        // Tables, information and ignorable groups hold no text.
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}{\\info{\\title T}}"
         "{\\*\\generator G}\\f0\\fs20 Hello\\par World}",
         "Hello\nWorld"},
        {"{\\rtf1 a\\tab b\\line c}", "a\tb\nc"},
        // Escaped characters, the code page, \u with its stand-ins (one by
        // default, \uc0 none), and symbols.
        {"{\\rtf1 \\{x\\}\\\\ Caf\\'e9 \\u8364?\\u-4064? {\\uc0\\u233} \\~\\emdash}",
         "{x}\\ Caf\xC3\xA9 \xE2\x82\xAC\xEF\x80\xA0 \xC3\xA9 \xC2\xA0\xE2\x80\x94"},
        // Binary data is stepped over, whatever bytes it holds.
        {"{\\rtf1 a{\\pict\\bin3 }{x}b}", "ab"},
        {"plain\r\ntext\rend", "plain\ntext\nend"},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(c.in), c.text) << c.in;
}

TEST(RichText, BrokenRtfIsRefusedAndLeavesNoText) {
    const std::string deep = "{\\rtf1 " + std::string(300, '{') + std::string(301, '}');
    for (const std::string& bad : {std::string("{\\rtf1 open"), std::string("{\\rtf1 \\bin100 x}"),
                                   std::string("{\\rtf1 \\'zz}"), std::string("{\\rtf1 \\"), deep}) {
        TRichTextDocument d;
        d.SetText("before");
        EXPECT_THROW(d.LoadFromBytes(std::vector<std::uint8_t>(bad.begin(), bad.end())), EConvertError)
            << bad.substr(0, 20);
        EXPECT_EQ(d.Length(), 0);
    }
}

// Lines are broken between characters when a paragraph has no blanks, and
// never inside a pair of UTF-16 code units; a long paragraph costs no more
// per line than a short one.
TEST(RichText, LinesOfAParagraphWithoutBlanks) {
    TMetafile picture;
    TMetafileCanvas canvas(&picture);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetSize(10);
    const int line = canvas.TextHeight("W");
    TRichTextDocument d;
    d.SetText(std::string(200000, 'x'));
    const TRect tenLines(0, 0, 200, 10 * line);
    const int perLine = d.FormatRange(canvas, 0, -1, TRect(0, 0, 200, line));
    EXPECT_LE(canvas.TextWidth(std::string(perLine, 'x')), 200);
    EXPECT_GT(canvas.TextWidth(std::string(perLine + 1, 'x')), 200);
    EXPECT_EQ(d.FormatRange(canvas, 0, -1, tenLines), 10 * perLine);

    std::string faces;
    for (int i = 0; i < 400; ++i) faces += "\xF0\x9F\x98\x80";  // outside the 16-bit range
    d.SetText(faces);
    int pos = 0;
    for (int page = 0; page < 5 && pos < d.Length(); ++page) {
        const int next = d.FormatRange(canvas, pos, -1, TRect(0, 0, 45, 3 * line));
        ASSERT_GT(next, pos);
        EXPECT_EQ(next % 2, 0) << "a pair was split";
        pos = next;
    }
    // A rectangle lower than a line takes nothing.
    EXPECT_EQ(d.FormatRange(canvas, 4, -1, TRect(0, 0, 400, line - 1)), 4);
}
