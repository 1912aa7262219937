// Record window moves and record access of the data-aware grid: how far a
// page or an edge move goes, the row move of the engine-cursor window with
// the row selection following, the record in the top row, bringing a
// record into view, record identities, and repainting the row selection
// around a move from a mark per display row taken before it.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridGuard.h"
#include "platform/data/DataSet.h"

// ------------------------------------------------------------ movement arithmetic

Integer TgrCustomDBGrid::CalcPageUp(Integer count, Integer& scroll, Integer& newRow, Integer& newTop) {
    // A page is a line move of count records: the part inside the
    // engine-cursor window moves its active row, the rest the window.
    return CalcLineUp(std::max<Integer>(count, 1), scroll, newRow, newTop);
}

Integer TgrCustomDBGrid::CalcPageDown(Integer count, Integer& scroll, Integer& newRow, Integer& newTop) {
    return CalcLineDown(std::max<Integer>(count, 1), scroll, newRow, newTop);
}

Integer TgrCustomDBGrid::CalcFirst(Integer& newRow, bool& reread) {
    newRow = 1;
    reread = false;
    Integer distance = 0;
    if (!dataActive_) return 0;
    if (UsesStandardWindow()) {
        TDataSet* ds = DataSet();
        distance = ds && !ds->Bof() ? FarMove : std::max<Integer>(0, CurrentDataRow() - 1);
    } else if (window_->GetBof()) {
        distance = std::max<Integer>(0, CurrentDataRow() - 1);
    } else {
        window_->First();
        UpdateRowCount(false);
        reread = true;
        distance = FarMove;
    }
    if (distance == 0) UpdateScrollPos();
    return distance;
}

Integer TgrCustomDBGrid::CalcLast(Integer& newRow, bool& reread) {
    reread = false;
    newRow = std::max<Integer>(1, Rows());
    Integer distance = 0;
    if (!dataActive_) return 0;
    if (UsesStandardWindow()) {
        TDataSet* ds = DataSet();
        distance = ds && !ds->Eof() ? FarMove : 0;
    } else if (window_->GetEof()) {
        distance = std::max<Integer>(0, window_->GetRowCount() - CurrentDataRow());
        newRow = std::max<Integer>(1, window_->GetRowCount());
    } else {
        window_->Last();
        UpdateRowCount(false);
        newRow = std::max<Integer>(1, window_->GetRowCount());
        reread = true;
        distance = FarMove;
    }
    if (distance == 0) UpdateScrollPos();
    return distance;
}

// ------------------------------------------------------------ the window's row move

void TgrCustomDBGrid::ApplyWindowMove(Integer delta, Integer newCol, Integer newRow, Integer left, Integer newTop) {
    bool selected = AnyRowSelected() && !IsListBoxSelect();
    std::string target = newRow >= 1 && newRow <= window_->GetRowCount() ? window_->GetRowBookmark(newRow)
                                                                        : std::string();
    if (delta == 0 && selected && target != currentRecord_) RepaintCachedSelection(1, Rows());
    ApplyCurrentMove(delta, left, newTop, newCol, DisplayRowOfData(newRow), true);
    SyncCurrentRecord();
    if (selected && !target.empty()) {
        // Only the record reached stays selected, and Shift ranges extend
        // from it.
        SelectOnlyRecord(target, true);
        ClearRangeAnchor();
    }
    CheckCurrentCellChanged();
    CheckTopLeftChanged(true);
}

// ------------------------------------------------------------ list moves to a corner

void TgrCustomDBGrid::ListFirstCell() {
    if (!MoveColumnInRecord(FirstEnterableCol())) return;
    ListFirst();
}

void TgrCustomDBGrid::ListLastCell() {
    if (!MoveColumnInRecord(LastEnterableCol())) return;
    ListLast();
}

// ------------------------------------------------------------ the range anchor

void TgrCustomDBGrid::ClearRangeAnchor() {
    rangeAnchor_.clear();
    ClearRangeAnchorState();
}

// ------------------------------------------------------------ window rows

Integer TgrCustomDBGrid::GetActiveWindowRow() { return dataActive_ ? window_->GetActiveRow() : 0; }

void TgrCustomDBGrid::SetActiveWindowRow(Integer row) {
    if (dataActive_) window_->SetActiveRow(row);
}

bool TgrCustomDBGrid::WouldChangeCurrentRow(Integer windowRow) {
    if (!dataActive_ || windowRow < 1 || windowRow > window_->GetRowCount()) return false;
    return window_->GetRowBookmark(windowRow) != currentRecord_;
}

