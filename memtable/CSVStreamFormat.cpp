#include "memtable/CSVStreamFormat.h"

#include <charconv>
#include <cstring>

#include "memtable/MemTable.h"
#include "platform/core/Format.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"
#include "platform/data/StdFields.h"

namespace {

const char* const kTypeNames[] = {
    "Unknown",  "String",      "SmallInt",   "Integer",  "Word",       "Boolean",  "Float",      "Currency",
    "BCD",      "Date",        "Time",       "DateTime", "Bytes",      "VarBytes", "AutoInc",    "Blob",
    "Memo",     "Graphic",     "FmtMemo",    "ParadoxOle", "dBaseOle", "TypedBinary", "Cursor",  "FixedChar",
    "WideString", "LargeInt",  "ADT",        "Array",    "Reference",  "DataSet",  "HugeBlob",   "HugeClob",
    "Variant",  "Interface",   "Dispatch",   "Guid",     "SQLTimeStamp", "FMTBcdField"};
const char* const kKindNames[] = {"Data", "Calculated", "Lookup", "InternalCalc", "Aggregate"};
constexpr int kTypeCount = sizeof(kTypeNames) / sizeof(kTypeNames[0]);

bool IsTextType(TFieldType t) {
    return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftFixedChar || t == ftOraClob;
}

bool IsBinaryType(TFieldType t) {
    switch (t) {
        case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle:
        case ftTypedBinary: case ftOraBlob:
            return true;
        default:
            return false;
    }
}

// Appends text enclosed in q with every q doubled (q == NUL: as it is).
void AppendQuoted(std::string& out, std::string_view text, char q) {
    if (q == '\0') {
        out.append(text);
        return;
    }
    out += q;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == q) {
            out.append(text.substr(start, i + 1 - start));
            out += q;
            start = i + 1;
        }
    out.append(text.substr(start));
    out += q;
}

// Appends the escaped form of text (EscapeText) without a temporary.
void AppendEscaped(std::string& out, std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* rep = nullptr;
        switch (text[i]) {
            case '\0': rep = "%0"; break;
            case '\n': rep = "%n"; break;
            case '\r': rep = "%c"; break;
            case '%': rep = "%%"; break;
            default: continue;
        }
        out.append(text.substr(start, i - start));
        out.append(rep, 2);
        start = i + 1;
    }
    out.append(text.substr(start));
}

bool NeedsEscape(std::string_view text) {
    for (char c : text)
        if (c == '\0' || c == '\n' || c == '\r' || c == '%') return true;
    return false;
}

// Whether one of items[from, to) is word: option words follow the quoted
// texts of a definition, so a name or label holding one stays text.
bool HasWord(const std::vector<std::string>& items, size_t from, size_t to, std::string_view word) {
    for (size_t i = from; i < to && i < items.size(); ++i)
        if (items[i] == word) return true;
    return false;
}

TFormatSettings FixedSettings() {
    TFormatSettings fs = DefaultFormatSettings();
    fs.DateSeparator = '/';
    fs.TimeSeparator = ':';
    fs.ThousandSeparator = ',';
    fs.DecimalSeparator = '.';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.CurrencyString = "";
    fs.CurrencyFormat = 0;
    fs.NegCurrFormat = 1;
    return fs;
}

}  // namespace

const char* qmtFieldTypeName(TFieldType type) {
    int i = static_cast<int>(type);
    return i >= 0 && i < kTypeCount ? kTypeNames[i] : "Unknown";
}

const char* qmtFieldKindName(TFieldKind kind) {
    int i = static_cast<int>(kind);
    return i >= 0 && i < 5 ? kKindNames[i] : "Data";
}

TqmtCustomCSVStreamFormat::TqmtCustomCSVStreamFormat(TComponent* owner) : TqmtCustomStreamFormat(owner) {}

