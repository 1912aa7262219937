// Keyboard navigation in data mode. The rows are records, so a move goes
// to the dataset (first, prior, next, last, by a page) and the grid
// follows through its data-link reactions. A grid that shows a current
// cell (edit mode or a focus rectangle) moves its current record; one
// that does not behaves as a list: the moves are the grid's own (the
// list moves), and rows selected follow the current record.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"

bool TgrCustomDBGrid::ShowsCurrentCell() { return IsEditMode() || ShowsFocus(); }

bool TgrCustomDBGrid::IsNewRecordUntouched(Integer kind) {
    TDataSet* ds = DataSet();
    return editKind_ == kind && ds && ds->State() == dsInsert && !ds->Modified() && !updatePending_;
}

bool TgrCustomDBGrid::LeaveRecordByKey() {
    if (!EndCellEdit()) return false;
    // A new record nobody typed into goes, as the dataset's own check on
    // leaving a record does; what was typed is posted (a refused post
    // keeps the edit and the grid where it is).
    TDataSet* ds = DataSet();
    if (ds->State() == dsInsert && !ds->Modified()) {
        ds->Cancel();
        return true;
    }
    return PostEdit();
}

void TgrCustomDBGrid::FollowRowSelection() {
    // A list-box selection follows the current record by itself.
    if (IsListBoxSelect() || !AnyRowSelected() || currentRecord_.empty()) return;
    SelectOnlyRecord(currentRecord_, true);
    // The current record is the anchor of the next Shift range.
    ClearRangeAnchor();
}

bool TgrCustomDBGrid::MoveColumnInRecord(Integer displayCol) {
    if (displayCol < 1 || displayCol >= ColTotal()) return false;
    if (displayCol == CurrentDisplayCol()) return true;
    return MoveToDisplayCell(displayCol, CurrentDisplayRow());
}

Integer TgrCustomDBGrid::FirstEnterableCol() {
    Integer col = GetFirstEnterableCol(SkipsReadOnly(), false);
    return col ? col : 1;
}

Integer TgrCustomDBGrid::LastEnterableCol() {
    Integer col = GetLastEnterableCol(SkipsReadOnly(), false);
    return col ? col : 1;
}

Integer TgrCustomDBGrid::KeyMoveDistance(TgrKeyMove move, Integer count) {
    TDataSet* ds = DataSet();
    if (!UsesStandardWindow()) {
        // The engine-cursor window follows the dataset in its scroll
        // reaction: the key only asks whether the dataset can move.
        bool back = move == kmLineUp || move == kmPageUp || move == kmFirst;
        if (back ? ds->Bof() : ds->Eof()) return 0;
        return move == kmFirst || move == kmLast ? FarMove : count;
    }
    Integer scroll = 0, newRow = 0, newTop = 0;
    bool reread = false;
    switch (move) {
        case kmLineUp: return CalcLineUp(count, scroll, newRow, newTop);
        case kmLineDown: return CalcLineDown(count, scroll, newRow, newTop);
        case kmPageUp: return CalcPageUp(count, scroll, newRow, newTop);
        case kmPageDown: return CalcPageDown(count, scroll, newRow, newTop);
        case kmFirst: return CalcFirst(newRow, reread);
        case kmLast: return CalcLast(newRow, reread);
    }
    return 0;
}

// ------------------------------------------------------------ rows

void TgrCustomDBGrid::MoveUp() {
    if (!dataActive_) {
        TgrBaseGrid::MoveUp();
        return;
    }
    if (!ShowsCurrentCell()) {
        MoveRowUp();
        return;
    }
    // A new record at the end is left only once something was typed (or
    // by Esc).
    if (IsNewRecordUntouched(2) || !LeaveRecordByKey()) return;
    if (KeyMoveDistance(kmLineUp, 1) != 0) DataSet()->Prior();
}

