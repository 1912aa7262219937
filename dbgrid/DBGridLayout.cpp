// The data-aware grid's columns from the dataset's fields: the data link's
// field map, the column rebuild (fsDefault: one column per field, in field
// order; fsCustomized: the designer's columns bound by FieldName), and the
// field layouts by which the record window notices that fields changed.

#include <algorithm>
#include <memory>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

namespace {

// The most entries the data link's field map takes.
constexpr Integer kMaxFieldMapEntries = 268435455;

// Holds the grid's update lock for a scope, also when an exception passes.
class TUpdateLockGuard {
public:
    explicit TUpdateLockGuard(TgrBaseGrid& grid) : grid_(grid) { grid_.LockUpdate(); }
    ~TUpdateLockGuard() { grid_.UnlockUpdate(); }
    TUpdateLockGuard(const TUpdateLockGuard&) = delete;
    TUpdateLockGuard& operator=(const TUpdateLockGuard&) = delete;

private:
    TgrBaseGrid& grid_;
};

}  // namespace

// ------------------------------------------------------------ field map

void TgrGridDataLink::AddField(const std::string& fieldName, TField* field) {
    if (Integer(fieldMap_.size()) >= kMaxFieldMapEntries) return;
    TDataSet* ds = DataSet();
    if (!field && ds) field = tolerantLookup_ ? ds->FindField(fieldName) : ds->FieldByName(fieldName);
    fieldMap_.push_back(field ? Integer(field->Index()) : -1);
}

TField* TgrGridDataLink::GetMappedField(Integer index) const {
    if (index < 0 || index >= Integer(fieldMap_.size()) || fieldMap_[std::size_t(index)] < 0) return nullptr;
    TDataSet* ds = DataSet();
    Integer i = fieldMap_[std::size_t(index)];
    return ds && i < ds->FieldCount() ? ds->Fields()[int(i)] : nullptr;
}

// ------------------------------------------------------------ field layouts

TgrGridData::~TgrGridData() = default;

void TgrGridData::ClearFieldLayouts() { fieldLayouts_.clear(); }

void TgrGridData::BuildFieldLayouts() {
    Integer count = dataSet_ ? dataSet_->FieldCount() : 0;
    try {
        fieldLayouts_.resize(std::size_t(count));
        for (Integer i = 0; i < count; ++i) {
            auto& layout = fieldLayouts_[std::size_t(i)];
            if (!layout) layout = std::make_unique<TgrFieldLayout>();
            layout->Capture(dataSet_->Fields()[int(i)]);
        }
    } catch (...) {
        ClearFieldLayouts();
        throw;
    }
}

bool TgrGridData::FieldLayoutsChanged() {
    if (!dataSet_) return !fieldLayouts_.empty();
    Integer count = dataSet_->FieldCount();
    if (count != Integer(fieldLayouts_.size())) return true;
    for (Integer i = 0; i < count; ++i)
        if (!fieldLayouts_[std::size_t(i)]->Matches(dataSet_->Fields()[int(i)])) return true;
    return false;
}

bool TgrGridData::FieldNamesChanged() {
    if (!dataSet_) return false;
    Integer count = std::min<Integer>(dataSet_->FieldCount(), Integer(fieldLayouts_.size()));
    for (Integer i = 0; i < count; ++i)
        if (dataSet_->Fields()[int(i)]->FieldName() != fieldLayouts_[std::size_t(i)]->FieldName()) return true;
    return false;
}

// ------------------------------------------------------------ columns

TgrDBCol* TgrCustomDBGrid::FindFieldCol(const TField* field) {
    if (!field) return nullptr;
    for (Integer c = 1; c <= Cols(); ++c) {
        auto* col = dynamic_cast<TgrDBCol*>(Col(c));
        if (col && col->Adapter() && col->Adapter()->Field() == field) return col;
    }
    return nullptr;
}

void TgrCustomDBGrid::RegisterLinkFields() {
    TDataSet* ds = DataSet();
    if (fieldState_ == fsCustomized) {
        for (Integer c = 1; c <= Cols(); ++c)
            if (TgrCol* col = Col(c)) dataLink_->AddField(col->FieldName(), nullptr);
        return;
    }
    if (!ds) return;
    for (int i = 0; i < ds->FieldCount(); ++i) dataLink_->AddField(ds->Fields()[i]->FieldName(), ds->Fields()[i]);
}

