// TLdbConnection services: SQL run directly with a cache of prepared
// statements, the dictionary's tables and user groups, active links, the
// server's time and the engine's table cache.

#include <cstring>

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbDateTime.h"
#include "dbclient/LdbError.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Strings.h"

std::uint32_t LdbSqlHash(const std::string& sql) {
    // Position L is the NUL that ends the text.
    auto at = [&](std::size_t i) -> std::uint32_t { return i < sql.size() ? static_cast<unsigned char>(sql[i]) : 0u; };
    std::uint32_t h = 0;
    const std::size_t length = sql.size();
    if (length <= 15) {
        for (std::size_t i = 1; i <= length; ++i) h = h * 37u + at(i);
        return h;
    }
    const std::size_t step = length / 8;
    for (std::size_t k = 0; length - 1 >= k * step; ++k) h = h * 39u + at(1 + k * step);
    return h;
}

void SplitLdbLinkInfo(const std::string& reply, TStrings* list) {
    if (!list) return;
    std::size_t start = 0, semi;
    while ((semi = reply.find(';', start)) != std::string::npos) {
        list->Add(reply.substr(start, semi - start));
        start = semi + 1;
    }
}

void TLdbConnection::CloseCachedStatements() {
    std::vector<TStmtInfo> entries;
    entries.swap(cachedStatements_);
    for (const TStmtInfo& info : entries)
        if (info.Statement != 0) CheckAdsResult(nullptr, LdbCloseSQLStatement(info.Statement));
}

LdbHandle TLdbConnection::StatementFor(const std::string& sql, bool keep, bool cursor,
                                       const TLdbStatementOptions* options) {
    TStmtInfo* entry = nullptr;
    if (keep) {
        // Texts that differ only in letter case share their statement, so
        // they share their hash too.
        std::uint32_t hash = LdbSqlHash(UpperCase(sql));
        for (TStmtInfo& info : cachedStatements_)
            if (info.HashCode == hash && SameText(info.SQL, sql)) {
                entry = &info;
                break;
            }
        if (!entry) {
            cachedStatements_.push_back(TStmtInfo{hash, {}, 0});
            entry = &cachedStatements_.back();
        }
        if (entry->Statement != 0) return entry->Statement;
    }
    LdbHandle statement = 0;
    CheckAdsResult(nullptr, LdbCreateSQLStatement(handle_, &statement));
    try {
        if (cursor) CheckAdsResult(nullptr, LdbStmtSetTableReadOnly(statement, LdbCursorReadOnly));
        if (options) {
            CheckAdsResult(nullptr, LdbStmtSetTableType(statement, options->TableType));
            CheckAdsResult(nullptr, LdbStmtSetTableCharType(statement, options->CharType));
            CheckAdsResult(nullptr, LdbStmtSetTableLockType(statement, options->LockType));
            CheckAdsResult(nullptr, LdbStmtSetTableRights(statement, options->Rights));
        }
        CheckAdsResult(nullptr, LdbPrepareSQL(statement, sql.c_str()));
    } catch (...) {
        LdbCloseSQLStatement(statement);
        if (entry) cachedStatements_.pop_back();
        throw;
    }
    if (entry) {
        entry->SQL = sql;
        entry->Statement = statement;
    }
    return statement;
}

Integer TLdbConnection::Execute(const std::string& sql, TParams* params, LdbHandle* cursor, bool keep) {
    if (!isConnected_) Connect();
    return ExecuteWithOptions(TLdbStatementOptions{}, sql, cursor, keep, params);
}

