#include "dbgrid/DBGridPrint.h"

#include <cmath>

#include "dbgrid/DBGrid.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include <cctype>

namespace {

// Round half to even, as the report's layout arithmetic does.
Integer RoundEven(double v) { return Integer(std::nearbyint(v)); }

}  // namespace

void TosReportTotal::Add(const std::string& caption) {
    std::string text = Trim(caption);
    if (text.empty()) return;
    for (std::size_t i = text.size(); i-- > 0;) {
        char ch = text[i];
        if (ch == '$') {
            text.erase(i, 1);
            Kind = 7;
        } else if (ch == ',' || ch == '(' || ch == ')') {
            text.erase(i, 1);
        } else if (ch == '.') {
            Kind = 6;
        } else if (std::isalpha(static_cast<unsigned char>(ch)) || std::string("!#%&*^@").find(ch) != std::string::npos) {
            return;
        }
    }
    double v = 0;
    if (!TryStrToFloat(Trim(text), v)) v = 0;
    Sum += v;
}

std::string TosReportTotal::Text() const {
    switch (Kind) {
        case 6: return FormatFloat("#,##0.00;(#,##0.00)", Sum);
        case 7: return FormatFloat("$#,##0.00;($#,##0.00)", Sum);
        default: return std::to_string(RoundEven(Sum));
    }
}

void TgrPrintDbGrid::BuildReport(TgrCustomDBGrid* grid, Integer printableWidth, Integer detailHeight) {
    columns_.clear();
    totals_.clear();
    Integer lines = std::max<Integer>(grid->PrintLinesPerPage(), 1);
    rowHeight_ = RoundEven(double(detailHeight) / double(lines)) - 1;
    Integer printCount = grid->Cols();
    if (grid->PrintCols() > 0 && grid->PrintCols() < grid->Cols()) printCount = grid->PrintCols();
    // Only the columns that are printed count towards the scale.
    double sum = 0;
    for (Integer i = 1; i <= printCount; ++i) {
        TgrCol* col = grid->Col(grid->DataColOfDisplay(i));
        if (col && col->Visible()) sum += col->Width() + 8;
    }
    scale_ = sum > printableWidth && printableWidth > 0 ? sum / double(printableWidth) : 1.0;
    Integer x = 2;
    for (Integer i = 1; i <= printCount; ++i) {
        Integer dataCol = grid->DataColOfDisplay(i);
        TgrCol* col = grid->Col(dataCol);
        if (!col || !col->Visible()) continue;
        if (x + RoundEven(col->Width() / scale_) > printableWidth) break;
        TgrPrintColumn pc;
        pc.DisplayCol = i;
        pc.DataCol = dataCol;
        pc.Left = x;
        pc.Width = col->Width();
        pc.Heading = col->GetHeading();
        pc.Total = grid->PrintTotals() && col->PrintTotals();
        if (pc.Total) totals_.push_back(TosReportTotal{dataCol, 3, 0});
        columns_.push_back(pc);
        x += RoundEven((col->Width() + 8) / scale_);
    }
}

void TgrCustomDBGrid::PreparePrint() {
    printCancelled_ = false;
    std::string title = PrintTitle(), endText;
    TgrPrintMode orientation = PrintOrientation();
    if (OnPrintGrid) OnPrintGrid(this, printCancelled_, title, endText, orientation);
    if (printCancelled_) return;
    if (!printWindow_) printWindow_ = std::make_unique<TgrPrintDbGrid>();
    printWindow_->SetTitle(title);
    printWindow_->SetEndText(endText);
    printWindow_->SetOrientation(orientation);
}

void TgrCustomDBGrid::PrintGrid() { PreparePrint(); }

void TgrCustomDBGrid::PreviewGrid() { PreparePrint(); }
