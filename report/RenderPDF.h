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
    // Numbers the object takes (a font with its descriptor takes more).
    virtual int ObjectCount() const { return 1; }
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
