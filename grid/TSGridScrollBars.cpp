// The grid's own scroll bars. A bar shows while its scrolling items do not
// fit, or disabled while AlwaysShowScrollBar asks for it. Positions count
// visible scrolling columns (rows), scaled into 0..kMaxScrollPos past that
// many; updates wait while the grid cannot paint and run at the end of the
// next paint. Presses on a bar's arrows, track and thumb become scroll
// requests.

#include <algorithm>

#include "grid/TSGrid.h"
#include "platform/core/MathUtils.h"

namespace {
bool Allows(TScrollStyle style, bool vertical) {
    return style == ssBoth || style == (vertical ? ssVertical : ssHorizontal);
}

bool SameInfo(const TCustomControl::TScrollInfo& a, const TCustomControl::TScrollInfo& b) {
    return a.Min == b.Min && a.Max == b.Max && a.Page == b.Page && a.Pos == b.Pos;
}
}  // namespace

// ------------------------------------------------------------ figures

namespace {
void RangeOf(TgrVisibleItems* list, Integer fixed, Integer lastPos, Integer& positions, Integer& range,
             Integer& first, Integer& count, bool& scaled) {
    bool found = false;
    first = list->Find(fixed, found);
    count = list->VisibleCount();
    positions = count - first + 1;
    range = std::min(TgrBaseGrid::kMaxScrollPos, positions);
    scaled = false;
    if (positions > TgrBaseGrid::kMaxScrollPos) {
        scaled = true;
        positions = lastPos - first;
        range = std::min(TgrBaseGrid::kMaxScrollPos, lastPos - first);
    }
}
}  // namespace

void TgrBaseGrid::GetHorzScrollRange(Integer& positions, Integer& range, Integer& first, Integer& count,
                                     bool& scaled) {
    RangeOf(visibleCols_.get(), FixedColTotal(), GetMaxLeftColPos(), positions, range, first, count, scaled);
}

void TgrBaseGrid::GetVertScrollRange(Integer& positions, Integer& range, Integer& first, Integer& count,
                                     bool& scaled) {
    RangeOf(visibleRows_.get(), FixedRowTotal(), GetMaxTopRowPos(), positions, range, first, count, scaled);
}

TgrBaseGrid::TgrScrollFigures TgrBaseGrid::ScrollFigures(bool vertical) {
    TgrScrollFigures f;
    if (vertical) GetVertScrollRange(f.Positions, f.Range, f.First, f.Count, f.Scaled);
    else GetHorzScrollRange(f.Positions, f.Range, f.First, f.Count, f.Scaled);
    return f;
}

namespace {
Integer ScrollPosOf(const TgrBaseGrid::TgrScrollFigures& f, Integer a, Integer last) {
    if (f.Positions <= 0) return 1;
    if (f.Scaled) {
        auto p = Integer(RoundHalfEven(double(f.Range) / double(f.Positions) * double(a - f.First)));
        return p > f.Count ? f.Count : p;
    }
    Integer p = a - f.First + 1;
    return p > f.Count ? last : p;
}
}  // namespace

Integer TgrBaseGrid::GetHorzScrollPos() {
    if (!HasWindow()) return 1;
    bool found = false;
    return ScrollPosOf(ScrollFigures(false), visibleCols_->Find(TopLeftCell().Col, found), GetMaxLeftColPos());
}

Integer TgrBaseGrid::GetVertScrollPos() {
    if (!HasWindow()) return 1;
    bool found = false;
    return ScrollPosOf(ScrollFigures(true), visibleRows_->Find(TopRow(), found), GetMaxTopRowPos());
}

namespace {
Integer PageOf(Integer range, Integer positions, Integer count, Integer last) {
    if (positions <= 0) return 0;
    return std::max<Integer>(1, Integer(RoundHalfEven(double(count - last + 1) / double(positions) * double(range))));
}
}  // namespace

Integer TgrBaseGrid::GetVertScrollPage(Integer range, Integer positions, Integer count) {
    return PageOf(range, positions, count, GetMaxTopRowPos());
}

TCustomControl::TScrollInfo TgrBaseGrid::BuildScrollInfo(TScrollBarKind bar) {
    bool vertical = bar == sbVertical;
    TScrollInfo info = ReadScrollInfo(bar);
    TgrScrollFigures f = ScrollFigures(vertical);
    info.Min = f.Scaled ? 0 : 1;
    info.Max = f.Range;
    if (f.Positions == 0) info.Page = 0;
    else if (f.Scaled) info.Page = 1;
    else if (vertical) info.Page = GetVertScrollPage(f.Range, f.Positions, f.Count);
    else info.Page = PageOf(f.Range, f.Positions, f.Count, GetMaxLeftColPos());
    return info;
}

// ------------------------------------------------------------ need of a bar

