// RTF writer: document frame, font and colour tables, sections, headers
// and footers, and text output.

#include "docexport/deRTFEng.h"

#include "docexport/deRTFEngDlg.h"

#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "docexport/deDocResStrs.h"
#include "docexport/deDocUtils.h"
#include "docexport/deDocVariables.h"
#include "docexport/deUtils.h"
#include "platform/gui/Prompts.h"
#include "platform/core/CodePage.h"
#include "platform/core/DateTime.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"

namespace {

// The document declares Windows-1252, the code page of this system.
constexpr int kAnsiCodePage = 1252;
const char* const kDocComment = "Document export engine, RTF writer 1.0";
const char* const kCrLf = "\r\n";

std::string Num(long v) { return std::to_string(v); }

// Code points of UTF-8 text (malformed bytes become U+FFFD).
std::vector<char32_t> CodePoints(const std::string& s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (std::size_t k = 1; k < n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += n;
    }
    return out;
}

std::string Utf8Of(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

// UTF-16 code units of a character.
std::vector<std::uint16_t> Utf16Units(char32_t cp) {
    if (cp < 0x10000) return {static_cast<std::uint16_t>(cp)};
    cp -= 0x10000;
    return {static_cast<std::uint16_t>(0xD800 | (cp >> 10)), static_cast<std::uint16_t>(0xDC00 | (cp & 0x3FF))};
}

// RTF reads the number of \u as a signed 16-bit value.
std::string UnicodeWord(std::uint16_t unit) { return "\\u" + std::to_string(static_cast<std::int16_t>(unit)); }

// The code page of a font character set.
int CharsetCodePage(int charset) {
    switch (charset) {
        case 128: return 932;
        case 129: return 949;
        case 130: return 1361;
        case 134: return 936;
        case 136: return 950;
        case 161: return 1253;
        case 162: return 1254;
        case 163: return 1258;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        default: return kAnsiCodePage;
    }
}

// The single byte of the character in the code page, when it has one.
bool SingleByte(char32_t cp, int codePage, unsigned char& byte) {
    if (codePage == 1252) return CharToCp1252(cp, byte);
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(name.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = Utf8Of(cp);
    char out[8];
    char* ip = in.data();
    char* op = out;
    std::size_t il = in.size(), ol = sizeof out;
    const std::size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || il != 0 || op - out != 1) return false;
    byte = static_cast<unsigned char>(out[0]);
    return true;
}

std::string Hex2(unsigned char b) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", b);
    return buf;
}

int Charset(const TFont& font) { return font.Charset(); }

double AbsFontHeight(const TFont& font) { return std::fabs(static_cast<double>(font.Height())); }

TdeTextItem* AsText(TdeDocumentItem* i) { return dynamic_cast<TdeTextItem*>(i); }

}  // namespace

// ---- preferences ---------------------------------------------------------------------------

void TdeRTFPreferences::Assign(const TPersistent* source) {
    TdePlainSheetPreferences::Assign(source);
    if (auto s = dynamic_cast<const TdeRTFPreferences*>(source)) {
        GraphicDataInBinary = s->GraphicDataInBinary;
        MetafileAsImage = s->MetafileAsImage;
    }
}

// ---- engine --------------------------------------------------------------------------------

TdeRTFEngine::TdeRTFEngine(TComponent* owner) : TdeCustomPlainsheetEngine(owner) {
    InitPreferences();
    SetFileExtension("rtf");
    SetFileDescription(SdeRtfDescription);
    SetCapabilities(0x3F);
    ImageSettings()->SetOutputImageFormat(ifJPEG);
}

TdeRTFEngine::~TdeRTFEngine() {
    // A document still open is closed by the base; nothing of ours may
    // outlive it.
}

std::unique_ptr<TdePreferences> TdeRTFEngine::CreatePreferences() { return std::make_unique<TdeRTFPreferences>(); }

void TdeRTFEngine::SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) {
    // Refused with an error box, keeping the old value: stored settings that
    // ask for tiling still load into this engine.
    if (t == dtTile) {
        MessageDlg(SdeRtfNoTile, mtError, TMsgDlgButtons{mbOK});
        return;
    }
    TdeCustomDocumentEngine::SetBackgroundImageDisplayType(t);
}

