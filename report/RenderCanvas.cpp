#include "report/RenderCanvas.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>

#include "report/ReportNumbers.h"
#include "report/VSFWriter.h"

namespace {
int RoundInt(double v) { return SafeRound(v); }
}  // namespace

// ---------------------------------------------------------- canvas renderer

double TVzRenderCanvas::TextWidth(const std::string& text) {
    if (!fontBuilt_ && Converter()) FontChanged(&Converter()->Font);
    TCanvas* canvas = GetCanvas();
    TFont saved;
    saved.Assign(*canvas->Font());
    canvas->Font()->Assign(font_);
    int w = canvas->TextWidth(text);
    canvas->Font()->Assign(saved);
    return double(w) / GetXDPI();
}

void TVzRenderCanvas::SetBKColor(TColor) {
    // The platform canvas keeps no background colour apart from its brush.
}

void TVzRenderCanvas::SetBrush(TBrush* brush) { GetCanvas()->Brush()->Assign(*brush); }

void TVzRenderCanvas::SetPen(TPen* pen) {
    TPen* p = GetCanvas()->Pen();
    p->Assign(*pen);
    p->SetWidth(XToDevice(PenWidth) - XToDevice(0));
}

void TVzRenderCanvas::FontChanged(TFont*) {
    if (!Converter()) return;
    const TSaveFont& r = Converter()->FontData;
    int height;
    if (r.Subscript || r.Superscript)
        height = YToDevice(0) - YToDevice(r.Height / 1.667);
    else
        height = YToDevice(0) - YToDevice(r.Height);
    font_.SetName(r.Name);
    font_.SetHeight(height == 0 ? -1 : height);
    TFontStyles style = 0;
    if (r.Bold) style |= fsBold;
    if (r.Italic) style |= fsItalic;
    if (r.Underline) style |= fsUnderline;
    if (r.Strikeout) style |= fsStrikeOut;
    font_.SetStyle(style);
    font_.SetCharset(ResolveDefaultCharset(r.CharSet));
    font_.SetPitch(r.Pitch);
    font_.SetColor(r.Color);
    fontBuilt_ = true;
}

void TVzRenderCanvas::PrintAligned(const std::string& text, double x, double y, unsigned align) {
    if (text.empty()) return;
    if (!fontBuilt_ && Converter()) FontChanged(&Converter()->Font);
    const TSaveFont* r = Converter() ? &Converter()->FontData : nullptr;
    if (r && r->Superscript) y -= r->Height / 2;
    if (r && r->Subscript) y += r->Height / 2;
    TCanvas* canvas = GetCanvas();
    TFont savedFont;
    savedFont.Assign(*canvas->Font());
    TBrushStyle savedStyle = canvas->Brush()->Style();
    TColor savedColor = canvas->Brush()->Color();
    unsigned savedAlign = canvas->TextAlign();
    canvas->Font()->Assign(font_);
    canvas->SetTextAlign(align | TA_BASELINE);
    // Text always goes on a transparent background.
    canvas->Brush()->SetStyle(bsClear);
    int rotation = r ? r->Rotation % 360 : 0;
    if (DrawTextOnDevice(text, XToDevice(x), YToDevice(y), align, rotation)) {
    } else if (rotation != 0)
        PrintRotated(canvas, text, XToDevice(x), YToDevice(y), align, rotation);
    else
        canvas->TextOut(XToDevice(x), YToDevice(y), text);
    canvas->Brush()->SetColor(savedColor);
    canvas->Brush()->SetStyle(savedStyle);
    canvas->SetTextAlign(savedAlign);
    canvas->Font()->Assign(savedFont);
}

