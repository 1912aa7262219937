#pragma once
// The snapshot writer: the report canvas whose every drawing call and state
// change becomes a record of the report snapshot stream. The stream holds a
// header, then one page record per output page (chained both ways by
// absolute positions) with its state and drawing records. Numbers are
// little-endian; lengths and positions are inches as single-precision
// reals; texts carry a one- or two-byte length.

#include <map>
#include <memory>
#include <string>

#include "platform/core/Streams.h"
#include "report/BaseReport.h"

// Record codes of the snapshot stream.
namespace vsf {
enum : Byte {
    Arc = 1, BrushCopy = 2, Chord = 3, CopyRect = 4, Draw = 5, DrawFocusRect = 6, Ellipse = 7, FillRect = 8,
    FloodFill = 9, FrameRect = 10, LineTo = 11, MoveTo = 12, Pie = 13, Polygon = 14, PolyLine = 15,
    PrintBitmap = 16, PrintBitmapRect = 17, Rectangle = 18, TabRectangle = 19, RoundRect = 20, StretchDraw = 21,
    TextRect = 22, CenterText = 23, LeftText = 24, RightText = 25, BKMode = 26, BKColor = 27, ScaleX = 28,
    ScaleY = 29, PrintData = 30, PrintDataStream = 31, BlockTextOld = 32, BlockText = 33, TransparentPrefix = 34,
    FrameMode = 35, PrintImageRect = 36, Variable = 37, Hyperlink = 38, Brush = 40, BrushColor = 41,
    BrushStyle = 42, BrushBitmap = 43, Font = 50, FontName = 51, FontColor = 52, FontPitch = 53, FontHeight = 54,
    FontBold = 55, FontUnderline = 56, FontItalic = 57, FontStrikeout = 58, FontSuperscript = 59,
    FontSubscript = 60, FontRotation = 61, FontAlign = 62, FontCharset = 63, Pen = 70, PenColor = 71, PenMode = 72,
    PenStyle = 73, PenWidth = 74, NewPage = 80, EndPage = 82, ResetLineHeight = 83, AllowPreviewOnly = 84,
    AllowPrinterOnly = 85, AllowAll = 86, Orientation = 87, Bin = 88
};
inline constexpr SmallInt StreamVersion = 5130;
inline constexpr int MaxTextLength = 16383;
inline constexpr int VariableCapacity = 128;
}  // namespace vsf

// The sample measured for a font's reference width.
inline constexpr const char* FontWidthSample =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

class TVzVSFWriter : public TBaseReport {
public:
    explicit TVzVSFWriter(TComponent* owner);
    ~TVzVSFWriter() override;

    TStreamMode StreamMode = smMemory;
    std::string FileName;
    TAccuracyMethod AccuracyMethod = amAppearance;
    // The stream for smUser; written from position 0 and must be empty.
    TStream* Stream = nullptr;
    // The memory stream of an smMemory run, kept after the run.
    TMemoryStream* MemoryStream() const { return memory_.get(); }