Integer TLdbConnection::ExecuteWithOptions(const TLdbStatementOptions& options, const std::string& sql,
                                           LdbHandle* cursor, bool keep, TParams* params) {
    if (!isConnected_) Connect();
    LdbHandle statement = StatementFor(sql, keep, cursor != nullptr, &options);
    Integer rows = 0;
    try {
        LdbHandle result = 0;
        if (params && params->Count() > 0) {
            BindLdbParams(nullptr, statement, *params);
            CheckAdsResult(nullptr, LdbExecuteSQL(statement, &result));
        } else {
            CheckAdsResult(nullptr, LdbExecuteSQLDirect(statement, sql.c_str(), &result));
        }
        if (cursor) {
            *cursor = result;
        } else {
            if (result != 0) LdbCloseTable(result);
            std::uint32_t count = 0;
            LdbResult r = LdbGetRecordCount(statement, LdbIgnoreFilters, &count);
            rows = r == LdbErrNoRowCount ? -1 : static_cast<Integer>(count);
            if (r != LdbErrNoRowCount) CheckAdsResult(nullptr, r);
        }
    } catch (...) {
        if (!keep) LdbCloseSQLStatement(statement);
        throw;
    }
    // A statement not kept goes with its cursor's rows already read.
    if (!keep && !cursor) CheckAdsResult(nullptr, LdbCloseSQLStatement(statement));
    return rows;
}

void TLdbConnection::GetDictionaryTableNames(TStrings* list) {
    if (!isConnected_) Connect();
    if (!dictionary_ || !list) return;
    char name[201] = {};
    std::uint16_t len = 200;
    LdbHandle find = 0;
    LdbResult r = LdbDDFindFirstObject(handle_, LdbDDTable, nullptr, name, &len, &find);
    while (r == LdbSuccess) {
        list->Add(name);
        len = 200;
        r = LdbDDFindNextObject(handle_, find, name, &len);
    }
    if (find != 0) LdbDDFindClose(handle_, find);
    if (r != LdbErrNoMoreObjects) CheckAdsResult(nullptr, r);
}

void TLdbConnection::LoadUserGroups() {
    userGroups_.Clear();
    userGroupsText_.clear();
    if (!isConnected_ || !dictionary_) return;
    std::uint16_t len = 0;
    LdbResult r = LdbDDGetUserProperty(handle_, Username.c_str(), LdbDDUserGroups, nullptr, &len);
    if (r != LdbSuccess && r != LdbErrInsufficientBuffer && r != LdbErrPropertyNotSet) CheckAdsResult(nullptr, r);
    if (r == LdbErrPropertyNotSet || len == 0) return;
    std::vector<char> buffer(len + 1u, '\0');
    CheckAdsResult(nullptr, LdbDDGetUserProperty(handle_, Username.c_str(), LdbDDUserGroups, buffer.data(), &len));
    userGroupsText_ = std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    userGroups_.SetDelimitedText(userGroupsText_);
    groupsLoaded_ = true;
}

TStrings& TLdbConnection::GetUserGroups() {
    if (!groupsLoaded_) LoadUserGroups();
    return userGroups_;
}

std::string TLdbConnection::GetUserGroupsText() {
    if (!groupsLoaded_) LoadUserGroups();
    return userGroupsText_;
}

int TLdbConnection::GetActiveLinkCount() {
    std::uint16_t count = 0;
    CheckAdsResult(nullptr, LdbGetNumActiveLinks(handle_, &count));
    return count;
}

void TLdbConnection::GetActiveLinkNames(int index, TStrings* list) {
    char buffer[665] = {};
    std::uint16_t len = 664;
    CheckAdsResult(nullptr, LdbGetActiveLinkInfo(handle_, static_cast<std::uint16_t>(index), buffer, &len));
    SplitLdbLinkInfo(std::string(buffer, strnlen(buffer, sizeof buffer)), list);
}

double TLdbConnection::GetServerTime() {
    if (!isConnected_) Connect();
    char date[70] = {}, time[70] = {};
    std::uint16_t dateLen = 69, timeLen = 69;
    std::int32_t ms = 0;
    CheckAdsResult(nullptr, LdbGetServerTime(handle_, date, &dateLen, &ms, time, &timeLen));
    double julian = 0;
    CheckAdsResult(nullptr, LdbConvertDateToJulian(handle_, date, dateLen, &julian));
    return ldbtime::ToNativeDays({static_cast<std::int32_t>(julian), ms});
}

void TLdbConnection::CloseCachedTables() {
    if (isConnected_) CheckAdsResult(nullptr, LdbCloseCachedTables(handle_));
}
