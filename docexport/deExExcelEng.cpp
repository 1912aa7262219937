#include "docexport/deExExcelEng.h"

#include <algorithm>
#include <cmath>

#include "docexport/deDocResStrs.h"
#include "docexport/deSprShtDlg.h"
#include "platform/core/CodePage.h"
#include "platform/core/Strings.h"
#include "platform/gui/Metafile.h"
#include "platform/gui/MetafileWmf.h"

namespace {

constexpr Word kObj = 0x005D, kImData = 0x007F, kContinue = 0x003C, kCoordList = 0x00A9;
constexpr std::size_t kImDataChunk = 2068;  // picture bytes per IMDATA or CONTINUE record

void Put8(TStream& s, Byte b) { s.WriteBuffer(&b, 1); }
void Put16(TStream& s, unsigned v) {
    const Byte b[2] = {Byte(v), Byte(v >> 8)};
    s.WriteBuffer(b, 2);
}
void Put32(TStream& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void Zeros(TStream& s, int n) {
    for (int i = 0; i < n; ++i) Put8(s, 0);
}

Byte Pattern(const TBrush* brush) {
    if (!brush) return 0;
    switch (brush->Style()) {
        case bsSolid: return 1;
        case bsHorizontal: return 11;
        case bsVertical: return 12;
        case bsFDiagonal: return 7;
        case bsBDiagonal: return 8;
        case bsCross: return 15;
        case bsDiagCross: return 9;
        default: return 0;
    }
}

Byte PenStyle(const TPen& pen) {
    switch (pen.Style()) {
        case psDash: return 1;
        case psDot: return 2;
        case psDashDot: return 3;
        case psDashDotDot: return 4;
        case psClear: return 5;
        default: return 0;
    }
}

// The format's line weights: hairline, single, double, thick.
Byte PenWeight(const TPen& pen) { return Byte(std::clamp(pen.Width() - 1, 0, 3)); }

}  // namespace

TdeExExcelEngine::TdeExExcelEngine(TComponent* owner) : TdeCustomExcelEngine(owner) {}

TdeExExcelEngine::~TdeExExcelEngine() = default;

void TdeExExcelEngine::StartDocument() {
    TdeCustomExcelEngine::StartDocument();
    rowHeights_.clear();
    lastTextRow_ = -1;
    tallest_ = BaseRowHeight();
}

void TdeExExcelEngine::FinishDocument() {
    TdeCustomExcelEngine::FinishDocument();
    rowHeights_.clear();
}

void TdeExExcelEngine::StartPage() {
    TdeCustomExcelEngine::StartPage();
    lastTextRow_ = -1;
}

void TdeExExcelEngine::RenderText(TdeTextItem* item) {
    TdeCustomExcelEngine::RenderText(item);
    auto* fm = dynamic_cast<TdeFmTextItem*>(item);
    if (!fm) return;
    const Integer row = fm->Row + RowOffset();
    const double h = TextExtent("W", item->Font).cy;
    if (row == lastTextRow_) {
        tallest_ = std::max(tallest_, h);
        return;
    }
    if (lastTextRow_ >= 0) {
        if (static_cast<Integer>(rowHeights_.size()) <= lastTextRow_) rowHeights_.resize(lastTextRow_ + 1, BaseRowHeight());
        rowHeights_[static_cast<std::size_t>(lastTextRow_)] = tallest_;
    }
    if (static_cast<Integer>(rowHeights_.size()) < row) rowHeights_.resize(static_cast<std::size_t>(row), BaseRowHeight());
    tallest_ = std::max<double>(BaseRowHeight(), h);
    lastTextRow_ = row;
}

double TdeExExcelEngine::ColumnPixels(Integer column) const {
    const double scale = const_cast<TdeExExcelEngine*>(this)->Formatting()->ScaleX;
    for (const auto& [c, chars] : ColumnWidths())
        if (c == column) return std::max(1.0, std::nearbyint(ColumnWidth() * chars / scale / 8.43));
    return std::max(1.0, std::nearbyint(ColumnWidth() / scale));
}

double TdeExExcelEngine::RowPixels(Integer row) const {
    if (row >= 0 && row < static_cast<Integer>(rowHeights_.size())) return rowHeights_[static_cast<std::size_t>(row)];
    return BaseRowHeight();
}

TdeExExcelEngine::TAnchor TdeExExcelEngine::AnchorOf(double x, double y, double w, double h) {
    TAnchor a;
    const double cw = ColumnWidth(), rh = RowHeight();
    // Columns.
    const double c = std::max(0.0, x) / cw;
    Integer col = static_cast<Integer>(c);
    double width = ColumnPixels(col);
    a.Col1 = Word(col);
    a.Dx1 = Word(std::clamp(std::trunc((c - col) * cw / width * 1024), 0.0, 1023.0));
    double r = (c - col) * cw + std::max(0.0, w);
    a.Col2 = Word(col);
    a.Dx2 = a.Dx1;
    for (int guard = 0; r > 0 && guard < 256; ++guard) {
        if (r <= width) {
            a.Col2 = Word(col);
            a.Dx2 = Word(std::clamp(std::nearbyint(r / width * 1024), 0.0, 1024.0));
            break;
        }
        r -= width;
        ++col;
        width = ColumnPixels(col);
    }
    // Rows, counted on the sheet: the page's rows start at its offset.
    const double q = std::fabs(std::max(0.0, y) / rh);
    const Integer inPage = static_cast<Integer>(std::trunc(q));
    const Integer top = inPage + RowOffset() - SheetRowBase();
    const double topHeight = RowPixels(top);
    const double offset = std::min(256.0, std::trunc((q - inPage) * rh / topHeight * 256));
    a.Row1 = Word(std::max<Integer>(0, top));
    a.Dy1 = Word(offset);
    double g = h - topHeight + topHeight * offset / 256;
    if (g < 0) {
        a.Row2 = a.Row1;
        a.Dy2 = Word(std::clamp(std::nearbyint((topHeight + g) / topHeight * 256), 0.0, 256.0));
        return a;
    }
    Integer row = top + 1;
    double sum = 0;
    for (int guard = 0; guard < 65536; ++guard, ++row) {
        const double rhRow = RowPixels(row);
        if (g < sum + rhRow) break;
        sum += rhRow;
    }
    a.Row2 = Word(std::max<Integer>(0, row));
    a.Dy2 = Word(std::clamp(std::trunc((g - sum) / RowPixels(row) * 256), 0.0, 256.0));
    const Integer bottomInPage = row - RowOffset() + SheetRowBase();
    if (bottomInPage > PageMaxRow()) SetPageMaxRow(bottomInPage);
    return a;
}

void TdeExExcelEngine::WriteCommon(TStream& s, Word length, Word type, const TAnchor& a, Byte byte30) {
    WriteBiffRecord(kObj, length, s);
    Put32(s, std::uint32_t(objectNumber_));
    Put16(s, type);
    Put16(s, Word(objectNumber_));
    Put16(s, 0x0604);
    for (Word v : {a.Col1, a.Dx1, a.Row1, a.Dy1, a.Col2, a.Dx2, a.Row2, a.Dy2}) Put16(s, v);
    Zeros(s, 4);
    Put8(s, byte30);
    Zeros(s, 3);
}

void TdeExExcelEngine::WriteShape(Word type, const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                  double y2, Word roundness) {
    const double l = std::min(x1, x2), t = std::min(y1, y2);
    const TAnchor a = AnchorOf(l, t, std::fabs(x2 - x1), std::fabs(y2 - y1));
    TStream& s = CellBuffer();
    WriteCommon(s, 44, type, a);
    if (type == 1) {
        Put8(s, Byte(SheetColorIndex(pen.Color()) + 8));
        Put8(s, PenStyle(pen));
        Put8(s, PenWeight(pen));
        Zeros(s, 7);
        return;
    }
    Put8(s, Byte(SheetColorIndex(clWhite) + 8));
    Put8(s, brush ? Byte(SheetColorIndex(brush->Color()) + 8) : 0);
    Put8(s, Pattern(brush));
    Put8(s, 0);
    Put8(s, Byte(SheetColorIndex(pen.Color()) + 8));
    Put8(s, PenStyle(pen));
    Put8(s, PenWeight(pen));
    Put8(s, 0);
    Put16(s, roundness);
}

void TdeExExcelEngine::RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) {
    WriteShape(1, pen, nullptr, x1, y1, x2, y2, 0);
}

