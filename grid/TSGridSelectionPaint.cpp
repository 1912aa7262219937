// Showing a selection change: the cells of a range, a column or a row are
// repainted in their new selection state, and when the selection grows or
// shrinks only the strips whose state changes are repainted, so that
// dragging a selection repaints little.

#include <algorithm>
#include <exception>

#include "grid/TSGrid.h"

namespace {

// The last column (row) with pixels on the screen: the last fully visible
// one and the one the edge cuts.
Integer LastShown(Integer lastFull, Integer total) { return std::min(lastFull + 1, total - 1); }

// The parts of an area outside the excluded rectangle.
int PartsOutside(const TRect& area, const TRect& exclude, TRect parts[4]) {
    TRect cut;
    if (exclude.IsEmpty() || !IntersectRect(cut, area, exclude)) {
        parts[0] = area;
        return 1;
    }
    return SelectionDifferenceRects(area, cut, parts);
}

}  // namespace

void TgrBaseGrid::PaintCellRange(Integer left, Integer top, TCanvas* dc, bool selected, const TRect& exclude,
                                 Integer bottom, Integer right) {
    if (!HasWindow() || right < left || bottom < top) return;
    // Positions scrolled away between the fixed data lines and the view
    // end at the last fixed data line.
    Integer lastFixedRow = FixedRowTotal() - 1, lastFixedCol = FixedColTotal() - 1;
    if (bottom > lastFixedRow && bottom < TopRow()) bottom = lastFixedRow;
    if (right > lastFixedCol && right < TopLeftCell().Col) right = lastFixedCol;
    if (right < left || bottom < top) return;
    if (!dc) {
        // The window keeps its picture: the range is painted at the next
        // paint message, in the state the selection has then.
        if (IsUpdateSuspended()) {
            invalidatePending_ = true;
            return;
        }
        TRect parts[4];
        int n = PartsOutside(RangePixels({left, top, right, bottom}, true), exclude, parts);
        for (int i = 0; i < n; ++i) InvalidateRect(parts[i]);
        return;
    }
    // A given canvas is painted now, in the given state.
    PaintRange(dc, TCellRange_ts{left, top, right, bottom}, selected, exclude);
}

void TgrBaseGrid::PaintRange(TCanvas* dc, const TCellRange_ts& range, bool selected, const TRect& exclude) {
    if (!dc) return;
    TRect parts[4];
    TCanvas* own = Canvas();
    QImage* ownSurface = own->Surface();
    TRect ownClip = own->ClipRect();
    own->SetSurface(dc->Surface());
    try {
        for (Integer r = range.Top; r <= range.Bottom; ++r)
            for (Integer c = range.Left; c <= range.Right; ++c) {
                TRect cell = CellPixels(c, r);
                if (cell.IsEmpty()) continue;
                int n = PartsOutside(cell, exclude, parts);
                for (int i = 0; i < n; ++i) {
                    own->SetClipRect(parts[i]);
                    DrawGridCell(c, r, selected, cell);
                }
            }
    } catch (...) {
        own->SetSurface(ownSurface);
        own->SetClipRect(ownClip);
        throw;
    }
    own->SetSurface(ownSurface);
    own->SetClipRect(ownClip);
}

void TgrBaseGrid::PaintCell(Integer col, Integer row, TCanvas* dc, bool selected, const TRect& exclude) {
    PaintCellRange(col, row, dc, selected, exclude, row, col);
}

void TgrBaseGrid::PaintColSelection(Integer displayCol, Integer area, TCanvas* dc, bool selected) {
    if (!HasWindow() || displayCol < 0 || displayCol >= ColTotal()) return;
    Integer lastFixedRow = FixedRowTotal() - 1;
    // The heading and the fixed data rows: area 1 the heading cell, 3 with
    // the fixed data rows, 2 the fixed data rows alone.
    if ((headingOn_ && area != 2) || fixedRowCount_ > 0) {
        Integer from = area == 2 ? 1 : 0;
        Integer to = area == 1 ? 0 : lastFixedRow;
        if (from <= to) PaintCellRange(displayCol, from, dc, selected, TRect(), to, displayCol);
    }
    if (area == 2 || area == 3) {
        PaintCellRange(displayCol, TopRow(), dc, selected, TRect(), LastShown(GetLastVisibleRow(), RowTotal()), displayCol);
    }
}

