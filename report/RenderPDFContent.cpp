// What a PDF page's content stream holds: paths with their pen, brush and
// hatch state, text, JPEG pictures and link annotations.
#include <cmath>
#include <array>
#include <cstdio>

#include "platform/core/CodePage.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "report/RenderPDF.h"
#include "report/ReportNumbers.h"

namespace {

constexpr double kCurve = 0.5522847498307935;  // 4/3 (sqrt 2 - 1)
constexpr double Pi = 3.14159265358979323846;

std::string Num4(double v) { return TVzRenderPDF::FormatNumber("%.4f", {v}); }

std::string Point(double x, double y) { return Num4(x) + " " + Num4(y); }

// Writes the text of a composite font as UTF-16 code units in hexadecimal,
// recording each high byte used.
std::string CompositeText(const std::string& text, bool* used) {
    std::u16string units;
    size_t i = 0;
    while (i < text.size()) {
        char32_t c;
        size_t n = Utf8DecodeChar(text, i, c);
        i += n > 0 ? n : 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            units += char16_t(0xD800 + (c >> 10));
            units += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            units += char16_t(c);
        }
    }
    std::string hex = "<";
    char b[5];
    for (char16_t u : units) {
        used[u >> 8] = true;
        std::snprintf(b, sizeof b, "%04X", unsigned(u));
        hex += b;
    }
    return hex + ">";
}

}  // namespace

// ------------------------------------------------------------------ objects

void TVPPDFXObject::WriteObject() {
    Body.clear();
    Begin();
    std::string filter = "[/DCTDecode ]";
    std::string data = Data;
    if (Owner->UseCompression && Owner->OnCompress) {
        TMemoryStream in, out;
        if (!data.empty()) in.WriteBuffer(data.data(), Integer(data.size()));
        in.SetPosition(0);
        filter = "[/FlateDecode /DCTDecode ]";
        Owner->OnCompress(in, out, filter);
        data.assign(size_t(out.Size()), '\0');
        out.SetPosition(0);
        if (!data.empty()) out.ReadBuffer(data.data(), Integer(data.size()));
    }
    Line("<<");
    Line("/Type /XObject");
    Line("/Subtype /Image");
    Line("/Name /" + Name);
    Line("/Width " + std::to_string(Image.Width()) + " /Height " + std::to_string(Image.Height()) + " ");
    Line("/BitsPerComponent 8");
    Line("/ColorSpace /DeviceRGB /Length " + std::to_string(data.size()) + " /Filter " + filter);
    Line(">>");
    Line("stream");
    Body += data;
    Line("endstream");
    End();
}

void TVPPDFPatternResource::WriteObject() {
    Body.clear();
    Begin();
    Line("<< >>");
    End();
}

void TVPPDFPattern::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/Type /Pattern");
    Line("/PatternType 1");
    Line("/PaintType 1");
    Line("/TilingType 1");
    Line("/BBox [0 0 8 8]");
    Line("/XStep 8");
    Line("/YStep 8");
    Line("/Resources " + std::to_string(Resource.Number) + " 0 R");
    Line("/Length " + std::to_string(Cell.size()));
    Line(">>");
    Line("stream");
    Line(Cell);
    Line("endstream");
    End();
}

void TPDFLink::WriteObject() {
    Body.clear();
    Begin();
    Line("<<");
    Line("/A << /S /URI /URI (" + TVzRenderPDF::EscapeText(Target) + ") >>");
    Line("/Type /Annot");
    Line("/Subtype /Link");
    Line("/Rect [" + Num4(Left * 72) + " " + Num4((PageHeight - Y1) * 72) + " " + Num4(Right * 72) + " " +
         Num4((PageHeight - Y2) * 72) + "]");
    Line("/Border [16 16 0]");
    Line(">>");
    End();
}

// ----------------------------------------------------------------- helpers