void TqmtCustomCSVStreamFormat::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TqmtCustomCSVStreamFormat*>(source)) {
        CSVQuote = s->CSVQuote;
        SetCSVFieldDelimiter(s->CSVFieldDelimiter());
        CSVRecordDelimiter = s->CSVRecordDelimiter;
        CSVTrueString = s->CSVTrueString;
        CSVFalseString = s->CSVFalseString;
        sfLocalFormat = s->sfLocalFormat;
        sfPlaceHolders = s->sfPlaceHolders;
    }
    TqmtCustomStreamFormat::Assign(source);
}

// ---- saving -----------------------------------------------------------------------

void TqmtCustomCSVStreamFormat::BeginSave(TqmtCustomMemTable* table) {
    if (sfDeltas & sfSave) throw EMemTableError(qmtmsg::DeltasBinaryOnly);
    settings_ = (sfLocalFormat & sfSave) ? DefaultFormatSettings() : FixedSettings();
    out_.clear();
    TqmtCustomStreamFormat::BeginSave(table);
}

void TqmtCustomCSVStreamFormat::EndSave(TqmtCustomMemTable* table) {
    try {
        Flush(true);
    } catch (...) {
        out_.clear();
        TqmtCustomStreamFormat::EndSave(table);
        throw;
    }
    TqmtCustomStreamFormat::EndSave(table);
}

void TqmtCustomCSVStreamFormat::Flush(bool force) {
    if (out_.empty() || (!force && out_.size() < 65536)) return;
    WorkStream()->WriteBuffer(out_.data(), static_cast<Integer>(out_.size()));
    out_.clear();
}

void TqmtCustomCSVStreamFormat::WriteDefinition(TqmtCustomMemTable* table) {
    const char q = CSVQuote;
    const std::string crlf = "\r\n";
    if (sfDef & sfSave) {
        AppendQuoted(out_, "@@FILE VERSION@@", q);
        out_ += fieldDelimiter_;
        AppendQuoted(out_, "251", q);
        out_ += crlf;
        AppendQuoted(out_, "@@TABLEDEF START@@", q);
        out_ += crlf;
        for (int i = 0; i < table->FieldCount(); ++i) {
            if (saveFieldMap_[static_cast<size_t>(i)] < 0 && !(sfPlaceHolders & sfSave)) continue;
            TField* f = table->Fields()[i];
            std::string def = f->FieldName() + "=" + qmtFieldTypeName(f->DataType()) + "," +
                              std::to_string(f->Size()) + "," + QuoteValue(f->DisplayName(), '"') + "," +
                              QuoteValue("", '"') + "," + std::to_string(f->DisplayWidth());
            if (f->Required()) def += ",REQ";
            if (f->ReadOnly()) def += ",RO";
            if (!f->Visible()) def += ",INV";
            def += std::string(",") + ((sfFieldKind & sfSave) ? qmtFieldKindName(f->FieldKind()) : "Data");
            def += "," + QuoteValue(f->DefaultExpression(), '"');
            AppendQuoted(out_, def, q);
            out_ += crlf;
        }
        if (sfIndexDef & sfSave) {
            AppendQuoted(out_, "@@INDEXDEF START@@", q);
            out_ += crlf;
            TIndexDefs& defs = table->IndexDefs();
            for (int i = 0; i < defs.Count(); ++i) {
                TIndexDef* d = defs[i];
                // The reader ends the leading name at its first '=' and takes
                // the quoted name that follows, so the leading copy drops '='.
                std::string key = d->Name();
                std::erase(key, '=');
                std::string line = key + "=" + QuoteValue(d->Fields(), q) + "," + QuoteValue(d->Name(), q);
                if (d->Options() & ixDescending) line += ",DESC";
                if (d->Options() & ixCaseInsensitive) line += ",CASE";
                if (d->Options() & ixNonMaintained) line += ",NONMT";
                if (d->Options() & ixUnique) line += ",UNIQ";
                AppendQuoted(out_, line, q);
                out_ += crlf;
            }
            AppendQuoted(out_, "@@INDEXDEF END@@", q);
            out_ += crlf;
        }
        AppendQuoted(out_, "@@TABLEDEF END@@", q);
        out_ += crlf;
    }
    if (!(sfNoHeader & sfSave)) {
        bool first = true;
        for (int i = 0; i < table->FieldCount(); ++i) {
            if (saveFieldMap_[static_cast<size_t>(i)] < 0 && !(sfPlaceHolders & sfSave)) continue;
            if (!first) out_ += fieldDelimiter_;
            first = false;
            AppendQuoted(out_, table->Fields()[i]->DisplayName(), q);
        }
        if (CSVRecordDelimiter != '\0') out_ += CSVRecordDelimiter;
        out_ += crlf;
    }
    Flush(false);
}

