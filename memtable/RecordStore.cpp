#include "memtable/RecordStore.h"

#include <cmath>
#include <cstdlib>
#include <random>

#include "memtable/LocaleCompare.h"
#include "platform/data/StdFields.h"

// ---- TqmtFieldList ---------------------------------------------------------

int TqmtFieldList::IndexOf(const TField* field) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].Field == field) return static_cast<int>(i);
    return -1;
}

int TqmtFieldList::IndexOfFieldNo(int fieldNo) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].FieldNo == fieldNo) return static_cast<int>(i);
    return -1;
}

void TqmtFieldList::MergeInto(TqmtFieldList& other) const {
    for (size_t i = 0; i < options_.size() && i < other.options_.size(); ++i) other.options_[i] |= options_[i];
}

// ---- types -----------------------------------------------------------------

bool TqmtCommon::IsBlobType(TFieldType t) {
    switch (t) {
        case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
        case ftTypedBinary: case ftOraBlob: case ftOraClob:
            return true;
        default:
            return false;
    }
}

bool TqmtCommon::IsSupportedType(TFieldType t) {
    switch (t) {
        case ftUnknown: case ftCursor: case ftWideString: case ftReference: case ftDataSet: case ftVariant:
        case ftInterface: case ftIDispatch: case ftGuid:
            return false;
        default:
            return t >= ftUnknown && t <= ftFMTBcd;
    }
}

int TqmtCommon::ValueSize(TFieldType t, int size) {
    switch (t) {
        case ftString: case ftFixedChar: return size + 1;
        case ftSmallint: case ftWord: case ftBoolean: return 2;
        case ftInteger: case ftAutoInc: return 4;
        case ftFloat: case ftCurrency: case ftDate: case ftTime: case ftDateTime: case ftLargeint: return 8;
        case ftBCD: case ftFMTBcd: return 34;
        case ftBytes: return size;
        case ftVarBytes: return size + 2;
        case ftTimeStamp: return 16;
        default: return 0;
    }
}

// ---- construction and settings --------------------------------------------

TqmtCommon::TqmtCommon(TqmtCustomMemTable* owner) : owner_(owner) {
    NewIdentity();
}

TqmtCommon::~TqmtCommon() {
    for (TqmtStoreClient* t : attached_)
        if (t && t->StoreClientOpen()) t->StoreClientClose();
    ClearStore();
}

void TqmtCommon::NewIdentity() {
    static std::mt19937 gen{std::random_device{}()};
    static std::mutex genLock;
    std::lock_guard<std::mutex> g(genLock);
    std::uniform_int_distribution<std::int64_t> dist(0, 2147483647);
    Integer previous = identity_;
    do identity_ = static_cast<Integer>(dist(gen));
    while (identity_ == previous);
}

void TqmtCommon::SetLocaleID(int v) {
    TqmtStoreGuard g(*this);
    languageId_ = v & 255;
    subLanguageId_ = (v >> 10) & 63;
    sortId_ = (v >> 16) & 15;
    localeId_ = v;
}

void TqmtCommon::SetLanguageID(int v) {
    TqmtStoreGuard g(*this);
    languageId_ = v;
    localeId_ = ((subLanguageId_ * 1024) & 65535) | languageId_ | (sortId_ << 16);
}

void TqmtCommon::SetSubLanguageID(int v) {
    TqmtStoreGuard g(*this);
    subLanguageId_ = v;
    localeId_ = ((subLanguageId_ * 1024) & 65535) | languageId_ | (sortId_ << 16);
}

void TqmtCommon::SetSortID(int v) {
    TqmtStoreGuard g(*this);
    sortId_ = v;
    localeId_ = ((subLanguageId_ * 1024) & 65535) | languageId_ | (sortId_ << 16);
}

void TqmtCommon::SetAutoIncMinValue(Integer v) {
    TqmtStoreGuard g(*this);
    autoIncMin_ = v;
    if (autoIncCurrent_ < v) autoIncCurrent_ = static_cast<Int64>(v) - 1;
}