void TgrBaseGrid::PaintRowSelection(Integer displayRow, bool selected, TCanvas* dc) {
    if (!HasWindow() || displayRow < 0 || displayRow >= RowTotal()) return;
    // The row bar and the fixed data columns, then the scrolling columns
    // in view (the one cut by the right edge too).
    Integer lastFixedCol = FixedColTotal() - 1;
    if (rowBarOn_ || fixedColCount_ > 0) PaintCellRange(0, displayRow, dc, selected, TRect(), displayRow, lastFixedCol);
    if (TopLeftCell().Col < ColTotal())
        PaintCellRange(TopLeftCell().Col, displayRow, dc, selected, TRect(), displayRow, ColTotal() - 1);
}

void TgrBaseGrid::PaintRowBarSelection(bool selected) {
    if (!HasWindow() || !rowBarOn_) return;
    if (FixedRowTotal() > 1) PaintCellRange(0, 1, nullptr, selected, TRect(), FixedRowTotal() - 1, 0);
    PaintCellRange(0, TopRow(), nullptr, selected, TRect(), RowTotal() - 1, 0);
}

void TgrBaseGrid::RepaintSelectionChange(Integer left, Integer top, Integer bottom, Integer right) {
    switch (gridStatus_) {
        case gsCellsSelected: RepaintCellRangeChange(left, top, bottom, right); break;
        case gsColsSelected: RepaintColRangeChange(left, top, bottom, right); break;
        case gsRowsSelected: RepaintRowRangeChange(left, top, bottom, right); break;
        default: break;
    }
}

void TgrBaseGrid::RepaintCellRangeChange(Integer left, Integer top, Integer bottom, Integer right) {
    Integer lastCol = std::max<Integer>(1, ColTotal() - 1), lastRow = std::max<Integer>(1, RowTotal() - 1);
    left = std::clamp<Integer>(left, 1, lastCol);
    right = std::clamp<Integer>(right, 1, lastCol);
    top = std::clamp<Integer>(top, 1, lastRow);
    bottom = std::clamp<Integer>(bottom, 1, lastRow);
    const TCellRange_ts& old = cellRange_;
    if (right < left || bottom < top) return;
    bool apart = right < old.Left || left > old.Right || bottom < old.Top || top > old.Bottom;
    if (apart) {
        PaintCellRange(old.Left, old.Top, nullptr, false, TRect(), old.Bottom, old.Right);
        PaintCellRange(left, top, nullptr, true, TRect(), bottom, right);
        return;
    }
    // The rows both spans share carry the side strips.
    Integer commonTop = std::max(top, old.Top), commonBottom = std::min(bottom, old.Bottom);
    // Rows above.
    if (top < old.Top) PaintCellRange(left, top, nullptr, true, TRect(), old.Top - 1, right);
    else if (top > old.Top) PaintCellRange(old.Left, old.Top, nullptr, false, TRect(), top - 1, old.Right);
    // Left strip.
    if (left < old.Left) PaintCellRange(left, commonTop, nullptr, true, TRect(), commonBottom, old.Left - 1);
    else if (left > old.Left) PaintCellRange(old.Left, commonTop, nullptr, false, TRect(), commonBottom, left - 1);
    // Right strip.
    if (right > old.Right) PaintCellRange(old.Right + 1, commonTop, nullptr, true, TRect(), commonBottom, right);
    else if (right < old.Right) PaintCellRange(right + 1, commonTop, nullptr, false, TRect(), commonBottom, old.Right);
    // Rows below.
    if (bottom > old.Bottom) PaintCellRange(left, old.Bottom + 1, nullptr, true, TRect(), bottom, right);
    else if (bottom < old.Bottom) PaintCellRange(old.Left, bottom + 1, nullptr, false, TRect(), old.Bottom, old.Right);
}

