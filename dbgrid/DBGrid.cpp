#include "dbgrid/DBGrid.h"

#include <QEvent>
#include <algorithm>
#include <cmath>

#include "dbgrid/DBComboGrid.h"
#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridCurrentCell.h"
#include "dbgrid/DBGridCursor.h"
#include "dbgrid/DBGridGuard.h"
#include "dbgrid/DBGridPrint.h"
#include "grid/GRGLib.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Prompts.h"

namespace {

bool ColorSet(TColor c) { return c != grColorNotSet; }


}  // namespace

// ------------------------------------------------------------ construction

TgrCustomDBGrid::TgrCustomDBGrid(TComponent* owner) : TgrBaseGrid(owner) {
    RegisterPublished();
    SetResizeRows(rrAll);
    dataLink_ = std::make_unique<TgrGridDataLink>(this);
    // A designer's column naming a field the dataset lacks shows no data;
    // it does not make the column rebuild fail.
    dataLink_->SetTolerantLookup(true);
    standardWindow_ = CreateStandardDataset();
    bdeWindow_ = std::make_unique<TgrScrollDataset>(this);
    // A new grid uses the engine-cursor window until a dataset is linked.
    window_ = bdeWindow_.get();
    // The stores kept by record follow the identity in use.
    recordOrder_ = [this](const Variant& a, const Variant& b) {
        return UsesRecordIds() ? CompareRecordIds(a, b) : CompareDataRowKeys(a, b);
    };
    selection_ = std::make_unique<TgrDBSelection>(this, &recordOrder_);
    RecreateGridCollections();
    ResetEditTracking();
    constructing_ = false;
}

TgrCustomDBGrid::~TgrCustomDBGrid() {
    // The link must not call back into a half-destroyed grid.
    dataLink_->SetDataSource(nullptr);
    ClearFieldAdapters();
    // Their records call back into the grid while they go.
    rowProps_.Clear();
    cellProps_.Clear();
    // The shared print window outlives the grid.
    if (TfmPrintDbGrid* w = TfmPrintDbGrid::SharedIfMade()) w->ForgetGrid(this);
}

std::unique_ptr<TgrGridCols> TgrCustomDBGrid::CreateGridCols() { return std::make_unique<TgrDBGridCols>(this); }

void TgrCustomDBGrid::ClearFieldAdapters() { fieldList_.ClearAdapters(); }

TgrBaseGrid* TgrCustomDBGrid::CreateComboGrid() { return new TgrDBComboGrid(this, this); }

// ------------------------------------------------------------ combos

TgrCombo* TgrCustomDBGrid::CreateCombo() { return new TgrDBCombo(this); }

bool TgrCustomDBGrid::IsComboUsable(const TgrCombo* combo) const {
    const auto* db = dynamic_cast<const TgrDBCombo*>(combo);
    if (!db || !dataBound_) return combo != nullptr;
    TDataSource* listSource = db->DBComboGrid()->DataSource();
    return !listSource || listSource != DataSource();
}

TgrDBCombo* TgrCustomDBGrid::GetWorkCombo() { return dynamic_cast<TgrDBCombo*>(GetCombo()); }

TgrDBComboGrid* TgrCustomDBGrid::WorkComboGrid() {
    // The working combo serves every cell, loaded from the cell's own combo.
    TgrDBCombo* combo = IsComboGrid() ? nullptr : GetWorkCombo();
    return combo ? combo->DBComboGrid() : nullptr;
}

void TgrCustomDBGrid::FireComboInit(Integer dataCol, const Variant& dataRow) {
    DoComboInit(dataCol, dataBound_ ? GetCurrentDataRow() : dataRow);
}

void TgrCustomDBGrid::FireComboDropDown(Integer dataCol, const Variant& dataRow) {
    DoComboDropDown(dataCol, dataBound_ ? GetCurrentDataRow() : dataRow);
}

void TgrCustomDBGrid::FireComboRollUp(Integer dataCol, const Variant& dataRow) {
    DoComboRollUp(dataCol, dataBound_ ? GetCurrentDataRow() : dataRow);
}

void TgrCustomDBGrid::DoComboInit(Integer dataCol, const Variant& dataRow) {
    if (OnComboInit) OnComboInit(this, WorkComboGrid(), dataCol, dataRow);
}

void TgrCustomDBGrid::DoComboDropDown(Integer dataCol, const Variant& dataRow) {
    if (OnComboDropDown) OnComboDropDown(this, WorkComboGrid(), dataCol, dataRow);
}

void TgrCustomDBGrid::DoComboRollUp(Integer dataCol, const Variant& dataRow) {
    if (OnComboRollUp) OnComboRollUp(this, WorkComboGrid(), dataCol, dataRow);
}

void TgrCustomDBGrid::LocateComboRow() {
    // The working combo takes up the cell's combo first: it is the list
    // that drops down and is searched.
    if (!EffectiveCombo(CurrentDataCol(), CurrentDataRow())) return;
    SelectComboForCell(CurrentDataCol(), CurrentDataRow());
    TgrDBCombo* combo = GetWorkCombo();
    if (!combo || !IsComboUsable(combo)) return;
    PrepareComboData(false);
    TgrDBComboGrid* list = combo->DBComboGrid();
    if (!list->DataBound() || !list->DataActive()) return;
    list->SetSearchText(std::string());
    TDataSet* listSet = list->DataSet();
    listSet->First();
    list->CalcDropDownHeight(std::max<Integer>(1, combo->GetDropDownRows()));
    Integer valueCol = combo->GetValueCol();
    if (combo->GetAutoSearch() == asNone || valueCol < 1 || valueCol > list->Cols()) return;
    Variant current = GetCellValue(CurrentDataCol(), CurrentDataRow());
    if (current.IsEmpty() || current.IsNull()) return;
    // The list stays on the record found, else goes back where it was.
    TgrDatasetPosition saved = list->RecordWindow()->SavePosition();
    std::string bookmark;
    if (SearchComboDataset(std::string(), std::string(), current.AsString(), false, bookmark))
        list->ShowComboRecord(bookmark);
    else
        list->RecordWindow()->RestorePosition(saved);
}

namespace {
bool ListOverData(TgrCombo* combo) {
    auto* list = combo ? dynamic_cast<TgrDBComboGrid*>(combo->ComboGrid()) : nullptr;
    return list && list->DataBound();
}
}  // namespace

void TgrCustomDBGrid::OpenListAtFirstRow(TgrCombo* combo) {
    if (!ListOverData(combo)) TgrBaseGrid::OpenListAtFirstRow(combo);
}

void TgrCustomDBGrid::ShowCellValueInList(TgrCombo* combo) {
    // LocateComboRow searched a list over data; without a search kind the
    // list's rows are looked through as in the grid.
    if (!ListOverData(combo) || combo->GetAutoSearch() == asNone) TgrBaseGrid::ShowCellValueInList(combo);
}

void TgrCustomDBGrid::ApplyComboRow() {
    TgrCombo* combo = DroppedCombo();
    if (!combo || !dataActive_) {
        TgrBaseGrid::ApplyComboRow();
        return;
    }
    TgrBaseGrid* list = combo->ComboGrid();
    auto* dbList = dynamic_cast<TgrDBComboGrid*>(list);
    Variant value;
    bool take = list && list->CurrentDataRow() >= 1 && list->CurrentDataRow() <= list->Rows();
    if (take) {
        Integer valueCol = std::clamp<Integer>(combo->GetValueCol(), 1, std::max<Integer>(1, list->Cols()));
        value = dbList && dbList->DataActive() ? GetComboValue(dbList, valueCol)
                                               : list->GetCellValue(valueCol, list->CurrentDataRow());
    }
    CloseComboDropDown(false, false);
    try {
        if (take && !ApplyComboValue(dbList, value)) {
            if (TgrCurrentCell* cell = CurrentCell()) cell->ClearValue();
            if (EditCurrentCell(value.IsEmpty() || value.IsNull() ? std::string() : value.AsString())) EndCellEdit();
        }
    } catch (...) {
        EndComboForCell();
        throw;
    }
    EndComboForCell();
}

// ------------------------------------------------------------ binding

Integer TgrCustomDBGrid::GetVisibleRecordCount() const {
    Integer rowHeight = std::max<Integer>(DefaultRowHeight(), 1);
    Integer height = ClientHeight() - (HeadingOn() ? HeadingHeight() + 1 : 0);
    // A row cut off at the bottom still shows a record.
    Integer n = (height + rowHeight) / (rowHeight + 1);
    return std::max<Integer>(n, 1);
}

void TgrCustomDBGrid::UpdateRowCount(bool updateBars) {
    if (!dataBound_) return;
    SetWindowRows(dataActive_ ? window_->GetRowCount() : 1);
    if (updateBars) UpdateScrollBars();
}