void TqmtCommon::SetAttachMaxCount(int n) {
    if (n <= 0) throw EMemTableError(qmtmsg::InvalidArgument);
    TqmtStoreGuard g(*this);
    if (n == attachMax_) return;
    if (AnyTableOpen()) throw EMemTableError(qmtmsg::TableMustBeClosed);
    attachMax_ = n;
}

void TqmtCommon::SetStandalone(bool v) {
    if (v == standalone_) return;
    if (AttachedCount() > 1) throw EMemTableError(qmtmsg::ChildrenAttached);
    standalone_ = v;
}

// ---- layout ---------------------------------------------------------------

void TqmtCommon::AddLayout(const TqmtColumnDef& def, int& offset, const TqmtSetupFieldHook& setup) {
    if (!IsSupportedType(def.DataType))
        throw EMemTableError("Fielddef " + def.Name + " (" + def.DisplayName + ")" + " Datatype " +
                             std::to_string(static_cast<int>(def.DataType)) + " not supported.");
    if (fieldCount_ >= QMT_MAX_FIELDS) throw EMemTableError(qmtmsg::TooManyFieldDefs);
    int no = ++fieldCount_;
    Byte flags = 0;
    bool textOrBytes = def.DataType == ftString || def.DataType == ftBytes || def.DataType == ftVarBytes ||
                       def.DataType == ftFixedChar;
    bool blob = IsBlobType(def.DataType);
    if (blob || (textOrBytes && def.Size > 12 && performance_ != mtpfFast)) {
        flags |= qmtFieldOutOfLine;
        if (setup && !blob) setup(no, flags);
    }
    int vs = ValueSize(def.DataType, def.Size);
    flags_[static_cast<size_t>(no)] = flags;
    types_[static_cast<size_t>(no)] = def.DataType;
    valueSizes_[static_cast<size_t>(no)] = vs;
    if (flags & qmtFieldOutOfLine) {
        offsets_[static_cast<size_t>(no)] = -1;
    } else {
        offsets_[static_cast<size_t>(no)] = offset;
        offset += vs + 1;
    }
    if (def.DataType == ftADT) {
        for (const auto& c : def.Children) AddLayout(c, offset, setup);
    } else if (def.DataType == ftArray) {
        for (int i = 0; i < def.Size; ++i)
            for (const auto& c : def.Children) AddLayout(c, offset, setup);
    }
}

void TqmtCommon::BuildLayout(const std::vector<TqmtColumnDef>& defs, int calcSize, const TqmtSetupFieldHook& setup) {
    if (defs.empty()) throw EMemTableError(qmtmsg::NoFields);
    TqmtStoreGuard g(*this);
    bookmarkSize_ = attachMax_ * qmtBookmarkEntrySize;
    fieldCount_ = 0;
    offsets_.assign(QMT_MAX_FIELDS + 1, -1);
    flags_.assign(QMT_MAX_FIELDS + 1, 0);
    types_.assign(QMT_MAX_FIELDS + 1, ftUnknown);
    valueSizes_.assign(QMT_MAX_FIELDS + 1, 0);
    int offset = 0;
    try {
        for (const auto& d : defs) AddLayout(d, offset, setup);
    } catch (...) {
        fieldCount_ = 0;
        blockSize_ = 0;
        throw;
    }
    fixedSize_ = offset;
    calcSize_ = calcSize;
    bookmarkOffset_ = fixedSize_ + calcSize_;
    oolOffset_ = bookmarkOffset_ + bookmarkSize_;
    oolCount_ = 0;
    for (int no = 1; no <= fieldCount_; ++no) {
        if (!(flags_[static_cast<size_t>(no)] & qmtFieldOutOfLine)) continue;
        if (performance_ == mtpfSmall) flags_[static_cast<size_t>(no)] |= qmtFieldCompressed;
        offsets_[static_cast<size_t>(no)] = oolOffset_ + qmtOutOfLineEntrySize * oolCount_;
        ++oolCount_;
    }
    oolSize_ = qmtOutOfLineEntrySize * oolCount_;
    dataSize_ = oolOffset_ + oolSize_;
    blockSize_ = static_cast<int>(sizeof(TqmtRecord)) + dataSize_;
    dataModified_ = false;
    ClearChangedFlags();
}