// Rotated text turns about its reference point on the baseline,
// counter-clockwise by the font's rotation in degrees; the alignment moves
// the text along its own baseline.
void TVzRenderCanvas::PrintRotated(TCanvas* canvas, const std::string& text, int x, int y, unsigned align,
                                   int degrees) {
    auto painter = canvas->BeginPainter();
    if (!painter) return;
    QFont font = font_.ToQFont();
    QString qs = QString::fromStdString(text);
    int width = QFontMetrics(font).horizontalAdvance(qs);
    int offset = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
    painter->setFont(font);
    painter->setPen(ToQColor(font_.Color()));
    painter->translate(x, y);
    painter->rotate(-degrees);
    painter->drawText(QPoint(offset, 0), qs);
}

void TVzRenderCanvas::AdvanceAndPrint(double& x, double& y, double distance, const std::string& text) {
    AdvanceByAngle(x, y, distance);
    PrintAligned(text, x, y, TA_RIGHT);
}

void TVzRenderCanvas::PrintBlock(const std::string& text, double x, double y, double width) {
    std::string t = text;
    int n = CountInnerSpaces(t);
    if (n == 0) {
        // One word: its characters are spread over the width.
        std::string spread;
        size_t i = 0;
        while (i < t.size()) {
            size_t len = 1;
            unsigned char c = static_cast<unsigned char>(t[i]);
            if (c >= 0xC0) {
                while (i + len < t.size() && (static_cast<unsigned char>(t[i + len]) & 0xC0) == 0x80) ++len;
            }
            spread += t.substr(i, len);
            i += len;
            if (i < t.size() && t[i - len] != ' ' && t[i] != ' ') {
                spread += ' ';
                ++n;
            }
        }
        t = spread;
    }
    if (n < 1) n = 1;
    double gap = (width - TextWidth(t)) / n + TextWidth(" ");
    std::string word;
    SplitFirstWord(t, word);
    PrintAligned(word, x, y, TA_LEFT);
    AdvanceByAngle(x, y, TextWidth(word));
    while (!t.empty()) {
        std::string spaces;
        SplitLeadingSpaces(t, spaces);
        SplitFirstWord(t, word);
        AdvanceAndPrint(x, y, TextWidth(word) + double(spaces.size()) * gap, spaces + word);
    }
}

void TVzRenderCanvas::TextRect(const TRect& r, double x, double y, const std::string& text) {
    TCanvas* canvas = GetCanvas();
    if (Converter()) canvas->Font()->Assign(Converter()->Font);
    unsigned saved = canvas->TextAlign();
    canvas->SetTextAlign(TA_BASELINE);
    canvas->TextRect(r, XToDevice(x), YToDevice(y), text);
    canvas->SetTextAlign(saved);
}

void TVzRenderCanvas::MoveTo(double x, double y) { GetCanvas()->MoveTo(XToDevice(x), YToDevice(y)); }

void TVzRenderCanvas::LineTo(double x, double y) { GetCanvas()->LineTo(XToDevice(x), YToDevice(y)); }

void TVzRenderCanvas::ShapeBounds(double x1, double y1, double x2, double y2, TRect& r) {
    double left = std::min(x1, x2), right = std::max(x1, x2);
    double top = std::min(y1, y2), bottom = std::max(y1, y2);
    TPen* pen = GetCanvas()->Pen();
    int w = pen->Width();
    int offset = 0, shrink = 0;
    if (pen->Style() == psClear) {
    } else if (pen->Style() == psInsideFrame || FrameMode == 1) {
        shrink = 1;
    } else if (FrameMode == 0) {
        offset = w / 2;
        shrink = w - w / 2;
    } else {
        // Outside the bounds on every side.
        offset = -(w / 2);
        shrink = -(w - w / 2) + 1;
    }
    r = TRect(XToDevice(left) + offset, YToDevice(top) + offset, XToDevice(right) - shrink + 2,
              YToDevice(bottom) - shrink + 2);
}

void TVzRenderCanvas::Rectangle(double x1, double y1, double x2, double y2) {
    TRect r;
    ShapeBounds(x1, y1, x2, y2, r);
    GetCanvas()->Rectangle(r);
}

void TVzRenderCanvas::Ellipse(double x1, double y1, double x2, double y2) {
    TRect r;
    ShapeBounds(x1, y1, x2, y2, r);
    GetCanvas()->Ellipse(r);
}

