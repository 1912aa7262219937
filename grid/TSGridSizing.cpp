// One column width or row height changed without the grid reacting to its
// own change again; new defaults that every column (row) follows; and the
// resize of all columns (rows) at once that keeps the dragged one where it
// was on the screen.

#include <algorithm>
#include <cmath>

#include "grid/TSGrid.h"
#include "platform/core/MathUtils.h"


bool TgrBaseGrid::SetColWidthIfChanged(Integer displayCol, Integer width) {
    if (displayCol < 0 || displayCol >= ColTotal() || GetColWidthAt(displayCol) == width) return false;
    {
        TgrFlagRaised setting(settingColWidth_);
        SetColWidthAt(displayCol, width);
    }
    ColWidthChanged(displayCol);
    return true;
}

bool TgrBaseGrid::SetRowHeightIfChanged(Integer displayRow, Integer height) {
    if (displayRow < 0 || displayRow >= RowTotal() || GetRowHeightAt(displayRow) == height) return false;
    {
        TgrFlagRaised setting(settingRowHeight_);
        SetRowHeightAt(displayRow, height);
    }
    RowHeightChanged(displayRow);
    return true;
}

void TgrBaseGrid::ColWidthChanged(Integer displayCol) {
    // A hidden column keeps no width on the screen.
    if (displayCol > 0 && gridCols_) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
        if (col && !col->Visible() && GetColWidthAt(displayCol) != 0) {
            TgrFlagRaised setting(settingColWidth_);
            SetColWidthAt(displayCol, 0);
        }
    }
    if (displayCol < FixedColTotal()) {
        RecalcFixedAreaWidth();
        RecheckTopLeft(false);
    }
    UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
}

void TgrBaseGrid::RowHeightChanged(Integer displayRow) {
    if (displayRow > 0 && gridRows_ && displayRow < RowTotal()) {
        Integer dataRow = DataRowOfDisplay(displayRow);
        if (dataRow >= 1 && dataRow <= Rows() && !IsRowVisible(dataRow) && GetRowHeightAt(displayRow) != 0) {
            TgrFlagRaised setting(settingRowHeight_);
            SetRowHeightAt(displayRow, 0);
        }
    }
    if (displayRow < FixedRowTotal()) {
        RecalcFixedAreaHeight();
        RecheckTopLeft(false);
    }
    UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
}

// The base's widths (heights) changed as a whole: the column (row) objects
// take them, hidden ones stay at 0, and the view and a dropped-down list
// follow. Not while the grid itself sets sizes (the objects lead then) nor
// re-entered.
void TgrBaseGrid::SyncColWidths(Integer& lastChanged) {
    lastChanged = 0;
    if (!gridCols_ || settingColWidth_) return;
    for (Integer p = 1; p < ColTotal(); ++p) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(p));
        Integer w = std::max<Integer>(0, GetColWidthAt(p));
        if (!col || (!col->Visible() && w == 0) || col->Width() == w) continue;
        lastChanged = w;
        col->ApplyWidth(w);
    }
}

void TgrBaseGrid::SyncRowHeights(Integer& lastChanged) {
    lastChanged = 0;
    if (!gridRows_ || settingRowHeight_) return;
    for (Integer p = 1; p < RowTotal() && p <= Rows(); ++p) {
        Integer dataRow = DataRowOfDisplay(p);
        TgrRow* row = dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
        Integer h = std::max<Integer>(0, GetRowHeightAt(p));
        if (!row || (!row->Visible() && h == 0) || row->Height() == h) continue;
        lastChanged = h;
        row->ApplyHeight(h);
    }
}

void TgrBaseGrid::ColWidthsUpdated() {
    if (colWidthsUpdating_ || !gridCols_ || !gridRows_) {
        // The outer reaction (or the construction) settles the rest.
        RecalcFixedAreaWidth();
        return;
    }
    TgrFlagRaised updating(colWidthsUpdating_);
    // A width of nothing is no default: every column takes 1 pixel.
    if (DefaultColWidth() <= 0) SetDefaultColWidth(1);
    Integer changed = 0;
    SyncColWidths(changed);
    RecalcFixedAreaWidth();
    RefreshCellControl();
    ColResized(-1);
    // A border dragged in the designer under rcAll sets the default for
    // every column.
    if (IsDesigning() && MouseState() == gstColSizing && resizeCols_ == rcAll && changed > 0 && !sizingDefaultCol_)
        SetDefaultColWidthKeepingCol(changed, false);
    UpdateScrollBars();
    UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
    if (IsDesigning() && !IsReading()) NotifyDesignerModified();
}

