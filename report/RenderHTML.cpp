#include "report/RenderHTML.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/core/Strings.h"
#include "platform/gui/Canvas.h"
#include "report/ReportNumbers.h"

namespace {

// The pages are UTF-8; without the declaration a browser guesses another
// character set and shows accented names garbled.
const char* const HeadLines[] = {"<HTML><HEAD>", "<meta charset=\"utf-8\">", "<STYLE TYPE=\"text/css\">", "<!--", "DIV {position:absolute}",
                                 "-->", "</STYLE>", "</HEAD>", "<BODY>"};
const char* const FootLines[] = {
    "<DIV style=\"COLOR: #000000; FONT: 10pt 'Arial'; LEFT: 0px; TOP: {%MaxY%}px\">",
    "<HR><P ALIGN=CENTER>",
    "<A HREF=\"{%PrevPageURL%}\">Previous Page</A>",
    " --------- ",
    "<A HREF=\"{%NextPageURL%}\">Next Page</A>",
    "</P></DIV></BODY></HTML>"};

std::string JoinLines(const char* const* lines, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += std::string(lines[i]) + "\r\n";
    return s;
}

// Extension (with its dot) and the rest of a file name.
void SplitExtension(const std::string& name, std::string& base, std::string& ext) {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        base = name;
        ext.clear();
    } else {
        base = name.substr(0, dot);
        ext = name.substr(dot);
    }
}

std::string FileNamePart(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void ReplaceAllNoCase(std::string& text, const std::string& name, const std::string& value) {
    std::string upper = AnsiUpperCase(text);
    std::string key = AnsiUpperCase(name);
    std::string out;
    size_t from = 0;
    for (size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, from)) {
        out += text.substr(from, at - from) + value;
        from = at + key.size();
    }
    out += text.substr(from);
    text = out;
}

std::string Hex6(TColor color) {
    TColor c = ColorToRGB(color);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", unsigned(c & 0xFF), unsigned((c >> 8) & 0xFF),
                  unsigned((c >> 16) & 0xFF));
    return buf;
}

// Points with at most two decimals, "." as separator.
std::string PointsText(double points) {
    double r = std::nearbyint(points * 100) / 100;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", r);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

bool IsUtf8Continuation(char c) { return (Byte(c) & 0xC0) == 0x80; }

int Utf8Length(const std::string& text) {
    int n = 0;
    for (char c : text)
        if (!IsUtf8Continuation(c)) ++n;
    return n;
}

}  // namespace

TVzRenderHTML::TVzRenderHTML(TComponent* owner) : TVPRenderStream(owner) {
    SetDisplayName("Web Page (HTML)");
    FileExtension = "*.html;*.htm";
    HeadTemplate = JoinLines(HeadLines, std::size(HeadLines));
    FootTemplate = JoinLines(FootLines, std::size(FootLines));
}

int TVzRenderHTML::P(double inches) { return SafeRound(inches * 96); }

std::string TVzRenderHTML::EscapeHTML(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': s += "&amp;"; break;
            case '<': s += "&lt;"; break;
            case '>': s += "&gt;"; break;
            case '"': s += "&quot;"; break;
            default: s += c;
        }
    }
    return s;
}

std::string TVzRenderHTML::ColorGIF(TColor color) {
    static const Byte head[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xB3, 0x00, 0x00};
    static const Byte tail[] = {0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00,
                                0x00, 0x04, 0x03, 0x10, 0x48, 0x10, 0x00, 0x3B};
    TColor c = ColorToRGB(color);
    std::string s(reinterpret_cast<const char*>(head), sizeof head);
    s += char(c & 0xFF);
    s += char((c >> 8) & 0xFF);
    s += char((c >> 16) & 0xFF);
    s.append(45, '\0');
    s.append(reinterpret_cast<const char*>(tail), sizeof tail);
    return s;
}

int TVzRenderHTML::PageCount() const {
    return converter_ ? converter_->ReportHeader.PageCount : lastPageCount_;
}

std::string TVzRenderHTML::ReplaceVariables(const std::string& text) const {
    std::string s = text;
    int page = converter_ ? converter_->CurrentPage : 0;
    int count = PageCount();
    ReplaceAllNoCase(s, "{%PageNo%}", std::to_string(page));
    ReplaceAllNoCase(s, "{%TotalPages%}", std::to_string(count));
    ReplaceAllNoCase(s, "{%MaxY%}", std::to_string(P(maxY_ + 1)));
    ReplaceAllNoCase(s, "{%PrevPageURL%}", "javascript:PrevPage();");
    ReplaceAllNoCase(s, "{%NextPageURL%}", "javascript:NextPage();");
    ReplaceAllNoCase(s, "{%FirstPageURL%}", "javascript:GotoPage(1);");
    ReplaceAllNoCase(s, "{%LastPageURL%}", "javascript:GotoPage(" + std::to_string(count) + ");");
    return s;
}