void TgrCustomDBGrid::MoveRowUp() {
    if (!dataActive_) {
        TgrBaseGrid::MoveRowUp();
        return;
    }
    if (IsNewRecordUntouched(2) || !LeaveRecordByKey()) return;
    CacheSelectedRows(0);
    if (KeyMoveDistance(kmLineUp, 1) == 0) return;
    MoveDatasetBy(-1);
    FollowRowSelection();
}

void TgrCustomDBGrid::MoveDown() {
    if (!dataActive_) {
        TgrBaseGrid::MoveDown();
        return;
    }
    if (!ShowsCurrentCell()) {
        MoveRowDown();
        return;
    }
    // An untouched new record stays where it is.
    SetActiveWindowRow(CurrentDataRow());
    if (!MayMoveDown() || IsNewRecordUntouched(3) || !LeaveRecordByKey()) return;
    if (KeyMoveDistance(kmLineDown, 1) != 0 && DataSet()->MoveBy(1) != 0) return;
    // At the end: a new record, unless this is a combo's list.
    if (IsComboGrid()) return;
    if (autoInsert_ || GridMode() == gmEditInsert) AppendRecord();
}

void TgrCustomDBGrid::MoveRowDown() {
    if (!dataActive_) {
        TgrBaseGrid::MoveRowDown();
        return;
    }
    SetActiveWindowRow(CurrentDataRow());
    if (!MayMoveDown() || IsNewRecordUntouched(3) || !LeaveRecordByKey()) return;
    CacheSelectedRows(0);
    if (KeyMoveDistance(kmLineDown, 1) == 0) return;
    MoveDatasetBy(1);
    FollowRowSelection();
}

void TgrCustomDBGrid::MovePageUp() {
    if (!dataActive_) {
        TgrBaseGrid::MovePageUp();
        return;
    }
    if (!LeaveRecordByKey()) return;
    Integer v = std::max<Integer>(GetVisibleRecordCount(), 1);
    if (!ShowsCurrentCell()) {
        ListPageUp(v);
        return;
    }
    if (CurrentDisplayRow() < 1) return;
    if (Integer distance = KeyMoveDistance(kmPageUp, v)) DataSet()->MoveBy(int(-distance));
}

void TgrCustomDBGrid::MovePageDown() {
    if (!dataActive_) {
        TgrBaseGrid::MovePageDown();
        return;
    }
    if (!LeaveRecordByKey()) return;
    Integer v = std::max<Integer>(GetVisibleRecordCount(), 1);
    if (!ShowsCurrentCell()) {
        ListPageDown(v);
        return;
    }
    if (CurrentDisplayRow() < 1) return;
    if (Integer distance = KeyMoveDistance(kmPageDown, v)) DataSet()->MoveBy(int(distance));
}

void TgrCustomDBGrid::ListPageUp(Integer count) {
    CacheSelectedRows(0);
    Integer distance = KeyMoveDistance(kmPageUp, count);
    if (distance == 0) return;
    MoveDatasetBy(-distance);
    FollowRowSelection();
}

void TgrCustomDBGrid::ListPageDown(Integer count) {
    CacheSelectedRows(0);
    Integer distance = KeyMoveDistance(kmPageDown, count);
    if (distance == 0) return;
    MoveDatasetBy(distance);
    FollowRowSelection();
}

void TgrCustomDBGrid::MoveToFirstRow() {
    if (!dataActive_) {
        TgrBaseGrid::MoveToFirstRow();
        return;
    }
    if (!LeaveRecordByKey()) return;
    if (!ShowsCurrentCell()) {
        ListFirst();
        return;
    }
    if (KeyMoveDistance(kmFirst, 0) != 0) DataSet()->First();
}

void TgrCustomDBGrid::MoveToLastRow() {
    if (!dataActive_) {
        TgrBaseGrid::MoveToLastRow();
        return;
    }
    if (!LeaveRecordByKey()) return;
    if (!ShowsCurrentCell()) {
        ListLast();
        return;
    }
    if (KeyMoveDistance(kmLast, 0) != 0) DataSet()->Last();
}