std::string TVzRenderPDF::ColorToPdf(TColor color) {
    std::uint32_t c = color < 0 ? 0 : std::uint32_t(color);
    return FormatNumber("%.3g %.3g %.3g", {(c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0});
}

std::string TVzRenderPDF::PatternKey(TBrushStyle style, TColor color) {
    static const char* names[] = {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                  "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
    const char* name = int(style) >= 0 && int(style) < 8 ? names[style] : "bsClear";
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", color < 0 ? 0u : unsigned(color));
    return std::string(name) + hex;
}

TPen& TVzRenderPDF::ConvPen() {
    static TPen fallback;
    return Converter() ? Converter()->Pen : fallback;
}

TBrush& TVzRenderPDF::ConvBrush() {
    static TBrush fallback;
    return Converter() ? Converter()->Brush : fallback;
}

bool TVzRenderPDF::PenVisible() { return ConvPen().Style() != psClear; }
bool TVzRenderPDF::BrushVisible() { return ConvBrush().Style() != bsClear; }

void TVzRenderPDF::SetColours() {
    currentPage_->PenColor = ConvPen().Color();
    currentPage_->BrushColor = ConvBrush().Color();
}

void TVzRenderPDF::PaintPath() {
    bool pen = PenVisible(), brush = BrushVisible();
    if (pen && brush)
        OutLn("b");
    else if (brush)
        OutLn("f");
    else if (pen)
        OutLn("S");
}

// A closed figure drawn with the pen only still needs its closing side: "s"
// closes the path before stroking it, as the canvas closes a polygon.
void TVzRenderPDF::PaintClosedPath() {
    if (PenVisible() && !BrushVisible())
        OutLn("s");
    else
        PaintPath();
}

std::string TVzRenderPDF::AddPattern(TBrushStyle style, TColor color) {
    std::string key = PatternKey(style, color);
    for (auto& p : patterns_)
        if (p.Name == key)
            return static_cast<TVPPDFPattern*>(p.Object.get())->Name;
    auto pattern = std::make_unique<TVPPDFPattern>(this);
    pattern->Name = "P" + std::to_string(patterns_.size() + 1);
    std::string h = "0 4 m\r\n8 4 l", v = "4 0 m\r\n4 8 l";
    std::string f = "0 0 m\r\n8 -8 l\r\n0 8 m\r\n8 0 l\r\n8 8 m\r\n16 0 l";
    std::string b = "0 0 m\r\n8 8 l\r\n0 -8 m\r\n8 0 l\r\n0 8 m\r\n8 16 l";
    std::string segments;
    switch (style) {
        case bsHorizontal: segments = h; break;
        case bsVertical: segments = v; break;
        case bsFDiagonal: segments = f; break;
        case bsBDiagonal: segments = b; break;
        case bsCross: segments = h + "\r\n" + v; break;
        case bsDiagCross: segments = f + "\r\n" + b; break;
        default: break;
    }
    if (!segments.empty())
        pattern->Cell = "q\r\n" + ColorToPdf(color) + " RG\r\n1 i\r\n0 0 8 8 re\r\nW n\r\n1 J 0 j 0.5 w 10 M []0 d\r\n" +
                        segments + "\r\nS Q";
    std::string name = pattern->Name;
    TVPPDFPattern* raw = pattern.get();
    // The list is keyed by style and colour; the page resources use the
    // pattern's own name.
    patterns_.push_back({key, std::move(pattern)});
    if (Streaming()) EmitGroup(*raw);
    return name;
}

void TVzRenderPDF::SyncGraphicsState() {
    TVPPDFPage& p = *currentPage_;
    TPenStyle ps = ConvPen().Style();
    if (!p.PenStyleSet || p.LastPenStyle != ps) {
        switch (ps) {
            case psDash: OutLn("[13 6] 0 d"); break;
            case psDot: OutLn("[2] 0 d"); break;
            case psDashDot: OutLn("[8 4 1 4] 0 d"); break;
            case psDashDotDot: OutLn("[10 3 2 2 2 3] 0 d"); break;
            default: OutLn("[] 0 d"); break;
        }
        p.LastPenStyle = ps;
        p.PenStyleSet = true;
    }
    if (!p.PenColorSet || p.LastPenColor != p.PenColor) {
        OutLn(ColorToPdf(p.PenColor) + " RG");
        p.LastPenColor = p.PenColor;
        p.PenColorSet = true;
        p.FontColorSet = false;
    }
    if (!p.BrushColorSet || p.LastBrushColor != p.BrushColor) {
        OutLn(ColorToPdf(p.BrushColor) + " rg");
        p.LastBrushColor = p.BrushColor;
        p.BrushColorSet = true;
        p.FontColorSet = false;
        p.BrushStyleSet = false;
    }
    TBrushStyle bs = ConvBrush().Style();
    if (!p.BrushStyleSet || p.LastBrushStyle != bs) {
        bool hatch = bs != bsSolid && bs != bsClear;
        bool wasHatch = p.LastBrushStyle != bsSolid && p.LastBrushStyle != bsClear;
        if (hatch) {
            std::string name = AddPattern(bs, p.BrushColor);
            OutLn("/Pattern cs");
            OutLn("/" + name + " scn");
        } else if (wasHatch) {
            OutLn("/DeviceRGB cs");
            OutLn(ColorToPdf(p.PenColor) + " RG");
            OutLn(ColorToPdf(p.BrushColor) + " rg");
        }
        p.LastBrushStyle = bs;
        p.BrushStyleSet = true;
    }
    if (!p.LineWidthSet || p.LastLineWidth != PenWidth) {
        OutLn(FormatNumber("%.4f w ", {PenWidth * 72}));
        p.LastLineWidth = PenWidth;
        p.LineWidthSet = true;
    }
}

void TVzRenderPDF::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    OutLn(Point(PtX(x1), PtY(y1)) + " " + Point(PtX(x2), PtY(y2)) + " " + Point(PtX(x3), PtY(y3)) + " c");
}

// ----------------------------------------------------------------- drawing

// The start point waits for the path that follows, so that the state that
// path needs is written before it and never inside it.
void TVzRenderPDF::MoveTo(double x, double y) {
    if (!PenVisible() && !BrushVisible()) return;
    pendingMove_ = true;
    moveX_ = x;
    moveY_ = y;
}

void TVzRenderPDF::FlushMove() {
    if (!pendingMove_) return;
    pendingMove_ = false;
    OutLn(Point(PtX(moveX_), PtY(moveY_)) + " m");
}

void TVzRenderPDF::LineTo(double x, double y) {
    if (!PenVisible()) return;
    currentPage_->PenColor = ConvPen().Color();
    TBrush& brush = ConvBrush();
    TColor color = brush.Color();
    TBrushStyle style = brush.Style();
    brush.SetStyle(bsClear);
    SyncGraphicsState();
    FlushMove();
    Out(Point(PtX(x), PtY(y)) + " l ");
    PaintPath();
    brush.SetColor(color);
    brush.SetStyle(style);
}

void TVzRenderPDF::RectPath(double x1, double y1, double x2, double y2) {
    SyncGraphicsState();
    Out(Point(PtX(x1), PtY(y1)) + " " + Point((x2 - x1) * 72, (y1 - y2) * 72) + " re ");
    PaintPath();
}

void TVzRenderPDF::Rectangle(double x1, double y1, double x2, double y2) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    RectPath(x1, y1, x2, y2);
}

