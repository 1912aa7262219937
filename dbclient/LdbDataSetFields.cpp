// TLdbDataSet: engine fields as framework fields, values between the raw
// engine record and the framework's native forms, null tests by the
// engine's conventions, default values, and posting, cancelling and
// deleting records through the engine.

#include <cmath>
#include <cstring>
#include <limits>

#include "dbclient/LdbBlob.h"
#include "dbclient/LdbDataSet.h"
#include "dbclient/LdbDateTime.h"
#include "platform/core/Format.h"
#include "platform/core/FormatSettings.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"
#include "platform/data/StdFields.h"

namespace {

constexpr std::int32_t JulianDelta = ldbtime::NativeDay0Julian;
constexpr double MsPerDay = ldbtime::MsPerDay;
constexpr int DateDelta = 693594;              // framework day number of 30 December 1899

template <typename T>
T Read(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void Write(void* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

bool AllBytes(const char* p, std::uint32_t n, bool allowBlank) {
    for (std::uint32_t i = 0; i < n; ++i)
        if (!(p[i] == 0 || (allowBlank && p[i] == ' '))) return false;
    return true;
}

TFormatSettings PointSettings() {
    TFormatSettings fs = DefaultFormatSettings();
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
    return fs;
}

bool IsBlobType(std::uint16_t t) { return t >= LdbTypeMemo && t <= 8; }

}  // namespace

TFieldType LdbFieldType(std::uint16_t engineType, std::uint32_t length, std::uint16_t decimals, int& size) {
    size = 0;
    switch (engineType) {
    case LdbTypeLogical: return ftBoolean;
    case LdbTypeNumeric: return decimals > 0 || length > 4 ? ftFloat : ftSmallint;
    case LdbTypeDate:
    case LdbTypeCompactDate: return ftDate;
    case LdbTypeString: size = static_cast<int>(length); return ftString;
    case LdbTypeMemo:
    case 8: size = 1; return ftMemo;
    case LdbTypeBinary:
    case LdbTypeImage: size = 1; return ftBlob;
    case LdbTypeDouble: return ftFloat;
    case LdbTypeInteger: return ftInteger;
    case LdbTypeShort: return ftSmallint;
    case LdbTypeTime: return ftTime;
    case LdbTypeTimeStamp: return ftDateTime;
    case LdbTypeAutoInc: return ftAutoInc;
    case LdbTypeRaw: size = static_cast<int>(length); return ftBytes;
    case LdbTypeCurDouble: return ftCurrency;
    case LdbTypeMoney: size = 4; return ftBCD;
    case LdbTypeLongLong: return ftLargeint;
    default: return ftUnknown;
    }
}

// ---------------------------------------------------------------- definitions

void TLdbDataSet::InternalInitFieldDefs() {
    std::uint16_t count = 0;
    CheckAdsResult(this, LdbGetNumFields(cursor_, &count));
    FieldDefs().Clear();
    lceFieldDefs_.Clear();
    for (int n = 1; n <= count; ++n) DescribeField(n);
}

void TLdbDataSet::DescribeField(int number) {
    auto n = static_cast<std::uint32_t>(number);
    TLceFieldDef def;
    def.FieldNumber = number;
    CheckAdsResult(this, LdbGetFieldType(cursor_, n, &def.EngineType));
    CheckAdsResult(this, LdbGetFieldLength(cursor_, n, &def.Length));
    if (def.EngineType == LdbTypeNumeric) CheckAdsResult(this, LdbGetFieldDecimals(cursor_, n, &def.Decimals));
    char name[129] = {};
    std::uint16_t len = 128;
    CheckAdsResult(this, LdbGetFieldName(cursor_, n, name, &len));
    def.Name = name;
    int size = 0;
    TFieldType type = LdbFieldType(def.EngineType, def.Length, def.Decimals, size);
    if (type == ftUnknown) return;
    TFieldDef* fd = FieldDefs().Add(def.Name, type, size, false);
    if (type == ftBCD) fd->SetPrecision(20);
    CheckAdsResult(this, LdbGetFieldOffset(cursor_, n, &def.Offset));
    CheckAdsResult(this, LdbGetColumnPermissions(cursor_, n, &def.Permissions));
    def.Modified = false;
    lceFieldDefs_.Add(def);
}

void TLdbDataSet::InitFieldDefs() {
    if (IsCursorOpen()) {
        InternalInitFieldDefs();
    } else {
        cursor_ = CreateCursorHandle();
        try {
            InternalInitFieldDefs();
        } catch (...) {
            LdbCloseTable(cursor_);
            cursor_ = -1;
            throw;
        }
        LdbCloseTable(cursor_);
        cursor_ = -1;
        lceFieldDefs_.Clear();
    }
    FieldDefs().SetUpdated(true);
}

// ---------------------------------------------------------------- reading

TRecordBuffer TLdbDataSet::StateBuffer() {
    switch (State()) {
    case dsBrowse:
    case dsBlockRead: return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
    case dsNewValue: return ActiveBuffer();
    case dsCalcFields: return CalcBuffer();
    case dsFilter: return filterBuffer_;
    case dsSetKey:
        return keyBuffer_ >= 0 && keyBuffer_ < static_cast<int>(keyBuffers_.size()) ? keyBuffers_[keyBuffer_].Record.data()
                                                                                    : nullptr;
    case dsOldValue: return oldRecord_.empty() ? nullptr : oldRecord_.data();
    default: return nullptr;
    }
}

bool TLdbDataSet::EngineValueIsNull(const TLceFieldDef& def, const char* record) const {
    const char* p = record + def.Offset;
    bool adt = TableType() == LdbTableAdt;
    switch (def.EngineType) {
    case LdbTypeLogical: return adt ? *p == ' ' : AllBytes(p, def.Length, true);
    case LdbTypeNumeric:
    case LdbTypeString: return AllBytes(p, def.Length, !adt);
    case LdbTypeDate:
        if (adt) return AllBytes(p, def.Length, false);
        return def.Length == 4 ? Read<std::int32_t>(p) == 0 : AllBytes(p, def.Length, true);
    case LdbTypeMemo:
    case LdbTypeBinary:
    case LdbTypeImage:
    case 8: return Read<std::int32_t>(p) == 0;
    case LdbTypeCompactDate: return AllBytes(p, def.Length, false);
    case LdbTypeRaw: return adt ? AllBytes(p, def.Length, false) : true;
    case LdbTypeDouble:
    case LdbTypeCurDouble:
        return adt && Read<std::uint32_t>(p) == 32 && Read<std::uint32_t>(p + 4) == 0x80000000u;
    case LdbTypeInteger: return adt && Read<std::uint32_t>(p) == 0x80000000u;
    case LdbTypeShort: return adt && Read<std::uint16_t>(p) == 0x8000u;
    case LdbTypeTime:
    case LdbTypeAutoInc: return !adt || Read<std::int32_t>(p) == -1;
    case LdbTypeTimeStamp: return !adt || Read<std::int32_t>(p) == 0;
    case LdbTypeMoney: return !adt || (Read<std::uint32_t>(p) == 0 && Read<std::uint32_t>(p + 4) == 0x80000000u);
    case LdbTypeLongLong: return Read<std::int64_t>(p) == std::numeric_limits<std::int64_t>::min();
    default: return true;
    }
}

void TLdbDataSet::DecodeValue(const TLceFieldDef& def, TField* field, const char* record, void* buffer) {
    const char* p = record + def.Offset;
    switch (def.EngineType) {
    case LdbTypeLogical: {
        char c = *p;
        Write<std::int16_t>(buffer, c == '1' || c == 'T' || c == 'Y' || c == 't' || c == 'y' ? -1 : 0);
        break;
    }
    case LdbTypeNumeric: {
        std::string text(p, def.Length);
        std::size_t nul = text.find('\0');
        if (nul != std::string::npos) text.resize(nul);
        double value = 0;
        // A value that is no number leaves the buffer as it was.
        if (!TryStrToFloat(Trim(text), value, PointSettings())) break;
        if (field->DataType() == ftSmallint)
            Write<std::int16_t>(buffer, static_cast<std::int16_t>(std::trunc(value)));
        else
            Write<double>(buffer, value);
        break;
    }
    case LdbTypeDate: {
        if (def.Length == 4) {
            Write<std::int32_t>(buffer, Read<std::int32_t>(p) - JulianDelta);
        } else {
            double julian = 0;
            std::string text(p, def.Length);
            CheckAdsResult(this, LdbConvertStringToJulian(text.c_str(), static_cast<std::uint16_t>(text.size()), &julian));
            Write<std::int32_t>(buffer, static_cast<std::int32_t>(std::trunc(julian - JulianDelta)));
        }
        break;
    }
    case LdbTypeString: {
        std::string text(p, strnlen(p, def.Length));
        std::size_t end = text.find_last_not_of(' ');
        text.erase(end == std::string::npos ? 0 : end + 1);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        break;
    }
    case LdbTypeCompactDate: {
        auto b = reinterpret_cast<const unsigned char*>(p);
        int packed = b[0] << 8 | b[1];
        int year = packed / 2, month = (packed % 2) * 8 + b[2] / 32, day = b[2] % 32;
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
        double julian = 0;
        CheckAdsResult(this, LdbConvertStringToJulian(text, 8, &julian));
        Write<std::int32_t>(buffer, static_cast<std::int32_t>(std::trunc(julian - JulianDelta)));
        break;
    }
    case LdbTypeDouble:
    case LdbTypeCurDouble: std::memcpy(buffer, p, 8); break;
    case LdbTypeInteger:
    case LdbTypeAutoInc:
    case LdbTypeTime: std::memcpy(buffer, p, 4); break;
    case LdbTypeShort: std::memcpy(buffer, p, 2); break;
    case LdbTypeLongLong: std::memcpy(buffer, p, 8); break;
    case LdbTypeRaw: std::memcpy(buffer, p, def.Length); break;
    case LdbTypeTimeStamp: {
        double ms = ldbtime::ToNative({Read<std::int32_t>(p), Read<std::int32_t>(p + 4)});
        Write<double>(buffer, ms < 0 ? 0.0 : ms);
        break;
    }
    case LdbTypeMoney: {
        TBcd bcd = CurrencyRawToBcd(Read<std::int64_t>(p), 20);
        std::memcpy(buffer, &bcd, sizeof bcd);
        break;
    }
    default: break;
    }
}

bool TLdbDataSet::GetFieldData(TField* field, void* buffer) {
    TRecordBuffer record = StateBuffer();
    if (!record) return false;
    if (field->FieldNo() > 0) {
        const TLceFieldDef& def = lceFieldDefs_[field->FieldNo() - 1];
        bool isNull = EngineValueIsNull(def, record);
        if (def.BlobIndex >= 0 && (State() == dsEdit || State() == dsInsert)) {
            // A changed value decides until it is posted.
            TLdbBlobCache* cache = BlobCache(record, def.BlobIndex);
            if (cache && cache->Modified()) return cache->Size() != 0;
        }
        if (!isNull && buffer) DecodeValue(def, field, record, buffer);
        return !isNull;
    }
    TDataSetState s = State();
    if (s != dsBrowse && s != dsEdit && s != dsInsert && s != dsCalcFields && s != dsFilter) return false;
    const char* at = record + recordSize_ + field->Offset();
    bool present = at[0] != 0;
    if (present && buffer) std::memcpy(buffer, at + 1, static_cast<std::size_t>(field->DataSize()));
    return present;
}

// ---------------------------------------------------------------- writing

void TLdbDataSet::EncodeValue(const TLceFieldDef& def, TField* field, char* record, const void* buffer) {
    char* p = record + def.Offset;
    bool adt = TableType() == LdbTableAdt;
    if (!buffer) {
        if (adt) {
            switch (def.EngineType) {
            case LdbTypeLogical: *p = ' '; break;
            case LdbTypeDouble:
            case LdbTypeCurDouble:
                Write<std::uint32_t>(p, 32);
                Write<std::uint32_t>(p + 4, 0x80000000u);
                break;
            case LdbTypeMoney:
                Write<std::uint32_t>(p, 0);
                Write<std::uint32_t>(p + 4, 0x80000000u);
                break;
            case LdbTypeInteger: Write<std::uint32_t>(p, 0x80000000u); break;
            case LdbTypeLongLong: Write<std::int64_t>(p, std::numeric_limits<std::int64_t>::min()); break;
            case LdbTypeShort: Write<std::uint16_t>(p, 0x8000u); break;
            case LdbTypeTime:
            case LdbTypeAutoInc: Write<std::int32_t>(p, -1); break;
            case LdbTypeTimeStamp:
                Write<std::int32_t>(p, 0);
                Write<std::int32_t>(p + 4, -1);
                break;
            default: std::memset(p, 0, def.Length); break;
            }
        } else {
            if (def.EngineType == LdbTypeLongLong) {
                Write<std::int64_t>(p, std::numeric_limits<std::int64_t>::min());
                return;
            }
            bool zero = def.EngineType >= LdbTypeMemo && def.EngineType <= LdbTypeShort;
            zero = zero || def.EngineType == LdbTypeCurDouble;
            std::memset(p, zero ? 0 : ' ', def.Length);
        }
        return;
    }
    switch (def.EngineType) {
    case LdbTypeLogical: *p = Read<std::int16_t>(buffer) ? 'T' : 'F'; break;
    case LdbTypeNumeric: {
        std::string text;
        if (field->DataType() == ftSmallint) {
            text = std::to_string(Read<std::int16_t>(buffer));
        } else {
            int precision = def.Decimals > 0 ? static_cast<int>(def.Length) - 1 : static_cast<int>(def.Length);
            precision = std::clamp(precision, 1, 18);
            text = FloatToStrF(Read<double>(buffer), ffFixed, precision, def.Decimals, PointSettings());
        }
        if (text.size() > def.Length || text.find_first_of("Ee") != std::string::npos)
            RaiseLdbError(this, "Numeric out of range.");
        std::memset(p, ' ', def.Length);
        std::memcpy(p + (def.Length - text.size()), text.data(), text.size());
        break;
    }
    case LdbTypeDate: {
        std::int32_t julian = Read<std::int32_t>(buffer) + JulianDelta;
        if (def.Length == 4) {
            Write<std::int32_t>(p, julian);
        } else {
            char text[13] = {};
            std::uint16_t len = 13;
            CheckAdsResult(this, LdbConvertJulianToString(julian, text, &len));
            if (len > def.Length) RaiseLdbError(this, "Something's wrong with LDB date functions");
            std::memcpy(p, text, len);
        }
        break;
    }
    case LdbTypeString: {
        const char* text = static_cast<const char*>(buffer);
        std::size_t n = strnlen(text, static_cast<std::size_t>(field->DataSize()));
        std::memset(p, n == 0 && adt ? 0 : ' ', def.Length);
        std::memcpy(p, text, std::min<std::size_t>(n, def.Length));
        break;
    }
    case LdbTypeCompactDate: {
        char text[13] = {};
        std::uint16_t len = 13;
        CheckAdsResult(this, LdbConvertJulianToString(Read<std::int32_t>(buffer) + JulianDelta, text, &len));
        int year = std::atoi(std::string(text, 4).c_str());
        int month = std::atoi(std::string(text + 4, 2).c_str());
        int day = std::atoi(std::string(text + 6, 2).c_str());
        int packed = year * 2 + month / 8;
        p[0] = static_cast<char>(packed >> 8);
        p[1] = static_cast<char>(packed & 0xFF);
        p[2] = static_cast<char>((month % 8) * 32 + day);
        break;
    }
    case LdbTypeDouble:
    case LdbTypeCurDouble: std::memcpy(p, buffer, 8); break;
    case LdbTypeInteger:
    case LdbTypeAutoInc:
    case LdbTypeTime: std::memcpy(p, buffer, 4); break;
    case LdbTypeShort: std::memcpy(p, buffer, 2); break;
    case LdbTypeLongLong: std::memcpy(p, buffer, 8); break;
    case LdbTypeRaw: std::memcpy(p, buffer, def.Length); break;
    case LdbTypeTimeStamp: {
        const ldbtime::Stamp stamp = ldbtime::FromNative(Read<double>(buffer));
        Write<std::int32_t>(p, stamp.Julian);
        Write<std::int32_t>(p + 4, stamp.Milliseconds);
        break;
    }
    case LdbTypeMoney: {
        TBcd bcd;
        std::memcpy(&bcd, buffer, sizeof bcd);
        Int64 raw = 0;
        if (!BcdToCurrencyRaw(bcd, raw)) RaiseLdbError(this, "Numeric out of range.");
        Write<std::int64_t>(p, raw);
        break;
    }
    default: break;
    }
}

void TLdbDataSet::SetFieldData(TField* field, const void* buffer) {
    TDataSetState s = State();
    if (s != dsEdit && s != dsInsert && s != dsSetKey && s != dsCalcFields && s != dsFilter && s != dsNewValue &&
        s != dsInternalCalc)
        RaiseLdbError(this, "Dataset not in edit mode");
    if (s == dsSetKey && field->FieldNo() < 0 && !GetIsIndexField(field))
        DatabaseErrorFmt(DBConsts::SNotIndexField, {field->DisplayName()});
    TRecordBuffer record = StateBuffer();
    if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
        if (!record) return;
        char* at = record + recordSize_ + field->Offset();
        at[0] = buffer ? 1 : 0;
        if (buffer) std::memcpy(at + 1, buffer, static_cast<std::size_t>(field->DataSize()));
    } else {
        if (s == dsCalcFields) RaiseLdbError(this, "Dataset not in edit mode");
        if (field->ReadOnly() && s != dsSetKey && s != dsFilter)
            DatabaseErrorFmt(DBConsts::SFieldReadOnly, {field->DisplayName()});
        if (s == dsEdit || s == dsInsert) field->Validate(buffer);
        if (field->FieldNo() <= 0 || !record) return;
        TLceFieldDef& def = lceFieldDefs_[field->FieldNo() - 1];
        if (field->FieldKind() != fkInternalCalc) {
            if (s == dsEdit && !(def.Permissions & LdbColumnUpdate))
                CheckAdsResult(this, LdbSetLastError(5054, ("Update permission not granted on this field: " +
                                                            field->FieldName() + ".").c_str()));
            if (s == dsInsert && !(def.Permissions & LdbColumnInsert))
                CheckAdsResult(this, LdbSetLastError(5054, ("Insert permission not granted on this field: " +
                                                            field->FieldName() + ".").c_str()));
        }
        EncodeValue(def, field, record, buffer);
        if (s == dsSetKey) {
            KeyBuffer& key = keyBuffers_[keyBuffer_];
            std::uint16_t length = 1;
            if (field->DataType() == ftString)
                length = buffer ? static_cast<std::uint16_t>(strnlen(static_cast<const char*>(buffer), def.Length)) : 0;
            key.Lengths[static_cast<std::size_t>(field->FieldNo() - 1)] = length;
            key.Modified = true;
        } else {
            def.Modified = true;
        }
    }
    if (s != dsCalcFields && s != dsFilter && s != dsNewValue) DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

// ---------------------------------------------------------------- new records and defaults

void TLdbDataSet::InternalInitRecord(TRecordBuffer buffer) {
    CheckAdsResult(this, LdbClearRecordBuffer(cursor_, buffer, recordSize_));
    for (int i = 0; i < lceFieldDefs_.Count(); ++i) {
        TLceFieldDef& def = lceFieldDefs_[i];
        def.Modified = State() == dsEdit;
        if (def.EngineType == LdbTypeAutoInc) {
            Write<std::int32_t>(buffer + def.Offset, -1);
            continue;
        }
        if (IsBlobType(def.EngineType)) continue;
        TField* field = FindField(def.Name);
        if (!field || Trim(field->DefaultExpression()).empty()) continue;
        std::string expr = Trim(field->DefaultExpression());
        try {
            char native[sizeof(TBcd) + 8] = {};
            const void* value = native;
            std::string text;
            switch (def.EngineType) {
            case LdbTypeLogical: {
                std::string u = UpperCase(expr);
                Write<std::int16_t>(native, u == "TRUE" || u == "T" || u == ".T." || u == "1" ? -1 : 0);
                break;
            }
            case LdbTypeNumeric:
            case LdbTypeDouble:
            case LdbTypeCurDouble: {
                double d = StrToFloat(expr, PointSettings());
                if (field->DataType() == ftSmallint)
                    Write<std::int16_t>(native, static_cast<std::int16_t>(d));
                else
                    Write<double>(native, d);
                break;
            }
            case LdbTypeDate:
            case LdbTypeCompactDate:
                Write<std::int32_t>(native, static_cast<std::int32_t>(std::trunc(StrToDate(expr))) + DateDelta);
                break;
            case LdbTypeString:
                if (expr.size() < 2 || expr.front() != '\'' || expr.back() != '\'') continue;
                text = expr.substr(1, expr.size() - 2);
                value = text.c_str();
                break;
            case LdbTypeInteger:
            case LdbTypeShort: {
                Integer v = StrToInt(expr);
                if (v == std::numeric_limits<Integer>::min() ||
                    (def.EngineType == LdbTypeShort && (v > 32767 || v < -32767)))
                    throw ELdbDatabaseError(this, "Numeric out of range:" + expr, 0);
                if (def.EngineType == LdbTypeShort)
                    Write<std::int16_t>(native, static_cast<std::int16_t>(v));
                else
                    Write<std::int32_t>(native, v);
                break;
            }
            case LdbTypeTime: {
                TDateTime t = StrToTime(expr);
                Write<std::int32_t>(native, static_cast<std::int32_t>(RoundHalfEven(Frac(t) * MsPerDay)));
                break;
            }
            case LdbTypeTimeStamp: Write<double>(native, (StrToDateTime(expr) + DateDelta) * MsPerDay); break;
            default: continue;
            }
            EncodeValue(def, field, buffer, value);
            def.Modified = true;
        } catch (const ELdbDatabaseError&) {
            throw;
        } catch (const Exception& e) {
            throw ELdbDatabaseError(this, "Error setting default field value. (" + field->DisplayName() + ")\r\n" + e.Message, 0);
        }
    }
    TDataSetState s = State();
    if (s == dsBrowse || s == dsEdit || s == dsInsert || s == dsCalcFields || s == dsNewValue) ResetBlobCaches(buffer);
}

void TLdbDataSet::DoOnNewRecord() {
    if (State() == dsInsert && !(openOptions_ & LdbOpenInsertRight))
        CheckAdsResult(this, LdbSetLastError(5054, "Insert permission not granted on this table."));
    if (masterLink_->Active() && active_ != cursor_) {
        // A new detail record belongs to the master's current record.
        const auto& masterFields = masterLink_->Fields();
        for (std::size_t i = 0; i < masterFields.size(); ++i)
            if (TField* field = SegmentField(static_cast<int>(i) + 1)) field->SetAsVariant(masterFields[i]->AsVariant());
    }
    TDataSet::DoOnNewRecord();
}

// ---------------------------------------------------------------- editing

void TLdbDataSet::InternalEdit() {
    if (!(openOptions_ & LdbOpenUpdateRight))
        CheckAdsResult(this, LdbSetLastError(5054, "Update permission not granted on this table."));
    LdbResult r = LdbLockRecord(cursor_, static_cast<std::uint32_t>(RecordNumberOf(ActiveBuffer())));
    if (r == LdbErrStaticCursor) RaiseLdbError(this, "This table is based on a static VIEW. Static VIEWs can not be updated.", 5064);
    CheckAdsResult(this, r);
    FetchRecord(ActiveBuffer(), gmCurrent);
    oldRecord_.assign(ActiveBuffer(), ActiveBuffer() + recordSize_);
    oldRecord_.push_back(0);
    for (int i = 0; i < lceFieldDefs_.Count(); ++i) lceFieldDefs_[i].Modified = false;
}

void TLdbDataSet::InternalInsert() {
    SetRecordNumber(ActiveBuffer(), 0);
    oldRecord_.clear();
}

void TLdbDataSet::InternalCancel() {
    bool inserting = State() == dsInsert;
    LdbResult r = LdbCancelUpdate(cursor_);
    if (r != LdbErrRecordDeleted && r != LdbErrNoUpdatePending) CheckAdsResult(this, r);
    if (inserting) {
        if (GetBookmarkFlag(ActiveBuffer()) == bfEOF) {
            InternalLast();
            return;
        }
        int next = ActiveRecord() + 1;
        if (next < BufferedRecordCount()) {
            TBookmark bookmark;
            GetBookmarkData(Buffers(next), bookmark);
            std::uint32_t recno = 0;
            std::memcpy(&recno, bookmark.data(), std::min<std::size_t>(4, bookmark.size()));
            if (recno != 0) {
                LdbResult g = LdbGotoBookmark(cursor_, recno);
                if (g != LdbErrNoCurrentRecord) CheckAdsResult(this, g);
            }
        }
    }
    FetchRecord(ActiveBuffer(), gmCurrent);
    if (!inserting)
        CheckAdsResult(this, LdbUnlockRecord(cursor_, static_cast<std::uint32_t>(RecordNumberOf(ActiveBuffer()))));
}

void TLdbDataSet::InternalPost() {
    TDataSet::InternalPost();
    TRecordBuffer buffer = ActiveBuffer();
    bool editing = State() == dsEdit;
    if (editing) {
        CheckAdsResult(this, LdbGotoRecord(cursor_, static_cast<std::uint32_t>(RecordNumberOf(buffer))));
    } else if (RecordInfo(buffer)[4] == 0) {
        CheckAdsResult(this, LdbAppendRecord(cursor_));
        RecordInfo(buffer)[4] = 1;
        std::uint32_t recno = 0;
        CheckAdsResult(this, LdbGetRecordNum(cursor_, LdbIgnoreFilters, &recno));
        SetRecordNumber(buffer, static_cast<std::int32_t>(recno));
    }
    try {
        WriteModifiedFields(buffer);
    } catch (...) {
        // A refused update must not stay pending in the engine: the next
        // post moves to the record first, and that move would write the
        // refused values again before the corrected ones are set.
        if (editing) LdbCancelUpdate(cursor_);
        throw;
    }
    if (editing)
        CheckAdsResult(this, LdbUnlockRecord(cursor_, static_cast<std::uint32_t>(RecordNumberOf(buffer))));
}

void TLdbDataSet::WriteModifiedFields(TRecordBuffer buffer) {
    for (int i = lceFieldDefs_.Count() - 1; i >= 0; --i) {
        const TLceFieldDef& def = lceFieldDefs_[i];
        if (!def.Modified || IsBlobType(def.EngineType) || def.EngineType == LdbTypeAutoInc) continue;
        auto n = static_cast<std::uint32_t>(def.FieldNumber);
        const char* p = buffer + def.Offset;
        if (def.EngineType == LdbTypeString) {
            bool blank = def.Length > 0 && std::all_of(p, p + def.Length, [](char c) { return c == ' '; });
            if (blank)
                CheckAdsResult(this, LdbSetEmpty(cursor_, n));
            else
                CheckAdsResult(this, LdbSetField(cursor_, n, p, def.Length));
        } else {
            CheckAdsResult(this, LdbSetFieldRaw(cursor_, n, p, def.Length));
        }
    }
    for (int i = 0; i < lceFieldDefs_.Count(); ++i) {
        const TLceFieldDef& def = lceFieldDefs_[i];
        TLdbBlobCache* cache = BlobCache(buffer, def.BlobIndex);
        if (!cache || !cache->Modified()) continue;
        std::int32_t marker = cache->Size() != 0 ? -1 : 0;
        std::memcpy(buffer + def.Offset, &marker, sizeof marker);
        CheckAdsResult(this, LdbSetField(cursor_, static_cast<std::uint32_t>(def.FieldNumber), cache->Memory(),
                                         static_cast<std::uint32_t>(cache->Size())));
    }
    CheckAdsResult(this, LdbWriteRecord(cursor_));
}

void TLdbDataSet::InternalAddRecord(TRecordBuffer buffer, bool append) {
    if (buffer != ActiveBuffer()) RaiseLdbError(this, "Unexpected error in InternalAddRecord.");
    InternalPost();
}

void TLdbDataSet::InternalDelete() {
    LdbResult r = LdbDeleteRecord(cursor_);
    if (r == LdbSuccess) r = LdbWriteRecord(cursor_);
    if (r != LdbSuccess) {
        LdbCancelUpdate(cursor_);
        CheckAdsResult(this, r);
    }
    std::uint16_t shown = 0;
    CheckAdsResult(this, LdbGetDeleted(&shown));
    if (!shown) CheckAdsResult(this, LdbSkip(active_, 1));
}