int TdeRTFEngine::ExecuteSetupDialog() {
    TdeRTFEngineDlg dlg(nullptr);
    dlg.Engine = this;
    return dlg.Execute() == mrOk ? deModalOk : deModalCancel;
}

long TdeRTFEngine::Twips(double pixels) const {
    return static_cast<long>(RoundHalfEven(pixels * twipsPerPixel_));
}

// ---- building blocks ---------------------------------------------------------------------

int TdeRTFEngine::ColorIndex(TColor color) {
    char key[16];
    std::snprintf(key, sizeof key, "$%08X", static_cast<unsigned>(color));
    for (std::size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i].first == key) return static_cast<int>(i) + 1;
    colors_.emplace_back(key, color);
    return static_cast<int>(colors_.size());
}

int TdeRTFEngine::FontIndex(const TFont& font) {
    for (std::size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i].first == font.Name() && fonts_[i].second == font.Charset()) return static_cast<int>(i);
    fonts_.emplace_back(font.Name(), font.Charset());
    return static_cast<int>(fonts_.size()) - 1;
}

std::string TdeRTFEngine::FontSpec(const TFont& font) {
    std::string s = "\\f" + Num(FontIndex(font)) + "\\cf" + Num(ColorIndex(font.Color())) + "\\fs" +
                    Num(2L * font.Size());
    if (font.Style() & fsBold) s += " \\b";
    if (font.Style() & fsItalic) s += " \\i";
    if (font.Style() & fsStrikeOut) s += " \\strike";
    if (font.Style() & fsUnderline) s += " \\ul";
    return s;
}

std::string TdeRTFEngine::AlignSpec(TdeHAlignment alignment) {
    switch (alignment) {
        case haRight: return "\\qr";
        case haCenter: return "\\qc";
        case haJustify: return "\\qj";
        default: return "\\ql";
    }
}

std::string TdeRTFEngine::BorderSpec(Integer width, TColor color, TPenStyle style) {
    std::string s;
    switch (style) {
        case psSolid:
        case psInsideFrame: s = "\\brdrs"; break;
        case psDash: s = "\\brdrdash"; break;
        case psDot: s = "\\brdrdot"; break;
        case psDashDot: s = "\\brdrdashd"; break;
        case psDashDotDot: s = "\\brdrdashdd"; break;
        default: break;
    }
    return s + "\\brdrw" + Num(Twips(width)) + "\\brdrcf" + Num(ColorIndex(color));
}

std::string TdeRTFEngine::ParaShading(const TBrush& brush) {
    std::string s;
    switch (brush.Style()) {
        // A full-strength pattern shows black in LibreOffice whatever its
        // colour: a solid brush is the paragraph's background colour.
        case bsSolid: return "\\cbpat" + Num(ColorIndex(brush.Color()));
        case bsHorizontal: s = "\\bghoriz"; break;
        case bsVertical: s = "\\bgvert"; break;
        case bsFDiagonal: s = "\\bgfdiag"; break;
        case bsBDiagonal: s = "\\bgbdiag"; break;
        case bsCross: s = "\\bgcross"; break;
        case bsDiagCross: s = "\\bgdcross"; break;
        default: return {};
    }
    return s + "\\cfpat" + Num(ColorIndex(brush.Color()));
}

std::string TdeRTFEngine::CharShading(const TBrush& brush) {
    if (ColorToRGB(brush.Color()) == 0xFFFFFF) return {};
    std::string s;
    switch (brush.Style()) {
        case bsSolid: s = "\\chshdng10000"; break;
        case bsHorizontal: s = "\\chbgdkhoriz"; break;
        case bsVertical: s = "\\chbgdkvert"; break;
        case bsFDiagonal: s = "\\chbgdkbdiag"; break;
        case bsBDiagonal: s = "\\chbgdkfdiag"; break;
        case bsCross: s = "\\chbgdkcross"; break;
        case bsDiagCross: s = "\\chbgdkdcross"; break;
        default: return {};
    }
    return s + "\\chcfpat" + Num(ColorIndex(brush.Color()));
}

std::string TdeRTFEngine::RTFEscape(const std::string& text) {
    std::string s = ReplaceIgnoreCase(text, "\\", "\\\\");
    s = ReplaceIgnoreCase(s, "{", "\\{");
    return ReplaceIgnoreCase(s, "}", "\\}");
}

