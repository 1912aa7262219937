#pragma once
// Renderers play a report snapshot stream: the converter reads it record by
// record, keeps the drawing state and calls the renderer's operations. Every
// renderer is listed, while it exists, in one global renderer registry from
// which output formats and file filters are offered.

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/StringList.h"
#include "report/ReportDefs.h"

class TVPConverter;

class TVPRender : public TVpComponent {
public:
    explicit TVPRender(TComponent* owner);
    ~TVPRender() override;

    bool Active = true;
    const std::string& DisplayName() const { return displayName_; }
    void SetDisplayName(const std::string& name);
    std::string FileExtension;
    std::string OutputFileName;
    std::string ReportFileName;
    std::string Selection;
    int FirstPage = 0;
    int LastPage = 0;
    TStringList MacroData;
    TDecodeImageEvent OnDecodeImage;
    unsigned AllowedKinds = 0x1F;
    double PageWidth = 0, PageHeight = 0;
    double PenWidth = 0;
    Byte FrameMode = 0;
    Byte TextBKMode = 0;
    bool TransparentBitmaps = false;
    TVPConverter* Converter() const { return converter_; }
    TStream* InputStream() const { return input_; }
    bool Busy() const { return busy_; }

    virtual void SetBKColor(TColor color) {}
    virtual void AllowPreviewOnly();
    virtual void AllowPrinterOnly();
    virtual void AllowAll();
    virtual int GetOutputKind() { return 0; }
    virtual void SetHyperlink(const std::string& link);
    virtual void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {}
    virtual void SetBrush(TBrush* brush) {}
    virtual void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {}
    virtual void PrintCenter(const std::string& text, double x, double y) {}
    virtual void Ellipse(double x1, double y1, double x2, double y2) {}
    virtual void FontChanged(TFont* font) {}
    virtual void PrintLeft(const std::string& text, double x, double y) {}
    virtual void LineTo(double x, double y) {}
    virtual void MoveTo(double x, double y) {}
    virtual void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {}
    virtual void PolyLine(const std::vector<std::pair<double, double>>& points) {}
    virtual void Polygon(const std::vector<std::pair<double, double>>& points) {}
    virtual void PrintRight(const std::string& text, double x, double y) {}
    virtual void SetPen(TPen* pen) {}
    virtual void PrintImageRect(double x1, double y1, double x2, double y2, TStream* image, const std::string& type);
    virtual void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) {}
    virtual void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) {}
    virtual void StretchDraw(const TRect& r, TGraphic* graphic) {}
    virtual void Draw(double x, double y, TGraphic* graphic) {}
    virtual void PrintBlock(const std::string& text, double x, double y, double width) {}
    virtual void Rectangle(double x1, double y1, double x2, double y2) {}
    virtual void FillRect(const TRect& r) {}
    virtual void TextRect(const TRect& r, double x, double y, const std::string& text) {}
    virtual void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {}
    virtual int CountInnerSpaces(const std::string& text);
    virtual void SplitFirstWord(std::string& text, std::string& word);
    virtual void SplitLeadingSpaces(std::string& text, std::string& spaces);
    virtual void AdvanceByAngle(double& x, double& y, double distance);
    virtual void AdvanceAndPrint() {}
    virtual void SelectBin(const std::string& name) {}
    virtual void SetBin(int bin) {}
    virtual void PrintData(const std::string& data) {}
    virtual void PrintDataStream(TStream* stream, Int64 count) {}
    virtual void FrameRect(const TRect& r) {}
    virtual void FloodFill(double x, double y, TColor color, int style) {}
    virtual void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {}
    virtual void CopyRect(const TRect& dest, int value, const TRect& source) {}
    virtual void DrawFocusRect(const TRect& r) {}
    virtual void BeginDoc() {}
    virtual void EndDoc() {}
    virtual void BeginPage() {}
    virtual void EndPage() {}
    virtual int GetXDPI() { return 72; }
    virtual int GetYDPI() { return 72; }
    virtual std::string GetFileExtension() { return FileExtension; }
    virtual void Render(TStream* stream);
    virtual void Convert(int page);
    virtual void RenderToFile(TStream* stream, const std::string& fileName);
    virtual int XToDevice(double x);
    virtual int YToDevice(double y);
    void RenderFile(const std::string& name);

