// The movement side of the grid base: the top-left cell and how the window
// pixels follow it, the scroll bars, the current cell and the selection
// between the current cell and the anchor, and exactly which cells a
// selection change repaints.

#include <algorithm>
#include <cstdlib>

#include "grid/Grids_ts.h"

namespace {
// Scroll bars range from 0 to this whenever the grid can scroll.
constexpr Integer kScrollRange = 127;

// The sum of extent + line width over the cells from a to b (exclusive),
// negative when b < a; fails when it passes limit.
bool AxisDistance(const TAxisLayout_ts& axis, Integer from, Integer to, Integer limit, Integer& result) {
    Integer lo = std::min(from, to), hi = std::max(from, to);
    Integer sum = 0;
    for (Integer i = lo; i < hi; ++i) {
        sum += axis.ExtentOf(i) + axis.LineWidth;
        if (sum > limit) return false;
    }
    result = to > from ? -sum : sum;
    return true;
}
}  // namespace

int SelectionDifferenceRects(const TRect& a, const TRect& b, TRect out[4]) {
    int n = 0;
    TRect inter;
    if (!IntersectRect(inter, a, b)) {
        if (!a.IsEmpty()) out[n++] = a;
        if (!b.IsEmpty()) out[n++] = b;
        return n;
    }
    // Each strip comes from the one rectangle that reaches past the
    // intersection on that side; left and right strips take that
    // rectangle's full height, top and bottom strips the intersection's
    // width, so no two overlap.
    const TRect* left = a.Left < inter.Left ? &a : (b.Left < inter.Left ? &b : nullptr);
    const TRect* right = a.Right > inter.Right ? &a : (b.Right > inter.Right ? &b : nullptr);
    const TRect* top = a.Top < inter.Top ? &a : (b.Top < inter.Top ? &b : nullptr);
    const TRect* bottom = a.Bottom > inter.Bottom ? &a : (b.Bottom > inter.Bottom ? &b : nullptr);
    if (left) out[n++] = TRect(left->Left, left->Top, inter.Left, left->Bottom);
    if (top) out[n++] = TRect(inter.Left, top->Top, inter.Right, inter.Top);
    if (right) out[n++] = TRect(inter.Right, right->Top, right->Right, right->Bottom);
    if (bottom) out[n++] = TRect(inter.Left, inter.Bottom, inter.Right, bottom->Bottom);
    return n;
}

// ------------------------------------------------------------ current cell

void TCustomGrid_ts::ResetPositions() {
    TCellCoord_ts oldCurrent = current_;
    topLeft_ = {fixedColTotal_, fixedRowTotal_};
    current_ = topLeft_;
    anchor_ = topLeft_;
    if (gridOptions_ & gxRowSelect) anchor_.Col = colTotal_ - 1;
    if (!(oldCurrent == current_)) CurrentCellMoved(oldCurrent);
}

void TCustomGrid_ts::MoveCurrentCell(Integer col, Integer row, bool show, bool moveAnchor) {
    if (col < 0 || col >= colTotal_ || row < 0 || row >= rowTotal_) RaiseGridIndexError();
    if (!CanSelectCell(col, row)) return;
    TCellRange_ts oldSelection = SelectionRange();
    TCellCoord_ts oldCurrent = current_;
    current_ = {col, row};
    if (!(gridOptions_ & gxAlwaysShowEditor)) CloseEditor();
    if (moveAnchor || !(gridOptions_ & gxRangeSelect)) {
        anchor_ = current_;
        if (gridOptions_ & gxRowSelect) anchor_.Col = colTotal_ - 1;
    }
    if (gridOptions_ & gxRowSelect) current_.Col = fixedColTotal_;
    if (!(oldCurrent == current_)) CurrentCellMoved(oldCurrent);
    if (show) ScrollCellIntoView(current_);
    SelectionChanged(oldSelection);
    RepaintCell(oldCurrent.Col, oldCurrent.Row);
    RepaintCell(col, row);
}

