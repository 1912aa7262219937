#pragma once
// The print window of the data-aware grid: builds a banded report from the
// grid's visible columns and print properties (title, orientation, lines
// per page, printed columns, column totals, grid formats) and fills its
// detail band one record at a time. One window serves every grid; each
// print setup rebuilds the report.

#include <memory>
#include <string>
#include <vector>

#include "dbgrid/BandReport.h"
#include "grid/TSGrid.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

// The running total of one printed column. Kind: 3 integer, 6 decimal,
// 7 currency.
struct TosReportTotal {
    Integer DataCol = 0;
    Byte Kind = 3;
    double Sum = 0;
    // Adds a printed text: "$" marks currency, "." a decimal, "," and
    // parentheses are dropped; a text with letters adds nothing.
    void Add(const std::string& caption);
    // The total as the summary band shows it.
    std::string Text() const;
};

// One printed column: where it stands on the page.
struct TgrPrintColumn {
    Integer DisplayCol = 0;
    Integer DataCol = 0;
    Integer Left = 0;
    Integer Width = 0;
    // Index of the column's total in Totals(), -1 without one.
    Integer Total = -1;
};

class TgrPrintDbGrid {
public:
    TgrPrintDbGrid();
    ~TgrPrintDbGrid();

    void SetTitle(const std::string& title) { title_ = title; }
    void SetEndText(const std::string& text) { endText_ = text; }
    void SetOrientation(TgrPrintMode mode) { orientation_ = mode; }
    const std::string& Title() const { return title_; }
    const std::string& EndText() const { return endText_; }
    TgrPrintMode Orientation() const { return orientation_; }

    // Builds bands and controls for a grid.
    void BuildReport(TgrCustomDBGrid* grid);
    // The column layout alone: scale, positions, totals.
    void LayOutColumns(TgrCustomDBGrid* grid, Integer printableWidth);
    // Prints or previews the built report; the dataset comes back to its
    // record afterwards, also after an error.
    void PrintReport();
    void PreviewReport();

    double Scale() const { return scale_; }
    Integer RowHeight() const { return rowHeight_; }
    Integer PrintedRecords() const { return printedRecords_; }
    const std::vector<TgrPrintColumn>& Columns() const { return columns_; }
    std::vector<TosReportTotal>& Totals() { return totals_; }
    TgrBandReport& Report() { return report_; }

private:
    void Run(bool preview);
    void NeedData(bool& moreData);
    void FillDetailBand(const Variant& dataRow);
    void ApplyGridFormats(TgrReportControl& label, Integer dataCol, const Variant& dataRow);
    // The image of the grid's image list a picture cell names (a copy), or
    // nullptr.
    std::shared_ptr<TBitmap> ImageListPicture(const std::string& name);
    // A copy of a picture the report keeps, or nullptr for none.
    static std::shared_ptr<TBitmap> PictureCopy(TBitmap* image);
    void ShowTotals();

    TgrCustomDBGrid* grid_ = nullptr;
    TgrBandReport report_;
    std::string title_, endText_;
    TgrPrintMode orientation_ = pmLandscape;
    double scale_ = 1.0;
    Integer rowHeight_ = 0;
    std::vector<TgrPrintColumn> columns_;
    std::vector<TosReportTotal> totals_;
    std::vector<std::string> records_;
    std::size_t recordIndex_ = 1;
    Integer printedRecords_ = 0;
    std::shared_ptr<TBitmap> checked_, unchecked_;
};
