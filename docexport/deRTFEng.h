#pragma once
// The RTF writer: the recorded pages become one Rich Text Format document
// (Windows-1252; other characters as \u escapes) with its font and colour
// tables, one section per page, headers and footers, and every text item
// either as an absolutely positioned frame or, for easy editing, as
// tab-separated lines of ordinary paragraphs.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "docexport/deCstPlnEng.h"

enum TdeRTFEncodingType { etPositionalAccuracy = 0, etEaseOfEditing = 1 };

class TdeRTFPreferences : public TdePlainSheetPreferences {
public:
    using TdePlainSheetPreferences::TdePlainSheetPreferences;
    // Picture data as raw bytes after \bin instead of hexadecimal digits.
    bool GraphicDataInBinary = false;
    // A metafile drawn on the engine becomes one picture.
    bool MetafileAsImage = false;
    void Assign(const TPersistent* source) override;
};

class TdeRTFEngine : public TdeCustomPlainsheetEngine {
public:
    explicit TdeRTFEngine(TComponent* owner);
    ~TdeRTFEngine() override;

    TdeRTFPreferences* Preferences() {
        return static_cast<TdeRTFPreferences*>(TdeCustomDocumentEngine::Preferences());
    }
    TdeRTFEncodingType DocumentEncodingType() const { return encoding_; }
    void SetDocumentEncodingType(TdeRTFEncodingType t) { encoding_ = t; }
    // Tiling is not available in RTF: dtTile raises EdeEngineError.
    void SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) override;

    // ---- building blocks (texts in the document's bytes) -------------------------
    // Position + 1 in the colour table (0 is the automatic colour).
    int ColorIndex(TColor color);
    // Position in the font table of the font's face name and character set.
    int FontIndex(const TFont& font);
    std::string FontSpec(const TFont& font);
    static std::string AlignSpec(TdeHAlignment alignment);
    std::string BorderSpec(Integer width, TColor color, TPenStyle style);
    std::string ParaShading(const TBrush& brush);
    std::string CharShading(const TBrush& brush);
    // Texts are built as UTF-8 and converted once, when the file is written.
    // "\" "{" "}" escaped.
    static std::string RTFEscape(const std::string& text);
    // Escaped text; characters beyond the document's code page as \u
    // escapes followed by their byte in the character set's code page ("?"
    // when that has none).
    static std::string EncodeText(const std::string& text, int charset);
    // RTF text (already escaped) in the document's code page; characters it
    // cannot hold as \u escapes with "?" for readers without Unicode.
    static std::string ToDocumentBytes(const std::string& text);
    static bool NeedsEncoding(const TFont& font);
    // Web, mail and file addresses of the text turned into hyperlink fields.
    std::string ConvertLinks(const std::string& text);
    // Appends to the header, footer or body stream by the current band.
    void WriteToBand(const std::string& text);
    double TwipsPerPixel() const { return twipsPerPixel_; }
    // Round(pixels x twips per pixel), halves to even.
    long Twips(double pixels) const;

    // ---- format hooks ---------------------------------------------------------------
    void StartDocument() override;
    void FinishDocument() override;
    void StartPage() override;
    void FinishPage() override;
    std::string SubstitutePageVariables(const std::string& text) override;
    void RenderText(TdeTextItem* item) override;
    void RenderTextList(TdeItemList& list) override;
    void SortTextItems(TdeItemList& list) override;
    void RenderTextBox(TdeTextBoxItem* item) override;
    void RenderParagraph(TdeParagraphItem* item) override;
    void DrawPageBorder() override {}
    int ExecuteSetupDialog() override;

    // ---- pictures, drawing objects and tables --------------------------------------
    // Picture words and data of an image item (the format its settings ask).
    std::string PictureSpec(TdeImageItem* item);
    // The hexadecimal text of a metafile wrapping the bitmap: the records
    // before the bitmap's data, the data, and the end record.
    static std::string WrapBitmapAsMetafile(TBitmap& bitmap);
    std::string FrameBorderSpec(const TPen& pen, const TdeFrame* frame);
    void RenderImage(TdeImageItem* item) override;
    void RenderBitmap(TBitmap* bitmap, double x, double y) override;
    void RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) override;
    void RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                         double y2) override;
    void RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2,
                         double cornerWidth, double cornerHeight) override;
    void RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2, double y2) override;
    void RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen, bool closed) override;
    void RenderTable(TdeTableItem* item) override;
    // Bookmarks and tab lines.
    void RenderOtherItem(TdeDocumentItem* item) override;
    // With MetafileAsImage the metafile becomes one picture item.
    void ProcessMetafile(const TMetafile& metafile, double x, double y) override;
    bool CheckImageFormat(TdeOutputImageFormat format, std::string& message) override;

protected:
    std::unique_ptr<TdePreferences> CreatePreferences() override;
    // Line and fill attributes of drawing objects (pictures and drawing
    // objects extend them).
    virtual std::string LineAttributes(const TPen& pen);
    virtual std::string FillAttributes(const TBrush& brush);
    void WriteBody(const std::string& text);
    void WriteBackgroundImage();

private:
    void Clear();
    // Picture data: hexadecimal digits, or raw bytes after \bin (kept
    // aside until the file is written, so that the code-page conversion of
    // the text never touches them).
    std::string PictureData(const std::vector<std::uint8_t>& bytes, bool binaryAllowed);
    std::string DrawingCorners(double x1, double y1, double x2, double y2);
    std::string GoalSize(TdeOutputImageFormat kind, double w, double h) const;
    std::vector<std::string> binaryData_;
    // Flowing paragraphs were written into the section being built: it
    // then ends with a paragraph of its own, to which the page's
    // positioned frames anchor.
    bool flowing_ = false;

    TdeRTFEncodingType encoding_ = etPositionalAccuracy;
    TStream* out_ = nullptr;
    std::unique_ptr<TFileStream> file_;
    std::string body_, header_, footer_;
    std::vector<std::pair<std::string, int>> fonts_;
    std::vector<std::pair<std::string, TColor>> colors_;
    double twipsPerPixel_ = 15;
    double tabWidth_ = 48;
    std::string lastText_;
    double lastX_ = -1e300, lastY_ = -1e300;
};