void TCustomGrid_ts::ExtendAnchor(const TCellCoord_ts& cell) {
    if (!((gridOptions_ & gxRangeSelect) && !(gridOptions_ & gxEditing))) {
        MoveCurrentCell(cell.Col, cell.Row, true, true);
        return;
    }
    TCellRange_ts oldSelection = SelectionRange();
    anchor_ = cell;
    if (gridOptions_ & gxRowSelect) anchor_.Col = colTotal_ - 1;
    ScrollCellIntoView(cell);
    SelectionChanged(oldSelection);
}

void TCustomGrid_ts::FocusCellAt(Integer col, Integer row, bool moveAnchor) {
    MoveCurrentCell(col, row, true, moveAnchor);
    PlaceEditor();
    Click();
}

void TCustomGrid_ts::SelectionChanged(const TCellRange_ts& oldRange) {
    if (!Widget()) return;
    TRect pieces[4];
    int n = SelectionDifferenceRects(RangePixels(oldRange, true), RangePixels(SelectionRange(), true), pieces);
    for (int i = 0; i < n; ++i) InvalidateArea(pieces[i]);
}

void TCustomGrid_ts::AutoExtendSelection(unsigned mask) {
    TCellCoord_ts cell = anchor_;
    if ((mask & 1) && cell.Col > fixedColTotal_) --cell.Col;
    if ((mask & 2) && cell.Col < colTotal_ - 1) ++cell.Col;
    if ((mask & 4) && cell.Row > fixedRowTotal_) --cell.Row;
    if ((mask & 8) && cell.Row < rowTotal_ - 1) ++cell.Row;
    if (!(cell == anchor_)) ExtendAnchor(cell);
}

// ---------------------------------------------------------------- top-left

void TCustomGrid_ts::ScrollCellIntoView(const TCellCoord_ts& cell) {
    if (!Widget()) return;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    if (cell.Col <= layout.Horz.LastFullCell && cell.Row <= layout.Vert.LastFullCell && cell.Col >= topLeft_.Col &&
        cell.Row >= topLeft_.Row)
        return;
    TCellCoord_ts old = topLeft_;
    TCellCoord_ts last = LastTopLeft(cell, layout);
    Update();
    // A fixed cell is always shown: it never becomes the first scrolling
    // cell.
    if (cell.Col < topLeft_.Col) topLeft_.Col = std::max(cell.Col, fixedColTotal_);
    else if (cell.Col > layout.Horz.LastFullCell) topLeft_.Col = last.Col;
    if (cell.Row < topLeft_.Row) topLeft_.Row = std::max(cell.Row, fixedRowTotal_);
    else if (cell.Row > layout.Vert.LastFullCell) topLeft_.Row = last.Row;
    if (!(old == topLeft_)) AfterTopLeftMove(old);
}

void TCustomGrid_ts::SetTopLeftCell(Integer col, Integer row) {
    TCellCoord_ts next{col, row};
    if (next == topLeft_) return;
    TCellCoord_ts old = topLeft_;
    Update();
    topLeft_ = next;
    AfterTopLeftMove(old);
}

void TCustomGrid_ts::SetLeftCol(Integer col) {
    if (col != topLeft_.Col) SetTopLeftCell(col, topLeft_.Row);
}

void TCustomGrid_ts::SetTopRow(Integer row) {
    if (row != topLeft_.Row) SetTopLeftCell(topLeft_.Col, row);
}

void TCustomGrid_ts::AfterTopLeftMove(const TCellCoord_ts& oldTopLeft) {
    SyncScrollPos();
    TGridLayout_ts layout;
    ComputeLayout(layout);
    Integer dx = 0, dy = 0;
    bool fits = AxisDistance(layout.Horz, oldTopLeft.Col, topLeft_.Col, layout.Horz.GridEnd - layout.Horz.FixedEnd, dx) &&
                AxisDistance(layout.Vert, oldTopLeft.Row, topLeft_.Row, layout.Vert.GridEnd - layout.Vert.FixedEnd, dy);
    if (fits) ScrollDrawArea(dx, dy, layout);
    else RepaintAll();
    NotifyTopLeftChanged();
}

