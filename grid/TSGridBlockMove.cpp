// Moving columns and rows in the display order: one item, or, when the
// moved item is selected, every selected item gathered into one block at
// the drop place in its previous order. Data numbers stay; the display
// maps, widths and heights, visible lists, selection bits and the current
// cell follow.

#include <algorithm>
#include <vector>

#include "grid/TSGrid.h"

namespace {

// The display order after the move, as the old display positions of the
// positions 1..count (entry 0 unused); `first` is where the moved item or
// block starts and `moved` how many items moved. An empty order means
// nothing moves (a drop inside the selected block).
std::vector<Integer> MovedOrder(const TgrSelection& sel, Integer count, Integer from, Integer to, Integer& first,
                                Integer& moved) {
    std::vector<Integer> order;
    if (from == to) return order;
    std::vector<Integer> block, rest;
    bool asBlock = sel.IsSelected(from);
    for (Integer p = 1; p <= count; ++p) {
        bool inBlock = asBlock ? sel.IsSelected(p) : p == from;
        (inBlock ? block : rest).push_back(p);
    }
    moved = Integer(block.size());
    if (asBlock && sel.CountSelected(std::min(from, to), std::max(from, to)) == std::abs(to - from) + 1) return order;
    // Moving back, the selected items before the drop place end right
    // before it; moving on, those after it end right after it.
    first = to < from ? to - sel.CountSelected(1, to - 1) * asBlock
                      : to + (to < count ? sel.CountSelected(to + 1, count) : 0) * asBlock - moved + 1;
    first = std::clamp<Integer>(first, 1, count - moved + 1);
    order.push_back(0);
    order.insert(order.end(), rest.begin(), rest.begin() + (first - 1));
    order.insert(order.end(), block.begin(), block.end());
    order.insert(order.end(), rest.begin() + (first - 1), rest.end());
    return order;
}

// Brings the items into the wanted order by single moves (each one shifts
// the items between by one place).
template <typename Move>
void ApplyOrder(const std::vector<Integer>& wanted, Move move) {
    std::vector<Integer> now(wanted.size());
    for (std::size_t p = 0; p < now.size(); ++p) now[p] = Integer(p);
    for (std::size_t p = 1; p < wanted.size(); ++p) {
        if (now[p] == wanted[p]) continue;
        std::size_t q = std::size_t(std::find(now.begin() + std::ptrdiff_t(p), now.end(), wanted[p]) - now.begin());
        move(Integer(q), Integer(p));
        Integer item = now[q];
        now.erase(now.begin() + std::ptrdiff_t(q));
        now.insert(now.begin() + std::ptrdiff_t(p), item);
    }
}

}  // namespace

void TgrBaseGrid::MoveColOrder(Integer from, Integer to) {
    if (from == to) return;
    MoveColIndex(from, to);
    if (visibleCols_->Materialized()) MoveVisibleColEntry(from, to);
    MoveColWidth(from, to);
    MoveColSelectionBit(from, to);
    MoveCurrentColIndex(from, to);
}

void TgrBaseGrid::MoveRowOrder(Integer from, Integer to) {
    if (from == to) return;
    Integer d = rowMap_[std::size_t(from)];
    rowMap_.erase(rowMap_.begin() + from);
    rowMap_.insert(rowMap_.begin() + to, d);
    // The base's move carries the shared current row along.
    MoveRowTo(from, to);
    if (visibleRows_->Materialized()) visibleRows_->MovePosition(from, to);
    gridRows_->EnsureDisplayArray();
    for (Integer p = std::min(from, to); p <= std::max(from, to); ++p)
        SetDataRowOfDisplay(p, rowMap_[std::size_t(p)]);
    rowSelection_->Move(from, to);
}

bool TgrBaseGrid::MoveCol(Integer from, Integer to) {
    Integer count = Cols();
    if (from < 1 || to < 1 || from > count || to > count) return false;
    Integer first = to, moved = 1;
    std::vector<Integer> order = MovedOrder(*colSelection_, count, from, to, first, moved);
    if (order.empty()) return false;
    ApplyOrder(order, [this](Integer f, Integer t) { MoveColOrder(f, t); });
    DoColMoved(first, moved, true);
    UpdateScrollBars();
    RecheckTopLeft(false);
    Invalidate();
    ResetCellControl(true);
    return true;
}

bool TgrBaseGrid::MoveRow(Integer from, Integer to) {
    Integer count = Rows();
    if (from < 1 || to < 1 || from > count || to > count) return false;
    // The insert row of gmEditInsert never moves.
    if (InsertRowShown() && rowSelection_->IsSelected(RowTotal() - 1)) DeselectDisplayRows(RowTotal() - 1, RowTotal() - 1);
    Integer first = to, moved = 1;
    std::vector<Integer> order = MovedOrder(*rowSelection_, count, from, to, first, moved);
    if (order.empty()) return false;
    Integer current = curDataRow_;
    ApplyOrder(order, [this](Integer f, Integer t) { MoveRowOrder(f, t); });
    FollowCurrentDataCell(curDataCol_, current);
    DoRowMoved(first, moved, true);
    UpdateScrollBars();
    Invalidate();
    return true;
}