void TVzRenderPDF::FillRect(const TRect& r) {
    if (!PenVisible() && !BrushVisible()) return;
    TPen& pen = ConvPen();
    currentPage_->PenColor = pen.Color();
    TPenStyle style = pen.Style();
    pen.SetStyle(psClear);
    currentPage_->BrushColor = ConvBrush().Color();
    RectPath(r.Left / 72.0, r.Top / 72.0, r.Right / 72.0, r.Bottom / 72.0);
    pen.SetStyle(style);
}

static void FrameAdjust(Byte mode, double halfPen, double& x1, double& y1, double& x2, double& y2) {
    double d = mode == 0 ? halfPen : mode == 2 ? -halfPen : 0;
    x1 += d;
    y1 += d;
    x2 -= d;
    y2 -= d;
}

void TVzRenderPDF::RoundRect(double x1, double y1, double x2, double y2, double w, double h) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    FrameAdjust(FrameMode, PenWidth / 2, x1, y1, x2, y2);
    double rx = w / 2, ry = h / 2, kx = rx * kCurve, ky = ry * kCurve;
    SyncGraphicsState();
    OutLn(Point(PtX(x1 + rx), PtY(y1)) + " m");
    OutLn(Point(PtX(x2 - rx), PtY(y1)) + " l");
    CurveTo(x2 - rx + kx, y1, x2, y1 + ry - ky, x2, y1 + ry);
    OutLn(Point(PtX(x2), PtY(y2 - ry)) + " l");
    CurveTo(x2, y2 - ry + ky, x2 - rx + kx, y2, x2 - rx, y2);
    OutLn(Point(PtX(x1 + rx), PtY(y2)) + " l");
    CurveTo(x1 + rx - kx, y2, x1, y2 - ry + ky, x1, y2 - ry);
    OutLn(Point(PtX(x1), PtY(y1 + ry)) + " l");
    CurveTo(x1, y1 + ry - ky, x1 + rx - kx, y1, x1 + rx, y1);
    PaintPath();
}

