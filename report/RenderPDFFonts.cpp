// PDF fonts: the standard Type 1 fonts by name, TrueType fonts with their
// widths, descriptors and (on request) embedded programs, and composite fonts
// for the East Asian character sets.
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/core/CodePage.h"
#include "platform/core/Strings.h"
#include "report/RenderPDF.h"
#include "report/TrueTypeFile.h"

namespace {

std::string LowerAscii(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string NoBlanks(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}

std::string TrueTypeSuffix(TFontStyles style) {
    bool bold = style & fsBold, italic = style & fsItalic;
    return bold && italic ? ",BoldItalic" : bold ? ",Bold" : italic ? ",Italic" : "";
}

std::string StandardSuffix(TFontStyles style) {
    bool bold = style & fsBold, italic = style & fsItalic;
    return bold && italic ? "-BoldOblique" : bold ? "-Bold" : italic ? "-Oblique" : "";
}

unsigned U16(const std::string& d, size_t at) {
    return at + 2 <= d.size() ? (Byte(d[at]) << 8) | Byte(d[at + 1]) : 0;
}
int S16(const std::string& d, size_t at) { return std::int16_t(U16(d, at)); }
unsigned U32(const std::string& d, size_t at) { return (U16(d, at) << 16) | U16(d, at + 2); }

// The table of a TrueType file: offset and length, or false.
bool FindTable(const std::string& file, const char* tag, size_t& offset, size_t& length) {
    unsigned count = U16(file, 4);
    for (unsigned i = 0; i < count; ++i) {
        size_t entry = 12 + 16 * size_t(i);
        if (entry + 16 > file.size()) return false;
        if (file.compare(entry, 4, tag) == 0) {
            offset = U32(file, entry + 8);
            length = U32(file, entry + 12);
            return offset + length <= file.size();
        }
    }
    return false;
}

// The file of the installed face with the style, through fontconfig.
std::string FontFileOf(const std::string& family, TFontStyles style) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, (style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string path;
    if (match) {
        FcChar8* file = nullptr;
        FcChar8* found = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
            LowerAscii(reinterpret_cast<const char*>(found)) == LowerAscii(family) &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The installed face the platform draws a report face with, when that face
// is one it knows; empty for faces it only replaces by its default.
std::string InstalledFamily(const std::string& face) {
    std::string family = SubstituteFontName(face);
    if (LowerAscii(family) == "liberation sans" && LowerAscii(face) != "liberation sans") return {};
    return family;
}

const char* const kStandardNames[] = {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
                                      "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
                                      "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
                                      "ZapfDingbats"};

std::string Hex2(unsigned v) {
    char b[3];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

}  // namespace

// ------------------------------------------------------------------ objects

void TVPPDFFont::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Font");
    Line("/Subtype /" + Subtype);
    Line("/Name /" + ResourceName);
    Line("/BaseFont /" + BaseFont);
    Line(std::string("/Encoding /") + PDFEncodingName(Owner->FontEncoding));
    Line(">>");
    End();
}

TVPPDFFontTrueType::TVPPDFFontTrueType(TVzRenderPDF* owner) : TVPPDFFont(owner), Descriptor(owner) {
    Subtype = "TrueType";
}

std::vector<TVPPDFObject*> TVPPDFFontTrueType::Dependents() {
    if (FontFile) return {&Descriptor, FontFile.get()};
    return {&Descriptor};
}

// Widths "%d " each, a line break after every code ending in 9.
static std::string WidthList(const SmallInt* widths, int first, int last, int codeOffset = 0) {
    std::string s;
    for (int c = first; c <= last; ++c) {
        s += std::to_string(widths[c - codeOffset]) + " ";
        if (c % 10 == 9) s += "\r\n";
    }
    return s;
}

void TVPPDFFontTrueType::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Font");
    Line("/Subtype /" + Subtype);
    Line("/Name /" + ResourceName);
    Line("/BaseFont /" + BaseFont);
    Line(std::string("/Encoding /") + PDFEncodingName(Owner->FontEncoding));
    Line("/FirstChar " + std::to_string(FirstChar));
    Line("/LastChar " + std::to_string(LastChar));
    Body += "/Widths [" + WidthList(Widths, FirstChar, LastChar);
    if (Body.size() < 2 || Body.compare(Body.size() - 2, 2, "\r\n") != 0) Body += "\r\n";
    Line("]");
    Line("/FontDescriptor " + std::to_string(Descriptor.Number) + " 0 R");
    Line(">>");
    End();
}

void TVPPDFFontDescriptor::SetMetrics(const TVPPDFFontMetrics& m, int missingWidth) {
    Flags = 32;
    if (m.Panose[3] == 9) Flags += 1;
    if (m.Panose[0] == 3) Flags += 8;
    if (m.ItalicAngle != 0) Flags += 64;
    BBox[0] = m.BBox[0];
    BBox[1] = m.BBox[3];
    BBox[2] = m.BBox[2];
    BBox[3] = m.BBox[1];
    MissingWidth = missingWidth;
    StemV = StemH = 80;
    ItalicAngle = m.ItalicAngle;
    CapHeight = Ascent = m.Text.tmAscent;
    XHeight = int(std::nearbyint(m.Text.tmAscent / 2.0));
    Descent = -m.Text.tmDescent;
    Leading = m.Text.tmInternalLeading + m.Text.tmExternalLeading;
    MaxWidth = m.Text.tmMaxCharWidth;
    AvgWidth = m.Text.tmAveCharWidth;
    std::copy(std::begin(m.Panose), std::end(m.Panose), Panose);
}

void TVPPDFFontDescriptor::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /FontDescriptor");
    Line("/FontName /" + FontName);
    Line("/Flags " + std::to_string(Flags));
    Line("/FontBBox [" + std::to_string(BBox[0]) + " " + std::to_string(BBox[1]) + " " + std::to_string(BBox[2]) +
         " " + std::to_string(BBox[3]) + "]");
    Line("/MissingWidth " + std::to_string(MissingWidth));
    Line("/StemV " + std::to_string(StemV));
    Line("/StemH " + std::to_string(StemH));
    Line("/ItalicAngle " + std::to_string(ItalicAngle));
    Line("/CapHeight " + std::to_string(CapHeight));
    Line("/XHeight " + std::to_string(XHeight));
    Line("/Ascent " + std::to_string(Ascent));
    Line("/Descent " + std::to_string(Descent));
    Line("/Leading " + std::to_string(Leading));
    Line("/MaxWidth " + std::to_string(MaxWidth));
    Line("/AvgWidth " + std::to_string(AvgWidth));
    if (HasFontFile) Line("/FontFile2 " + std::to_string(Number + 1) + " 0 R");
    Line(">>");
    End();
}

void TVPPDFFontDescriptorComposite::SetMetrics(const TVPPDFFontMetrics& m, int missingWidth) {
    TVPPDFFontDescriptor::SetMetrics(m, missingWidth);
    Style = "<< /Panose <" + Hex2(m.Panose[7]) + Hex2(m.Panose[6]) + Hex2(m.Panose[0]) + Hex2(m.Panose[1]) +
            Hex2(m.Panose[2]) + "00000000000000>>>";
}

void TVPPDFFontDescriptorComposite::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /FontDescriptor");
    Line("/FontName /" + FontName);
    Line("/Ascent " + std::to_string(Ascent));
    Line("/CapHeight " + std::to_string(CapHeight));
    Line("/Descent " + std::to_string(Descent));
    Line("/Flags " + std::to_string(Flags));
    Line("/FontBBox [" + std::to_string(BBox[0]) + " " + std::to_string(BBox[1]) + " " + std::to_string(BBox[2]) +
         " " + std::to_string(BBox[3]) + "]");
    Line("/ItalicAngle " + std::to_string(ItalicAngle));
    Line("/StemV " + std::to_string(StemV));
    Line("/XHeight " + std::to_string(XHeight));
    Line("/StemH " + std::to_string(StemH));
    Line("/Style " + Style);
    if (FontFileObject) Line("/FontFile2 " + std::to_string(FontFileObject->Number) + " 0 R");
    Line(">>");
    End();
}