void TgrCustomDBGrid::ListFirst() {
    CacheSelectedRows(0);
    if (KeyMoveDistance(kmFirst, 0) != 0) MoveDatasetFirst();
    FollowRowSelection();
}

void TgrCustomDBGrid::ListLast() {
    CacheSelectedRows(0);
    if (KeyMoveDistance(kmLast, 0) != 0) MoveDatasetLast();
    FollowRowSelection();
}

// ------------------------------------------------------------ cells

void TgrCustomDBGrid::MoveToFirstCell() {
    if (!dataActive_) {
        TgrBaseGrid::MoveToFirstCell();
        return;
    }
    if (!LeaveRecordByKey()) return;
    if (!ShowsCurrentCell()) {
        ListFirstCell();
        return;
    }
    // The column first, in the record the cell is on; then the record.
    Integer target = FirstEnterableCol();
    Integer distance = KeyMoveDistance(kmFirst, 0);
    if (distance == 0 && target == CurrentDisplayCol()) return;
    if (!MoveColumnInRecord(target)) return;
    if (distance != 0) DataSet()->First();
}

void TgrCustomDBGrid::MoveToLastCell() {
    if (!dataActive_) {
        TgrBaseGrid::MoveToLastCell();
        return;
    }
    if (!LeaveRecordByKey()) return;
    if (!ShowsCurrentCell()) {
        ListLastCell();
        return;
    }
    Integer target = LastEnterableCol();
    Integer distance = KeyMoveDistance(kmLast, 0);
    if (distance == 0 && target == CurrentDisplayCol()) return;
    if (!MoveColumnInRecord(target)) return;
    if (distance != 0) DataSet()->Last();
}

void TgrCustomDBGrid::MoveToNextCell(Word16 key) {
    if (!dataActive_) {
        TgrBaseGrid::MoveToNextCell(key);
        return;
    }
    MoveToNextRecordCell(key == VK_RETURN);
}

bool TgrCustomDBGrid::MoveToNextRecordCell(bool enterKey) {
    if (CurrentDisplayRow() < 1) return false;
    // Inside the record: the next enterable column.
    if (Integer next = 0; FindNextEnterableCol(CurrentDisplayCol(), SkipsReadOnly(), next, false))
        return MoveToDisplayCell(next, CurrentDisplayRow());
    if (TabRowWrap() && MayMoveDown()) {
        Integer target = FirstEnterableCol();
        // An untouched inserted record only changes its column.
        if (IsNewRecordUntouched(3)) return MoveColumnInRecord(target);
        if (!LeaveRecordByKey() || !MoveColumnInRecord(target)) return false;
        TDataSet* ds = DataSet();
        if (!ds->Eof() && ds->MoveBy(1) != 0) return true;
        // Past the last record a new record starts in the first column.
        if (!IsDataSetReadOnly() && !IsComboGrid() && (autoInsert_ || GridMode() == gmEditInsert)) AppendRecord();
        return true;
    }
    // Enter without a wrap: the value is taken and the text selected.
    if (enterKey && EndCellEdit()) {
        SelectAllCurrentCell();
        return true;
    }
    return false;
}

void TgrCustomDBGrid::MoveToPrevCell() {
    if (!dataActive_) {
        TgrBaseGrid::MoveToPrevCell();
        return;
    }
    MoveToPrevRecordCell();
}

bool TgrCustomDBGrid::MoveToPrevRecordCell() {
    if (CurrentDisplayRow() < 1) return false;
    if (Integer prev = 0; FindPrevEnterableCol(CurrentDisplayCol(), SkipsReadOnly(), prev, false))
        return MoveToDisplayCell(prev, CurrentDisplayRow());
    if (!TabRowWrap()) return false;
    Integer target = LastEnterableCol();
    // An untouched new record at the end only changes its column.
    if (IsNewRecordUntouched(2)) return MoveColumnInRecord(target);
    // At the first record there is no previous one to go to.
    if (DataSet()->Bof() || !LeaveRecordByKey() || !MoveColumnInRecord(target)) return false;
    DataSet()->Prior();
    return true;
}
