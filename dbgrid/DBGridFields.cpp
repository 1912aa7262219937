#include "dbgrid/DBGridFields.h"

std::unique_ptr<TgrDBField> TgrDBField::Create(TField* field) {
    if (!field) return nullptr;
    switch (field->DataType()) {
        case ftBoolean: return std::make_unique<TgrDBBooleanField>(field);
        case ftMemo:
        case ftFmtMemo:
        case ftBlob: return std::make_unique<TgrDBBlobField>(field);
        default: return std::make_unique<TgrDBField>(field);
    }
}

bool TgrDBField::IsMemo() const { return field_->DataType() == ftMemo || field_->DataType() == ftFmtMemo; }

Variant TgrDBBooleanField::GetAsVariant() const {
    if (Field()->IsNull()) return Variant(2);
    return Variant(Field()->AsBoolean() ? 1 : 0);
}

void TgrDBBooleanField::SetAsVariant(const Variant& value) {
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
