#pragma once
// The PDF renderer: a played snapshot becomes a PDF 1.3 file written byte by
// byte here: header, catalog, outlines, page tree, pages with their content
// streams, procedure set, fonts, patterns, images, document information,
// cross-reference table and trailer. Buffered mode builds the whole file in
// memory and writes it at the end; streaming mode writes each page as it
// ends and patches the page-tree references at the end.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Format.h"
#include "platform/gui/Bitmap.h"
#include "report/Render.h"

enum TPDFFontEncoding { feMacRomanEncoding, feMacExpertEncoding, feWinAnsiEncoding, fePDFDocEncoding, feStandardEncoding };
const char* PDFEncodingName(TPDFFontEncoding encoding);

// Compresses InStream (at 0) into the empty OutStream; the method text may
// be replaced by the handler.
using TCompressEvent = std::function<void(TStream& inStream, TStream& outStream, std::string& compressMethod)>;

class TVPPDFDocInfo : public TPersistent {
public:
    std::string Title, Author, Subject, KeyWords;
    std::string Creator = "Scorvane Reports";
    std::string Producer = "Scorvane";
};

class TVzRenderPDF;

class TVPPDFObject {
public:
    explicit TVPPDFObject(TVzRenderPDF* owner) : Owner(owner) {}
    virtual ~TVPPDFObject() = default;
    // Writes the object's complete text ("n 0 obj" ... "endobj", empty
    // line) into Body.
    virtual void WriteObject() = 0;
    // Objects written right after this one and numbered after it (a font's
    // descriptor and font file, a pattern's resources).
    virtual std::vector<TVPPDFObject*> Dependents() { return {}; }
    int ObjectCount() { return 1 + int(Dependents().size()); }
    TVzRenderPDF* Owner;
    int Number = 0;
    std::string Body;

protected:
    void Line(const std::string& text) { Body += text + "\r\n"; }
    void Begin() { Line(std::to_string(Number) + " 0 obj"); }
    void End() {
        Line("endobj");
        Line("");
    }
};

class TVPPDFPageContent : public TVPPDFObject {
public:
    explicit TVPPDFPageContent(TVzRenderPDF* owner) : TVPPDFObject(owner) { Content = "2 J\r\n"; }
    void WriteObject() override;
    std::string Content;
};

class TVPPDFPage : public TVPPDFObject {
public:
    explicit TVPPDFPage(TVzRenderPDF* owner) : TVPPDFObject(owner), PageContent(owner) {}
    void WriteObject() override;
    std::string Name;
    TVPPDFPageContent PageContent;
    double PageWidth = 8.5, PageHeight = 11;
    TColor FontColor = clBlack, PenColor = clBlack, BrushColor = clWhite;
    std::vector<std::unique_ptr<TVPPDFObject>> Annotations;
    Int64 StreamOffset = 0;  // streaming mode: where the page object starts
    // What the content stream last set; nothing counts as set on a new page.
    TPenStyle LastPenStyle = psSolid;
    TColor LastPenColor = clBlack, LastBrushColor = clWhite, LastFontColor = clBlack;
    TBrushStyle LastBrushStyle = bsSolid;
    double LastLineWidth = 0;
    bool PenStyleSet = false, PenColorSet = false, BrushColorSet = false, BrushStyleSet = false,
         LineWidthSet = false, FontColorSet = false;
};

// Font metrics in thousandths of the em.
struct TVPPDFFontMetrics {
    TTextMetric Text;
    int BBox[4] = {};  // left, top, right, bottom
    int ItalicAngle = 0;  // degrees
    Byte Panose[10] = {};
    bool Embeddable = false;
    int FirstChar = 32, LastChar = 255;
    std::string FileName;  // the font program's file
};

class TVPPDFFontDescriptor : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    virtual void SetMetrics(const TVPPDFFontMetrics& metrics, int missingWidth);
    std::string FontName, FaceName;
    int Flags = 32, BBox[4] = {}, MissingWidth = 0, StemV = 80, StemH = 80, ItalicAngle = 0, CapHeight = 0,
        XHeight = 0, Ascent = 0, Descent = 0, Leading = 0, MaxWidth = 0, AvgWidth = 0;
    Byte Panose[10] = {};
    bool HasFontFile = false;
};

class TVPPDFFontDescriptorComposite : public TVPPDFFontDescriptor {
public:
    using TVPPDFFontDescriptor::TVPPDFFontDescriptor;
    void WriteObject() override;
    void SetMetrics(const TVPPDFFontMetrics& metrics, int missingWidth) override;
    std::string Style;
    TVPPDFObject* FontFileObject = nullptr;  // the embedded program, when there is one
};

class TVPPDFFontFile : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    std::string Program;
};

class TVPPDFFont : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    std::string Subtype = "Type1";
    std::string ResourceName, FaceName, BaseFont;
    TFontStyles Style = 0;
    int Charset = 1;
    SmallInt Widths[256] = {};
    int FirstChar = 32, LastChar = 255;
    virtual bool Composite() const { return false; }
};