void TVzRenderPDF::Ellipse(double x1, double y1, double x2, double y2) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    FrameAdjust(FrameMode, PenWidth / 2, x1, y1, x2, y2);
    double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2, rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
    double kx = rx * kCurve, ky = ry * kCurve;
    SyncGraphicsState();
    OutLn(Point(PtX(cx), PtY(y1)) + " m");
    CurveTo(cx + kx, y1, x2, cy - ky, x2, cy);
    CurveTo(x2, cy + ky, cx + kx, y2, cx, y2);
    CurveTo(cx - kx, y2, x1, cy + ky, x1, cy);
    CurveTo(x1, cy - ky, cx - kx, y1, cx, y1);
    PaintPath();
}

void TVzRenderPDF::ArcPath(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2, r = (x2 - x1) / 2;
    auto angle = [&](double x, double y) {
        if (x == cx) return y >= cy ? 270.0 : 90.0;
        double a = std::atan((y - cy) / (x - cx)) * 180 / Pi;
        if (x > cx) {
            a = 360 - a;
            if (a > 360) a -= 360;
            return a;
        }
        return 180 - a;
    };
    double start = angle(x3, y3), end = angle(x4, y4);
    // A NaN or infinite point has no angle: nothing is drawn.
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(r) || start == end) return;
    double sweep = end - start;
    if (sweep < 0) sweep += 360;
    int n = std::max(1, std::min(4, int(std::ceil(sweep / 90 - 1e-9))));
    double s = sweep / n, phi = s / 2 * Pi / 180;
    double c = std::cos(phi), sn = std::sin(phi);
    struct P { double x, y; };
    std::vector<std::array<P, 4>> segs;
    for (int i = 0; i < n; ++i) {
        double mid = (start + s * i + s / 2) * Pi / 180;
        P pts[4] = {{r * c, -r * sn},
                    {r * (4 - c) / 3, r * (1 - c) * (c - 3) / (3 * sn)},
                    {r * (4 - c) / 3, -r * (1 - c) * (c - 3) / (3 * sn)},
                    {r * c, r * sn}};
        std::array<P, 4> out;
        for (int k = 0; k < 4; ++k) {
            double x = pts[k].x * std::cos(mid) - pts[k].y * std::sin(mid);
            double y = pts[k].x * std::sin(mid) + pts[k].y * std::cos(mid);
            out[k] = {cx + x, cy - y};
        }
        segs.push_back(out);
    }
    SyncGraphicsState();
    if (start <= end) {
        OutLn(Point(PtX(x3), PtY(y3)) + " m");
        for (auto& sg : segs) CurveTo(sg[1].x, sg[1].y, sg[2].x, sg[2].y, sg[3].x, sg[3].y);
    } else {
        OutLn(Point(PtX(x4), PtY(y4)) + " m");
        for (auto it = segs.rbegin(); it != segs.rend(); ++it)
            CurveTo((*it)[2].x, (*it)[2].y, (*it)[1].x, (*it)[1].y, (*it)[0].x, (*it)[0].y);
    }
}

void TVzRenderPDF::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!PenVisible()) return;
    SetColours();
    TBrush& brush = ConvBrush();
    TBrushStyle style = brush.Style();
    brush.SetStyle(bsClear);
    OutLn("% arc code");
    ArcPath(x1, y1, x2, y2, x3, y3, x4, y4);
    OutLn("S");
    brush.SetStyle(style);
}