// ---- row blocks -------------------------------------------------------------

TqmtRecord* TqmtCommon::NewRecordBlock() const {
    auto* r = static_cast<TqmtRecord*>(std::malloc(static_cast<size_t>(blockSize_)));
    if (!r) throw std::bad_alloc();
    r->Data = reinterpret_cast<Byte*>(r) + sizeof(TqmtRecord);
    ResetRecord(r);
    return r;
}

void TqmtCommon::ResetRecord(TqmtRecord* r) const {
    r->FetchPos = -1;
    r->Slot = -1;
    r->Serial = -1;
    r->Flags = 0;
    r->UpdateStatus = 0;
    r->TransLevel = -1;
    r->Tag = 0;
    r->Previous = nullptr;
    std::memset(r->Data, 0, static_cast<size_t>(dataSize_));
}

Byte* TqmtCommon::NewValueBuffer(const void* bytes, int length) {
    auto* b = static_cast<Byte*>(std::malloc(static_cast<size_t>(length) + 4));
    if (!b) throw std::bad_alloc();
    Integer n = length;
    std::memcpy(b, &n, 4);
    if (length > 0) std::memcpy(b + 4, bytes, static_cast<size_t>(length));
    return b;
}

TqmtRecord* TqmtCommon::CloneRecord(const TqmtRecord* r, bool withValues) const {
    TqmtRecord* c = NewRecordBlock();
    Byte* data = c->Data;
    *c = *r;
    c->Data = data;
    std::memcpy(c->Data, r->Data, static_cast<size_t>(oolOffset_));
    if (withValues && oolCount_ > 0) {
        for (int no = 1; no <= fieldCount_; ++no) {
            if (!IsOutOfLine(no)) continue;
            const Byte* src = r->Data + offsets_[static_cast<size_t>(no)];
            Byte* dst = c->Data + offsets_[static_cast<size_t>(no)];
            const Byte* buf = OutOfLineBuffer(src);
            if (src[0] != qmtNull && buf) {
                SetOutOfLineBuffer(dst, NewValueBuffer(buf + 4, BufferLength(buf)));
                dst[0] = qmtPresent;
            }
        }
    }
    return c;
}

void TqmtCommon::CopyRecordContents(const TqmtRecord* from, TqmtRecord* to) const {
    to->FetchPos = from->FetchPos;
    to->Slot = from->Slot;
    to->Serial = from->Serial;
    to->UpdateStatus = from->UpdateStatus;
    to->Previous = from->Previous;
    to->TransLevel = from->TransLevel;
    to->Tag = from->Tag;
    std::memcpy(to->Data, from->Data, static_cast<size_t>(oolOffset_));
    if (oolCount_ == 0) return;
    for (int no = 1; no <= fieldCount_; ++no)
        if (IsOutOfLine(no)) to->Data[offsets_[static_cast<size_t>(no)]] = from->Data[offsets_[static_cast<size_t>(no)]];
}

void TqmtCommon::MoveRecordContents(TqmtRecord* from, TqmtRecord* to) const {
    for (int no = 1; oolCount_ > 0 && no <= fieldCount_; ++no) {
        if (!IsOutOfLine(no)) continue;
        Byte* src = from->Data + offsets_[static_cast<size_t>(no)];
        Byte* dst = to->Data + offsets_[static_cast<size_t>(no)];
        Byte* buf = OutOfLineBuffer(src);
        if (buf) {
            std::free(OutOfLineBuffer(dst));
            SetOutOfLineBuffer(dst, buf);
            SetOutOfLineBuffer(src, nullptr);
        } else if (src[0] == qmtNull) {
            std::free(OutOfLineBuffer(dst));
            SetOutOfLineBuffer(dst, nullptr);
            dst[0] = qmtNull;
        }
    }
    CopyRecordContents(from, to);
}

