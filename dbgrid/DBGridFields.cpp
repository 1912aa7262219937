#include "dbgrid/DBGridFields.h"

#include <cstdint>
#include <vector>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Bitmap.h"

// ------------------------------------------------------------ adapters

bool TgrDBField::CanModify() const {
    if (grid_ && grid_->DataBound() && grid_->IsDataSetReadOnly()) return false;
    // The field refuses when it is read-only, calculated or a lookup field.
    return field_->CanModify();
}

bool TgrDBField::StartEdit() {
    if (!CanModify()) return false;
    if (!grid_) return true;
    if (col_) {
        Integer dataCol = col_->GetDataCol();
        if (dataCol == grid_->CurrentDataCol() && !grid_->FireStartCellEdit()) return false;
        if (!grid_->FireStartRowEdit()) return false;
        return grid_->StartFieldEdit(dataCol);
    }
    if (!grid_->FireStartRowEdit()) return false;
    grid_->DataLink()->Edit();
    return true;
}

// ------------------------------------------------------------ field layouts

void TgrFieldLayout::Capture(const TField* field) {
    fieldName_ = field->FieldName();
    displayLabel_ = field->DisplayLabel();
    displayWidth_ = field->DisplayWidth();
    readOnly_ = field->ReadOnly();
    visible_ = field->Visible();
    auto* b = dynamic_cast<const TBooleanField*>(field);
    displayValues_ = b ? b->DisplayValues() : std::string();
}

bool TgrFieldLayout::Matches(const TField* field) const {
    auto* b = dynamic_cast<const TBooleanField*>(field);
    return fieldName_ == field->FieldName() && displayLabel_ == field->DisplayLabel() &&
           displayWidth_ == field->DisplayWidth() && readOnly_ == field->ReadOnly() &&
           visible_ == field->Visible() && displayValues_ == (b ? b->DisplayValues() : std::string());
}

std::string TgrDBNumericField::GetDisplayFormat() const {
    auto* f = dynamic_cast<TNumericField*>(Field());
    return f ? f->DisplayFormat() : std::string();
}

std::string TgrDBNumericField::GetEditFormat() const {
    auto* f = dynamic_cast<TNumericField*>(Field());
    return f ? f->EditFormat() : std::string();
}

Variant TgrDBBooleanField::GetAsVariant() const {
    if (IsNull()) return Variant(2);
    return Variant(GetAsBoolean() ? 1 : 0);
}

void TgrDBBooleanField::SetAsVariant(const Variant& value) {
    if (!StartEdit()) return;
    // Check-box states: 0 unchecked, 1 checked, 2 grayed (no value).
    if (value.IsNull() || value.IsEmpty()) {
        Field()->SetAsVariant(Variant::NullValue());
        return;
    }
    if (value.Type() == varBoolean) {
        Field()->SetAsVariant(value);
        return;
    }
    Integer state = value.AsInteger();
    if (state == 2) Field()->SetAsVariant(Variant::NullValue());
    else Field()->SetAsBoolean(state == 1);
}

std::string TgrDBMemoField::MemoText(bool displayText) const {
    TField* f = Field();
    if (!f->OnGetText) return f->AsString();
    std::string text;
    f->OnGetText(f, text, displayText);
    return text;
}

void TgrDBGraphicField::Assign(TBitmap& bitmap) {
    if (!StartEdit()) return;
    if (bitmap.Empty()) {
        Field()->SetAsVariant(Variant::NullValue());
        return;
    }
    std::vector<std::uint8_t> data = bitmap.SaveToBytes();
    Field()->SetAsString(std::string(data.begin(), data.end()));
}

// ------------------------------------------------------------ field list

TgrDBField* TgrFieldList::Items(Integer index) const {
    return index >= 0 && index < Count() ? adapters_[std::size_t(index)].get() : nullptr;
}

void TgrFieldList::ClearAdapters() {
    // No column may keep an adapter that is about to go (several columns
    // may show the same field).
    if (grid_ && !adapters_.empty())
        for (Integer c = 0; c <= grid_->Cols(); ++c)
            if (auto* col = dynamic_cast<TgrDBCol*>(grid_->Col(c)); col && col->Adapter()) col->UnbindField();
    adapters_.clear();
}

void TgrFieldList::Rebuild() {
    ClearAdapters();
    TDataSet* ds = grid_ ? grid_->DataSet() : nullptr;
    if (!ds || (!ds->Active() && ds->DefaultFields())) return;
    for (int i = 0; i < ds->FieldCount(); ++i) adapters_.push_back(CreateAdapter(ds->Fields()[i]));
}

std::unique_ptr<TgrDBField> TgrFieldList::CreateAdapter(TField* field) const {
    if (!field) return nullptr;
    // Tested in this order, the first match wins. The small-integer, word
    // and auto-increment fields derive from the integer field (and so on),
    // so they get their ancestor's adapter.
    if (dynamic_cast<TStringField*>(field)) return std::make_unique<TgrDBStringField>(grid_, field);
    if (dynamic_cast<TIntegerField*>(field)) return std::make_unique<TgrDBIntegerField>(grid_, field);
    if (dynamic_cast<TSmallintField*>(field)) return std::make_unique<TgrDBSmallintField>(grid_, field);
    if (dynamic_cast<TWordField*>(field)) return std::make_unique<TgrDBWordField>(grid_, field);
    if (dynamic_cast<TAutoIncField*>(field)) return std::make_unique<TgrDBAutoIncField>(grid_, field);
    if (dynamic_cast<TFloatField*>(field)) return std::make_unique<TgrDBFloatField>(grid_, field);
    if (dynamic_cast<TCurrencyField*>(field)) return std::make_unique<TgrDBCurrencyField>(grid_, field);
    if (dynamic_cast<TBCDField*>(field)) return std::make_unique<TgrDBBCDField>(grid_, field);
    if (dynamic_cast<TBooleanField*>(field)) return std::make_unique<TgrDBBooleanField>(grid_, field);
    if (dynamic_cast<TDateTimeField*>(field)) return std::make_unique<TgrDBDateTimeField>(grid_, field);
    if (dynamic_cast<TDateField*>(field)) return std::make_unique<TgrDBDateField>(grid_, field);
    if (dynamic_cast<TTimeField*>(field)) return std::make_unique<TgrDBTimeField>(grid_, field);
    if (dynamic_cast<TBinaryField*>(field)) return std::make_unique<TgrDBBinaryField>(grid_, field);
    if (dynamic_cast<TBytesField*>(field)) return std::make_unique<TgrDBBytesField>(grid_, field);
    if (dynamic_cast<TVarBytesField*>(field)) return std::make_unique<TgrDBVarBytesField>(grid_, field);
    if (dynamic_cast<TMemoField*>(field)) return std::make_unique<TgrDBMemoField>(grid_, field);
    if (dynamic_cast<TGraphicField*>(field)) return std::make_unique<TgrDBGraphicField>(grid_, field);
    if (dynamic_cast<TBlobField*>(field)) return std::make_unique<TgrDBBlobField>(grid_, field);
    return std::make_unique<TgrDBField>(grid_, field);
}

TgrDBField* TgrFieldList::FindByName(const std::string& name) const {
    for (const auto& a : adapters_)
        if (CompareText(a->GetFieldName(), name) == 0) return a.get();
    return nullptr;
}

Integer TgrFieldList::IndexOfField(const TField* field) const {
    for (std::size_t i = 0; i < adapters_.size(); ++i)
        if (adapters_[i]->Field() == field) return Integer(i);
    return -1;
}
