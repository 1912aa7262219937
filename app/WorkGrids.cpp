#include "app/WorkGrids.h"

#include "dbgrid/DBGrid.h"

std::vector<TWorkGridColumn> ErrorsGridColumns() {
    return {{"QNo", "Q", 31, false}, {"Val", "V", 17, false}, {"RghtVal", "A", 17, true}};
}

TColor ErrorsCellColor(int dataCol, TColor rowColor) { return dataCol == 3 ? clNone : rowColor; }

TgrDBGrid* NewWorkGrid(TComponent* owner, TWinControl* parent, const char* name, TWorkGrid kind,
                       TDataSource* source) {
    auto* grid = new TgrDBGrid(owner);
    grid->SetName(name);
    grid->SetParent(parent);
    // Shared by every grid of the wizard.
    grid->SetCellSelectMode(cmNone);
    grid->SetCheckBoxStyle(stCheck);
    grid->SetExactRowCount(true);
    TFont heading;
    heading.SetName("MS Sans Serif");
    heading.SetHeight(-11);
    heading.SetCharset(0);  // ANSI
    grid->SetHeadingFont(heading);
    grid->SetPrintLinesPerPage(40);
    grid->SetPrintOrientation(pmLandscape);
    grid->SetPrintTotals(true);
    grid->SetPrintCols(0);
    grid->SetPrintWithGridFormats(true);
    grid->SetRowChangedIndicator(riAutoReset);
    grid->SetRowMoving(false);
    grid->SetProvideGridMenu(true);
    if (kind != wgData) grid->SetDatasetType(dstStandard);
    if (kind == wgErrors) {
        grid->SetColSelectMode(csNone);
        grid->SetScrollBars(ssVertical);
        grid->SetFieldState(fsCustomized);
        const std::vector<TWorkGridColumn> columns = ErrorsGridColumns();
        grid->SetCols(static_cast<Integer>(columns.size()));
        for (std::size_t i = 0; i < columns.size(); ++i) {
            TgrCol* col = grid->Col(static_cast<Integer>(i + 1));
            col->SetFieldName(columns[i].FieldName);
            col->SetHeading(columns[i].Heading);
            col->SetWidth(columns[i].Width);
            if (columns[i].LeftAligned) col->SetHorzAlignment(htaLeft);
            col->SetPrintTotals(false);
        }
    }
    // Bound last: the columns follow the table's fields from here on.
    grid->SetDataSource(source);
    return grid;
}
