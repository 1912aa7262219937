#pragma once
// The abstract base of every document-export engine. A caller opens a
// document with BeginDoc, draws (the engine records page items), starts
// pages with NewPage and closes the document with EndDoc. At the end of the
// document, or after each page when ProcessAfterEachPage is set, every page
// is walked band by band (header, underlay, body, footer, overlay) and each
// item goes to a virtual Render operation that a format engine overrides to
// write its file. The base engine writes nothing itself.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "docexport/deClasses.h"
#include "docexport/deDocItems.h"
#include "docexport/deDocSettings.h"
#include "docexport/deDocUtils.h"
#include "platform/core/StringList.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Metafile.h"

class TdeCustomDocumentEngine;
class IdeDocumentEngine;

// Base of the formats' setup dialogs: the engine it edits is set just
// before the dialog is shown and cleared just after.
class TdeBaseDlg : public TForm {
public:
    using TForm::TForm;
    TdeCustomDocumentEngine* Engine = nullptr;
    // Shows the dialog modally and returns its modal result.
    virtual int Execute() { return ShowModal(); }
};

using TdeNotifyEvent = std::function<void(TObject* sender)>;
using TdeErrorMessageEvent = std::function<void(TObject* sender, const Exception& error)>;
using TdeOnCellDrawEvent = std::function<void(TObject* sender, Integer row, Integer column, TPen& pen,
                                              TBrush& brush, TFont& font, TdeFrame& frame,
                                              TdeHAlignment& align)>;
using TdeOnCalcVariablesEvent =
    std::function<void(TObject* sender, const std::string& variable, std::string& value)>;

// Opens a finished document with its associated program. Replaceable (tests
// record the call instead); the default asks the desktop to open the file.
using TdeDocumentOpener = std::function<void(const std::string& fileName)>;
TdeDocumentOpener SetDocumentOpener(TdeDocumentOpener opener);

inline constexpr int deModalOk = 1;
inline constexpr int deModalCancel = 2;

class TdeCustomDocumentEngine : public TdeComponent {
public:
    explicit TdeCustomDocumentEngine(TComponent* owner);
    ~TdeCustomDocumentEngine() override;

    // ---- published properties ------------------------------------------------
    const std::string& FileExtension() const { return fileExtension_; }
    void SetFileExtension(const std::string& e) { fileExtension_ = e; }
    const std::string& FileDescription() const { return fileDescription_; }
    void SetFileDescription(const std::string& d) { fileDescription_ = d; }
    // The output name without extension; ignored while a document is open.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    Integer InputXRes() const { return inputXRes_; }
    void SetInputXRes(Integer r) { inputXRes_ = r; }
    Integer InputYRes() const { return inputYRes_; }
    void SetInputYRes(Integer r) { inputYRes_ = r; }
    TdeItemsToRender ItemsToRender() const { return itemsToRender_; }
    void SetItemsToRender(TdeItemsToRender i) { itemsToRender_ = i; }
    // Page range such as "1,3,5-12"; empty renders every page.
    const std::string& PagesToRender() const { return pagesToRender_; }
    void SetPagesToRender(const std::string& p) { pagesToRender_ = p; }
    TdeUnitType MeasurementUnit() const { return unit_; }
    // Stores the unit factor and copies it into Page, the text formatting
    // and the table settings.
    void SetMeasurementUnit(TdeUnitType u);
    TdeReferencePoint ReferencePoint() const { return referencePoint_; }
    void SetReferencePoint(TdeReferencePoint r);
    TdeBaseDlg* SetupDialog() const { return setupDialog_; }
    void SetSetupDialog(TdeBaseDlg* dlg);
    TdeDocSettings* Settings() const { return settings_; }
    void SetSettings(TdeDocSettings* s);
    bool AutoPaginate() const { return autoPaginate_; }
    void SetAutoPaginate(bool v) { autoPaginate_ = v; }

    TdeNotifyEvent OnBeforeBeginDoc, OnAfterBeginDoc, OnBeforeEndDoc, OnAfterEndDoc, OnBeforeBeginPage,
        OnAfterBeginPage, OnBeforeEndPage, OnAfterEndPage;
    TdeErrorMessageEvent OnErrorMessage;
    TdeOnCellDrawEvent OnCellDraw;
    TdeOnCalcVariablesEvent OnCalcVariables;

