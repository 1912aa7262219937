// Where the grid class's cells lie in the client area: the pixel position
// of a shown column or row (walked through the visible-item lists, fixed
// ones first and then from the top-left cell), cell rectangles with and
// without their grid lines, the cell under a point, and invalidation from
// a column or row to the edge of the grid.

#include <algorithm>

#include "grid/TSGrid.h"

namespace {

// The start pixel of a display line along one axis: the row bar (heading)
// first, then the visible fixed lines before it, then the visible
// scrolling lines from the first scrolled one; -1 when the line is not on
// the screen.
Integer LineStart(TgrBaseGrid& g, bool rows, Integer line) {
    if (line == 0) return 0;
    if (!g.HasWindow()) return -1;
    TgrVisibleItems* list = rows ? g.VisibleRows() : g.VisibleCols();
    Integer client = rows ? g.ClientHeight() : g.ClientWidth();
    Integer fixed = rows ? g.FixedRowTotal() : g.FixedColTotal();
    Integer first = rows ? g.TopRow() : g.TopLeftCell().Col;
    auto size = [&](Integer i) { return rows ? g.GetRowHeightAt(i) : g.GetColWidthAt(i); };
    Integer x = size(0);
    Integer n = list->VisibleCount(), i = 1;
    for (; i <= n && list->Get(i) < fixed && list->Get(i) < line; ++i) {
        x += size(list->Get(i));
        if (x > client) return -1;
    }
    if (line >= fixed) {
        bool found = false;
        i = list->Find(first, found);
        for (; i <= n && list->Get(i) < line && x <= client; ++i) x += size(list->Get(i));
    }
    // Stopped past the line: it is hidden or scrolled out to the start.
    if (i <= n && list->Get(i) > line) return -1;
    return x <= client ? x : -1;
}

}  // namespace

Integer TgrBaseGrid::GetColLeft(Integer displayCol) { return LineStart(*this, false, displayCol); }
Integer TgrBaseGrid::GetRowTop(Integer displayRow) { return LineStart(*this, true, displayRow); }

TRect TgrBaseGrid::CellRectRaw(Integer displayCol, Integer displayRow) {
    if (!HasWindow()) return {};
    Integer left = GetColLeft(displayCol), top = GetRowTop(displayRow);
    if (left == -1 || top == -1) return {};
    Integer width = displayCol < ColTotal() ? GetColWidthAt(displayCol) : 0;
    Integer height = displayRow < RowTotal() ? GetRowHeightAt(displayRow) : 0;
    TRect r(left, top, std::min<Integer>(left + width, ClientWidth()), std::min<Integer>(top + height, ClientHeight()));
    return MirroredX(r);
}

TRect TgrBaseGrid::CellRect(Integer displayCol, Integer displayRow) {
    if (!HasWindow()) return {};
    TRect raw = CellRectRaw(displayCol, displayRow);
    if (raw == TRect()) return {};
    // The rectangle as laid out from the left, mirrored back at the end.
    TRect r = MirroredX(raw);
    Integer cw = ClientWidth(), ch = ClientHeight();
    if (r.Left >= cw || r.Top >= ch) return {};
    Integer width = displayCol < ColTotal() ? GetColWidthAt(displayCol) : 0;
    Integer height = displayRow < RowTotal() ? GetRowHeightAt(displayRow) : 0;
    if (r.Right < cw || r.Right - r.Left == width) r.Right -= vertLineWidth_;
    if (r.Bottom < ch || r.Bottom - r.Top == height) r.Bottom -= horzLineWidth_;
    return MirroredX(r);
}

TRect TgrBaseGrid::CellRangeRect(Integer col1, Integer row1, Integer col2, Integer row2) {
    if (col1 > LastVisibleCol() || col2 < 0 || row1 > GetLastVisibleRow() || row2 < 0) return {};
    bool outsideFixed = col1 >= FixedColTotal() && row1 >= FixedRowTotal();
    if ((rowBarOn_ && headingOn_) || outsideFixed) return RangeRect(col1, row1, col2, row2);
    TRect r = CellRect(col1, row1);
    TRect end = CellRect(col2, row2);
    r.Right = end.Right;
    r.Bottom = end.Bottom;
    return r;
}

bool TgrBaseGrid::IsRectInClip(const TRect& rect) {
    TRect clip = Canvas()->ClipRect();
    if (clip.Right < rect.Left || clip.Bottom < rect.Top) return false;
    if (clip.Left + vertLineWidth_ - 1 >= rect.Right || clip.Top + horzLineWidth_ - 1 >= rect.Bottom) return false;
    return true;
}

Integer TgrBaseGrid::ColAtX(Integer x) {
    if (!HasWindow() || x < 0 || x > ClientWidth()) return -1;
    TGridLayout_ts l;
    ComputeLayout(l);
    return CellAtPoint(x, 0, l).Col;
}

Integer TgrBaseGrid::RowAtY(Integer y) {
    if (!HasWindow() || y < 0 || y > ClientHeight()) return -1;
    TGridLayout_ts l;
    ComputeLayout(l);
    return CellAtPoint(0, y, l).Row;
}

TCellCoord_ts TgrBaseGrid::CellAtPointClamped(Integer x, Integer y) {
    TCellCoord_ts c = CellAtPoint(x, y);
    if (c.Col == -1) c.Col = x > 0 ? ColTotal() - 1 : 0;
    if (c.Row == -1) c.Row = y > 0 ? RowTotal() - 1 : 0;
    return c;
}

Integer TgrBaseGrid::GetFirstScrollingCol() {
    Integer c = FixedColTotal();
    bool found = false;
    visibleCols_->Find(c, found);
    if (!found) {
        FindNextEnterableCol(c, SkipsReadOnly(), c, false);
    }
    return c;
}

Integer TgrBaseGrid::GetFirstScrollingRow() {
    Integer r = FixedRowTotal();
    bool found = false;
    visibleRows_->Find(r, found);
    if (!found) {
        FindNextEnterableRow(r, false, r, false);
    }
    return r;
}

void TgrBaseGrid::InvalidateFromCol(Integer dataCol) {
    if (!HasWindow() || IsLayoutSuspended() || dataCol < 1 || dataCol > Cols()) return;
    Integer display = DisplayColOfData(dataCol);
    if (display <= TopLeftCell().Col) {
        Invalidate();
        return;
    }
    TRect r = MirroredX(CellRect(display, 0));
    TRect area(r.Left, 0, ClientWidth(), ClientHeight());
    if (r == TRect() || area.Left < 0 || area.Right < area.Left) return;
    InvalidateRect(MirroredX(area));
}

void TgrBaseGrid::InvalidateFromRow(Integer dataRow) {
    if (!HasWindow() || IsLayoutSuspended() || dataRow < 1 || dataRow > Rows()) return;
    Integer display = DisplayRowOfData(dataRow);
    if (display <= TopRow()) {
        Invalidate();
        return;
    }
    TRect r = CellRect(0, display);
    TRect area(0, r.Top, ClientWidth(), ClientHeight());
    if (r == TRect() || area.Top < 0 || area.Bottom < area.Top) return;
    InvalidateRect(area);
}