std::string TdeRTFEngine::ToDocumentBytes(const std::string& text) {
    std::string out;
    for (char32_t cp : CodePoints(text)) {
        unsigned char b;
        if (CharToCp1252(cp, b)) {
            out += static_cast<char>(b);
            continue;
        }
        for (std::uint16_t u : Utf16Units(cp)) out += UnicodeWord(u) + "?";
    }
    return out;
}

std::string TdeRTFEngine::EncodeText(const std::string& text, int charset) {
    const int codePage = CharsetCodePage(charset);
    std::string out;
    for (char32_t cp : CodePoints(text)) {
        unsigned char b;
        if (cp < 257 && CharToCp1252(cp, b)) {
            out += RTFEscape(Utf8Of(cp));
            continue;
        }
        const auto units = Utf16Units(cp);
        for (std::size_t i = 0; i < units.size(); ++i) {
            out += UnicodeWord(units[i]);
            // The byte a reader without Unicode shows instead.
            if (units.size() == 1 && SingleByte(cp, codePage, b))
                out += "\\'" + Hex2(b);
            else
                out += "?";
        }
    }
    return out;
}

bool TdeRTFEngine::NeedsEncoding(const TFont& font) {
    const int c = Charset(font);
    return c != 0 && !(c == 1 && kAnsiCodePage == 1252);
}

std::string TdeRTFEngine::ConvertLinks(const std::string& text) {
    std::string result = text;
    std::vector<std::string> done;
    int pos = 0;
    for (int guard = 0; guard < 10000; ++guard) {
        int start = pos;
        std::string w;
        if (!FindLink(text, start, w) || w.empty() || w == kCrLf) break;
        pos = start + static_cast<int>(w.size()) + 1;
        // Every occurrence was replaced when the word was first found; doing
        // it again would put fields inside fields.
        if (std::find(done.begin(), done.end(), LowerCase(w)) != done.end()) {
            if (pos > static_cast<int>(text.size())) break;
            continue;
        }
        done.push_back(LowerCase(w));
        std::string prefix;
        if (w.find('@') != std::string::npos)
            prefix = "mailto:";
        else if (Pos("http:", LowerCase(w)) > 0 || Pos("ftp:", LowerCase(w)) > 0 || w.find(":\\") != std::string::npos)
            prefix = "";
        else
            prefix = "http://";
        std::string target = w;
        if (w.find(":\\") != std::string::npos) {
            target = ReplaceIgnoreCase(w, "\\\\", "\\\\\\\\");
            result = ReplaceIgnoreCase(result, "\\\\", "\\\\\\\\");
        }
        std::string shown = ReplaceIgnoreCase(target, "\\\\\\\\", "\\\\");
        const std::string field = "{\\field{\\*\\fldinst {HYPERLINK \"" + prefix + target + "\"}}{\\fldrslt {\\ul\\cf" +
                                  Num(ColorIndex(clBlue)) + " " + shown + "}}}";
        result = ReplaceIgnoreCase(result, target, field);
        if (pos > static_cast<int>(text.size())) break;
    }
    return result;
}

void TdeRTFEngine::WriteToBand(const std::string& text) {
    switch (CurrentBand()) {
        case bdHeader:
        case bdUnderlay: header_ += text; break;
        case bdFooter: footer_ += text; break;
        default: body_ += text; break;
    }
}

void TdeRTFEngine::WriteBody(const std::string& text) { body_ += text; }

// ---- document frame ------------------------------------------------------------------------

void TdeRTFEngine::Clear() {
    body_.clear();
    header_.clear();
    footer_.clear();
    fonts_.clear();
    colors_.clear();
    lastText_.clear();
    lastX_ = lastY_ = -1e300;
    binaryData_.clear();
    flowing_ = false;
}