void TVPPDFFontFile::WriteObject() {
    Body.clear();
    Begin();
    std::string size = std::to_string(Program.size());
    if (Owner->UseCompression && Owner->OnCompress) {
        TMemoryStream in, out;
        if (!Program.empty()) in.WriteBuffer(Program.data(), Integer(Program.size()));
        in.SetPosition(0);
        std::string method = "FlateDecode";
        Owner->OnCompress(in, out, method);
        std::string packed(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!packed.empty()) out.ReadBuffer(packed.data(), Integer(packed.size()));
        Line("<<");
        Line("/Length " + std::to_string(packed.size()) + " ");
        Line("/Length1 " + size);
        Line("/Filter [/" + method + "]");
        Line(">>");
        Line("stream");
        Body += packed;
    } else {
        Line("<< /Length " + size + " ");
        Line("/Length1 " + size + " >>");
        Line("stream");
        Body += Program;
    }
    Line("");
    Line("endstream");
    End();
}

TVPPDFFontComposite::TVPPDFFontComposite(TVzRenderPDF* owner)
    : TVPPDFFont(owner), Descendant(owner), Descriptor(owner), Unicode(owner) {
    Subtype = "Type0";
    Descendant.Descriptor = &Descriptor;
    Unicode.Used = Used;
}

