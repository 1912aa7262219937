#pragma once
// The print window of the data-aware grid: builds a tabular report from
// the grid's visible columns and print properties (title, orientation,
// lines per page, column totals) and fills it one record at a time.

#include <string>
#include <vector>

#include "grid/TSGrid.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

// The running total of one printed column. Kind: 3 integer, 6 decimal,
// 7 currency.
struct TosReportTotal {
    Integer DataCol = 0;
    Byte Kind = 3;
    double Sum = 0;
    // Adds a printed text: "$" marks currency, "." a decimal, "," is
    // dropped; a text with letters adds nothing.
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
    std::string Heading;
    bool Total = false;
};

class TgrPrintDbGrid {
public:
    TgrPrintDbGrid() = default;

    void SetTitle(const std::string& title) { title_ = title; }
    void SetEndText(const std::string& text) { endText_ = text; }
    void SetOrientation(TgrPrintMode mode) { orientation_ = mode; }
    const std::string& Title() const { return title_; }
    const std::string& EndText() const { return endText_; }
    TgrPrintMode Orientation() const { return orientation_; }

    // Lays out the report for a grid on a page of the given printable
    // width and detail height (report pixels).
    void BuildReport(TgrCustomDBGrid* grid, Integer printableWidth, Integer detailHeight);
    double Scale() const { return scale_; }
    Integer RowHeight() const { return rowHeight_; }
    const std::vector<TgrPrintColumn>& Columns() const { return columns_; }
    std::vector<TosReportTotal>& Totals() { return totals_; }

private:
    std::string title_, endText_;
    TgrPrintMode orientation_ = pmLandscape;
    double scale_ = 1.0;
    Integer rowHeight_ = 0;
    std::vector<TgrPrintColumn> columns_;
    std::vector<TosReportTotal> totals_;
};
