// Moving the view: the top-left scrolling cell is kept within the limits
// and on visible lines, the in-cell control leaves the screen for the
// move, the window pixels that stay visible are moved and only the strips
// they uncover repainted. Three scroll modes choose which pixels move, so
// that the previous current cell or row, which is repainted anyway, is not
// moved first. The pacing of auto-scroll steps by ScrollSpeed lives here
// too.

#include <algorithm>
#include <cstdlib>

#include "grid/GridScrollDelays.h"
#include "grid/TSGrid.h"
#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

namespace {

struct FixedArea {
    Integer W = 0, F = 0, CW = 0, CH = 0;
};

FixedArea AreaOf(TgrBaseGrid& g) {
    TGridLayout_ts l;
    g.ComputeFixedLayout(l);
    return {l.Horz.FixedEnd, l.Vert.FixedEnd, g.ClientWidth(), g.ClientHeight()};
}

// Pixels move only while at least a fifth of the scrolling area stays.
bool KeepsFifth(Integer client, Integer fixed, Integer amount) {
    return double(client - (fixed + std::abs(amount))) >= double(client - fixed) / 5.0;
}
}  // namespace

// ------------------------------------------------------------ the top-left cell

void TgrBaseGrid::SetTopLeft(Integer col, Integer row) {
    if (IsLayoutSuspended()) {
        TCustomGrid_ts::SetTopLeftCell(col, row);
        return;
    }
    if (HasWindow()) {
        TCellCoord_ts max = GetMaxTopLeft();
        col = std::min(col, max.Col);
        row = std::min(row, max.Row);
    }
    Integer found = 0;
    col = FindVisibleCol(col, found) ? found : TopLeftCell().Col;
    row = FindVisibleRow(row, found) ? found : TopRow();
    if (col == TopLeftCell().Col && row == TopRow()) return;
    bool wasHidden = !controlShown_;
    HideCellControlIfShown(false);
    TCellCoord_ts current = current_;
    TCustomGrid_ts::SetTopLeftCell(col, row);
    if (!wasHidden) RefreshCellControl();
    if (!(current == current_)) InvalidateDisplayCell(current.Col, current.Row);
}

void TgrBaseGrid::AfterTopLeftMove(const TCellCoord_ts& oldTopLeft) {
    // While layout is suspended the move is only noted; the end of the
    // suspension reacts to it once.
    if (IsLayoutSuspended()) {
        pendingLayout_ |= 2u;
        return;
    }
    if (HasWindow()) TCustomGrid_ts::AfterTopLeftMove(oldTopLeft);
}

void TgrBaseGrid::NotifyTopLeftChanged() {
    TCustomGrid_ts::NotifyTopLeftChanged();
    ClampTopLeft();
}

bool TgrBaseGrid::FindVisibleLine(bool rows, Integer target, Integer& result) {
    TgrVisibleItems* list = rows ? visibleRows_.get() : visibleCols_.get();
    Integer fixed = rows ? FixedRowTotal() : FixedColTotal();
    Integer first = rows ? TopRow() : TopLeftCell().Col;
    auto visible = [&](Integer i) {
        bool found = false;
        list->Find(i, found);
        return found || (rows && i == RowTotal() - 1 && IsInsertRowPos(i));
    };
    Integer c = std::max(target, fixed);
    if (visible(c)) {
        result = c;
        return true;
    }
    bool found = false;
    Integer at = list->Find(c, found);  // the entry that would follow c
    Integer prev = at - 1 >= 1 ? list->Get(at - 1) : -1;
    Integer next = at <= list->VisibleCount() ? list->Get(at) : -1;
    bool prevOk = prev >= fixed && prev > 0;
    bool nextOk = next > c;
    if (target < first) {
        if (prevOk) result = prev;
        else if (nextOk) result = next;
        else return false;
    } else {
        if (nextOk) result = next;
        else if (prevOk) result = prev;
        else return false;
    }
    return true;
}

// ------------------------------------------------------------ scroll modes