protected:
    std::string displayName_;
    TStream* input_ = nullptr;
    std::unique_ptr<TStream> ownedInput_;
    TVPConverter* converter_ = nullptr;
    bool busy_ = false;
    friend class TVPConverter;
};

// A renderer that writes an output stream.
class TVPRenderStream : public TVPRender {
public:
    explicit TVPRenderStream(TComponent* owner) : TVPRender(owner) {}
    ~TVPRenderStream() override;
    TStream* OutputStream = nullptr;
    virtual void Print(const std::string& text);
    virtual void PrintLn(const std::string& text) { Print(text + "\r\n"); }
    virtual void CloseStreams();
    void OpenOutputFile(const std::string& fileName);

protected:
    std::unique_ptr<TStream> ownedOutput_;
};

// Registry of renderers, in registration order.
void AddRenderer(const std::string& name, TVPRender* renderer);
void RemoveRenderer(const std::string& name, TVPRender* renderer);
void ListRendererNames(std::vector<std::pair<std::string, TVPRender*>>& list);
std::string BuildRendererFilter();
int RegisteredRendererCount();

struct TVPReportHeader {
    std::string Title;
    int PageCount = 0, FirstPage = 0, LastPage = 0;
    double PaperWidth = 0, PaperHeight = 0;
    double LeftWaste = 0, RightWaste = 0, TopWaste = 0, BottomWaste = 0;
    Byte Orientation = 0;
    SmallInt Bin = 0;
    bool Collate = false;
    Byte Duplex = 0;
    SmallInt Copies = 1, PaperSize = 0, PaperWidthCode = 0, PaperLengthCode = 0;
    std::string OutputName;
};

struct TVPPageRecord {
    Int64 Position = 0;
    std::int32_t PrevPage = 0, NextPage = 0;
    int PageNum = 0;
    double PaperWidth = 0, PaperHeight = 0;
    Byte Orientation = 0;
    SmallInt Bin = 0;
};

class TVPConverter {
public:
    TVPConverter(TStream* stream, TVPRender* renderer);
    ~TVPConverter();

    void Generate(int page);
    // Inches of a text with format codes, each run in its own font.
    double TextWidth(const std::string& text);
    std::string DeviceName() const { return "Render"; }
    std::string DriverName() const { return "Render"; }
    std::string Port() const { return "Render"; }

    int Version = 0;
    TVPReportHeader ReportHeader;
    TVPPageRecord PageRecord;
    int CurrentPage = 0;
    TFont Font;
    TSaveFont FontData;
    TBrush Brush;
    std::unique_ptr<TBitmap> BrushBitmap;
    TPen Pen;
    double CurrentX = 0, CurrentY = 0;
    double LineHeight = 0;
    std::string Hyperlink;
    Byte OrientationRequest = 0;
    std::map<std::string, std::string> Variables;  // upper-cased name
    TDateTime ConvertDateTime = 0;

    void ReadHeader();
    void GotoPage(int page);
    void PlayPage();

private:
    Byte ReadByte();
    SmallInt ReadInt16();
    std::int32_t ReadInt32();
    double ReadReal();
    std::string ReadRawText();
    std::string ReadText();
    std::string Expand(const std::string& text);
    std::string MacroValue(int n);
    void ReadPageRecord();
    // The page numbers of the page records the stream holds, ascending.
    std::vector<int> PageNumbersInStream();
    std::unique_ptr<TGraphic> ReadGraphic();
    std::string ReadVariableValue(int depth);
    TRect ReadRect();
    bool Played();
    void PrintRuns(const std::string& text, double x, double y, TPrintJustify justify);
    void PrintJustifiedRuns(const std::string& text, double x, double y, double width);
    void ApplyRunCodes(const std::string& codes);
    double RunWidth(const std::string& text);

    std::unique_ptr<TStream> buffered_;
    TStream* stream_;
    TVPRender* render_;
    Int64 pagePos_ = 0;
    QImage measureImage_;
};