class TVPPDFFontTrueType : public TVPPDFFont {
public:
    explicit TVPPDFFontTrueType(TVzRenderPDF* owner);
    void WriteObject() override;
    std::vector<TVPPDFObject*> Dependents() override;
    TVPPDFFontDescriptor Descriptor;
    std::unique_ptr<TVPPDFFontFile> FontFile;
    bool Embeddable = false;
};

class TVPPDFFontDescendant : public TVPPDFFont {
public:
    using TVPPDFFont::TVPPDFFont;
    void WriteObject() override;
    std::string Registry = "Adobe", Ordering = "Identity";
    int Supplement = 1;
    bool Monospaced = false;
    TVPPDFFontDescriptor* Descriptor = nullptr;
    // With an embedded program: the map from character codes to its glyphs,
    // the width of an unmapped code and the widths of every mapped one (the
    // body of the /W array).
    TVPPDFObject* CidMap = nullptr;
    int DefaultWidth = 1000;
    std::string WidthArray;
};

// The glyph of each code of an embedded composite font, two bytes a code.
class TVPPDFCidToGidMap : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    std::string Map;
};

// The ToUnicode map of a composite font: its texts are written as UTF-16
// code units, so each used high byte maps a range of 256 codes to itself.
class TVpPdfUnicode : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    const bool* Used = nullptr;
};

class TVPPDFFontComposite : public TVPPDFFont {
public:
    explicit TVPPDFFontComposite(TVzRenderPDF* owner);
    void WriteObject() override;
    std::vector<TVPPDFObject*> Dependents() override;
    bool Composite() const override { return true; }
    TVPPDFFontDescendant Descendant;
    TVPPDFFontDescriptorComposite Descriptor;
    TVpPdfUnicode Unicode;
    bool Used[256] = {};
    // The embedded program and its glyph map (none when the face has no
    // usable font file).
    std::unique_ptr<TVPPDFFontFile> FontFile;
    std::unique_ptr<TVPPDFCidToGidMap> CidMap;
};

class TVPPDFXObject : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    std::string Name;
    TJPEGImage Image;
    std::string Data;
};

class TVPPDFPatternResource : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
};

class TVPPDFPattern : public TVPPDFObject {
public:
    explicit TVPPDFPattern(TVzRenderPDF* owner) : TVPPDFObject(owner), Resource(owner) {}
    void WriteObject() override;
    std::vector<TVPPDFObject*> Dependents() override { return {&Resource}; }
    std::string Name, Cell;
    TVPPDFPatternResource Resource;
};

class TPDFLink : public TVPPDFObject {
public:
    using TVPPDFObject::TVPPDFObject;
    void WriteObject() override;
    std::string Target;
    double Left = 0, Right = 0, Y1 = 0, Y2 = 0;  // inches, the edges in writing order
    double PageHeight = 11;
};

// A named object of the font, pattern and image lists.
struct TVPPDFNamed {
    std::string Name;
    std::unique_ptr<TVPPDFObject> Object;
};

class TVzRenderPDF : public TVPRenderStream {
public:
    explicit TVzRenderPDF(TComponent* owner);
    ~TVzRenderPDF() override;

    bool UseCompression = false;
    bool EmbedFonts = false;
    TCompressEvent OnCompress;
    int ImageQuality = 90;
    int MetafileDPI = 300;
    TPDFFontEncoding FontEncoding = feWinAnsiEncoding;
    TVPPDFDocInfo DocInfo;
    bool BufferDocument = true;
    bool DisableHyperlinks = false;

