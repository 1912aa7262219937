#pragma once
// The code-driven report canvas. Report code moves a print cursor over the
// page in user units (inches, millimetres, centimetres, points or a factor
// of its own), prints text at the cursor, at tab stops or at positions,
// draws shapes and breaks lines, columns and pages. Positions are kept in
// inches and turned into device pixels only at output. Every primitive
// that puts something on a page is virtual; the snapshot writer implements
// them by writing records.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/StringList.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Controls.h"
#include "report/PrinterDevice.h"
#include "report/ReportDefs.h"

class TBaseReport;

// Base of the memo printer: reads lines of a long text and prints them.
class TBaseMemoBuf {
public:
    virtual ~TBaseMemoBuf() = default;
    TBaseReport* BaseReport = nullptr;
    bool HardLines = false;
    TPrintJustify Justify = pjLeft;
    bool KeepSpaces = false;
    double PrintStart = 0;
    double PrintEnd = 0;
    virtual std::string GetLine() = 0;
    virtual int MemoLinesLeft() = 0;
    // Prints up to `lines` lines; answers the height printed.
    virtual double PrintLines(int lines, bool useTabs) = 0;
};

// Tab-argument value meaning "the tab's own setting".
inline constexpr int BOXLINENONE = -32768;
inline constexpr int BOXLINEALL = 15;
inline constexpr Byte TabJustifyNone = 4;

class TBaseReport : public TVpComponent {
public:
    explicit TBaseReport(TComponent* owner);
    ~TBaseReport() override;

    // ------------------------------------------------------------- events
    TNotifyEvent OnPrint, OnBeforePrint, OnAfterPrint, OnNewPage, OnNewColumn, OnPrintHeader, OnPrintFooter,
        OnEndOfSection;
    TPrintPageEvent OnPrintPage;
    TDecodeImageEvent OnDecodeImage;

    virtual void DoPrint();
    virtual bool DoPrintPage();
    virtual void DoBeforePrint();
    virtual void DoAfterPrint();
    virtual void DoNewPage();
    virtual void DoNewColumn();
    virtual void DoPrintHeader();
    virtual void DoPrintFooter();
    virtual void DoEndOfSection();

    // ------------------------------------------------------------- device
    // A device for this report; null uses the process's printer device.
    void SetOutputDevice(TVPBaseDevice* device) { outputDevice_ = device; }
    TVPBaseDevice* OutputDevice();
    // True when there is no printer device or it has no printer.
    bool NoPrinter();
    // 0 printer-like output, 1 preview, 2 the snapshot writer.
    virtual int GetOutputKind() { return 0; }
    virtual TCanvas* GetCanvas();
    void UpdateDeviceMetrics();
    int XDPI() const { return xdpi_; }
    int YDPI() const { return ydpi_; }

    // -------------------------------------------------------------- units
    TPrintUnits Units() const { return units_; }
    void SetUnits(TPrintUnits units);
    double UnitsFactor() const { return unitsFactor_; }
    void SetUnitsFactor(double factor);
    double InchesToUnitsX(double v) const { return v * unitsFactor_; }
    double InchesToUnitsY(double v) const { return v * unitsFactor_; }
    double UnitsToInchesX(double v) const { return v / unitsFactor_; }
    double UnitsToInchesY(double v) const { return v / unitsFactor_; }
    int XI2D(double inches) const;
    int YI2D(double inches) const;
    double XD2I(int device) const;
    double YD2I(int device) const;
    int XU2D(double units) const { return XI2D(UnitsToInchesX(units)); }
    int YU2D(double units) const { return YI2D(UnitsToInchesY(units)); }
    double XD2U(int device) const { return InchesToUnitsX(XD2I(device)); }
    double YD2U(int device) const { return InchesToUnitsY(YD2I(device)); }
    TRect UnitsToDeviceRect(double x1, double y1, double x2, double y2) const;