void TgrBaseGrid::SetScrollMode(TgrScrollMode mode) {
    scrollMode_ = mode;
    TCellCoord_ts prev = PreviousCell();
    prevCellRect_ = CellRect(prev.Col, prev.Row);
    if (!prevCellRect_.IsEmpty()) {
        prevCellRect_.Left += 3;
        if (IsFocusCell(prev.Col, prev.Row) && (focusBorder_ == fbSingle || focusBorder_ == fbDouble)) {
            --prevCellRect_.Left;
            --prevCellRect_.Top;
        }
    }
    prevRowRect_ = CellRect(0, prev.Row);
}

void TgrBaseGrid::ScrollWithMode(Integer col, Integer row, TgrScrollMode mode) {
    SetScrollMode(mode);
    struct Reset {
        TgrBaseGrid& g;
        ~Reset() { g.ResetScrollMode(); }
    } reset{*this};
    bool colMoves = col != TopLeftCell().Col, rowMoves = row != TopRow();
    if (colMoves && rowMoves) SetTopLeft(col, row);
    else if (colMoves) SetLeftCol(col);
    else if (rowMoves) SetTopRow(row);
}

void TgrBaseGrid::ScrollDrawArea(Integer dx, Integer dy, const TGridLayout_ts& layout) {
    if (!CanPaintNow()) {
        Invalidate();
        return;
    }
    switch (scrollMode_) {
        case smKeepCell: ScrollKeepingCell(dx, dy, layout); break;
        case smKeepRow: ScrollRowAreaAroundRow(dy); break;
        default: ScrollPlain(dx, dy, layout); break;
    }
}

void TgrBaseGrid::ScrollPlain(Integer dx, Integer dy, const TGridLayout_ts& layout) {
    if (dx == 0 && dy < 0) ScrollRowAreaUp(dy);
    else if (dx == 0 && dy > 0) ScrollRowAreaDown(dy);
    else if (dx < 0 && dy == 0) ScrollColAreaLeft(dx);
    else if (dx > 0 && dy == 0) ScrollColAreaRight(dx);
    else TCustomGrid_ts::ScrollDrawArea(dx, dy, layout);
}

void TgrBaseGrid::ScrollKeepingCell(Integer dx, Integer dy, const TGridLayout_ts& layout) {
    if (dy == 0) ScrollColAreaAroundCell(dx);
    else if (dx != 0) TCustomGrid_ts::ScrollDrawArea(dx, dy, layout);
    else if (prevCellRect_.IsEmpty()) ScrollRowAreaAroundRow(dy);
    else ScrollRowAreaAroundCell(dy);
}

// ------------------------------------------------------------ area scrolls

void TgrBaseGrid::ScrollClientArea(Integer left, Integer top, Integer right, Integer bottom, Integer amount,
                                   bool horizontal) {
    TRect r = MirroredX(TRect(left, top, right, bottom));
    if (horizontal && UseRightToLeftAlignment()) amount = -amount;
    ScrollWindow(horizontal ? amount : 0, horizontal ? 0 : amount, r, r);
}

Integer TgrBaseGrid::GetRowsBottom() {
    if (!HasWindow()) return 0;
    TgrVisibleItems* list = visibleRows_.get();
    Integer count = list->VisibleCount();
    Integer last = count > 0 ? list->Get(count) : 0;
    if (InsertRowShown()) last = RowTotal() - 1;
    TRect r = CellRectRaw(0, last);
    Integer bottom = r.IsEmpty() ? ClientHeight() : r.Bottom + horzLineWidth_;
    return std::min<Integer>(bottom, ClientHeight());
}

Integer TgrBaseGrid::GetRowAreaExtent(Integer amount) {
    if (!HasWindow()) return 0;
    FixedArea a = AreaOf(*this);
    Integer extent = a.F + std::abs(amount);
    for (Integer r = TopRow(); r < RowTotal(); ++r) {
        Integer h = GetRowHeightAt(r);
        if (extent + h > a.CH) break;
        extent += h;
    }
    return extent;
}

