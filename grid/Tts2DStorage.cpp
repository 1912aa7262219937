#include "grid/Tts2DStorage.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "grid/GRGLib.h"
#include "grid/GRGLibCanvas.h"
#include "platform/core/Exception.h"

namespace {

void WriteInt(TStream& s, Integer v) {
    std::uint32_t u = static_cast<std::uint32_t>(v);
    Byte b[4] = {Byte(u), Byte(u >> 8), Byte(u >> 16), Byte(u >> 24)};
    s.WriteBuffer(b, 4);
}

Integer ReadInt(TStream& s) {
    Byte b[4];
    s.ReadBuffer(b, 4);
    return static_cast<Integer>(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
                                (std::uint32_t(b[3]) << 24));
}

Int64 Remaining(TStream& s) { return s.Size() - s.Position(); }

// A bitmap file header for a bitmap without pixels.
std::vector<std::uint8_t> EmptyBitmapFile() {
    std::vector<std::uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[2] = 54;    // file size
    b[10] = 54;   // offset of the pixels
    b[14] = 40;   // info header size; width and height 0
    b[26] = 1;    // planes
    b[28] = 24;   // bits per pixel
    return b;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}

}  // namespace

void WriteBitmapFile(TStream& stream, TBitmap* bitmap) {
    std::vector<std::uint8_t> bytes = bitmap && !bitmap->Empty() ? bitmap->SaveToBytes() : EmptyBitmapFile();
    stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void ReadBitmapFile(TStream& stream, TBitmap* bitmap) {
    std::vector<std::uint8_t> bytes(14);
    stream.ReadBuffer(bytes.data(), 14);
    std::uint32_t size = Le32(bytes, 2);
    if (bytes[0] != 'B' || bytes[1] != 'M' || size < 14 + 12 || size - 14 > Remaining(stream))
        throw EReadError("Bitmap image is not valid");
    bytes.resize(size);
    stream.ReadBuffer(bytes.data() + 14, static_cast<Integer>(size - 14));
    std::uint32_t infoSize = Le32(bytes, 14);
    if (infoSize >= 40 && size >= 26 && (Le32(bytes, 18) == 0 || Le32(bytes, 22) == 0)) {
        bitmap->SetSize(0, 0);
        return;
    }
    try {
        bitmap->LoadFromBytes(bytes);
    } catch (const EInvalidGraphic& e) {
        throw EReadError(e.Message);
    }
}

// ------------------------------------------------------------------ store

Tts2DStorage::Tts2DStorage(Integer colHint, Integer rowHint) : ColCapacityHint(colHint), RowCapacityHint(rowHint) {}

Tts2DStorage::~Tts2DStorage() { ClearRowsFrom(0, true); }

bool Tts2DStorage::HasCell(Integer col, Integer row) const {
    return row >= 0 && row < RowTableCapacity() && col >= 1 && col <= rows_[std::size_t(row)].count;
}

Integer Tts2DStorage::RowColCount(Integer row) const {
    return row >= 0 && row < RowTableCapacity() ? rows_[std::size_t(row)].count : 0;
}

Integer Tts2DStorage::RowColCapacity(Integer row) const {
    return row >= 0 && row < RowTableCapacity() ? static_cast<Integer>(rows_[std::size_t(row)].values.size()) : 0;
}

void Tts2DStorage::ReleaseCell(Cell& cell, TtsCellKind kind) {
    if (kind == ckBitmap && cell.bitmap) ReferenceBitmap(cell.bitmap, true);
    cell = Cell();
}

void Tts2DStorage::SetRowCapacity(Integer n) {
    n = std::max(n, 0);
    for (Integer r = n; r < RowTableCapacity(); ++r) ClearRow(r, 0);
    rows_.resize(std::size_t(n));
}

void Tts2DStorage::SetColCapacity(Integer row, Integer n) {
    Row& r = rows_[std::size_t(row)];
    n = std::max(n, 0);
    for (std::size_t c = std::size_t(n); c < r.values.size(); ++c) ReleaseCell(r.values[c], r.kinds[c]);
    if (n == 0) {
        r.values = {};
        r.kinds = {};
    } else {
        r.values.resize(std::size_t(n));
        r.kinds.resize(std::size_t(n), ckEmpty);
    }
    r.count = n;
}

void Tts2DStorage::EnsureRow(Integer row) {
    if (row < RowTableCapacity()) return;
    SetRowCapacity(row < RowCapacityHint + 1 ? RowCapacityHint + 1 : row + 10);
}

void Tts2DStorage::EnsureCol(Integer col, Integer row) {
    Row& r = rows_[std::size_t(row)];
    if (r.count >= col) return;
    if (static_cast<Integer>(r.values.size()) >= col) {
        r.count = col;
        return;
    }
    SetColCapacity(row, col < ColCapacityHint ? ColCapacityHint : col + 10);
}

TtsCellKind Tts2DStorage::GetKind(Integer col, Integer row) const {
    if (!HasCell(col, row)) return ckEmpty;
    return rows_[std::size_t(row)].kinds[std::size_t(col - 1)];
}

Variant Tts2DStorage::GetValue(Integer col, Integer row) const {
    if (!HasCell(col, row)) return Variant();
    const Row& r = rows_[std::size_t(row)];
    const Cell& c = r.values[std::size_t(col - 1)];
    switch (r.kinds[std::size_t(col - 1)]) {
        case ckText:
        case ckImageRef: return Variant(c.text);
        case ckInteger: return Variant(c.number);
        case ckBitmap: return ObjectToVariant(c.bitmap);
        case ckNull: return Variant::NullValue();
        default: return Variant();
    }
}

void Tts2DStorage::ClearCell(Integer col, Integer row) {
    if (!HasCell(col, row)) return;
    Row& r = rows_[std::size_t(row)];
    ReleaseCell(r.values[std::size_t(col - 1)], r.kinds[std::size_t(col - 1)]);
    r.kinds[std::size_t(col - 1)] = ckEmpty;
}

void Tts2DStorage::SetBitmapCell(Integer col, Integer row, TBitmap* bitmap) {
    Row& r = rows_[std::size_t(row)];
    Cell& c = r.values[std::size_t(col - 1)];
    TtsCellKind& k = r.kinds[std::size_t(col - 1)];
    if (k == ckBitmap && c.bitmap == bitmap) return;
    ReleaseCell(c, k);
    c.bitmap = bitmap;
    k = ckBitmap;
    ReferenceBitmap(bitmap, false);
}

void Tts2DStorage::SetValue(Integer col, Integer row, TtsCellKind kind, const Variant& value) {
    if (col < 1 || row < 0) return;
    TtsCellKind old = GetKind(col, row);
    if (value.IsEmpty() && old == ckEmpty) return;
    // Convert before anything changes, so a value that does not convert
    // leaves the cell as it was.
    Integer number = 0;
    std::string text;
    TBitmap* bitmap = nullptr;
    if (!value.IsEmpty()) {
        if (kind == ckInteger) number = value.AsInteger();
        else if (kind == ckText || kind == ckImageRef) text = VarToStr(value);
        else if (kind == ckBitmap) bitmap = static_cast<TBitmap*>(VariantToObject(value));
    }
    EnsureRow(row);
    EnsureCol(col, row);
    Row& r = rows_[std::size_t(row)];
    std::size_t i = std::size_t(col - 1);
    if (value.IsEmpty() || kind == ckEmpty || kind == ckNull || kind > ckNull) {
        ClearCell(col, row);
        if (!value.IsEmpty() && kind == ckNull) r.kinds[i] = ckNull;
        return;
    }
    switch (kind) {
        case ckInteger:
            if (old != ckEmpty && old != ckInteger) ClearCell(col, row);
            r.values[i].number = number;
            break;
        case ckBitmap:
            if (old != ckEmpty && old != ckBitmap) ClearCell(col, row);
            SetBitmapCell(col, row, bitmap);
            break;
        default:  // text and image names
            if (old == ckInteger || old == ckBitmap || old == ckNull) ClearCell(col, row);
            r.values[i].text = text;
            break;
    }
    r.kinds[i] = kind;
}

void Tts2DStorage::ClearRow(Integer row, Integer newColCount) {
    if (row < 0 || row >= RowTableCapacity()) return;
    Row& r = rows_[std::size_t(row)];
    if (r.Allocated())
        for (Integer c = 1; c <= r.count; ++c) ClearCell(c, row);
    if (newColCount >= 0) SetColCapacity(row, newColCount);
}

void Tts2DStorage::ClearColumn(Integer col) {
    if (col <= 0) return;
    for (Integer r = 1; r < RowTableCapacity(); ++r)
        if (rows_[std::size_t(r)].count >= col) ClearCell(col, r);
}

void Tts2DStorage::ClearRowsFrom(Integer first, bool shrink) {
    if (first == 1) first = 0;
    first = std::max(first, 0);
    for (Integer r = first; r < RowTableCapacity(); ++r) ClearRow(r, 0);
    if (shrink && first < RowTableCapacity()) SetRowCapacity(first == 0 ? 0 : first + 1);
}

Integer Tts2DStorage::LastUsedRow() const {
    for (Integer r = RowTableCapacity() - 1; r >= 1; --r)
        if (rows_[std::size_t(r)].Allocated()) return r;
    return 0;
}

Integer Tts2DStorage::LastUsedCol(Integer row) const {
    if (row < 0 || row >= RowTableCapacity()) return 0;
    const Row& r = rows_[std::size_t(row)];
    for (Integer c = r.count; c >= 1; --c)
        if (r.kinds[std::size_t(c - 1)] != ckEmpty) return c;
    return 0;
}

void Tts2DStorage::DeleteColumns(Integer first, Integer last) {
    first = std::max(first, 1);
    if (last < first) return;
    for (Integer row = 0; row < RowTableCapacity(); ++row) {
        Row& r = rows_[std::size_t(row)];
        if (r.count < first) continue;
        Integer m = std::min(r.count, last);
        for (Integer c = first; c <= m; ++c) ClearCell(c, row);
        Integer removed = m - first + 1;
        for (Integer c = m + 1; c <= r.count; ++c) {
            r.values[std::size_t(c - removed - 1)] = std::move(r.values[std::size_t(c - 1)]);
            r.kinds[std::size_t(c - removed - 1)] = r.kinds[std::size_t(c - 1)];
        }
        Integer count = r.count - removed;
        for (Integer c = count + 1; c <= r.count; ++c) {
            r.values[std::size_t(c - 1)] = Cell();
            r.kinds[std::size_t(c - 1)] = ckEmpty;
        }
        Integer capacity = static_cast<Integer>(r.values.size());
        if (capacity - count < 8 && count != 0) {
            r.count = count;
        } else {
            SetColCapacity(row, count);
        }
    }
}

void Tts2DStorage::DeleteRows(Integer first, Integer last) {
    first = std::max(first, 0);
    if (last < first || first >= RowTableCapacity()) return;
    last = std::min(last, RowTableCapacity() - 1);
    for (Integer r = last; r >= first; --r) ClearRow(r, 0);
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
}

void Tts2DStorage::CopyRow(Integer source, Integer dest) {
    if (RowTableCapacity() == 0 || dest < 0 || dest >= RowTableCapacity() || source == dest) return;
    if (source < 0 || source >= RowTableCapacity() || !rows_[std::size_t(source)].Allocated()) {
        ClearRow(dest);
        return;
    }
    Integer count = rows_[std::size_t(source)].count;
    for (Integer c = 1; c <= count; ++c) SetValue(c, dest, GetKind(c, source), GetValue(c, source));
    for (Integer c = count + 1; c <= RowColCount(dest); ++c) ClearCell(c, dest);
}

void Tts2DStorage::SaveRow(Integer row) { CopyRow(row, 0); }

void Tts2DStorage::RestoreRow(Integer row) {
    CopyRow(0, row);
    ClearSavedRow();
}

void Tts2DStorage::ClearSavedRow() { ClearRow(0, 0); }

void Tts2DStorage::Assign(const Tts2DStorage& other) {
    if (&other == this) return;
    Integer last = other.LastUsedRow();
    if (last > 0) {
        for (Integer r = last + 1; r < RowTableCapacity(); ++r) ClearRow(r, 0);
        SetRowCapacity(std::max(RowCapacityHint + 1, last + 1));
    } else {
        ClearRowsFrom(0, true);
    }
    for (Integer r = 1; r <= last; ++r) {
        Integer used = other.LastUsedCol(r);
        if (used == 0) {
            ClearRow(r, 0);
            continue;
        }
        ClearRow(r, std::max(used, ColCapacityHint));
        for (Integer c = used; c >= 1; --c) SetValue(c, r, other.GetKind(c, r), other.GetValue(c, r));
    }
}

// ------------------------------------------------------------- streaming

void Tts2DStorage::WriteCellData(TStream& stream) const {
    TgrBitmapSet numbered;  // elements do not own their bitmaps
    std::vector<TBitmap*> bitmaps;
    Integer last = LastUsedRow();
    for (Integer r = 1; r <= last; ++r) {
        Integer n = LastUsedCol(r);
        if (n == 0) continue;
        WriteInt(stream, r);
        WriteInt(stream, n);
        const Row& row = rows_[std::size_t(r)];
        for (Integer c = 1; c <= n; ++c) {
            TtsCellKind kind = row.kinds[std::size_t(c - 1)];
            const Cell& cell = row.values[std::size_t(c - 1)];
            Byte k = kind;
            stream.WriteBuffer(&k, 1);
            switch (kind) {
                case ckText:
                case ckImageRef:
                    WriteInt(stream, static_cast<Integer>(cell.text.size()));
                    if (!cell.text.empty()) stream.WriteBuffer(cell.text.data(), static_cast<Integer>(cell.text.size()));
                    break;
                case ckInteger: WriteInt(stream, cell.number); break;
                case ckBitmap: {
                    TgrBitmapElement* e = FindOrAddBitmap(&numbered, cell.bitmap);
                    if (e->StreamNumber == 0) {
                        bitmaps.push_back(cell.bitmap);
                        e->StreamNumber = static_cast<Integer>(bitmaps.size());
                    }
                    WriteInt(stream, e->StreamNumber);
                    break;
                }
                default: break;
            }
        }
    }
    WriteInt(stream, 0);
    WriteInt(stream, static_cast<Integer>(bitmaps.size()));
    for (TBitmap* b : bitmaps) WriteBitmapFile(stream, b);
}

void Tts2DStorage::ReadCellData(TStream& stream, const std::vector<Integer>* columnMap) {
    if (columnMap) {
        for (Integer col : *columnMap)
            if (col > 0) ClearColumn(col);
    } else {
        ClearRowsFrom(0, true);
    }
    std::vector<TgrBitmapElement*> bitmaps;
    auto targetColumn = [&](Integer i) {
        if (columnMap && i - 1 < static_cast<Integer>(columnMap->size())) return (*columnMap)[std::size_t(i - 1)];
        return i;
    };

    // The reader holds a reference of its own to every bitmap it makes, so
    // a cell overwritten later in the stream cannot free one that is still
    // to be named or filled. Letting go of them at the end drops the
    // bitmaps no cell kept (unmapped columns, rows below 1, overwritten
    // cells, or a stream that broke off).
    auto dropUnused = [&bitmaps] {
        for (TgrBitmapElement* e : bitmaps)
            if (e) ReferenceBitmap(e->Bitmap, true);
        bitmaps.clear();
    };
    try {
        for (Integer row = ReadInt(stream); row != 0; row = ReadInt(stream)) {
            // Row and column numbers are bounded before anything grows: a
            // huge number would overflow the growth step or allocate slots
            // for rows that never come.
            if (row > RowLimit) throw EReadError("Stream read error");
            Integer n = ReadInt(stream);
            if (n < 0 || n > Remaining(stream)) throw EReadError("Invalid cell count in cell data");
            for (Integer i = 1; i <= n; ++i) {
                Byte kind = 0;
                stream.ReadBuffer(&kind, 1);
                Integer col = targetColumn(i);
                if (col > ColLimit) throw EReadError("Stream read error");
                bool store = col >= 1 && row >= 1;
                switch (kind) {
                    case ckText:
                    case ckImageRef: {
                        Integer length = ReadInt(stream);
                        if (length < 0 || length > Remaining(stream)) throw EReadError("Stream read error");
                        std::string text(std::size_t(length), '\0');
                        if (length > 0) stream.ReadBuffer(text.data(), length);
                        if (store) SetValue(col, row, TtsCellKind(kind), Variant(text));
                        break;
                    }
                    case ckInteger: {
                        Integer v = ReadInt(stream);
                        if (store) SetValue(col, row, ckInteger, Variant(v));
                        break;
                    }
                    case ckBitmap: {
                        Integer k = ReadInt(stream);
                        // Every number needs a bitmap file after the cells.
                        if (k < 1 || k > Remaining(stream) / 14) throw EReadError("Invalid bitmap number in cell data");
                        if (static_cast<Integer>(bitmaps.size()) < k) bitmaps.resize(std::size_t(k), nullptr);
                        if (!bitmaps[std::size_t(k - 1)]) {
                            bitmaps[std::size_t(k - 1)] = NewSharedBitmap();
                            ++bitmaps[std::size_t(k - 1)]->RefCount;  // the reader's own
                        }
                        if (store) SetValue(col, row, ckBitmap, ObjectToVariant(bitmaps[std::size_t(k - 1)]->Bitmap));
                        break;
                    }
                    case ckNull:
                        if (store) SetValue(col, row, ckNull, Variant::NullValue());
                        break;
                    case ckEmpty: break;
                    default: throw EReadError("Invalid cell kind in cell data");
                }
            }
        }

        Integer m = ReadInt(stream);
        if (m < 0) throw EReadError("Invalid bitmap count in cell data");
        for (Integer i = 0; i < m; ++i) {
            if (i < static_cast<Integer>(bitmaps.size()) && bitmaps[std::size_t(i)]) {
                ReadBitmapFile(stream, bitmaps[std::size_t(i)]->Bitmap);
            } else {
                TBitmap scratch;
                ReadBitmapFile(stream, &scratch);
            }
        }
    } catch (...) {
        dropUnused();
        throw;
    }
    dropUnused();
}