void TgrCustomDBGrid::UpdateExactRowCount(bool refresh) {
    if (!dataActive_ || !exactRowCount_ || UsesStandardWindow()) return;
    window_->GetTotalRecordCount(refresh);
    UpdateRowCount(true);
}

void TgrCustomDBGrid::ClearWindowCaches() {
    window_->ClearCaches();
    window_->ClearRowStateCache();
}

void TgrCustomDBGrid::ResizeWindow() {
    if (!dataBound_ || !dataActive_) return;
    // The in-cell control is placed again over the current record's row.
    HideCellControl(true);
    bool grown = window_->SetWindowSize(GetVisibleRecordCount());
    if (grown) RealignTopRow();
    else UpdateRowCount();
    SyncCurrentRecord();
    RefreshCellControl();
    if (grown) Invalidate();
}

void TgrCustomDBGrid::BoundsChanged() {
    TgrBaseGrid::BoundsChanged();
    ResizeWindow();
}

// Showing or hiding the heading, or another row height, changes how many
// records fit.
void TgrCustomDBGrid::SetHeadingOn(bool value) {
    TgrBaseGrid::SetHeadingOn(value);
    if (!constructing_) ResizeWindowIfNeeded();
}

void TgrCustomDBGrid::RowResized(Integer dataRow) {
    if (!constructing_) ResizeWindowIfNeeded();
    // A record row has no row number of its own to report.
    DoRowResized(dataBound_ && dataRow != 0 ? -1 : dataRow);
}

// ------------------------------------------------------------ columns

TField* TgrCustomDBGrid::FieldOfCol(Integer dataCol) const {
    TgrDBField* f = FieldAdapter(dataCol);
    return f ? f->Field() : nullptr;
}

TgrDBField* TgrCustomDBGrid::FieldAdapter(Integer dataCol) const {
    if (dataCol < 1 || dataCol > Cols()) return nullptr;
    auto* col = dynamic_cast<TgrDBCol*>(const_cast<TgrCustomDBGrid*>(this)->Col(dataCol));
    return col ? col->Adapter() : nullptr;
}

// ------------------------------------------------------------ records

int TgrCustomDBGrid::CompareBookmarks(const std::string& a, const std::string& b) {
    if (!dataBound_ || !dataActive_) return -2;
    return window_->CompareBookmarks(a, b);
}

int TgrCustomDBGrid::ComparePositions(const TgrBkmPos& a, const TgrBkmPos& b) {
    if (!dataBound_ || !dataActive_) return -2;
    return window_->ComparePositions(a, b);
}

TgrDatasetPosition TgrCustomDBGrid::SaveDatasetPosition() {
    TgrDatasetPosition saved = window_->SavePosition();
    window_->LockControls(true);
    // The walks in between leave the dataset where they found it: their
    // notifications must not make the grid repaint, or painting a selection
    // whose ends are resolved by walking would never end.
    ++syncDepth_;
    return saved;
}

void TgrCustomDBGrid::RestoreDatasetPosition(const TgrDatasetPosition& saved, bool restore) {
    // The position is put back while the section still holds the dataset's
    // controls disabled; closing it enables them once.
    auto close = [&] {
        window_->LockControls(false);
        if (syncDepth_ > 0) --syncDepth_;
    };
    try {
        if (restore) window_->RestorePosition(saved);
    } catch (...) {
        close();
        throw;
    }
    close();
    // A window that could not be put back shows other records now.
    if (syncDepth_ == 0 && dataActive_ && window_->PositionChanged(saved)) DataLinkChanged();
}

Variant TgrCustomDBGrid::DataRowOfRow(Integer dataRow) {
    if (!dataActive_) return Variant(dataRow);
    return window_->GetRowDataRow(dataRow);
}

Integer TgrCustomDBGrid::WindowPositionOfDataRow(const Variant& dataRow, bool useIds) {
    if (dataActive_ && useIds && UsesRecordIds()) return window_->FindRecordIdRow(dataRow);
    if (!dataActive_ || !dataRow.IsString()) return 0;
    return window_->GetBookmarkRow(dataRow.AsString());
}

void TgrCustomDBGrid::ForgetCurrentRecord() {
    currentRecord_.clear();
    notifiedRecord_.clear();
    editStartRecord_.clear();
    lastLoadedRecord_ = Variant();
    rowLoadedPending_ = true;
    topRowSeen_ = Variant(std::string());
    notifiedDataRow_ = UsesRecordIds() ? NullDataRow() : EmptyDataRow();
}

void TgrCustomDBGrid::ResetEditTracking() {
    ForgetCurrentRecord();
    editing_ = updatePending_ = cellEditing_ = false;
    wasEditing_ = isEditing_ = insertHandled_ = recordChanged_ = rowEditStarted_ = false;
    modifiedA_ = modifiedB_ = browseCheckPending_ = false;
    pendingValue_ = Variant();
    editKind_ = 0;
    clickRowDown_ = clickRowUp_ = Variant();
    topLeftColSeen_ = 0;
}

void TgrCustomDBGrid::SyncCurrentRecord() {
    if (!dataActive_) {
        currentRecord_.clear();
        return;
    }
    TCounterGuard guard(syncDepth_);
    Integer row = window_->GetCurrentRecordRow();
    currentRecord_ = window_->GetCurrentBookmark();
    Integer displayCol = std::clamp<Integer>(CurrentDisplayCol(), 1, std::max<Integer>(ColTotal() - 1, 1));
    if (row >= 1 && row < RowTotal() && displayCol < ColTotal()) {
        Integer displayRow = DisplayRowOfData(row);
        if (!(TCustomGrid_ts::CurrentCell() == TCellCoord_ts{displayCol, displayRow}))
            MoveCurrentCell(displayCol, displayRow, false, true);
        ChangeCurrentCell(displayCol, displayRow);
    }
    if (RowBarOn()) InvalidateCol(0);
    SyncListBoxSelection(true);
    NotifyRowChanged();
    NotifyCellChanged();
}

void TgrCustomDBGrid::NotifyCellChanged() {
    Integer col = CurrentDataCol();
    if (col == cellColSeen_ && currentRecord_ == cellRecordSeen_) return;
    Integer oldCol = cellColSeen_;
    Variant oldRow = cellDataRowSeen_, newRow = GetCurrentDataRow();
    cellColSeen_ = col;
    cellRecordSeen_ = currentRecord_;
    cellDataRowSeen_ = newRow;
    if (OnCellChanged && CanFireEvents()) OnCellChanged(this, oldCol, col, oldRow, newRow);
}

void TgrCustomDBGrid::ChangeCurrentCell(Integer displayCol, Integer displayRow) {
    TgrBaseGrid::ChangeCurrentCell(displayCol, displayRow);
    if (dataActive_ && syncDepth_ == 0) NotifyCellChanged();
}

void TgrCustomDBGrid::NotifyRowChanged() {
    if (currentRecord_ == notifiedRecord_) return;
    Variant oldRow = notifiedDataRow_, newRow = GetCurrentDataRow();
    notifiedRecord_ = currentRecord_;
    notifiedDataRow_ = newRow;
    if (OnRowChanged && CanFireEvents()) OnRowChanged(this, oldRow, newRow);
}

// The list moves of the keyboard (DBGridKeys.cpp): the dataset moved by
// the grid itself.
void TgrCustomDBGrid::MoveDatasetBy(Integer distance) {
    TCounterGuard moving(listMoveDepth_);
    DataSet()->MoveBy(int(distance));
}

void TgrCustomDBGrid::MoveDatasetFirst() {
    TCounterGuard moving(listMoveDepth_);
    DataSet()->First();
}

void TgrCustomDBGrid::MoveDatasetLast() {
    TCounterGuard moving(listMoveDepth_);
    DataSet()->Last();
}

bool TgrCustomDBGrid::GotoDataRow(const Variant& dataRow) {
    std::string bookmark;
    if (!BookmarkOfDataRow(dataRow, bookmark)) return false;
    if (bookmark == currentRecord_) return true;
    if (!PostEdit()) return false;
    return window_->GotoBookmark(bookmark);
}

// ------------------------------------------------------------ data-link reactions