Integer TgrBaseGrid::GetColAreaExtent(Integer amount) {
    if (!HasWindow()) return 0;
    FixedArea a = AreaOf(*this);
    Integer extent = a.W + std::abs(amount);
    for (Integer c = TopLeftCell().Col; c < ColTotal(); ++c) {
        Integer w = GetColWidthAt(c);
        if (extent + w > a.CW) break;
        extent += w;
    }
    return extent;
}

namespace {
// A strip whose pixels the move left stale: painted now with everything
// else that waits, then marked again so that the next paint draws it.
void DeferStrip(TgrBaseGrid& g, const TRect& strip) {
    g.ValidateRect(strip);
    g.Update();
    g.InvalidateRect(strip);
}
}  // namespace

void TgrBaseGrid::ScrollRowAreaUp(Integer dy) {
    FixedArea a = AreaOf(*this);
    if (!KeepsFifth(a.CH, a.F, dy)) {
        InvalidateRect(TRect(0, a.F, a.CW, a.CH));
        return;
    }
    Integer bottom = std::min(a.CH, GetRowAreaExtent(dy));
    if (topFocusBoundary_) {
        InvalidateRect(TRect(0, a.F - 1, a.CW, a.F));
        Update();
    }
    ScrollClientArea(0, a.F, a.CW, bottom, dy, false);
    DeferStrip(*this, TRect(0, bottom + dy, a.CW, a.CH));
}

void TgrBaseGrid::ScrollRowAreaDown(Integer dy) {
    FixedArea a = AreaOf(*this);
    if (!KeepsFifth(a.CH, a.F, dy)) {
        InvalidateRect(TRect(0, a.F, a.CW, a.CH));
        return;
    }
    ScrollClientArea(0, a.F, a.CW, GetRowsBottom(), dy, false);
    DeferStrip(*this, TRect(0, a.F - 1, a.CW, a.F + dy));
}

void TgrBaseGrid::ScrollColAreaLeft(Integer dx) {
    FixedArea a = AreaOf(*this);
    if (!KeepsFifth(a.CW, a.W, dx)) {
        InvalidateRect(MirroredX(TRect(a.W, 0, a.CW, a.CH)));
        return;
    }
    Integer right = std::min(a.CW, GetColAreaExtent(dx));
    if (leftFocusBoundary_) {
        InvalidateRect(MirroredX(TRect(a.W - 1, 0, a.W, a.CH)));
        Update();
    }
    ScrollClientArea(a.W, 0, right, a.CH, dx, true);
    DeferStrip(*this, MirroredX(TRect(right + dx, 0, a.CW, a.CH)));
}

void TgrBaseGrid::ScrollColAreaRight(Integer dx) {
    FixedArea a = AreaOf(*this);
    if (!KeepsFifth(a.CW, a.W, dx)) {
        InvalidateRect(MirroredX(TRect(a.W, 0, a.CW, a.CH)));
        return;
    }
    ScrollClientArea(a.W, 0, a.CW, a.CH, dx, true);
    DeferStrip(*this, MirroredX(TRect(a.W - 1, 0, a.W + dx, a.CH)));
}

namespace {
void RepaintStrip(TgrBaseGrid& g, const TRect& strip) {
    DeferStrip(g, strip);
    g.Update();
}
}  // namespace

void TgrBaseGrid::ScrollRowAreaAroundCell(Integer dy) {
    FixedArea a = AreaOf(*this);
    const TRect& p = prevCellRect_;
    if (dy < 0) {
        if (p.Bottom + dy > a.F) {
            ScrollClientArea(0, a.F, a.CW, p.Top, dy, false);
            DeferStrip(*this, TRect(0, p.Top + dy, a.CW, a.CH));
        } else {
            ScrollRowAreaUp(dy);
        }
    } else if (dy > 0) {
        if (p.Top + dy < a.CH) {
            ScrollClientArea(0, p.Bottom, a.CW, GetRowsBottom(), dy, false);
            TRect strip(0, a.F, a.CW, p.Bottom + dy);
            ValidateRect(strip);
            InvalidateRect(strip);
        } else {
            ScrollRowAreaDown(dy);
        }
    }
    Update();
}