void TdeRTFEngine::StartDocument() {
    tabWidth_ = TFont::PixelsPerInch * 0.5;
    SetTextSortTolerance(TextExtent("W", *DefaultFont()).cy);
    out_ = nullptr;
    file_.reset();
    if (TdeCustomDocumentEngine::Preferences()->OutputToUserStream() && UserStream()) {
        out_ = UserStream();
    } else {
        const std::string name = FileName() + "." + FileExtension();
        file_ = CreateOutputFile(name);
        if (!file_) return;  // the error went to OnErrorMessage; the document is closed
        OutputFiles().Add(name);
        out_ = file_.get();
    }
    Clear();
    twipsPerPixel_ = 1.0 / UnitFactor(muTwips);

    const TdeDocInfo& info = *DocInfo();
    const int cs = Font()->Charset();
    std::string s = "{\\info";
    if (!info.Title().empty()) s += "{\\title " + EncodeText(info.Title(), cs) + "}";
    if (!info.Subject().empty()) s += "{\\subject " + EncodeText(info.Subject(), cs) + "}";
    s += "{\\author " + EncodeText(info.Author(), cs) + "}{\\keywords " + EncodeText(info.Keywords(), cs) + "}";
    Word yr, mo, dy, hr, mi, sec, ms;
    DecodeDateTime(Now(), yr, mo, dy, hr, mi, sec, ms);
    s += "{\\doccomm " + RTFEscape(kDocComment) + "}{\\creatim\\yr" + Num(yr) + "\\mo" + Num(mo) + "\\dy" + Num(dy) +
         "\\hr" + Num(hr) + "\\min" + Num(mi) + "}}\\viewkind1";
    const TdePageItem* first = PageItem(1);
    const TdePageSettings& p = first ? first->Settings : *Page();
    s += "\\paperw" + Num(Twips(p.Pixels(plWidth))) + "\\paperh" + Num(Twips(p.Pixels(plHeight))) + "\\margl" +
         Num(Twips(p.Pixels(plLeftMargin))) + "\\margr" + Num(Twips(p.Pixels(plRightMargin))) + "\\margt" +
         Num(Twips(p.Pixels(plTopMargin))) + "\\margb" + Num(Twips(p.Pixels(plBottomMargin))) + "\\headery" +
         Num(Twips(p.Pixels(plHeaderHeight))) + "\\footery" + Num(Twips(p.Pixels(plFooterHeight)));
    body_ += s;
    WriteBackgroundImage();
    SetTextSort(encoding_ == etEaseOfEditing);
}

void TdeRTFEngine::WriteBackgroundImage() {
    TGraphic* g = BackgroundImage()->Graphic();
    if (!g || g->Empty()) return;
    const TdePageItem* first = PageItem(1);
    const TdePageSettings& p = first ? first->Settings : *Page();
    const double W = p.Pixels(plWidth), H = p.Pixels(plHeight);
    const double w = g->Width(), h = g->Height();
    double x = 0, y = 0;
    switch (BackgroundImageDisplayType()) {
        case dtTopCenter:
        case dtCenter:
        case dtBottomCenter: x = (W - w) / 2; break;
        case dtTopRight:
        case dtCenterRight:
        case dtBottomRight: x = W - w; break;
        default: break;
    }
    switch (BackgroundImageDisplayType()) {
        case dtCenterLeft:
        case dtCenter:
        case dtCenterRight: y = (H - h) / 2; break;
        case dtBottomLeft:
        case dtBottomCenter:
        case dtBottomRight: y = H - h; break;
        default: break;
    }
    TBitmap bmp;
    bmp.SetSize(g->Width(), g->Height());
    bmp.SetTransparentColor(clWhite);
    bmp.SetTransparent(true);
    bmp.Canvas()->Draw(0, 0, g);
    // Written with the first header: the picture lands in the header stream.
    const std::string saved = body_;
    std::string before = header_;
    std::string captured;
    {
        // RenderBitmap writes through WriteToBand; outside a page the band
        // is the body, so what it adds to the body is moved to the header.
        RenderBitmap(&bmp, x, y);
        captured = body_.substr(saved.size());
        body_ = saved;
    }
    header_ = before + captured;
}

