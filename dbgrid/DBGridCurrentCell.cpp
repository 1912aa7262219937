#include "dbgrid/DBGridCurrentCell.h"

#include "dbgrid/DBGrid.h"
#include "platform/data/DataSet.h"

TgrDBCurrentCell::TgrDBCurrentCell(TgrCustomDBGrid* grid) : TgrCurrentCell(grid), dbGrid_(grid) {}

void TgrDBCurrentCell::LoadValue() {
    if (!dbGrid_->DataBound()) {
        TgrCurrentCell::LoadValue();
        return;
    }
    if (!dbGrid_->DataActive() || !dbGrid_->HasCurrentCell()) return;
    Integer col = GetDataCol();
    if (col < 1 || col > dbGrid_->Cols() || HasValueFor(col, GetDataRow())) return;
    dbGrid_->LockEditStart(false);
    try {
        Variant v = dbGrid_->GetCellValue(col, dbGrid_->GetCurrentDataRow());
        dbGrid_->LoadEditorValue(v, false);
    } catch (...) {
        dbGrid_->LockEditStart(true);
        throw;
    }
    dbGrid_->LockEditStart(true);
}

Integer TgrDBCurrentCell::GetTextHeight() {
    if (dbGrid_->DataBound() && !dbGrid_->CanEdit()) return 0;
    return TgrCurrentCell::GetTextHeight();
}

Integer TgrDBCurrentCell::GetTextLineCount() {
    if (dbGrid_->DataBound() && !dbGrid_->CanEdit()) return 0;
    return TgrCurrentCell::GetTextLineCount();
}

bool TgrDBCurrentCell::SetValue(const Variant& value, bool startEdit, bool refresh) {
    if (!dbGrid_->DataBound()) return TgrCurrentCell::SetValue(value, startEdit, refresh);
    if (!dbGrid_->DataActive()) return false;
    if (dbGrid_->IsCurrentCellShown()) return TgrCurrentCell::SetValue(value, startEdit, refresh);
    // Off screen: the value goes through the record, not the editor.
    if (!dbGrid_->CanEdit() || !dbGrid_->CheckCellValueType(GetControlType(), value)) return false;
    if (!dbGrid_->BeginCellEdit()) return false;
    Integer col = dbGrid_->CurrentDataCol();
    if (!dbGrid_->PrepareCellEdit(col, false)) return false;
    if (startEdit) dbGrid_->StartEditing(0, false);
    ClearValue();
    dbGrid_->SetEditSelectMode(1);
    dbGrid_->PutCellValue(col, dbGrid_->GetCurrentDataRow(), value);
    dbGrid_->FireCellEdit(col, dbGrid_->CurrentDataRow(), startEdit);
    return true;
}

void TgrDBCurrentCell::MoveToInsertRow(Integer dataCol) {
    if (!dbGrid_->DataBound()) {
        TgrCurrentCell::MoveToInsertRow(dataCol);
        return;
    }
    if (!dbGrid_->DataActive() || dbGrid_->GridMode() != gmEditInsert || dbGrid_->GridStatus() != gsNormal) return;
    if (dbGrid_->OnAppendedRecord()) return;
    dbGrid_->CheckColRowIndex(1, dataCol, dbGrid_->Cols(), 1);
    if (!dbGrid_->PostEdit()) return;
    dbGrid_->LockUpdate();
    try {
        dbGrid_->AppendRecord();
        Integer row = dbGrid_->RecordWindow()->GetCurrentRecordRow();
        if (row >= 1 && row <= dbGrid_->Rows())
            dbGrid_->MoveToDisplayCell(dbGrid_->DisplayColOfData(dataCol), dbGrid_->DisplayRowOfData(row));
        dbGrid_->ScrollCurrentCellIntoView();
    } catch (...) {
        dbGrid_->UnlockUpdate();
        throw;
    }
    dbGrid_->UnlockUpdate();
    dbGrid_->Invalidate();
}

void TgrDBCurrentCell::MakeVisible() {
    if (!dbGrid_->DataBound()) {
        TgrCurrentCell::MakeVisible();
        return;
    }
    if (!dbGrid_->DataActive() || !dbGrid_->CanEdit()) return;
    Integer col = dbGrid_->CurrentDisplayCol();
    if (col < 1 || col >= dbGrid_->ColCount()) return;
    dbGrid_->MakeDataRowVisible(col, dbGrid_->GetCurrentDataRow(), 0, true, false, 3);
    dbGrid_->Update();
}