std::vector<TVPPDFObject*> TVPPDFFontComposite::Dependents() {
    std::vector<TVPPDFObject*> parts{&Descendant, &Descriptor, &Unicode};
    if (FontFile) parts.push_back(FontFile.get());
    if (CidMap) parts.push_back(CidMap.get());
    return parts;
}

void TVPPDFCidToGidMap::WriteObject() {
    Body.clear();
    Begin();
    Body += Owner->StreamObject(Map, "FlateDecode");
    End();
}

void TVPPDFFontComposite::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Font");
    Line("/Subtype /" + Subtype);
    Line("/Name /" + ResourceName);
    Line("/BaseFont /" + BaseFont);
    Line("/Encoding /Identity-H");
    Line("/DescendantFonts [ " + std::to_string(Descendant.Number) + " 0 R ]");
    Line("/ToUnicode " + std::to_string(Unicode.Number) + " 0 R");
    Line(">>");
    End();
}

void TVPPDFFontDescendant::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Font");
    Line("/Subtype /CIDFontType2");
    Line("/BaseFont /" + BaseFont);
    Line("/FontDescriptor " + std::to_string(Descriptor ? Descriptor->Number : 0) + " 0 R");
    Line("/WinCharSet /" + std::to_string(Charset));
    Line("/CIDSystemInfo << /Registry (" + Registry + ")/Ordering (" + Ordering + ")/Supplement " +
         std::to_string(Supplement) + " >>");
    if (CidMap) {
        // The embedded program's own advances for every character it maps.
        Line("/DW " + std::to_string(DefaultWidth));
        Line("/W [");
        Body += WidthArray;
        Line("]");
        Line("/CIDToGIDMap " + std::to_string(CidMap->Number) + " 0 R");
        Line(">>");
        End();
        return;
    }
    // Texts are written as UTF-16 codes (see the ToUnicode map), so the codes
    // are the characters: the table gives the widths of codes 32 to 126 and
    // every other character, mostly full-width East Asian ones, takes the
    // default of a whole em. (The first code's width would be that of a
    // control character, 0, which would stack every other glyph.)
    Line("/DW 1000");
    Line("/W [");
    Body += "32 [" + WidthList(Widths, 32, 126);
    if (Body.compare(Body.size() - 2, 2, "\r\n") != 0) Body += "\r\n";
    Line("]");
    Line("]");
    Line(">>");
    End();
}

void TVpPdfUnicode::WriteObject() {
    Body.clear();
    Begin();
    std::vector<int> highs;
    for (int i = 0; i < 256; ++i)
        if (Used && Used[i]) highs.push_back(i);
    std::string cmap =
        "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r\n"
        "/CMapName /Adobe-Identity-UCS def\r\n/CMapType 2 def\r\n"
        "1 begincodespacerange\r\n<0000> <FFFF>\r\nendcodespacerange\r\n";
    for (size_t start = 0; start < highs.size(); start += 100) {
        size_t n = std::min<size_t>(100, highs.size() - start);
        cmap += std::to_string(n) + " beginbfrange\r\n";
        for (size_t i = start; i < start + n; ++i) {
            std::string h = Hex2(unsigned(highs[i]));
            cmap += "<" + h + "00> <" + h + "FF> <" + h + "00>\r\n";
        }
        cmap += "endbfrange\r\n";
    }
    cmap += "endcmap\r\nCMapName currentdict /CMap defineresource pop\r\nend\r\nend\r\n";
    Body += Owner->StreamObject(cmap, "FlateDecode");
    End();
}

// ----------------------------------------------------------------- renderer