    // ---- drawing attributes and settings ----------------------------------------
    TFont* Font() { return &font_; }
    TFont* DefaultFont() { return &defaultFont_; }
    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }
    TdeTextEffects* TextEffects() { return &effects_; }
    TdeFrame* Frame() { return &frame_; }
    TdeImageSettings* ImageSettings() { return &imageSettings_; }
    TdeTextFormatting* TextFormatting() { return &textFormatting_; }
    TdeTableSettings* TableSettings() { return &tableSettings_; }
    // The engine's own border unless a caller's object was given.
    TdeBorder* PageBorder() { return pageBorder_; }
    void SetPageBorder(TdeBorder* border) { pageBorder_ = border ? border : &ownBorder_; }
    TdePageSettings* Page() { return &page_; }
    TdeDocInfo* DocInfo() { return &docInfo_; }
    TdePreferences* Preferences() { return preferences_.get(); }
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor c) { backgroundColor_ = c; }
    TPicture* BackgroundImage() { return &backgroundImage_; }
    TdeBackgroundDisplayType BackgroundImageDisplayType() const { return displayType_; }
    virtual void SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) { displayType_ = t; }
    // The stream written when OutputToUserStream is on; ignored while a
    // document is open.
    void SetUserStream(TStream* stream);
    TStream* UserStream() const { return userStream_; }
    Integer Rotation() const { return rotation_; }
    TdeHAlignment TextAlignment() const { return textAlignment_; }

    // The interface that drives this engine without knowing its class
    // (deDocEngIntf.h); owned by the engine.
    IdeDocumentEngine* DocumentInterface();

    // ---- state ---------------------------------------------------------------------
    TdeEngineStatus Status() const { return status_; }
    bool Started() const { return started_; }
    int CurrentPage() const { return currentPage_; }
    int PageCount() const { return pageCount_; }
    TdePageItem* PageItem(int pageNo);  // 1-based; null outside or once rendered
    TdeBand CurrentBand() const { return band_; }
    std::uint16_t Capabilities() const { return capabilities_; }
    bool TextSort() const { return textSort_; }
    double TextSortTolerance() const { return textSortTolerance_; }
    // The drawing area in pixels.
    double AreaLeft() const { return left_; }
    double AreaTop() const { return top_; }
    double AreaRight() const { return right_; }
    double AreaBottom() const { return bottom_; }
    bool ParagraphOpen() const { return para_ != nullptr; }
    bool TableOpen() const { return table_ != nullptr; }
    bool InArea(double x, double y) const { return top_ <= y && y < bottom_ && left_ <= x && x < right_; }
    // Current item lists and flow cursor of the band or page being recorded.
    TdeItemList& GraphicItems() { return *graphicItems_; }
    TdeItemList& TextItems() { return *textItems_; }
    double FlowY() const { return flowY_; }
    void SetFlowY(double y) { flowY_ = y; }
    // Every file the format created; the first is the document.
    TStringList& OutputFiles() { return outputFiles_; }
    bool AbortFlag() const { return abortFlag_; }
    void SetAbortFlag(bool v) { abortFlag_ = v; }

    // ---- units ----------------------------------------------------------------------
    double UnitFactorValue() const { return f_; }
    double ToPixelsX(double x) const;
    double ToPixelsY(double y) const;

    // ---- document lifecycle --------------------------------------------------------
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void NewPage();
    // Stores angle mod 360 (keeping its sign); returns angle div 360.
    virtual Integer SetRotation(Integer angle);
    virtual void SetTextAlignment(TdeHAlignment align) { textAlignment_ = align; }

    virtual void BeginHeader() { BeginBand(bdHeader); }
    virtual void EndHeader() { EndBand(); }
    virtual void ClearHeader() { ClearBand(bdHeader); }
    virtual void BeginFooter() { BeginBand(bdFooter); }
    virtual void EndFooter() { EndBand(); }
    virtual void ClearFooter() { ClearBand(bdFooter); }
    virtual void BeginUnderlay() { BeginBand(bdUnderlay); }
    virtual void EndUnderlay() { EndBand(); }
    virtual void ClearUnderlay() { ClearBand(bdUnderlay); }
    virtual void BeginOverlay() { BeginBand(bdOverlay); }
    virtual void EndOverlay() { EndBand(); }
    virtual void ClearOverlay() { ClearBand(bdOverlay); }

    // -1 when no document is open.
    virtual Integer SaveState();
    // -1 restores the last state; a bad index is an EInvalidEngineState.
    virtual void RestoreState(Integer index);
    virtual void ClearStates();
    // Only without ProcessAfterEachPage; a bad number is an
    // EInvalidPageNumber.
    virtual void GotoPage(Integer pageNo);

    // Adds an item to the current text list (plain text items while the
    // text-sort flag is set) or graphics list. The engine owns it from now.
    void AddItem(TdeDocumentItem* item);

    // Renders the current page (when in range) and frees it.
    void RenderPage();
    bool IsPageInRange(int pageNo) const;

    // Deletes an existing file of that name and creates it. On failure:
    // Status 4, the listed output files are deleted, the document is closed
    // and EFileCreateError is raised.
    std::unique_ptr<TFileStream> CreateOutputFile(const std::string& name);
    void DeleteOutputFiles();

    // The registered graphic, or null.
    TGraphic* GetImage(Integer index) const;

    // ---- recording ------------------------------------------------------------------
    // Lengths are in MeasurementUnit, positions relative to the drawing
    // area. Calls outside a document, outside the area or against a
    // disabled capability or item kind record nothing.
    virtual void TextOut(const std::string& text, double x, double y);
    // As TextOut, clipped to rect (converted, not offset by the area).
    virtual void TextRect(const TdeRect& rect, const std::string& text, double x, double y);
    // The characters one by one along the rotation angle; direction 1 moves
    // forward, any other value backward.
    virtual void AngledTextOut(const std::string& text, int direction, double x, double y);
    virtual void TextBox(const TdeRect& rect, const std::string& text, TdeHAlignment hAlign,
                         TdeVAlignment vAlign);
    // Height of the text in the engine font, in the unit.
    double TextHeightUnits(const std::string& text) const;

    virtual void BeginPara();
    // Returns the height left in the unit (0 when nothing is recorded).
    virtual double ParagraphText(const std::string& text);
    virtual void EndPara();
    // Closes the paragraph as one text item per line (spreadsheet formats).
    void EndParaAsTextItems();

    // The columns of the new table (empty when nothing is recorded); the
    // caller sets their widths, titles and alignments.
    virtual std::vector<TdeColumn*> BeginTable(double x, double y, int columnCount);
    // Height left below the new row, in the unit; -1 / F without a table.
    virtual double NewRow(double height);
    virtual double NewRowAuto();
    virtual void TableCellText(int column, const std::string& text);
    virtual void TableCellImage(int column, TGraphic* graphic, double width, double height);
    virtual void EndTable();

    virtual void Line(double x1, double y1, double x2, double y2);
    virtual void Rectangle(double x1, double y1, double x2, double y2, bool fill);
    virtual void Ellipse(double x1, double y1, double x2, double y2, bool fill);
    virtual void RoundRect(double x1, double y1, double x2, double y2, double cornerWidth,
                           double cornerHeight, bool fill);
    virtual void Polygon(const TdePoints& points, bool fill);
    virtual void PolyLine(const TdePoints& points);
    virtual void PolyBezier(const TdePoints& points);
    virtual void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    virtual void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                     bool fill);
    virtual void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                       bool fill);

    // Copies the graphic (bitmap or JPEG image) into the image list; -1
    // outside a document, without the image capability or for an unknown
    // kind (EUnsupportedGraphics).
    virtual Integer RegisterImage(TGraphic* graphic, bool asResource);
    // Registered for the whole document, to be placed with DrawImageIndex.
    virtual Integer AddImage(TGraphic* graphic) { return RegisterImage(graphic, true); }
    virtual void DrawImage(double x, double y, TGraphic* graphic);
    virtual void DrawImageRect(const TdeRect& rect, TGraphic* graphic);
    virtual void DrawImageIndex(const TdeRect& rect, Integer index);
    // Encoded image data (a file's bytes) of the given pixel size.
    virtual void DrawImageStream(const TdeRect& rect, Integer width, Integer height, TStream& stream);
    virtual void DrawGraphicStream(const TdeRect& rect, TGraphic* graphic);

    // ---- recorded pictures -------------------------------------------------------
    // Interprets the metafile into items of the current lists, offset by
    // (x, y) pixels plus the drawing area's corner.
    virtual void ProcessMetafile(const TMetafile& metafile, double x, double y);
    // The metafile's items at the area's corner, or at (x, y) in the unit.
    virtual void PlayMetafile(const TMetafile& metafile);
    virtual void PlayMetafileAt(const TMetafile& metafile, double x, double y);
    // Draws the graphic stretched into the rectangle (in the unit, not
    // offset by the area) of the page's recording picture, whose drawing
    // becomes items when the page is closed.
    virtual void StretchGraphic(const TdeRect& rect, TGraphic* graphic);
    // Canvas of the current page's recording picture; null outside a
    // document.
    TMetafileCanvas* RecordingCanvas() { return recordingCanvas_.get(); }
    // Rich text (a TRichTextDocument, or a memo's text) drawn from startPos
    // up to endPos (negative: the end) into the rectangle of the page's
    // recording picture in the engine's font, continuing on new pages until
    // every character is drawn or the rectangle cannot take one line; the
    // drawing becomes items when the page closes. The file and stream forms
    // load RTF or plain text first (EConvertError for broken RTF).
    void RenderRichText(TObject* control, Integer startPos, double x1, double y1, double x2, double y2,
                        Integer endPos, TColor backColor);
    void RenderRichTextFile(const std::string& fileName, Integer startPos, double x1, double y1, double x2,
                            double y2, Integer endPos, TColor backColor);
    void RenderRichTextStream(TStream& stream, Integer startPos, double x1, double y1, double x2, double y2,
                              Integer endPos, TColor backColor);
    // Image slots for pictures the metafile interpreter finds: a new empty
    // slot's index, a graphic stored into a slot, and dropping the last
    // slot (a picture merged into the one before).
    Integer ReserveImageSlot();
    void StoreImageSlot(Integer index, std::unique_ptr<TGraphic> graphic);
    void DropLastImageSlot();
    // The image item's graphic in a new metafile of the item's size, placed
    // as the item's settings ask, on the item's brush.
    std::unique_ptr<TMetafile> ImageItemToMetafile(TdeImageItem* item);
    // The largest raster worth making on the current page: the page's size
    // in screen pixels, at most kMetafileImageMaxSide a side. What lies
    // beyond it no page shows, so rasters are kept within it.
    TSize PageRasterLimit();
    // The part of the current page, in page pixels, that the bitmaps of
    // shapes are cut to: what lies beyond it the document never shows, so
    // a shape far beyond the page is not drawn at all. False where the
    // format shows shapes beyond the page, or outside a page.
    virtual bool ShapeRasterArea(TdeRect& area);

    // Settings given in the engine's unit.
    void SetTableSettings(const TdeTableSettings& settings);
    void SetTextFormatting(const TdeTextFormatting& formatting);

    // Wraps text into lines no wider than width (firstWidth for the first
    // line), continuing the last line already held; fit keeps the text on
    // one line. Returns the width used.
    int WrapText(const std::string& text, TWideStrings& lines, const TFont& font, bool fit, double firstWidth,
                 double width) const;

    // ---- variables and tags -------------------------------------------------------
    // Fills in date, time and document-information place-holders ("<%ShortDate%>",
    // "<%Title%>", ...), page variables when asked, and caller variables
    // through OnCalcVariables.
    virtual std::string SubstituteVariables(const std::string& text, bool withPageVariables);
    // "<%Pg#%>" and "<%PgCnt%>".
    virtual std::string SubstitutePageVariables(const std::string& text);
    // Text with inline style tags <B> <U> <I> <S> and their closing forms;
    // "/" escapes the next "<" or ">", "//" prints one "/".
    virtual void TaggedTextOut(const std::string& text, double x, double y);
    // Appends the visual order of text (right-to-left runs reversed) to result.
    virtual void ReorderRightToLeft(const std::string& text, std::string& result);

    // Width and height of the text in the font (pixels); an empty text
    // measures as a blank 1 pixel wide.
    TSize TextExtent(const std::string& text, const TFont& font) const;

    // ---- format hooks -------------------------------------------------------------
    virtual void StartPage() {}
    virtual void FinishPage() {}
    virtual void StartDocument() {}
    virtual void FinishDocument() {}
    // Default rendering: text boxes, paragraphs and tables are broken into
    // text items, lines and rectangles that go back through these
    // operations; shapes are drawn into transparent bitmaps handed to
    // RenderBitmap. The base RenderBitmap and RenderText write nothing.
    virtual void RenderText(TdeTextItem* item);
    virtual void RenderTextBox(TdeTextBoxItem* item);
    virtual void RenderParagraph(TdeParagraphItem* item);
    virtual void RenderImage(TdeImageItem* item) {}
    virtual void RenderImageStream(TdeImageStream* item) {}
    virtual void RenderTable(TdeTableItem* item);
    virtual void RenderOtherItem(TdeDocumentItem* item) {}
    virtual void RenderClip(TdeClipItem* item) {}
    virtual void RenderPath(TdePathItem* item) {}
    virtual void RenderPolyPolygon(TdePolyPolygonItem* item);
    virtual void RenderEOF(TdeEOFItem* item) {}
    virtual void RenderPolyDraw(TdePolyDrawItem* item) {}
    virtual void RenderLine(const TPen& pen, double x1, double y1, double x2, double y2);
    virtual void RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                 double y2);
    virtual void RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                               double y2);
    virtual void RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                 double y2, double cornerWidth, double cornerHeight);
    virtual void RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen, bool closed);
    virtual void RenderPolyShape(TdePolyShapeItem* item, bool closed);
    virtual void RenderArc(const TPen& pen, const TdePoints& p);
    virtual void RenderPie(const TPen& pen, const TBrush* brush, const TdePoints& p);
    virtual void RenderChord(const TPen& pen, const TBrush* brush, const TdePoints& p);
    virtual void RenderPolyBezier(const TdePoints& points, const TPen& pen);
    virtual void RenderBitmap(TBitmap* bitmap, double x, double y) {}
    virtual void DrawPageBorder();
    // RenderText for every text item of the list, in order.
    virtual void RenderTextList(TdeItemList& list);
    // Stable sort by Y; with a positive tolerance, items of exactly equal Y
    // are put in X order.
    virtual void SortTextItems(TdeItemList& list);
    // Whether the format can write pictures in that format; when not,
    // message says why.
    virtual bool CheckImageFormat(TdeOutputImageFormat format, std::string& message) { return true; }
    // The format's own setup dialog; the base answers OK.
    virtual int ExecuteSetupDialog() { return deModalOk; }

    // Shape dispatch by type, and poly-shapes by their first shape's type.
    void RenderShape(TdeShapeItem* item);
    void RenderPolyShapeItem(TdePolyShapeItem* item);
    // Frees the items of the list; a table item only once its last page
    // has been rendered (it stands on every page it spans).
    void FreeItems(TdeItemList& list);

    // Lays out the first lines of a box or cell that fit its height as text
    // items (insets: left, top, right, bottom in pixels).
    void LayoutTextLines(TdeTextItem* item, TdeHAlignment hAlign, const std::array<double, 4>& insets,
                         double width, double height, TdeVAlignment vAlign);

    // ---- conversions for formats (the caller owns the result) -----------------------
    // The image item's graphic placed in a bitmap of the item's size as the
    // item's settings and the engine's capabilities ask.
    std::unique_ptr<TBitmap> ImageItemToBitmap(TdeImageItem* item);
    // JPEG file bytes at quality 0-100; a one-pixel-high bitmap is first
    // made two pixels high.
    std::unique_ptr<TMemoryStream> BitmapToJpegStream(TBitmap* bitmap, int quality);
    // Line 0 of the item drawn rotated on a transparent bitmap; the item's
    // X and Y move to the bitmap's top-left corner.
    std::unique_ptr<TBitmap> TextItemToBitmap(TdeTextItem* item);
    // A complete PNG file (truecolour, 8 bits, with the transparent colour
    // in a tRNS chunk) read pixel by pixel from the bitmap.
    std::unique_ptr<TdeExtMemStream> WritePngImage(TBitmap* bitmap, TColor transparentColor);