void TqmtCommon::ReleaseOutOfLineValues(TqmtRecord* r) const {
    if (!r || !r->Data || oolCount_ == 0) return;
    for (int no = 1; no <= fieldCount_; ++no) {
        if (!IsOutOfLine(no)) continue;
        Byte* e = r->Data + offsets_[static_cast<size_t>(no)];
        std::free(OutOfLineBuffer(e));
        SetOutOfLineBuffer(e, nullptr);
        e[0] = qmtNull;
    }
}

void TqmtCommon::ReleaseRecord(TqmtRecord* r, bool releaseValues, bool releaseVersions) const {
    while (r) {
        if (releaseValues) ReleaseOutOfLineValues(r);
        TqmtRecord* prev = (releaseVersions && (r->Flags & qmtStoreOwned)) ? r->Previous : nullptr;
        std::free(r);
        r = prev;
        releaseValues = true;
    }
}

const Byte* TqmtCommon::OutOfLineValue(const TqmtRecord* r, int fieldNo) const {
    const Byte* e = r->Data + offsets_[static_cast<size_t>(fieldNo)];
    const Byte* buf = OutOfLineBuffer(e);
    if (buf) return buf;
    if (e[0] == qmtNull) return nullptr;
    if (r->Slot < 0) throw EMemTableInvalidRecord(qmtmsg::InvalidRecord);
    const TqmtRecord* s = SlotRow(r->Slot);
    if (!s || s == r) return nullptr;
    return OutOfLineBuffer(s->Data + offsets_[static_cast<size_t>(fieldNo)]);
}

void TqmtCommon::WriteOutOfLine(TqmtRecord* r, int fieldNo, const void* bytes, int length) {
    Byte* e = r->Data + offsets_[static_cast<size_t>(fieldNo)];
    std::free(OutOfLineBuffer(e));
    SetOutOfLineBuffer(e, nullptr);
    if (!bytes) {
        e[0] = qmtNull;
        return;
    }
    e[0] = qmtPresent;
    TFieldType t = FieldType(fieldNo);
    if (FieldFlags(fieldNo) & qmtFieldCompressed) {
        std::string out;
        std::string_view in(static_cast<const char*>(bytes), static_cast<size_t>(length));
        if (OnCompressField && OnCompressField(fieldNo, in, out)) {
            SetOutOfLineBuffer(e, NewValueBuffer(out.data(), static_cast<int>(out.size())));
            return;
        }
        if (t == ftString || t == ftFixedChar)
            length = static_cast<int>(strnlen(static_cast<const char*>(bytes), static_cast<size_t>(length))) + 1;
    }
    SetOutOfLineBuffer(e, NewValueBuffer(bytes, length));
}

bool TqmtCommon::ReadOutOfLine(const TqmtRecord* r, int fieldNo, std::string& out) const {
    const Byte* buf = OutOfLineValue(r, fieldNo);
    if (!buf) return false;
    std::string_view stored(reinterpret_cast<const char*>(buf + 4), static_cast<size_t>(BufferLength(buf)));
    if ((FieldFlags(fieldNo) & qmtFieldCompressed) && OnDecompressField && OnDecompressField(fieldNo, stored, out))
        return true;
    out.assign(stored);
    return true;
}

// ---- slots ----------------------------------------------------------------