void TVzRenderHTML::BeginDoc() { pictureCounter_ = 0; }

void TVzRenderHTML::BeginPage() {
    pagePlayed_ = true;
    maxY_ = 0;
    std::string name = OutputFileName;
    size_t semi = name.find(';');
    if (semi != std::string::npos) name.erase(semi);
    std::string base, ext;
    SplitExtension(name, base, ext);
    if (ext.empty() || ext == ".") {
        size_t dot = FileExtension.find('.');
        ext = dot == std::string::npos ? std::string() : FileExtension.substr(dot, FileExtension.find(';', dot) - dot);
    }
    if (!ServerMode) PageURLTemplate = FileNamePart(base) + "{%PAGENO%}" + ext;
    pageFolder_ = FolderPart(base);
    if (converter_) lastPageCount_ = converter_->ReportHeader.PageCount;
    ownsPageFile_ = false;
    if (!OutputStream) {
        OpenOutputFile(base + std::to_string(converter_ ? converter_->CurrentPage : 1) + ext);
        ownsPageFile_ = true;
    }
    if (CustomHead.empty()) {
        Print(ReplaceVariables(HeadTemplate));
        WriteScript();
    } else {
        Print(ReplaceVariables(CustomHead));
        WriteScript();
        Print(ReplaceVariables(HeadTemplate));
    }
    PrintLn("</HEAD>");
    PrintLn("<BODY>");
}

void TVzRenderHTML::WriteScript() {
    std::string url = PageURLTemplate;
    if (!ServerMode)
        for (char& c : url)
            if (c == '\\') c = '/';
    // The address stands in a script string: quotes and backslashes must not
    // end it early.
    std::string quoted;
    for (char c : url) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    PrintLn("<SCRIPT Language=Javascript>");
    PrintLn("var GPageURL = \"" + quoted + "\";");
    PrintLn("var GPageNo = " + std::to_string(converter_ ? converter_->CurrentPage : 1) + ";");
    PrintLn("var GPageCount = " + std::to_string(PageCount()) + ";");
    PrintLn("");
    PrintLn("function GotoPage(APageNo) {");
    PrintLn("  location.href = GPageURL.replace(/{%PAGENO%}/,APageNo);");
    PrintLn("}");
    PrintLn("");
    PrintLn("function NextPage() {");
    PrintLn("  if (GPageNo < GPageCount)");
    PrintLn("    {GotoPage(GPageNo + 1);}");
    PrintLn("  else");
    PrintLn("    {window.alert(\"This is the last page.\")}");
    PrintLn("}");
    PrintLn("");
    PrintLn("function PrevPage() {");
    PrintLn("  if (GPageNo > 1)");
    PrintLn("    {GotoPage(GPageNo - 1);}");
    PrintLn("  else");
    PrintLn("    {window.alert(\"This is the first page.\")}");
    PrintLn("}");
    PrintLn("");
    PrintLn("</SCRIPT>");
}

void TVzRenderHTML::EndPage() {
    Print(ReplaceVariables(FootTemplate));
    if (ownsPageFile_) {
        ownedOutput_.reset();
        OutputStream = nullptr;
        ownsPageFile_ = false;
    }
}

std::string TVzRenderHTML::FontStyle() const {
    if (!converter_) return {};
    const TSaveFont& f = converter_->FontData;
    std::string s = "font:";
    s += f.Italic ? "italic " : "normal ";
    s += f.Bold ? "bold " : "normal ";
    // A quote in the name would end the CSS string.
    std::string name;
    for (char c : f.Name)
        if (c != '\'') name += c;
    s += PointsText(f.Height * 72) + "pt '" + EscapeHTML(name) + "'";
    if (f.Underline || (converter_->Font.Style() & fsUnderline)) s += ";text-decoration:underline";
    if (f.Color != clNone) s += ";color:#" + Hex6(f.Color);
    return s;
}

void TVzRenderHTML::WriteBlock(const std::string& content, TBlockAlign align, double left, double top, double width,
                               double height) {
    std::string s = "<DIV STYLE=\"";
    if (content.find("<a href") != std::string::npos) s += "z-index:1;";
    s += align == TBlockAlign::Center ? "text-align:center;left:"
         : align == TBlockAlign::Right ? "text-align:right;left:"
                                        : "left:";
    s += std::to_string(P(left)) + ";top:" + std::to_string(P(top)) + ";";
    if (width > 0) s += "width:" + std::to_string(P(width)) + ";";
    if (height > 0) s += "height:" + std::to_string(P(height)) + ";";
    s += FontStyle() + "\">" + content + "</DIV>";
    PrintLn(s);
    if (top + height > maxY_) maxY_ = top + height;
}