void TgrCustomDBGrid::UnbindAllColumns(bool clearNames) {
    for (Integer c = 1; c <= Cols(); ++c) {
        auto* col = dynamic_cast<TgrDBCol*>(Col(c));
        if (!col) continue;
        col->UnbindField();
        if (clearNames && fieldState_ == fsDefault) col->SetFieldName(std::string());
    }
}

bool TgrCustomDBGrid::BindColumn(TgrDBCol* col, TField* field) {
    Integer index = field ? fieldList_.IndexOfField(field) : -1;
    TgrDBField* adapter = index >= 0 ? fieldList_.Items(index) : nullptr;
    col->UnbindField();
    if (!adapter) return false;
    col->BindField(adapter);
    col->SetFieldName(field->FieldName());
    // A field that goes away unbinds its column (Notification).
    field->FreeNotification(this);
    return true;
}

void TgrCustomDBGrid::InsertFieldColumn(Integer displayCol, const std::string& fieldName) {
    if (displayCol < 1 || displayCol > Cols() + 1 || !InsertColAt(displayCol)) return;
    auto* col = dynamic_cast<TgrDBCol*>(Col(Cols()));
    if (!col) return;
    col->SetFieldName(fieldName);
    if (TDataSet* ds = DataSet()) {
        TField* field = fieldName.empty() ? nullptr : ds->FindField(fieldName);
        col->UnbindField();
        if (field) BindColumn(col, field);
    }
    DoInsertCol(Cols(), false);
}

void TgrCustomDBGrid::RebuildColumns(bool linkActive, bool dropColumns, bool resetFields) {
    if (!dataBound_ || rebuildingColumns_) return;
    rebuildingColumns_ = true;
    // The columns change under one update lock: the grid repaints once,
    // after they are all in place.
    TUpdateLockGuard lock(*this);
    try {
        dataLink_->ClearFieldMap();
        if (dataLink_->Active()) RegisterLinkFields();
        if (dropColumns || resetFields) {
            UnbindAllColumns(false);
            fieldList_.Rebuild();
        }
        TDataSet* ds = DataSet();
        bool linkUp = dataLink_->Active();
        if (fieldState_ == fsCustomized) {
            if (!linkActive || !ds || (!linkUp && ds->DefaultFields())) {
                UnbindAllColumns(true);
            } else {
                // Each designer column finds its field by name; a name the
                // dataset lacks leaves the column unbound, keeping the name.
                for (Integer c = 1; c <= Cols(); ++c) {
                    auto* col = dynamic_cast<TgrDBCol*>(Col(c));
                    if (!col) continue;
                    std::string name = col->FieldName();
                    TField* field = name.empty() ? nullptr : ds->FindField(name);
                    col->UnbindField();
                    if (field) BindColumn(col, field);
                }
            }
        } else {
            if (dropColumns || !linkActive || !linkUp) SetCols(0);
            // Columns whose field is still there follow it; the others go.
            for (Integer c = 1; c <= Cols();) {
                auto* col = dynamic_cast<TgrDBCol*>(Col(c));
                TField* field = col && ds && !col->FieldName().empty() ? ds->FindField(col->FieldName()) : nullptr;
                if (field) {
                    if (col->Adapter() && col->Adapter()->Field() == field) {
                        col->ApplyDefaultWidth();
                        col->ApplyDefaultVisible();
                    } else {
                        BindColumn(col, field);
                    }
                    ++c;
                } else {
                    Integer before = Cols();
                    DeleteCols(c, c);
                    if (Cols() == before) break;  // the current cell could not be left
                }
            }
            Integer fields = linkActive && linkUp ? dataLink_->FieldMapCount() : 0;
            if (fields == 0) {
                // Nothing to show.
            } else if (Cols() == 0) {
                // One column per field, in field order; a field that is not
                // visible gives a hidden column.
                SetCols(fields);
                for (Integer i = 1; i <= std::min(fields, Cols()); ++i) {
                    auto* col = dynamic_cast<TgrDBCol*>(Col(i));
                    if (col) BindColumn(col, dataLink_->GetMappedField(i - 1));
                    DoInsertCol(i, false);
                }
            } else {
                for (Integer i = 1; i <= fields; ++i) {
                    TField* field = dataLink_->GetMappedField(i - 1);
                    if (!field) continue;
                    if (TgrDBCol* col = FindFieldCol(field)) {
                        col->ApplyDefaultWidth();
                        col->ApplyDefaultVisible();
                        continue;
                    }
                    InsertFieldColumn(i, field->FieldName());
                }
            }
        }
        if (Cols() == 0 && (!linkActive || !linkUp) && fieldState_ == fsDefault) SetCols(GetDefaultCols());
        Invalidate();
    } catch (...) {
        rebuildingColumns_ = false;
        throw;
    }
    rebuildingColumns_ = false;
}

