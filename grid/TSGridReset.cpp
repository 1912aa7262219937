// Resetting chosen properties of every column, row and cell to their
// defaults (before a layout is loaded, or by the program): selections go
// with id 9, and under rcAll (rrAll) the widths (heights) go back to the
// default every column (row) shares.

#include "grid/GridCellProps.h"
#include "grid/TSGrid.h"

void TgrBaseGrid::ResetProperties(const TgrPropIdSet& ids) {
    ResetColProperties(ids);
    ResetRowProperties(ids);
    ResetCellProperties(ids);
}

void TgrBaseGrid::ResetColProperties(const TgrPropIdSet& ids) {
    if (ids.Empty()) return;
    bool sharedWidth = resizeCols_ == rcAll && ids.Contains(gpWidth);
    {
        TgrUpdateLocked locked(*this);
        if (ids.Contains(gpSelected)) DeselectAllCols();
        TgrPropIdSet own = ids;
        if (resizeCols_ == rcAll) own.Exclude(gpWidth);
        for (Integer c = 1; c <= Cols(); ++c)
            if (TgrCol* col = Col(c)) col->ResetProperties(own);
    }
    if (!sharedWidth) return;
    // Every column follows the default again.
    HideCellControl(true);
    SetDefaultColWidth(savedDefaultColWidth_);
    RefreshCellControl();
}

void TgrBaseGrid::ResetRowProperties(const TgrPropIdSet& ids) {
    if (ids.Empty()) return;
    bool sharedHeight = resizeRows_ == rrAll && ids.Contains(gpHeight);
    {
        TgrUpdateLocked locked(*this);
        if (ids.Contains(gpSelected)) DeselectAllRows();
        TgrPropIdSet own = ids;
        if (resizeRows_ == rrAll) own.Exclude(gpHeight);
        for (Integer r = 1; r <= Rows() && r < gridRows_->Count(); ++r) {
            if (TgrRow* row = gridRows_->GetRow(r)) {
                row->ResetProperties(own);
                gridRows_->ReleaseIfDefault(r);
                continue;
            }
            // A row without an object keeps only its place and its mark.
            if (own.Contains(gpDisplayPos)) SetDisplayRow(r, r);
            if (own.Contains(gpChanged) && IsRowChanged(r)) SetRowChanged(r, false);
        }
    }
    if (!sharedHeight) return;
    HideCellControl(true);
    SetDefaultRowHeight(savedDefaultRowHeight_);
    RefreshCellControl();
}

void TgrBaseGrid::ResetCellProperties(const TgrPropIdSet& ids) {
    if (ids.Empty()) return;
    TgrUpdateLocked locked(*this);
    if (ids.Contains(gpSelected) && gridStatus_ == gsCellsSelected) {
        ClearCellRange();
        MarkSelectChanged(2);
        FireSelectChanged(false);
        RefreshCellControl();
    }
    if (cellProps_) cellProps_->ResetProperties(ids, true);
}
