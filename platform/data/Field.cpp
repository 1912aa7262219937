#include "platform/data/Field.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSet.h"

using namespace DBConsts;

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
    if (lookupDataSet_) RemoveFreeNotification(lookupDataSet_);
    if (dataSet_) {
        TDataSet* ds = dataSet_;
        ds->fields_.Remove(this);
        dataSet_ = nullptr;
        ds->FieldListChanged();
    }
}

void TField::CheckInactive() const {
    if (dataSet_) dataSet_->CheckInactive();
}

void TField::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) dataSet_->CheckInactive();
    if (dataSet) {
        dataSet->CheckInactive();
        if (!fieldName_.empty() && dataSet->fields_.FindField(fieldName_))
            DatabaseErrorFmt(SDuplicateFieldName, {fieldName_}, dataSet->Name());
    }
    if (dataSet_) dataSet_->fields_.Remove(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->fields_.Add(this);
}

void TField::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    CheckInactive();
    if (dataSet_) {
        TField* other = dataSet_->fields_.FindField(name);
        if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {name}, dataSet_->Name());
    }
    fieldName_ = name;
    PropertyChanged(true);
}

void TField::SetDisplayLabel(const std::string& label) {
    std::string value = label == fieldName_ ? std::string() : label;
    if (value == displayLabel_) return;
    displayLabel_ = value;
    PropertyChanged(true);
}

void TField::SetDisplayWidth(int width) {
    if (width == displayWidth_) return;
    displayWidth_ = width;
    PropertyChanged(true);
}

void TField::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    PropertyChanged(true);
}

void TField::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    PropertyChanged(false);
}

void TField::SetFieldKind(TFieldKind kind) {
    if (kind == fieldKind_) return;
    CheckInactive();
    fieldKind_ = kind;
}

void TField::SetSize(int size) {
    if (size == size_) return;
    CheckInactive();
    CheckTypeSize(size);
    size_ = size;
}

void TField::CheckTypeSize(int size) const {
    if (size != 0) DatabaseError(SInvalidFieldSize);
}

void TField::SetFieldType(TFieldType type) {}

int TField::Index() const { return dataSet_ ? dataSet_->fields_.IndexOf(this) : -1; }

void TField::SetIndex(int index) {
    if (dataSet_) dataSet_->fields_.SetFieldIndex(this, index);
}

void TField::PropertyChanged(bool layoutAffected) {
    if (dataSet_ && dataSet_->Active())
        dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

bool TField::CanModify() const {
    if (readOnly_ || !dataSet_) return false;
    if (fieldKind_ != fkData && fieldKind_ != fkInternalCalc) return false;
    return dataSet_->CanModify();
}

void TField::Bind(bool binding) {
    if (binding && fieldKind_ == fkLookup) {
        if (!lookupDataSet_ || keyFields_.empty() || lookupKeyFields_.empty() || lookupResultField_.empty())
            DatabaseErrorFmt(SLookupInfoError, {DisplayName()});
    }
}

void TField::SetLookupDataSet(TDataSet* ds) {
    if (ds == lookupDataSet_) return;
    CheckInactive();
    if (lookupDataSet_) RemoveFreeNotification(lookupDataSet_);
    lookupDataSet_ = ds;
    if (ds) FreeNotification(ds);
}

void TField::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::Change() {
    if (OnChange) OnChange(this);
}

void TField::AccessError(const char* typeName) const {
    DatabaseErrorFmt(SFieldAccessError, {DisplayName(), typeName});
}

bool TField::GetData(void* buffer, bool nativeFormat) const {
    if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    if (validating_) {
        if (!validateBuffer_) return false;
        if (buffer) {
            if (nativeFormat)
                std::copy_n(static_cast<const char*>(validateBuffer_), DataSize(), static_cast<char*>(buffer));
            else
                dataSet_->DataConvert(const_cast<TField*>(this), validateBuffer_, buffer, false);
        }
        return true;
    }
    return dataSet_->GetFieldData(const_cast<TField*>(this), buffer, nativeFormat);
}

void TField::SetData(const void* buffer, bool nativeFormat) {
    if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
    dataSet_->SetFieldData(this, buffer, nativeFormat);
}

void TField::Validate(const void* buffer) {
    if (!OnValidate) return;
    validateBuffer_ = buffer;
    validating_ = true;
    try {
        OnValidate(this);
    } catch (...) {
        validating_ = false;
        validateBuffer_ = nullptr;
        throw;
    }
    validating_ = false;
    validateBuffer_ = nullptr;
}

void TField::FocusControl() {
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(this));
}