TCanvas& TVzRenderPDF::MeasuringCanvas(const std::string& face, TFontStyles style, int charset) {
    if (!measureCanvas_) {
        EnsureGuiApplication();
        measureImage_ = QImage(1, 1, QImage::Format_RGB32);
        measureCanvas_ = std::make_unique<TCanvas>(&measureImage_);
    }
    TFont* f = measureCanvas_->Font();
    f->SetName(face);
    f->SetStyle(style);
    f->SetCharset(charset);
    f->SetHeight(-500);  // 12 points at 3000 pixels per inch
    return *measureCanvas_;
}

bool TVzRenderPDF::IsTrueTypeFont(const std::string& face, TFontStyles style, int charset) {
    std::string family = InstalledFamily(face);
    if (family.empty()) return false;
    std::string path = FontFileOf(family, style);
    if (path.empty()) return false;
    std::string file = ReadWholeFile(path);
    size_t offset, length;
    return FindTable(file, "glyf", offset, length);
}

bool TVzRenderPDF::NeedsCompositeFont() {
    if (!Converter()) return false;
    int charset = ResolveDefaultCharset(Converter()->FontData.CharSet);
    return charset == 128 || charset == 129 || charset == 130 || Converter()->FontData.Name == "Arial Unicode MS";
}

std::string TVzRenderPDF::PdfFontName(const std::string& face, TFontStyles style, int charset) {
    std::string lower = LowerAscii(face);
    if (NeedsCompositeFont()) {
        std::string name = NoBlanks(face) + TrueTypeSuffix(style);
        std::string out;
        for (unsigned char c : name) out += "#" + Hex2(c);
        return out;
    }
    if (lower == "courier" || lower == "courier new") return "Courier" + StandardSuffix(style);
    if (lower == "times new roman" || lower == "timesroman") {
        bool bold = style & fsBold, italic = style & fsItalic;
        return bold && italic ? "Times-BoldItalic" : bold ? "Times-Bold" : italic ? "Times-Italic" : "Times-Roman";
    }
    if (lower == "symbol") return "Symbol";
    if (lower == "arial") return "Helvetica" + StandardSuffix(style);
    if (lower == "zapfdingbats") return "ZapfDingbats";
    if (IsTrueTypeFont(face, style, charset)) return NoBlanks(face) + TrueTypeSuffix(style);
    return "Helvetica" + StandardSuffix(style);
}

bool TVzRenderPDF::ReadMetrics(const std::string& face, TFontStyles style, int charset, TVPPDFFontMetrics& m) {
    // PDF reads descriptor metrics in thousandths of the em, as it reads the
    // widths: the measuring font's pixels (em 500) are doubled.
    TCanvas& canvas = MeasuringCanvas(face, style, charset);
    m.Text = canvas.TextMetrics();
    for (int* v : {&m.Text.tmHeight, &m.Text.tmAscent, &m.Text.tmDescent, &m.Text.tmInternalLeading,
                   &m.Text.tmExternalLeading, &m.Text.tmAveCharWidth, &m.Text.tmMaxCharWidth})
        *v *= 2;
    std::string family = InstalledFamily(face);
    if (family.empty()) family = SubstituteFontName(face);
    m.FileName = FontFileOf(family, style);
    std::string file = m.FileName.empty() ? std::string() : ReadWholeFile(m.FileName);
    size_t off, len;
    if (FindTable(file, "head", off, len) && len >= 54) {
        double units = U16(file, off + 18);
        double scale = units > 0 ? 1000.0 / units : 0;
        // Left, top, right, bottom, y growing upward.
        m.BBox[0] = int(std::nearbyint(S16(file, off + 36) * scale));
        m.BBox[3] = int(std::nearbyint(S16(file, off + 38) * scale));
        m.BBox[2] = int(std::nearbyint(S16(file, off + 40) * scale));
        m.BBox[1] = int(std::nearbyint(S16(file, off + 42) * scale));
    }
    if (FindTable(file, "OS/2", off, len) && len >= 42) {
        // Bit 1 of the embedding flags: restricted licence, no embedding.
        m.Embeddable = (U16(file, off + 8) & 0x0002) == 0;
        for (int i = 0; i < 10; ++i) m.Panose[i] = Byte(file[off + 32 + i]);
    }
    if (FindTable(file, "post", off, len) && len >= 8) {
        double angle = std::int32_t(U32(file, off + 4)) / 65536.0;
        m.ItalicAngle = int(std::nearbyint(angle));
    }
    m.FirstChar = 32;
    m.LastChar = 255;
    return !file.empty();
}

