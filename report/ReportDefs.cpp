#include "report/ReportDefs.h"

#include "platform/core/Strings.h"

TSaveFont InitialReportFont() {
    TSaveFont f;
    f.Name = "Arial";
    f.Size = 10;
    f.Height = 10.0 / 72.0;
    f.Ascent = 10.0 / 144.0;
    f.Descent = 10.0 / 144.0;
    f.Color = clBlack;
    f.Pitch = fpDefault;
    f.CharSet = 1;
    return f;
}

TTextTranslator& ReportTextTranslator() {
    static TTextTranslator hook = [](const std::string& s) { return s; };
    return hook;
}

std::string Trans(const std::string& text) {
    const TTextTranslator& hook = ReportTextTranslator();
    return hook ? hook(text) : text;
}

void RaiseReportError(const std::string& message) { throw EReportPrinter(message); }

const TPaperSizeRow PaperSizes[PaperSizeCount] = {
    {-1, 0, 0, "Default"},
    {256, 0, 0, "Custom"},
    {1, 8.5, 11, "Letter, 8 1/2- by 11-inches"},
    {5, 8.5, 14, "Legal, 8 1/2- by 14-inches"},
    {9, 8.2677, 11.6929, "A4 Sheet, 210- by 297-millimeters"},
    {24, 17, 22, "C Sheet, 17- by 22-inches"},
    {25, 22, 34, "D Sheet, 22- by 34-inches"},
    {26, 34, 44, "E Sheet, 34- by 44-inches"},
    {2, 8.5, 11, "Letter Small, 8 1/2- by 11-inches"},
    {3, 11, 17, "Tabloid, 11- by 17-inches"},
    {4, 17, 11, "Ledger, 17- by 11-inches"},
    {6, 5.5, 8.5, "Statement, 5 1/2- by 8 1/2-inches"},
    {7, 7.25, 10.5, "Executive, 7 1/4- by 10 1/2-inches"},
    {8, 11.6929, 16.5354, "A3 sheet, 297- by 420-millimeters"},
    {10, 8.2677, 11.6929, "A4 small sheet, 210- by 297-millimeters"},
    {11, 5.8268, 8.2677, "A5 sheet, 148- by 210-millimeters"},
    {12, 9.8425, 13.937, "B4 sheet, 250- by 354-millimeters"},
    {13, 7.1654, 10.1181, "B5 sheet, 182- by 257-millimeter paper"},
    {14, 8.5, 13, "Folio, 8 1/2- by 13-inch paper"},
    {15, 8.4646, 10.8268, "Quarto, 215- by 275-millimeter paper"},
    {16, 10, 14, "10- by 14-inch sheet"},
    {17, 11, 17, "11- by 17-inch sheet"},
    {18, 8.5, 11, "Note, 8 1/2- by 11-inches"},
    {19, 3.875, 8.875, "#9 Envelope, 3 7/8- by 8 7/8-inches"},
    {20, 4.125, 9.5, "#10 Envelope, 4 1/8- by 9 1/2-inches"},
    {21, 4.5, 10.375, "#11 Envelope, 4 1/2- by 10 3/8-inches"},
    {22, 4.75, 11, "#12 Envelope, 4 3/4- by 11-inches"},
    {23, 5, 11.5, "#14 Envelope, 5- by 11 1/2-inches"},
    {27, 4.3307, 8.6614, "DL Envelope, 110- by 220-millimeters"},
    {28, 6.378, 9.0157, "C5 Envelope, 162- by 229-millimeters"},
    {29, 12.7559, 18.0315, "C3 Envelope,  324- by 458-millimeters"},
    {30, 9.0157, 12.7559, "C4 Envelope,  229- by 324-millimeters"},
    {31, 4.4882, 6.378, "C6 Envelope,  114- by 162-millimeters"},
    {32, 4.4882, 9.0157, "C65 Envelope, 114- by 229-millimeters"},
    {33, 9.8425, 13.8976, "B4 Envelope,  250- by 353-millimeters"},
    {34, 6.9291, 9.8425, "B5 Envelope,  176- by 250-millimeters"},
    {35, 6.9291, 4.9213, "B6 Envelope,  176- by 125-millimeters"},
    {36, 4.3307, 9.0551, "Italy Envelope, 110- by 230-millimeters"},
    {37, 3.875, 7.5, "Monarch Envelope, 3 7/8- by 7 1/2-inches"},
    {38, 3.626, 6.5, "6 3/4 Envelope, 3 5/8- by 6 1/2-inches"},
    {39, 14.875, 12, "US Std Fanfold, 14 7/8- by 11-inches"},
    {40, 8.5, 12, "German Std Fanfold, 8 1/2- by 12-inches"},
    {41, 8.5, 13, "German Legal Fanfold, 8 1/2- by 13-inches"},
};

const TPaperSizeRow* FindPaperSize(int id) {
    for (const auto& row : PaperSizes)
        if (row.Id == id) return &row;
    return nullptr;
}

TColor ShadeColor(TColor color, int percent) {
    if (percent > 100) percent = 100;
    if (percent < 0) percent = 0;
    int b = 100 - percent;
    TColor c = ColorToRGB(color);
    auto lighten = [b](int v) { return v + b * (255 - v) / 100; };
    return RGB(Byte(lighten(GetRValue(c))), Byte(lighten(GetGValue(c))), Byte(lighten(GetBValue(c))));
}

Byte CharsetOfCodePage(int codePage) {
    switch (codePage) {
        case 874: return 222;
        case 932: return 128;
        case 936: return 134;
        case 949: return 129;
        case 950: return 136;
        case 1250: return 238;
        case 1251: return 204;
        case 1253: return 161;
        case 1254: return 162;
        case 1255: return 177;
        case 1256: return 178;
        case 1257: return 186;
        default: return 1;
    }
}

Byte ResolveDefaultCharset(Byte charset, int locale) {
    if (charset != 1) return charset;
    switch (locale) {
        case 1025: return 178;
        case 1028: return 136;
        case 1029: case 1038: case 1045: case 1048: case 1050: case 1051: case 1060: return 238;
        case 1032: return 161;
        case 1037: return 177;
        case 1041: return 128;
        case 1042: return 129;
        case 1049: return 204;
        case 1054: return 222;
        case 1055: return 162;
        case 1066: return 163;
        case 2052: return 134;
        default: return CharsetOfCodePage();
    }
}

int CompareNoCase(const std::string& a, const std::string& b) { return AnsiCompareText(a, b); }

int TextPos(const std::string& sub, const std::string& text) {
    size_t at = text.find(sub);
    if (sub.empty() || at == std::string::npos) return 0;
    return Utf8Length(std::string_view(text).substr(0, at)) + 1;
}

std::string ReportUpperCase(const std::string& text) { return AnsiUpperCase(text); }

void WriteText(TStream& stream, const std::string& text) {
    if (!text.empty()) stream.WriteBuffer(text.data(), Integer(text.size()));
}

std::string MBCSCopy(const std::string& text, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > Utf8Length(text)) return {};
    return Utf8Copy(text, index, count);
}

void MBCSDelete(std::string& text, int index, int count) {
    int len = Utf8Length(text);
    if (index < 1 || index > len || count <= 0) return;
    text = Utf8Copy(text, 1, index - 1) + Utf8Copy(text, index + count, len);
}