bool TField::IsNull() const {
    if (!dataSet_) return true;
    return !GetData(nullptr);
}

std::string TField::Text() const {
    std::string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, false);
    else
        GetText(text, false);
    return text;
}

std::string TField::DisplayText() const {
    std::string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, true);
    else
        GetText(text, true);
    return text;
}

void TField::SetText(const std::string& text) {
    if (OnSetText)
        OnSetText(this, text);
    else
        SetTextValue(text);
}

void TField::GetText(std::string& text, bool displayText) const { text = GetAsString(); }
void TField::SetTextValue(const std::string& text) { SetAsStringValue(text); }

std::string TField::GetAsString() const { AccessError("String"); }
void TField::SetAsStringValue(const std::string&) { AccessError("String"); }
Integer TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsIntegerValue(Integer) { AccessError("Integer"); }
Int64 TField::GetAsLargeInt() const { return GetAsInteger(); }
void TField::SetAsLargeIntValue(Int64 value) { SetAsIntegerValue(static_cast<Integer>(value)); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloatValue(double) { AccessError("Float"); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBooleanValue(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTimeValue(TDateTime) { AccessError("DateTime"); }
Currency TField::GetAsCurrency() const { return Currency(GetAsFloat()); }
void TField::SetAsCurrencyValue(Currency value) { SetAsFloatValue(value.ToDouble()); }
Variant TField::GetAsVariant() const { AccessError("Variant"); }
void TField::SetVarValue(const Variant&) { AccessError("Variant"); }

void TField::SetAsVariant(const Variant& value) {
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else
        SetVarValue(value);
}

Variant TField::OldValue() const {
    return dataSet_ ? dataSet_->GetStateFieldValue(dsOldValue, const_cast<TField*>(this)) : Null();
}
Variant TField::NewValue() const {
    return dataSet_ ? dataSet_->GetStateFieldValue(dsNewValue, const_cast<TField*>(this)) : Null();
}
Variant TField::CurValue() const {
    return dataSet_ ? dataSet_->GetStateFieldValue(dsCurValue, const_cast<TField*>(this)) : Null();
}

// ---------------------------------------------------------------- TFields

TField* TFields::Fields(int index) const {
    if (index < 0 || index >= Count()) DatabaseError(SFieldIndexError, dataSet_ ? dataSet_->Name() : "");
    return list_[static_cast<std::size_t>(index)];
}

TField* TFields::FindField(const std::string& fieldName) const {
    for (TField* f : list_)
        if (SameText(f->FieldName(), fieldName)) return f;
    return nullptr;
}

TField* TFields::FieldByName(const std::string& fieldName) const {
    TField* f = FindField(fieldName);
    if (!f) DatabaseErrorFmt(SFieldNotFound, {fieldName}, dataSet_ ? dataSet_->Name() : "");
    return f;
}

TField* TFields::FieldByNumber(int fieldNo) const {
    for (TField* f : list_)
        if (f->FieldNo() == fieldNo) return f;
    return nullptr;
}

int TFields::IndexOf(const TField* field) const {
    auto it = std::find(list_.begin(), list_.end(), field);
    return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

void TFields::GetFieldNames(std::vector<std::string>& names) const {
    for (TField* f : list_) names.push_back(f->FieldName());
}

void TFields::Add(TField* field) {
    list_.push_back(field);
    if (dataSet_) dataSet_->FieldListChanged();
}

void TFields::Remove(TField* field) {
    list_.erase(std::remove(list_.begin(), list_.end(), field), list_.end());
}

void TFields::SetFieldIndex(TField* field, int index) {
    int cur = IndexOf(field);
    if (cur < 0) return;
    index = std::clamp(index, 0, Count() - 1);
    if (index == cur) return;
    list_.erase(list_.begin() + cur);
    list_.insert(list_.begin() + index, field);
    if (dataSet_) dataSet_->FieldListChanged();
}