void TgrBaseGrid::RowHeightsUpdated() {
    if (rowHeightsUpdating_ || !gridCols_ || !gridRows_) {
        RecalcFixedAreaHeight();
        return;
    }
    TgrFlagRaised updating(rowHeightsUpdating_);
    if (DefaultRowHeight() <= 0) SetDefaultRowHeight(1);
    Integer changed = 0;
    SyncRowHeights(changed);
    RecalcFixedAreaHeight();
    RefreshCellControl();
    RowResized(-1);
    if (IsDesigning() && MouseState() == gstRowSizing && resizeRows_ == rrAll && changed > 0 && !sizingDefaultRow_)
        SetDefaultRowHeightKeepingRow(changed, false);
    UpdateScrollBars();
    UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
    if (IsDesigning() && !IsReading()) NotifyDesignerModified();
}

// A new default width reaches every column (its set width stays, for a
// double-click on its border); a hidden one stays hidden. Scaling and the width setter raise the flag and size the
// columns themselves.
void TgrBaseGrid::FollowDefaultColWidth() {
    if (settingColWidth_ || !gridCols_) return;
    for (Integer p = 1; p < ColTotal(); ++p) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(p));
        if (!col) continue;
        if (col->Width() != DefaultColWidth()) col->ApplyWidth(DefaultColWidth());
        if (!col->Visible()) SetColWidthIfChanged(p, 0);
    }
}

void TgrBaseGrid::FollowDefaultRowHeight() {
    if (settingRowHeight_ || !gridRows_) return;
    for (Integer dataRow = 1; dataRow <= Rows() && dataRow < gridRows_->Count(); ++dataRow) {
        TgrRow* row = gridRows_->GetRow(dataRow);
        if (!row) continue;
        if (row->Height() != DefaultRowHeight()) row->ApplyHeight(DefaultRowHeight());
        Integer display = row->GetDisplayRow();
        if (!row->Visible() && display > 0) SetRowHeightIfChanged(display, 0);
    }
}

Integer TgrBaseGrid::ColsFittingRight(Integer width) {
    Integer fixed = FixedAreaWidth();
    return std::min<Integer>((ClientWidth() - fixed) / std::max<Integer>(width, 1) + 1, ColTotal() - 1);
}

Integer TgrBaseGrid::RowsFittingBelow(Integer height, Integer y) {
    return std::min<Integer>((ClientHeight() - y) / std::max<Integer>(height, 1) + 1, RowTotal() - 1);
}

namespace {

// The first scrolling line that keeps line `index` of the new size `size`
// as near as it can to the pixel `at` (its start before the change), the
// fixed lines taking `fixed` pixels of `room`; `fitting` lines of the new
// size fit, `total` lines exist, `fixedCount` are fixed.
Integer FirstLineKeeping(Integer index, Integer size, Integer at, Integer fixed, Integer room, Integer fitting,
                         Integer total, Integer fixedCount) {
    Integer step = std::max<Integer>(size, 1);
    Integer first = index - Integer(RoundHalfEven(double(at - fixed) / double(step)));
    if (first > index) {
        first = index;
    } else {
        while (first < index && size * (index - first + 1) > room - fixed) ++first;
    }
    if (first + fitting > total) first = total - fitting + (fitting < total - 1 ? 1 : 0);
    return std::max(first, fixedCount);
}

}  // namespace

void TgrBaseGrid::ScrollColToX(Integer col, Integer width, Integer x) {
    if (!HasWindow() || col < FixedColTotal()) return;
    Integer fixed = FixedAreaWidth();
    if (fixed >= ClientWidth()) return;
    Integer left = FirstLineKeeping(col, width, x, fixed, ClientWidth(), ColsFittingRight(width), ColTotal(),
                                   FixedColTotal());
    if (left == TopLeftCell().Col) return;
    TgrUpdateLocked locked(*this);
    SetLeftCol(left);
}

void TgrBaseGrid::ScrollRowToY(Integer row, Integer height, Integer y) {
    if (!HasWindow() || row < FixedRowTotal()) return;
    Integer fixed = FixedAreaHeight();
    if (fixed >= ClientHeight()) return;
    Integer top = FirstLineKeeping(row, height, y, fixed, ClientHeight(), RowsFittingBelow(height, fixed),
                                  RowTotal(), FixedRowTotal());
    if (top == TopLeftCell().Row) return;
    TgrUpdateLocked locked(*this);
    SetTopRow(top);
}

void TgrBaseGrid::SetDefaultColWidthKeepingCol(Integer width, bool keep) {
    Integer col = sizeIndex_;
    Integer left = CellPixels(col, 0).Left;
    {
        // A dragged default is not the one a double-click restores.
        TgrUpdateLocked locked(*this);
        TgrFlagRaised sizing(sizingDefaultCol_);
        SetDefaultColWidth(width);
        UpdateScrollBars();
    }
    if (keep) ScrollColToX(col, width, left);
}

void TgrBaseGrid::SetDefaultRowHeightKeepingRow(Integer height, bool keep) {
    Integer row = sizeIndex_;
    Integer top = CellPixels(0, row).Top;
    {
        TgrUpdateLocked locked(*this);
        TgrFlagRaised sizing(sizingDefaultRow_);
        SetDefaultRowHeight(height);
        UpdateScrollBars();
    }
    if (keep) ScrollRowToY(row, height, top);
}
