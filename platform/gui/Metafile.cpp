#include "platform/gui/Metafile.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/gui/MetafilePrivate.h"

// ------------------------------------------------------------- records

const std::uint8_t* TMetafileRecord::Bytes(std::size_t offset, std::size_t length) const {
    if (!Has(offset, length))
        throw EMetafileError("Metafile record " + std::to_string(Index) + " (type " + std::to_string(Type) +
                             ") is too short for its fields");
    return Data + offset;
}

std::uint16_t TMetafileRecord::U16(std::size_t offset) const {
    const std::uint8_t* p = Bytes(offset, 2);
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t TMetafileRecord::U32(std::size_t offset) const {
    const std::uint8_t* p = Bytes(offset, 4);
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

float TMetafileRecord::F32(std::size_t offset) const {
    std::uint32_t u = U32(offset);
    float f;
    std::memcpy(&f, &u, 4);
    return std::isfinite(f) ? f : 0.0f;
}

std::vector<TPoint> TMetafileRecord::Points16(std::size_t offset, std::uint32_t count) const {
    Bytes(offset, std::size_t(count) * 4);  // one range check for all of them
    std::vector<TPoint> pts;
    pts.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) pts.emplace_back(I16(offset + 4 * i), I16(offset + 4 * i + 2));
    return pts;
}

std::vector<TPoint> TMetafileRecord::Points32(std::size_t offset, std::uint32_t count) const {
    Bytes(offset, std::size_t(count) * 8);
    std::vector<TPoint> pts;
    pts.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) pts.emplace_back(I32(offset + 8 * i), I32(offset + 8 * i + 4));
    return pts;
}

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return std::uint32_t(d[at]) | (std::uint32_t(d[at + 1]) << 8) | (std::uint32_t(d[at + 2]) << 16) |
           (std::uint32_t(d[at + 3]) << 24);
}

}  // namespace

TMetafileHeader ReadMetafileHeader(const std::vector<std::uint8_t>& data) {
    if (data.size() < kMetafileHeaderSize) throw EMetafileError("Metafile is too short for its header");
    TMetafileRecord r{Le32(data, 0), Le32(data, 4), data.data(), 0};
    if (r.Type != EMR_HEADER) throw EMetafileError("Metafile does not start with a header record");
    if (r.Size < kMetafileHeaderSize || r.Size % 4 != 0 || r.Size > data.size())
        throw EMetafileError("Metafile header has a bad size");
    if (r.U32(40) != kMetafileSignature) throw EMetafileError("Metafile header has no metafile signature");
    TMetafileHeader h;
    h.Bounds = r.RectL(8);
    h.Frame = r.RectL(24);
    h.Bytes = r.U32(48);
    h.Records = r.U32(52);
    h.Handles = r.U16(56);
    h.Device = TSize(r.I32(72), r.I32(76));
    h.Millimeters = TSize(r.I32(80), r.I32(84));
    return h;
}

void WalkMetafile(const std::vector<std::uint8_t>& data, const std::function<bool(const TMetafileRecord&)>& visit) {
    ReadMetafileHeader(data);
    // Framing first: a broken record anywhere refuses the whole metafile
    // before a single record is played.
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    while (pos < data.size()) {
        if (data.size() - pos < 8) throw EMetafileError("Metafile ends inside a record");
        std::uint32_t type = Le32(data, pos), size = Le32(data, pos + 4);
        if (size < 8 || size % 4 != 0 || size > data.size() - pos)
            throw EMetafileError("Metafile record " + std::to_string(starts.size()) + " has a bad size (" +
                                 std::to_string(size) + ")");
        starts.push_back(pos);
        pos += size;
        if (type == EMR_EOF) break;
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        std::size_t at = starts[i];
        TMetafileRecord r{Le32(data, at), Le32(data, at + 4), data.data() + at, i};
        if (!visit(r)) return;
    }
}