void TgrCustomDBGrid::DataLinkActiveChanged(bool active) {
    if (active == linkActiveSeen_) return;
    // Only a dataset with an engine cursor can use the engine-cursor
    // window; no dataset of this program has one, so the standard window
    // serves them all.
    if (!dataActive_ && !IsDatasetTypeAllowed(datasetType_, DataSet())) datasetType_ = dstStandard;
    window_ = datasetType_ == dstStandard ? static_cast<TgrGridData*>(standardWindow_.get()) : bdeWindow_.get();
    // The grid holds still while it binds or unbinds. However that ends,
    // by an error too, it is let go again, OnFieldLayoutChange fires and
    // the scroll bars and the top-left report follow.
    LockUpdate();
    auto finish = [this] {
        UnlockUpdate();
        DoFieldLayoutChange();
        UpdateScrollBars();
        Invalidate();
        CheckTopLeftChanged(false);
    };
    try {
        ClearCellElementCache();
        ResetEditTracking();
        // An editor left open would show a value of the old binding.
        HideCellControl(true);
        selection_->Clear();
        linkActiveSeen_ = active;
        if (active) {
            RebuildColumns(true, true, true);
            CheckGridModeForDataset();
            window_->ActiveChanged(true);
            if (UsesStandardWindow()) window_->SetWindowSize(GetVisibleRecordCount());
            dataActive_ = window_->IsActive();
            if (!UsesStandardWindow()) {
                bdeWindow_->First();
                bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
            }
            // Properties a form file gave records before the dataset opened.
            ApplyStreamedProperties(true);
        } else {
            window_->ActiveChanged(false);
            dataActive_ = false;
            UpdateRowCount();
            RebuildColumns(true, true, true);
        }
        UpdateRowCount();
        RefreshCellControl();
        if (dataActive_) SyncCurrentRecord();
        else if (Rows() >= 1 && ColTotal() > 1) {
            TCounterGuard guard(syncDepth_);
            ChangeCurrentCell(std::max<Integer>(CurrentDisplayCol(), 1), 1);
        }
        UpdateExactRowCount(true);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TgrCustomDBGrid::DataLinkCheckBrowseMode() {
    // Cleared when the editing state changes next.
    browseCheckPending_ = true;
}

void TgrCustomDBGrid::DataLinkChanged() {
    ClearWindowCaches();
    if (syncDepth_ > 0) return;
    // While a new record is pending its placeholder row stays.
    if (!UsesStandardWindow() && dataActive_ && !bdeWindow_->Inserting()) {
        if (NeedsRefetch()) bdeWindow_->Refresh(false);
        if (NeedsFullRefresh()) {
            // Another order: the window is read anew from the first record.
            if (IsListBoxSelect()) selection_->Clear();
            ResetWindow(true);
            UpdateScrollBars();
            CheckTopLeftChanged(false);
            return;
        }
        if (!ReopenCursorWindow()) return;
    }
    // Another order: the rows show other records, and the grid takes the
    // dataset's record as a new current record.
    if (window_->IndexChanged()) {
        window_->RememberIndex();
        ForgetCurrentRecord();
        if (IsListBoxSelect()) selection_->Clear();
    }
    // A dataset that hands out a new bookmark text for the same record
    // does not make the grid believe its record changed.
    if (dataActive_) ReconcileBookmark(currentRecord_, window_->GetCurrentBookmark());
    UpdateRowCount();
    SyncCurrentRecord();
    Invalidate();
    UpdateScrollBars();
    CheckTopLeftChanged(false);
}

bool TgrCustomDBGrid::ReopenCursorWindow(bool showRecord) {
    // Its copies may be stale: the window reopens its cursor (standing on
    // the first records), then shows the dataset's record. Cloning a
    // cursor may notify again.
    if (reopenDepth_ > 0) return false;
    TCounterGuard guard(reopenDepth_);
    bdeWindow_->Reopen();
    bdeWindow_->First();
    // A fresh cursor knows no count; with ExactRowCount it is asked again.
    if (exactRowCount_) bdeWindow_->GetTotalRecordCount(true);
    if (showRecord) bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
    return true;
}

void TgrCustomDBGrid::DataLinkEditingChanged() {
    bool now = dataLink_->Editing();
    if (now == editing_) return;
    wasEditing_ = editing_;
    isEditing_ = editing_ = now;
    TDataSet* ds = DataSet();
    if (now) {
        if (ds && ds->State() == dsInsert) {
            CloseDropDowns();
            ClearWindowCaches();
            if (ds->Eof()) BeginAppendRecord();
            else BeginInsertRecord();
        } else {
            editKind_ = 1;
            editStartRecord_ = currentRecord_;
        }
        window_->ClearCaches();
        UpdateRowCount();
        if (editKind_ != 1) SyncCurrentRecord();
    } else {
        recordChanged_ = !IsRecordUnchanged();
        Integer kind = editKind_;
        if (kind == 1) EndEditRecord();
        else if (kind == 2) EndAppendRecord();
        else if (kind == 3) EndInsertRecord();
        // A record that was new until now took its bookmark: what was kept
        // for the empty bookmark belonged to it only while it was new.
        if (kind != 1) ResetRecordProperties(UsesRecordIds() ? NullDataRow() : EmptyDataRow());
        editKind_ = 0;
        updatePending_ = cellEditing_ = rowEditStarted_ = false;
        pendingValue_ = Variant();
    }
    Invalidate();
    modifiedA_ = modifiedB_ = browseCheckPending_ = false;
}

void TgrCustomDBGrid::DataLinkRecordChanged(TField* field) {
    // The editor shown over a field changed elsewhere follows the field.
    if (dataActive_ && !updatePending_ && field && IsEditMode())
        if (TgrDBCol* col = FindFieldCol(field); col && RefreshEditorFromField(col)) SelectAllCurrentCell();
    if (dataActive_) {
        // An edited field may be the one the record's id is made of.
        if (UsesRecordIds()) window_->ClearCaches();
        Integer row = window_->GetActiveRow();
        if (row >= 1 && row < RowTotal()) InvalidateRow(DisplayRowOfData(row));
    }
    // Fields set on a new record count as a change only when the values
    // are put (DataLinkUpdateData).
    TDataSet* ds = DataSet();
    modifiedB_ = ds && ds->Modified() && !(isEditing_ && ds->State() == dsInsert);
}

void TgrCustomDBGrid::DataLinkUpdateData() {
    TDataSet* ds = DataSet();
    modifiedA_ = updatePending_ || (ds && ds->Modified());
    if (!browseCheckPending_) modifiedB_ = modifiedA_;
    if (!updatePending_) return;
    Integer dataCol = CurrentDataCol();
    Variant value = PendingValue();
    // A cell edit that was started but holds no value (nothing typed or
    // loaded) leaves the field as it is: writing it would empty the field.
    if (value.IsEmpty()) {
        updatePending_ = false;
        return;
    }
    // Text typed into a cell whose mask asks for validation reaches the
    // field only when the mask takes it (also when the dataset is posted
    // from elsewhere).
    if (IsCellEditing() && !ValidateCellMask()) {
        TgrCol* col = Col(dataCol);
        RaiseMaskError(Format("Invalid value for field '%s'", {col ? col->FieldName() : std::string()}));
    }
    bool cancel = false;
    DoUpdateField(dataCol, GetCurrentDataRow(), value, cancel);
    updatePending_ = false;
    if (!cancel) WriteFieldValue(dataCol, value);
}

// ------------------------------------------------------------ cell values

Variant TgrCustomDBGrid::ReadFieldValue(Integer dataCol) {
    TgrDBField* f = FieldAdapter(dataCol);
    if (!f) return Variant();
    if (f->DefaultControlType() == ctCheck) return f->GetAsVariant();
    TgrCol* col = Col(dataCol);
    if (col && col->ControlType() == ctPicture) {
        // A graphic field shows its picture; any other field's edit text
        // names an image of the image list.
        auto* graphic = dynamic_cast<TgrDBGraphicField*>(f);
        if (!graphic) return Variant(f->GetEditText());
        if (!fieldPicture_) fieldPicture_ = std::make_unique<TBitmap>();
        try {
            graphic->AssignTo(*fieldPicture_);
        } catch (const EInvalidGraphic&) {
            // A damaged picture leaves its cell empty: painting cannot stop.
            return Variant();
        }
        return fieldPicture_->Empty() ? Variant() : ObjectToVariant(fieldPicture_.get());
    }
    return Variant(f->GetDisplayText());
}

void TgrCustomDBGrid::WriteFieldValue(Integer dataCol, const Variant& value) {
    TgrDBField* f = FieldAdapter(dataCol);
    if (!f) return;
    if (value.IsNull() || (value.IsEmpty() && f->DefaultControlType() != ctText)) f->SetAsVariant(Variant::NullValue());
    else if (f->DefaultControlType() == ctCheck) f->SetAsVariant(value);
    else if (auto* graphic = dynamic_cast<TgrDBGraphicField*>(f)) {
        // A picture is stored as a bitmap file; text has no meaning here.
        auto* picture = value.IsString() ? nullptr : static_cast<TBitmap*>(VariantToObject(value));
        if (picture) graphic->Assign(*picture);
    }
    else f->SetEditText(value.AsString());
}

Variant TgrCustomDBGrid::ReadActiveRecordCellValue(Integer dataCol, const Variant& dataRow) {
    Variant value;
    // The cell being edited shows what was typed, unless the fields are
    // being read again.
    bool editRecord = UsesRecordIds() || !dataRow.IsString()
                          ? IsCurrentDataRow(dataRow)
                          : IsSameEditRecord(0, 0, false, currentRecord_, dataRow.AsString());
    if (!FieldReReadLocked() && updatePending_ && dataCol == CurrentDataCol() && editRecord) value = PendingValue();
    // An edit that holds no value yet shows the field.
    if (!value.IsEmpty()) {
        NotifyCellLoaded(dataCol, dataRow, 0, false, ctNone, value);
        return value;
    }
    CheckNotInCellLoaded();
    // A cell without a control shows nothing.
    TgrControlType type = ResolveCellControlType(dataCol, dataRow);
    if (type == ctNone) return value;
    value = ReadFieldValue(dataCol);
    // A check box over a field that is not Boolean shows the field's own
    // value (its column's check-box texts or numbers decide the state).
    if (type == ctCheck) {
        TgrDBField* f = FieldAdapter(dataCol);
        if (f && !f->IsBooleanField()) value = f->GetAsVariant();
    }
    NotifyCellLoaded(dataCol, dataRow, 0, false, type, value);
    return value;
}

Variant TgrCustomDBGrid::LoadCellValue(Integer dataCol, Integer dataRow, const Variant& stored) {
    if (!dataBound_) {
        // Unbound, the stored value is shown and the row number names the
        // row.
        Variant value = stored;
        NotifyCellLoaded(dataCol, Variant(dataRow), dataRow, true, EffectiveControlType(dataCol, dataRow), value);
        return value;
    }
    if (!dataActive_ || dataRow < 1 || dataRow > window_->GetRowCount()) return Variant();
    Integer active = GetActiveWindowRow();
    Variant rowId = window_->GetRowDataRow(dataRow);
    // The adapters read the active row: the data link's buffer, or the
    // engine-cursor window's copy of the record.
    SetActiveWindowRow(dataRow);
    Variant value;
    try {
        value = ReadActiveRecordCellValue(dataCol, rowId);
    } catch (...) {
        SetActiveWindowRow(active);
        throw;
    }
    SetActiveWindowRow(active);
    return value;
}

Variant TgrCustomDBGrid::GetCellValue(Integer dataCol, const Variant& dataRow) {
    if (!dataActive_) return TgrBaseGrid::GetCellValue(dataCol, dataRow.AsInteger());
    CheckNotInCellLoaded();
    CheckDataRow(dataRow);
    return ReadRecordCellValue(dataCol, dataRow);
}

void TgrCustomDBGrid::DoCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value) {
    if (!OnCellLoaded) return;
    bool was = inCellLoaded_;
    SetInCellLoadedEvent(true);
    try {
        OnCellLoaded(this, dataCol, dataRow, value);
    } catch (...) {
        SetInCellLoadedEvent(was);
        throw;
    }
    SetInCellLoadedEvent(was);
}

void TgrCustomDBGrid::DoRowLoaded(const Variant& dataRow) {
    if (OnRowLoaded) OnRowLoaded(this, dataRow);
}

void TgrCustomDBGrid::DoPrintRow(const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnPrintRow && CanFireEvents()) OnPrintRow(this, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoPrintCell(Integer dataCol, const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnPrintCell && CanFireEvents()) OnPrintCell(this, dataCol, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoFieldLayoutChange() {
    if (OnFieldLayoutChange && CanFireEvents()) OnFieldLayoutChange(this);
}

void TgrCustomDBGrid::DoTopLeftChanged(Integer, Integer, Integer, Integer, bool byUser) {
    CheckTopLeftChanged(byUser);
}

void TgrCustomDBGrid::NotifyTopLeftChanged() {
    TgrBaseGrid::NotifyTopLeftChanged();
    CheckTopLeftChanged(false);
}

void TgrCustomDBGrid::CheckTopLeftChanged(bool byUser) {
    // A grid going away (its data link let go) reports nothing.
    if (ComponentState().Contains(csDestroying)) return;
    Integer col = DataColOfDisplay(TopLeftCell().Col);
    Variant row = DataRowOfRow(DataRowOfDisplay(TopLeftCell().Row));
    // Record ids may be of another kind than the bookmark text first seen.
    if (col == topLeftColSeen_ && VariantsEqual(row, topRowSeen_)) return;
    Integer oldCol = topLeftColSeen_;
    Variant oldRow = topRowSeen_;
    // What is reported next compares with this, also when the handler
    // raises or may not hear of it (the grid is being loaded).
    topLeftColSeen_ = col;
    topRowSeen_ = row;
    DoRecordTopLeftChanged(oldCol, oldRow, col, row, byUser);
}

void TgrCustomDBGrid::FireInsertRow(Integer dataRow, bool byUser) {
    if (!dataBound_) DoInsertRow(Variant(dataRow), byUser);
}

void TgrCustomDBGrid::FireDeleteRow(Integer dataRow, bool byUser) {
    if (!dataBound_) DoDeleteRow(Variant(dataRow), byUser);
}

// ------------------------------------------------------------ selection

void TgrCustomDBGrid::SelectRows(const Variant& fromRow, const Variant& toRow, bool select) {
    if (!dataBound_) {
        Integer a = DisplayRowOfData(fromRow.AsInteger()), b = DisplayRowOfData(toRow.AsInteger());
        if (select) SelectDisplayRows(a, b);
        else DeselectDisplayRows(a, b);
        return;
    }
    // With record ids the selection names each record of the run by its
    // id, in either mode; a single record needs no walk, so an id whose
    // record is gone can still be deselected.
    bool ids = UsesRecordIds();
    if (ids && CompareRecordIds(fromRow, toRow) == 0) {
        if (select) selection_->Ids().Add(fromRow);
        else {
            selection_->Ids().Remove(fromRow);
            selection_->SetAllSelected(false);
        }
        Invalidate();
        return;
    }
    std::string lo, hi;
    if (ids ? !BookmarkOfDataRow(fromRow, lo) || !BookmarkOfDataRow(toRow, hi)
            : !fromRow.IsString() || !toRow.IsString())
        RaiseGridError("Invalid bookmark value");
    if (!ids) lo = fromRow.AsString(), hi = toRow.AsString();
    if (!dataActive_) return;
    // Either order names the same run (the records' order decides which
    // end comes first where bookmarks are ordered).
    if (CompareBookmarks(lo, hi) == 1) std::swap(lo, hi);
    if (!ids) {
        SelectPositionRange(MakeAtPosition(lo), MakeAtPosition(hi), select, false);
        return;
    }
    // The scan lists the records from the first to the second.
    SelectScannedRecords(lo, hi, select);
    Invalidate();
}

void TgrCustomDBGrid::SelectAllRows(bool byUser) {
    if (!dataBound_) {
        TgrBaseGrid::SelectAllRows(byUser);
        return;
    }
    if (!dataActive_ || window_->GetRowCount() == 0 || RowSelectMode() != rsMulti || !CanLeaveCell(-1, -1, true))
        return;
    HideCellControl(true);
    // The selection names records, not the rows on screen: every record of
    // the dataset is selected, or deselected when a corner press finds them
    // all selected already.
    if (!UsesRecordIds()) {
        // From before the first to after the last record: every record,
        // or none when a corner press finds them all selected.
        bool select = !byUser || !selection_->IsAllSelected();
        if (byUser) SetMouseStatus(msSelectAll);
        struct Status {
            TgrCustomDBGrid* grid;
            bool byUser;
            ~Status() {
                if (byUser) grid->SetMouseStatus(msNone);
            }
        } status{this, byUser};
        SelectPositionRange(window_->GetFirstPosition(), window_->GetLastPosition(), select, byUser);
        return;
    }
    if (!byUser || !selection_->IsAllSelected()) {
        // The grid class selects the rows; SelectDisplayRows turns that into
        // every record's id.
        bool was = selectingAll_;
        selectingAll_ = true;
        try {
            TgrBaseGrid::SelectAllRows(byUser);
        } catch (...) {
            selectingAll_ = was;
            throw;
        }
        selectingAll_ = was;
        return;
    }
    SetMouseStatus(msSelectAll);
    DeselectAllRows();
    SetGridStatus(gsNormal);
    MarkSelectChanged(0);
    FireSelectChanged(true);
    SetMouseStatus(msNone);
}

bool TgrCustomDBGrid::ApplyRecordIds(const std::vector<Variant>& ids, bool select,
                                     const std::function<bool(Integer)>& step) {
    // All or nothing, as a set of bookmarks.
    TgrRecordIdSet& set = selection_->Ids();
    TgrRecordIdSet backup(&recordOrder_);
    backup = set;
    try {
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (!step(Integer(i + 1))) {
                set = backup;
                return false;
            }
            if (select) set.Add(ids[i]);
            else set.Remove(ids[i]);
        }
    } catch (...) {
        set = backup;
        throw;
    }
    if (!select) selection_->SetAllSelected(false);
    return true;
}

void TgrCustomDBGrid::DoScanRecords(bool scanAll, TgrScanState state, Integer count, bool& cancel) {
    scanning_ = state != scsEnd;
    if (OnScanRecords) OnScanRecords(this, scanAll, state, count, cancel);
}

// While records are scanned the cursor is the application's (a handler of
// the scan may show that it waits): the grid shows no cursors of its own.
bool TgrCustomDBGrid::CursorForMouseStatus(Integer x, Integer y, Integer row, Integer col, TCursor& cursor) {
    return !scanning_ && TgrBaseGrid::CursorForMouseStatus(x, y, row, col, cursor);
}

bool TgrCustomDBGrid::IsRecordSelected(const Variant& dataRow) const {
    if (!dataBound_) return IsDisplayRowSelected(const_cast<TgrCustomDBGrid*>(this)->DisplayRowOfData(dataRow.AsInteger()));
    if (!dataActive_) return false;
    if (UsesRecordIds()) return selection_->Ids().Contains(dataRow);
    return dataRow.IsString() && selection_->IsSelected(dataRow.AsString());
}

void TgrCustomDBGrid::SelectDisplayRows(Integer from, Integer to) {
    if (!dataActive_) {
        TgrBaseGrid::SelectDisplayRows(from, to);
        return;
    }
    if (selectingAll_) {
        // With record ids the selection holds ids, in either mode: every
        // record's id is read by a scan.
        if (SelectScannedRecords(std::string(), std::string(), true, true)) selection_->SetAllSelected(true);
        Invalidate();
        return;
    }
    SetDisplayRowsSelected(from, to, true);
}

void TgrCustomDBGrid::DeselectDisplayRows(Integer from, Integer to) {
    if (!dataActive_) {
        TgrBaseGrid::DeselectDisplayRows(from, to);
        return;
    }
    SetDisplayRowsSelected(from, to, false);
}

void TgrCustomDBGrid::SetDisplayRowsSelected(Integer from, Integer to, bool select) {
    if (selection_->Mode() == rseBookmarkRange && !UsesRecordIds()) {
        // One run from the first row's record to the second's; row 0 is
        // the range anchor record, wherever it is.
        std::string first, second;
        GetDisplayRowBookmarks(from, to, first, second);
        if (!first.empty() && !second.empty()) {
            TgrDatasetKeeper keep(this);
            selection_->SetBookmarksSelected(first, second, select);
        }
        selection_->Changed();
        Invalidate();
        FireSelectChanged(true);
        return;
    }
    if (to < from) std::swap(from, to);
    from = std::max<Integer>(from, 1);
    to = std::min<Integer>(to, RowTotal() - 1);
    std::vector<std::string> rows;
    for (Integer r = from; r <= to; ++r) {
        Integer dataRow = DataRowOfDisplay(r);
        if (dataRow < 1 || dataRow > window_->GetRowCount()) continue;
        if (!UsesRecordIds()) rows.push_back(window_->GetRowBookmark(dataRow));
        else if (select) selection_->Ids().Add(window_->GetRowDataRow(dataRow));
        else {
            selection_->Ids().Remove(window_->GetRowDataRow(dataRow));
            selection_->SetAllSelected(false);
        }
    }
    if (!rows.empty()) {
        TgrDatasetKeeper keep(this);
        // Window rows are in record order: one run in range mode, each
        // record in set mode.
        if (selection_->Mode() == rseBookmarkRange) selection_->SetBookmarksSelected(rows.front(), rows.back(), select);
        else
            for (const std::string& bookmark : rows) selection_->SetBookmarksSelected(bookmark, bookmark, select);
    }
    selection_->Changed();
    Invalidate();
    FireSelectChanged(true);
}

bool TgrCustomDBGrid::IsDisplayRowSelected(Integer displayRow) const {
    if (!dataActive_) return TgrBaseGrid::IsDisplayRowSelected(displayRow);
    auto* self = const_cast<TgrCustomDBGrid*>(this);
    Integer dataRow = self->DataRowOfDisplay(displayRow);
    return dataRow >= 1 && self->IsRowSelected(dataRow);
}

bool TgrCustomDBGrid::AnyRowSelected() const {
    if (!dataActive_) return TgrBaseGrid::AnyRowSelected();
    return !selection_->Empty();
}

void TgrCustomDBGrid::SyncListBoxSelection(bool fire) {
    if (!dataActive_) {
        TgrBaseGrid::SyncListBoxSelection(fire);
        return;
    }
    // A list move of the grid's keys selects the record it reaches too.
    if (!IsListBoxSelect() && (listMoveDepth_ == 0 || RowSelectMode() == rsNone)) return;
    if (UsesRecordIds()) {
        Variant current = GetCurrentDataRow();
        TgrRecordIdSet& ids = selection_->Ids();
        bool none = current.IsNull() || current.IsEmpty();
        if (none ? ids.Empty() : ids.Count() == 1 && ids.Contains(current)) return;
        selection_->Clear();
        if (!none) ids.Add(current);
        Invalidate();
        if (fire) FireSelectChanged(false);
        return;
    }
    // The current record becomes the only one selected when nothing is
    // selected or it is not; a record not posted yet has none selected.
    if (currentRecord_.empty()) {
        if (selection_->Empty()) return;
        selection_->Clear();
        selection_->Changed();
        Invalidate();
    } else if (GridStatus() == gsNormal || (GridStatus() == gsRowsSelected && !selection_->IsSelected(currentRecord_))) {
        SelectOnlyRecord(currentRecord_, true);
    } else {
        return;
    }
    MarkSelectChanged(0);
    if (fire) FireSelectChanged(false);
}

void TgrCustomDBGrid::DeselectAllRows() {
    if (dataBound_ && !selection_->Empty()) {
        selection_->Clear();
        Invalidate();
    }
    TgrBaseGrid::DeselectAllRows();
}

void TgrCustomDBGrid::ResetRowState(TgrRowStateKinds kinds) {
    if (kinds & RowStateBit(rskSelected)) DeselectAllRows();
}

// ------------------------------------------------------------ navigation

TgrVertScrollFigures TgrCustomDBGrid::VertScrollFigures() {
    TgrVertScrollFigures f;
    if (dataActive_ && !UsesStandardWindow()) {
        // The engine window's bar counts records; a large count is scaled
        // into the bar's range.
        Integer count = std::max<Integer>(window_->GetRecordCount(), 1);
        f.Count = f.Positions = f.Range = count;
        if (count > 32767) {
            f.Positions = count - GetVisibleRecordCount();
            f.Range = std::min<Integer>(32767, f.Positions);
            f.Scaled = true;
        }
        return f;
    }
    if (!dataActive_ || !CanMapScrollToRecords()) return f;
    Integer r = window_->GetRecordCount(), v = GetVisibleRecordCount();
    f.Count = f.Positions = f.Range = std::max<Integer>(r + v - 1, 1);
    return f;
}

bool TgrCustomDBGrid::CanMapScrollToRecords() {
    return !UsesStandardWindow() || (DataSet() && window_->IsSequenced());
}

// The bar's position: the record number of the current record plus the
// offset of the top row from the first scrolling row.
Integer TgrCustomDBGrid::VertScrollPos() {
    if (!dataActive_) return 0;
    if (!UsesStandardWindow()) {
        TgrVertScrollFigures f = VertScrollFigures();
        Integer offset = bdeWindow_->Top() + TopLeftCell().Row - FixedRowTotal() - 1;
        if (f.Scaled) return Integer(std::nearbyint(double(offset + 1) * double(f.Range) / double(f.Positions)));
        return offset + 1;
    }
    if (!CanMapScrollToRecords()) return window_->GetBof() ? 1 : window_->GetEof() ? 5 : 3;
    Integer pos = window_->GetRecNo() + TopLeftCell().Row - FixedRowTotal();
    return std::max<Integer>(pos, 1);
}

Integer TgrCustomDBGrid::VertScrollPage() {
    if (!dataActive_ || !CanMapScrollToRecords()) return 0;
    TgrVertScrollFigures f = VertScrollFigures();
    if (f.Positions <= 0) return 1;
    double whole = std::trunc(GetVisibleRowsExact());
    return std::max<Integer>(1, Integer(std::nearbyint(whole / double(f.Positions) * double(f.Range))));
}

void TgrCustomDBGrid::UpdateScrollBars() {
    TgrBaseGrid::UpdateScrollBars();
    if (!dataBound_ || !HasWindow() || (ScrollBars() != ssVertical && ScrollBars() != ssBoth)) return;
    TgrVertScrollFigures f = VertScrollFigures();
    if (!dataActive_) {
        SetScrollRange(sbVertical, 0, 0);
        return;
    }
    SetScrollRange(sbVertical, int(f.First), int(f.Range));
    SetScrollPage(sbVertical, int(VertScrollPage()));
    SetScrollPos(sbVertical, int(VertScrollPos()));
}

bool TgrCustomDBGrid::CanSelectCell(Integer col, Integer row) {
    if (!dataActive_ || syncDepth_ > 0 || row < 1 || col < 1) return TgrBaseGrid::CanSelectCell(col, row);
    Integer dataRow = DataRowOfDisplay(row);
    if (dataRow != window_->GetCurrentRecordRow()) {
        // Leaving the row posts the record.
        if (!PostEdit()) return false;
        GoToWindowRow(window_->GetActiveRow(), dataRow);
        return window_->GetCurrentRecordRow() == dataRow;
    }
    if (col != TCustomGrid_ts::CurrentCell().Col) return EndCellEdit();
    return true;
}

void TgrCustomDBGrid::ProcessKeyDown(Word16& key, TShiftState shift) {
    // Esc first ends a mouse action (a drag given up), as in any grid,
    // before it would undo the record's edit.
    if (!dataActive_ || (key == VK_ESCAPE && MouseStatus() != msNone)) {
        TgrBaseGrid::ProcessKeyDown(key, shift);
        return;
    }
    bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
    // A dropped-down list takes the moves, Enter and Esc; F4 and Alt+Up or
    // Down drop the current cell's list down, never move the record.
    if (DroppedCombo()) {
        TgrBaseGrid::ProcessKeyDown(key, shift);
        return;
    }
    bool dropKey = (key == VK_F4 && !ctrl && !alt && !shift.Contains(ssShift)) ||
                   (alt && !ctrl && !shift.Contains(ssShift) && (key == VK_DOWN || key == VK_UP));
    // The grid class opens the date-time editor with its notifications.
    if (dropKey && CanDropDownDateTime(CurrentDataCol(), CurrentDataRow())) {
        TgrBaseGrid::ProcessKeyDown(key, shift);
        return;
    }
    if (dropKey) {
        TgrCombo* combo = EffectiveCombo(CurrentDataCol(), CurrentDataRow());
        if (combo && !IsComboUsable(combo)) {
            key = 0;
            return;
        }
        LocateComboRow();
        TgrBaseGrid::ProcessKeyDown(key, shift);
        return;
    }
    switch (key) {
        case VK_DELETE:
            if (shift.Contains(ssCtrl) && !shift.Contains(ssShift) && !shift.Contains(ssAlt) && DeleteRecordsOnKey())
                key = 0;
            if (key == 0) return;
            break;
        case VK_INSERT:
            if (!ctrl && !shift.Contains(ssShift) && !shift.Contains(ssAlt) && InsertRecordOnKey()) {
                key = 0;
                return;
            }
            break;
        case VK_ESCAPE:
            if (UndoEdit()) ExitEditMode();
            key = 0;
            return;
        default: break;
    }
    TgrBaseGrid::ProcessKeyDown(key, shift);
}

Variant TgrCustomDBGrid::MouseDataRow(Integer displayRow) {
    if (!dataBound_) return Variant(displayRow >= 1 && displayRow < RowTotal() ? DataRowOfDisplay(displayRow) : displayRow);
    if (dataActive_ && displayRow >= 1 && displayRow < RowTotal()) return DataRowOfRow(DataRowOfDisplay(displayRow));
    return Variant(displayRow < 0 ? 0 : displayRow);
}

void TgrCustomDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCellCoord_ts cell = MouseCoord(x, y);
    clickColDown_ = cell.Col >= 1 && cell.Col < ColTotal() ? DataColOfDisplay(cell.Col) : 0;
    clickRowDown_ = MouseDataRow(cell.Row);
    clickPosDown_ = ClickPositionOf(cell.Col, cell.Row);
    // A press on the current cell's combo button is refused when its list
    // lists this grid's own records.
    TgrCellPaintInfo info;
    if (dataActive_ && button == mbLeft && !DroppedCombo() && cell.Col == TCustomGrid_ts::CurrentCell().Col &&
        cell.Row == TCustomGrid_ts::CurrentCell().Row && FillDrawInfo(cell.Col, cell.Row, info) &&
        info.ButtonType == btCombo && PointInClosedRect(x, y, info.ButtonRect)) {
        TgrCombo* combo = EffectiveCombo(CurrentDataCol(), CurrentDataRow());
        if (combo && !IsComboUsable(combo)) return;
        LocateComboRow();
    }
    TgrBaseGrid::MouseDown(button, shift, x, y);
}

void TgrCustomDBGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TgrBaseGrid::MouseUp(button, shift, x, y);
}