void TVzRenderPDF::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    ArcPath(x1, y1, x2, y2, x3, y3, x4, y4);
    PaintClosedPath();
}

void TVzRenderPDF::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    ArcPath(x1, y1, x2, y2, x3, y3, x4, y4);
    Out(Point(PtX((x1 + x2) / 2), PtY((y1 + y2) / 2)) + " l ");
    PaintClosedPath();
}

void TVzRenderPDF::PolyLine(const std::vector<std::pair<double, double>>& points) {
    if (!PenVisible()) return;
    currentPage_->PenColor = ConvPen().Color();
    TBrush& brush = ConvBrush();
    TColor color = brush.Color();
    TBrushStyle style = brush.Style();
    brush.SetStyle(bsClear);
    SyncGraphicsState();
    FlushMove();
    for (size_t i = 0; i < points.size(); ++i) {
        Out(Point(PtX(points[i].first), PtY(points[i].second)) + " l ");
        if ((i + 1) % 4 == 0) Out("\r\n");
    }
    PaintPath();
    brush.SetColor(color);
    brush.SetStyle(style);
}

void TVzRenderPDF::Polygon(const std::vector<std::pair<double, double>>& points) {
    if (!PenVisible() && !BrushVisible()) return;
    SetColours();
    SyncGraphicsState();
    FlushMove();
    for (const auto& p : points) Out(Point(PtX(p.first), PtY(p.second)) + " l ");
    PaintClosedPath();
}

// -------------------------------------------------------------------- text

void TVzRenderPDF::AddLink(const std::string& target, double left, double y1, double right, double y2) {
    if (DisableHyperlinks || !currentPage_) return;
    auto link = std::make_unique<TPDFLink>(this);
    link->Target = target;
    link->Left = left;
    link->Right = right;
    link->Y1 = y1;
    link->Y2 = y2;
    link->PageHeight = currentPage_->PageHeight;
    currentPage_->Annotations.push_back(std::move(link));
}

void TVzRenderPDF::MoveBack(double& x, double& y, double d) {
    SyncFont();
    if (rotation_ % 360 != 0 && rotation_ > 0 && rotation_ < 360) {
        x -= d * std::cos(rotation_ * Pi / 180);
        y += d * std::sin(rotation_ * Pi / 180);
    } else {
        x -= d;
    }
}

// True when every character has a place in the Windows code page.
static bool FitsCodePage(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        char32_t c;
        size_t n = Utf8DecodeChar(text, i, c);
        unsigned char byte;
        if (n == 0 || !CharToCp1252(c, byte)) return false;
        i += n;
    }
    return true;
}