std::vector<std::uint8_t> MetafileBitmapFile(const TMetafileRecord& record, std::uint32_t offBmi, std::uint32_t cbBmi,
                                             std::uint32_t offBits, std::uint32_t cbBits) {
    if (cbBmi == 0 || cbBits == 0) return {};
    if (cbBmi < 40) throw EMetafileError("Metafile bitmap header is too short");
    const std::uint8_t* bmi = record.Bytes(offBmi, cbBmi);
    const std::uint8_t* bits = record.Bytes(offBits, cbBits);
    std::uint16_t bitCount = record.U16(offBmi + 14);
    std::uint32_t compression = record.U32(offBmi + 16);
    std::uint32_t used = record.U32(offBmi + 32);
    std::uint64_t table = 0;
    if (compression == 3) table = 12;
    else if (compression != 0 || bitCount < 9 || used != 0)
        table = 4 * (used != 0 ? std::uint64_t(used) : (bitCount < 32 ? (std::uint64_t(1) << bitCount) : 0));
    table = std::min<std::uint64_t>(table, cbBmi - 40);
    std::vector<std::uint8_t> out;
    out.reserve(14 + std::size_t(cbBmi) + cbBits);
    auto put16 = [&](std::uint32_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(0x4D42);
    put32(cbBmi + cbBits + 14);
    put16(0);
    put16(0);
    put32(cbBmi + 14);
    out.insert(out.end(), bmi, bmi + 40 + table);
    out.resize(14 + std::size_t(cbBmi), 0);  // the rest of the header area
    out.insert(out.end(), bits, bits + cbBits);
    return out;
}

// -------------------------------------------------------------- metafile

namespace {

constexpr double kScreenPpi = 96.0;

// The frame's extent in screen pixels, worked out wide: a hostile frame's
// corners may lie at the two ends of the integer range.
int FramePixels(int from, int to) {
    const double pixels = std::round((double(to) - double(from) + 1) * kScreenPpi / 2540.0);
    return int(std::clamp(pixels, 0.0, double(std::numeric_limits<int>::max())));
}

}  // namespace

void TMetafile::Adopt(std::vector<std::uint8_t> data, int width, int height) {
    data_ = std::move(data);
    width_ = width;
    height_ = height;
    Changed();
}

void TMetafile::Clear() { Adopt({}, 0, 0); }

void TMetafile::LoadFromBytes(const std::vector<std::uint8_t>& data) {
    TMetafileHeader h = ReadMetafileHeader(data);
    WalkMetafile(data, [](const TMetafileRecord&) { return true; });
    Adopt(data, std::max(0, FramePixels(h.Frame.Left, h.Frame.Right)),
          std::max(0, FramePixels(h.Frame.Top, h.Frame.Bottom)));
}

void TMetafile::LoadFromFile(const std::string& path) { LoadFromBytes(ReadGraphicFile(path)); }

void TMetafile::SaveToFile(const std::string& path) { WriteGraphicFile(path, data_); }

QImage TMetafile::ToImage() const {
    if (data_.empty() || width_ <= 0 || height_ <= 0) return QImage();
    // A frame may claim any size; the image keeps the aspect within bounds
    // rather than allocating what a length field asks for.
    const double scale = std::min(1.0, double(kMetafileImageMaxSide) / std::max(width_, height_));
    return MetafileToImage(data_, std::max(1, int(width_ * scale)), std::max(1, int(height_ * scale)));
}

void TMetafile::Draw(TCanvas* canvas, const TRect& r) {
    if (data_.empty() || !canvas) return;
    auto painter = canvas->BeginPainter();
    if (!painter) return;
    PlayMetafileWithPainter(*painter, data_, QRectF(r.Left, r.Top, r.Width(), r.Height()));
}

void TMetafile::Assign(const TGraphic* source) {
    if (!source) {
        Clear();
        return;
    }
    if (auto m = dynamic_cast<const TMetafile*>(source)) {
        Adopt(m->data_, m->width_, m->height_);
        return;
    }
    // Any other picture becomes one bitmap record of its size.
    TMetafile recorded;
    recorded.SetWidth(source->Width());
    recorded.SetHeight(source->Height());
    {
        TMetafileCanvas c(&recorded);
        c.StretchDraw(TRect(0, 0, source->Width(), source->Height()), const_cast<TGraphic*>(source));
    }
    Adopt(recorded.data_, source->Width(), source->Height());
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto m = std::make_unique<TMetafile>();
    m->Adopt(data_, width_, height_);
    return m;
}

// ------------------------------------------------------- recording canvas

namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutF(std::vector<std::uint8_t>& b, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(b, u);
}
void PutRect(std::vector<std::uint8_t>& b, const TRect& r) {
    Put32(b, std::uint32_t(r.Left));
    Put32(b, std::uint32_t(r.Top));
    Put32(b, std::uint32_t(r.Right));
    Put32(b, std::uint32_t(r.Bottom));
}
// Bounds records carry inclusive rectangles.
void PutBounds(std::vector<std::uint8_t>& b, const TRect& r) {
    PutRect(b, TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1));
}