void TdeRTFEngine::FinishDocument() {
    if (!out_) {
        Clear();
        return;
    }
    std::string head = "{\\rtf1\\ansi\\ansicpg" + Num(kAnsiCodePage) + "\\deff0\\deftab" +
                       Num(static_cast<long>(RoundHalfEven(tabWidth_ * twipsPerPixel_))) + "{\\fonttbl";
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        const auto& [name, set] = fonts_[i];
        head += "{\\f" + Num(static_cast<long>(i));
        if (kAnsiCodePage != 1252 || set != 1) head += "\\fcharset" + Num(kAnsiCodePage == 1252 ? set : 0);
        head += " " + RTFEscape(name) + ";}";
    }
    head += "}{\\colortbl;";
    for (const auto& [text, color] : colors_) {
        const TColor c = ColorToRGB(color);
        head += "\\red" + Num(c & 0xFF) + "\\green" + Num((c >> 8) & 0xFF) + "\\blue" + Num((c >> 16) & 0xFF) + ";";
    }
    head += "}";
    // Everything is built as UTF-8; the file holds the declared code page,
    // with \u escapes for what it cannot hold.
    std::string bytes = ToDocumentBytes(head + body_ + "}");
    if (!binaryData_.empty()) {
        // Raw picture bytes go in where their marks stand.
        std::string joined;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t mark = bytes.find('\x01', at);
            if (mark == std::string::npos) {
                joined.append(bytes, at, std::string::npos);
                break;
            }
            const std::size_t end = bytes.find('\x01', mark + 1);
            joined.append(bytes, at, mark - at);
            const std::size_t index = std::stoul(bytes.substr(mark + 1, end - mark - 1));
            if (index < binaryData_.size()) joined += binaryData_[index];
            at = end + 1;
        }
        bytes = std::move(joined);
    }
    out_->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    file_.reset();
    out_ = nullptr;
    Clear();
}

void TdeRTFEngine::StartPage() {
    // Duplicates are suppressed within a page only: the same text at the
    // same place on the next page is that page's own.
    lastText_.clear();
    lastX_ = lastY_ = -1e300;
    const TdePageItem* page = PageItem(CurrentPage());
    const TdePageSettings& p = page ? page->Settings : *Page();
    std::string s = " \\sectd";
    if (p.Orientation() == poLandscape) s += "\\lndscpsxn";
    s += "\\pgwsxn" + Num(Twips(p.Pixels(plWidth))) + "\\pghsxn" + Num(Twips(p.Pixels(plHeight))) + "\\marglsxn" +
         Num(Twips(p.Pixels(plLeftMargin))) + "\\margrsxn" + Num(Twips(p.Pixels(plRightMargin))) + "\\margtsxn" +
         Num(Twips(p.Pixels(plTopMargin))) + "\\margbsxn" + Num(Twips(p.Pixels(plBottomMargin)));
    if (const Integer bin = Page()->BinNumber(); bin != 0) s += "\\binfsxn" + Num(bin) + "\\binsxn" + Num(bin);
    s += "\\headery" + Num(Twips(p.Pixels(plHeaderHeight))) + "\\footery" + Num(Twips(p.Pixels(plFooterHeight))) +
         "\\sectdefaultcl";
    const TdeBorder& b = *PageBorder();
    const std::string spec = BorderSpec(b.Width, b.Color, b.Style);
    s += "\\pgbrdrhead\\pgbrdrfoot";
    if (b.DrawLeft) s += "\\pgbrdrl" + spec;
    if (b.DrawRight) s += "\\pgbrdrr" + spec;
    if (b.DrawTop) s += "\\pgbrdrt" + spec;
    if (b.DrawBottom) s += "\\pgbrdrb" + spec;
    s += std::string(kCrLf) + "{";
    WriteBody(s);
}

void TdeRTFEngine::FinishPage() {
    if (!header_.empty()) {
        WriteBody("{\\header " + header_ + "}");
        header_.clear();
    }
    if (!footer_.empty()) {
        WriteBody("{\\footer " + footer_ + "}");
        footer_.clear();
    }
    // Positioned frames anchor to a paragraph of their section: after
    // flowing text that is the section's own closing paragraph, without
    // which they would move to the next page.
    if (flowing_) WriteBody("{\\pard\\plain\\fs2\\par}");
    flowing_ = false;
    WriteBody("}\\sect");
}

