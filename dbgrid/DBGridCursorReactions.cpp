// The data-aware grid's reactions that drive the engine-cursor window when
// the dataset begins, posts or cancels a record.
#include <algorithm>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCursor.h"
#include "platform/data/DataSet.h"

void TgrCustomDBGrid::CursorWindowBeginNew() {
    TDataSet* ds = DataSet();
    cursorNewFromCount_ = ds ? ds->RecordCount() : 0;
    std::string newBookmark;
    if (editKind_ == 2) bdeWindow_->BeginAppend(newBookmark);
    else bdeWindow_->BeginInsert(false, editStartRecord_, newBookmark);
}

void TgrCustomDBGrid::CursorWindowEndNew() {
    TDataSet* ds = DataSet();
    bool cancelled = !ds || ds->RecordCount() <= cursorNewFromCount_;
    std::string bookmark;
    bool moved = false;
    Integer top = std::max<Integer>(1, DataRowOfDisplay(TopLeftCell().Row));
    bdeWindow_->EndInsert(bookmark, cancelled, moved, top, true);
    // The dataset's record is shown, wherever the window was read.
    bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
    UpdateRowCount();
    SyncCurrentRecord();
}

void TgrCustomDBGrid::CursorWindowEndEdit() {
    Integer row = window_->GetBookmarkRow(editStartRecord_);
    if (row < 1) return;
    bdeWindow_->SetActiveRow(row);
    std::string bookmark;
    bool moved = false, changed = false;
    Integer top = std::max<Integer>(1, DataRowOfDisplay(TopLeftCell().Row));
    bdeWindow_->EndEdit(bookmark, top, moved, changed);
    bdeWindow_->ShowRecord(bookmark);
    UpdateRowCount();
    SyncCurrentRecord();
}