void TgrCustomDBGrid::SetMouseUpCell(Integer displayCol, Integer displayRow) {
    TgrBaseGrid::SetMouseUpCell(displayCol, displayRow);
    clickRowUp_ = MouseDataRow(displayRow);
}

bool TgrCustomDBGrid::FireClickCell(Integer, Integer, Integer upCol, Integer, TgrClickPosition, TgrClickPosition upPos) {
    if (dataBound_ && !dataActive_) return false;
    DoClickCell(clickColDown_, clickRowDown_, std::max<Integer>(upCol, 0), clickRowUp_, clickPosDown_, upPos);
    return bool(OnClickCell);
}

Variant TgrCustomDBGrid::RowDataRow(Integer dataRow) {
    if (!dataBound_) return Variant(dataRow);
    return dataActive_ ? DataRowOfRow(dataRow) : Variant(std::string());
}

void TgrCustomDBGrid::DoClickCell(Integer dataColDown, const Variant& dataRowDown, Integer dataColUp,
                                  const Variant& dataRowUp, TgrClickPosition downPos, TgrClickPosition upPos) {
    if (OnClickCell) OnClickCell(this, dataColDown, Variant(dataRowDown), dataColUp, Variant(dataRowUp), downPos, upPos);
}

// The row is the record the double-click's press landed on.
void TgrCustomDBGrid::FireDblClickCell(Integer, Integer) {
    if (!dataBound_ || dataActive_) DoDblClickCell(clickColDown_, clickRowDown_, clickPosDown_);
}

