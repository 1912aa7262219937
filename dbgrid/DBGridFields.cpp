#include "dbgrid/DBGridFields.h"

#include <cstdint>
#include <vector>

#include "platform/gui/Bitmap.h"

std::unique_ptr<TgrDBField> TgrDBField::Create(TField* field) {
    if (!field) return nullptr;
    switch (field->DataType()) {
        case ftBoolean: return std::make_unique<TgrDBBooleanField>(field);
        case ftMemo:
        case ftFmtMemo:
        case ftBlob: return std::make_unique<TgrDBBlobField>(field);
        case ftGraphic: return std::make_unique<TgrDBGraphicField>(field);
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

void TgrDBGraphicField::AssignTo(TBitmap& bitmap) const {
    bitmap.SetSize(0, 0);
    if (Field()->IsNull()) return;
    std::string blob = Field()->AsString();
    auto byte = [&](std::size_t i) { return std::uint32_t(std::uint8_t(blob[i])); };
    std::size_t start = 0;
    if (blob.size() > 7) {
        // A graphic header: 16-bit count, 16-bit type, 32-bit size; skipped
        // only when it describes exactly the rest of the blob.
        std::uint32_t count = byte(0) | byte(1) << 8, type = byte(2) | byte(3) << 8;
        std::uint64_t size = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
        if (count == 1 && type == 0x0100 && size + 8 == blob.size()) start = 8;
    }
    std::vector<std::uint8_t> data(blob.begin() + std::ptrdiff_t(start), blob.end());
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') bitmap.LoadFromBytes(data);
    else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) bitmap.SetImage(DecodeJpeg(data));
    else throw EInvalidGraphic("The picture of field \"" + Field()->FieldName() + "\" is neither a bitmap nor a JPEG image");
}

void TgrDBGraphicField::Assign(TBitmap& bitmap) {
    if (bitmap.Empty()) {
        Field()->SetAsVariant(Variant::NullValue());
        return;
    }
    std::vector<std::uint8_t> data = bitmap.SaveToBytes();
    Field()->SetAsString(std::string(data.begin(), data.end()));
}
