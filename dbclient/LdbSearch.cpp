// TLdbDataSet: the Filter handed to the engine, FindFirst/FindNext/...,
// Locate and Lookup.

#include <cstring>
#include <vector>

#include "dbclient/LdbDataSet.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"

namespace {

// The index of the ")" that closes the "(" at open, passing over quoted
// text and square brackets; npos when there is none.
std::size_t MatchingParen(const std::string& s, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"' || c == '\'' || c == '[') {
            std::size_t end = s.find(c == '[' ? ']' : c, i + 1);
            if (end == std::string::npos) return std::string::npos;
            i = end;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

std::string LdbRewriteFilter(const std::string& filter, bool& exact) {
    exact = true;
    std::string out;
    bool inLiteral = false;
    char quote = 0;
    std::size_t literalStart = 0;
    std::size_t i = 0;
    while (i < filter.size()) {
        if (i + 8 < filter.size() && UpperCase(filter.substr(i, 8)) == "CONTAINS") {
            std::size_t j = i + 8;
            while (j < filter.size() && filter[j] == ' ') ++j;
            if (j < filter.size() && filter[j] == '(') {
                std::size_t close = MatchingParen(filter, j);
                std::size_t next = close == std::string::npos ? j + 1 : close + 1;
                out += filter.substr(i, next - i);
                i = next;
                continue;
            }
        }
        char c = filter[i];
        if (!inLiteral && (c == '"' || c == '\'')) {
            inLiteral = true;
            quote = c;
            out += c;
            literalStart = out.size();
            ++i;
            continue;
        }
        if (inLiteral && c == '*' && i + 1 < filter.size() && filter[i + 1] == quote) {
            std::string content = out.substr(literalStart) + '*';
            if (content.find_first_not_of('*') != std::string::npos) {
                exact = false;
                out += quote;
                inLiteral = false;
                i += 2;
                continue;
            }
        } else if (inLiteral && c == quote) {
            inLiteral = false;
        }
        out += c;
        ++i;
    }
    return out;
}

std::uint16_t TLdbDataSet::AofOptions() const {
    std::uint16_t kind = tableOptions_->LdbAOFType == atKeySet ? 4 : (tableOptions_->LdbAOFType == atFixed ? 8 : 0);
    return static_cast<std::uint16_t>(kind + (tableOptions_->LdbAOFResolveImmediate ? 1 : 2));
}

void TLdbDataSet::ActivateFilter() {
    if (Filter().empty()) {
        DeactivateFilter();
        return;
    }
    std::string text = Filter();
    if (TableType() == LdbTableAdt) {
        std::vector<char> buffer(Filter().size() + 51);
        auto len = static_cast<std::uint16_t>(std::min<std::size_t>(buffer.size(), 65535));
        CheckAdsResult(this, LdbExpressionLongToShort(cursor_, Filter().c_str(), buffer.data(), &len));
        text.assign(buffer.data(), len);
    }
    bool exact = true;
    text = LdbRewriteFilter(text, exact);
    if (TableType() == LdbTableAdt) {
        std::vector<char> buffer(text.size() + 52);
        auto len = static_cast<std::uint16_t>(std::min<std::size_t>(buffer.size(), 65535));
        CheckAdsResult(this, LdbExpressionShortToLong(cursor_, text.c_str(), buffer.data(), &len));
        text.assign(buffer.data(), len);
    }
    CheckAdsResult(this, LdbSetExact22(cursor_, exact ? 1 : 0));
    if (tableOptions_->LdbOptimizedFilters())
        CheckAdsResult(this, LdbSetAOF(cursor_, text.c_str(), AofOptions()));
    else
        CheckAdsResult(this, LdbSetFilter(cursor_, text.c_str()));
}

void TLdbDataSet::DeactivateFilter() {
    LdbResult r = tableOptions_->LdbOptimizedFilters() ? LdbClearAOF(cursor_) : LdbClearFilter(cursor_);
    if (r != LdbErrNoFilter) CheckAdsResult(this, r);
}

void TLdbDataSet::SetFiltered(bool value) {
    TDataSet::SetFiltered(value);
    if (!IsCursorOpen()) return;
    if (value)
        ActivateFilter();
    else
        DeactivateFilter();
    if (Active()) First();
}

void TLdbDataSet::SetFilterText(const std::string& value) {
    TDataSet::SetFilterText(value);
    if (Active() && Filtered()) {
        ActivateFilter();
        // The records shown follow the new filter at once.
        First();
    }
}

bool TLdbDataSet::FindRecord(bool restart, bool goForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    SetFound(false);
    UpdateCursorPos();
    CursorPosChanged();
    bool temporary = !Filtered();
    if (temporary) ActivateFilter();
    std::uint16_t atEnd = 1, atStart = 1;
    try {
        if (goForward) {
            CheckAdsResult(this, restart ? LdbGotoTop(active_) : LdbSkip(active_, 1));
        } else {
            CheckAdsResult(this, restart ? LdbGotoBottom(active_) : LdbSkip(active_, -1));
        }
        CheckAdsResult(this, LdbAtEOF(cursor_, &atEnd));
        CheckAdsResult(this, LdbAtBOF(cursor_, &atStart));
    } catch (...) {
        if (temporary) DeactivateFilter();
        throw;
    }
    if (temporary) DeactivateFilter();
    if (atEnd || atStart) return false;
    Resync(rmExact | rmCenter);
    SetFound(true);
    DoAfterScroll();
    return true;
}

std::string TLdbDataSet::BuildFilterString(const std::vector<TField*>& fields, bool caseInsensitive) {
    if (State() != dsFilter) RaiseLdbError(this, "Internal Error, << BuildFilterString >>");
    std::string expression;
    for (TField* field : fields) {
        std::string term;
        const std::string& name = field->FieldName();
        if (field->IsNull()) {
            term = "(empty(" + name + "))";
        } else {
            std::uint16_t type = field->FieldNo() > 0 ? lceFieldDefs_[field->FieldNo() - 1].EngineType : 0;
            std::string value;
            switch (type) {
            case LdbTypeLogical: value = field->AsBoolean() ? ".TRUE." : ".FALSE."; break;
            case LdbTypeDate:
            case LdbTypeCompactDate:
                value = "ctod(\"" + FormatDateTime("yyyy-mm-dd", field->AsDateTime()) + "\")";
                break;
            case LdbTypeTime: value = "ctot(\"" + FormatDateTime("hh:nn:ss.zzz", field->AsDateTime()) + "\")"; break;
            case LdbTypeTimeStamp:
                value = "ctots(\"" + FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", field->AsDateTime()) + "\")";
                break;
            case LdbTypeString: {
                std::string text = field->AsString();
                std::string quoted;
                for (char c : text) quoted += c == '"' ? std::string("\" + Chr(34) + \"") : std::string(1, c);
                value = "\"" + quoted + "\"";
                break;
            }
            default: value = field->AsString(); break;
            }
            if (type == LdbTypeString && caseInsensitive)
                term = "(UPPER(" + name + ")=UPPER(" + value + "))";
            else
                term = "(" + name + "=" + value + ")";
        }
        expression += (expression.empty() ? "" : " AND ") + term;
    }
    return expression;
}

bool TLdbDataSet::KeySearch(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, keyFields);
    std::vector<Variant> values;
    if (fields.size() == 1)
        values.push_back(keyValues.IsArray() ? keyValues[keyValues.LowBound()] : keyValues);
    else if (keyValues.IsArray())
        for (int i = keyValues.LowBound(); i <= keyValues.HighBound(); ++i) values.push_back(keyValues[i]);
    if (values.size() != fields.size()) RaiseLdbError(this, "The number of key values does not match the key fields.");

    // The key values as the fields hold them, in a record of their own.
    std::string expression;
    LdbHandle index = 0;
    std::uint16_t seekFound = 0;
    TRecordBuffer buffer = AllocRecordBuffer();
    TDataSetState saved = SetTempState(dsFilter);
    TRecordBuffer savedFilter = filterBuffer_;
    filterBuffer_ = buffer;
    try {
        CheckAdsResult(this, LdbClearRecordBuffer(cursor_, buffer, recordSize_));
        for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(values[i]);
        std::string lastSegment;
        if (!(options & loCaseInsensitive)) index = IndexForKey(fields, lastSegment);
        if (index) {
            // Seek on an index whose leading segments are the key fields.
            CheckAdsResult(this, LdbInitRawKey(index));
            for (TField* field : fields) {
                const TLceFieldDef& def = lceFieldDefs_[field->FieldNo() - 1];
                auto n = static_cast<std::uint32_t>(def.FieldNumber);
                const char* p = buffer + def.Offset;
                if (field->IsNull()) {
                    CheckAdsResult(this, LdbSetEmpty(index, n));
                } else if (def.EngineType == LdbTypeString) {
                    std::uint32_t len = def.Length;
                    if ((options & loPartialKey) && SameText(field->FieldName(), lastSegment)) {
                        len = static_cast<std::uint32_t>(strnlen(p, def.Length));
                        while (len > 0 && p[len - 1] == ' ') --len;
                    }
                    CheckAdsResult(this, LdbSetField(index, n, p, len));
                } else {
                    CheckAdsResult(this, LdbSetFieldRaw(index, n, p, def.Length));
                }
            }
            char key[257];
            std::uint16_t keyLength = sizeof key;
            CheckAdsResult(this, LdbBuildRawKey(index, key, &keyLength));
            CheckAdsResult(this, LdbSeek(index, key, keyLength, 1, 1, &seekFound));
        } else {
            expression = BuildFilterString(fields, (options & loCaseInsensitive) != 0);
        }
    } catch (...) {
        filterBuffer_ = savedFilter;
        RestoreState(saved);
        FreeRecordBuffer(buffer);
        CursorPosChanged();
        throw;
    }
    filterBuffer_ = savedFilter;
    RestoreState(saved);
    FreeRecordBuffer(buffer);
    if (index) {
        CursorPosChanged();
        return seekFound != 0;
    }

    // A temporary filter of the key values, joined with the one in force.
    std::string oldAof;
    bool hadAof = false;
    std::uint16_t len = 0;
    LdbResult r = LdbGetAOF(cursor_, nullptr, &len);
    if (r == LdbErrInsufficientBuffer) {
        std::vector<char> text(len + 1u, '\0');
        std::uint16_t room = static_cast<std::uint16_t>(text.size());
        CheckAdsResult(this, LdbGetAOF(cursor_, text.data(), &room));
        oldAof.assign(text.data(), room);
        hadAof = true;
    } else if (r != LdbErrNoFilter) {
        CheckAdsResult(this, r);
    }
    std::uint16_t oldExact = 1;
    CheckAdsResult(this, LdbGetExact22(cursor_, &oldExact));
    if (hadAof) expression += " AND (" + oldAof + ")";
    std::uint16_t atEnd = 1;
    auto restore = [&] {
        LdbSetExact22(cursor_, oldExact);
        if (hadAof)
            LdbSetAOF(cursor_, oldAof.c_str(), AofOptions());
        else
            LdbClearAOF(cursor_);
    };
    try {
        CheckAdsResult(this, LdbSetExact22(cursor_, (options & loPartialKey) ? 0 : 1));
        CheckAdsResult(this, LdbSetAOF(cursor_, expression.c_str(), 2));
        CheckAdsResult(this, LdbGotoTop(active_));
        CheckAdsResult(this, LdbAtEOF(cursor_, &atEnd));
    } catch (...) {
        restore();
        CursorPosChanged();
        throw;
    }
    restore();
    if (atEnd) CursorPosChanged();
    return !atEnd;
}

bool TLdbDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) {
    DoBeforeScroll();
    bool found = KeySearch(keyFields, keyValues, options);
    SetFound(found);
    if (found) {
        Resync(rmExact | rmCenter);
        DoAfterScroll();
    }
    return found;
}