void TgrBaseGrid::ClampRangeToView(Integer& left, Integer& top, Integer& bottom, Integer& right, Integer& lastCol,
                                   Integer& lastRow) {
    lastCol = LastShown(LastVisibleCol(), ColTotal());
    lastRow = LastShown(GetLastVisibleRow(), RowTotal());
    left = std::max(left, TopLeftCell().Col);
    top = std::max(top, TopRow());
    right = std::min(right, lastCol);
    bottom = std::min(bottom, lastRow);
}

void TgrBaseGrid::RepaintColRangeChange(Integer left, Integer top, Integer bottom, Integer right) {
    Integer lastCol = 0, lastRow = 0;
    ClampRangeToView(left, top, bottom, right, lastCol, lastRow);
    bool inView = colSelection_->Count() > 0 && colSelection_->First() <= lastCol &&
                  colSelection_->Last() >= TopLeftCell().Col;
    if (!inView || AreNoColsSelected(TopLeftCell().Col, lastCol)) {
        if (left <= right && top <= bottom) PaintCellRange(left, top, nullptr, true, TRect(), bottom, right);
        return;
    }
    for (Integer c = TopLeftCell().Col; c <= lastCol; ++c) {
        bool selected = colSelection_->IsSelected(c);
        bool inRange = c >= left && c <= right;
        if (!inRange) {
            if (selected) PaintColSelection(c, 3, nullptr, false);
        } else if (!selected) {
            PaintCellRange(c, top, nullptr, true, TRect(), bottom, c);
        } else {
            // The heading and the rows above and below the range go.
            PaintColSelection(c, 1, nullptr, false);
            if (top > TopRow()) PaintCellRange(c, TopRow(), nullptr, false, TRect(), top - 1, c);
            if (bottom < lastRow) PaintCellRange(c, bottom + 1, nullptr, false, TRect(), lastRow, c);
        }
    }
}

void TgrBaseGrid::RepaintRowRangeChange(Integer left, Integer top, Integer bottom, Integer right) {
    Integer lastCol = 0, lastRow = 0;
    ClampRangeToView(left, top, bottom, right, lastCol, lastRow);
    bool inView = rowSelection_->Count() > 0 && rowSelection_->First() <= lastRow &&
                  rowSelection_->Last() >= TopRow();
    if (!inView) {
        if (left <= right && top <= bottom) PaintCellRange(left, top, nullptr, true, TRect(), bottom, right);
        return;
    }
    for (Integer r = TopRow(); r <= lastRow; ++r) {
        bool selected = rowSelection_->IsSelected(r);
        bool inRange = r >= top && r <= bottom;
        if (!inRange) {
            if (selected) PaintRowSelection(r, false, nullptr);
        } else if (!selected) {
            PaintCellRange(left, r, nullptr, true, TRect(), r, right);
        } else {
            // The row bar and the parts left and right of the range go.
            if (rowBarOn_) PaintCellRange(0, r, nullptr, false, TRect(), r, 0);
            if (left > TopLeftCell().Col) PaintCellRange(TopLeftCell().Col, r, nullptr, false, TRect(), r, left - 1);
            if (right < lastCol) PaintCellRange(right + 1, r, nullptr, false, TRect(), r, lastCol);
        }
    }
}

TgrSelectionPaintLock::TgrSelectionPaintLock(TgrBaseGrid& g, bool update)
    : grid_(g), locked_(g.UsesSelectionColor()), update_(update), unwinding_(std::uncaught_exceptions()) {
    if (locked_) grid_.LockUpdate();
}

TgrSelectionPaintLock::~TgrSelectionPaintLock() noexcept(false) {
    if (!locked_) return;
    grid_.UnlockUpdate();
    if (!update_ || !grid_.HasWindow()) return;
    // Leaving by an error, the update may not raise another.
    if (std::uncaught_exceptions() != unwinding_) {
        try {
            grid_.Update();
        } catch (...) {
        }
        return;
    }
    grid_.Update();
}

bool TgrBaseGrid::AreNoColsSelected(Integer left, Integer right) {
    for (Integer c = std::max<Integer>(left, 1); c <= right && c < ColTotal(); ++c)
        if (colSelection_->IsSelected(c)) return false;
    return true;
}