    int GetOutputKind() override { return 2; }
    TCanvas* GetCanvas() override;
    void FontChanged() override;
    void HyperlinkChanged() override;
    void PrintCenterInch(const std::string& text, double x) override;
    void PrintLeftInch(const std::string& text, double x) override;
    void PrintRightInch(const std::string& text, double x) override;
    void PrintBlockInch(const std::string& text, double x, double width) override;
    void SetFrameMode(Byte mode) override;
    void SetBKColor(TColor color) override;
    void SetScaleX(double p) override;
    void SetScaleY(double p) override;
    void SetTextBKMode(TBKMode mode) override;
    void SetOrientation(TOrientation o) override;
    void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Ellipse(double x1, double y1, double x2, double y2) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void TabRectangle(double x1, double y1, double x2, double y2) override;
    void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void PolyLine(const std::vector<TPoint>& points) override;
    void FillRect(const TRect& r) override;
    void FrameRect(const TRect& r) override;
    void DrawFocusRect(const TRect& r) override;
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) override;
    void TextRect(const TRect& r, double x, double y, const std::string& text) override;
    void FloodFill(double x, double y, TColor color, TCanvas::TFillStyle style) override;
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) override;
    void Draw(double x, double y, TGraphic* graphic) override;
    void StretchDraw(const TRect& r, TGraphic* graphic) override;
    void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    void PrintImageRect(double x1, double y1, double x2, double y2, TStream* imageStream,
                        const std::string& imageType) override;
    void PrintData(const std::string& data) override;
    void PrintDataStream(TStream* stream, Int64 count) override;
    void AllowPreviewOnly() override;
    void AllowPrinterOnly() override;
    void AllowAll() override;
    void RegisterGraphic(int n) override;
    void ReuseGraphic(int n) override;
    void UnregisterGraphic(int n) override;
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    void AbortPage() override;
    void SelectBin(const std::string& name) override;
    void ResetLineHeight() override;
    std::string PIVar(const std::string& name) override;
    void SetPIVar(const std::string& name, const std::string& value) override;
    void SetBrush(TColor color, TBrushStyle style, TBitmap* bitmap) override;

private:
    // Output primitives (through the 16 KB buffer).
    void WriteBuf(const void* data, size_t count);
    void Flush();
    Int64 WritePos() const;
    void WriteByte(Byte b) { WriteBuf(&b, 1); }
    void WriteBool(bool b) { WriteByte(b ? 1 : 0); }
    void WriteInt16(SmallInt v);
    void WriteInt32(std::int32_t v);
    void WriteReal(double v);
    void WriteText(const std::string& text);
    // A position in user units, with origin and scale.
    void WriteXY(double x, double y);
    void WriteDevicePoint(int x, int y);
    void WriteDeviceRect(const TRect& r);
    void WriteGraphic(TGraphic* graphic);
    void PatchInt32(Int64 position, std::int32_t value);
    bool BeginRecord();
    bool StateWritable();
    void WriteHeader();
    void PageStart();
    void PageEnd(bool last);
    void WriteFontRecords(bool force);
    void WriteBrushRecords(bool force);
    void WritePenRecords(bool force);
    void WriteTextRecord(Byte code, const std::string& text, double x, double width);
    void WriteVariableRecord(const std::string& name, Byte capacity, Byte length, const std::string& data);
    void HookCanvas();
    void UnhookCanvas();

    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TStream> ownedStream_;
    TStream* out_ = nullptr;
    std::string buffer_;
    bool suppress_ = false;
    bool force_ = false;
    bool hasWrittenFont_ = false;
    TSaveFont writtenFont_;
    bool hasWrittenBrush_ = false;
    TColor writtenBrushColor_ = 0;
    TBrushStyle writtenBrushStyle_ = bsSolid;
    bool writtenBrushBitmap_ = false;
    bool hasWrittenPen_ = false;
    TColor writtenPenColor_ = 0;
    TPenMode writtenPenMode_ = pmCopy;
    TPenStyle writtenPenStyle_ = psSolid;
    int writtenPenWidth_ = 1;
    Byte allowState_ = vsf::AllowAll;
    Int64 prevPagePos_ = 0, nextLinkPos_ = 0, pageCountPos_ = 0, pageRecordPos_ = 0;
    struct PageMark {
        Int64 RecordPos, NextLinkPos, PrevPagePos;
    };
    std::vector<PageMark> pages_;
    std::int32_t graphicSlots_[10] = {};
    std::int32_t lastGraphicPos_ = 0, reusePos_ = 0;
    std::map<std::string, std::int32_t> variables_;  // upper-cased name
    std::unique_ptr<TVPRenderDevice> renderDevice_;
    std::function<void(TGraphicsObject*)> prevPenChange_, prevBrushChange_;
    bool canvasHooked_ = false;
};