void TqmtCustomCSVStreamFormat::WriteValue(TqmtCustomMemTable* table, TField* field, std::string& out) {
    const TFieldType type = field->DataType();
    bool null = false;
    std::string text;
    TqmtCommon& store = table->Store();
    TqmtRecord* row = table->OverrideRow();
    const int no = field->FieldNo();
    const bool fixed = field->FieldKind() == fkData && no > 0 && !store.IsOutOfLine(no);
    const bool quoteIt = !(sfQuoteOnlyStrings & sfSave) || IsTextType(type) || IsBinaryType(type);
    if (fixed && (type == ftString || type == ftFixedChar) && !OnFormatSaveField) {
        // Straight from the row: the common case of short text fields.
        const Byte* p = store.FieldValuePointer(row, no);
        if (p[0] == qmtNull) return;
        std::string_view v(reinterpret_cast<const char*>(p + 1),
                           strnlen(reinterpret_cast<const char*>(p + 1), static_cast<size_t>(store.FieldValueSize(no))));
        if (!NeedsEscape(v)) {
            AppendQuoted(out, v, quoteIt ? CSVQuote : '\0');
            return;
        }
        std::string escaped;
        AppendEscaped(escaped, v);
        AppendQuoted(out, escaped, quoteIt ? CSVQuote : '\0');
        return;
    }
    if (field->IsNull()) {
        null = true;
    } else if (IsTextType(type)) {
        AppendEscaped(text, field->AsString());
    } else if (IsBinaryType(type)) {
        text = EncodeSixBit(field->AsString());
    } else {
        switch (type) {
            case ftBoolean: text = field->AsBoolean() ? CSVTrueString : CSVFalseString; break;
            case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: {
                char buf[24];
                auto r = std::to_chars(buf, buf + sizeof buf, field->AsLargeInt());
                text.assign(buf, r.ptr);
                break;
            }
            case ftFloat: case ftCurrency: text = FloatToStr(field->AsFloat(), settings_); break;
            case ftBCD: case ftFMTBcd: {
                Int64 raw = 0;
                auto* bcd = dynamic_cast<TBCDField*>(field);
                if (bcd && bcd->GetValue(raw))
                    text = CurrToStr(Currency::FromRaw(raw), settings_);
                else
                    text = FloatToStr(field->AsFloat(), settings_);
                break;
            }
            case ftDate: text = DateToStr(field->AsDateTime(), settings_); break;
            case ftTime: text = TimeToStr(field->AsDateTime(), settings_); break;
            case ftDateTime: case ftTimeStamp: text = DateTimeToStr(field->AsDateTime(), settings_); break;
            default: text = field->AsString(); break;
        }
    }
    if (OnFormatSaveField) OnFormatSaveField(this, field, null, text);
    if (null) return;
    AppendQuoted(out, text, quoteIt ? CSVQuote : '\0');
}

