// Removing data columns and rows from the middle of the grid class: every
// thing keyed by data number follows (cell records, stored values, column
// and row objects, display maps, changed-row marks), and the current cell
// stays on its data cell. A removed item first moves to the last display
// position and then leaves with the count.

#include <algorithm>
#include <memory>
#include <vector>

#include "grid/TSGrid.h"

namespace {

// Marks columns or rows as being removed: the counts are between two
// states, so Cols and Rows ignore new values meanwhile (an OnDeleteCol or
// OnDeleteRow handler fires in between).
struct TRemovalGuard {
    Integer& depth;
    explicit TRemovalGuard(Integer& d) : depth(d) { ++depth; }
    ~TRemovalGuard() { --depth; }
    TRemovalGuard(const TRemovalGuard&) = delete;
    TRemovalGuard& operator=(const TRemovalGuard&) = delete;
};

}  // namespace

void TgrBaseGrid::RekeyCellRecord(TgrCellElement* e, Integer dataCol, Integer dataRow) {
    TgrKeyValues key = CellKey(e->DataCol, e->DataRow);
    auto* node = static_cast<TgrObjectSetNode*>(cellProps_->RemoveNode(&key));
    if (!node) return;
    node->Element = nullptr;  // the record lives on under its new key
    node->FreeNode(0);
    UnindexCellRecord(e);
    e->DataCol = dataCol;
    e->DataRow = dataRow;
    cellProps_->Add(e);
    IndexCellRecord(e);
}

void TgrBaseGrid::DropColCellRecords(Integer dataCol) {
    for (TgrCellElement* e : CellRecords(cellProps_.get()))
        if (e->DataCol == dataCol) {
            fontCells_.RemovePair(e->DataCol, e->DataRow);
            cellProps_->RemoveElement(e);
        }
    cellCacheInvalid_ = true;
}

void TgrBaseGrid::DropRowCellRecords(Integer dataRow) {
    for (TgrCellElement* e : CellRecords(cellProps_.get()))
        if (e->DataRow == dataRow) {
            fontCells_.RemovePair(e->DataCol, e->DataRow);
            cellProps_->RemoveElement(e);
        }
    cellCacheInvalid_ = true;
}

void TgrBaseGrid::ShiftColCellRecords(Integer dataCol, Integer last) {
    // Ascending, so that no record lands on a key that is still taken.
    for (TgrCellElement* e : CellRecords(cellProps_.get()))
        if (e->DataCol > dataCol && e->DataCol <= last) RekeyCellRecord(e, e->DataCol - 1, e->DataRow);
    for (Integer i = 0; i + 1 < fontCells_.Count(); i += 2)
        if (fontCells_.Get(i) > dataCol && fontCells_.Get(i) <= last) fontCells_.Put(i, fontCells_.Get(i) - 1);
    // The one-entry lookup must not answer for a key that moved.
    cellCacheInvalid_ = true;
}

void TgrBaseGrid::ShiftRowCellRecords(Integer dataRow, Integer last) {
    for (TgrCellElement* e : CellRecords(cellProps_.get()))
        if (e->DataRow > dataRow && e->DataRow <= last) RekeyCellRecord(e, e->DataCol, e->DataRow - 1);
    for (Integer i = 0; i + 1 < fontCells_.Count(); i += 2)
        if (fontCells_.Get(i + 1) > dataRow && fontCells_.Get(i + 1) <= last)
            fontCells_.Put(i + 1, fontCells_.Get(i + 1) - 1);
    cellCacheInvalid_ = true;
}