void TqmtCommon::StoreRecord(TqmtRecord* r) {
    TqmtStoreGuard g(*this);
    r->Flags |= qmtStoreOwned;
    if (enableVersioning_) r->UpdateStatus = qmtInserted;
    if (!freeSlots_.empty()) {
        r->Slot = freeSlots_.back();
        freeSlots_.pop_back();
        r->Serial = serialCounter_++;
        slots_[static_cast<size_t>(r->Slot)] = r;
        return;
    }
    r->Slot = slotCounter_++;
    r->Serial = serialCounter_++;
    slots_.push_back(r);
    if (serialCounter_ >= 2147483600) throw EMemTableFatalError(qmtmsg::BookmarkCounter);
}

void TqmtCommon::UnstoreRecord(TqmtRecord* r) {
    TqmtStoreGuard g(*this);
    if (r->Slot < 0 || r->Slot >= static_cast<int>(slots_.size())) return;
    freeSlots_.push_back(r->Slot);
    slots_[static_cast<size_t>(r->Slot)] = nullptr;
}

void TqmtCommon::DropRecord(TqmtRecord* r) {
    UnstoreRecord(r);
    ReleaseRecord(r, true, true);
}

void TqmtCommon::ClearStore() {
    TqmtStoreGuard g(*this);
    for (TqmtRecord* r : slots_)
        if (r) ReleaseRecord(r, true, true);
    slots_.clear();
    freeSlots_.clear();
    slotCounter_ = 0;
    serialCounter_ = 0;
    deletedCount_ = 0;
    NewIdentity();
}

int TqmtCommon::SlotCount() {
    TqmtStoreGuard g(*this);
    return static_cast<int>(slots_.size());
}

// ---- attached tables --------------------------------------------------------

int TqmtCommon::AttachTable(TqmtStoreClient* table) {
    TqmtStoreGuard g(*this);
    for (size_t i = 0; i < attached_.size(); ++i)
        if (!attached_[i]) {
            attached_[i] = table;
            return static_cast<int>(i);
        }
    if (static_cast<int>(attached_.size()) >= attachMax_) {
        if (AnyTableOpen()) throw EMemTableError(qmtmsg::TableMustBeClosed);
        attachMax_ = static_cast<int>(attached_.size()) + 1;
    }
    attached_.push_back(table);
    return static_cast<int>(attached_.size()) - 1;
}

void TqmtCommon::DetachTable(TqmtStoreClient* table) {
    TqmtStoreGuard g(*this);
    for (auto& t : attached_)
        if (t == table) t = nullptr;
}

int TqmtCommon::AttachedCount() const {
    int n = 0;
    for (auto* t : attached_) n += t != nullptr;
    return n;
}

bool TqmtCommon::AnyTableOpen() const {
    for (auto* t : attached_)
        if (t && t->StoreClientOpen()) return true;
    return false;
}

void TqmtCommon::CloseOtherTables(TqmtStoreClient* except) {
    for (auto* t : attached_)
        if (t && t != except && t->StoreClientOpen()) t->StoreClientClose();
}

void TqmtCommon::RefreshOtherTables(TqmtStoreClient* except) {
    for (auto* t : attached_)
        if (t && t != except && t->StoreClientOpen()) t->StoreClientRefresh();
}

void TqmtCommon::EmptyAllTables() {
    TqmtStoreGuard g(*this);
    for (auto* t : attached_)
        if (t && t->StoreClientOpen()) t->StoreClientEmpty();
    ClearStore();
}

void TqmtCommon::RebuildAllIndexes() {
    for (auto* t : attached_)
        if (t && t->StoreClientOpen()) t->StoreClientRebuildIndexes();
}

void TqmtCommon::MarkAllIndexesUnordered() {
    for (auto* t : attached_)
        if (t) t->StoreClientMarkIndexesUnordered();
}

void TqmtCommon::RebuildAllIndexDefs() {
    for (auto* t : attached_)
        if (t && t->StoreClientOpen()) t->StoreClientRebuildIndexDefs();
}