protected:
    // The rows of a table that the current page shows, as its row
    // distribution says (the title row counts on the table's first page);
    // moves a continued table to the top of the drawing area and marks it
    // finished on its last page. False when the page shows none.
    bool TableRowsOnPage(TdeTableItem* table, int& first, int& count);
    // The preferences object of the format (base: TdePreferences). A format
    // with its own class overrides it and calls InitPreferences from its
    // constructor (the base constructor cannot reach the override).
    virtual std::unique_ptr<TdePreferences> CreatePreferences();
    void InitPreferences();
    void SetCapabilities(std::uint16_t c) { capabilities_ = c; }
    void SetTextSort(bool v) { textSort_ = v; }
    void SetTextSortTolerance(double t) { textSortTolerance_ = t; }
    void Notification(TComponent* component, TOperation operation) override;
    // Engine errors go to OnErrorMessage when assigned; otherwise raised.
    // Returns only when handed to the event.
    template <class E>
    void RaiseEngineError() {
        if (OnErrorMessage) {
            OnErrorMessage(this, E());
            return;
        }
        throw E();
    }
    void UpdateDrawArea();
    TdeBandItem* Band(TdeBand b) const { return bands_[b].get(); }
    // Images registered for the document; entries may be freed (null).
    struct ImageEntry {
        std::unique_ptr<TGraphic> Graphic;
        TMemoryStream* Stream = nullptr;  // owned by its image-stream item
        int Page = 0;                     // page current when registered
    };
    std::vector<ImageEntry> images_;