    // ----------------------------------------------------- page geometry
    double GetPageWidth();
    double GetPageHeight();
    double GetLeftWaste() const { return InchesToUnitsX(leftWaste_); }
    double GetRightWaste() const { return InchesToUnitsX(rightWaste_); }
    double GetTopWaste() const { return InchesToUnitsY(topWaste_); }
    double GetBottomWaste() const { return InchesToUnitsY(bottomWaste_); }
    double NoPrinterPageWidth() const { return noPrinterPageWidth_; }
    double NoPrinterPageHeight() const { return noPrinterPageHeight_; }
    void SetNoPrinterPageWidth(double v) { noPrinterPageWidth_ = v; }
    void SetNoPrinterPageHeight(double v) { noPrinterPageHeight_ = v; }

    double MarginLeft() const { return marginLeft_; }
    double MarginRight() const { return marginRight_; }
    double MarginTop() const { return marginTop_; }
    double MarginBottom() const { return marginBottom_; }
    void SetMarginLeft(double x);
    void SetMarginRight(double x);
    void SetMarginTop(double y);
    void SetMarginBottom(double y);

    double SectionLeft() const { return InchesToUnitsX(sectionLeft_); }
    double SectionRight() const { return InchesToUnitsX(sectionRight_); }
    double SectionTop() const { return InchesToUnitsY(sectionTop_); }
    double SectionBottom() const { return InchesToUnitsY(sectionBottom_); }
    void SetSectionLeft(double x);
    void SetSectionRight(double x);
    void SetSectionTop(double y);
    void SetSectionBottom(double y);
    void ResetSection();

    // ---------------------------------------------------------- positions
    double XPos() const { return InchesToUnitsX(cursorX_); }
    double YPos() const { return InchesToUnitsY(cursorY_); }
    void SetXPos(double x);
    void SetYPos(double y);
    void GotoXY(double x, double y);
    int GetCursorXPos() const { return XI2D(cursorX_); }
    int GetCursorYPos() const { return YI2D(cursorY_); }
    double OriginX() const { return InchesToUnitsX(originX_); }
    double OriginY() const { return InchesToUnitsY(originY_); }
    void SetOriginX(double x) { originX_ = UnitsToInchesX(x); }
    void SetOriginY(double y) { originY_ = UnitsToInchesY(y); }
    void PushPos();
    bool PopPos();
    bool SavePos(int n);
    bool RestorePos(int n);

    // -------------------------------------------------------------- lines
    double GetLineHeight() const { return InchesToUnitsY(lineHeight_); }
    void SetLineHeight(double h);
    TLineHeightMethod LineHeightMethod() const { return lineHeightMethod_; }
    void SetLineHeightMethod(TLineHeightMethod m) { lineHeightMethod_ = m; }
    int LinesPerInch() const { return linesPerInch_; }
    void SetLinesPerInch(int n);
    double GetAscentHeight() const { return InchesToUnitsY(ascent_); }
    double GetDescentHeight() const { return InchesToUnitsY(descent_); }
    int LineNum() const { return lineNum_; }
    void SetLineNum(int n);
    virtual void ResetLineHeight();
    void AdjustLine();
    void CR();
    void LF();
    void CRLF() { NewLine(); }
    void NewLine();
    virtual void AfterNewLine() {}
    void SoftLine();
    int LinesLeft();
    int ColumnLinesLeft();
    void GotoHeader();
    void GotoFooter();
    void Home();
    void SetTopOfPage();
    double FontTop();
    double FontBaseline();
    double FontBottom();
    double LineTop();
    double LineMiddle();
    double LineBottom();
    void SetFontTop(double v);
    void SetFontBaseline(double v);
    void SetFontBottom(double v);
    void SetLineTop(double v);
    void SetLineMiddle(double v);
    void SetLineBottom(double v);