std::string TdeRTFEngine::SubstitutePageVariables(const std::string& text) {
    const TdeBand b = CurrentBand();
    if (b == bdHeader || b == bdFooter || b == bdUnderlay) {
        std::string r = ReplaceIgnoreCase(text, "<%Pg#%>", "{\\field{\\*\\fldinst { PAGE }}}");
        return ReplaceIgnoreCase(r, "<%PgCnt%>", "{\\field{\\*\\fldinst { NUMPAGES }}}");
    }
    return TdeCustomDocumentEngine::SubstitutePageVariables(text);
}

// ---- text ------------------------------------------------------------------------------

void TdeRTFEngine::RenderText(TdeTextItem* item) {
    const std::string recorded = item->Lines[0];
    if (recorded == lastText_ && item->X == lastX_ && item->Y == lastY_) return;
    // Page variables wait until the text is escaped: in bands they become
    // fields whose braces must survive.
    const std::string line = SubstituteVariables(recorded, false);
    if (item->Rotation != 0) {
        const double sx = item->X, sy = item->Y;
        item->Lines.Put(0, line);
        auto bmp = TextItemToBitmap(item);
        RenderBitmap(bmp.get(), item->X, item->Y);
        item->X = sx;
        item->Y = sy;
        item->Lines.Put(0, recorded);
    } else {
        std::string s = "{\\pard\\pvpg\\phpg\\posy" + Num(Twips(item->Y)) + "\\posx" + Num(Twips(item->X)) +
                        "\\overlay" + FontSpec(item->Font) + CharShading(item->Brush) + " ";
        if (item->Clipped())
            s += "\\absh-" + Num(Twips(item->ClipRect.Height())) + "\\absw" +
                 Num(Twips(item->ClipRect.Width() + 10)) + " ";
        std::string text;
        if (NeedsEncoding(item->Font)) {
            text = ConvertLinks(SubstituteVariables(EncodeText(line, item->Font.Charset()), true));
        } else {
            std::string shown = line;
            if (item->Clipped()) {
                // The longest start that fits, measured before each added
                // character.
                shown.clear();
                for (std::size_t i = 0; i < line.size();) {
                    std::size_t n = Utf8CharSize(line, i);
                    if (n == 0) n = 1;
                    if (TextExtent(shown, *Font()).cx > item->ClipRect.Width()) break;
                    shown += line.substr(i, n);
                    i += n;
                }
            }
            text = ConvertLinks(SubstituteVariables(RTFEscape(shown), true));
        }
        WriteToBand(s + text + "\\par}");
    }
    lastText_ = recorded;
    lastX_ = item->X;
    lastY_ = item->Y;
}

void TdeRTFEngine::SortTextItems(TdeItemList& list) {
    auto y = [](TdeDocumentItem* i) { return AsText(i) ? AsText(i)->Y : 0.0; };
    auto x = [](TdeDocumentItem* i) { return AsText(i) ? AsText(i)->X : 0.0; };
    std::stable_sort(list.begin(), list.end(), [&](auto* a, auto* b) { return y(a) < y(b); });
    // Snap items to lines.
    double top = 0, bottom = 0, height = 0, threshold = 0;
    bool started = false;
    auto startLine = [&](TdeTextItem* t) {
        top = started ? std::max(t->Y, bottom) : t->Y;
        height = AbsFontHeight(t->Font);
        threshold = std::fabs(height * 0.7 + top);
        bottom = top + height;
        t->Y = top;
        started = true;
    };
    for (TdeDocumentItem* i : list) {
        TdeTextItem* t = AsText(i);
        if (!t) continue;
        if (!started) {
            startLine(t);
            continue;
        }
        const double h = AbsFontHeight(t->Font);
        if (t->Y <= threshold) {
            t->Y = top;
            if (h > height) {
                height = h;
                bottom = top + h;
            }
        } else if (t->Y < bottom) {
            if (h > height) {
                height = h;
                bottom = top + h;
            }
            t->Y = bottom;
        } else if (t->Y > bottom) {
            startLine(t);
        }
    }
    std::stable_sort(list.begin(), list.end(),
                     [&](auto* a, auto* b) { return y(a) < y(b) || (y(a) == y(b) && x(a) < x(b)); });
}