std::uint32_t Rgb(TColor c) { return std::uint32_t(ColorToRGB(c)) & 0xFFFFFF; }

std::uint32_t PenStyleCode(TPenStyle s) {
    switch (s) {
        case psDash: return 1;
        case psDot: return 2;
        case psDashDot: return 3;
        case psDashDotDot: return 4;
        case psClear: return 5;
        case psInsideFrame: return 6;
        default: return 0;
    }
}

TRect PointsBounds(const std::vector<TPoint>& pts) {
    TRect r(pts[0].X, pts[0].Y, pts[0].X + 1, pts[0].Y + 1);
    for (const TPoint& p : pts) {
        r.Left = std::min(r.Left, p.X);
        r.Top = std::min(r.Top, p.Y);
        r.Right = std::max(r.Right, p.X + 1);
        r.Bottom = std::max(r.Bottom, p.Y + 1);
    }
    return r;
}

bool SamePen(const TPen& a, const TPen& b) {
    return a.Color() == b.Color() && a.Width() == b.Width() && a.Style() == b.Style();
}
bool SameBrush(const TBrush& a, const TBrush& b) { return a.Color() == b.Color() && a.Style() == b.Style(); }
bool SameFont(const TFont& a, const TFont& b) {
    return a.Name() == b.Name() && a.Height() == b.Height() && a.Style() == b.Style() && a.Pitch() == b.Pitch() &&
           a.Charset() == b.Charset();
}

// Bottom-up 24-bit rows padded to 4 bytes, as a device-independent bitmap.
std::vector<std::uint8_t> DibBits(const QImage& img) {
    QImage src = img.convertToFormat(QImage::Format_RGB32);
    int stride = (src.width() * 3 + 3) & ~3;
    std::vector<std::uint8_t> bits(std::size_t(stride) * src.height(), 0);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(src.height() - 1 - y));
        std::uint8_t* out = bits.data() + std::size_t(stride) * y;
        for (int x = 0; x < src.width(); ++x) {
            out[3 * x] = std::uint8_t(qBlue(line[x]));
            out[3 * x + 1] = std::uint8_t(qGreen(line[x]));
            out[3 * x + 2] = std::uint8_t(qRed(line[x]));
        }
    }
    return bits;
}

}  // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile* target) : target_(target) { EnsureGuiApplication(); }

TMetafileCanvas::~TMetafileCanvas() { Close(); }

void TMetafileCanvas::Emit(std::uint32_t type, const std::vector<std::uint8_t>& body) {
    std::size_t size = 8 + ((body.size() + 3) & ~std::size_t(3));
    Put32(records_, type);
    Put32(records_, std::uint32_t(size));
    records_.insert(records_.end(), body.begin(), body.end());
    records_.resize(records_.size() + (size - 8 - body.size()), 0);
    ++recordCount_;
}

void TMetafileCanvas::Include(const TRect& r) {
    if (r.IsEmpty()) return;
    if (!hasBounds_) {
        bounds_ = r;
        hasBounds_ = true;
    } else {
        UnionRect(bounds_, bounds_, r);
    }
}

std::uint32_t TMetafileCanvas::NewHandle() {
    if (!freeHandles_.empty()) {
        std::uint32_t h = freeHandles_.back();
        freeHandles_.pop_back();
        return h;
    }
    return ++maxHandle_;
}

