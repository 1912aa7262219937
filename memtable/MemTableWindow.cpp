// TqmtCustomMemTable: rows stored with a window definition, and the
// table's published properties for window streaming.

#include "memtable/MemTable.h"
#include "memtable/StreamFormat.h"
#include "platform/core/Streams.h"

namespace {

const bool g_memTablePublished = [] {
    TPublished<TqmtMemTable, TComponent>()
        .Boolean("DesignActivation", &TqmtMemTable::DesignActivation, &TqmtMemTable::SetDesignActivation)
        .Boolean("StoreDataOnForm", &TqmtMemTable::StoreDataOnForm, &TqmtMemTable::SetStoreDataOnForm)
        .Binary(
            "Data",
            [](TqmtMemTable& t) {
                TStringStream s;
                t.WriteData(s);
                return s.DataString();
            },
            [](TqmtMemTable& t, const std::string& bytes) {
                TStringStream s(bytes);
                t.ReadData(s);
            },
            &TqmtMemTable::StoreDataOnForm);
    return true;
}();

}  // namespace

void TqmtCustomMemTable::WriteData(TStream& stream) {
    if (!Active()) {
        if (windowDataPending_ && !windowData_.empty())
            stream.WriteBuffer(windowData_.data(), static_cast<Integer>(windowData_.size()));
        return;
    }
    TMemoryStream data;
    if (OnSave) OnSave(this, qmtStorageWindow, &data);
    SaveWithFormat(data, FormFormat());
    if (data.Size() > 0) stream.WriteBuffer(data.Memory(), static_cast<Integer>(data.Size()));
}

void TqmtCustomMemTable::ReadData(TStream& stream) {
    const Int64 size = stream.Size() - stream.Position();
    windowData_.assign(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) stream.ReadBuffer(windowData_.data(), static_cast<Integer>(size));
    windowDataPending_ = true;
}

void TqmtCustomMemTable::ReadStreamWithFormat(TMemoryStream& stream, TqmtCustomStreamFormat* format) {
    if (OnLoad) OnLoad(this, qmtStorageWindow, &stream);
    LoadWithFormat(stream, format);
}

void TqmtCustomMemTable::LoadWindowData() {
    if (!windowDataPending_) return;
    // A table that was closed when its window was written stored no bytes.
    if (storeDataOnForm_ && !windowData_.empty()) {
        TMemoryStream data;
        data.WriteBuffer(windowData_.data(), static_cast<Integer>(windowData_.size()));
        data.SetPosition(0);
        // The bytes stay until they have been loaded, so a failed load can
        // be repeated by opening again.
        ReadStreamWithFormat(data, FormFormat());
    }
    windowData_.clear();
    windowDataPending_ = false;
}

void TqmtCustomMemTable::Loaded() {
    TDataSet::Loaded();
    if (streamedActive_) {
        streamedActive_ = false;
        Open();
    }
}