void TgrCustomDBGrid::DoDblClickCell(Integer dataCol, const Variant& dataRow, TgrClickPosition pos) {
    if (OnDblClickCell) OnDblClickCell(this, dataCol, Variant(dataRow), pos);
}

void TgrCustomDBGrid::DoButtonDown(Integer dataCol, const Variant& dataRow) {
    if (OnButtonDown) OnButtonDown(this, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoButtonUp(Integer dataCol, const Variant& dataRow) {
    if (OnButtonUp) OnButtonUp(this, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoButtonClick(Integer dataCol, const Variant& dataRow) {
    if (OnButtonClick) OnButtonClick(this, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoShowEditor(Integer dataCol, const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnShowEditor) OnShowEditor(this, dataCol, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoDateTimeInit(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow) {
    if (OnDateTimeInit) OnDateTimeInit(this, def, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoDateTimeDropDown(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow) {
    if (OnDateTimeDropDown) OnDateTimeDropDown(this, def, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoDateTimeRollUp(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow) {
    if (OnDateTimeRollUp) OnDateTimeRollUp(this, def, dataCol, Variant(dataRow));
}

void TgrCustomDBGrid::DoDateTimeGetValue(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow,
                                         Variant& value) {
    if (OnDateTimeGetValue) OnDateTimeGetValue(this, def, dataCol, Variant(dataRow), value);
}

void TgrCustomDBGrid::FireButtonDown(Integer dataCol, Integer dataRow) { DoButtonDown(dataCol, RowDataRow(dataRow)); }
void TgrCustomDBGrid::FireButtonUp(Integer dataCol, Integer dataRow) { DoButtonUp(dataCol, RowDataRow(dataRow)); }
void TgrCustomDBGrid::FireButtonClick(Integer dataCol, Integer dataRow) {
    DoButtonClick(dataCol, RowDataRow(dataRow));
}

void TgrCustomDBGrid::FireDateTimeInit(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {
    DoDateTimeInit(def, dataCol, RowDataRow(dataRow));
}

void TgrCustomDBGrid::FireDateTimeDropDown(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {
    DoDateTimeDropDown(def, dataCol, RowDataRow(dataRow));
}

void TgrCustomDBGrid::FireDateTimeRollUp(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {
    DoDateTimeRollUp(def, dataCol, RowDataRow(dataRow));
}

void TgrCustomDBGrid::FireDateTimeGetValue(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow,
                                           Variant& value) {
    DoDateTimeGetValue(def, dataCol, RowDataRow(dataRow), value);
}

void TgrCustomDBGrid::DoSpinButtonDown(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton) {
    if (OnSpinButtonDown) OnSpinButtonDown(this, dataCol, Variant(dataRow), spinButton);
}

void TgrCustomDBGrid::DoSpinButtonUp(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton) {
    if (OnSpinButtonUp) OnSpinButtonUp(this, dataCol, Variant(dataRow), spinButton);
}

void TgrCustomDBGrid::DoSpinButtonClick(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton) {
    if (OnSpinButtonClick) OnSpinButtonClick(this, dataCol, Variant(dataRow), spinButton);
}

void TgrCustomDBGrid::DoSpinRepeat(Integer dataCol, const Variant& dataRow, Integer count, TgrSpinButton spinButton) {
    if (OnSpinRepeat) OnSpinRepeat(this, dataCol, Variant(dataRow), count, spinButton);
}

void TgrCustomDBGrid::DoSpinIncrement(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton,
                                      Variant& value, Integer& pos, Integer& len, bool& accept) {
    if (OnSpinIncrement) OnSpinIncrement(this, dataCol, Variant(dataRow), spinButton, value, pos, len, accept);
}

void TgrCustomDBGrid::DoInvalidMaskValue(Integer dataCol, const Variant& dataRow, bool& accept) {
    accept = false;
    if (OnInvalidMaskValue) OnInvalidMaskValue(this, dataCol, Variant(dataRow), accept);
}

void TgrCustomDBGrid::DoInvalidMaskEdit(const std::string& keys, Integer dataCol, const Variant& dataRow,
                                        bool& accept) {
    accept = false;
    if (OnInvalidMaskEdit) OnInvalidMaskEdit(this, keys, dataCol, Variant(dataRow), accept);
}

void TgrCustomDBGrid::FireSpinButtonDown(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    DoSpinButtonDown(dataCol, RowDataRow(dataRow), button);
}

void TgrCustomDBGrid::FireSpinButtonUp(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    DoSpinButtonUp(dataCol, RowDataRow(dataRow), button);
}

void TgrCustomDBGrid::FireSpinButtonClick(Integer dataCol, Integer dataRow, TgrSpinButton button) {
    DoSpinButtonClick(dataCol, RowDataRow(dataRow), button);
}

void TgrCustomDBGrid::FireSpinRepeat(Integer dataCol, Integer dataRow, TgrSpinButton button, Integer count) {
    DoSpinRepeat(dataCol, RowDataRow(dataRow), count, button);
    SpinCellValue(dataCol, dataRow, button == spbUp);
}

void TgrCustomDBGrid::FireSpinIncrement(Integer dataCol, Integer dataRow, bool& accept, Integer& pos, Integer& len,
                                        Variant& value, bool up) {
    DoSpinIncrement(dataCol, RowDataRow(dataRow), up ? spbUp : spbDown, value, pos, len, accept);
}

void TgrCustomDBGrid::FireInvalidMaskValue(bool& accept) {
    DoInvalidMaskValue(CurrentDataCol(), EventDataRow(CurrentDataRow()), accept);
}

void TgrCustomDBGrid::FireInvalidMaskEdit(const std::string& keys, bool& accept) {
    DoInvalidMaskEdit(keys, CurrentDataCol(), EventDataRow(CurrentDataRow()), accept);
}

void TgrCustomDBGrid::FireShowEditor(Integer dataCol, Integer dataRow, bool& cancel) {
    if (HasCurrentCell() && (!dataBound_ || dataActive_)) DoShowEditor(dataCol, EventDataRow(dataRow), cancel);
}

// ------------------------------------------------------------ editing

std::string TgrCustomDBGrid::EditTextOf(Integer col, Integer row) {
    if (!dataActive_) return TgrBaseGrid::EditTextOf(col, row);
    Integer dataCol = DataColOfDisplay(col);
    if (updatePending_ && dataCol == CurrentDataCol()) {
        // An edit that holds no value yet shows the field's own text.
        Variant pending = PendingValue();
        if (!pending.IsEmpty()) return pending.AsString();
    }
    TgrDBField* f = FieldAdapter(dataCol);
    return f ? f->GetEditText() : std::string();
}

void TgrCustomDBGrid::StoreEditText(Integer col, Integer row, const std::string& text) {
    if (!dataActive_) {
        TgrBaseGrid::StoreEditText(col, row, text);
        return;
    }
    if (syncDepth_ > 0 || text == EditTextOf(col, row)) return;
    EditCurrentCell(text);
}

bool TgrCustomDBGrid::BeginRecordEdit(Integer dataCol, bool eventsFired) {
    TgrDBField* f = FieldAdapter(dataCol);
    TgrCol* col = Col(dataCol);
    if (!f || !f->CanModify()) return false;
    // A shown column follows the record's read-only settings; a hidden one
    // (written through its field adapter) only the column's.
    if (col && col->Visible() ? ResolveCellReadOnly(dataCol, GetCurrentDataRow()) : col && col->GetReadOnly())
        return false;
    if (!cellEditing_) {
        if (!eventsFired && (!FireStartCellEdit() || !FireStartRowEdit())) return false;
        if (!StartRecordEdit(false)) return false;
        cellEditing_ = true;
    }
    updatePending_ = true;
    return true;
}

bool TgrCustomDBGrid::StartFieldEdit(Integer dataCol) {
    // A field adapter writes its field itself: nothing is left pending.
    TgrCol* col = dataCol >= 1 && dataCol <= Cols() ? Col(dataCol) : nullptr;
    if (!dataActive_ || IsDataSetReadOnly() || (col && col->GetReadOnly())) return false;
    if (!dataLink_->Editing()) dataLink_->Edit();
    return dataLink_->Editing();
}

// The in-cell control starts an edit of the current cell (the start events
// have fired): the record goes into edit mode; the control's value is
// written when the cell is left.
bool TgrCustomDBGrid::PrepareCellEdit(Integer dataCol, bool byUser) {
    if (!dataActive_) return TgrBaseGrid::PrepareCellEdit(dataCol, byUser);
    return BeginRecordEdit(dataCol, true);
}

Variant TgrCustomDBGrid::PendingValue() {
    if (!pendingValue_.IsEmpty()) return pendingValue_;
    TgrCurrentCell* cell = CurrentCell();
    if (cell && cell->HasValueFor(CurrentDataCol(), CurrentDataRow())) return cell->GetStoredValue();
    return Variant();
}

bool TgrCustomDBGrid::EditCurrentCell(const std::string& text) {
    if (!dataActive_) return false;
    Integer dataCol = CurrentDataCol();
    if (!BeginRecordEdit(dataCol)) return false;
    pendingValue_ = Variant(text);
    FireCellEdit(dataCol, CurrentDataRow(), true);
    Integer row = window_->GetActiveRow();
    if (row >= 1 && row < RowTotal()) InvalidateRow(DisplayRowOfData(row));
    return true;
}

bool TgrCustomDBGrid::EndCellEdit() {
    if (!updatePending_) {
        cellEditing_ = false;
        return true;
    }
    if (!FireEndCellEditEvent()) return false;
    try {
        dataLink_->UpdateRecord();
    } catch (const std::exception& e) {
        // The typed value stays pending: the user can correct it.
        updatePending_ = true;
        ShowPostError(e);
        return false;
    }
    cellEditing_ = false;
    return true;
}

// ------------------------------------------------------------ painting

void TgrCustomDBGrid::Paint() {
    rowLoadedPending_ = true;
    lastLoadedRecord_ = Variant();
    painting_ = true;
    try {
        TgrBaseGrid::Paint();
    } catch (...) {
        painting_ = false;
        throw;
    }
    painting_ = false;
}

bool TgrCustomDBGrid::PaintCellData(TgrCellPaintInfo& info, const TRect&, bool) {
    if (!dataActive_ || info.Kind != tckData || info.DataRow < 1 || info.DataRow > window_->GetRowCount())
        return FirePaintCell(info);
    Variant record = window_->GetRowDataRow(info.DataRow);
    // The cell-loaded events of this paint may just have set the record's
    // attributes: they are resolved again before the content is drawn.
    if (!HasGetDrawInfo()) ReresolveLoadedAttributes(info);
    if (IsRecordSelected(record)) {
        info.Selected = true;
        info.SelectionColored = true;
        info.Color = SelectionColor();
        if (ColorSet(SelectionFontColor())) info.FontColor = SelectionFontColor();
    }
    return FirePaintCell(info);
}

void TgrCustomDBGrid::ReresolveLoadedAttributes(TgrCellPaintInfo& info) {
    info.Font = EffectiveCellFont(info.DataCol, info.DataRow);
    info.HorzAlignment = EffectiveHorzAlignment(info.DataCol, info.DataRow);
    info.VertAlignment = EffectiveVertAlignment(info.DataCol, info.DataRow);
    info.WordWrap = EffectiveWordWrap(info.DataCol, info.DataRow);
    TColor fontColor = info.Font ? info.Font->Color() : clWindowText;
    // The selection, focus and editor colours stay over the cell's own.
    auto shown = [](TColor own) { return own != grColorNotSet; };
    bool editor = info.ControlShown && (shown(EditColor()) || shown(EditFontColor()));
    bool focus = !info.SelectionColored && info.ShowsFocus && (shown(FocusColor()) || shown(FocusFontColor()));
    bool selected = info.SelectionColored && info.ControlType != ctPicture;
    if (!selected && !(editor && shown(EditColor())) && !(focus && shown(FocusColor())))
        info.Color = EffectiveCellColor(info.DataCol, info.DataRow, info.Is3D);
    if (!(selected && shown(SelectionFontColor())) && !(editor && shown(EditFontColor())) &&
        !(focus && shown(FocusFontColor())))
        info.FontColor = fontColor;
}

bool TgrCustomDBGrid::FirePaintCell(const TgrCellPaintInfo& info) {
    if (!OnPaintCell || (dataBound_ && !dataActive_)) return false;
    if (info.DisplayCol < 1 || info.DisplayRow < 0 || info.ContentRect.Right <= info.ContentRect.Left) return false;
    TgrPaintCellState state = 0;
    if (info.Current) state |= PaintCellBit(pcsCurrent);
    if (info.Selected) state |= PaintCellBit(pcsSelected);
    if (info.Kind != tckData) state |= PaintCellBit(pcsFixed);
    bool heading = info.Kind == tckHeading;
    Variant dataRow(info.DataRow);
    // The handler reads the fields of the record it paints.
    Integer active = 0;
    bool record = dataBound_ && !heading && info.DataRow > 0;
    if (record) {
        active = GetActiveWindowRow();
        SetActiveWindowRow(info.DataRow);
        dataRow = window_->GetRowDataRow(info.DataRow);
    }
    TCanvas* c = Canvas();
    TFont font;
    font.Assign(*c->Font());
    TColor brush = c->Brush()->Color();
    c->Brush()->SetColor(heading ? HeadingColor() : Color());
    c->Font()->Assign(heading ? *HeadingFont() : *Font());
    bool cancel = false;
    auto restore = [&] {
        if (record) SetActiveWindowRow(active);
        c->Font()->Assign(font);
        c->Brush()->SetColor(brush);
    };
    try {
        DoPaintCell(info.DataCol, dataRow, info.ContentRect, state, cancel);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return cancel;
}

void TgrCustomDBGrid::DoPaintCell(Integer dataCol, const Variant& dataRow, const TRect& rect,
                                  TgrPaintCellState state, bool& cancel) {
    cancel = false;
    if (OnPaintCell) OnPaintCell(this, dataCol, Variant(dataRow), rect, state, cancel);
}

// ------------------------------------------------------------ TodcDBGrid

bool TodcDBGrid::WidgetEvent(QEvent* event) {
    bool handled = TgrDBGrid::WidgetEvent(event);
    if (event->type() == QEvent::FocusIn) DoEnter();
    else if (event->type() == QEvent::FocusOut) DoExit();
    return handled;
}

void TodcDBGrid::DoEnter() { SetHeadingColor(FocusedHeadingColor); }

void TodcDBGrid::DoExit() { SetHeadingColor(clBtnFace); }

// ------------------------------------------------------------ edit events
// The grid class's edit life cycle and the record edits of this grid fire
// the same events: in data mode DataRow is the current record, not bound it
// is the row number, and the grid class keeps its own bookkeeping.

Variant TgrCustomDBGrid::EventDataRow(Integer dataRow) {
    return dataBound_ ? GetCurrentDataRow() : Variant(dataRow);
}

void TgrCustomDBGrid::DoStartCellEdit(Integer dataCol, const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnStartCellEdit) OnStartCellEdit(this, dataCol, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoEndCellEdit(Integer dataCol, const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnEndCellEdit) OnEndCellEdit(this, dataCol, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoStartRowEdit(const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnStartRowEdit) OnStartRowEdit(this, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoEndRowEdit(const Variant& dataRow, bool& cancel) {
    cancel = false;
    if (OnEndRowEdit) OnEndRowEdit(this, Variant(dataRow), cancel);
}

void TgrCustomDBGrid::DoCellEdit(Integer dataCol, const Variant& dataRow, bool byUser) {
    if (OnCellEdit) OnCellEdit(this, dataCol, Variant(dataRow), byUser);
}

void TgrCustomDBGrid::DoUndoCellEdit(Integer dataCol, const Variant& dataRow, bool byUser, bool& cancel) {
    cancel = false;
    if (OnUndoCellEdit) OnUndoCellEdit(this, dataCol, Variant(dataRow), byUser, cancel);
}

void TgrCustomDBGrid::DoUndoRowEdit(const Variant& dataRow, bool byUser, bool& cancel) {
    cancel = false;
    if (OnUndoRowEdit) OnUndoRowEdit(this, Variant(dataRow), byUser, cancel);
}

bool TgrCustomDBGrid::FireStartCellEdit() {
    if (dataBound_ ? cellEditing_ : IsCellEditing()) return true;
    if (dataActive_) {
        // A field that cannot be modified starts no edit, unless a combo
        // value is being written into it.
        TgrDBField* f = FieldAdapter(CurrentDataCol());
        if (f && !f->CanModify() && !applyingComboValue_) return false;
        return FireStartCellEditEvent();
    }
    bool cancel = false;
    DoStartCellEdit(CurrentDataCol(), EventDataRow(CurrentDataRow()), cancel);
    if (cancel) return false;
    return dataBound_ || TgrBaseGrid::FireStartCellEdit();
}

bool TgrCustomDBGrid::FireStartRowEdit() {
    // In data mode the row edit is the dataset's: it starts once per record.
    if (dataBound_ ? dataLink_->Editing() && rowEditStarted_ : IsRowEditing()) return true;
    if (dataActive_) {
        // A record the dataset began elsewhere (an append, an insert, a
        // program's edit) starts its row edit with the first cell edit.
        rowEditStarted_ = FireStartRowEditEvent();
        return rowEditStarted_;
    }
    bool cancel = false;
    DoStartRowEdit(EventDataRow(CurrentDataRow()), cancel);
    if (cancel) return false;
    return dataBound_ || TgrBaseGrid::FireStartRowEdit();
}

void TgrCustomDBGrid::FireCellEdit(Integer dataCol, Integer dataRow, bool byUser) {
    if (!dataBound_) TgrBaseGrid::FireCellEdit(dataCol, dataRow, byUser);
    DoCellEdit(dataCol, EventDataRow(dataRow), byUser);
}

bool TgrCustomDBGrid::FireEndCellEdit() {
    // Data bound, ending the cell edit writes the value into the field.
    if (dataBound_) return !dataActive_ || EndCellEdit();
    bool cancel = false;
    DoEndCellEdit(CurrentDataCol(), EventDataRow(CurrentDataRow()), cancel);
    return !cancel && TgrBaseGrid::FireEndCellEdit();
}

bool TgrCustomDBGrid::FireEndRowEdit() {
    // Data bound, ending the row edit posts the record.
    if (dataBound_) return !dataActive_ || PostEdit();
    bool cancel = false;
    DoEndRowEdit(EventDataRow(CurrentDataRow()), cancel);
    return !cancel && TgrBaseGrid::FireEndRowEdit();
}

bool TgrCustomDBGrid::FireUndoCellEdit(bool byUser) {
    bool cancel = false;
    DoUndoCellEdit(CurrentDataCol(), EventDataRow(CurrentDataRow()), byUser, cancel);
    return !cancel && (dataBound_ || TgrBaseGrid::FireUndoCellEdit(byUser));
}

bool TgrCustomDBGrid::FireUndoRowEdit(bool byUser, bool asked) {
    bool cancel = false;
    if (asked) DoUndoRowEdit(EventDataRow(CurrentDataRow()), byUser, cancel);
    if (!dataBound_) return !cancel && (!asked || TgrBaseGrid::FireUndoRowEdit(byUser, asked));
    // Bound, undoing the row cancels the dataset's edit.
    if (cancel || !dataActive_) return !cancel;
    if (dataLink_->Editing()) EndDatasetEdit(true);
    return DataSet()->State() == dsBrowse;
}
