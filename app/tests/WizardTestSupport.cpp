#include "app/tests/WizardTestSupport.h"

#include "dbgrid/DBGrid.h"

TControl* AsControl(TgrDBGrid* grid) { return grid; }

int ColumnOf(TgrDBGrid* grid, const std::string& fieldName) {
    for (Integer c = 1; c <= grid->Cols(); ++c)
        if (TField* f = grid->FieldOfCol(c); f && f->FieldName() == fieldName) return c;
    return 0;
}

std::string ShownCellText(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row) {
    const int col = ColumnOf(grid, fieldName);
    return col ? VarToStr(grid->GetCellValue(col, Variant(row))) : "<no column " + fieldName + ">";
}

TColor ShownCellColor(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row) {
    const int col = ColumnOf(grid, fieldName);
    if (!col) return clNone;
    grid->GetCellValue(col, Variant(row));
    const TColor color = grid->GetCellColor(col, Variant(row));
    return color == grColorNotSet ? grid->Color() : color;
}

bool TypeIntoShownCell(TgrDBGrid* grid, const std::string& fieldName, const TBookmark& row, const std::string& text) {
    const int col = ColumnOf(grid, fieldName);
    const Integer windowRow = grid->WindowPositionOfDataRow(Variant(row));
    if (!col || !windowRow) return false;
    grid->ChangeCurrentCell(grid->GetDisplayCol(col), grid->GetDisplayRow(windowRow));
    return grid->EditCurrentCell(text) && grid->EndCellEdit();
}

int ColumnCount(TgrDBGrid* grid) { return grid->Cols(); }

std::string ColumnHeading(TgrDBGrid* grid, int dataCol) {
    TgrCol* col = grid->Col(dataCol);
    return col ? col->GetHeading() : std::string();
}
