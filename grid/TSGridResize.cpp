// Resizing columns and rows by their borders: the hit test that finds the
// border under the pointer (the resize zone), the start of the dotted
// line that follows the pointer, and the new width or height applied at
// the release. The line itself is drawn in TSGridMoveFeedback.cpp.

#include <algorithm>

#include "grid/TSGrid.h"

namespace {
constexpr Integer kSizeZoneBefore = 2, kSizeZoneAfter = 1;
constexpr Integer kMinColWidth = 2;
}  // namespace

TgrMouseStatus TgrBaseGrid::IsOnSizingZone(Integer x, Integer y, Integer col, Integer row) {
    if (Integer edge = HitTestRowBorder(x, y, col); edge >= 0) {
        sizeIndex_ = edge;
        sizePos_ = CellPixels(0, edge).Top + GetRowHeightAt(edge) - 1;
        sizeOffset_ = sizePos_ - y;
        return edge == 0 ? msHeadingResize : msRowResize;
    }
    if (Integer edge = HitTestColBorder(x, y); edge >= 0) {
        sizeIndex_ = edge;
        // The border pixel: the column's right one, its left one when mirrored.
        const TRect cell = CellPixels(edge, 0);
        sizePos_ = UseRightToLeftAlignment() ? cell.Left : cell.Left + GetColWidthAt(edge) - 1;
        sizeOffset_ = sizePos_ - x;
        return edge == 0 ? msRowBarResize : msColResize;
    }
    return msNone;
}

bool TgrBaseGrid::BeginResizeAtPoint(Integer x, Integer y, Integer row, Integer col) {
    TgrMouseStatus hit = IsOnSizingZone(x, y, col, row);
    if (hit == msNone) return false;
    SetMouseStatus(hit);
    return true;
}

void TgrBaseGrid::StartResizeLine() {
    if (mouseStatus_ < msRowResize || mouseStatus_ > msRowBarResize) return;
    SetMouseCapture(true);
    if (HasWindow()) Update();
    resizeLineShown_ = false;
    MoveResizeLine(sizePos_);
}

// The right border of a column (the row bar's included) under x: from two
// pixels left of its line to one right of it, in the heading row (anywhere
// with ResizeColsInGrid); -1 when none.
Integer TgrBaseGrid::HitTestColBorder(Integer x, Integer y) {
    bool inHeading = headingOn_ && y < GetRowHeightAt(0);
    if (resizeCols_ == rcNone || (!inHeading && !resizeColsInGrid_)) return -1;
    // Mirrored, the edges are found from the right edge.
    if (UseRightToLeftAlignment()) x = ClientWidth() - 1 - x;
    TGridLayout_ts l;
    ComputeLayout(l);
    Integer pos = 0;
    for (Integer c = 0; c < ColTotal() && pos <= x + kSizeZoneBefore; ++c) {
        if (c == FixedColTotal()) c = std::max(c, TopLeftCell().Col);
        if (c >= ColTotal()) break;
        pos += GetColWidthAt(c);
        // The row bar's own border resizes the row bar.
        if ((c >= 1 || rowBarOn_) && x >= pos - 1 - kSizeZoneBefore && x <= pos - 1 + kSizeZoneAfter) return c;
    }
    return -1;
}

// The bottom border of a row (the heading included) within two pixels of
// y, where rows may be resized there; -1 when none.
Integer TgrBaseGrid::HitTestRowBorder(Integer x, Integer y, Integer col) {
    // Row borders are dragged over the row bar (anywhere with
    // ResizeRowsInGrid); the heading's own border also across the heading.
    bool headingEdge = headingOn_ && y < GetRowHeightAt(0) && y >= GetRowHeightAt(0) - 2;
    if (resizeRows_ == rrNone || (col != 0 && !resizeRowsInGrid_ && !headingEdge)) return -1;
    Integer b = -1;
    for (Integer r = 0; r < RowTotal(); ++r) {
        if (r == FixedRowTotal()) r = std::max(r, TopLeftCell().Row);
        if (r >= RowTotal()) break;
        Integer h = GetRowHeightAt(r);
        if (h <= 0) continue;
        b += h;
        if (b - 2 >= ClientHeight()) break;
        if (y >= b - 2 && y <= b + 2) return r == 0 && !headingOn_ ? -1 : r;
    }
    return -1;
}