void TqmtCommon::UpdateAllIndexes(TqmtStoreClient* caller, int change, int callerPosition, TqmtRecord* newValues,
                                  TqmtRecord* stored) {
    for (auto* t : attached_)
        if (t && t->StoreClientOpen())
            t->StoreClientMaintainIndexes(change, stored, t == caller ? callerPosition : -1, newValues);
}

// ---- transactions -----------------------------------------------------------

void TqmtCommon::CommitLevel() {
    TqmtStoreGuard g(*this);
    for (TqmtRecord* r : slots_) {
        if (!r) continue;
        // Drop saved versions written at this level; keep the older ones.
        TqmtRecord* keep = r;
        TqmtRecord* v = r->Previous;
        while (v) {
            TqmtRecord* older = v->Previous;
            if (v->TransLevel == transLevel_) {
                keep->Previous = older;
                ReleaseRecord(v, true, false);
            } else {
                keep = v;
            }
            v = older;
        }
        if (r->TransLevel == transLevel_ && transLevel_ > 0) --r->TransLevel;
    }
}

void TqmtCommon::RollbackLevel() {
    TqmtStoreGuard g(*this);
    dataModified_ = false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        TqmtRecord* r = slots_[i];
        while (r && r->TransLevel == transLevel_) {
            if (r->UpdateStatus == qmtUnmodified) break;
            if (r->UpdateStatus == qmtInserted) {
                ReleaseRecord(r, true, true);
                slots_[i] = nullptr;
                freeSlots_.push_back(static_cast<int>(i));
                r = nullptr;
                break;
            }
            TqmtRecord* prev = r->Previous;
            if (r->UpdateStatus == qmtDeleted && deletedCount_ > 0) --deletedCount_;
            ReleaseRecord(r, true, false);
            slots_[i] = prev;
            r = prev;
            if (!r) {
                freeSlots_.push_back(static_cast<int>(i));
                break;
            }
            r->Flags |= qmtStoreOwned;
        }
        if (r && r->UpdateStatus != qmtUnmodified) dataModified_ = true;
    }
}

// ---- comparison -------------------------------------------------------------

namespace {

template <typename T>
T Load(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Text length in characters (UTF-8).
size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// Byte length of the first n characters.
size_t CharPrefix(std::string_view s, size_t n) {
    size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --n;
    }
    return i;
}

}  // namespace

int TqmtCommon::CompareValues(const Byte* key, int keyLen, const Byte* row, int rowLen, TFieldType type,
                              Byte options, bool& fullMatch) const {
    int r = 0;
    fullMatch = true;
    switch (type) {
        case ftString:
        case ftFixedChar: {
            std::string_view k(reinterpret_cast<const char*>(key), static_cast<size_t>(keyLen));
            std::string_view v(reinterpret_cast<const char*>(row), static_cast<size_t>(rowLen));
            if (options & mtcoPartialKey) {
                size_t kc = CharCount(k), vc = CharCount(v);
                size_t n = kc < vc ? kc : vc;
                v = v.substr(0, CharPrefix(v, n));
                fullMatch = kc == vc;
            }
            bool ci = (options & mtcoCaseInsensitive) != 0;
            r = (options & mtcoIgnoreLocale) ? OrdinalCompareText(k, v, ci) : LocaleCompareText(k, v, ci);
            break;
        }
        case ftSmallint: r = Cmp(Load<SmallInt>(key), Load<SmallInt>(row)); break;
        case ftWord: r = Cmp(Load<Word>(key), Load<Word>(row)); break;
        case ftInteger: case ftAutoInc: case ftDate: case ftTime:
            r = Cmp(Load<Integer>(key), Load<Integer>(row));
            break;
        case ftLargeint: r = Cmp(Load<Int64>(key), Load<Int64>(row)); break;
        case ftBoolean: r = Cmp(Load<Word>(key) != 0, Load<Word>(row) != 0); break;
        case ftFloat: case ftCurrency: r = Cmp(Load<double>(key), Load<double>(row)); break;
        case ftDateTime: {
            double d = Load<double>(key) - Load<double>(row);
            r = d < 0.0 ? -1 : d > 0.0 ? 1 : 0;
            break;
        }
        case ftTimeStamp: {
            int d = Load<SmallInt>(key) - Load<SmallInt>(row);
            for (int i = 1; i <= 5 && d == 0; ++i) d = Load<Word>(key + 2 * i) - Load<Word>(row + 2 * i);
            if (d == 0) {
                std::int64_t f = static_cast<std::int64_t>(Load<Integer>(key + 12)) - Load<Integer>(row + 12);
                d = f < 0 ? -1 : f > 0 ? 1 : 0;
            }
            r = d < 0 ? -1 : d > 0 ? 1 : 0;
            break;
        }
        case ftBCD: case ftFMTBcd: {
            TBcd a, b;
            std::memcpy(&a, key, sizeof a);
            std::memcpy(&b, row, sizeof b);
            Int64 x = 0, y = 0;
            if (BcdToCurrencyRaw(a, x) && BcdToCurrencyRaw(b, y)) r = Cmp(x, y);
            break;
        }
        default: r = 0; break;
    }
    if (options & mtcoDescending) r = -r;
    return r;
}