void TCustomGrid_ts::ScrollDrawArea(Integer dx, Integer dy, const TGridLayout_ts& l) {
    auto move = [&](TRect r, Integer x, Integer y) {
        if (rightToLeft_) {
            Integer w = ClientWidth();
            r = TRect(w - r.Right, r.Top, w - r.Left, r.Bottom);
            x = -x;
        }
        ScrollWindow(x, y, r, r);
    };
    if (dy == 0) {
        move(TRect(l.Horz.FixedEnd, 0, l.Horz.ClientExtent, l.Vert.ClientExtent), dx, 0);
    } else if (dx != 0) {
        move(TRect(l.Horz.FixedEnd, 0, l.Horz.ClientExtent, l.Vert.FixedEnd), dx, 0);
        move(TRect(0, l.Vert.FixedEnd, l.Horz.FixedEnd, l.Vert.ClientExtent), 0, dy);
        move(TRect(l.Horz.FixedEnd, l.Vert.FixedEnd, l.Horz.ClientExtent, l.Vert.ClientExtent), dx, dy);
    } else {
        move(TRect(0, l.Vert.FixedEnd, l.Horz.ClientExtent, l.Vert.ClientExtent), 0, dy);
    }
    if (gridOptions_ & gxRowSelect) RepaintRange(SelectionRange());
}

void TCustomGrid_ts::ScrollCells(Integer dx, Integer dy) {
    TGridLayout_ts layout;
    ComputeLayout(layout);
    ScrollDrawArea(dx, dy, layout);
}

// ------------------------------------------------------------- scroll bars

void TCustomGrid_ts::SyncScrollRange() {
    if (scrollBarKind_ == ssNone || !Widget() || !Showing()) return;
    Integer width = ClientWidth(), height = ClientHeight();
    if (ScrollBarShown(sbHorizontal)) height += ScrollBarThickness;
    if (ScrollBarShown(sbVertical)) width += ScrollBarThickness;
    TCellCoord_ts remembered = topLeft_;
    TScrollStyle kind = scrollBarKind_;
    scrollBarKind_ = ssNone;
    try {
        bool flushed = false;
        auto horizontal = [&] {
            if (kind != ssHorizontal && kind != ssBoth) return;
            if (colTotal_ == 1) {
                SetScrollRange(sbHorizontal, 0, std::max(0, GetColWidthAt(0) - ClientWidth()));
                return;
            }
            TGridLayout_ts layout;
            ComputeLayoutFor(layout, width, height);
            TCellCoord_ts m = LastTopLeft({colTotal_ - 1, rowTotal_ - 1}, layout);
            SetScrollRange(sbHorizontal, 0, fixedColTotal_ < m.Col ? kScrollRange : 0);
            if (m.Col < remembered.Col) {
                if (!flushed) Update();
                flushed = true;
                topLeft_.Col = m.Col;
            }
        };
        horizontal();
        height = ClientHeight();
        Integer clientWidthBefore = ClientWidth();
        if (kind == ssVertical || kind == ssBoth) {
            TGridLayout_ts layout;
            ComputeLayoutFor(layout, width, height);
            TCellCoord_ts m = LastTopLeft({colTotal_ - 1, rowTotal_ - 1}, layout);
            SetScrollRange(sbVertical, 0, fixedRowTotal_ < m.Row ? kScrollRange : 0);
            if (m.Row < remembered.Row) {
                if (!flushed) Update();
                flushed = true;
                topLeft_.Row = m.Row;
            }
        }
        if (ClientWidth() != clientWidthBefore) {
            width = ClientWidth();
            horizontal();
        }
    } catch (...) {
        scrollBarKind_ = kind;
        throw;
    }
    scrollBarKind_ = kind;
    SyncScrollPos();
    if (!(topLeft_ == remembered)) AfterTopLeftMove(remembered);
}

void TCustomGrid_ts::SyncScrollPos() {
    if (!Widget() || scrollBarKind_ == ssNone) return;
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts m = LastTopLeft({colTotal_ - 1, rowTotal_ - 1}, layout);
    auto update = [&](TScrollBarKind bar, Integer pos) {
        if (GetScrollPos(bar) != pos) SetScrollPos(bar, pos);
    };
    if (scrollBarKind_ == ssHorizontal || scrollBarKind_ == ssBoth) {
        Integer pos;
        if (colTotal_ == 1) {
            Integer w = GetColWidthAt(0), room = ClientWidth() - layout.Horz.FixedEnd;
            if (pixelScrollOffset_ >= 1 && w - pixelScrollOffset_ < room) {
                // The offset shows empty space after the column: correct it.
                HandleScroll(true, 4, w - room, true);
                return;
            }
            pos = pixelScrollOffset_;
            if (rightToLeft_) pos = w - room - pos;
        } else {
            pos = MulDiv(topLeft_.Col - fixedColTotal_, kScrollRange, m.Col - fixedColTotal_);
            if (rightToLeft_) pos = kScrollRange - pos;
        }
        update(sbHorizontal, pos);
    }
    if (scrollBarKind_ == ssVertical || scrollBarKind_ == ssBoth)
        update(sbVertical, MulDiv(topLeft_.Row - fixedRowTotal_, kScrollRange, m.Row - fixedRowTotal_));
}