Variant TLdbDataSet::Lookup(const std::string& keyFields, const Variant& keyValues, const std::string& resultFields) {
    Variant result = Null();
    if (VarIsNull(keyValues)) return result;
    bool found = KeySearch(keyFields, keyValues, 0);
    if (found) {
        TRecordBuffer buffer = AllocRecordBuffer();
        TDataSetState saved = SetTempState(dsFilter);
        TRecordBuffer savedFilter = filterBuffer_;
        try {
            if (FetchRecord(buffer, gmCurrent) == grOK) {
                filterBuffer_ = buffer;
                result = FieldValues(resultFields);
            }
        } catch (...) {
            filterBuffer_ = savedFilter;
            RestoreState(saved);
            FreeRecordBuffer(buffer);
            CursorPosChanged();
            throw;
        }
        filterBuffer_ = savedFilter;
        RestoreState(saved);
        FreeRecordBuffer(buffer);
    }
    // The dataset's visible record stays where it was.
    CursorPosChanged();
    return result;
}

LdbHandle TLdbDataSet::IndexForKey(const std::vector<TField*>& fields, std::string& lastSegment) {
    // Whether an index's leading segments are exactly the key fields.
    auto fits = [&](LdbHandle ix) {
        std::uint16_t count = 0;
        if (LdbGetNumSegments(ix, &count) != LdbSuccess) return false;
        std::vector<std::string> names;
        for (std::uint16_t s = 1; s <= count && s <= 100; ++s) {
            char name[511] = {};
            std::uint16_t len = 510;
            if (LdbGetSegmentFieldname(ix, s, name, &len) != LdbSuccess) return false;
            names.push_back(name);
        }
        std::vector<bool> used(names.size() + 1, false);
        std::size_t highest = 0;
        for (TField* field : fields) {
            std::size_t at = 0;
            for (std::size_t i = 0; i < names.size() && !at; ++i)
                if (SameText(names[i], field->FieldName())) at = i + 1;
            if (!at) return false;
            used[at] = true;
            highest = std::max(highest, at);
        }
        for (std::size_t i = 1; i <= highest; ++i)
            if (!used[i]) return false;
        lastSegment = names[highest - 1];
        return true;
    };
    // An index that shows every record in plain key order.
    auto plain = [&](LdbHandle ix) {
        char buffer[256];
        for (std::uint16_t which : {1, 2}) {
            std::uint16_t len = sizeof buffer;
            LdbResult r = LdbGetScope(ix, which, buffer, &len);
            if (r == LdbSuccess || r == LdbErrInsufficientBuffer) return false;
        }
        char condition[11] = {};
        std::uint16_t len = 10;
        LdbResult r = LdbGetIndexCondition(ix, condition, &len);
        if (r == LdbErrInsufficientBuffer || (r == LdbSuccess && condition[0] != 0)) return false;
        if (TableType() != LdbTableAdt) {
            std::uint16_t unique = 0;
            if (LdbIsIndexUnique(ix, &unique) == LdbSuccess && unique) return false;
        }
        std::uint16_t custom = 0;
        r = LdbIsIndexCustom(ix, &custom);
        return r == LdbErrNotCustomIndex || (r == LdbSuccess && !custom);
    };
    bool noActive = active_ == cursor_ || active_ <= 0;
    if (!noActive && !plain(active_)) return fits(active_) ? active_ : 0;
    std::uint16_t count = 0;
    if (LdbGetNumIndexes(cursor_, &count) != LdbSuccess || count == 0) return 0;
    std::vector<LdbHandle> handles(count);
    if (LdbGetAllIndexes(cursor_, handles.data(), &count) != LdbSuccess) return 0;
    for (std::uint16_t i = 0; i < count; ++i)
        if (plain(handles[i]) && fits(handles[i])) return handles[i];
    return 0;
}

void TLdbTableOptions::SetLdbOptimizedFilters(bool value) {
    if (value == optimizedFilters_) return;
    TLdbDataSet* ds = dataSet_;
    if (!ds->Active() || !ds->Filtered() || ds->ComponentState().Contains(csLoading)) {
        optimizedFilters_ = value;
        return;
    }
    ds->DeactivateFilter();
    optimizedFilters_ = value;
    try {
        ds->ActivateFilter();
        ds->First();
    } catch (...) {
        optimizedFilters_ = !value;
        try {
            ds->ActivateFilter();
        } catch (...) {
        }
        throw;
    }
}
