// The "VZBASE" group: the drawing API of a running report, reached from
// compiled code as "TBASEREPORT." + an operation or a GET/SET property name.
#include "report/BaseReport.h"
#include "reportproject/VzLESysBind.h"

namespace {

using R = TBaseReport;

#define OP(name, member) {VZ_METHOD(member), "TBASEREPORT." name, "VZBASE"}
#define FN(name, routine) {routine, "TBASEREPORT." name, "VZBASE"}
#define PROP(name, getter, setter) OP("GET" name, getter), OP("SET" name, setter)
#define FIELD(name, field) FN("GET" name, VZ_GETFIELD(field)), FN("SET" name, VZ_SETFIELD(field))

// The brush of a script never carries a bitmap.
void SetBrushF(TNativeCall& c) {
    vzsys::Args a(c);
    R* r = a.Obj<R>();
    const TColor colour = a.Read<TColor>();
    const auto style = a.Read<TBrushStyle>();
    r->SetBrush(colour, style, nullptr);
}

// A colour fix for one old printer family; nothing here needs it, so the
// flag reads False and setting it changes nothing.
void GetNoNTColorFixF(TNativeCall& c) {
    vzsys::Args(c).Obj<R>();
    c.IntResult = 0;
}
void SetNoNTColorFixF(TNativeCall& c) { vzsys::Args(c).Obj<R>(); }

}  // namespace

