// Moving columns and rows in the display order: one item, or, when the
// moved item is selected, every selected item gathered into one block at
// the drop place in its previous order. Data numbers stay; the display
// maps, widths and heights, visible lists, selection bits and the current
// cell follow.

#include <algorithm>

#include "grid/TSGrid.h"

namespace {

// The selected items gathered into one block by single moves (move(g, x)
// shifts the items between by one place). Backward (to < from): those
// before `to` end right before it, nearest first; the others start at it.
// Forward: those after `to` start right after it, nearest first; the others
// end at it. `between` is the signed count of the Selected...Between helpers.
template <typename Move, typename Between>
void GatherBlock(const TgrSelection& sel, Integer count, Integer from, Integer to, Move move, Between between) {
    bool back = to < from;
    Integer k = back ? sel.CountSelected(to, from - 1) : sel.CountSelected(from + 1, to);
    Integer step = back ? -1 : 1;
    // Beyond the drop place, from the nearest one outward: scanning away
    // from it, a moved item shifts only the items already passed.
    Integer target = to;
    for (Integer g = to + step; g >= 1 && g <= count; g += step) {
        if (!sel.IsSelected(g)) continue;
        target += step;
        if (g != target) move(g, target);
    }
    // The rest, from the first one at the drop place toward the moved item
    // and on past it.
    bool first = true;
    for (Integer g = to; g >= 1 && g <= count; g -= step) {
        if (!sel.IsSelected(g)) continue;
        if (first) target = to + (back ? k + between(g, from) : between(g, from) - k);
        else target -= step;
        first = false;
        if (g != target) move(g, target);
    }
}

// From this many selected items on, a block move rebuilds the visible list
// once at its end instead of moving each entry along at every step.
constexpr Integer kRebuildVisibleFrom = 100;

// Runs a block move with the visible list's moves deferred while defer is
// set; the list is then rebuilt once, also when a step raised.
template <typename Gather, typename Rebuild>
void GatherDeferringVisible(bool& defer, Integer selected, Gather gather, Rebuild rebuild) {
    struct Done {
        bool& defer;
        Rebuild& rebuild;
        ~Done() {
            if (!defer) return;
            defer = false;
            rebuild();
        }
    } done{defer, rebuild};
    defer = selected >= kRebuildVisibleFrom;
    gather();
}

}  // namespace

Integer TgrBaseGrid::SelectedColsBetween(Integer a, Integer b) const {
    if (a == b) return 0;
    return b < a ? colSelection_->CountSelected(b + 1, a) : -colSelection_->CountSelected(a, b - 1);
}

Integer TgrBaseGrid::SelectedRowsBetween(Integer a, Integer b) const {
    if (a == b) return 0;
    return b < a ? rowSelection_->CountSelected(b + 1, a) : -rowSelection_->CountSelected(a, b - 1);
}

void TgrBaseGrid::MoveColBlockLeft(Integer from, Integer to) {
    if (colSelection_->Count() == 0) {
        MoveColOrder(from, to);
        return;
    }
    GatherDeferringVisible(
        deferVisibleCols_, colSelection_->Count(),
        [&] {
            GatherBlock(*colSelection_, Cols(), from, to, [this](Integer g, Integer x) { MoveColOrder(g, x); },
                        [this](Integer a, Integer b) { return SelectedColsBetween(a, b); });
        },
        [this] { RebuildVisibleCols(); });
}

void TgrBaseGrid::MoveColBlockRight(Integer from, Integer to) { MoveColBlockLeft(from, to); }

void TgrBaseGrid::MoveRowBlockUp(Integer from, Integer to) {
    if (rowSelection_->Count() == 0) {
        MoveRowOrder(from, to);
        return;
    }
    GatherDeferringVisible(
        deferVisibleRows_, rowSelection_->Count(),
        [&] {
            GatherBlock(*rowSelection_, Rows(), from, to, [this](Integer g, Integer x) { MoveRowOrder(g, x); },
                        [this](Integer a, Integer b) { return SelectedRowsBetween(a, b); });
        },
        [this] { RebuildVisibleRows(); });
}

void TgrBaseGrid::MoveRowBlockDown(Integer from, Integer to) { MoveRowBlockUp(from, to); }

void TgrBaseGrid::MoveColOrder(Integer from, Integer to) {
    if (from == to) return;
    MoveColIndex(from, to);
    if (visibleCols_->Materialized() && !deferVisibleCols_) MoveVisibleColEntry(from, to);
    MoveColWidth(from, to);
    MoveColSelectionBit(from, to);
    FollowCurrentColAfterMove(from, to);
}

// A column object's move (its DisplayCol) takes the same steps as the
// grid's own single move, each through the grid's property interface.
void TgrBaseGrid::MoveVisibleCol(Integer from, Integer to) {
    if (visibleCols_->Materialized()) MoveVisibleColEntry(from, to);
}

void TgrBaseGrid::MoveVisibleColEntry(Integer from, Integer to) { visibleCols_->MovePosition(from, to); }