void TgrBaseGrid::ScrollColAreaAroundCell(Integer dx) {
    FixedArea a = AreaOf(*this);
    const TRect& p = prevCellRect_;
    if (dx < 0) {
        ScrollClientArea(a.W, 0, p.Left - 3, a.CH, dx, true);
        RepaintStrip(*this, MirroredX(TRect(p.Left + dx - 3, 0, a.CW, a.CH)));
    } else if (dx > 0) {
        ScrollClientArea(p.Right, 0, a.CW, a.CH, dx, true);
        RepaintStrip(*this, MirroredX(TRect(a.W, 0, p.Right + dx, a.CH)));
    }
}

void TgrBaseGrid::ScrollRowAreaAroundRow(Integer dy) {
    FixedArea a = AreaOf(*this);
    const TRect& q = prevRowRect_;
    if (dy < 0) {
        ScrollClientArea(0, a.F, a.CW, q.Top, dy, false);
        RepaintStrip(*this, TRect(0, q.Top + dy, a.CW, a.CH));
    } else if (dy > 0) {
        Integer b = std::max<Integer>(q.Bottom + horzLineWidth_, a.F);
        ScrollClientArea(0, b, a.CW, GetRowsBottom(), dy, false);
        RepaintStrip(*this, TRect(0, a.F, a.CW, b + dy));
    }
}

// ------------------------------------------------------------ auto-scroll pacing

Integer TgrBaseGrid::ScrollDelayFor(Integer screenX, Integer screenY, Integer direction) {
    return scrollSpeed_ == spHigh  ? kHighSpeedDelay
           : scrollSpeed_ == spLow ? kLowSpeedDelay
                                   : VariableScrollDelay(screenX, screenY, direction);
}

bool TgrBaseGrid::ScrollDelayElapsed(Integer screenX, Integer screenY, Integer direction) {
    if (scrollSpeed_ == spHigh && kHighSpeedDelay == 0) return true;
    Integer delay = ScrollDelayFor(screenX, screenY, direction);
    UInt64 now = CurrentClock().TickMs();
    if (scrollDelayStart_ == 0) scrollDelayStart_ = now;
    // The wait does not block: the auto-scroll loop waits for the rest and
    // asks again.
    if (now - scrollDelayStart_ >= UInt64(delay)) {
        scrollDelayStart_ = 0;
        return true;
    }
    return false;
}

Integer TgrBaseGrid::VariableScrollDelay(Integer screenX, Integer screenY, Integer direction) {
    TPoint p = ScreenToClient(TPoint(screenX, screenY));
    FixedArea a = AreaOf(*this);
    TPoint corner = ClientToScreen(TPoint(a.W, a.F));
    Integer range = 30, horz = 0, vert = 0;
    if (direction == 0 || direction == 2) {
        if (p.X >= a.CW) {
            horz = p.X - a.CW;
            range = std::min<Integer>(range, Screen->Width() - screenX);
        } else if (p.X <= a.W) {
            horz = a.W - p.X;
            range = std::min<Integer>(range, corner.X);
        }
    }
    if (direction == 1 || direction == 2) {
        Integer rowsBottom = GetRowsBottom();
        if (p.Y >= rowsBottom) {
            vert = p.Y - rowsBottom;
            range = std::min<Integer>(range, Screen->Height() - screenY);
        } else if (p.Y <= a.F) {
            vert = a.F - p.Y;
            range = std::min<Integer>(range, corner.Y);
        }
    }
    // A grid reaching past the screen's edge leaves no range to measure in:
    // the step goes at full speed rather than dividing by nothing.
    if (range <= 0) return kHighSpeedDelay;
    Integer distance = std::min(direction == 2 ? std::max(horz, vert) : direction == 1 ? vert : horz, range);
    Integer s = distance * std::abs(kLowSpeedDelay - kHighSpeedDelay) / range;
    return s >= kLowSpeedDelay / 2 ? kHighSpeedDelay : kLowSpeedDelay;
}