void TVzRenderPDF::MeasureWidths(TVPPDFFont& font, const std::string& face, const TVPPDFFontMetrics& m, int scale) {
    TCanvas& canvas = MeasuringCanvas(face, font.Style, font.Charset);
    for (int c = std::max(0, font.FirstChar); c <= font.LastChar && c <= 255; ++c) {
        std::string s;
        Utf8AppendChar(s, Cp1252ToChar(Byte(c)));
        font.Widths[c] = SmallInt(c < 32 ? 0 : canvas.TextWidth(s) * scale);
    }
}

TVPPDFFont* TVzRenderPDF::AddFont(std::unique_ptr<TVPPDFFont> font) {
    TVPPDFFont* raw = font.get();
    raw->ResourceName = "F" + std::to_string(fonts_.size() + 1);
    fonts_.push_back({raw->BaseFont, std::move(font)});
    if (Streaming()) EmitGroup(*raw);
    currentFont_ = raw;
    return raw;
}

TVPPDFFont* TVzRenderPDF::CreateCompositeFont(const std::string& pdfName, const std::string& face, TFontStyles style,
                                              int charset) {
    auto font = std::make_unique<TVPPDFFontComposite>(this);
    font->BaseFont = pdfName;
    font->FaceName = face;
    font->Style = style;
    font->Charset = charset;
    TVPPDFFontMetrics m;
    ReadMetrics(face, style, charset, m);
    font->FirstChar = m.FirstChar - 1;
    font->LastChar = m.LastChar;
    auto& d = font->Descendant;
    d.BaseFont = pdfName;
    d.FaceName = face;
    d.Charset = charset;
    d.Supplement = charset == 128 ? 2 : 1;
    d.Monospaced = m.Panose[3] == 9;
    d.FirstChar = font->FirstChar;
    d.LastChar = font->LastChar;
    MeasureWidths(d, face, m, 2);  // thousandths of the em, as PDF reads them
    std::copy(std::begin(d.Widths), std::end(d.Widths), font->Widths);
    font->Descriptor.FontName = pdfName;
    font->Descriptor.FaceName = face;
    font->Descriptor.SetMetrics(m, d.Widths[32]);
    // Characters outside the reader's own fonts show only when the program
    // goes with the file: it is embedded with the glyph of every code (codes
    // are the characters' UTF-16 units) and the widths of its glyphs.
    std::string program = m.Embeddable && !m.FileName.empty() ? ReadWholeFile(m.FileName) : std::string();
    TTrueTypeFile parsed = ParseTrueType(program);
    if (parsed.Valid()) {
        font->FontFile = std::make_unique<TVPPDFFontFile>(this);
        font->FontFile->Program = std::move(program);
        font->Descriptor.FontFileObject = font->FontFile.get();
        font->Descriptor.HasFontFile = true;
        font->CidMap = std::make_unique<TVPPDFCidToGidMap>(this);
        d.CidMap = font->CidMap.get();
        d.DefaultWidth = parsed.Width(0);
        unsigned last = 0;
        for (unsigned c = 0; c < parsed.GlyphOf.size(); ++c)
            if (parsed.GlyphOf[c] != 0) last = c;
        std::string& map = font->CidMap->Map;
        map.reserve(2 * (last + 1));
        std::string widths;
        int run = 0;
        for (unsigned c = 0; c <= last; ++c) {
            std::uint16_t glyph = parsed.GlyphOf[c];
            map += char(glyph >> 8);
            map += char(glyph & 0xFF);
            if (glyph == 0) {
                if (run > 0) widths += "]\r\n";
                run = 0;
                continue;
            }
            font->Used[c >> 8] = true;
            if (run == 0) widths += std::to_string(c) + " [";
            widths += std::to_string(parsed.Width(glyph)) + (++run % 16 == 0 ? "\r\n" : " ");
        }
        if (run > 0) widths += "]\r\n";
        d.WidthArray = std::move(widths);
    }
    return AddFont(std::move(font));
}

TVPPDFFont* TVzRenderPDF::CompositeFontFor(const TVPPDFFont& base) {
    std::string name;
    for (unsigned char c : NoBlanks(base.FaceName) + TrueTypeSuffix(base.Style)) name += "#" + Hex2(c);
    for (auto& f : fonts_)
        if (f.Name == name) return static_cast<TVPPDFFont*>(f.Object.get());
    TVPPDFFont* saved = currentFont_;
    TVPPDFFont* font = CreateCompositeFont(name, base.FaceName, base.Style, base.Charset);
    currentFont_ = saved;
    return font;
}