void TVzRenderCanvas::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
    GetCanvas()->RoundRect(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2), RoundInt(x3 * GetXDPI()),
                           RoundInt(y3 * GetYDPI()));
}

void TVzRenderCanvas::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    GetCanvas()->Arc(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2), XToDevice(x3), YToDevice(y3),
                     XToDevice(x4), YToDevice(y4));
}

void TVzRenderCanvas::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    GetCanvas()->Chord(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2), XToDevice(x3), YToDevice(y3),
                       XToDevice(x4), YToDevice(y4));
}

void TVzRenderCanvas::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    GetCanvas()->Pie(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2), XToDevice(x3), YToDevice(y3),
                     XToDevice(x4), YToDevice(y4));
}

void TVzRenderCanvas::Polygon(const std::vector<std::pair<double, double>>& points) {
    std::vector<TPoint> pts;
    for (const auto& p : points) pts.emplace_back(XToDevice(p.first), YToDevice(p.second));
    GetCanvas()->Polygon(pts);
}

void TVzRenderCanvas::PolyLine(const std::vector<std::pair<double, double>>& points) {
    std::vector<TPoint> pts;
    for (const auto& p : points) pts.emplace_back(XToDevice(p.first), YToDevice(p.second));
    GetCanvas()->Polyline(pts);
}

void TVzRenderCanvas::FillRect(const TRect& r) { GetCanvas()->FillRect(r); }
void TVzRenderCanvas::FrameRect(const TRect& r) { GetCanvas()->FrameRect(r); }
void TVzRenderCanvas::DrawFocusRect(const TRect& r) { GetCanvas()->DrawFocusRect(r); }

void TVzRenderCanvas::FloodFill(double x, double y, TColor color, int style) {
    GetCanvas()->FloodFill(XToDevice(x), YToDevice(y), color,
                           style == 1 ? TCanvas::fsSurface : TCanvas::fsBorder);
}

void TVzRenderCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
    if (!bitmap) return;
    GetCanvas()->DrawImage(bitmap->ToImage(), dest, source, true, color);
}

void TVzRenderCanvas::Draw(double x, double y, TGraphic* graphic) {
    if (graphic) GetCanvas()->Draw(XToDevice(x), YToDevice(y), graphic);
}

void TVzRenderCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (graphic) GetCanvas()->StretchDraw(r, graphic);
}

void TVzRenderCanvas::DrawBitmap(const TRect& dest, TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    TCanvas* canvas = GetCanvas();
    TCopyMode saved = canvas->CopyMode();
    canvas->SetCopyMode(TransparentBitmaps ? cmSrcAnd : cmSrcCopy);
    QImage image = bitmap->ToImage();
    canvas->DrawImage(image, dest, TRect(0, 0, image.width(), image.height()));
    canvas->SetCopyMode(saved);
}

void TVzRenderCanvas::PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {
    DrawBitmap(TRect(XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2)), bitmap);
}

void TVzRenderCanvas::PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) {
    if (!bitmap) return;
    int left = XToDevice(x), top = YToDevice(y);
    DrawBitmap(TRect(left, top, left + RoundInt(bitmap->Width() * scaleX), top + RoundInt(bitmap->Height() * scaleY)),
               bitmap);
}

void TVzRenderCanvas::EndDoc() {
    TVPRenderStream::EndDoc();
    fontBuilt_ = false;
}

// --------------------------------------------------------- printer renderer

TVzRenderPrinter::TVzRenderPrinter(TComponent* owner) : TVzRenderCanvas(owner) { Active = false; }

TVpPrinterDevice* TVzRenderPrinter::Device() {
    TVpPrinterDevice* device = GetPrinterDevice();
    if (!device) RaiseReportError(Trans("No printers are installed or the printer cannot be used."));
    return device;
}

TCanvas* TVzRenderPrinter::GetCanvas() { return Device()->GetCanvas(); }