    void BeginDoc() override;
    void EndDoc() override;
    void FontChanged(TFont* font) override { FontChangedFlag = true; }
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y) override;
    void Rectangle(double x1, double y1, double x2, double y2) override;
    void FillRect(const TRect& r) override;
    void RoundRect(double x1, double y1, double x2, double y2, double w, double h) override;
    void Ellipse(double x1, double y1, double x2, double y2) override;
    void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) override;
    void PolyLine(const std::vector<std::pair<double, double>>& points) override;
    void Polygon(const std::vector<std::pair<double, double>>& points) override;
    void PrintLeft(const std::string& text, double x, double y) override;
    void PrintCenter(const std::string& text, double x, double y) override;
    void PrintRight(const std::string& text, double x, double y) override;
    void PrintBlock(const std::string& text, double x, double y, double width) override;
    void TextRect(const TRect& r, double x, double y, const std::string& text) override;
    void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) override;
    void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) override;
    void StretchDraw(const TRect& r, TGraphic* graphic) override;
    void Draw(double x, double y, TGraphic* graphic) override;
    // Advances along the text angle by distance - width, then by the width,
    // and prints the text so that it ends at the new point.
    void AdvanceAndPrint(double& x, double& y, double distance, const std::string& text);

    // Fonts: the current PDF font after the report font's changes.
    void SyncFont();
    TVPPDFFont* CurrentFont();
    double CurrentFontSize();
    std::string PdfFontName(const std::string& face, TFontStyles style, int charset);
    bool IsTrueTypeFont(const std::string& face, TFontStyles style, int charset);
    bool NeedsCompositeFont();
    // Inches of the text in the current font.
    double TextWidthInches(const std::string& text);
    static std::string ColorToPdf(TColor color);
    static std::string PatternKey(TBrushStyle style, TColor color);
    void BeginPage() override;
    void EndPage() override;
    void RenderToFile(TStream* stream, const std::string& fileName) override;
    // Formats with "." as the decimal separator and writes to the output.
    void PrintF(const std::string& format, const std::vector<FormatArg>& args);
    void PrintLnF(const std::string& format, const std::vector<FormatArg>& args);

    // The document being written (for page content, fonts and images).
    TVPPDFPage* CurrentPage() const { return currentPage_; }
    const std::vector<std::unique_ptr<TVPPDFPage>>& Pages() const { return pages_; }
    std::vector<TVPPDFNamed>& Fonts() { return fonts_; }
    std::vector<TVPPDFNamed>& Patterns() { return patterns_; }
    std::vector<TVPPDFNamed>& Images() { return images_; }
    int ProcSetNumber() const { return procSetNumber_; }
    int PageTreeNumber() const { return pageTreeNumber_; }
    bool Streaming() const { return !BufferDocument; }
    bool HasImages() const;
    // Writes a stream object's dictionary and data, compressed when asked.
    std::string StreamObject(const std::string& data, const std::string& method);
    bool FontChangedFlag = true;
    static std::string EscapeText(const std::string& text);
    static std::string FormatNumber(const std::string& format, const std::vector<FormatArg>& args);

private:
    void WriteOut(const std::string& bytes);
    Int64 OutPos();
    void MarkObjectOffset();
    void EmitObject(TVPPDFObject& object);
    void WriteHeader();
    void WriteCatalog();
    void WriteOutlines();
    void WritePageTree();
    void WriteProcSet(bool longForm);
    void WriteInfo();
    void WriteTrailer();
    void NumberObjects();
    void FreeDocument();
    void Patch(Int64 offset, const std::string& digits);
    void EmitGroup(TVPPDFObject& object);
    // Fonts
    TVPPDFFont* CreateFont(const std::string& pdfName);
    TVPPDFFont* CreateCompositeFont(const std::string& pdfName, const std::string& face, TFontStyles style,
                                    int charset);
    // The composite font of the face, for texts that the Windows code page
    // cannot hold.
    TVPPDFFont* CompositeFontFor(const TVPPDFFont& font);
    TVPPDFFont* AddFont(std::unique_ptr<TVPPDFFont> font);
    bool ReadMetrics(const std::string& face, TFontStyles style, int charset, TVPPDFFontMetrics& metrics);
    void MeasureWidths(TVPPDFFont& font, const std::string& face, const TVPPDFFontMetrics& metrics, int scale);
    TCanvas& MeasuringCanvas(const std::string& face, TFontStyles style, int charset);
    // Page content
    TPen& ConvPen();
    TBrush& ConvBrush();
    double PtX(double x) const { return x * 72; }
    double PtY(double y) const { return (currentPage_->PageHeight - y) * 72; }
    void Out(const std::string& text) { currentPage_->PageContent.Content += text; }
    void OutLn(const std::string& text) { currentPage_->PageContent.Content += text + "\r\n"; }
    bool PenVisible();
    bool BrushVisible();
    void SetColours();
    void SyncGraphicsState();
    void PaintPath();
    void PaintClosedPath();
    void FlushMove();
    bool pendingMove_ = false;
    double moveX_ = 0, moveY_ = 0;
    void RectPath(double x1, double y1, double x2, double y2);
    void ArcPath(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
    void AddLink(const std::string& target, double left, double y1, double right, double y2);
    std::string AddPattern(TBrushStyle style, TColor color);
    void DrawImage(const QImage& image, double left, double top, double right, double bottom);
    void WritePdfText(const std::string& text, double x, double y);
    void MoveBack(double& x, double& y, double distance);

    TVPPDFFont* currentFont_ = nullptr;
    bool underline_ = false, strikeout_ = false;
    double fontSize_ = 10;
    int rotation_ = 0;
    int imageCounter_ = 0;
    QImage measureImage_;
    std::unique_ptr<TCanvas> measureCanvas_;

    std::unique_ptr<TMemoryStream> memory_;
    TStream* out_ = nullptr;
    std::vector<Int64> xref_;
    std::vector<std::unique_ptr<TVPPDFPage>> pages_;
    std::vector<TVPPDFNamed> fonts_, patterns_, images_;
    TVPPDFPage* currentPage_ = nullptr;
    bool firstPageUsed_ = false;
    int counter_ = 0;
    int catalogNumber_ = 1, outlinesNumber_ = 2, pageTreeNumber_ = 3, procSetNumber_ = 0, infoNumber_ = 0;
};
