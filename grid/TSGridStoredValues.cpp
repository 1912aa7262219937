// The cell values a grid keeps itself (StoreData): which kind a value is
// stored with, picture names that keep following their image in the
// image list, copies between grids and the "Data" of form files and
// layouts.

#include <algorithm>

#include "grid/GRGLibValues.h"
#include "grid/GridForm.h"
#include "grid/TSGrid.h"
#include "platform/core/Exception.h"

namespace {

// The name and the two numbers of a stored picture text; -1 for a number
// that is missing or is no integer, so a damaged text still gives its name.
void SplitPictureKey(const std::string& text, std::string& name, Integer& listIndex, Integer& imageIndex) {
    try {
        ParseKeyText(text, listIndex, imageIndex, name);
    } catch (const EConvertError&) {
        listIndex = -1;
        imageIndex = -1;
    }
}

bool HoldsText(TtsCellKind kind) { return kind == ckText || kind == ckImageRef; }

}  // namespace

TtsCellKind ValueKindFor(TgrControlType controlType, const Variant& value) {
    switch (controlType) {
        case ctText: return ckText;
        case ctCheck: return value.IsString() ? ckText : value.IsNull() ? ckNull : ckInteger;
        case ctPicture: return value.IsString() ? ckImageRef : ckBitmap;
        default: return ckEmpty;
    }
}

bool KindSuitsControl(TtsCellKind kind, TgrControlType controlType) {
    switch (controlType) {
        case ctText: return kind == ckText;
        case ctCheck: return kind == ckText || kind == ckInteger || kind == ckNull;
        case ctPicture: return kind == ckBitmap || kind == ckImageRef;
        default: return false;
    }
}

// ------------------------------------------------------- the store itself

void TgrBaseGrid::SetStoreData(bool value) {
    if (value == storeData_) return;
    storeData_ = value;
    if (!value) {
        FreeStoredValues();
        return;
    }
    if (!storage_) storage_ = std::make_unique<Tts2DStorage>(0, 0);
    SetStorageSizeHint(Cols(), Rows());
    Invalidate();
}

void TgrBaseGrid::FreeStoredValues() {
    storage_.reset();
    imageNames_.Clear();
    Invalidate();
}

void TgrBaseGrid::SetStorageSizeHint(Integer cols, Integer rows) {
    if (!storage_) return;
    storage_->RowCapacityHint = rows;
    storage_->RowLimit = std::max<Integer>(RowTotal() - 1, 0);
    storage_->ColLimit = std::max<Integer>(cols, 0);
    storage_->ColCapacityHint = rows > 256 ? std::min<Integer>(cols, 256) : cols;
}

void TgrBaseGrid::DeleteStoredColumns(Integer first, Integer last) {
    if (storeData_ && storage_) storage_->DeleteColumns(first, last);
}

void TgrBaseGrid::DeleteStoredRows(Integer first, Integer last) {
    if (storeData_ && storage_) storage_->DeleteRows(first, last);
}

// ---------------------------------------------------------- cell values

void TgrBaseGrid::StoreCellValue(Integer dataCol, Integer dataRow, const Variant& value,
                                 TgrControlType controlType) {
    if (!storage_ || dataCol < 1 || dataRow < 1) return;
    TtsCellKind kind = ValueKindFor(controlType, value);
    if (kind == ckEmpty || value.Type() == varEmpty) {
        storage_->ClearCell(dataCol, dataRow);
        return;
    }
    if (kind == ckImageRef && IsDesigning()) {
        TgrImageListComponent* list = ImageList();
        const std::string name = value.AsString();
        Integer image = list ? list->IndexOfImageValue(name) : -1;
        Integer listIndex = image >= 0 ? ImageListIndex(list) : -1;
        if (listIndex >= 0) {
            std::string key;
            MakeKeyText(name, listIndex, image, key);
            storage_->SetValue(dataCol, dataRow, kind, Variant(key));
            return;
        }
    }
    storage_->SetValue(dataCol, dataRow, kind, value);
}

Variant TgrBaseGrid::GetStoredCellValue(Integer dataCol, Integer dataRow, TgrControlType controlType) {
    if (!storeData_ || !storage_) return Variant();
    Variant value = storage_->GetValue(dataCol, dataRow);
    TtsCellKind kind = storage_->GetKind(dataCol, dataRow);
    if (kind == ckImageRef || (kind == ckText && controlType == ctPicture))
        return Variant(ResolveStoredPictureName(dataCol, dataRow, value.AsString(), controlType));
    return value;
}

std::string TgrBaseGrid::ResolveStoredPictureName(Integer dataCol, Integer dataRow, const std::string& stored,
                                                  TgrControlType controlType) {
    std::string name;
    Integer listIndex = -1, imageIndex = -1;
    SplitPictureKey(stored, name, listIndex, imageIndex);
    if (controlType != ctPicture) return name;
    TgrImageListComponent* list = ImageList();
    if (list && listIndex >= 0 && listIndex < imageNames_.Count() && imageIndex >= 0 &&
        imageIndex < list->ImageCount()) {
        const std::string id = list->Identifier();
        if (!id.empty() && imageNames_.CompareStrings(imageNames_.Get(listIndex), id) == 0) {
            // The image the text was stored for, under its name of today.
            std::string current = list->ImageValueName(imageIndex);
            if (current != name) StoreCellValue(dataCol, dataRow, Variant(current), ctPicture);
            return current;
        }
    }
    // Not a key into this list: at design time a name the list knows gets
    // its key text now.
    if (list && IsDesigning() && list->IndexOfImageValue(name) >= 0)
        StoreCellValue(dataCol, dataRow, Variant(name), ctPicture);
    return name;
}

