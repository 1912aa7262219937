// How far the view may scroll: the largest top row and left column that
// still fill the client area up to the last enterable row (column), the
// scroll-bar requests turned into a new top-left cell within them, the
// view pulled back when it lies beyond them, and the report of a moved
// view.

#include <algorithm>

#include "grid/TSGrid.h"
#include "platform/core/MathUtils.h"

namespace {

// The sizes of one axis of the grid class: rows (heights) or columns
// (widths), with the visible-item list that numbers them.
struct LimitAxis {
    TgrBaseGrid& g;
    bool rows;
    Integer Size(Integer i) const { return rows ? g.GetRowHeightAt(i) : g.GetColWidthAt(i); }
    Integer Total() const { return rows ? g.RowTotal() : g.ColTotal(); }
    Integer Fixed() const { return rows ? g.FixedRowTotal() : g.FixedColTotal(); }
    Integer Client() const { return rows ? g.ClientHeight() : g.ClientWidth(); }
    Integer Top() const { return rows ? g.TopRow() : g.TopLeftCell().Col; }
    TgrVisibleItems* List() const { return rows ? g.VisibleRows() : g.VisibleCols(); }
    Integer FixedExtent() const { return rows ? g.FixedAreaHeight() : g.FixedAreaWidth(); }
    bool Visible(Integer i) const {
        bool found = false;
        List()->Find(i, found);
        return found;
    }
    Integer NextEnterable(Integer from, Integer step) const { return g.EnterableFrom(rows, from, step); }
    // The position in the visible list of the first scrolling item.
    Integer FirstPos() const {
        bool found = false;
        return List()->Find(Fixed(), found);
    }
};

Integer MaxFirst(TgrBaseGrid& g, const LimitAxis& a) {
    if (!g.HasWindow()) return 0;
    Integer fixed = a.Fixed(), client = a.Client();
    Integer last = a.Total() - 1;
    Integer used = a.Size(last) + a.FixedExtent();
    while (last > fixed) {
        if (used + a.Size(last - 1) > client) break;
        --last;
        used += a.Size(last);
    }
    if (last > 0 && !a.Visible(last)) {
        if (Integer next = a.NextEnterable(last, 1)) last = next;
    }
    Integer first = a.NextEnterable(0, 1);
    Integer end = a.NextEnterable(a.Total(), -1);
    if (a.rows && g.GridMode() == gmEditInsert && g.InsertRowShown()) end = a.Total() - 1;
    if (end < first || first == 0) return fixed;
    return std::max({std::min(last, end), first, fixed});
}

Integer MaxFirstPos(TgrBaseGrid& g, const LimitAxis& a) {
    if (!g.HasWindow()) return 0;
    TgrVisibleItems* list = a.List();
    Integer count = list->VisibleCount();
    Integer firstPos = a.FirstPos();
    if (count <= 0) return 0;
    Integer p = count;
    Integer used = a.FixedExtent() + a.Size(list->Get(p));
    while (p - 1 >= firstPos && used + a.Size(list->Get(p - 1)) <= a.Client()) {
        --p;
        used += a.Size(list->Get(p));
    }
    return std::clamp(p, std::min(firstPos, count), count);
}

// The number of visible items of a page that ends (down) or starts (up)
// at the view: those shown whole below the fixed ones.
Integer PageItems(const LimitAxis& a, Integer pos, bool down) {
    TgrVisibleItems* list = a.List();
    Integer room = a.Client() - a.FixedExtent(), n = 0;
    if (down) {
        for (Integer p = pos; p <= list->VisibleCount(); ++p) {
            room -= a.Size(list->Get(p));
            if (room < 0) break;
            ++n;
        }
    } else {
        for (Integer p = pos - 1; p >= a.FirstPos(); --p) {
            room -= a.Size(list->Get(p));
            if (room < 0) break;
            ++n;
        }
    }
    return n;
}

Integer ScrollTarget(TgrBaseGrid& g, const LimitAxis& a, TgrScrollCode code, Integer pos) {
    TgrVisibleItems* list = a.List();
    Integer count = list->VisibleCount();
    Integer firstPos = a.FirstPos();
    bool found = false;
    Integer p = list->Find(a.Top(), found);
    switch (code) {
        case scLineUp: --p; break;
        case scLineDown: ++p; break;
        case scPageUp: p -= std::max<Integer>(1, PageItems(a, p, false)); break;
        case scPageDown: p += std::max<Integer>(1, PageItems(a, p, true)); break;
        case scTop: p = firstPos; break;
        case scBottom: p = count; break;
        case scThumbTrack:
            if (!(g.GridOptions() & gxThumbTracking)) break;
            [[fallthrough]];
        case scThumbPosition: p = g.ListPosOfScrollPos(a.rows, pos); break;
        default: break;
    }
    if (p >= 1 && p <= count) return list->Get(p);
    if (p <= 0) return a.Fixed();
    return count > 0 ? list->Get(count) : a.Fixed();
}

}  // namespace