    // ------------------------------------------------------------ columns
    void SetColumns(int n, double gap);
    void SetColumnWidth(double width, double gap);
    void ClearColumns();
    void NewColumn();
    int ColumnNum() const { return columnNum_; }
    void SetColumnNum(int n);
    int Columns() const { return columns_; }
    double GetColumnStart() const { return InchesToUnitsX(ColumnStartIn()); }
    double GetColumnEnd() const { return InchesToUnitsX(ColumnStartIn() + columnPitch_ - columnGap_); }
    double GetColumnWidth() const { return InchesToUnitsX(columnPitch_ - columnGap_); }

    // -------------------------------------------------------- run control
    virtual void Execute();
    virtual void NewPage();
    virtual void AbortPage();
    void Abort();
    int CurrentPage() const { return currentPage_; }
    int GetRelativePage() const { return currentPage_ + PageNumOffset; }
    bool PageInvalid() const { return pageInvalid_; }
    bool GetOutputInvalid();
    bool Aborted() const { return aborted_; }
    bool Printing() const { return printing_; }
    bool PageInSelection(int page) const;
    int PageNumOffset = 0;
    int FirstPage = 1;
    int LastPage = 9999;
    std::string Selection;
    int TotalPages() const { return totalPages_; }

    // ------------------------------------------------------------- status
    TControl* StatusLabel() const { return statusLabel_; }
    void SetStatusLabel(TControl* label);
    std::string StatusFormat = "Printing page %p";
    TStringList StatusText;
    int CurrentPass = 1;
    int TotalPasses = 1;
    std::string StatusString();
    void UpdateStatus();

    // -------------------------------------------------- printer settings
    std::string Title = "Vize Report";
    int Copies() const { return copies_; }
    void SetCopies(int n);
    int GetPrinterIndex();
    void SetPrinterIndex(int n);
    const std::string& OutputName() const { return outputName_; }
    void SetOutputName(const std::string& name);
    std::string GetDeviceName();
    std::string GetDriverName();
    std::string GetPort();
    TOrientation Orientation() const { return requestedOrientation_; }
    TOrientation AppliedOrientation() const { return appliedOrientation_; }
    virtual void SetOrientation(TOrientation o);
    bool Collate();
    void SetCollate(bool v);
    TDuplex Duplex();
    void SetDuplex(TDuplex v);
    virtual void SelectBin(const std::string& name);
    void ReapplyMargins();

    // Copies the stored settings and events of another report.
    void Assign(const TBaseReport& source);