bool TqmtCommon::ValueBytes(const TqmtRecord* r, const TqmtKeyField& f, const Byte*& bytes, int& len,
                            std::string& scratch) const {
    if (f.FieldNo > 0 && IsOutOfLine(f.FieldNo)) {
        if (!ReadOutOfLine(r, f.FieldNo, scratch)) return false;
        bytes = reinterpret_cast<const Byte*>(scratch.data());
        len = static_cast<int>(scratch.size());
        if (f.DataType == ftString || f.DataType == ftFixedChar)
            len = static_cast<int>(strnlen(scratch.data(), scratch.size()));
        return true;
    }
    const Byte* p = KeyValuePointer(r, f);
    if (!p || p[0] == qmtNull) return false;
    bytes = p + 1;
    if (f.DataType == ftString || f.DataType == ftFixedChar) {
        const int cap = f.FieldNo > 0 ? FieldValueSize(f.FieldNo) : f.ValueSize;
        int n = 0;
        while (n < cap && bytes[n] != 0) ++n;
        len = n;
    } else {
        len = f.FieldNo > 0 ? FieldValueSize(f.FieldNo) : f.ValueSize;
    }
    return true;
}

int TqmtCommon::CompareKeyFields(const TqmtFieldList& fields, int maxCount, const TqmtRecord* key,
                                 const TqmtRecord* row, bool ignoreNullKeys, bool partial, int mode,
                                 bool* fullMatchOut) const {
    int count = fields.Count();
    if (maxCount > 0 && maxCount < count) count = maxCount;
    int result = 0;
    bool fullMatch = true;
    std::string ks, rs;
    for (int i = 0; i < count; ++i) {
        const TqmtKeyField& f = fields.Field(i);
        Byte options = fields.Options(i);
        if (mode >= 1 && mode <= 4) options &= static_cast<Byte>(~mtcoDescending);
        bool ignoreNull = (options & mtcoIgnoreNullKey) || ignoreNullKeys;
        if (partial) options |= mtcoPartialKey;
        const Byte* kb = nullptr;
        const Byte* rb = nullptr;
        int kl = 0, rl = 0;
        bool kp = ValueBytes(key, f, kb, kl, ks);
        if (ignoreNull && !kp) continue;
        bool rp = ValueBytes(row, f, rb, rl, rs);
        if (kp && rp) {
            bool fm = true;
            if (OnCompareFields && OnCompareFields(f, kb, rb, options, fm, result)) {
            } else {
                result = CompareValues(kb, kl, rb, rl, f.DataType, options, fm);
            }
            if (!fm) fullMatch = false;
        } else if (kp) {
            result = 1;
        } else if (rp) {
            result = -1;
        } else {
            result = 0;
        }
        bool stop = false;
        switch (mode) {
            case 0: stop = result != 0 || !fullMatch; break;
            case 1: stop = result < 0; break;
            case 2: stop = result > 0; break;
            case 3: stop = result <= 0; break;
            case 4: stop = result >= 0; break;
            default: break;
        }
        if (stop) break;
    }
    if (fullMatchOut) *fullMatchOut = fullMatch;
    return result;
}