void TqmtCustomCSVStreamFormat::WriteRows(TqmtCustomMemTable* table) {
    if (!(sfData & sfSave)) return;
    int saved = 0;
    table->SetSavedCount(0);
    table->SetSavedCompletely(true);
    table->EnsureCurrentIndex();
    const int count = table->CurrentCount();
    const int limit = table->SaveLimit();
    const bool placeholders = (sfPlaceHolders & sfSave) != 0;
    std::vector<TField*> fields(table->Fields().List());
    TqmtRecord* previous = table->OverrideRow();
    try {
        for (int p = 0; p < count; ++p) {
            if (limit > 0 && saved >= limit) {
                table->SetSavedCompletely(false);
                break;
            }
            if (p % 100 == 0) table->DoProgress(static_cast<int>(static_cast<long long>(p) * 100 / count), mtpcSave);
            TqmtRecord* row = table->RowAt(p);
            table->SetOverrideRow(row);
            table->CalcFieldsOf(row);
            if (!table->IsRowVisible(row, false)) continue;
            bool accept = true;
            if (table->OnSaveRecord) table->OnSaveRecord(table, accept);
            if (!accept) continue;
            bool first = true;
            for (size_t i = 0; i < fields.size(); ++i) {
                const bool mapped = saveFieldMap_[i] >= 0;
                if (!mapped && !placeholders) continue;
                if (!first) out_ += fieldDelimiter_;
                first = false;
                if (!mapped) continue;
                if (table->OnSaveField) table->OnSaveField(table, static_cast<int>(i), fields[i]);
                WriteValue(table, fields[i], out_);
            }
            if (CSVRecordDelimiter != '\0') out_ += CSVRecordDelimiter;
            out_ += "\r\n";
            ++saved;
            table->SetSavedCount(saved);
            Flush(false);
        }
    } catch (...) {
        table->SetOverrideRow(previous);
        throw;
    }
    table->SetOverrideRow(previous);
}

// ---- reading lines and fields ------------------------------------------------------

bool TqmtCustomCSVStreamFormat::FillReadBuffer() {
    if (atEnd_) return false;
    Integer n = WorkStream()->Read(buffer_.data(), static_cast<Integer>(buffer_.size()));
    bufferPos_ = 0;
    bufferLen_ = n > 0 ? static_cast<size_t>(n) : 0;
    if (n <= 0) {
        atEnd_ = true;
        return false;
    }
    ++fills_;
    return true;
}

bool TqmtCustomCSVStreamFormat::ReadLine() {
    line_.clear();
    pos_ = 0;
    bool any = false;
    for (;;) {
        if (bufferPos_ >= bufferLen_ && !FillReadBuffer()) break;
        const char* start = buffer_.data() + bufferPos_;
        const char* end = buffer_.data() + bufferLen_;
        const char* p = start;
        while (p < end && *p != '\r' && *p != '\n' && *p != '\0') ++p;
        line_.append(start, static_cast<size_t>(p - start));
        any = true;
        bufferPos_ = static_cast<size_t>(p - buffer_.data());
        if (p < end) {
            // Skip the whole run of line-break characters.
            for (;;) {
                while (bufferPos_ < bufferLen_ &&
                       (buffer_[bufferPos_] == '\r' || buffer_[bufferPos_] == '\n' || buffer_[bufferPos_] == '\0'))
                    ++bufferPos_;
                if (bufferPos_ < bufferLen_ || !FillReadBuffer()) break;
            }
            break;
        }
    }
    haveLine_ = any;
    return any;
}