void TgrBaseGrid::FinishRowResize(Integer x, Integer y, bool released) {
    // Given up, the line alone goes (removed with the status).
    if (!released) return;
    Integer top = CellPixels(0, sizeIndex_).Top;
    Integer line = std::min<Integer>(y + sizeOffset_, ClientHeight());
    if (borderDoubleClick_ && line + 1 == top + GetRowHeightAt(sizeIndex_)) {
        // Released where it was pressed: the height set other than by
        // dragging comes back.
        Integer rest = sizeIndex_ == 0       ? restHeadingHeight_
                       : resizeRows_ == rrAll ? savedDefaultRowHeight_
                                              : gridRows_->GetRequestedHeight(DataRowOfDisplay(sizeIndex_));
        line = top + rest - 1;
    }
    // A line at or above the row's top changes nothing.
    if (line <= top) return;
    Integer height = line + 1 - top;
    if (height == GetRowHeightAt(sizeIndex_)) return;
    if (sizeIndex_ == curDisplayRow_ || resizeRows_ == rrAll) HideCellControl(true);
    if (sizeIndex_ == 0) {
        sizingHeading_ = true;
        SetHeadingHeight(height);
        sizingHeading_ = false;
    } else if (resizeRows_ == rrAll) {
        SetDefaultRowHeightKeepingRow(height, true);
    } else if (TgrRow* row = gridRows_->EnsureRow(DataRowOfDisplay(sizeIndex_))) {
        // The set height stays, for a double-click on the border to restore.
        row->ApplyHeight(height);
    }
    RecheckTopLeft(true);
}

void TgrBaseGrid::FinishColResize(Integer x, bool released) {
    if (!released) return;
    // Measured from the column's fixed edge, the right one when mirrored.
    TRect cell = CellPixels(sizeIndex_, 0);
    bool mirrored = UseRightToLeftAlignment();
    Integer left = mirrored ? ClientWidth() - cell.Right : cell.Left;
    Integer line = std::min<Integer>(x + sizeOffset_, ClientWidth());
    Integer edge = mirrored ? ClientWidth() - 1 - line : line;
    TgrCol* col = sizeIndex_ >= 1 ? gridCols_->ColAt(DataColOfDisplay(sizeIndex_)) : nullptr;
    if (borderDoubleClick_ && edge + 1 == left + GetColWidthAt(sizeIndex_)) {
        // Released where it was pressed: the width set other than by
        // dragging comes back.
        Integer rest = sizeIndex_ == 0 ? restRowBarWidth_
                   : resizeCols_ == rcAll || !col ? savedDefaultColWidth_
                                                  : col->RequestedWidth();
        edge = left + rest - 1;
    }
    // A line at or beyond the column's fixed edge changes nothing.
    if (edge <= left) return;
    Integer width = std::max<Integer>(kMinColWidth, edge + 1 - left);
    if (sizeIndex_ == 0) {
        if (width == GetColWidthAt(0)) return;
        sizingRowBar_ = true;
        struct EndSizing {
            bool& flag;
            ~EndSizing() { flag = false; }
        } end{sizingRowBar_};
        SetRowBarWidth(width);
        RecheckTopLeft(true);
        return;
    }
    if (width == GetColWidthAt(sizeIndex_)) return;
    if (resizeCols_ == rcAll) {
        // Every column takes the new width; the dragged one stays
        // near where it began.
        HideCellControl(true);
        SetDefaultColWidthKeepingCol(width, true);
        RecheckTopLeft(true);
        RefreshCellControl();
    } else if (col) {
        // The set width stays, for a double-click on the border to
        // restore; the column reports its own resize.
        col->ApplyWidth(width);
        RecheckTopLeft(true);
    }
}