Variant TgrCustomDBGrid::GetTopDataRow() {
    if (!dataBound_) return Variant(GetTopRow());
    if (!dataActive_) return Variant();
    Integer row = DataRowOfDisplay(GetTopRow());
    if (row < 1 || row > window_->GetRowCount()) return Variant();
    return Variant(window_->GetRowBookmark(row));
}

void TgrCustomDBGrid::SetTopDataRow(const Variant& dataRow) {
    if (!dataBound_) {
        SetTopRowPassThrough(dataRow.AsInteger());
        return;
    }
    if (!dataActive_) return;
    std::string bookmark;
    if (!BookmarkOfDataRow(dataRow, bookmark) || bookmark.empty()) return;
    HideCellControl(true);
    if (!window_->SetTopBookmark(bookmark)) return;
    UpdateRowCount(true);
    // Near the end of the data the record cannot become the first row of
    // the window: the top row goes down to it instead.
    Integer row = window_->GetBookmarkRow(bookmark);
    Integer top = row >= 1 && DisplayRowOfData(row) != TopLeftCell().Row && window_->GetEof() ? DisplayRowOfData(row)
                                                                                             : DisplayRowOfData(1);
    Integer maxTop = std::max<Integer>(DisplayRowOfData(1), RowTotal() - GetVisibleRowCount());
    SetTopLeftChecked(TopLeftCell().Col, std::min(top, maxTop), false);
    SetCurrentRecordGuarded(CurrentDisplayCol(),
                            UsesStandardWindow() ? window_->GetCurrentBookmark() : currentRecord_, false, false);
    RefreshCellControl();
    Invalidate();
}

void TgrCustomDBGrid::MakeDataRowVisible(Integer displayCol, const Variant& dataRow, Integer placement,
                                         bool moveFlag, bool selectFlag, Integer kind) {
    if (!dataBound_) {
        MoveCurrentCell(displayCol, DisplayRowOfData(dataRow.AsInteger()), moveFlag, selectFlag);
        return;
    }
    if (!dataActive_) return;
    HideCellControlIfShown(true);
    Integer left = CalcLeftColToShow(TopLeftCell().Col, displayCol, placement);
    Integer top = TopLeftCell().Row;
    if (kind == 1) {
        SetTopLeftChecked(left, top, false);
    } else {
        Integer f = WindowPositionOfDataRow(dataRow);
        Integer shown = f >= 1 ? DisplayRowOfData(f) : 0;
        Integer visible = std::max<Integer>(GetVisibleRowCount(), 1);
        // The top row itself counts as not shown: a record there may be
        // cut off by a row above it.
        if (shown > top && shown <= top + visible - 1) {
            if (kind == 3) SetTopLeftChecked(left, top, false);
        } else {
            TgrUpdateLocked lock(*this);
            bool below = shown > top + visible - 1;
            SetTopDataRow(dataRow);
            if (below || placement == 1 || placement == 3) {
                // The record goes to the last visible row: the window moves
                // back by the rows above it.
                if (UsesStandardWindow()) {
                    // Back from the top row by the rows above the last one,
                    // then forward again inside the window: the record
                    // stays current and moves down.
                    Integer back = window_->ScrollBy(-(visible - 1));
                    window_->ScrollBy(-back);
                    UpdateRowCount(false);
                } else {
                    Integer row = WindowPositionOfDataRow(dataRow);
                    if (row >= 1)
                        SetTopLeftChecked(TopLeftCell().Col,
                                          std::max<Integer>(DisplayRowOfData(1), DisplayRowOfData(row) - visible + 1),
                                          true);
                }
            }
            if (kind == 3) SetTopLeftChecked(left, TopLeftCell().Row, true);
        }
    }
    UpdateScrollBars();
    CheckTopLeftChanged(false);
    RefreshCellControl();
    InvalidateFocusCell(false);
}

// ------------------------------------------------------------ record identities

void TgrCustomDBGrid::RecordIdOfDataRow(const Variant& dataRow, Variant& recordId) {
    recordId = Variant();
    if (!UsesRecordIds()) return;
    if (dataRow.IsEmpty() || dataRow.IsNull() || (dataRow.IsString() && dataRow.AsString().empty())) {
        recordId = NullDataRow();
        return;
    }
    // With record ids in use a DataRow is the record's id already.
    recordId = dataRow;
}

void TgrCustomDBGrid::GetRecordIdentity(const Variant& dataRow, Variant& identity) {
    if (UsesRecordIds()) RecordIdOfDataRow(dataRow, identity);
    else identity = dataRow;
}

Variant TgrCustomDBGrid::GetCurrentRecordIdentity() {
    Variant identity;
    GetRecordIdentity(GetCurrentDataRow(), identity);
    return identity;
}

