#pragma once
// Recorded pictures: enhanced-metafile bytes held as a graphic, a canvas
// whose drawing calls append records, a record walker that checks the
// framing before anything is played, and a QPainter player that draws a
// metafile stretched into a rectangle. Records are written at 96 pixels per
// inch: one logical unit is one screen pixel.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"

class QPainter;
class QRectF;

// Record types by their numbers in the enhanced-metafile format.
inline constexpr std::uint32_t EMR_HEADER = 1;
inline constexpr std::uint32_t EMR_POLYBEZIER = 2;
inline constexpr std::uint32_t EMR_POLYGON = 3;
inline constexpr std::uint32_t EMR_POLYLINE = 4;
inline constexpr std::uint32_t EMR_POLYBEZIERTO = 5;
inline constexpr std::uint32_t EMR_POLYLINETO = 6;
inline constexpr std::uint32_t EMR_POLYPOLYLINE = 7;
inline constexpr std::uint32_t EMR_POLYPOLYGON = 8;
inline constexpr std::uint32_t EMR_SETWINDOWEXTEX = 9;
inline constexpr std::uint32_t EMR_SETWINDOWORGEX = 10;
inline constexpr std::uint32_t EMR_SETVIEWPORTEXTEX = 11;
inline constexpr std::uint32_t EMR_SETVIEWPORTORGEX = 12;
inline constexpr std::uint32_t EMR_EOF = 14;
inline constexpr std::uint32_t EMR_SETMAPMODE = 17;
inline constexpr std::uint32_t EMR_SETBKMODE = 18;
inline constexpr std::uint32_t EMR_SETPOLYFILLMODE = 19;
inline constexpr std::uint32_t EMR_SETROP2 = 20;
inline constexpr std::uint32_t EMR_SETSTRETCHBLTMODE = 21;
inline constexpr std::uint32_t EMR_SETTEXTALIGN = 22;
inline constexpr std::uint32_t EMR_SETTEXTCOLOR = 24;
inline constexpr std::uint32_t EMR_SETBKCOLOR = 25;
inline constexpr std::uint32_t EMR_MOVETOEX = 27;
inline constexpr std::uint32_t EMR_INTERSECTCLIPRECT = 30;
inline constexpr std::uint32_t EMR_SCALEVIEWPORTEXTEX = 31;
inline constexpr std::uint32_t EMR_SCALEWINDOWEXTEX = 32;
inline constexpr std::uint32_t EMR_SAVEDC = 33;
inline constexpr std::uint32_t EMR_RESTOREDC = 34;
inline constexpr std::uint32_t EMR_SETWORLDTRANSFORM = 35;
inline constexpr std::uint32_t EMR_MODIFYWORLDTRANSFORM = 36;
inline constexpr std::uint32_t EMR_SELECTOBJECT = 37;
inline constexpr std::uint32_t EMR_CREATEPEN = 38;
inline constexpr std::uint32_t EMR_CREATEBRUSHINDIRECT = 39;
inline constexpr std::uint32_t EMR_DELETEOBJECT = 40;
inline constexpr std::uint32_t EMR_ELLIPSE = 42;
inline constexpr std::uint32_t EMR_RECTANGLE = 43;
inline constexpr std::uint32_t EMR_ROUNDRECT = 44;
inline constexpr std::uint32_t EMR_ARC = 45;
inline constexpr std::uint32_t EMR_CHORD = 46;
inline constexpr std::uint32_t EMR_PIE = 47;
inline constexpr std::uint32_t EMR_SELECTPALETTE = 48;
inline constexpr std::uint32_t EMR_CREATEPALETTE = 49;
inline constexpr std::uint32_t EMR_LINETO = 54;
inline constexpr std::uint32_t EMR_BEGINPATH = 59;
inline constexpr std::uint32_t EMR_ENDPATH = 60;
inline constexpr std::uint32_t EMR_CLOSEFIGURE = 61;
inline constexpr std::uint32_t EMR_FILLPATH = 62;
inline constexpr std::uint32_t EMR_STROKEANDFILLPATH = 63;
inline constexpr std::uint32_t EMR_STROKEPATH = 64;
inline constexpr std::uint32_t EMR_SELECTCLIPPATH = 67;
inline constexpr std::uint32_t EMR_ABORTPATH = 68;
inline constexpr std::uint32_t EMR_FILLRGN = 71;
inline constexpr std::uint32_t EMR_EXTSELECTCLIPRGN = 75;
inline constexpr std::uint32_t EMR_BITBLT = 76;
inline constexpr std::uint32_t EMR_STRETCHBLT = 77;
inline constexpr std::uint32_t EMR_MASKBLT = 78;
inline constexpr std::uint32_t EMR_SETDIBITSTODEVICE = 80;
inline constexpr std::uint32_t EMR_STRETCHDIBITS = 81;
inline constexpr std::uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
inline constexpr std::uint32_t EMR_EXTTEXTOUTA = 83;
inline constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
inline constexpr std::uint32_t EMR_POLYBEZIER16 = 85;
inline constexpr std::uint32_t EMR_POLYGON16 = 86;
inline constexpr std::uint32_t EMR_POLYLINE16 = 87;
inline constexpr std::uint32_t EMR_POLYBEZIERTO16 = 88;
inline constexpr std::uint32_t EMR_POLYLINETO16 = 89;
inline constexpr std::uint32_t EMR_POLYPOLYLINE16 = 90;
inline constexpr std::uint32_t EMR_POLYPOLYGON16 = 91;
inline constexpr std::uint32_t EMR_POLYDRAW16 = 92;
inline constexpr std::uint32_t EMR_CREATEMONOBRUSH = 93;
inline constexpr std::uint32_t EMR_CREATEDIBPATTERNBRUSHPT = 94;
inline constexpr std::uint32_t EMR_EXTCREATEPEN = 95;