// ------------------------------------------------------------ reactions

void TgrCustomDBGrid::DataLinkLayoutChanged() {
    // The dataset's fields changed: the columns follow what changed, and
    // a renamed field drops the columns so they are made anew.
    bool changed = window_->FieldLayoutsChanged();
    bool namesChanged = window_->FieldNamesChanged();
    if (changed) window_->BuildFieldLayouts();
    {
        TUpdateLockGuard lock(*this);
        Integer left = TopLeftCell().Col, top = TopLeftCell().Row;
        RebuildColumns(true, namesChanged, true);
        // The engine-cursor window keeps its records over a layout change:
        // the view stays where it was. The standard window is read again.
        if (!UsesStandardWindow() && changed) {
            if (top >= 1 && top < RowTotal() && top != GetTopRow()) SetTopRowPassThrough(top);
        } else {
            RefreshAfterLayoutChange(false);
        }
        if (left >= 1 && left < ColTotal() && left != TopLeftCell().Col) SetLeftCol(left);
    }
    Invalidate();
    DoFieldLayoutChange();
}

void TgrCustomDBGrid::ResetWindow(bool toTop) {
    ClearWindowCaches();
    // The engine-cursor window clones its cursor again (its copies may
    // hold the old fields or order) and stands on the first record.
    if (!UsesStandardWindow() && dataActive_) ReopenCursorWindow(false);
    UpdateExactRowCount(true);
    UpdateRowCount(true);
    if (toTop && RowTotal() > 1) SetTopLeftChecked(TopLeftCell().Col, 1);
    // Records in another order: what the grid knew of its current record
    // (and reported) no longer holds.
    if (window_->IndexChanged()) {
        window_->RememberIndex();
        ForgetCurrentRecord();
    }
    SyncCurrentRecord();
    Invalidate();
}

void TgrCustomDBGrid::SetTopLeftChecked(Integer left, Integer top, bool noLock) {
    if (left == TopLeftCell().Col && top == TopLeftCell().Row) return;
    if (noLock) {
        SetTopLeft(left, top);
        return;
    }
    TUpdateLockGuard lock(*this);
    SetTopLeft(left, top);
}

void TgrCustomDBGrid::RefreshAfterLayoutChange(bool reset) {
    if (!dataBound_ || !dataActive_) return;
    // A single-selection list box selects the current record only; the
    // window is read anew, so the selection is made again from it.
    if (IsListBoxSelect()) selection_->Clear();
    HideCellControl(true);
    ResetWindow(reset);
    RefreshCellControl();
    FireSelectChanged(false);
    SyncListBoxSelection(false);
    CheckCurrentCellChanged();
    CheckTopLeftChanged(false);
}

void TgrCustomDBGrid::ApplyFont() {
    TgrBaseGrid::ApplyFont();
    // The columns take again what their fields give them.
    if (constructing_ || !dataBound_) return;
    RebuildColumns(true, false, false);
    DoFieldLayoutChange();
}

void TgrCustomDBGrid::Notification(TComponent* component, TOperation operation) {
    TgrBaseGrid::Notification(component, operation);
    if (ComponentState().Contains(csDestroying)) return;
    if (operation == opRemove && component && component == sourceSeen_) {
        sourceSeen_ = nullptr;
        SetDataSource(nullptr);
        return;
    }
    if (!component || !dataBound_) return;
    if (operation == opRemove) {
        // A field being freed is no TField any more: it is found by address.
        bool bound = false;
        for (Integer c = 1; c <= Cols(); ++c) {
            auto* col = dynamic_cast<TgrDBCol*>(Col(c));
            if (!col || !col->Adapter() || static_cast<TComponent*>(col->Adapter()->Field()) != component) continue;
            col->UnbindField();
            bound = true;
        }
        if (!bound) return;
        RebuildColumns(true, false, true);
        DoFieldLayoutChange();
    } else if (operation == opInsert && dynamic_cast<TField*>(component) && DataSet() &&
               !ComponentState().Contains(csLoading)) {
        RebuildColumns(true, false, true);
        DoFieldLayoutChange();
    }
}