void TgrCustomDBGrid::LockFieldReRead(bool unlock) {
    if (!unlock) ++fieldReReadDepth_;
    else if (fieldReReadDepth_ > 0) --fieldReReadDepth_;
}

// ------------------------------------------------------------ the selection around a move

void TgrCustomDBGrid::CacheSelectedRows(Integer offset) {
    selectedRowsCache_.assign(size_t(std::max<Integer>(Rows(), 0) + 1), false);
    if (!dataActive_) return;
    if (!UsesStandardWindow()) offset = 0;
    Integer count = std::min<Integer>(Rows(), window_->GetRowCount());
    for (Integer p = 1; p <= count; ++p) {
        Integer at = p + offset;
        // Rows that scroll out of view keep no mark.
        if (at < 1 || at > Rows()) continue;
        if (IsRecordSelected(DataRowOfRow(p))) selectedRowsCache_[size_t(DisplayRowOfData(at))] = true;
    }
}

void TgrCustomDBGrid::PaintCachedRow(Integer displayRow, bool selected) {
    if (displayRow < TopLeftCell().Row || displayRow > LastVisibleDataRow()) return;
    PaintRowSelection(displayRow, selected, nullptr);
}

void TgrCustomDBGrid::RepaintCachedSelection(Integer from, Integer to) {
    if (!HasWindow()) return;
    for (Integer r = std::max<Integer>(from, 1); r <= to && r <= Rows(); ++r)
        if (SelectedRowCached(r)) PaintCachedRow(r, false);
}

void TgrCustomDBGrid::RepaintSelectionTo(Integer from, Integer to, bool state) {
    if (!HasWindow()) return;
    for (Integer r = std::max<Integer>(from, 1); r <= to && r <= Rows(); ++r)
        if (SelectedRowCached(r) != state && IsDisplayRowSelected(r) == state) PaintCachedRow(r, state);
}

void TgrCustomDBGrid::RepaintChangedSelection(Integer from, Integer to) {
    if (!HasWindow()) return;
    for (Integer r = std::max<Integer>(from, 1); r <= to && r <= Rows(); ++r)
        if (IsDisplayRowSelected(r) != SelectedRowCached(r)) PaintCachedRow(r, !SelectedRowCached(r));
}

// ------------------------------------------------------------ record cell values

Variant TgrCustomDBGrid::ReadRecordCellValue(Integer dataCol, const Variant& dataRow) {
    if (!dataActive_ || dataCol < 1 || dataCol > Cols()) return Variant();
    Integer row = WindowPositionOfDataRow(dataRow);
    if (row >= 1) return LoadCellValue(dataCol, row, Variant());
    std::string bookmark;
    if (!BookmarkOfDataRow(dataRow, bookmark)) return Variant();
    Variant value;
    // The engine-cursor window reads the record itself; the dataset stays.
    if (!UsesStandardWindow()) {
        return bdeWindow_->GetCellValue(dataCol, bookmark);
    }
    TDataSet* ds = DataSet();
    std::string back = ds->GetBookmark();
    ds->DisableControls();
    try {
        ds->GotoBookmark(bookmark);
        value = ReadActiveRecordCellValue(dataCol, dataRow);
        ds->GotoBookmark(back);
    } catch (...) {
        try {
            ds->GotoBookmark(back);
        } catch (...) {
        }
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
    return value;
}

bool TgrCustomDBGrid::RefreshEditorFromField(TgrDBCol* col) {
    if (!col || DisplayColOfData(col->GetDataCol()) != CurrentDisplayCol()) return false;
    TgrCurrentCell* cell = CurrentCell();
    bool refused = true;
    if (cell && !cell->IsValueEmpty() && col->Adapter() && GetCurrentControlType() == ctText) {
        Integer active = GetActiveWindowRow();
        LockFieldReRead(false);
        try {
            Integer row = window_->GetCurrentRecordRow();
            if (row >= 1) SetActiveWindowRow(row);
            Variant value = GetCellValue(col->GetDataCol(), GetCurrentDataRow());
            if (VariantsEqual(value, cell->GetStoredValue())) {
                refused = false;
            } else if (!value.IsNull() && !value.IsEmpty()) {
                cell->StoreLoadedValue(value, false);
                if (TgrCustomGridControl* editor = ActiveControl()) editor->SetValue(value);
                refused = false;
            }
        } catch (const std::exception&) {
            refused = true;
        }
        SetActiveWindowRow(active);
        LockFieldReRead(true);
    }
    if (refused && cell) cell->ClearValue();
    return refused;
}