Integer TgrBaseGrid::ImageListIndex(TgrImageListComponent* list) {
    if (!list) return -1;
    const std::string id = list->Identifier();
    if (id.empty()) return -1;
    Integer index = -1;
    if (imageNames_.Find(id, index)) return index;
    index = imageNames_.Add(id);
    // The list is sorted, so the identifiers after the new one moved up by
    // one; the key texts that name them move with them, or they would name
    // the new list and follow its images instead of their own.
    if (storage_ && index < imageNames_.Count() - 1) {
        for (Integer r = 0; r <= storage_->LastUsedRow(); ++r) {
            for (Integer c = 1; c <= storage_->LastUsedCol(r); ++c) {
                TtsCellKind kind = storage_->GetKind(c, r);
                if (!HoldsText(kind)) continue;
                const std::string text = storage_->GetValue(c, r).AsString();
                if (text.find('\x01') == std::string::npos) continue;
                std::string name;
                Integer first = -1, second = -1;
                SplitPictureKey(text, name, first, second);
                if (first < index || second < 0) continue;
                std::string key;
                MakeKeyText(name, first + 1, second, key);
                storage_->SetValue(c, r, kind, Variant(key));
            }
        }
    }
    return index;
}

void TgrBaseGrid::DropUnsuitableValues(Integer dataCol, Integer dataRow) {
    if (!storage_ || ComponentState().Contains(csLoading)) return;
    auto drop = [this](Integer c, Integer r) {
        TtsCellKind kind = storage_->GetKind(c, r);
        if (kind != ckEmpty && !KindSuitsControl(kind, EffectiveControlType(c, r))) storage_->ClearCell(c, r);
    };
    Integer lastRow = storage_->LastUsedRow();
    if (dataCol >= 1 && dataRow >= 1) {
        drop(dataCol, dataRow);
    } else if (dataCol >= 1) {
        for (Integer r = 1; r <= lastRow; ++r) drop(dataCol, r);
    } else if (dataRow >= 1) {
        for (Integer c = 1; c <= storage_->LastUsedCol(dataRow); ++c) drop(c, dataRow);
    } else {
        for (Integer r = 1; r <= lastRow; ++r)
            for (Integer c = 1; c <= storage_->LastUsedCol(r); ++c) drop(c, r);
    }
}

// ------------------------------------------------------------- copying

void TgrBaseGrid::CopyStoredData(TgrBaseGrid* source) {
    if (!source || source == this) return;
    SetStoreData(source->storeData_);
    if (!storeData_) return;
    imageNames_.Assign(source->imageNames_);
    Tts2DStorage* from = source->storage_.get();
    if (!from) {
        storage_->ClearRowsFrom(0, true);
        return;
    }
    if (!IsDesigning()) {
        storage_->Assign(*from);
        return;
    }
    // At design time a copy keeps what the source shows where it shows it:
    // each value goes to its display column and row in the source.
    storage_->ClearRowsFrom(0, true);
    for (Integer r = 1; r <= from->LastUsedRow(); ++r) {
        Integer row = source->DisplayRowOfData(r);
        if (row < 1) continue;
        for (Integer c = from->LastUsedCol(r); c >= 1; --c) {
            TtsCellKind kind = from->GetKind(c, r);
            Integer col = source->DisplayColOfData(c);
            if (kind != ckEmpty && col >= 1) storage_->SetValue(col, row, kind, from->GetValue(c, r));
        }
    }
}

void TgrBaseGrid::CopyLayoutAndData(TgrBaseGrid* source) {
    if (!source || source == this) return;
    CopyStoredData(source);
    Invalidate();
    if (!storeData_) return;
    if (source->Rows() > Rows()) DeleteStoredRows(Rows() + 1, source->Rows());
    if (source->Cols() > Cols()) DeleteStoredColumns(Cols() + 1, source->Cols());
}

// ------------------------------------------------------ form files, layouts

void TgrBaseGrid::WriteStoredData(TStream& stream) {
    if (storage_) storage_->WriteCellData(stream);
}

void TgrBaseGrid::ReadStoredData(TStream& stream) {
    if (!storeData_) SetStoreData(true);
    storage_->ReadCellData(stream, layoutColMap_.get());
}

std::unique_ptr<std::vector<Integer>> LayoutColumnMapOf(TgrBaseGrid& grid, const TgrColCollection& cols) {
    // Data column numbers come from the layout; beyond this the map would
    // only cost memory (such columns keep their number and are refused by
    // the store's column limit).
    constexpr Integer kMaxMapped = 100000;
    Integer size = 0;
    for (const auto& [from, to] : cols.FieldMap)
        if (from >= 1 && from <= kMaxMapped) size = std::max(size, from);
    auto map = std::make_unique<std::vector<Integer>>(std::size_t(size), 0);
    for (Integer i = 1; i <= size; ++i) {
        TgrCol* col = i <= grid.Cols() ? grid.Col(i) : nullptr;
        if (col && col->FieldName().empty()) (*map)[std::size_t(i - 1)] = i;
    }
    for (const auto& [from, to] : cols.FieldMap)
        if (from >= 1 && from <= kMaxMapped) (*map)[std::size_t(from - 1)] = std::max<Integer>(to, 0);
    return map;
}