void TMetafileCanvas::SelectTools(bool pen, bool brush, bool font) {
    auto replace = [&](std::uint32_t& current, const std::vector<std::uint8_t>& create, std::uint32_t createType,
                       std::uint32_t handle) {
        Emit(createType, create);
        std::vector<std::uint8_t> sel;
        Put32(sel, handle);
        Emit(EMR_SELECTOBJECT, sel);
        if (current != 0) {
            std::vector<std::uint8_t> del;
            Put32(del, current);
            Emit(EMR_DELETEOBJECT, del);
            freeHandles_.push_back(current);
        }
        current = handle;
    };
    if (pen && (penHandle_ == 0 || !SamePen(pen_, selPen_))) {
        std::uint32_t h = NewHandle();
        std::vector<std::uint8_t> b;
        Put32(b, h);
        Put32(b, PenStyleCode(pen_.Style()));
        Put32(b, std::uint32_t(pen_.Width()));
        Put32(b, 0);
        Put32(b, Rgb(pen_.Color()));
        replace(penHandle_, b, EMR_CREATEPEN, h);
        selPen_.Assign(pen_);
    }
    if (brush && (brushHandle_ == 0 || !SameBrush(brush_, selBrush_))) {
        std::uint32_t h = NewHandle();
        std::vector<std::uint8_t> b;
        Put32(b, h);
        std::uint32_t style = 0, hatch = 0;
        switch (brush_.Style()) {
            case bsSolid: break;
            case bsClear: style = 1; break;
            default: style = 2; hatch = std::uint32_t(brush_.Style() - bsHorizontal); break;
        }
        Put32(b, style);
        Put32(b, Rgb(brush_.Color()));
        Put32(b, hatch);
        replace(brushHandle_, b, EMR_CREATEBRUSHINDIRECT, h);
        selBrush_.Assign(brush_);
    }
    if (font && (fontHandle_ == 0 || !SameFont(font_, selFont_))) {
        std::uint32_t h = NewHandle();
        std::vector<std::uint8_t> b;
        Put32(b, h);
        Put32(b, std::uint32_t(font_.Height()));
        Put32(b, 0);  // width
        Put32(b, 0);  // escapement
        Put32(b, 0);  // orientation
        Put32(b, (font_.Style() & fsBold) ? 700 : 400);
        b.push_back((font_.Style() & fsItalic) ? 1 : 0);
        b.push_back((font_.Style() & fsUnderline) ? 1 : 0);
        b.push_back((font_.Style() & fsStrikeOut) ? 1 : 0);
        b.push_back(std::uint8_t(font_.Charset()));
        b.push_back(0);  // output precision
        b.push_back(0);  // clip precision
        b.push_back(0);  // quality
        b.push_back(font_.Pitch() == fpFixed ? 1 : font_.Pitch() == fpVariable ? 2 : 0);
        QString face = QString::fromStdString(font_.Name()).left(31);
        for (int i = 0; i < 32; ++i) Put16(b, i < face.size() ? face.at(i).unicode() : 0);
        replace(fontHandle_, b, EMR_EXTCREATEFONTINDIRECTW, h);
        selFont_.Assign(font_);
    }
}

void TMetafileCanvas::MoveTo(int x, int y) {
    if (closed_) return;
    std::vector<std::uint8_t> b;
    Put32(b, std::uint32_t(x));
    Put32(b, std::uint32_t(y));
    Emit(EMR_MOVETOEX, b);
}

void TMetafileCanvas::LineTo(int x, int y) {
    if (closed_) return;
    SelectTools(true, false, false);
    std::vector<std::uint8_t> b;
    Put32(b, std::uint32_t(x));
    Put32(b, std::uint32_t(y));
    Emit(EMR_LINETO, b);
    Include(x, y);
}

void TMetafileCanvas::Points16Record(std::uint32_t type, const std::vector<TPoint>& points) {
    if (closed_ || points.empty()) return;
    SelectTools(true, type == EMR_POLYGON16, false);
    TRect r = PointsBounds(points);
    std::vector<std::uint8_t> b;
    PutBounds(b, r);
    Put32(b, std::uint32_t(points.size()));
    for (const TPoint& p : points) {
        Put16(b, std::uint16_t(std::int16_t(p.X)));
        Put16(b, std::uint16_t(std::int16_t(p.Y)));
    }
    Emit(type, b);
    Include(r);
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& points) { Points16Record(EMR_POLYLINE16, points); }
void TMetafileCanvas::Polygon(const std::vector<TPoint>& points) { Points16Record(EMR_POLYGON16, points); }
void TMetafileCanvas::PolyBezier(const std::vector<TPoint>& points) { Points16Record(EMR_POLYBEZIER16, points); }

