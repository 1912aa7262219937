#pragma once
// The Excel workbook writer: the cells laid out by the spreadsheet engine
// become an Excel 5 (BIFF5) workbook, a "Book" stream in an OLE2 compound
// file. Texts are written in Windows-1252, the code page the workbook
// declares.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "docexport/deCstSprShtEng.h"
#include "platform/core/Streams.h"

class TdeExcelPreferences : public TdeSpreadSheetPreferences {
public:
    using TdeSpreadSheetPreferences::TdeSpreadSheetPreferences;
    Integer PagesPerWorksheet = 0;  // 0: no limit
    bool PrintGridLines = false;
    bool PageMargins = false;
    bool MetafileAsImage = false;
    void Assign(const TPersistent* source) override;
};

enum TdeCellBorderStyle { cbsNone, cbsThin, cbsMedium, cbsDashed, cbsDotted, cbsThick, cbsDouble, cbsHair };

class TdeCellBorder : public TPersistent {
public:
    bool Enabled = false;
    TdeCellBorderStyle Style = cbsNone;
    TColor Color = 0;
    void Assign(const TPersistent* source) override;
};

using TdeOnNeedSheetName = std::function<void(TObject* sender, std::string& sheetName, Integer sheetNo)>;

struct TdeSheetItem {
    std::string Name;
    Int64 Size = 0;  // size of the sheets area after this sheet
};

class TdeCustomExcelEngine : public TdeCustomSpreadSheetEngine {
public:
    explicit TdeCustomExcelEngine(TComponent* owner);
    ~TdeCustomExcelEngine() override;

    TdeExcelPreferences* Preferences() {
        return static_cast<TdeExcelPreferences*>(TdeCustomDocumentEngine::Preferences());
    }
    TdeCellBorder* CellBorder() { return &cellBorder_; }
    TdeOnNeedSheetName OnNeedSheetName;

    // Writes a record header (id, length) and the given 16-bit words.
    static void WriteBiffRecord(Word id, Word length, TStream& stream, const std::vector<Word>& words = {});
    // The compound file holding the Book stream.
    static std::string CompoundFile(const std::string& book);
    static Word PaperSizeCode(TdePaperSize size);

    void StartDocument() override;
    void FinishDocument() override;
    void FinishPage() override;
    void RenderText(TdeTextItem* item) override;
    void NewSheet(bool newPage) override;
    const std::vector<TdeSheetItem>& Sheets() const { return sheets_; }

protected:
    std::unique_ptr<TdePreferences> CreatePreferences() override;
    virtual void WriteDrawingObjects(TStream&) {}
    void WriteWorksheet();
    // The current sheet's record buffer (cells and drawing objects).
    TMemoryStream& CellBuffer() { return cells_; }
    // Rows of the current sheet start at this row of the layout.
    Integer SheetRowBase() const { return sheetRowBase_; }

private:
    void WriteCellXF(TStream& s, Integer font, Integer format, Byte align, const TBrush* brush, bool wrap);
    void WriteFont(TStream& s, const TFont& f);
    std::string WorkbookGlobals();
    void Clear();

    TdeCellBorder cellBorder_;
    TStream* out_ = nullptr;
    std::unique_ptr<TFileStream> file_;
    TMemoryStream sheetsArea_;
    TMemoryStream cells_;
    std::vector<TdeSheetItem> sheets_;
    Integer sheetCount_ = 0;
    Int64 nameLengths_ = 0;
    // Used cell range of the sheet being built; rows are counted from the
    // sheet's first row (a sheet holds at most 65536 rows).
    Integer firstRow_ = -1, lastRow_ = -1, firstCol_ = -1, lastCol_ = -1;
    Integer sheetRowBase_ = 0;
    bool pendingCells_ = false;
    Integer pagesSinceSheet_ = 0;  // pages finished since the last sheet was written
};
