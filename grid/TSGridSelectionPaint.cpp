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

Integer TgrBaseGrid::LastShownCol() { return LastShown(LastVisibleCol(), ColTotal()); }
Integer TgrBaseGrid::LastShownRow() { return LastShown(GetLastVisibleRow(), RowTotal()); }

bool TgrBaseGrid::IsShownCol(Integer displayCol) {
    return displayCol >= 1 && displayCol <= LastShownCol() &&
           (displayCol < FixedColTotal() || displayCol >= TopLeftCell().Col);
}

bool TgrBaseGrid::IsShownRow(Integer displayRow) {
    return displayRow >= 1 && displayRow <= LastShownRow() && (displayRow < FixedRowTotal() || displayRow >= TopRow());
}

void TgrBaseGrid::InvertOrInvalidateRect(TCanvas* dc, const TRect& rect) {
    if (rect.IsEmpty()) return;
    if (!CanPaintNow()) {
        InvalidateRect(rect);
        return;
    }
    TCopyMode old = dc->CopyMode();
    dc->SetCopyMode(cmDstInvert);
    dc->CopyRect(rect, dc, rect);
    dc->SetCopyMode(old);
}

// Every cell of the range is shown in the given state now: a canvas other
// than the window's is drawn cell by cell; on the window a plain selection
// look is the range inverted, a selection colour redraws each cell. While a
// cell is drawn it answers the forced state.
void TgrBaseGrid::PaintSelectionRange(TCanvas* dc, Integer left, Integer top, Integer right, Integer bottom,
                                      bool selected, const TRect& clip) {
    TRect area;
    if (!IntersectRect(area, RangePixels({left, top, right, bottom}, true), clip)) return;
    bool window = dc == Canvas();
    if (window && !CanPaintNow()) {
        InvalidateRect(area);
        return;
    }
    if (window && !UsesSelectionColor()) {
        InvertOrInvalidateRect(dc, area);
        return;
    }
    TCanvas* own = Canvas();
    QImage* ownSurface = own->Surface();
    TRect ownClip = own->ClipRect();
    if (!window) own->SetSurface(dc->Surface());
    struct Restore {
        TgrBaseGrid& g;
        TCanvas* own;
        QImage* surface;
        TRect clip;
        bool window;
        ~Restore() {
            g.forcedCell_ = {-1, -1};
            if (!window) own->SetSurface(surface);
            own->SetClipRect(clip);
        }
    } restore{*this, own, ownSurface, ownClip, window};
    for (Integer r = top; r <= bottom; ++r)
        for (Integer c = left; c <= right; ++c) {
            TRect cell = CellPixels(c, r), part;
            if (cell.IsEmpty() || !IntersectRect(part, cell, area)) continue;
            forcedCell_ = {c, r};
            forcedSelected_ = selected;
            own->SetClipRect(part);
            DrawGridCell(c, r, selected, cell);
        }
}

void TgrBaseGrid::PaintCellRangeOn(Integer left, Integer top, Integer bottom, Integer right) {
    PaintCellRange(left, top, nullptr, true, TRect(), bottom, right);
}

void TgrBaseGrid::PaintCellRangeOff(Integer left, Integer top, Integer bottom, Integer right) {
    PaintCellRange(left, top, nullptr, false, TRect(), bottom, right);
}

void TgrBaseGrid::PaintRowRangeSelection(Integer from, Integer to, bool asIs) {
    if (!HasWindow()) return;
    Integer step = to < from ? -1 : 1;
    for (Integer r = from;; r += step) {
        if (IsShownRow(r)) PaintRowSelection(r, IsDisplayRowSelected(r) == asIs, nullptr);
        if (r == to) break;
    }
}

void TgrBaseGrid::PaintSelectedRows(Integer from, Integer to, bool state) {
    if (!HasWindow()) return;
    if (to < from) std::swap(from, to);
    for (Integer r = std::max<Integer>(from, 1); r <= std::min(to, LastShownRow()); ++r)
        if (IsShownRow(r) && IsDisplayRowSelected(r)) PaintRowSelection(r, state, nullptr);
}

void TgrBaseGrid::PaintRowsHighlighted(Integer from, Integer to) {
    if (!HasWindow()) return;
    if (to < from) std::swap(from, to);
    for (Integer r = std::max<Integer>(from, 1); r <= std::min(to, LastShownRow()); ++r)
        if (IsShownRow(r) && !IsDisplayRowSelected(r) && IsRowVisible(DataRowOfDisplay(r)))
            PaintRowSelection(r, true, nullptr);
}

// The columns of a range in view, walked in either order.
void TgrBaseGrid::ForShownCols(Integer from, Integer to, const std::function<void(Integer, bool)>& paint) {
    if (!HasWindow()) return;
    if (to < from) std::swap(from, to);
    for (Integer c = std::max<Integer>(from, 1); c <= std::min(to, LastShownCol()); ++c)
        if (IsShownCol(c)) paint(c, colSelection_->IsSelected(c));
}

void TgrBaseGrid::PaintColRangeSelection(Integer from, Integer to, bool asIs) {
    ForShownCols(from, to, [&](Integer c, bool sel) { PaintColSelection(c, 3, nullptr, sel == asIs); });
}

void TgrBaseGrid::PaintSelectedColsOn(Integer from, Integer to) {
    ForShownCols(from, to, [&](Integer c, bool sel) {
        if (sel) PaintColSelection(c, 3, nullptr, true);
    });
}

void TgrBaseGrid::PaintSelectedColsOff(Integer from, Integer to) {
    ForShownCols(from, to, [&](Integer c, bool sel) {
        if (sel) PaintColSelection(c, 3, nullptr, false);
    });
}

void TgrBaseGrid::PaintColsHighlighted(Integer from, Integer to, Integer part) {
    ForShownCols(from, to, [&](Integer c, bool sel) {
        if (!sel) PaintColSelection(c, part, nullptr, true);
    });
}

void TgrBaseGrid::PaintSelectedColHeadingsOff(Integer from, Integer to) {
    ForShownCols(from, to, [&](Integer c, bool sel) {
        if (sel) PaintColSelection(c, 1, nullptr, false);
    });
}

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
    // A given canvas is painted now, in the given state, leaving the
    // excluded rectangle alone.
    TRect parts[4];
    int n = PartsOutside(RangePixels({left, top, right, bottom}, true), exclude, parts);
    for (int i = 0; i < n; ++i) PaintSelectionRange(dc, left, top, right, bottom, selected, parts[i]);
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

void TgrBaseGrid::PaintSelectionTransition(Integer left, Integer top, Integer bottom, Integer right) {
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