// The " EMF" signature of the header record.
inline constexpr std::uint32_t kMetafileSignature = 0x464D4520;
// Size of the header record this system writes (the format's base header).
inline constexpr std::uint32_t kMetafileHeaderSize = 88;
// Stock objects are selected with the top bit set.
inline constexpr std::uint32_t kStockObjectFlag = 0x80000000u;

// A metafile whose header or record framing is bad, or a record too short
// for what it claims to hold.
class EMetafileError : public EInvalidGraphic {
    using EInvalidGraphic::EInvalidGraphic;
};

// One record as the walker hands it on. Every read is checked against the
// record's own size; a read past it raises EMetafileError, so nothing is
// ever read outside the buffer.
struct TMetafileRecord {
    std::uint32_t Type = 0;
    std::uint32_t Size = 0;  // whole record, type and size included
    const std::uint8_t* Data = nullptr;
    std::size_t Index = 0;  // position in the metafile, header = 0

    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= Size && length <= Size - offset;
    }
    const std::uint8_t* Bytes(std::size_t offset, std::size_t length) const;
    std::uint8_t U8(std::size_t offset) const { return *Bytes(offset, 1); }
    std::uint16_t U16(std::size_t offset) const;
    std::int16_t I16(std::size_t offset) const { return std::int16_t(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const;
    std::int32_t I32(std::size_t offset) const { return std::int32_t(U32(offset)); }
    float F32(std::size_t offset) const;
    // Points stored as 16-bit (x, y) pairs or 32-bit pairs.
    std::vector<TPoint> Points16(std::size_t offset, std::uint32_t count) const;
    std::vector<TPoint> Points32(std::size_t offset, std::uint32_t count) const;
    TRect RectL(std::size_t offset) const {
        return TRect(I32(offset), I32(offset + 4), I32(offset + 8), I32(offset + 12));
    }
};

struct TMetafileHeader {
    TRect Bounds;  // device pixels, inclusive
    TRect Frame;   // hundredths of a millimetre, inclusive
    std::uint32_t Bytes = 0;
    std::uint32_t Records = 0;
    std::uint16_t Handles = 0;
    TSize Device;       // reference device in pixels
    TSize Millimeters;  // and in millimetres
};

// Reads and checks the header: its type, size and signature.
TMetafileHeader ReadMetafileHeader(const std::vector<std::uint8_t>& data);
// Checks the whole framing first (header; every record at least 8 bytes, a
// multiple of 4 and inside the buffer), then hands the records to visit in
// order until it answers false or the EOF record has been handed on.
// Raises EMetafileError for bad framing; nothing is visited then.
void WalkMetafile(const std::vector<std::uint8_t>& data, const std::function<bool(const TMetafileRecord&)>& visit);

// The bitmap file image (14-byte file header, the record's 40-byte
// information header, its colour table as far as the header area reaches,
// the bits) of a device-independent bitmap stored in a record at the given
// offsets. Empty when the record holds no bitmap (either size 0).
std::vector<std::uint8_t> MetafileBitmapFile(const TMetafileRecord& record, std::uint32_t offBmi, std::uint32_t cbBmi,
                                             std::uint32_t offBits, std::uint32_t cbBits);

// The longest side of the image ToImage makes; a larger picture is scaled
// down to it.
inline constexpr int kMetafileImageMaxSide = 4096;

// Enhanced-metafile bytes as a graphic. Width and Height are pixels at 96
// per inch, taken from the header's frame.
class TMetafile : public TGraphic {
public:
    TMetafile() = default;
    TMetafile(const TMetafile&) = delete;
    TMetafile& operator=(const TMetafile&) = delete;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Sizes the picture a recording canvas will make; existing records stay.
    void SetWidth(int w) override { width_ = std::max(0, w); Changed(); }
    void SetHeight(int h) override { height_ = std::max(0, h); Changed(); }
    bool Empty() const override { return data_.empty(); }
    bool Enhanced() const { return true; }

    // Plays the records stretched into r on the canvas.
    void Draw(TCanvas* canvas, const TRect& r) override;
    void LoadFromFile(const std::string& path) override;
    void SaveToFile(const std::string& path) override;
    // Checks the framing (EMetafileError) before taking the bytes.
    void LoadFromBytes(const std::vector<std::uint8_t>& data) override;
    std::vector<std::uint8_t> SaveToBytes() override { return data_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    // The picture played on white at its own size (scaled down to at most
    // kMetafileImageMaxSide on its longer side).
    QImage ToImage() const override;
    // A metafile is copied; any other graphic is recorded as one stretched
    // picture of its size.
    void Assign(const TGraphic* source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    std::string DefaultExtension() const override { return "emf"; }
    void Clear();

private:
    friend class TMetafileCanvas;
    void Adopt(std::vector<std::uint8_t> data, int width, int height);
    std::vector<std::uint8_t> data_;
    int width_ = 0;
    int height_ = 0;
};

// A canvas that records into a metafile. Pen, brush and font are selected
// into the record stream when a drawing call needs them and differ from
// what was selected last; the metafile receives the records when the
// canvas is closed (Close or destruction).
class TMetafileCanvas {
public:
    explicit TMetafileCanvas(TMetafile* target);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    TFont* Font() { return &font_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void PolyBezier(const std::vector<TPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Brush only (a pattern copy without a source bitmap).
    void FillRect(const TRect& r);
    // Text at (x, y) with the alignment flags; the brush fills behind it
    // unless clear. Each character's advance is recorded.
    void TextOut(int x, int y, const std::string& text);
    // Text clipped to r (filled first with a non-clear brush).
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    unsigned SetTextAlign(unsigned flags);
    int TextWidth(const std::string& text) const;
    // The height of a line of text in the canvas's font.
    int TextHeight(const std::string& text) const;
    // The graphic at its size, or stretched into r, as a bitmap record.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    void IntersectClipRect(const TRect& r);
    void ResetClip();
    void SaveDC();
    // Relative (negative) or absolute index, as the format takes it.
    void RestoreDC(int index);

    // Writes the header and the end record into the metafile. Further
    // drawing is ignored.
    void Close();
    // Whether any record was written yet.
    bool Recorded() const { return recordCount_ > 0; }

private:
    void Emit(std::uint32_t type, const std::vector<std::uint8_t>& body);
    void SelectTools(bool pen, bool brush, bool font);
    void Points16Record(std::uint32_t type, const std::vector<TPoint>& points);
    void BoxRecord(std::uint32_t type, int x1, int y1, int x2, int y2);
    void ArcRecord(std::uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void TextRecord(int x, int y, const std::string& text, const TRect* clip, bool opaque);
    // One 24-bit picture stretched into r with the raster operation.
    void StretchDibRecord(const TRect& r, const QImage& img, std::uint32_t rop);
    void Include(const TRect& r);
    void Include(int x, int y) { Include(TRect(x, y, x + 1, y + 1)); }
    std::uint32_t NewHandle();

    TMetafile* target_;
    bool closed_ = false;
    std::vector<std::uint8_t> records_;
    std::uint32_t recordCount_ = 0;
    std::uint32_t maxHandle_ = 0;
    std::vector<std::uint32_t> freeHandles_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    // What is selected in the record stream (handle 0: nothing yet).
    TPen selPen_;
    TBrush selBrush_;
    TFont selFont_;
    std::uint32_t penHandle_ = 0, brushHandle_ = 0, fontHandle_ = 0;
    std::uint32_t textColor_ = 0xFFFFFFFFu, bkColor_ = 0xFFFFFFFFu, bkMode_ = 0;
    bool hasBounds_ = false;
    TRect bounds_;
};

// Plays a metafile with a painter, its frame stretched into target (in the
// painter's coordinates). Malformed framing raises EMetafileError before
// anything is drawn; a record naming a missing object ends the playing
// there, and so does one too short for its fields, which then raises
// EMetafileError (what was drawn before it stays).
void PlayMetafileWithPainter(QPainter& painter, const std::vector<std::uint8_t>& data, const QRectF& target);
// The metafile played on a white bitmap of the given size.
QImage MetafileToImage(const std::vector<std::uint8_t>& data, int width, int height);