void TgrBaseGrid::MoveColSelectionBit(Integer from, Integer to) {
    if (colSelection_->CountSelected(std::min(from, to), std::max(from, to)) == 0) return;
    MoveColSelection(from, to);
}

void TgrBaseGrid::RebuildVisibleCols() {
    if (!visibleCols_->Materialized()) return;
    Integer n = visibleCols_->Count(), i = 0;
    for (Integer p = 1; p < ColTotal() && i < n; ++p) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(p));
        if (!col || col->Visible()) visibleCols_->Put(++i, p);
    }
}

void TgrBaseGrid::RebuildVisibleRows() {
    if (!visibleRows_->Materialized()) return;
    Integer n = visibleRows_->Count(), i = 0;
    for (Integer p = 1; p < RowTotal() && i < n; ++p) {
        Integer dataRow = DataRowOfDisplay(p);
        if (dataRow > Rows() || IsRowVisible(dataRow)) visibleRows_->Put(++i, p);
    }
}

void TgrBaseGrid::MoveRowOrder(Integer from, Integer to) {
    if (from == to) return;
    Integer d = rowMap_[std::size_t(from)];
    rowMap_.erase(rowMap_.begin() + from);
    rowMap_.insert(rowMap_.begin() + to, d);
    MoveRowHeight(from, to);
    if (!deferVisibleRows_) MoveVisibleRowEntry(from, to);
    gridRows_->EnsureDisplayArray();
    for (Integer p = std::min(from, to); p <= std::max(from, to); ++p)
        SetDataRowOfDisplay(p, rowMap_[std::size_t(p)]);
    MoveRowSelectionBit(from, to);
    FollowCurrentRowAfterMove(from, to);
}

// The base's move carries the shared current row along.
void TgrBaseGrid::MoveRowHeight(Integer from, Integer to) { MoveRowTo(from, to); }

void TgrBaseGrid::MoveVisibleRowEntry(Integer from, Integer to) {
    if (visibleRows_->Materialized()) visibleRows_->MovePosition(from, to);
}

void TgrBaseGrid::MoveRowSelectionBit(Integer from, Integer to) { rowSelection_->Move(from, to); }

namespace {
// Whether a single move from..to moved the item now at `now` (the moved
// one, or one that the move shifted by a place).
bool MovedBy(Integer now, Integer from, Integer to) {
    return now == to || (to < from ? now > to && now <= from : now >= from && now < to);
}
}  // namespace

// The base's moves carry the shared current cell along with its column
// (row); where it changed place, the focus shows there and the change is
// reported.
void TgrBaseGrid::MoveCurrentColIndex(Integer from, Integer to) {
    if (!MovedBy(curDisplayCol_, from, to)) return;
    InvalidateFocusCell(false);
    CheckCurrentCellChanged();
}

void TgrBaseGrid::FollowCurrentColAfterMove(Integer from, Integer to) { MoveCurrentColIndex(from, to); }

void TgrBaseGrid::FollowCurrentRowAfterMove(Integer from, Integer to) {
    if (!MovedBy(curDisplayRow_, from, to)) return;
    InvalidateFocusCell(false);
    CheckCurrentCellChanged();
}

// A drop inside the selected block moves nothing.
static bool DropInsideBlock(const TgrSelection& sel, Integer from, Integer to) {
    return sel.CountSelected(std::min(from, to), std::max(from, to)) == std::abs(to - from) + 1;
}

bool TgrBaseGrid::MoveCol(Integer from, Integer to) {
    Integer count = Cols();
    if (from < 1 || to < 1 || from > count || to > count || from == to) return false;
    bool block = colSelection_->IsSelected(from);
    if (block && DropInsideBlock(*colSelection_, from, to)) return false;
    if (!block) MoveColOrder(from, to);
    else if (to < from) MoveColBlockLeft(from, to);
    else MoveColBlockRight(from, to);
    DoColMoved(block ? colSelection_->First() : to, block ? colSelection_->Count() : 1, true);
    UpdateScrollBars();
    RecheckTopLeft(false);
    Invalidate();
    ResetCellControl(true);
    return true;
}

bool TgrBaseGrid::MoveRow(Integer from, Integer to) {
    Integer count = Rows();
    if (from < 1 || to < 1 || from > count || to > count || from == to) return false;
    // The insert row of gmEditInsert never moves.
    if (InsertRowShown() && rowSelection_->IsSelected(RowTotal() - 1)) DeselectDisplayRows(RowTotal() - 1, RowTotal() - 1);
    bool block = rowSelection_->IsSelected(from);
    if (block && DropInsideBlock(*rowSelection_, from, to)) return false;
    Integer current = curDataRow_;
    if (!block) MoveRowOrder(from, to);
    else if (to < from) MoveRowBlockUp(from, to);
    else MoveRowBlockDown(from, to);
    FollowCurrentDataCell(curDataCol_, current);
    DoRowMoved(block ? rowSelection_->First() : to, block ? rowSelection_->Count() : 1, true);
    UpdateScrollBars();
    Invalidate();
    return true;
}