namespace {
// Whether the scrolling items of an axis, from the first one on, run past
// the extent: with more than one of them shown, or when the axis has more
// than one visible scrolling item at all.
bool ItemsOverflow(TgrBaseGrid& g, bool vertical, Integer extent) {
    TGridLayout_ts l;
    g.ComputeFixedLayout(l);
    Integer x = vertical ? l.Vert.FixedEnd : l.Horz.FixedEnd;
    Integer total = vertical ? g.RowTotal() : g.ColTotal();
    Integer shown = 0;
    for (Integer i = vertical ? g.FixedRowTotal() : g.FixedColTotal(); i < total && x <= extent; ++i) {
        Integer size = vertical ? g.GetRowHeightAt(i) : g.GetColWidthAt(i);
        x += size;
        if (size != 0) ++shown;
    }
    if (extent >= x) return false;
    if (shown > 1) return true;
    TgrBaseGrid::TgrScrollFigures f = g.ScrollFigures(vertical);
    return f.Count - f.First > 0;
}
}  // namespace

bool TgrBaseGrid::NeedsHorzScrollBar(Integer clientWidth) {
    if (!HasWindow() || !Allows(scrollBars_, false)) return false;
    return ItemsOverflow(*this, false, clientWidth);
}

bool TgrBaseGrid::NeedsVertScrollBar(Integer clientHeight) {
    if (!HasWindow() || !Allows(scrollBars_, true)) return false;
    return ItemsOverflow(*this, true, clientHeight);
}

bool TgrBaseGrid::IsHorzScrollBarNeeded() {
    if (!HasWindow()) return false;
    Integer w = !vertBarShown_ && AlwaysShowsVertBar() ? GetVertScrollBarWidth() : 0;
    return NeedsHorzScrollBar(ClientWidth() - w);
}

bool TgrBaseGrid::IsVertScrollBarNeeded() {
    if (!HasWindow()) return false;
    Integer h = !horzBarShown_ && AlwaysShowsHorzBar() ? GetHorzScrollBarHeight() : 0;
    return NeedsVertScrollBar(ClientHeight() - h);
}

bool TgrBaseGrid::AlwaysShowsHorzBar() const {
    return Allows(alwaysShowScrollBar_, false) && Allows(scrollBars_, false);
}

bool TgrBaseGrid::AlwaysShowsVertBar() const {
    return Allows(alwaysShowScrollBar_, true) && Allows(scrollBars_, true);
}

// ------------------------------------------------------------ showing

namespace {
void ShowBar(TgrBaseGrid& g, TCustomControl::TScrollBarKind bar, bool needed, bool always, bool& shownFlag,
             Integer pos) {
    if (needed) {
        TCustomControl::TScrollInfo info = g.BuildScrollInfo(bar);
        info.Pos = pos;
        shownFlag = true;
        if (!SameInfo(info, g.ReadScrollInfo(bar))) g.SetScrollInfo(bar, info);
        g.EnableScrollBar(bar, true);
        g.ShowScrollBar(bar, true);
    } else if (shownFlag || always) {
        shownFlag = always;
        g.ShowScrollBar(bar, always);
        if (always) g.EnableScrollBar(bar, false);
    }
}
}  // namespace

void TgrBaseGrid::ShowHorzScrollBar(bool needed) {
    ShowBar(*this, sbHorizontal, needed, AlwaysShowsHorzBar(), horzBarShown_, needed ? GetHorzScrollPos() : 0);
}

void TgrBaseGrid::ShowVertScrollBar(bool needed) {
    ShowBar(*this, sbVertical, needed, AlwaysShowsVertBar(), vertBarShown_, needed ? GetVertScrollPos() : 0);
}

void TgrBaseGrid::UpdateScrollBars() {
    if (!HasWindow()) return;
    // Deferred to the end of the next paint while the grid cannot paint,
    // and rerun there when asked again while running.
    if (!CanPaintNow()) {
        scrollBarsPending_ = true;
        return;
    }
    if (scrollBarsRunning_) {
        scrollBarsRerun_ = true;
        return;
    }
    TgrFlagRaised running(scrollBarsRunning_);
    // A bar takes room from the other axis: a second pass settles them.
    for (int pass = 0; pass < 2; ++pass) {
        Integer w = ClientWidth(), h = ClientHeight();
        ShowHorzScrollBar(IsHorzScrollBarNeeded());
        ShowVertScrollBar(IsVertScrollBarNeeded());
        if (w == ClientWidth() && h == ClientHeight()) break;
    }
    scrollBarsPending_ = false;
    // A client area that grew may leave the view beyond its limits.
    TCellCoord_ts max = GetMaxTopLeft();
    if (TopLeftCell().Col > max.Col || TopRow() > max.Row) RecheckTopLeft(false);
    // The bars lie outside the client area; they are redrawn at once rather
    // than invalidated, which would widen the next paint to the whole grid.
    PaintScrollBars(Canvas());
}