std::string TqmtCustomCSVStreamFormat::NextField(bool& null) {
    null = false;
    const char q = CSVQuote;
    const char fd = fieldDelimiter_;
    const size_t n = line_.size();
    if (pos_ >= n) {
        null = true;
        return {};
    }
    if (q != '\0') {
        if (line_[pos_] == q) {
            std::string v;
            size_t i = pos_ + 1;
            size_t lastQuoteEnd = std::string::npos;  // length of v after the last quote read
            for (;;) {
                if (i >= n) {
                    // No closing quote: what followed the last quote is dropped.
                    if (lastQuoteEnd != std::string::npos) v.resize(lastQuoteEnd);
                    else v.clear();
                    pos_ = n;
                    return v;
                }
                size_t next = i;
                while (next < n && line_[next] != q) ++next;
                if (next == n) next = std::string::npos;
                if (next == std::string::npos) {
                    v.append(line_, i, n - i);
                    i = n;
                    continue;
                }
                v.append(line_, i, next - i);
                if (next + 1 < n && line_[next + 1] == q) {
                    v += q;
                    lastQuoteEnd = v.size();
                    i = next + 2;
                    continue;
                }
                // Closing quote; the character after it is skipped.
                pos_ = next + 2 > n ? n : next + 2;
                return v;
            }
        }
        if (line_[pos_] == fd) {
            ++pos_;
            null = true;
            return {};
        }
        size_t next = pos_;
        while (next < n && line_[next] != fd) ++next;
        std::string v = line_.substr(pos_, next - pos_);
        pos_ = next < n ? next + 1 : n;
        return v;
    }
    const char rd = CSVRecordDelimiter;
    size_t i = pos_;
    while (i < n && line_[i] != fd && (rd == '\0' || line_[i] != rd)) ++i;
    std::string v = line_.substr(pos_, i - pos_);
    pos_ = i < n ? i + 1 : n;
    null = v.empty();
    return v;
}

// ---- loading ------------------------------------------------------------------------

void TqmtCustomCSVStreamFormat::BeginLoad(TqmtCustomMemTable* table) {
    settings_ = (sfLocalFormat & sfLoad) ? DefaultFormatSettings() : FixedSettings();
    buffer_.assign(8192, '\0');
    bufferPos_ = bufferLen_ = 0;
    fills_ = 0;
    reportedFills_ = 0;
    atEnd_ = false;
    line_.clear();
    pos_ = 0;
    haveLine_ = false;
    defsLoaded_ = false;
    TqmtCustomStreamFormat::BeginLoad(table);
    streamSize_ = WorkStream()->Size() - WorkStream()->Position();
}

void TqmtCustomCSVStreamFormat::EndLoad(TqmtCustomMemTable* table) {
    buffer_.clear();
    buffer_.shrink_to_fit();
    line_.clear();
    TqmtCustomStreamFormat::EndLoad(table);
}

void TqmtCustomCSVStreamFormat::ReadFieldNames(TqmtCustomMemTable* table, bool loading,
                                               std::vector<std::string>& names) {
    names.clear();
    if (loading && !line_.empty() && !(sfNoHeader & sfLoad)) {
        pos_ = 0;
        while (LineHasMore()) {
            bool null;
            names.push_back(NextField(null));
        }
        pos_ = 0;
        return;
    }
    TqmtCustomStreamFormat::ReadFieldNames(table, loading, names);
}

int TqmtCustomCSVStreamFormat::MatchFieldName(TqmtCustomMemTable* table, const std::string& name) {
    for (int i = 0; i < table->FieldCount(); ++i)
        if (SameText(table->Fields()[i]->DisplayName(), name)) return i;
    return -1;
}

