#pragma once
// Base of the spreadsheet formats: the text items of every page are laid
// out into sheet rows and columns from their positions, consecutive pages
// are stacked below each other, and the distinct fonts, colours and cell
// attributes are kept in tables a workbook writer turns into records. It
// writes no file itself.

#include <array>
#include <functional>
#include <unordered_map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "docexport/deCstDocEng.h"

class TdeSheetFormatting : public TPersistent {
public:
    // -1 keeps the columns found by the layout; n >= 0 puts n empty
    // columns before each used one.
    Integer ColumnSpacing = -1;
    // -1: a row's index follows its position; n >= 0: n empty rows
    // between consecutive rows.
    Integer RowSpacing = -1;
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    void Assign(const TPersistent* source) override;
};

class TdeSpreadSheetPreferences : public TdePreferences {
public:
    using TdePreferences::TdePreferences;
    bool AutoFormatCells = false;
    bool ApplyAlignment = false;
    bool MultiPass = false;
    bool WordWrap = false;
    bool UseDefaultPalette = false;
    bool ContinuousMode = false;
    void Assign(const TPersistent* source) override;
};

class TdeCellAttrib : public TObject {
public:
    Integer FontIndex = 0;
    Byte Alignment = 0;
    Integer NumberFormat = 0;
    TBrush Brush;
    bool WordWrap = false;
};

// A text item placed in a sheet cell.
class TdeFmTextItem : public TdeTextItem {
public:
    Integer Row = 0;
    Integer Column = 0;
};

// A text given directly at a cell; the layout never moves it.
class TdeSheetTextItem : public TdeFmTextItem {
public:
    Byte AlignmentCode = 0;
    Byte FormatCode = 0;
    bool WordWrap = false;
};

// Cell value kinds found by ParseCellValue.
enum : int {
    cvText = 0, cvInteger = 1, cvDecimal = 2, cvCurrency = 3, cvTime = 4, cvDate = 5,
    cvThousandsInteger = 7, cvThousandsDecimal = 8
};

class TdeCustomSpreadSheetEngine : public TdeCustomDocumentEngine {
public:
    explicit TdeCustomSpreadSheetEngine(TComponent* owner);
    ~TdeCustomSpreadSheetEngine() override;

    TdeSheetFormatting* Formatting() { return &formatting_; }
    TdeSpreadSheetPreferences* Preferences() {
        return static_cast<TdeSpreadSheetPreferences*>(TdeCustomDocumentEngine::Preferences());
    }

    // ---- operations of the spreadsheet formats --------------------------------------
    virtual void SetSheetColumnWidth(Integer column, double width);
    virtual Integer SheetColorIndex(TColor color);
    virtual void NewSheet(bool newPage) {}
    virtual void AddSheetText(Integer row, Integer column, Byte alignment, Byte format, const std::string& text);
    virtual void AddSheetTextEx(Integer row, Integer column, Byte alignment, Byte format, bool wordWrap,
                                const std::string& text);

    Integer SheetFontIndex(const TFont& font);
    Integer CellAttribIndex(Integer fontIndex, Byte alignment, bool wordWrap, const TBrush& brush,
                            Integer format);
    // One of the cv codes; always cvText without AutoFormatCells.
    int ParseCellValue(const std::string& text) const;
    // Sign, digits, exponent and decimal separator only, with "+" after a
    // bare exponent letter.
    static std::string NormalizeNumberText(const std::string& text);
    // Assigns rows and columns to the page's text items (replacing plain
    // items by cell items).
    void LayoutSheetGrid(TdeItemList& list);

    // ---- layout state -----------------------------------------------------------------
    double ColumnWidth() const { return colWidth_; }
    double RowHeight() const { return rowHeight_; }
    Integer BaseRowHeight() const { return baseRowHeight_; }
    Integer PageMaxRow() const { return pageMaxRow_; }
    Integer RowOffset() const { return rowOffset_; }
    void SetRowOffset(Integer r) { rowOffset_ = r; }
    void SetPageMaxRow(Integer r) { pageMaxRow_ = r; }
    const std::vector<std::pair<Integer, double>>& ColumnWidths() const { return columnWidths_; }
    const std::vector<std::unique_ptr<TFont>>& Fonts() const { return fonts_; }
    const std::vector<std::unique_ptr<TdeCellAttrib>>& CellAttribs() const { return attribs_; }
    // The colours in use: the default palette (with added colours) when it
    // is used, otherwise the colour table.
    std::vector<TColor> PaletteColors() const;
    static const std::array<TColor, 56>& DefaultPalette();

    // ---- format hooks -------------------------------------------------------------------
    void StartPage() override;
    void FinishPage() override;
    void StartDocument() override;
    void FinishDocument() override;
    void RenderTextBox(TdeTextBoxItem*) override {}
    // A sheet runs on below the page and anchors what starts left of it
    // at its first column: shapes keep their whole bitmap.
    bool ShapeRasterArea(TdeRect&) override { return false; }
    // Every cell of the rows the page shows becomes a sheet cell (texts)
    // or a picture at the cell's place (images), written at once.
    void RenderTable(TdeTableItem* table) override;
    void SortTextItems(TdeItemList& list) override { LayoutSheetGrid(list); }
    void EndPara() override { EndParaAsTextItems(); }

protected:
    std::unique_ptr<TdePreferences> CreatePreferences() override;
    void ClearTables();
    // Width of the item's trimmed first line in its font.
    double TextWidth(const TdeTextItem* item) const;
    // Height of "W" in the font, measured once per font.
    double LineHeightOf(const TFont& font);
    // Gives every text of the columns a cell of its own: of texts sharing a
    // cell the leftmost (then topmost) keeps it, texts further right move a
    // column right (a column is inserted when that one holds a text on the
    // row) and texts at the same x move a row down.
    void SeparateSharedCells(std::vector<std::vector<TdeFmTextItem*>>& cols,
                             const std::function<void(std::size_t)>& insertColumnAt);

private:
    TdeSheetFormatting formatting_;
    double colWidth_ = 64, rowHeight_ = 16;
    Integer baseRowHeight_ = 16;
    Integer pageMaxRow_ = -1;
    Integer rowOffset_ = 0;
    std::vector<std::pair<std::string, std::unique_ptr<TFont>>> fontKeys_;
    std::vector<std::unique_ptr<TFont>> fonts_;
    std::vector<std::string> fontKeyList_;
    std::vector<std::pair<std::string, TColor>> colors_;
    std::vector<std::string> attribKeys_;
    std::vector<std::unique_ptr<TdeCellAttrib>> attribs_;
    std::vector<TColor> palette_;
    bool paletteReady_ = false;
    std::vector<std::pair<Integer, double>> columnWidths_;
    std::unordered_map<std::string, double> lineHeights_;
};