Integer TgrBaseGrid::GetMaxTopRow() { return MaxFirst(*this, {*this, true}); }
Integer TgrBaseGrid::GetMaxLeftCol() { return MaxFirst(*this, {*this, false}); }
Integer TgrBaseGrid::GetMaxTopRowPos() { return MaxFirstPos(*this, {*this, true}); }
Integer TgrBaseGrid::GetMaxLeftColPos() { return MaxFirstPos(*this, {*this, false}); }
TCellCoord_ts TgrBaseGrid::GetMaxTopLeft() { return {GetMaxLeftCol(), GetMaxTopRow()}; }

Integer TgrBaseGrid::ListPosOfScrollPos(bool vertical, Integer pos) {
    TgrScrollFigures f = ScrollFigures(vertical);
    Integer p;
    if (f.Scaled) {
        p = Integer(RoundHalfEven(double(f.Positions) / double(std::max<Integer>(f.Range, 1)) * double(pos))) + f.First;
        if (p > f.Count) p = vertical ? GetMaxTopRowPos() : GetMaxLeftColPos();
    } else {
        p = f.First + pos - 1;
        if (p > f.Count) p = f.Count;
    }
    return p;
}

Integer TgrBaseGrid::VertScrollTarget(TgrScrollCode code, Integer pos) {
    return ScrollTarget(*this, {*this, true}, code, pos);
}

Integer TgrBaseGrid::HorzScrollTarget(TgrScrollCode code, Integer pos) {
    return ScrollTarget(*this, {*this, false}, code, pos);
}

namespace {
// A scroll-bar request gives the grid the focus, as a click would.
void FocusForScroll(TgrBaseGrid& g) {
    if (g.HasWindow() && g.Showing() && g.CanFocus() && g.CanTakeFocus() && !g.IsDesigning() && !g.Focused())
        g.FocusGrid();
}
}  // namespace

void TgrBaseGrid::HandleVertScroll(TgrScrollCode code, Integer pos) {
    FocusForScroll(*this);
    Integer row = std::clamp(VertScrollTarget(code, pos), FixedRowTotal(), std::max(FixedRowTotal(), GetMaxTopRow()));
    if (row != TopRow()) SetTopLeft(TopLeftCell().Col, row);
    InvalidateFocusCell(false);
    Update();
}

void TgrBaseGrid::HandleHorzScroll(TgrScrollCode code, Integer pos) {
    FocusForScroll(*this);
    Integer col =
        std::clamp(HorzScrollTarget(code, pos), FixedColTotal(), std::max(FixedColTotal(), GetMaxLeftCol()));
    if (col != TopLeftCell().Col) SetTopLeft(col, TopRow());
    InvalidateFocusCell(false);
    Update();
}

void TgrBaseGrid::BeforeScroll(bool invalidateCurrent) {
    HideCellControlIfShown(false);
    if (invalidateCurrent && IsEditMode()) InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
}

void TgrBaseGrid::ClampTopLeft() {
    struct Nesting {
        Integer& n;
        explicit Nesting(Integer& v) : n(v) { ++n; }
        ~Nesting() { --n; }
    } nesting(clampNesting_);
    TCellCoord_ts max = GetMaxTopLeft();
    TCellCoord_ts top = TopLeftCell();
    Integer col = HasWindow() ? std::min(max.Col, top.Col) : top.Col;
    Integer row = HasWindow() ? std::min(max.Row, top.Row) : top.Row;
    if (col != top.Col || row != top.Row) {
        TgrUpdateLocked locked(*this);
        SetTopLeft(col, row);
    }
    clampRan_ = true;
    if (clampNesting_ == 1) CheckTopLeftChanged(true);
}

void TgrBaseGrid::CheckTopLeftChanged(bool byUser) {
    TCellCoord_ts now = TopLeftCell();
    if (now == reportedTopLeft_) return;
    TCellCoord_ts old = reportedTopLeft_;
    // What is reported next compares with this, also when the handler raises.
    reportedTopLeft_ = now;
    UpdateScrollPos();
    DoTopLeftChanged(old.Col, old.Row, now.Col, now.Row, byUser);
}

void TgrBaseGrid::RecheckTopLeft(bool alreadyLocked) {
    if (IsLayoutSuspended()) {
        pendingLayout_ |= 1u;
        return;
    }
    if (alreadyLocked) {
        SetTopLeft(TopLeftCell().Col, TopRow());
        return;
    }
    TgrUpdateLocked locked(*this);
    SetTopLeft(TopLeftCell().Col, TopRow());
}