void TdeRTFEngine::RenderTextList(TdeItemList& list) {
    if (CurrentBand() != bdBody) {
        TdeCustomDocumentEngine::RenderTextList(list);
        return;
    }
    double g = TextSortTolerance();
    if (g <= 0) g = 1;
    double t = 0, b = 0, spacing = 0, prevLineHeight = 0, lineHeight = 0;
    double lastX = 0, lastY = -1e300, lastW = 0;
    std::string tabs, cells, lastText;
    bool first = true;
    auto writeLine = [&](const char* close) {
        WriteToBand("{\\pard \\sl-" + Num(std::labs(static_cast<long>(RoundHalfEven((spacing - prevLineHeight) *
                                                                                      twipsPerPixel_)))) +
                    "\\par}");
        WriteToBand("{\\pard \\sl-0" + tabs + cells + close);
        flowing_ = true;
    };
    for (TdeDocumentItem* i : list) {
        TdeTextItem* item = AsText(i);
        if (!item) continue;
        const std::string line = item->Lines[0];
        const std::string text = ConvertLinks(NeedsEncoding(item->Font) ? EncodeText(line, item->Font.Charset())
                                                                         : RTFEscape(line));
        if (std::fabs(lastX - item->X) < 8 && lastY == item->Y && text == lastText) continue;
        if (item->Y > b) {
            // A line already collected is written before the next starts,
            // including one that lies within the first grid step.
            if (!first && !(tabs.empty() && cells.empty())) writeLine("\\par}");
            prevLineHeight = lineHeight;
            spacing = std::fabs(item->Y - t);
            lineHeight = AbsFontHeight(item->Font);
            first = false;
            tabs.clear();
            cells.clear();
            lastX = lastW = 0;
            t = b = std::ceil(item->Y / g) * g;
        }
        if (item->Y < t) t = item->Y;
        lineHeight = std::max(lineHeight, AbsFontHeight(item->Font));
        if (lastW + lastX >= item->X) item->X = lastW + lastX + 1;
        tabs += "\\tx" + Num(Twips(item->X));
        cells += "{\\tab" + CharShading(item->Brush) + FontSpec(item->Font) + " " + text + "}";
        lastX = item->X;
        lastW = TextExtent(line, item->Font).cx;
        lastY = item->Y;
        lastText = text;
    }
    if (!tabs.empty() && !cells.empty()) writeLine("\\par }");
}

std::string TdeRTFEngine::LineAttributes(const TPen& pen) {
    std::string s;
    switch (pen.Style()) {
        case psDash: s = "\\dplinedash"; break;
        case psDot: s = "\\dplinedot"; break;
        case psDashDot: s = "\\dplinedado"; break;
        case psDashDotDot: s = "\\dplinedadodo"; break;
        case psClear: s = "\\dplinehollow"; break;
        default: s = "\\dplinesolid"; break;
    }
    const TColor c = ColorToRGB(pen.Color());
    return s + "\\dplinecor" + Num(c & 0xFF) + "\\dplinecog" + Num((c >> 8) & 0xFF) + "\\dplinecob" +
           Num((c >> 16) & 0xFF) + "\\dplinew" + Num(Twips(pen.Width())) + " ";
}

std::string TdeRTFEngine::FillAttributes(const TBrush& brush) {
    const TColor c = ColorToRGB(brush.Color());
    int pattern = 1;
    switch (brush.Style()) {
        case bsSolid: pattern = 1; break;
        case bsClear: pattern = 0; break;
        case bsHorizontal: pattern = 14; break;
        case bsVertical: pattern = 15; break;
        case bsFDiagonal: pattern = 16; break;
        case bsBDiagonal: pattern = 17; break;
        case bsCross: pattern = 18; break;
        case bsDiagCross: pattern = 19; break;
    }
    return "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr" + Num(c & 0xFF) + "\\dpfillbgcg" +
           Num((c >> 8) & 0xFF) + "\\dpfillbgcb" + Num((c >> 16) & 0xFF) + "\\dpfillpat" + Num(pattern) + " ";
}