TVPPDFFont* TVzRenderPDF::CreateFont(const std::string& pdfName) {
    const TSaveFont& data = Converter()->FontData;
    std::string face = data.Name;
    TFontStyles style = Converter()->Font.Style() & (fsBold | fsItalic);
    int charset = ResolveDefaultCharset(data.CharSet);
    std::string lower = LowerAscii(pdfName);
    if (NeedsCompositeFont()) return CreateCompositeFont(pdfName, face, style, charset);
    bool standard = false;
    for (const char* n : kStandardNames)
        if (lower == LowerAscii(n)) standard = true;
    if (lower == "symbol" && !IsTrueTypeFont("Symbol", style, charset)) standard = true;
    if (standard) {
        auto font = std::make_unique<TVPPDFFont>(this);
        font->BaseFont = pdfName;
        font->FaceName = face;
        font->Style = style;
        font->Charset = charset;
        return AddFont(std::move(font));
    }
    if (IsTrueTypeFont(face, style, charset)) {
        auto font = std::make_unique<TVPPDFFontTrueType>(this);
        font->BaseFont = PdfFontName(face, style, charset);
        font->FaceName = face;
        font->Style = style;
        font->Charset = charset;
        TVPPDFFontMetrics m;
        ReadMetrics(face, style, charset, m);
        font->FirstChar = m.FirstChar;
        font->LastChar = std::min(255, m.LastChar);
        MeasureWidths(*font, face, m, 2);
        font->Descriptor.FontName = font->BaseFont;
        font->Descriptor.FaceName = face;
        font->Descriptor.SetMetrics(m, font->Widths[32]);
        font->Embeddable = m.Embeddable;
        if (EmbedFonts && m.Embeddable && !m.FileName.empty()) {
            font->FontFile = std::make_unique<TVPPDFFontFile>(this);
            font->FontFile->Program = ReadWholeFile(m.FileName);
            font->Descriptor.HasFontFile = true;
        }
        return AddFont(std::move(font));
    }
    std::string helvetica = "Helvetica" + StandardSuffix(style);
    for (auto& f : fonts_)
        if (f.Name == helvetica) return currentFont_ = static_cast<TVPPDFFont*>(f.Object.get());
    auto font = std::make_unique<TVPPDFFont>(this);
    font->BaseFont = helvetica;
    font->FaceName = face;
    font->Style = style;
    font->Charset = charset;
    return AddFont(std::move(font));
}

void TVzRenderPDF::SyncFont() {
    if (!FontChangedFlag && currentFont_) return;
    if (!Converter()) return;
    const TSaveFont& data = Converter()->FontData;
    TFontStyles style = Converter()->Font.Style();
    int charset = ResolveDefaultCharset(data.CharSet);
    std::string name = PdfFontName(data.Name, style & (fsBold | fsItalic), charset);
    TVPPDFFont* found = nullptr;
    for (auto& f : fonts_)
        if (LowerAscii(f.Name) == LowerAscii(name)) found = static_cast<TVPPDFFont*>(f.Object.get());
    currentFont_ = found ? found : CreateFont(name);
    underline_ = style & fsUnderline;
    strikeout_ = style & fsStrikeOut;
    fontSize_ = data.Height * 72;
    rotation_ = data.Rotation;
    if (currentPage_) currentPage_->FontColor = Converter()->Font.Color();
    FontChangedFlag = false;
}

TVPPDFFont* TVzRenderPDF::CurrentFont() {
    SyncFont();
    return currentFont_;
}

double TVzRenderPDF::CurrentFontSize() {
    SyncFont();
    bool small = Converter() && (Converter()->FontData.Superscript || Converter()->FontData.Subscript);
    return small ? fontSize_ * 0.62 : fontSize_;
}

double TVzRenderPDF::TextWidthInches(const std::string& text) {
    SyncFont();
    if (!currentFont_ || text.empty()) return 0;
    TCanvas& canvas = MeasuringCanvas(currentFont_->FaceName, currentFont_->Style, currentFont_->Charset);
    return canvas.TextWidth(text) * 2.0 / 1000.0 * CurrentFontSize() / 72.0;
}