// ---- sort keys ------------------------------------------------------------------

bool TqmtCommon::SortKeyable(const TqmtFieldList& fields) const {
    if (OnCompareFields) return false;
    for (int i = 0; i < fields.Count(); ++i) {
        if (fields.Options(i) & (mtcoPartialKey | mtcoIgnoreNullKey)) return false;
        switch (fields.Field(i).DataType) {
            case ftBCD: case ftFMTBcd: return false;
            default: break;
        }
    }
    return true;
}

namespace {

void PutBig(std::string& out, std::uint64_t v, int bytes) {
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(bytes));
    char* p = out.data() + at;
    for (int b = bytes - 1; b >= 0; --b) *p++ = static_cast<char>((v >> (8 * b)) & 0xFF);
}

}  // namespace

void TqmtCommon::AppendSortKey(const TqmtFieldList& fields, const TqmtRecord* row, std::string& out) const {
    std::string scratch;
    for (int i = 0; i < fields.Count(); ++i) {
        const TqmtKeyField& f = fields.Field(i);
        const Byte options = fields.Options(i);
        const Byte* bytes = nullptr;
        int len = 0;
        if (!ValueBytes(row, f, bytes, len, scratch)) {
            out += '\0';  // nulls first in either direction
            continue;
        }
        out += '\1';
        const size_t start = out.size();
        switch (f.DataType) {
            case ftString:
            case ftFixedChar: {
                std::string_view text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(len));
                if (options & mtcoIgnoreLocale) {
                    for (char c : text) {
                        if ((options & mtcoCaseInsensitive) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
                        out += c;
                    }
                    out += '\0';
                } else {
                    AppendLocaleSortKey(out, text, (options & mtcoCaseInsensitive) != 0);
                }
                break;
            }
            case ftSmallint: PutBig(out, static_cast<std::uint16_t>(Load<SmallInt>(bytes)) ^ 0x8000u, 2); break;
            case ftWord: PutBig(out, Load<Word>(bytes), 2); break;
            case ftInteger: case ftAutoInc: case ftDate: case ftTime:
                PutBig(out, static_cast<std::uint32_t>(Load<Integer>(bytes)) ^ 0x80000000u, 4);
                break;
            case ftLargeint: PutBig(out, static_cast<std::uint64_t>(Load<Int64>(bytes)) ^ (1ULL << 63), 8); break;
            case ftBoolean: out += Load<Word>(bytes) != 0 ? '\1' : '\0'; break;
            case ftFloat: case ftCurrency: case ftDateTime: {
                double d = Load<double>(bytes);
                if (d == 0.0) d = 0.0;  // -0 equals 0
                std::uint64_t u;
                std::memcpy(&u, &d, 8);
                u = (u >> 63) ? ~u : (u | (1ULL << 63));
                PutBig(out, u, 8);
                break;
            }
            case ftTimeStamp:
                PutBig(out, static_cast<std::uint16_t>(Load<SmallInt>(bytes)) ^ 0x8000u, 2);
                for (int k = 1; k <= 5; ++k) PutBig(out, Load<Word>(bytes + 2 * k), 2);
                PutBig(out, static_cast<std::uint32_t>(Load<Integer>(bytes + 12)) ^ 0x80000000u, 4);
                break;
            default:
                break;  // compares equal
        }
        if (options & mtcoDescending)
            for (size_t k = start; k < out.size(); ++k) out[k] = static_cast<char>(~static_cast<unsigned char>(out[k]));
    }
}