void vzsys::AppendBaseReportFunctions(std::vector<TVizeFuncItem>& t) {
    const std::vector<TVizeFuncItem> group = {
        // Operations.
        OP("CR", &R::CR), OP("LF", &R::LF), OP("CRLF", &R::CRLF), OP("NEWLINE", &R::NewLine),
        OP("SOFTLINE", &R::SoftLine), OP("GOTOXY", &R::GotoXY), OP("HOME", &R::Home),
        OP("LINESLEFT", &R::LinesLeft), OP("COLUMNLINESLEFT", &R::ColumnLinesLeft),
        OP("PRINTJUSTIFY", &R::PrintJustify), OP("PRINT", &R::Print), OP("PRINTCENTER", &R::PrintCenter),
        OP("PRINTHEADER", &R::PrintHeader), OP("PRINTFOOTER", &R::PrintFooter), OP("PRINTLEFT", &R::PrintLeft),
        OP("PRINTBLOCK", &R::PrintBlock), OP("PRINTLN", &R::PrintLn), OP("PRINTRIGHT", &R::PrintRight),
        OP("PRINTXY", &R::PrintXY), OP("PRINTCHARJUSTIFY", &R::PrintCharJustify), OP("PRINTTAB", &R::PrintTab),
        OP("ARC", &R::Arc), OP("CHORD", &R::Chord), OP("ELLIPSE", &R::Ellipse), OP("LINETO", &R::LineTo),
        OP("MOVETO", &R::MoveTo), OP("PIE", &R::Pie), OP("RECTANGLE", &R::Rectangle),
        OP("ROUNDRECT", &R::RoundRect), FN("SETBRUSH", &SetBrushF),
        OP("SETFONT", static_cast<void (R::*)(const std::string&, double)>(&R::SetFont)),
        OP("SETPEN", &R::SetPen), OP("ALLOWPREVIEWONLY", &R::AllowPreviewOnly),
        OP("ALLOWPRINTERONLY", &R::AllowPrinterOnly), OP("ALLOWALL", &R::AllowAll),
        OP("RESETLINEHEIGHT", &R::ResetLineHeight), OP("ADJUSTLINE", &R::AdjustLine),
        OP("NEWCOLUMN", &R::NewColumn), OP("GOTOHEADER", &R::GotoHeader), OP("GOTOFOOTER", &R::GotoFooter),
        OP("SETTOPOFPAGE", &R::SetTopOfPage), OP("POPPOS", &R::PopPos), OP("PUSHPOS", &R::PushPos),
        OP("RESTOREPOS", &R::RestorePos), OP("SAVEPOS", &R::SavePos), OP("POPTABS", &R::PopTabs),
        OP("PUSHTABS", &R::PushTabs), OP("RESTORETABS", &R::RestoreTabs), OP("SAVETABS", &R::SaveTabs),
        OP("POPFONT", &R::PopFont), OP("PUSHFONT", &R::PushFont), OP("RESTOREFONT", &R::RestoreFont),
        OP("SAVEFONT", &R::SaveFont), OP("SETCOLUMNS", &R::SetColumns), OP("SETCOLUMNWIDTH", &R::SetColumnWidth),
        OP("CLEARCOLUMNS", &R::ClearColumns), OP("SETTAB", &R::SetTab), OP("CLEARTABS", &R::ClearTabs),
        OP("CLEARALLTABS", &R::ClearAllTabs), OP("RESETTABS", &R::ResetTabs), OP("TAB", &R::Tab),
        OP("TABSTART", &R::TabStart), OP("TABEND", &R::TabEnd), OP("TABWIDTH", &R::TabWidth),
        OP("FINISHTABBOX", &R::FinishTabBox), OP("TEXTWIDTH", &R::TextWidth),
        OP("TRUNCATETEXT", &R::TruncateText), OP("MACRO", &R::Macro), OP("PIVAR", &R::PIVar),
        OP("SETPIVAR", &R::SetPIVar),
        // Properties read only.
        OP("GETCURRENTPAGE", &R::CurrentPage), OP("GETCURSORXPOS", &R::GetCursorXPos),
        OP("GETCURSORYPOS", &R::GetCursorYPos), OP("GETRELATIVEPAGE", &R::GetRelativePage),
        OP("GETPAGEINVALID", &R::PageInvalid), OP("GETOUTPUTINVALID", &R::GetOutputInvalid),
        OP("GETXDPI", &R::XDPI), OP("GETYDPI", &R::YDPI), OP("GETCOLUMNSTART", &R::GetColumnStart),
        OP("GETCOLUMNEND", &R::GetColumnEnd), OP("GETLEFTWASTE", &R::GetLeftWaste),
        OP("GETRIGHTWASTE", &R::GetRightWaste), OP("GETTOPWASTE", &R::GetTopWaste),
        OP("GETBOTTOMWASTE", &R::GetBottomWaste), OP("GETPAGEHEIGHT", &R::GetPageHeight),
        OP("GETPAGEWIDTH", &R::GetPageWidth), OP("GETDEVICENAME", &R::GetDeviceName),
        OP("GETDRIVERNAME", &R::GetDriverName), OP("GETPORT", &R::GetPort), OP("GETABORTED", &R::Aborted),
        OP("GETPRINTING", &R::Printing), OP("GETASCENTHEIGHT", &R::GetAscentHeight),
        OP("GETDESCENTHEIGHT", &R::GetDescentHeight), OP("GETCOLUMNS", &R::Columns),
        OP("GETCOLUMNWIDTH", &R::GetColumnWidth),
        // Properties read and written.
        FIELD("TEXTFIELDWIDTH", &R::TextFieldWidth), FIELD("IGNOREVPTF", &R::IgnoreVPTF),
        PROP("XPOS", &R::XPos, &R::SetXPos), PROP("YPOS", &R::YPos, &R::SetYPos),
        FIELD("PAGENUMOFFSET", &R::PageNumOffset), PROP("LINENUM", &R::LineNum, &R::SetLineNum),
        PROP("COLUMNNUM", &R::ColumnNum, &R::SetColumnNum),
        PROP("SECTIONLEFT", &R::SectionLeft, &R::SetSectionLeft),
        PROP("SECTIONTOP", &R::SectionTop, &R::SetSectionTop),
        PROP("SECTIONBOTTOM", &R::SectionBottom, &R::SetSectionBottom),
        PROP("SECTIONRIGHT", &R::SectionRight, &R::SetSectionRight), PROP("BOLD", &R::GetBold, &R::SetBold),
        PROP("ITALIC", &R::GetItalic, &R::SetItalic), PROP("STRIKEOUT", &R::GetStrikeout, &R::SetStrikeout),
        PROP("SUPERSCRIPT", &R::GetSuperscript, &R::SetSuperscript),
        PROP("SUBSCRIPT", &R::GetSubscript, &R::SetSubscript),
        PROP("FONTROTATION", &R::GetFontRotation, &R::SetFontRotation),
        PROP("FONTCOLOR", &R::GetFontColor, &R::SetFontColor), PROP("FONTNAME", &R::GetFontName, &R::SetFontName),
        PROP("FONTSIZE", &R::GetFontSize, &R::SetFontSize), PROP("FONTPITCH", &R::GetFontPitch, &R::SetFontPitch),
        PROP("FONTCHARSET", &R::GetFontCharset, &R::SetFontCharset),
        PROP("FONTALIGN", &R::GetFontAlign, &R::SetFontAlign), PROP("LINETOP", &R::LineTop, &R::SetLineTop),
        PROP("LINEMIDDLE", &R::LineMiddle, &R::SetLineMiddle),
        PROP("LINEBOTTOM", &R::LineBottom, &R::SetLineBottom), PROP("FONTTOP", &R::FontTop, &R::SetFontTop),
        PROP("FONTBASELINE", &R::FontBaseline, &R::SetFontBaseline),
        PROP("FONTBOTTOM", &R::FontBottom, &R::SetFontBottom), FIELD("TABJUSTIFY", &R::TabJustify),
        FIELD("TRANSPARENTBITMAPS", &R::TransparentBitmaps), FIELD("PARAJUSTIFY", &R::ParaJustify),
        FIELD("NOBUFFERLINE", &R::NoBufferLine), FN("GETNONTCOLORFIX", &GetNoNTColorFixF),
        FN("SETNONTCOLORFIX", &SetNoNTColorFixF), FIELD("USEDRAWTEXT", &R::UseDrawText),
        FIELD("CURRENTPASS", &R::CurrentPass), FIELD("TOTALPASSES", &R::TotalPasses),
        FIELD("FIXEDTABWIDTH", &R::FixedTabWidth),
        PROP("PRINTERINDEX", &R::GetPrinterIndex, &R::SetPrinterIndex),
        PROP("ORIGINX", &R::OriginX, &R::SetOriginX), PROP("ORIGINY", &R::OriginY, &R::SetOriginY),
        PROP("BKCOLOR", &R::GetBKColor, &R::SetBKColor), PROP("LINEHEIGHT", &R::GetLineHeight, &R::SetLineHeight),
        PROP("FONTHEIGHT", &R::GetFontHeight, &R::SetFontHeight),
        PROP("FONTWIDTH", &R::GetFontWidth, &R::SetFontWidth),
        PROP("OUTPUTNAME", &R::OutputName, &R::SetOutputName),
        PROP("NOPRINTERPAGEHEIGHT", &R::NoPrinterPageHeight, &R::SetNoPrinterPageHeight),
        PROP("NOPRINTERPAGEWIDTH", &R::NoPrinterPageWidth, &R::SetNoPrinterPageWidth),
        FIELD("FIRSTPAGE", &R::FirstPage), FIELD("LASTPAGE", &R::LastPage), FIELD("SELECTION", &R::Selection),
        FIELD("STATUSFORMAT", &R::StatusFormat),
        PROP("LINEHEIGHTMETHOD", &R::LineHeightMethod, &R::SetLineHeightMethod),
        PROP("LINESPERINCH", &R::LinesPerInch, &R::SetLinesPerInch), PROP("UNITS", &R::Units, &R::SetUnits),
        PROP("UNITSFACTOR", &R::UnitsFactor, &R::SetUnitsFactor),
        PROP("MARGINLEFT", &R::MarginLeft, &R::SetMarginLeft),
        PROP("MARGINRIGHT", &R::MarginRight, &R::SetMarginRight),
        PROP("MARGINTOP", &R::MarginTop, &R::SetMarginTop),
        PROP("MARGINBOTTOM", &R::MarginBottom, &R::SetMarginBottom), FIELD("TABSHADE", &R::TabShade),
        FIELD("TABCOLOR", &R::TabColor), FIELD("BOXLINECOLOR", &R::BoxLineColor), FIELD("TITLE", &R::Title),
        PROP("TEXTBKMODE", &R::TextBKMode, &R::SetTextBKMode), PROP("COPIES", &R::Copies, &R::SetCopies),
        PROP("ORIENTATION", &R::Orientation, &R::SetOrientation), PROP("SCALEX", &R::ScaleX, &R::SetScaleX),
        PROP("SCALEY", &R::ScaleY, &R::SetScaleY),
    };
    t.insert(t.end(), group.begin(), group.end());
}