void TdeExExcelEngine::RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                       double y2) {
    WriteShape(2, pen, brush, x1, y1, x2, y2, 0);
}

void TdeExExcelEngine::RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                       double y2, double cornerWidth, double cornerHeight) {
    WriteShape(2, pen, brush, x1, y1, x2, y2, Word(4 * std::nearbyint((cornerWidth + cornerHeight) / 2) + 1));
}

void TdeExExcelEngine::RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                     double y2) {
    WriteShape(3, pen, brush, x1, y1, x2, y2, 0);
}

void TdeExExcelEngine::RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen, bool closed) {
    if (points.empty()) return;
    double minX = points[0].X, minY = points[0].Y, maxX = minX, maxY = minY;
    for (const TdePoint& p : points) {
        minX = std::min(minX, p.X);
        minY = std::min(minY, p.Y);
        maxX = std::max(maxX, p.X);
        maxY = std::max(maxY, p.Y);
    }
    const bool filled = closed && brush;
    const std::size_t count = points.size() + (filled ? 1 : 0);
    if (count > 0x3FFF) return;  // beyond what one coordinate list holds
    const TAnchor a = AnchorOf(minX, minY, maxX - minX, maxY - minY);
    TStream& s = CellBuffer();
    WriteCommon(s, 66, 9, a);
    Put8(s, Byte(SheetColorIndex(clWhite) + 8));
    Put8(s, filled ? Byte(SheetColorIndex(brush->Color()) + 8) : 0);
    Put8(s, filled ? Pattern(brush) : 0);
    Put8(s, 0);
    Put8(s, Byte(SheetColorIndex(pen.Color()) + 8));
    Put8(s, PenStyle(pen));
    Put8(s, PenWeight(pen));
    Zeros(s, 3);
    Put8(s, filled ? 1 : 0);  // byte 44
    Zeros(s, 11);
    Put16(s, Word(count));  // bytes 56-57
    Zeros(s, 8);
    WriteBiffRecord(kCoordList, Word(4 * count), s);
    auto put = [&](const TdePoint& p) {
        Put16(s, Word(std::int16_t(std::nearbyint(p.X - minX))));
        Put16(s, Word(std::int16_t(std::nearbyint(p.Y - minY))));
    };
    for (const TdePoint& p : points) put(p);
    if (filled) put(points[0]);
}

