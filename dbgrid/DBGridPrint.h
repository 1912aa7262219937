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
#include "platform/core/Component.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

// The running total of one printed column. Kind: 3 integer, 6 decimal,
// 7 currency. Label: the name of the summary label that shows it.
struct TosReportTotal {
    Integer DataCol = 0;
    std::string Label;
    Byte Kind = 3;
    double Sum = 0;
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

// The print window. The program keeps one, made on first use with the
// application as its owner (Shared); it is never shown.
class TfmPrintDbGrid : public TComponent {
public:
    explicit TfmPrintDbGrid(TComponent* owner);
    ~TfmPrintDbGrid() override;
    // The program's print window, made on first use.
    static TfmPrintDbGrid* Shared();
    // The shared window when it was made, else nullptr.
    static TfmPrintDbGrid* SharedIfMade();
    // Forgets a grid that goes away while its report is kept.
    void ForgetGrid(TgrCustomDBGrid* grid);

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
    // The scale that fits the first printCount display columns (visible
    // ones, each with 8 pixels of gap) into the printable width: 1.0 or
    // more.
    double CalcScale(TgrCustomDBGrid* grid, Integer printCount, Integer printableWidth) const;
    // Prints or previews the built report; the dataset comes back to its
    // record afterwards, also after an error.
    void PrintReport();
    void PreviewReport();

    double Scale() const { return scale_; }
    Integer RowHeight() const { return rowHeight_; }
    Integer PrintedRecords() const { return printedRecords_; }
    const std::vector<TgrPrintColumn>& Columns() const { return columns_; }
    std::vector<TosReportTotal>& Totals() { return totals_; }
    TgrBandReport& Report() { return qrGrid; }

    // Adds a printed label's text to its column total: "$" marks currency
    // and "." a decimal, "," and parentheses are dropped, a text with
    // letters adds nothing and one that does not convert adds 0.
    static void AddToTotal(const TgrReportControl& label, TosReportTotal& total);

    // The report's events.
    void qrGridBeforePrint(TObject* sender, bool& printReport);
    void qrGridNeedData(TObject* sender, bool& moreData);
    void qrGridAfterPrint(TObject* sender);
    void qrGridAfterPreview(TObject* sender);

    // The report and its bands.
    TgrBandReport qrGrid;
    TgrReportBand& bnPageHeader = qrGrid.PageHeader;
    TgrReportBand& bnColumnHeader = qrGrid.ColumnHeader;
    TgrReportBand& bnDetail = qrGrid.Detail;
    TgrReportBand& bnSummary = qrGrid.Summary;
    // The shared text source of memo cells: each memo cell's text passes
    // through it on its way into the band.
    TgrReportControl RichEdit1;
    // The check-box pictures: index 0 unchecked, 1 checked.
    std::vector<std::shared_ptr<TBitmap>> ilImages;

private:
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void Run(bool preview);
    // The bookmark of every record, first to last; the dataset comes back
    // to its record with its controls enabled, also after an error.
    void CollectBookmarks();
    void FillDetailBand(const Variant& dataRow);
    void ApplyGridFormats(TgrReportControl& label, Integer dataCol, const Variant& dataRow);
    // The image of the grid's image list a picture cell names (a copy), or
    // nullptr.
    std::shared_ptr<TBitmap> ImageListPicture(const std::string& name);
    // A copy of a picture the report keeps, or nullptr for none.
    static std::shared_ptr<TBitmap> PictureCopy(TBitmap* image);
    void ShowTotals();

    TgrCustomDBGrid* grid_ = nullptr;
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