Integer TCustomGrid_ts::ScrollStep(const TAxisLayout_ts& axis, Integer first, Integer d, Integer code, Integer thumb,
                                   Integer min, Integer max) const {
    switch (code) {
        case 0: return first - d;
        case 1: return first + d;
        case 2: return first - d * std::max(1, axis.FirstScrollCell - AxisLastFirstCell(axis, axis.FirstScrollCell));
        case 3: return first + d * std::max(1, axis.LastFullCell - axis.FirstScrollCell);
        case 5:
            if (!(gridOptions_ & gxThumbTracking)) return first;
            [[fallthrough]];
        case 4:
            if (rightToLeft_ && d != 1) return max - MulDiv(thumb, max - min, kScrollRange);
            return min + MulDiv(thumb, max - min, kScrollRange);
        case 6: return min;
        case 7: return max;
        default: return first;
    }
}

void TCustomGrid_ts::HandleScroll(bool horizontal, Integer code, Integer thumb, bool mirror) {
    Integer direction = rightToLeft_ && mirror ? -1 : 1;
    if (Showing() && CanFocus() && TabStop() && !Designing() && !Focused()) SetFocus();
    if (horizontal && colTotal_ == 1) {
        PixelScroll(code, thumb, direction);
        return;
    }
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts m = LastTopLeft({colTotal_ - 1, rowTotal_ - 1}, layout);
    const TAxisLayout_ts& axis = horizontal ? layout.Horz : layout.Vert;
    Integer min = horizontal ? fixedColTotal_ : fixedRowTotal_;
    Integer max = horizontal ? m.Col : m.Row;
    Integer d = horizontal ? direction : 1;
    Integer first = horizontal ? topLeft_.Col : topLeft_.Row;
    Integer result = ScrollStep(axis, first, d, code, thumb, min, max);
    // Hidden lines are passed over.
    while (result >= min && result < max && result < axis.CellCount && axis.ExtentOf(result) <= 0) {
        Integer next = ScrollStep(axis, result, d, code, thumb, min, max);
        if (next == result) break;
        result = next;
    }
    result = std::clamp(result, min, std::max(min, max));
    TCellCoord_ts next = topLeft_;
    (horizontal ? next.Col : next.Row) = result;
    if (!(next == topLeft_)) SetTopLeftCell(next.Col, next.Row);
}

void TCustomGrid_ts::PixelScroll(Integer code, Integer thumb, Integer d) {
    TGridLayout_ts layout;
    ComputeLayout(layout);
    Integer w = GetColWidthAt(0), room = ClientWidth() - layout.Horz.FixedEnd, p = pixelScrollOffset_;
    Integer last = std::max(0, w - room);
    Integer next = p;
    Canvas()->Font()->Assign(*Font());
    Integer step = Canvas()->TextWidth("0");
    switch (code) {
        case 0: next = p - d * step; break;
        case 1: next = p + d * step; break;
        case 2: next = p - d * room; break;
        case 3: next = p + d * room; break;
        case 5:
            if (!(gridOptions_ & gxThumbTracking)) break;
            [[fallthrough]];
        case 4: next = rightToLeft_ ? w - room - thumb : thumb; break;
        case 6: next = 0; break;
        case 7: next = w - room; break;
        default: break;
    }
    next = std::clamp(next, 0, last);
    if (next == p) return;
    pixelScrollOffset_ = next;
    ScrollCells(p - next, 0);
    RepaintRange({0, 0, 0, fixedRowTotal_});
    Update();
    SyncScrollPos();
}