void TqmtCustomCSVStreamFormat::ReadDefinitionLine(TqmtCustomMemTable* table, bool index) {
    const std::string whole = UnquoteValue(line_, CSVQuote);
    const size_t eq = whole.find('=');
    const std::string name = eq == std::string::npos ? whole : whole.substr(0, eq);
    const std::string rest = eq == std::string::npos ? std::string() : whole.substr(eq + 1);
    TStringList items;
    items.SetCommaText(rest);
    auto item = [&](int i) { return i < items.Count() ? items[i] : std::string(); };
    std::vector<std::string> parts;
    for (int i = 0; i < items.Count(); ++i) parts.push_back(items[i]);
    if (index) {
        // Fields, name, then the option words.
        TIndexOptions options = 0;
        if (HasWord(parts, 2, parts.size(), "CASE")) options |= ixCaseInsensitive;
        if (HasWord(parts, 2, parts.size(), "DESC")) options |= ixDescending;
        if (HasWord(parts, 2, parts.size(), "UNIQ")) options |= ixUnique;
        if (HasWord(parts, 2, parts.size(), "NONMT")) options |= ixNonMaintained;
        // A definition the table could not build is refused as it is read,
        // not only when the section's end builds the indexes.
        if (SplitFieldNames(item(0)).empty() || (name.empty() && item(1).empty())) throw EMemTableError(qmtmsg::MissingIndexFields);
        TIndexDef* d = table->IndexDefs().Add(name, item(0), options);
        if (!item(1).empty()) d->SetName(item(1));
        return;
    }
    // Type, size, label, an empty text and width; then the flag words, the
    // kind and (last, when there are more than six items) the default.
    const size_t flagsEnd = parts.size() > 6 ? parts.size() - 1 : parts.size();
    const bool required = HasWord(parts, 5, flagsEnd, "REQ");
    const bool readOnly = HasWord(parts, 5, flagsEnd, "RO");
    const bool invisible = HasWord(parts, 5, flagsEnd, "INV");
    std::string defaultExpr;
    if (parts.size() > 6) {
        defaultExpr = parts.back();
        parts.pop_back();
    }
    std::string kindName = parts.size() >= 6 ? parts.back() : "Data";
    const std::string typeName = parts.empty() ? std::string() : parts[0];
    int type = -1;
    for (int i = 0; i < kTypeCount; ++i)
        if (typeName == kTypeNames[i]) type = i;
    if (type < 0 || !TqmtCommon::IsSupportedType(static_cast<TFieldType>(type)))
        throw EMemTableError(Format(qmtmsg::UnknownCsvType, {typeName, whole}));
    int kind = 0;
    for (int i = 0; i < 5; ++i)
        if (kindName == kKindNames[i]) kind = i;
    const int size = parts.size() > 1 && !parts[1].empty() ? StrToInt(parts[1]) : 0;
    const int width = parts.size() > 4 && !parts[4].empty() ? StrToInt(parts[4]) : 0;
    TFieldDef* def = table->FieldDefs().Add(name, static_cast<TFieldType>(type), size, required);
    TField* f = def->CreateField(nullptr);
    if (f->DataSet() == nullptr) f->SetDataSet(table);
    f->SetFieldKind(static_cast<TFieldKind>(kind));
    if (kind != 0) table->FieldDefs().Delete(table->FieldDefs().Count() - 1);
    if (parts.size() > 2) f->SetDisplayLabel(parts[2]);
    f->SetReadOnly(readOnly);
    if (width > 0) f->SetDisplayWidth(width);
    f->SetDefaultExpression(defaultExpr);
    f->SetVisible(!invisible);
}

void TqmtCustomCSVStreamFormat::ReadDefinition(TqmtCustomMemTable* table) {
    if (streamSize_ <= 0) return;
    const bool loadDef = (sfDef & sfLoad) != 0;
    enum { kOutside, kTable, kIndex } where = kOutside;
    // However the index section is left (its end line, another section's
    // line or the end of the text), its indexes are built there, so what
    // loads is what a saved copy, which always closes the section, loads.
    auto leaveIndex = [&] {
        if (loadDef && where == kIndex) table->SyncIndexesWithDefs();
    };
    while (ReadLine(), !line_.empty()) {
        bool null;
        const std::string key = NextField(null);
        if (key == "@@FILE VERSION@@") {
            NextField(null);
            continue;
        }
        if (key == "@@TABLEDEF START@@") {
            leaveIndex();
            where = kTable;
            if (loadDef) {
                table->DropFields();
                table->FieldDefs().Clear();
            }
            continue;
        }
        if (key == "@@TABLEDEF END@@") {
            leaveIndex();
            where = kOutside;
            if (loadDef) table->Open();
            continue;
        }
        if (key == "@@INDEXDEF START@@") {
            where = kIndex;
            if (loadDef) {
                table->IndexDefs().Clear();
                table->SyncIndexesWithDefs();
            }
            continue;
        }
        if (key == "@@INDEXDEF END@@") {
            where = kTable;
            if (loadDef) table->SyncIndexesWithDefs();
            continue;
        }
        if (where == kOutside) {
            pos_ = 0;  // the header or the first row
            return;
        }
        if (loadDef) ReadDefinitionLine(table, where == kIndex);
    }
    leaveIndex();
}