void TdeExExcelEngine::RenderTextBox(TdeTextBoxItem* item) {
    std::string text;
    for (int i = 0; i < item->Lines.Count(); ++i) text += Trim(item->Lines[i]);
    text = Utf8ToCp1252(SubstituteVariables(text, true));
    if (text.size() > 0xFFFF - 86) text.resize(0xFFFF - 86);
    const Word n = Word(text.size());
    const TAnchor a = AnchorOf(item->X, item->Y, item->Width, item->Height);
    TStream& s = CellBuffer();
    WriteCommon(s, Word(n + 86), 6, a);
    Put8(s, Byte(SheetColorIndex(clWhite) + 8));
    Put8(s, Byte(SheetColorIndex(item->Brush.Color()) + 8));
    Put8(s, Pattern(&item->Brush));
    Put8(s, 0);
    Put8(s, Byte(SheetColorIndex(item->Pen.Color()) + 8));
    Put8(s, PenStyle(item->Pen));
    Put8(s, PenWeight(item->Pen));
    Zeros(s, 43 - 41 + 1);  // to byte 43
    Put16(s, n);            // bytes 44-45
    Zeros(s, 2);
    Put8(s, 16);  // byte 48
    Zeros(s, 5);
    Byte h = 2;
    if (item->HAlign == haRight) h = 6;
    else if (item->HAlign == haCenter) h = 4;
    else if (item->HAlign == haJustify) h = 14;
    const Byte v = item->VAlign == vaCenter ? 32 : item->VAlign == vaBottom ? 48 : 16;
    Put8(s, Byte(h + v));  // byte 54
    Zeros(s, 69 - 54);
    s.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
    Put16(s, 0);
    Put16(s, Word(SheetFontIndex(item->Font) + 5));
    Zeros(s, 4);
    Put16(s, n);
    Put16(s, 0);
    Zeros(s, 4);
}

void TdeExExcelEngine::WritePicture(TStream& s, TBitmap& bitmap, const TAnchor& a, bool background) {
    // The picture's data: a 12-byte core header and 24-bit bottom-up rows.
    const int w = bitmap.Width(), h = bitmap.Height();
    const int stride = (w * 3 + 3) & ~3;
    std::string data;
    auto put16 = [&](unsigned v) {
        data += char(Byte(v));
        data += char(Byte(v >> 8));
    };
    put16(12);
    put16(0);
    put16(unsigned(w));
    put16(unsigned(h));
    put16(1);
    put16(24);
    const QImage img = bitmap.ToImage().convertToFormat(QImage::Format_RGB32);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            data += char(qBlue(line[x]));
            data += char(qGreen(line[x]));
            data += char(qRed(line[x]));
        }
        data.append(std::size_t(stride - 3 * w), '\0');
    }
    WritePictureRecords(s, 9, data, a, background);
}

void TdeExExcelEngine::WriteMetafilePicture(TStream& s, const TMetafile& metafile, const TAnchor& a) {
    // An 8-byte picture header (anisotropic mapping, the frame's right and
    // bottom in hundredths of a millimetre) before the older metafile form.
    const TMetafileHeader h = ReadMetafileHeader(metafile.Data());
    const std::vector<std::uint8_t> wmf = MetafileToWindowsMetafile(metafile.Data(), metafile.Width(), metafile.Height());
    std::string data;
    for (long v : {8L, long(h.Frame.Right), long(h.Frame.Bottom), 0L}) {
        const Word w = Word(std::clamp<long>(v, 0, 0x7FFF));
        data += char(Byte(w));
        data += char(Byte(w >> 8));
    }
    data.append(reinterpret_cast<const char*>(wmf.data()), wmf.size());
    WritePictureRecords(s, 2, data, a, false);
}