void TdeRTFEngine::RenderTextBox(TdeTextBoxItem* item) {
    const bool encode = NeedsEncoding(item->Font);
    std::string text;
    for (int i = 0; i < item->Lines.Count(); ++i)
        text += encode ? EncodeText(item->Lines[i], item->Font.Charset()) : RTFEscape(item->Lines[i]);
    if (item->Lines.Count() > 1) {
        text = StripTrailingLineBreak(text);
        text = ReplaceIgnoreCase(text, kCrLf, std::string(kCrLf) + "\\par ");
    }
    text = ConvertLinks(text);
    const double hW = TextExtent("W", item->Font).cy;
    const int n = item->Lines.Count();
    double offset = 0;
    if (item->VAlign == vaCenter)
        offset = (item->Height - hW * n) / 2;
    else if (item->VAlign == vaBottom)
        offset = item->Height - hW * n;
    std::string lead;
    if (hW > 0 && offset > 0)
        for (long k = 0; k < static_cast<long>(std::trunc(offset / hW)); ++k) lead += "\\par ";
    text = lead + text;
    std::string s = "{\\lang1024 ";
    if (encode) {
        s += "{\\shp{\\*\\shpinst\\shpleft" + Num(Twips(item->X)) + "\\shptop" + Num(Twips(item->Y)) + "\\shpright" +
             Num(Twips(item->X + item->Width)) + "\\shpbottom" + Num(Twips(item->Y + item->Height)) +
             "\\shpfhdr0\\shpbxcolumn\\shpbxignore\\shpbypara\\shpwr3\\shpwrk0\\shpfblwtxt0"
             "{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn fLayoutInCell}{\\sv 1}}"
             "{\\shptxt \\ltrpar \\pard\\plain{\\pard\\ql" +
             FontSpec(item->Font) + " " + text + "\\par}}}\\par}";
        // The shape group is complete in itself: only the language group
        // is left to close.
        s += "}";
    } else {
        s += "{\\*\\do\\dobxpage\\dobypage\\dptxbx\\dptxbxmar" + Num(Twips(item->Frame.Insets[0])) + "\\dpx" +
             Num(Twips(item->X)) + "\\dpy" + Num(Twips(item->Y)) + "\\dpxsize" + Num(Twips(item->Width)) +
             "\\dpysize" + Num(Twips(item->Height)) + "{\\dptxbxtext\\pard" + AlignSpec(item->HAlign) +
             FontSpec(item->Font) + " " + text + "\\par}";
        s += LineAttributes(item->Pen);
        if (item->Brush.Style() != bsClear) s += FillAttributes(item->Brush);
        s += "}}";
    }
    WriteBody(s);
}

void TdeRTFEngine::RenderParagraph(TdeParagraphItem* item) {
    const bool encode = NeedsEncoding(item->Font);
    std::string text;
    for (int i = 0; i < item->Lines.Count(); ++i) {
        text += encode ? EncodeText(item->Lines[i], item->Font.Charset()) : RTFEscape(item->Lines[i]);
        text = SubstituteVariables(text, true);
    }
    if (item->Lines.Count() > 1) {
        text = StripTrailingLineBreak(text);
        text = ReplaceIgnoreCase(text, kCrLf, "\\par ");
    }
    const TdeTextFormatting& f = item->Formatting;
    const double hW = TextExtent("W", item->Font).cy;
    std::string spacing = "\\fi" + Num(Twips(f.FirstLineIndentPx())) + "\\li" + Num(Twips(f.LeftIndentPx())) +
                          "\\ri" + Num(Twips(f.RightIndentPx())) + "\\sb" + Num(Twips(f.SpaceBeforePx())) + "\\sl" +
                          Num(Twips(hW * f.LineSpacing)) + "\\slmult0";
    const TdeParaBorder& pb = f.Border;
    std::string borders;
    const std::string spec = BorderSpec(pb.Width, pb.Color, pb.Style) + "\\brsp" + Num(Twips(pb.Spacing));
    if (pb.DrawLeft) borders += "\\brdrl" + spec;
    if (pb.DrawRight) borders += "\\brdrr" + spec;
    if (pb.DrawTop) borders += "\\brdrt" + spec;
    if (pb.DrawBottom) borders += "\\brdrb" + spec;
    if (pb.DrawTop || pb.DrawBottom) borders += "\\brdrbtw" + spec;
    if (CurrentBand() == bdBody) flowing_ = true;
    WriteToBand("{\\pard" + AlignSpec(f.Alignment) + spacing + borders + CharShading(item->Brush) +
                FontSpec(item->Font) + " " + ConvertLinks(text) + "\\par}");
}