void TqmtCustomCSVStreamFormat::LoadValue(TqmtCustomMemTable* table, TField* field, bool null, std::string& text) {
    (void)table;
    if (null) {
        field->Clear();
        return;
    }
    const TFieldType type = field->DataType();
    if (IsTextType(type)) {
        bool escaped = false;
        for (char c : text)
            if (c == '%') {
                escaped = true;
                break;
            }
        const std::string value = escaped ? UnescapeText(text) : text;
        field->SetAsString(value);
        // A fixed-size text field ends its text at a NUL: what would follow
        // it is refused with the load rather than dropped unseen.
        if (value.find('\0') != std::string::npos && field->AsString() != value)
            throw EMemTableError(Format(qmtmsg::CsvNulInText, {field->FieldName()}));
    } else if (IsBinaryType(type)) {
        field->SetAsString(DecodeSixBit(text));
    } else {
        switch (type) {
            case ftBoolean: field->SetAsBoolean(text == CSVTrueString); break;
            case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
                field->SetAsLargeInt(StrToInt64(Trim(text)));
                break;
            case ftFloat: case ftCurrency: field->SetAsFloat(StrToFloat(text, settings_)); break;
            case ftBCD: case ftFMTBcd: field->SetAsFloat(StrToCurr(text, settings_).ToDouble()); break;
            case ftDate: field->SetAsDateTime(StrToDate(text, settings_)); break;
            case ftTime: field->SetAsDateTime(StrToTime(text, settings_)); break;
            case ftDateTime: case ftTimeStamp: field->SetAsDateTime(StrToDateTime(text, settings_)); break;
            default: field->SetAsString(text); break;
        }
    }
}

void TqmtCustomCSVStreamFormat::ReadRows(TqmtCustomMemTable* table) {
    if (streamSize_ <= 0 || !(sfData & sfLoad)) return;
    if (!table->Active()) table->Open();
    table->ResetAutoInc();
    int loaded = 0;
    table->SetLoadedCount(0);
    table->SetLoadedCompletely(true);
    const int limit = table->LoadLimit();
    bool first = true;
    std::vector<TField*> targets;
    for (int i : loadFieldMap_) targets.push_back(i >= 0 ? table->Fields()[i] : nullptr);
    const bool allKinds = (sfFieldKind & sfLoad) != 0;
    std::string text;
    for (;;) {
        if (limit > 0 && loaded >= limit) {
            table->SetLoadedCompletely(false);
            break;
        }
        if (first && (sfNoHeader & sfLoad)) {
            pos_ = 0;
        } else {
            ReadLine();
        }
        first = false;
        if (line_.empty()) break;
        if (fills_ >= reportedFills_ + 100 && streamSize_ > 0) {
            reportedFills_ = fills_;
            table->DoProgress(static_cast<int>(WorkStream()->Position() * 100 / WorkStream()->Size()), mtpcLoad);
        }
        table->Append();
        try {
            for (size_t i = 0; i < targets.size() && LineHasMore(); ++i) {
                bool null;
                text = NextField(null);
                TField* f = targets[i];
                if (!f || !(allKinds || f->FieldKind() == fkData)) continue;
                if (OnFormatLoadField) OnFormatLoadField(this, f, null, text);
                LoadValue(table, f, null, text);
                if (table->OnLoadField) table->OnLoadField(table, loadFieldMap_[i], f);
            }
            bool accept = true;
            if (table->OnLoadRecord) table->OnLoadRecord(table, accept);
            if (!accept) {
                table->Cancel();
                continue;
            }
            table->Post();
        } catch (...) {
            if (table->State() == dsInsert) table->Cancel();
            throw;
        }
        table->SetLoadedCount(++loaded);
    }
}