private:
    // The page's recording picture: opened with each page, interpreted
    // into the page's items when the page is left (when anything was drawn).
    void OpenRecording(const TdePageSettings& page);
    void CloseRecording();
    void BeginBand(TdeBand b);
    void EndBand();
    void ClearBand(TdeBand b);
    void SelectLists(TdeBandItem* owner);
    void RenderItems(TdeItemList& list);
    void RenderBand(TdeBand b, bool sort);
    void Cleanup();
    void FreeAllTables();
    bool TextGuard() const;
    bool ImageGuard() const;
    bool ShapeGuard() const;
    TdePoint PlacePoint(double x, double y) const;
    TdeRect RectToPixels(const TdeRect& r) const;
    double LineHeight(const TFont& font) const;
    void AddShape(TdeShapeType type, const TdePoints& points, bool fill, const TdePoint* cornerSize = nullptr);
    void PlaceImage(TdeRect r, Integer index);
    TdeParagraphItem* NewParagraph(double x, double y) const;
    double NewRowHeight(double requestedPixels, bool automatic);
    void FreeOpenItems();

    // Settings and attributes.
    std::string fileExtension_, fileDescription_, fileName_, pagesToRender_;
    Integer inputXRes_, inputYRes_;
    TdeItemsToRender itemsToRender_ = deAllItems;
    TdeUnitType unit_ = muInches;
    double f_;
    TdeReferencePoint referencePoint_ = vpBand;
    TdeBaseDlg* setupDialog_ = nullptr;
    TdeDocSettings* settings_ = nullptr;
    bool autoPaginate_ = true;
    TFont font_, defaultFont_;
    TPen pen_;
    TBrush brush_;
    TdeTextEffects effects_;
    TdeFrame frame_;
    TdeImageSettings imageSettings_;
    TdeTextFormatting textFormatting_;
    TdeTableSettings tableSettings_;
    TdeBorder ownBorder_;
    TdeBorder* pageBorder_ = &ownBorder_;
    TdePageSettings page_;
    TdeDocInfo docInfo_;
    std::unique_ptr<TdePreferences> preferences_;
    TColor backgroundColor_ = clWhite;
    TPicture backgroundImage_;
    TdeBackgroundDisplayType displayType_ = dtCenter;
    TStream* userStream_ = nullptr;
    Integer rotation_ = 0;
    TdeHAlignment textAlignment_ = haLeft;

    // Document state.
    bool started_ = false;
    TdeEngineStatus status_ = esIdle;
    bool abortFlag_ = false;
    std::uint16_t capabilities_ = capText | capImage | capShape;
    bool textSort_ = false;
    double textSortTolerance_ = 0;
    std::vector<std::unique_ptr<TdePageItem>> pages_;  // index = page - 1; null once freed
    int currentPage_ = 0;
    int pageCount_ = 0;
    std::unique_ptr<TdeBandItem> bands_[5];  // [0] unused: the body is the page
    TdeBand band_ = bdBody;
    TdeItemList* graphicItems_ = nullptr;
    TdeItemList* textItems_ = nullptr;
    double flowY_ = 0;
    TdeBandItem* flowOwner_ = nullptr;  // band or page whose cursor flowY_ is
    TdeItemList scratchGraphics_, scratchText_;  // current lists while no document is open
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    std::vector<std::unique_ptr<TdeEngineState>> states_;
    Integer docState_ = -1;
    TStringList outputFiles_;
    // Table items recorded in this document: each may stand on several
    // pages, so they are freed when their last page is done or at cleanup.
    std::vector<TdeTableItem*> tables_;
    Integer tableCounter_ = -1;
    // Open paragraph and its continuation pieces, open table (owned until
    // they are added to a page).
    TdeParagraphItem* para_ = nullptr;
    std::vector<TdeParagraphItem*> pieces_;
    TdeTableItem* table_ = nullptr;

    std::shared_ptr<IdeDocumentEngine> interface_;
    std::unique_ptr<TMetafile> recording_;
    std::unique_ptr<TMetafileCanvas> recordingCanvas_;

    friend class TdeDocSettings;
};