void TMetafileCanvas::BoxRecord(std::uint32_t type, int x1, int y1, int x2, int y2) {
    if (closed_) return;
    SelectTools(true, true, false);
    std::vector<std::uint8_t> b;
    PutRect(b, TRect(x1, y1, x2, y2));
    Emit(type, b);
    Include(TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)));
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) { BoxRecord(EMR_RECTANGLE, x1, y1, x2, y2); }
void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) { BoxRecord(EMR_ELLIPSE, x1, y1, x2, y2); }

void TMetafileCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (closed_) return;
    SelectTools(true, true, false);
    std::vector<std::uint8_t> b;
    PutRect(b, TRect(x1, y1, x2, y2));
    Put32(b, std::uint32_t(x3));
    Put32(b, std::uint32_t(y3));
    Emit(EMR_ROUNDRECT, b);
    Include(TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)));
}

void TMetafileCanvas::ArcRecord(std::uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (closed_) return;
    SelectTools(true, type != EMR_ARC, false);
    std::vector<std::uint8_t> b;
    PutRect(b, TRect(x1, y1, x2, y2));
    for (int v : {x3, y3, x4, y4}) Put32(b, std::uint32_t(v));
    Emit(type, b);
    Include(TRect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)));
}

void TMetafileCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    ArcRecord(EMR_ARC, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TMetafileCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    ArcRecord(EMR_PIE, x1, y1, x2, y2, x3, y3, x4, y4);
}
void TMetafileCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    ArcRecord(EMR_CHORD, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TMetafileCanvas::FillRect(const TRect& r) {
    if (closed_ || r.IsEmpty()) return;
    SelectTools(false, true, false);
    std::vector<std::uint8_t> b;
    PutBounds(b, r);
    for (int v : {r.Left, r.Top, r.Width(), r.Height()}) Put32(b, std::uint32_t(v));
    Put32(b, cmPatCopy);
    Put32(b, 0);
    Put32(b, 0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) PutF(b, f);
    for (int i = 0; i < 6; ++i) Put32(b, 0);  // background colour, usage, no bitmap
    Emit(EMR_BITBLT, b);
    Include(r);
}

unsigned TMetafileCanvas::SetTextAlign(unsigned flags) {
    std::vector<std::uint8_t> b;
    Put32(b, flags);
    if (!closed_) Emit(EMR_SETTEXTALIGN, b);
    return flags;
}

int TMetafileCanvas::TextWidth(const std::string& text) const {
    QFontMetrics m(font_.ToQFont());
    return m.horizontalAdvance(QString::fromStdString(text));
}

int TMetafileCanvas::TextHeight([[maybe_unused]] const std::string& text) const {
    return QFontMetrics(font_.ToQFont()).height();
}

void TMetafileCanvas::TextRecord(int x, int y, const std::string& text, const TRect* clip, bool opaque) {
    if (closed_) return;
    SelectTools(false, false, true);
    std::uint32_t color = Rgb(font_.Color());
    if (color != textColor_) {
        std::vector<std::uint8_t> b;
        Put32(b, color);
        Emit(EMR_SETTEXTCOLOR, b);
        textColor_ = color;
    }
    std::uint32_t mode = brush_.Style() == bsClear ? 1 : 2;
    if (mode != bkMode_) {
        std::vector<std::uint8_t> b;
        Put32(b, mode);
        Emit(EMR_SETBKMODE, b);
        bkMode_ = mode;
    }
    std::uint32_t bk = Rgb(brush_.Color());
    if (mode == 2 && bk != bkColor_) {
        std::vector<std::uint8_t> b;
        Put32(b, bk);
        Emit(EMR_SETBKCOLOR, b);
        bkColor_ = bk;
    }
    QFont qf = font_.ToQFont();
    QFontMetrics m(qf);
    QString qs = QString::fromStdString(text);
    std::vector<std::uint32_t> dx(std::size_t(qs.size()), 0);
    for (int i = 0; i < qs.size(); ++i) {
        if (qs.at(i).isLowSurrogate()) continue;
        int n = (qs.at(i).isHighSurrogate() && i + 1 < qs.size()) ? 2 : 1;
        dx[std::size_t(i)] = std::uint32_t(m.horizontalAdvance(qs.mid(i, n)));
    }
    int width = m.horizontalAdvance(qs);
    TRect box(x, y, x + width, y + m.height());
    std::uint32_t nChars = std::uint32_t(qs.size());
    std::uint32_t stringBytes = (nChars * 2 + 3) & ~3u;
    std::vector<std::uint8_t> b;
    PutBounds(b, clip ? *clip : box);
    Put32(b, 1);  // compatible graphics mode
    PutF(b, 0);
    PutF(b, 0);
    Put32(b, std::uint32_t(x));
    Put32(b, std::uint32_t(y));
    Put32(b, nChars);
    Put32(b, 76);
    Put32(b, (opaque ? ETO_OPAQUE : 0) | (clip ? ETO_CLIPPED : 0));
    PutRect(b, clip ? *clip : TRect(0, 0, -1, -1));
    Put32(b, 76 + stringBytes);
    for (int i = 0; i < qs.size(); ++i) Put16(b, qs.at(i).unicode());
    b.resize(68 + stringBytes, 0);
    for (std::uint32_t d : dx) Put32(b, d);
    Emit(EMR_EXTTEXTOUTW, b);
    Include(clip ? *clip : box);
}

void TMetafileCanvas::TextOut(int x, int y, const std::string& text) { TextRecord(x, y, text, nullptr, false); }

void TMetafileCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    TextRecord(x, y, text, &r, brush_.Style() != bsClear);
}

void TMetafileCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic) return;
    StretchDraw(TRect(x, y, x + graphic->Width(), y + graphic->Height()), graphic);
}

void TMetafileCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (closed_ || !graphic || graphic->Empty() || r.IsEmpty()) return;
    QImage img = graphic->ToImage();
    if (img.isNull()) return;
    if (img.hasAlphaChannel()) {
        // A picture with see-through pixels (an icon) is recorded as its
        // mask, ANDed onto what is below, then its colours with black where
        // it is see-through, ORed on top: what shows through stays.
        QImage argb = img.convertToFormat(QImage::Format_ARGB32);
        QImage mask(argb.size(), QImage::Format_RGB32), colours(argb.size(), QImage::Format_RGB32);
        bool seeThrough = false;
        for (int y = 0; y < argb.height(); ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            QRgb* m = reinterpret_cast<QRgb*>(mask.scanLine(y));
            QRgb* c = reinterpret_cast<QRgb*>(colours.scanLine(y));
            for (int x = 0; x < argb.width(); ++x) {
                const bool clear = qAlpha(in[x]) < 128;
                seeThrough |= clear;
                m[x] = clear ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
                c[x] = clear ? qRgb(0, 0, 0) : qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            }
        }
        if (seeThrough) {
            StretchDibRecord(r, mask, cmSrcAnd);
            StretchDibRecord(r, colours, cmSrcPaint);
            return;
        }
    }
    StretchDibRecord(r, img, cmSrcCopy);
}

void TMetafileCanvas::StretchDibRecord(const TRect& r, const QImage& img, std::uint32_t rop) {
    std::vector<std::uint8_t> bits = DibBits(img);
    std::vector<std::uint8_t> b;
    PutBounds(b, r);
    for (int v : {r.Left, r.Top, 0, 0, img.width(), img.height()}) Put32(b, std::uint32_t(v));
    Put32(b, 80);
    Put32(b, 40);
    Put32(b, 120);
    Put32(b, std::uint32_t(bits.size()));
    Put32(b, 0);  // colours are RGB values
    Put32(b, rop);
    Put32(b, std::uint32_t(r.Width()));
    Put32(b, std::uint32_t(r.Height()));
    // Information header: bottom-up, 24 bits, uncompressed.
    Put32(b, 40);
    Put32(b, std::uint32_t(img.width()));
    Put32(b, std::uint32_t(img.height()));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, std::uint32_t(bits.size()));
    Put32(b, 3780);  // 96 per inch in pixels per metre
    Put32(b, 3780);
    Put32(b, 0);
    Put32(b, 0);
    b.insert(b.end(), bits.begin(), bits.end());
    Emit(EMR_STRETCHDIBITS, b);
    Include(r);
}