void TVzRenderPDF::WritePdfText(const std::string& text, double x, double y) {
    TVPPDFFont* font = CurrentFont();
    if (!font || !currentPage_) return;
    // A name in another script goes out in the face's composite font, with
    // its glyphs, instead of as question marks.
    if (!font->Composite() && !FitsCodePage(text)) font = CompositeFontFor(*font);
    TVPPDFPage& p = *currentPage_;
    double width = TextWidthInches(text);
    double lineHeight = Converter() ? Converter()->LineHeight : 0;
    std::string lower = text.substr(0, 7);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "http://") AddLink(text, x, y + 0.2 * lineHeight, x + width, y - 0.6 * lineHeight);
    if (Converter() && !Converter()->Hyperlink.empty())
        AddLink(Converter()->Hyperlink, x, y + 0.2 * lineHeight, x + width, y - 0.6 * lineHeight);
    OutLn("BT");
    if (!p.FontColorSet || p.LastFontColor != p.FontColor) {
        OutLn(ColorToPdf(p.FontColor) + " rg");
        p.LastFontColor = p.FontColor;
        p.FontColorSet = true;
        p.PenColorSet = false;
        p.BrushColorSet = false;
    }
    OutLn(FormatNumber("/%s %.2f Tf", {font->ResourceName, CurrentFontSize()}));
    double by = y;
    if (Converter() && Converter()->FontData.Superscript) by -= lineHeight / 2;
    if (Converter() && Converter()->FontData.Subscript) by += lineHeight / 2;
    OutLn(Point(PtX(x), PtY(by)) + " Td");
    if (rotation_ != 0) {
        double a = rotation_ * Pi / 180;
        OutLn(FormatNumber("%.4f %.4f %.4f %.4f %.4f %.4f Tm",
                           {std::cos(a), std::sin(a), -std::sin(a), std::cos(a), PtX(x), PtY(by)}));
    }
    if (font->Composite())
        OutLn(CompositeText(text, static_cast<TVPPDFFontComposite*>(font)->Used) + "Tj");
    else
        OutLn("(" + EscapeText(Utf8ToCp1252(text)) + ")Tj");
    OutLn("ET");
    if (rotation_ == 0 && (underline_ || strikeout_)) {
        double savedWidth = PenWidth;
        TColor savedPen = p.PenColor;
        TPen& pen = ConvPen();
        TPenStyle penStyle = pen.Style();
        TBrush& brush = ConvBrush();
        TBrushStyle brushStyle = brush.Style();
        pen.SetStyle(psSolid);
        brush.SetStyle(bsClear);
        p.PenColor = p.FontColor;
        double size = CurrentFontSize();
        auto line = [&](double ly) {
            SyncGraphicsState();
            OutLn(Point(PtX(x), PtY(ly)) + " m");
            Out(Point(PtX(x + width), PtY(ly)) + " l ");
            PaintPath();
        };
        if (underline_) {
            PenWidth = (size + 1) * 0.0014;
            line(y + 1.5 * PenWidth);
        }
        if (strikeout_) {
            PenWidth = (size + 1) * 0.0006;
            line(y - size / 72 * 0.22);
        }
        PenWidth = savedWidth;
        p.PenColor = savedPen;
        pen.SetStyle(penStyle);
        brush.SetStyle(brushStyle);
    }
}

void TVzRenderPDF::PrintLeft(const std::string& text, double x, double y) { WritePdfText(text, x, y); }

void TVzRenderPDF::PrintCenter(const std::string& text, double x, double y) {
    MoveBack(x, y, TextWidthInches(text) / 2);
    WritePdfText(text, x, y);
}

void TVzRenderPDF::PrintRight(const std::string& text, double x, double y) {
    MoveBack(x, y, TextWidthInches(text));
    WritePdfText(text, x, y);
}

void TVzRenderPDF::AdvanceAndPrint(double& x, double& y, double distance, const std::string& text) {
    double w = TextWidthInches(text);
    AdvanceByAngle(x, y, distance - w);
    AdvanceByAngle(x, y, w);
    PrintRight(text, x, y);
}

void TVzRenderPDF::PrintBlock(const std::string& text, double x, double y, double width) {
    std::string rest = text, word;
    int count = CountInnerSpaces(rest);
    if (count == 0) {
        // No spaces: the gaps are between the characters.
        std::string spaced;
        size_t i = 0;
        while (i < rest.size()) {
            size_t n = std::max<size_t>(1, Utf8CharSize(rest, i));
            if (!spaced.empty()) spaced += ' ';
            spaced += rest.substr(i, n);
            i += n;
        }
        rest = spaced;
        count = CountInnerSpaces(rest);
    }
    count = std::max(1, count);
    double gap = (width - TextWidthInches(rest)) / count + TextWidthInches(" ");
    SplitFirstWord(rest, word);
    WritePdfText(word, x, y);
    AdvanceByAngle(x, y, TextWidthInches(word));
    while (!rest.empty()) {
        std::string spaces;
        SplitLeadingSpaces(rest, spaces);
        SplitFirstWord(rest, word);
        if (word.empty()) break;
        AdvanceAndPrint(x, y, TextWidthInches(word) + double(spaces.size()) * gap, word);
    }
}