void TgrBaseGrid::UpdateScrollPos() {
    if (!HasWindow() || scrollBars_ == ssNone) return;
    if (!CanPaintNow()) {
        scrollPosPending_ = true;
        return;
    }
    struct ClearPending {
        bool& flag;
        ~ClearPending() { flag = false; }
    } clear{scrollPosPending_};
    if (Allows(scrollBars_, false)) {
        Integer pos = GetHorzScrollPos();
        if (pos != GetScrollPos(sbHorizontal)) SetScrollPos(sbHorizontal, pos);
    }
    if (Allows(scrollBars_, true)) {
        Integer pos = GetVertScrollPos();
        if (pos != GetScrollPos(sbVertical)) SetScrollPos(sbVertical, pos);
    }
    PaintScrollBars(Canvas());
}

// ------------------------------------------------------------ presses

namespace {
// Which bar a client point lies on: 1 vertical, 2 horizontal, 0 none.
Integer BarAt(TgrBaseGrid& g, Integer x, Integer y) {
    if (g.ScrollBarShown(TCustomControl::sbVertical) && x >= g.ClientWidth() && y < g.ClientHeight()) return 1;
    if (g.ScrollBarShown(TCustomControl::sbHorizontal) && y >= g.ClientHeight() && x < g.ClientWidth()) return 2;
    return 0;
}
}  // namespace

bool TgrBaseGrid::ScrollBarPress(Integer x, Integer y) {
    Integer axis = BarAt(*this, x, y);
    if (!axis) return false;
    bool vert = axis == 1;
    TScrollBarKind kind = vert ? sbVertical : sbHorizontal;
    if (!ScrollBarEnabled(kind)) return true;
    constexpr Integer t = ScrollBarThickness;
    Integer length = vert ? ClientHeight() : ClientWidth();
    // A mirrored grid's horizontal bar runs from the right edge.
    Integer at = vert ? y : (UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x);
    Integer pos = 0, thumb = 0;
    ThumbSpan(length, GetScrollInfo(kind), pos, thumb);
    TgrScrollCode code = scEndScroll;
    if (at < t) code = scLineUp;
    else if (at >= length - t) code = scLineDown;
    else if (at < t + pos) code = scPageUp;
    else if (at >= t + pos + thumb) code = scPageDown;
    if (code == scEndScroll) return true;
    if (vert) HandleVertScroll(code, 0);
    else HandleHorzScroll(code, 0);
    return true;
}

// A press on a bar's thumb starts dragging it.
bool TgrBaseGrid::ThumbPress(Integer x, Integer y) {
    Integer axis = BarAt(*this, x, y);
    if (!axis) return false;
    bool vert = axis == 1;
    TScrollBarKind kind = vert ? sbVertical : sbHorizontal;
    if (!ScrollBarEnabled(kind)) return false;
    constexpr Integer t = ScrollBarThickness;
    Integer length = vert ? ClientHeight() : ClientWidth();
    Integer at = vert ? y : x;
    Integer pos = 0, thumb = 0;
    ThumbSpan(length, GetScrollInfo(kind), pos, thumb);
    if (at < t + pos || at >= t + pos + thumb) return false;
    thumbAxis_ = axis;
    thumbGrab_ = at - (t + pos);
    SetMouseCapture(true);
    return true;
}

// The dragged thumb stands for the bar position nearest to where its top
// (left) edge now is: a thumb-track request while it moves (acting only
// with ThumbTracking), a thumb-position request when it is let go.
void TgrBaseGrid::ThumbDragTo(Integer x, Integer y, bool final) {
    if (!thumbAxis_ || (!thumbTracking_ && !final)) return;
    bool vert = thumbAxis_ == 1;
    TScrollBarKind kind = vert ? sbVertical : sbHorizontal;
    constexpr Integer t = ScrollBarThickness;
    TScrollInfo info = GetScrollInfo(kind);
    Integer length = vert ? ClientHeight() : ClientWidth();
    Integer pos = 0, thumb = 0;
    ThumbSpan(length, info, pos, thumb);
    Integer room = std::max<Integer>(0, length - 2 * t) - thumb;
    Int64 steps = Int64(info.Max) - info.Min + 1 - std::max(info.Page, 1);
    if (steps <= 0 || room <= 0) return;
    Integer at = std::clamp<Integer>((vert ? y : x) - t - thumbGrab_, 0, room);
    auto barPos = Integer(info.Min + (Int64(at) * steps + room / 2) / room);
    TgrScrollCode code = final ? scThumbPosition : scThumbTrack;
    if (vert) HandleVertScroll(code, barPos);
    else HandleHorzScroll(code, barPos);
}