void TMetafileCanvas::IntersectClipRect(const TRect& r) {
    if (closed_) return;
    std::vector<std::uint8_t> b;
    PutRect(b, r);
    Emit(EMR_INTERSECTCLIPRECT, b);
}

void TMetafileCanvas::ResetClip() {
    if (closed_) return;
    std::vector<std::uint8_t> b;
    Put32(b, 0);
    Put32(b, 5);  // copy: with no region, clipping ends
    Emit(EMR_EXTSELECTCLIPRGN, b);
}

void TMetafileCanvas::SaveDC() {
    if (!closed_) Emit(EMR_SAVEDC, {});
}

void TMetafileCanvas::RestoreDC(int index) {
    if (closed_) return;
    std::vector<std::uint8_t> b;
    Put32(b, std::uint32_t(index));
    Emit(EMR_RESTOREDC, b);
    // The restored state selects what was selected at the save: reselect
    // the tools before the next drawing call.
    for (std::uint32_t* h : {&penHandle_, &brushHandle_, &fontHandle_}) {
        if (*h == 0) continue;
        std::vector<std::uint8_t> del;
        Put32(del, *h);
        Emit(EMR_DELETEOBJECT, del);
        freeHandles_.push_back(*h);
        *h = 0;
    }
    textColor_ = bkColor_ = 0xFFFFFFFFu;
    bkMode_ = 0;
}

void TMetafileCanvas::Close() {
    if (closed_) return;
    closed_ = true;
    std::vector<std::uint8_t> eof;
    Put32(eof, 0);
    Put32(eof, 16);
    Put32(eof, 20);
    Emit(EMR_EOF, eof);
    int w = target_->width_ > 0 ? target_->width_ : (hasBounds_ ? std::max(1, bounds_.Right) : 1);
    int h = target_->height_ > 0 ? target_->height_ : (hasBounds_ ? std::max(1, bounds_.Bottom) : 1);
    std::vector<std::uint8_t> out;
    Put32(out, EMR_HEADER);
    Put32(out, kMetafileHeaderSize);
    PutBounds(out, hasBounds_ ? bounds_ : TRect(0, 0, 1, 1));
    PutRect(out, TRect(0, 0, int(std::lround(w * 2540.0 / kScreenPpi)) - 1,
                       int(std::lround(h * 2540.0 / kScreenPpi)) - 1));
    Put32(out, kMetafileSignature);
    Put32(out, 0x10000);
    Put32(out, std::uint32_t(kMetafileHeaderSize + records_.size()));
    Put32(out, recordCount_ + 1);
    Put16(out, maxHandle_ + 1);
    Put16(out, 0);
    Put32(out, 0);  // no description
    Put32(out, 0);
    Put32(out, 0);  // no palette
    // Reference device: 960 pixels over 254 mm, i.e. 96 per inch.
    Put32(out, 960);
    Put32(out, 960);
    Put32(out, 254);
    Put32(out, 254);
    out.insert(out.end(), records_.begin(), records_.end());
    target_->Adopt(std::move(out), w, h);
}

// ------------------------------------------------------------------ player

QImage MetafileToImage(const std::vector<std::uint8_t>& data, int width, int height) {
    QImage img(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    QPainter p(&img);
    PlayMetafileWithPainter(p, data, QRectF(0, 0, width, height));
    return img;
}

void PlayMetafileWithPainter(QPainter& painter, const std::vector<std::uint8_t>& data, const QRectF& target) {
    EnsureGuiApplication();
    TMetafileHeader h = ReadMetafileHeader(data);
    metafile_detail::TPainterPlayer player(painter, h, target);
    painter.save();
    try {
        WalkMetafile(data, [&](const TMetafileRecord& r) { return player.Play(r); });
    } catch (const EMetafileError&) {
        // A record too short for its fields ends the playing; what was
        // drawn before it stays.
        player.Finish();
        painter.restore();
        throw;
    }
    player.Finish();
    painter.restore();
}