// The clipped text sits between q and Q: what it sets is undone by Q, so the
// page's state cache and the pen width are restored with it.
void TVzRenderPDF::TextRect(const TRect& r, double x, double y, const std::string& text) {
    TVPPDFPage saved(this);
    TVPPDFPage& p = *currentPage_;
    auto copyCache = [](TVPPDFPage& to, const TVPPDFPage& from) {
        to.LastPenStyle = from.LastPenStyle;
        to.LastPenColor = from.LastPenColor;
        to.LastBrushColor = from.LastBrushColor;
        to.LastFontColor = from.LastFontColor;
        to.LastBrushStyle = from.LastBrushStyle;
        to.LastLineWidth = from.LastLineWidth;
        to.PenStyleSet = from.PenStyleSet;
        to.PenColorSet = from.PenColorSet;
        to.BrushColorSet = from.BrushColorSet;
        to.BrushStyleSet = from.BrushStyleSet;
        to.LineWidthSet = from.LineWidthSet;
        to.FontColorSet = from.FontColorSet;
    };
    copyCache(saved, p);
    double penWidth = PenWidth;
    OutLn(" q ");
    PenWidth = 0;
    if (PenVisible() || BrushVisible())
        OutLn(Point(PtX(r.Left / 72.0), PtY(r.Top / 72.0)) + " " +
              Point((r.Right - r.Left) * 1.0, (r.Top - r.Bottom) * 1.0) + " re W n ");
    WritePdfText(text, x, y);
    OutLn(" Q ");
    copyCache(p, saved);
    PenWidth = penWidth;
}

// ------------------------------------------------------------------ images

void TVzRenderPDF::DrawImage(const QImage& image, double left, double top, double right, double bottom) {
    if (image.isNull() || !currentPage_) return;
    auto object = std::make_unique<TVPPDFXObject>(this);
    TBitmap bitmap;
    bitmap.SetImage(image);
    object->Image.Assign(&bitmap);
    object->Image.SetCompressionQuality(ImageQuality);
    auto jpeg = EncodeJpeg(image.convertToFormat(QImage::Format_RGB32), ImageQuality, false, false);
    object->Data.assign(jpeg.begin(), jpeg.end());
    int number = Streaming() ? ++imageCounter_ : int(images_.size()) + 1;
    object->Name = "G" + std::to_string(number);
    std::string name = object->Name;
    images_.push_back({name, std::move(object)});
    if (Converter() && !Converter()->Hyperlink.empty()) AddLink(Converter()->Hyperlink, left, top, right, bottom);
    OutLn("q");
    OutLn(FormatNumber("%.4f 0 0 %.4f %.4f %.4f cm",
                       {(right - left) * 72, (bottom - top) * 72, left * 72, (currentPage_->PageHeight - bottom) * 72}));
    OutLn("/" + name + " Do");
    OutLn("Q");
}

void TVzRenderPDF::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    if (bitmap) DrawImage(bitmap->ToImage(), x1, y1, x2, y2);
}

void TVzRenderPDF::PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) {
    if (!bitmap) return;
    DrawImage(bitmap->ToImage(), x, y, x + bitmap->Width() / 72.0 * scaleX, y + bitmap->Height() / 72.0 * scaleY);
}

void TVzRenderPDF::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic) return;
    // A JPEG picture keeps its own pixels; bitmaps and drawings are
    // rasterized at the metafile resolution.
    if (dynamic_cast<TJPEGImage*>(graphic)) {
        DrawImage(graphic->ToImage(), r.Left / 72.0, r.Top / 72.0, r.Right / 72.0, r.Bottom / 72.0);
        return;
    }
    int w = std::min(MaxRasterSide, SafeRound((double(r.Right) - r.Left) / 72.0 * MetafileDPI));
    int h = std::min(MaxRasterSide, SafeRound((double(r.Bottom) - r.Top) / 72.0 * MetafileDPI));
    if (w <= 0 || h <= 0) return;
    TBitmap bitmap;
    bitmap.SetSize(w, h);
    graphic->Draw(bitmap.Canvas(), TRect(0, 0, w, h));
    DrawImage(bitmap.ToImage(), r.Left / 72.0, r.Top / 72.0, r.Right / 72.0, r.Bottom / 72.0);
}

void TVzRenderPDF::Draw(double x, double y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    TBitmap bitmap;
    bitmap.SetSize(graphic->Width(), graphic->Height());
    graphic->Draw(bitmap.Canvas(), TRect(0, 0, graphic->Width(), graphic->Height()));
    DrawImage(bitmap.ToImage(), x, y, x + graphic->Width() / 72.0, y + graphic->Height() / 72.0);
}