bool TVzRenderPrinter::DrawTextOnDevice(const std::string& text, int x, int y, unsigned align, int degrees) {
    TPrintJob* job = Device()->PrintJob();
    if (!job) return false;
    TPrintText t;
    t.X = x;
    t.Y = y;
    t.Angle = degrees;
    t.Font = RenderFont().ToQFont();
    t.Color = ToQColor(RenderFont().Color());
    t.Text = QString::fromStdString(text);
    int width = QFontMetrics(t.Font).horizontalAdvance(t.Text);
    t.Offset = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
    return job->DrawText(t);
}
int TVzRenderPrinter::GetXDPI() { return Device()->GetXDPI(); }
int TVzRenderPrinter::GetYDPI() { return Device()->GetYDPI(); }

int TVzRenderPrinter::XToDevice(double x) {
    int dpi = GetXDPI();
    return RoundInt(dpi * (x - double(Device()->GetWaste().Left) / dpi));
}

int TVzRenderPrinter::YToDevice(double y) {
    int dpi = GetYDPI();
    return RoundInt(dpi * (y - double(Device()->GetWaste().Top) / dpi));
}

void TVzRenderPrinter::BeginDoc() {
    TVpPrinterDevice* d = Device();
    const TVPReportHeader& h = Converter()->ReportHeader;
    headerPageCount_ = h.PageCount;
    d->Title = h.Title;
    d->SetOrientation(TOrientation(h.Orientation));
    if (h.PaperSize == DMPAPER_USER)
        d->SetPaperSize(0, h.PaperWidthCode, h.PaperLengthCode);
    else
        d->SetPaperSize(h.PaperSize, 0, 0);
    d->SetCopies(UseOwnSettings ? Copies : h.Copies);
    d->SetCollate(UseOwnSettings ? Collate : h.Collate);
    d->SetDuplex(UseOwnSettings ? Duplex : TDuplex(std::min<int>(h.Duplex, 2)));
    d->SetOutputName(OutputFileName);
    d->StartJob();
}

void TVzRenderPrinter::EndDoc() {
    TVzRenderCanvas::EndDoc();
    TVpPrinterDevice* d = Device();
    if (d->Printing) d->EndDoc();
}

void TVzRenderPrinter::BeginPage() {
    TVpPrinterDevice* d = Device();
    d->SetOrientation(TOrientation(Converter()->ReportHeader.Orientation));
    if (d->SetupBinChosen) {
        d->SetBinNumber(d->SetupBin);
    } else if (TPrinterSettings* dm = d->GetDevMode()) {
        dm->DefaultSource = Converter()->ReportHeader.Bin;
    }
    d->ClosePage(true);
}

void TVzRenderPrinter::SelectBin(const std::string& name) {
    TVpPrinterDevice* d = Device();
    d->SelectBin(name, false);
    if (TPrinterSettings* dm = d->GetDevMode()) Converter()->ReportHeader.Bin = SmallInt(dm->DefaultSource);
}

void TVzRenderPrinter::SetBin(int bin) {
    const std::vector<TPrinterBin>* bins = Device()->GetBins();
    if (!bins) return;
    for (const TPrinterBin& b : *bins)
        if (b.Number == bin) {
            SelectBin(b.Name);
            return;
        }
}

void TVzRenderPrinter::PrintData(const std::string& data) {
    if (!data.empty()) Device()->SendPassThrough(data);
}

void TVzRenderPrinter::PrintDataStream(TStream* stream, Int64 count) {
    if (!stream) return;
    if (count == 0) count = stream->Size() - stream->Position();
    std::string piece;
    while (count > 0) {
        Integer n = Integer(std::min<Int64>(count, 4096));
        piece.resize(size_t(n));
        stream->ReadBuffer(piece.data(), n);
        Device()->SendPassThrough(piece);
        count -= n;
    }
}

int TVzRenderPrinter::GetPageCount() { return headerPageCount_ > 0 ? headerPageCount_ : StoredPageCount; }

int TVzRenderPrinter::GetMaxCopies() { return Device()->GetMaxCopies(); }