    // ----------------------------------------------- pens, brushes, state
    virtual void SetPen(TColor color, TPenStyle style, int width, TPenMode mode);
    virtual void SetBrush(TColor color, TBrushStyle style, TBitmap* bitmap);
    // A new pen; negative widths are hundredths of an inch.
    TPen CreatePen(TColor color, TPenStyle style, int width, TPenMode mode);
    int PenWidthPixels(int width) const;
    // Pattern bitmap of the canvas brush (the platform brush has none).
    TBitmap* BrushBitmap() const { return brushBitmap_.get(); }
    bool NoBufferLine = false;
    virtual void AllowPreviewOnly();
    virtual void AllowPrinterOnly();
    virtual void AllowAll();
    unsigned AllowedKinds() const { return allowedKinds_; }
    virtual void SetFrameMode(Byte mode) { frameMode_ = mode; }
    Byte FrameMode() const { return frameMode_; }
    virtual void SetTextBKMode(TBKMode mode) { textBKMode_ = mode; }
    TBKMode TextBKMode() const { return textBKMode_; }
    virtual void SetBKColor(TColor color);
    TColor GetBKColor();
    virtual void SetScaleX(double p) { scaleX_ = p; }
    virtual void SetScaleY(double p) { scaleY_ = p; }
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }
    bool TransparentBitmaps = false;
    virtual void RegisterGraphic(int n) {}
    virtual void ReuseGraphic(int n) {}
    virtual void UnregisterGraphic(int n) {}
    // Buffered segments of the current page (for tests and the writer).
    const std::vector<TLineList>& HorizontalLines() const { return hLines_; }
    const std::vector<TLineList>& VerticalLines() const { return vLines_; }

    // ------------------------------------------------ drawing primitives
    // Shapes in user units; rectangles and point arrays in device pixels.
    virtual void Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) = 0;
    virtual void Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) = 0;
    virtual void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) = 0;
    virtual void Ellipse(double x1, double y1, double x2, double y2) = 0;
    virtual void Rectangle(double x1, double y1, double x2, double y2) = 0;
    virtual void TabRectangle(double x1, double y1, double x2, double y2) = 0;
    virtual void RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
    virtual void MoveTo(double x, double y) = 0;
    virtual void LineTo(double x, double y) = 0;
    virtual void Polygon(const std::vector<TPoint>& points) = 0;
    virtual void PolyLine(const std::vector<TPoint>& points) = 0;
    virtual void FillRect(const TRect& r) = 0;
    virtual void FrameRect(const TRect& r) = 0;
    virtual void DrawFocusRect(const TRect& r) = 0;
    virtual void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) = 0;
    virtual void TextRect(const TRect& r, double x, double y, const std::string& text) = 0;
    virtual void FloodFill(double x, double y, TColor color, TCanvas::TFillStyle style) = 0;
    virtual void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) = 0;
    virtual void Draw(double x, double y, TGraphic* graphic) = 0;
    virtual void StretchDraw(const TRect& r, TGraphic* graphic) = 0;
    virtual void PrintBitmap(double x, double y, double scaleX, double scaleY, TBitmap* bitmap) = 0;
    virtual void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* bitmap) = 0;
    virtual void PrintImageRect(double x1, double y1, double x2, double y2, TStream* imageStream,
                                const std::string& imageType) = 0;
    virtual void PrintData(const std::string& data) = 0;
    virtual void PrintDataStream(TStream* stream, Int64 count) = 0;
    virtual void BeginDoc() = 0;
    virtual void EndDoc() = 0;

    // --------------------------------------------------------------- text
    virtual void PrintCenterInch(const std::string& text, double x) = 0;
    virtual void PrintLeftInch(const std::string& text, double x) = 0;
    virtual void PrintRightInch(const std::string& text, double x) = 0;
    virtual void PrintBlockInch(const std::string& text, double x, double width) = 0;
    void Print(const std::string& text);
    void PrintLn(const std::string& text);
    void PrintCenter(const std::string& text, double x);
    void PrintLeft(const std::string& text, double x);
    void PrintRight(const std::string& text, double x);
    void PrintBlock(const std::string& text, double x, double width);
    void PrintXY(double x, double y, const std::string& text);
    void PrintCharJustify(const std::string& text, char c, double x);
    void PrintHeader(const std::string& text, TPrintJustify justify);
    void PrintFooter(const std::string& text, TPrintJustify justify);
    void PrintJustify(const std::string& text, TPrintJustify justify, double x, double margin, double width);
    virtual void PrintTab(const std::string& text);
    virtual double TextWidth(const std::string& text);
    std::string TruncateText(const std::string& text, double width);
    virtual TSize GetTextExtent(const std::string& text);
    virtual void PrintMemo(TBaseMemoBuf* memo, int lines, bool useTabs);
    virtual std::string TransformText(const std::string& text) { return text; }
    void SetHyperlink(const std::string& link);
    void ClearHyperlink() { SetHyperlink(""); }
    const std::string& Hyperlink() const { return hyperlink_; }
    virtual void HyperlinkChanged() {}
    // Moves the cursor by a distance in user units along the font rotation.
    void AdvanceCursor(double units);

    // --------------------------------------------------------------- tabs
    void SetTab(double pos, TPrintJustify justify, double width, double margin, Byte lines, Byte shade);
    void ClearTabs();
    void ClearAllTabs();
    void ResetTabs();
    virtual void Tab(int left, int right, int top, int bottom, int shade);
    void FinishTabBox(int width);
    double TabStart(int n);
    double TabEnd(int n);
    double TabWidth(int n);
    bool PushTabs();
    bool PopTabs();
    bool SaveTabs(int n);
    bool RestoreTabs(int n);
    const TTabList* TabList() const { return tabList_.get(); }
    int TabShade = 0;
    Byte TabJustify = TabJustifyNone;
    Byte ParaJustify = TabJustifyNone;
    double FixedTabWidth = 0.5;
    TColor TabColor = clBlack;
    TColor BoxLineColor = clBlack;
    double TextFieldWidth = 0;
    bool IgnoreVPTF = false;
    bool UseDrawText = false;

    // -------------------------------------------------------------- fonts
    const TSaveFont& CurrentFont() const { return font_; }
    virtual void SetFont(const std::string& name, double size);
    void AssignFont(const TFont& font);
    std::string GetFontName() const { return font_.Name; }
    void SetFontName(const std::string& name);
    double GetFontSize() const { return font_.Size; }
    void SetFontSize(double points);
    double GetFontHeight() const { return InchesToUnitsY(font_.Height); }
    void SetFontHeight(double h);
    double GetFontWidth() const { return InchesToUnitsX(font_.Width); }
    void SetFontWidth(double w);
    TColor GetFontColor() const { return font_.Color; }
    void SetFontColor(TColor c);
    TFontPitch GetFontPitch() const { return font_.Pitch; }
    void SetFontPitch(TFontPitch p);
    Byte GetFontCharset() const { return font_.CharSet; }
    void SetFontCharset(Byte c);
    int GetFontAlign() const { return font_.Align; }
    void SetFontAlign(int a);
    int GetFontRotation() const { return font_.Rotation; }
    void SetFontRotation(int degrees);
    bool GetBold() const { return font_.Bold; }
    void SetBold(bool v);
    bool GetUnderline() const { return font_.Underline; }
    void SetUnderline(bool v);
    bool GetItalic() const { return font_.Italic; }
    void SetItalic(bool v);
    bool GetStrikeout() const { return font_.Strikeout; }
    void SetStrikeout(bool v);
    bool GetSuperscript() const { return font_.Superscript; }
    void SetSuperscript(bool v);
    bool GetSubscript() const { return font_.Subscript; }
    void SetSubscript(bool v);
    bool PushFont();
    bool PopFont();
    bool SaveFont(int n);
    bool RestoreFont(int n);
    virtual void FontChanged();
    virtual void HookFontChange();
    virtual void UnhookFontChange();
    // Selects the current font on the canvas (realizing it when needed).
    void SelectRpFont();
    void SelectCanvasFont() { SelectRpFont(); }
    void ReleaseRpFont() {}
    int FontCacheSize() const { return int(fontCache_.size()); }

    // Embedded format codes.
    void ApplyCodesToFont(const std::string& codes);
    void NextRun(const std::string& text, int& position, std::string& plain);
    int TabbedWidth(const std::string& text, int startWidth);
    int CodedTextWidth(const std::string& text);
    double CodedTextHeight(const std::string& text);

    // ------------------------------------------------- macros, variables
    std::string Macro(int id);
    virtual std::string PIVar(const std::string& name) { return {}; }
    virtual void SetPIVar(const std::string& name, const std::string& value) {}
    TStringList MacroData;
    TDateTime ReportDateTime = 0;

    // Page-start and page-end callbacks.
    using TPageHandler = std::function<void(TBaseReport*)>;
    void AddPageStartHandler(TPageHandler h) { pageStartHandlers_.push_back(std::move(h)); }
    void AddPageEndHandler(TPageHandler h) { pageEndHandlers_.push_back(std::move(h)); }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void CheckPrinting();
    void CheckNotPrinting();
    void ApplyOrientation();
    void RunPageStartHandlers();
    void RunPageEndHandlers();
    double ColumnStartIn() const { return (columnNum_ - 1) * columnPitch_ + sectionLeft_; }
    double PageWidthIn();
    double PageHeightIn();
    // Line buffering: true when the segment was buffered.
    void BufferMoveTo(double x, double y);
    // Answers false for a diagonal line that must be output at once, with
    // the start point in `fromX`, `fromY` (user units with origin).
    bool BufferLineTo(double x, double y, double& fromX, double& fromY);
    void AddLine(std::vector<TLineList>& list, double c, double lo, double hi);
    void FlushLines();
    void ResetDrawingState();
    // Realizes and applies a font record (PopFont, RestoreFont).
    void ApplyFontRecord(const TSaveFont& record);
    void PrintPiece(const std::string& text);
    void DrawTabLine(int width, bool ownFlag, const TPen& savedPen, double x1, double y1, double x2, double y2);

    TVPBaseDevice* outputDevice_ = nullptr;
    int xdpi_ = 300, ydpi_ = 300;
    double leftWaste_ = 0, rightWaste_ = 0, topWaste_ = 0, bottomWaste_ = 0;
    TPrintUnits units_ = unInch;
    double unitsFactor_ = 1.0;
    double marginLeft_ = 0, marginRight_ = 0, marginTop_ = 0, marginBottom_ = 0;
    double leftMarginPos_ = 0, rightMarginPos_ = 0, topMarginPos_ = 0, bottomMarginPos_ = 0;
    double sectionLeft_ = 0, sectionRight_ = 0, sectionTop_ = 0, sectionBottom_ = 0;
    double cursorX_ = 0, cursorY_ = 0;
    double originX_ = 0, originY_ = 0;
    double scaleX_ = 100, scaleY_ = 100;
    TLineHeightMethod lineHeightMethod_ = lhmFont;
    int linesPerInch_ = 6;
    double ascent_ = 0, descent_ = 0, lineHeight_ = 0;
    int lineNum_ = 0;
    int columnNum_ = 1, columns_ = 1;
    double columnPitch_ = 0, columnGap_ = 0;
    int currentPage_ = 0;
    int totalPages_ = 0;
    bool pageInvalid_ = false;
    bool aborted_ = false;
    bool printing_ = false;
    int copies_ = 1;
    std::string outputName_;
    TOrientation requestedOrientation_ = poPortrait;
    TOrientation appliedOrientation_ = poPortrait;
    bool collate_ = false;
    TDuplex duplex_ = dupSimplex;
    double noPrinterPageWidth_ = 8.5, noPrinterPageHeight_ = 11.0;
    TControl* statusLabel_ = nullptr;
    std::unique_ptr<std::vector<TPosition>> posStack_;
    std::array<std::optional<TPosition>, 10> posSlots_;
    std::vector<TPageHandler> pageStartHandlers_, pageEndHandlers_;

    // pens, brushes, lines
    std::unique_ptr<TBitmap> brushBitmap_;
    double lastX_ = 0, lastY_ = 0;
    std::vector<TLineList> hLines_, vLines_;
    unsigned allowedKinds_ = 0x1F;
    Byte frameMode_ = 0;
    TBKMode textBKMode_ = bkTransparent;
    TColor bkColor_ = clWhite;

    // text
    TSaveFont font_;
    bool fontDirty_ = true;
    bool fontAssigning_ = false;
    bool tabExpanding_ = false;
    std::unique_ptr<std::vector<TSaveFont>> fontStack_;
    std::array<TSaveFont, 10> fontSlots_;
    std::vector<TSaveFont> fontCache_;
    int nextFontHandle_ = 1;
    std::function<void(TGraphicsObject*)> previousFontChange_;
    bool fontHooked_ = false;
    std::unique_ptr<TTabList> tabList_;
    int curTab_ = -1;
    bool tabPending_ = false;
    bool tabReset_ = true;
    std::vector<std::unique_ptr<TTabList>> tabStack_;
    std::array<std::unique_ptr<TTabList>, 10> tabSlots_;
    std::string hyperlink_;
};

// Whether a page selection ("1,3,5-7", "odd", "10-" ...) selects the page.
// A token that is neither a keyword nor a number raises EConvertError.
bool SelectionContains(const std::string& selection, int page);

// The exception that silently unwinds report code after Abort.
class EReportAbort : public EAbort {
public:
    EReportAbort() : EAbort("Report aborted") {}
};