// A data column leaves: it moves to the last display position (the last
// of the data columns still counted), its cell records go, and the later
// data columns take the numbers one lower.
void TgrBaseGrid::MoveColToEnd(Integer dataCol, Integer last) {
    Integer i = dataCol, b = DisplayColOfData(dataCol), count = last;
    if (colSelection_->IsSelected(b)) colSelection_->SetSelected(b, false);
    if (b != last) {
        Integer d = colMap_[std::size_t(b)];
        colMap_.erase(colMap_.begin() + b);
        colMap_.insert(colMap_.begin() + last, d);
        MoveColumnTo(b, last);
        colSelection_->Move(b, last);
        if (visibleCols_->Materialized()) visibleCols_->MovePosition(b, last);
    }
    DropColCellRecords(i);
    ShiftColCellRecords(i, count);
    TgrCol* gone = gridCols_->ColAt(i);
    gridCols_->MoveBlock(i + 1, i, count - i);
    gridCols_->PutCol(count, gone);
    for (Integer p = 1; p <= count; ++p)
        if (colMap_[std::size_t(p)] > i) --colMap_[std::size_t(p)];
    colMap_[std::size_t(last)] = count;
}

// The value store drops the column and OnDeleteCol reports it.
void TgrBaseGrid::ReportRemovedCol(Integer dataCol) {
    DeleteStoredColumns(dataCol, dataCol);
    if (OnDeleteCol && CanFireEvents()) DoDeleteCol(dataCol, false);
}

// The row twin: a data row leaves.
void TgrBaseGrid::MoveRowToEnd(Integer dataRow, Integer last) {
    Integer i = dataRow, b = DisplayRowOfData(dataRow), count = last;
    if (rowSelection_->IsSelected(b)) rowSelection_->SetSelected(b, false);
    if (b != last) {
        Integer d = rowMap_[std::size_t(b)];
        rowMap_.erase(rowMap_.begin() + b);
        rowMap_.insert(rowMap_.begin() + last, d);
        MoveRowTo(b, last);
        rowSelection_->Move(b, last);
        if (visibleRows_->Materialized()) visibleRows_->MovePosition(b, last);
    }
    DropRowCellRecords(i);
    ShiftRowCellRecords(i, count);
    gridRows_->FreeRow(i);
    gridRows_->MoveBlock(i + 1, i, count - i);
    for (Integer d = i; d < count; ++d)
        if (TgrRow* row = gridRows_->GetRow(d)) row->InitSlot(d, row->Height(), row->RequestedHeight());
    // The changed-row marks move with their rows.
    if (i < Integer(rowChanged_.size())) {
        rowChanged_.erase(rowChanged_.begin() + i);
        rowChanged_.push_back(false);
    }
    for (Integer p = 1; p <= count; ++p)
        if (rowMap_[std::size_t(p)] > i) --rowMap_[std::size_t(p)];
    rowMap_[std::size_t(last)] = count;
}

void TgrBaseGrid::ReportRemovedRow(Integer dataRow) {
    DeleteStoredRows(dataRow, dataRow);
    FireDeleteRow(dataRow, false);
}

// After removed data columns moved to the end: the counts shrink and the
// columns and cell records take their new numbers.
void TgrBaseGrid::SettleRemovedCols(Integer old, Integer removed) {
    ChangeCounts(old - removed + 1, RowTotal());
    for (Integer p = 1; p < ColTotal(); ++p)
        if (TgrCol* c = gridCols_->ColAt(colMap_[std::size_t(p)])) c->RenumberDisplayCol(p);
}

void TgrBaseGrid::SettleRemovedRows(Integer old, Integer removed) {
    // The removed rows sit at the end now, before the insert row.
    if (insertRowCount_ > 0) {
        Integer insertPos = RowTotal() - 1, kept = old - removed + 1;
        rowMap_.erase(rowMap_.begin() + insertPos);
        rowMap_.insert(rowMap_.begin() + kept, kept);
        MoveRowTo(insertPos, kept);
        for (Integer p = kept + 1; p < RowTotal(); ++p) rowMap_[std::size_t(p)] = p;
    }
    ChangeCounts(ColTotal(), old - removed + 1 + insertRowCount_);
    if (gridRows_->HasDisplayArray())
        for (Integer p = 1; p < RowTotal(); ++p) gridRows_->SetDisplayRowOf(rowMap_[std::size_t(p)], p);
}

