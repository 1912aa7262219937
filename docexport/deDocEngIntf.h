#pragma once
// The interface through which the report export bridge drives any document
// engine without knowing its class. The engine gives it out
// (TdeCustomDocumentEngine::DocumentInterface); every entry calls the
// engine's operation of the same name, so a format's overrides apply. The
// engine's owner, not the reference count, decides its lifetime.

#include <string>

#include "docexport/deCstDocEng.h"

class IdeDocumentEngine {
public:
    virtual ~IdeDocumentEngine() = default;

    // Interface basics: this interface has the all-zero identifier and is
    // the only one answered; references do not control the lifetime.
    virtual bool QueryInterface(const std::string& id, IdeDocumentEngine** out) = 0;
    virtual int AddRef() = 0;
    virtual int Release() = 0;

    // Readers: object values are the engine's own objects.
    virtual TColor BackgroundColor() = 0;
    virtual TPicture* BackgroundImage() = 0;
    virtual TdeBackgroundDisplayType BackgroundImageDisplayType() = 0;
    virtual TBrush* Brush() = 0;
    virtual TFont* DefaultFont() = 0;
    virtual std::string FileDescription() = 0;
    virtual TdeDocInfo* DocInfo() = 0;
    virtual std::string FileExtension() = 0;
    virtual std::string FileName() = 0;
    virtual TFont* Font() = 0;
    virtual TdeFrame* Frame() = 0;
    virtual TdeImageSettings* ImageSettings() = 0;
    virtual TdePageSettings* Page() = 0;
    virtual TdeBorder* PageBorder() = 0;
    virtual TPen* Pen() = 0;
    virtual TdePreferences* Preferences() = 0;
    virtual TdeTableSettings* TableSettings() = 0;
    virtual TdeTextFormatting* TextFormatting() = 0;

    // Writers: values are copied into the engine's objects, except that the
    // page border object itself is kept, and table settings and text
    // formatting are given in the engine's unit.
    virtual void SetBackgroundColor(TColor c) = 0;
    virtual void SetBackgroundImage(const TPicture* p) = 0;
    virtual void SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) = 0;
    virtual void SetBrush(const TBrush* b) = 0;
    virtual void SetDefaultFont(const TFont* f) = 0;
    virtual void SetFileDescription(const std::string& d) = 0;
    virtual void SetDocInfo(const TdeDocInfo* d) = 0;
    virtual void SetFileExtension(const std::string& e) = 0;
    virtual void SetFileName(const std::string& n) = 0;
    virtual void SetFont(const TFont* f) = 0;
    virtual void SetFrame(const TdeFrame* f) = 0;
    virtual void SetImageSettings(const TdeImageSettings* s) = 0;
    virtual void SetPage(const TdePageSettings* p) = 0;
    virtual void SetPageBorder(TdeBorder* b) = 0;
    virtual void SetPen(const TPen* p) = 0;
    virtual void SetPreferences(const TdePreferences* p) = 0;
    virtual void SetTableSettings(const TdeTableSettings* s) = 0;
    virtual void SetTextFormatting(const TdeTextFormatting* f) = 0;

    // Document operations.
    virtual void BeginDoc() = 0;
    virtual void EndDoc() = 0;
    virtual void NewPage() = 0;
    virtual void TaggedTextOut(const std::string& text, double x, double y) = 0;
    virtual void AngledTextOut(const std::string& text, int direction, double x, double y) = 0;
    virtual void TextOut(const std::string& text, double x, double y) = 0;
    virtual void TableCellText(int column, const std::string& text) = 0;
    virtual double ParagraphText(const std::string& text) = 0;
    virtual void TextRect(const TdeRect& rect, const std::string& text, double x, double y) = 0;
    virtual void RenderRichText(TObject* control, Integer startPos, double x1, double y1, double x2, double y2,
                                Integer endPos, TColor backColor) = 0;
    virtual void RenderRichTextFile(const std::string& fileName, Integer startPos, double x1, double y1, double x2,
                                    double y2, Integer endPos, TColor backColor) = 0;
    virtual void RenderRichTextStream(TStream& stream, Integer startPos, double x1, double y1, double x2, double y2,
                                      Integer endPos, TColor backColor) = 0;
    virtual void TextBox(const TdeRect& rect, const std::string& text, TdeHAlignment hAlign,
                         TdeVAlignment vAlign) = 0;
    virtual Integer SetRotation(Integer angle) = 0;
    virtual void SetTextAlignment(TdeHAlignment align) = 0;
    virtual void DrawImageStream(const TdeRect& rect, Integer width, Integer height, TStream& stream) = 0;
    virtual void DrawGraphicStream(const TdeRect& rect, TGraphic* graphic) = 0;
    virtual void DrawImage(double x, double y, TGraphic* graphic) = 0;
    virtual void DrawImageRect(const TdeRect& rect, TGraphic* graphic) = 0;
    virtual void DrawImageIndex(const TdeRect& rect, Integer index) = 0;
    virtual void TableCellImage(int column, TGraphic* graphic, double width, double height) = 0;
    virtual Integer AddImage(TGraphic* graphic) = 0;
    virtual void Line(double x1, double y1, double x2, double y2) = 0;
    virtual void Rectangle(double x1, double y1, double x2, double y2, bool fill) = 0;
    virtual void RoundRect(double x1, double y1, double x2, double y2, double cw, double ch, bool fill) = 0;
    virtual void Ellipse(double x1, double y1, double x2, double y2, bool fill) = 0;
    virtual void Polygon(const TdePoints& points, bool fill) = 0;
    virtual void PolyLine(const TdePoints& points) = 0;
    virtual void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) = 0;
    virtual void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                     bool fill) = 0;
    virtual void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                       bool fill) = 0;
    virtual void PolyBezier(const TdePoints& points) = 0;
    virtual void BeginPara() = 0;
    virtual void EndPara() = 0;
    virtual std::vector<TdeColumn*> BeginTable(double x, double y, int columnCount) = 0;
    virtual double NewRow(double height) = 0;
    virtual double NewRowAuto() = 0;
    virtual void EndTable() = 0;
    virtual void PlayMetafile(const TMetafile& metafile) = 0;
    virtual void StretchGraphic(const TdeRect& rect, TGraphic* graphic) = 0;
    virtual void PlayMetafileAt(const TMetafile& metafile, double x, double y) = 0;
    virtual void BeginHeader() = 0;
    virtual void EndHeader() = 0;
    virtual void ClearHeader() = 0;
    virtual void BeginFooter() = 0;
    virtual void EndFooter() = 0;
    virtual void ClearFooter() = 0;
    virtual void BeginUnderlay() = 0;
    virtual void EndUnderlay() = 0;
    virtual void ClearUnderlay() = 0;
    virtual void BeginOverlay() = 0;
    virtual void EndOverlay() = 0;
    virtual void ClearOverlay() = 0;
    virtual Integer SaveState() = 0;
    virtual void RestoreState(Integer index) = 0;
    virtual void ClearStates() = 0;
    virtual void GotoPage(Integer pageNo) = 0;
    virtual TSize TextExtent(const std::string& text, const TFont& font) = 0;
};