std::string TVzRenderHTML::TextContent(const std::string& text, bool forceLeading) const {
    size_t lead = text.find_first_not_of(' ');
    if (lead == std::string::npos) lead = text.size();
    bool leadingFixed = forceLeading || !UseBreakingSpaces ||
                        (Utf8Length(text) > 2 && text.compare(0, 2, "  ") == 0);
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' && (!UseBreakingSpaces || (i < lead && leadingFixed)))
            s += "&nbsp;";
        else
            s += EscapeHTML(std::string(1, c));
    }
    return s;
}

std::string TVzRenderHTML::WithLink(const std::string& content) const {
    if (!converter_ || converter_->Hyperlink.empty()) return content;
    return "<a href=\"" + EscapeHTML(converter_->Hyperlink) + "\">" + content + "</a>";
}

void TVzRenderHTML::PrintLeft(const std::string& text, double x, double y) {
    double h = converter_ ? converter_->FontData.Height : 0;
    WriteBlock(WithLink(TextContent(text, false)), TBlockAlign::Left, x, y - h, Utf8Length(text), 0);
}

void TVzRenderHTML::PrintCenter(const std::string& text, double x, double y) {
    double h = converter_ ? converter_->FontData.Height : 0;
    WriteBlock(WithLink(TextContent(text, false)), TBlockAlign::Center, 0, y - h - 1.0 / 96, 2 * x, 0);
}

void TVzRenderHTML::PrintRight(const std::string& text, double x, double y) {
    double h = converter_ ? converter_->FontData.Height : 0;
    WriteBlock(WithLink(TextContent(text, false)), TBlockAlign::Right, 0, y - h, x, 0);
}

void TVzRenderHTML::AdvanceAndPrint(TPosition& position, double distance, const std::string& text) {
    AdvanceByAngle(position.X, position.Y, distance);
    double h = converter_ ? converter_->FontData.Height : 0;
    WriteBlock(WithLink(TextContent(text, true)), TBlockAlign::Right, 0, position.Y - h, position.X, 0);
}

void TVzRenderHTML::PrintBlock(const std::string& text, double x, double y, double width) {
    auto measure = [this](const std::string& t) { return converter_ ? converter_->TextWidth(t) : 0.0; };
    std::string t = text;
    size_t lead = t.find_first_not_of(' ');
    int n = CountInnerSpaces(t) + int(lead == std::string::npos ? t.size() : lead);
    if (n == 0) {
        // One word: spread its characters (whole UTF-8 characters) instead.
        std::string spread;
        for (size_t i = 0; i < t.size(); ++i) {
            if (i > 0 && !IsUtf8Continuation(t[i]) && t[i] != ' ' && t[i - 1] != ' ') {
                spread += ' ';
                ++n;
            }
            spread += t[i];
        }
        t = spread;
    }
    if (n < 1) n = 1;
    double gap = (width - measure(t)) / n + measure(" ");
    std::string word;
    SplitFirstWord(t, word);
    TPosition pos{x, y};
    PrintLeft(word, pos.X, pos.Y);
    AdvanceByAngle(pos.X, pos.Y, measure(word));
    while (!t.empty()) {
        std::string spaces;
        SplitLeadingSpaces(t, spaces);
        SplitFirstWord(t, word);
        double l = double(spaces.size());
        AdvanceAndPrint(pos, measure(word) + l * gap, spaces + word);
    }
}

void TVzRenderHTML::MoveTo(double x, double y) {
    curX_ = x;
    curY_ = y;
}

void TVzRenderHTML::LineTo(double x, double y) {
    if (converter_ && (x == curX_ || y == curY_)) {
        // Boxes run right and down from their corner, whichever way the
        // line was drawn.
        double left = std::min(x, curX_), top = std::min(y, curY_);
        ColorBox(converter_->Pen.Color(), left, top, std::fabs(x - curX_), std::fabs(y - curY_));
    }
    curX_ = x;
    curY_ = y;
}

void TVzRenderHTML::Rectangle(double x1, double y1, double x2, double y2) {
    if (!converter_) return;
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    double w = x2 - x1, h = y2 - y1, t = 1.0 / 96;
    // A clear brush fills nothing and a clear pen draws no edges: an opaque
    // box would hide what lies under it.
    if (converter_->Brush.Style() != bsClear) ColorBox(converter_->Brush.Color(), x1, y1, w, h);
    if (converter_->Pen.Style() == psClear) return;
    TColor pen = converter_->Pen.Color();
    ColorBox(pen, x1, y1, t, h);
    ColorBox(pen, x1, y2 - t, w, t);
    ColorBox(pen, x2 - t, y1, t, h);
    ColorBox(pen, x1, y1, w, t);
}