void TdeExExcelEngine::WritePictureRecords(TStream& s, Word format, const std::string& data, const TAnchor& a,
                                           bool background) {
    if (background) {
        WriteCommon(s, 72, 8, a, 10);
    } else {
        WriteCommon(s, 60, 8, a);
    }
    for (int b : {0x08, 0x09, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00}) Put8(s, Byte(b));
    Put16(s, format);
    Zeros(s, 4);
    Put8(s, 0x3D);
    Zeros(s, 4);
    Put8(s, 1);
    Zeros(s, 4);  // to byte 59
    if (background) {
        Put8(s, 10);  // byte 60: the name's length
        s.WriteBuffer("__BkgndObj", 10);
        Put8(s, 0);
    }
    const std::size_t first = std::min(data.size(), kImDataChunk);
    WriteBiffRecord(kImData, Word(8 + first), s, {format, 1});
    Put32(s, std::uint32_t(data.size()));
    s.WriteBuffer(data.data(), static_cast<Integer>(first));
    for (std::size_t at = first; at < data.size(); at += kImDataChunk) {
        const std::size_t n = std::min(kImDataChunk, data.size() - at);
        WriteBiffRecord(kContinue, Word(n), s);
        s.WriteBuffer(data.data() + at, static_cast<Integer>(n));
    }
}

void TdeExExcelEngine::RenderImage(TdeImageItem* item) {
    TGraphic* g = GetImage(item->ImageIndex);
    if (!g) return;
    ++objectNumber_;
    const TAnchor a = AnchorOf(item->X, item->Y, item->Width, item->Height);
    if (dynamic_cast<TBitmap*>(g) && item->Settings.OutputImageFormat() == ifBMP) {
        auto bmp = ImageItemToBitmap(item);
        if (!bmp || bmp->Empty()) return;
        WritePicture(CellBuffer(), *bmp, a, false);
        return;
    }
    // Anything else goes into the workbook as a metafile picture.
    auto mf = ImageItemToMetafile(item);
    if (!mf || mf->Empty()) return;
    WriteMetafilePicture(CellBuffer(), *mf, a);
}

void TdeExExcelEngine::RenderBitmap(TBitmap* bitmap, double x, double y) {
    if (!bitmap || bitmap->Empty()) return;
    WritePicture(CellBuffer(), *bitmap, AnchorOf(x, y, bitmap->Width(), bitmap->Height()), false);
}

void TdeExExcelEngine::WriteDrawingObjects(TStream& s) {
    TGraphic* g = BackgroundImage()->Graphic();
    if (!g || g->Empty()) return;
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(g->Width(), g->Height());
    bmp.Canvas()->Draw(0, 0, g);
    const Integer offset = RowOffset(), base = SheetRowBase();
    // Anchored at the sheet's top-left corner whatever page is current.
    SetRowOffset(base);
    const TAnchor a = AnchorOf(0, 0, g->Width(), g->Height());
    SetRowOffset(offset);
    WritePicture(s, bmp, a, true);
}

void TdeExExcelEngine::ProcessMetafile(const TMetafile& metafile, double x, double y) {
    if (!Preferences()->MetafileAsImage) {
        TdeCustomExcelEngine::ProcessMetafile(metafile, x, y);
        return;
    }
    if (!Started() || metafile.Empty()) return;
    const Integer index = RegisterImage(const_cast<TMetafile*>(&metafile), TdeCustomDocumentEngine::Preferences()->UseImagesAsResources());
    if (index < 0) return;
    auto* item = new TdeImageItem;
    item->Settings.Assign(ImageSettings());
    item->Settings.SetOutputImageFormat(ifMetafile);
    item->Settings.Stretch = true;
    item->SetFromRect(TdeRect{x + AreaLeft(), y + AreaTop(), x + AreaLeft() + metafile.Width(),
                              y + AreaTop() + metafile.Height()});
    item->ImageIndex = index;
    GraphicItems().push_back(item);
}

bool TdeExExcelEngine::CheckImageFormat(TdeOutputImageFormat format, std::string& message) {
    if (format == ifBMP || format == ifMetafile) return true;
    message = SdeExcelImageFormats;
    return false;
}

int TdeExExcelEngine::ExecuteSetupDialog() {
    TdeExcelEngineDlg dlg(nullptr);
    dlg.Engine = this;
    return dlg.Execute() == mrOk ? deModalOk : deModalCancel;
}