void TgrBaseGrid::DeleteCols(Integer from, Integer to) {
    if (!RemoveCols(from, to)) return;
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

bool TgrBaseGrid::RemoveCols(Integer from, Integer to) {
    if (from > Cols() || to < 1) return false;
    from = std::max<Integer>(from, 1);
    to = std::min(to, Cols());
    if (to < from) return false;
    bool currentGoes = curDataCol_ >= from && curDataCol_ <= to;
    if (currentGoes && !CanLeaveCell(0, curDataRow_, false)) return false;
    HideCellControl(true);
    EndCellEdit(true);
    Integer old = Cols(), removed = to - from + 1;
    Integer keepCol = currentGoes ? 0 : curDataCol_ - (curDataCol_ > to ? removed : 0);
    Integer keepDisplay = curDisplayCol_;
    {
        TRemovalGuard removing(colsRemoving_);
        for (Integer i = to; i >= from; --i) {
            InvalidateFromCol(i);
            AdjustCellRangeForDeletedCol(DisplayColOfData(i));
            MoveColToEnd(i, ColTotal() - 1 - (to - i));
            ReportRemovedCol(i);
        }
        SettleRemovedCols(old, removed);
    }
    RecheckTopLeft(false);
    if (currentGoes) {
        MoveToEnterableCol(std::min<Integer>(keepDisplay, ColTotal() - 1), true, false, SkipsReadOnly());
    } else if (keepCol >= 1) {
        FollowCurrentDataCell(keepCol, curDataRow_);
    }
    Invalidate();
    UpdateScrollBars();
    RefreshCellControl();
    return true;
}

void TgrBaseGrid::DeleteRows(Integer from, Integer to) {
    if (from > Rows() || to < 1) return;
    from = std::max<Integer>(from, 1);
    to = std::min(to, Rows());
    if (to < from) return;
    bool currentGoes = curDataRow_ >= from && curDataRow_ <= to;
    if (currentGoes && !CanLeaveCell(curDataCol_, 0, false)) return;
    HideCellControl(true);
    EndCellEdit(true);
    Integer old = Rows(), removed = to - from + 1;
    Integer keepRow = currentGoes ? 0 : curDataRow_ - (curDataRow_ > to ? removed : 0);
    Integer keepDisplay = curDisplayRow_;
    {
        TRemovalGuard removing(rowsRemoving_);
        for (Integer i = to; i >= from; --i) {
            InvalidateFromRow(i);
            AdjustCellRangeForDeletedRow(DisplayRowOfData(i));
            MoveRowToEnd(i, Rows() - (to - i));
            ReportRemovedRow(i);
        }
        SettleRemovedRows(old, removed);
    }
    RecheckTopLeft(false);
    if (currentGoes) {
        MoveToRow(std::min<Integer>(keepDisplay, RowTotal() - 1), true, false, false);
    } else if (keepRow >= 1) {
        FollowCurrentDataCell(curDataCol_, keepRow);
    }
    Invalidate();
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

void TgrBaseGrid::DeleteSelectedCols() {
    if (colSelection_->Count() == 0) return;
    std::vector<Integer> selected;  // display positions, highest first
    for (Integer p = ColTotal() - 1; p >= 1; --p)
        if (colSelection_->IsSelected(p)) selected.push_back(p);
    if (selected.empty()) return;
    HideCellControl(true);
    EndCellEdit(true);
    ClearCellRange();
    Integer old = Cols(), removed = Integer(selected.size());
    bool currentGoes = colSelection_->IsSelected(curDisplayCol_);
    Integer leftOfCurrent = 0, belowCurrent = 0;
    for (Integer p : selected) {
        if (p < curDisplayCol_) ++leftOfCurrent;
        if (DataColOfDisplay(p) < curDataCol_) ++belowCurrent;
    }
    Integer keepCol = currentGoes ? 0 : curDataCol_ - belowCurrent;
    Integer keepDisplay = curDisplayCol_ - leftOfCurrent;
    LockUpdate();
    {
        TRemovalGuard removing(colsRemoving_);
        for (Integer k = 0; k < removed; ++k) {
            Integer dataCol = DataColOfDisplay(selected[std::size_t(k)]);
            MoveColToEnd(dataCol, old - k);
            ReportRemovedCol(dataCol);
        }
        SettleRemovedCols(old, removed);
    }
    UnlockUpdate();
    RecheckTopLeft(false);
    if (currentGoes) {
        MoveToEnterableCol(std::clamp<Integer>(keepDisplay, 1, std::max<Integer>(1, ColTotal() - 1)), true, false,
                          SkipsReadOnly());
    } else if (keepCol >= 1) {
        FollowCurrentDataCell(keepCol, curDataRow_);
    }
    Invalidate();
    RefreshCellControl();
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

void TgrBaseGrid::DeleteSelectedRows() {
    if (rowSelection_->Count() == 0) return;
    std::vector<Integer> selected;  // display positions of data rows, highest first
    for (Integer p = Rows(); p >= 1; --p)
        if (rowSelection_->IsSelected(p)) selected.push_back(p);
    // A selected insert row is left out; alone, nothing happens.
    if (selected.empty()) return;
    HideCellControl(true);
    EndCellEdit(true);
    ClearCellRange();
    Integer old = Rows(), removed = Integer(selected.size());
    bool onInsertRow = IsInsertRowPos(curDisplayRow_);
    bool currentGoes = !onInsertRow && IsCurrentRowSelected();
    Integer above = 0, belowCurrent = 0;
    for (Integer p : selected) {
        if (p < curDisplayRow_) ++above;
        if (DataRowOfDisplay(p) < curDataRow_) ++belowCurrent;
    }
    Integer keepRow = currentGoes || onInsertRow ? 0 : curDataRow_ - belowCurrent;
    Integer keepDisplay = curDisplayRow_ - above;
    LockUpdate();
    {
        TRemovalGuard removing(rowsRemoving_);
        for (Integer k = 0; k < removed; ++k) {
            Integer dataRow = DataRowOfDisplay(selected[std::size_t(k)]);
            MoveRowToEnd(dataRow, old - k);
            ReportRemovedRow(dataRow);
        }
        SettleRemovedRows(old, removed);
    }
    UnlockUpdate();
    if (currentGoes) {
        if (IsInsertRowPos(keepDisplay)) --keepDisplay;
        MoveToRow(std::clamp<Integer>(keepDisplay, 1, std::max<Integer>(1, RowTotal() - 1)), true, false, false);
    } else if (onInsertRow) {
        ChangeCurrentCell(curDisplayCol_, RowTotal() - 1);
    } else if (keepRow >= 1) {
        FollowCurrentDataCell(curDataCol_, keepRow);
    }
    RecheckTopLeft(true);
    Invalidate();
    RefreshCellControl();
    SyncListBoxSelection(true);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}

bool TgrBaseGrid::InsertColAt(Integer displayCol) {
    if (displayCol < 1 || displayCol > Cols() + 1) return false;
    Integer old = Cols();
    SetCols(old + 1);
    if (Cols() != old + 1) return false;
    if (TgrCol* col = gridCols_->ColAt(Cols()); col && displayCol != DisplayColOfData(Cols()))
        col->SetDisplayCol(displayCol);
    UpdateScrollBars();
    return true;
}

Integer TgrBaseGrid::CountSelectedCols(Integer from, Integer to) { return colSelection_->CountSelected(from, to); }
Integer TgrBaseGrid::CountSelectedRows(Integer from, Integer to) { return rowSelection_->CountSelected(from, to); }