void TVzRenderHTML::FillRect(const TRect& r) { Rectangle(r.Left / 72.0, r.Top / 72.0, r.Right / 72.0, r.Bottom / 72.0); }

void TVzRenderHTML::ColorBox(TColor color, double x, double y, double width, double height) {
    std::string name = Hex6(color) + ".gif";
    std::string address;
    if (ServerMode) {
        address = "/Color/" + name;
    } else {
        // Written beside the page files, where the page's relative address
        // finds it.
        std::ofstream gif(pageFolder_ + name, std::ios::binary | std::ios::trunc);
        if (!gif) RaiseReportError(Trans("Cannot create file ") + pageFolder_ + name);
        std::string bytes = ColorGIF(color);
        gif.write(bytes.data(), std::streamsize(bytes.size()));
        address = name;
    }
    std::string content = "<IMG SRC=\"" + EscapeHTML(address) + "\" WIDTH=" + std::to_string(std::max(P(width), 1)) +
                          " HEIGHT=" + std::to_string(std::max(P(height), 1)) + ">";
    WriteBlock(content, TBlockAlign::Left, x, y, width, height);
}

std::string TVzRenderHTML::PictureFolder() const {
    std::string dir = CacheDir.empty() ? std::filesystem::current_path().string() : CacheDir;
    if (dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir;
}

std::string TVzRenderHTML::UniquePictureName() {
    std::string dir = PictureFolder();
    while (true) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%4d", pictureCounter_);
        std::string number = buf;
        for (char& c : number)
            if (c == ' ') c = '0';
        ++pictureCounter_;
        std::string name = number + ".jpg";
        std::error_code ec;
        if (!std::filesystem::exists(dir + name, ec)) return name;
    }
}

void TVzRenderHTML::PictureBlock(TGraphic* graphic, double x1, double y1, double x2, double y2) {
    if (!graphic || graphic->Empty()) return;
    std::string name = UniquePictureName();
    std::string path = PictureFolder() + name;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) {
        jpeg->SaveToFile(path);
    } else {
        TJPEGImage image;
        image.Assign(graphic);
        image.Compress();
        image.SaveToFile(path);
    }
    std::string address;
    if (ServerMode) {
        address = "/Cache/" + name;
    } else {
        address = PictureFolder() + name;
        for (char& c : address)
            if (c == '\\') c = '/';
    }
    double w = x2 - x1, h = y2 - y1;
    std::string content = "<IMG Src=\"" + EscapeHTML(address) + "\" width=" + std::to_string(P(w)) +
                          " height=" + std::to_string(P(h)) + ">";
    WriteBlock(WithLink(content), TBlockAlign::Left, x1, y1, w, h);
}

void TVzRenderHTML::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    PictureBlock(bitmap, x1, y1, x2, y2);
}

void TVzRenderHTML::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic) return;
    double x1 = r.Left / 72.0, y1 = r.Top / 72.0, x2 = r.Right / 72.0, y2 = r.Bottom / 72.0;
    int w = std::min(MaxRasterSide, SafeRound(std::fabs(x2 - x1) * 300));
    int h = std::min(MaxRasterSide, SafeRound(std::fabs(y2 - y1) * 300));
    if (w <= 0 || h <= 0) return;
    TBitmap bitmap;
    bitmap.SetSize(w, h);
    bitmap.Canvas()->StretchDraw(TRect(0, 0, w, h), graphic);
    PictureBlock(&bitmap, x1, y1, x2, y2);
}

void TVzRenderHTML::RenderToFile(TStream* stream, const std::string& fileName) {
    OutputFileName = fileName;
    int count = 0;
    for (int i = 1;; ++i) {
        stream->SetPosition(0);
        TVzRenderHTML page(nullptr);
        page.OutputFileName = fileName;
        page.CacheDir = CacheDir;
        page.ServerMode = ServerMode;
        page.UseBreakingSpaces = UseBreakingSpaces;
        page.HeadTemplate = HeadTemplate;
        page.FootTemplate = FootTemplate;
        page.CustomHead = CustomHead;
        page.OnDecodeImage = OnDecodeImage;
        std::string base, ext;
        SplitExtension(fileName, base, ext);
        page.PageURLTemplate = FileNamePart(base) + "{%PAGENO%}" + ext;
        page.input_ = stream;
        page.Convert(i);
        page.input_ = nullptr;
        // The header's count is not trusted past the pages the stream holds.
        if (!page.pagePlayed_) {
            count = i - 1;
            break;
        }
        count = page.lastPageCount_;
        if (i + 1 > count) break;
    }
    lastPageCount_ = count;
}
