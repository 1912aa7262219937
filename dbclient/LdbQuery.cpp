#include "dbclient/LdbQuery.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbDateTime.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/DBConsts.h"

namespace {


// Engine connections of queries whose DatabaseName is a folder, one per
// path, shared by those queries and closed when the program ends.
class TDynamicConnList {
public:
    ~TDynamicConnList() {
        std::lock_guard lock(mutex_);
        for (const auto& e : entries_) LdbDisconnect(e.handle);
    }
    LdbHandle HandleFor(const std::string& path) {
        std::lock_guard lock(mutex_);
        for (const auto& e : entries_)
            if (SameText(e.path, path)) return e.handle;
        LdbHandle handle = 0;
        CheckAdsResult(nullptr, LdbConnect(path.c_str(), &handle));
        try {
            entries_.push_back({handle, path});
        } catch (...) {
            LdbDisconnect(handle);
            return 0;
        }
        return handle;
    }

private:
    struct Entry {
        LdbHandle handle;
        std::string path;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

TDynamicConnList& DynamicConnList() {
    static TDynamicConnList list;
    return list;
}

}  // namespace

// ---------------------------------------------------------------- SQL lines

void TLdbSQLStrings::Changed() {
    if (UpdateCount() > 0) {
        pending_ = true;
        return;
    }
    pending_ = false;
    query_->SQLChanged();
}

Integer TLdbSQLStrings::Add(const std::string& s) {
    Integer index = TStringList::Add(s);
    Changed();
    return index;
}
void TLdbSQLStrings::Put(Integer index, const std::string& s) {
    TStringList::Put(index, s);
    Changed();
}
void TLdbSQLStrings::Insert(Integer index, const std::string& s) {
    TStringList::Insert(index, s);
    Changed();
}
void TLdbSQLStrings::Delete(Integer index) {
    TStringList::Delete(index);
    Changed();
}
void TLdbSQLStrings::Clear() {
    bool had = Count() > 0;
    TStringList::Clear();
    if (had) Changed();
}
void TLdbSQLStrings::Exchange(Integer index1, Integer index2) {
    TStringList::Exchange(index1, index2);
    Changed();
}
void TLdbSQLStrings::EndUpdate() {
    TStringList::EndUpdate();
    if (UpdateCount() == 0 && pending_) Changed();
}

// ---------------------------------------------------------------- master link

void TLdbQueryDataLink::ActiveChanged() {
    if (query_->Active()) query_->RefreshFromMaster();
}

void TLdbQueryDataLink::RecordChanged(TField* field) {
    if (!field && query_->Active()) query_->RefreshFromMaster();
}

void TLdbQueryDataLink::CheckBrowseMode() {
    if (query_->Active()) query_->CheckBrowseMode();
}

// ---------------------------------------------------------------- query

TLdbQuery::TLdbQuery(TComponent* owner)
    : TLdbDataSet(owner),
      sql_(std::make_unique<TLdbSQLStrings>(this)),
      params_(std::make_unique<TParams>()),
      dataLink_(std::make_unique<TLdbQueryDataLink>(this)) {}

TLdbQuery::~TLdbQuery() {
    try {
        Close();
    } catch (...) {
        // An event handler failing while the query is freed must not end
        // the program.
    }
    dataLink_->SetDataSource(nullptr);
    bool connected = Connection() && Connection()->IsConnected();
    if (statement_ != -1 && (connected || pathConnection_ != -1)) LdbCloseSQLStatement(statement_);
    statement_ = -1;
}

void TLdbQuery::SetSQL(const TStrings& lines) {
    if (lines.Text() == sql_->Text()) return;
    Close();
    sql_->BeginUpdate();
    try {
        sql_->Assign(lines);
    } catch (...) {
        sql_->EndUpdate();
        throw;
    }
    sql_->EndUpdate();
}

void TLdbQuery::SetSQLText(const std::string& text) {
    TStringList lines;
    lines.SetText(text);
    SetSQL(lines);
}

void TLdbQuery::SetParams(const TParams& params) { params_->AssignValues(params); }

void TLdbQuery::SQLChanged() {
    std::string text = sql_->Text();
    CheckAdsResult(this, LdbGetSQLStmtParams(text.c_str(), nullptr, nullptr));
    if (ComponentState().Contains(csLoading)) return;
    Close();
    if (ParamCheck || ComponentState().Contains(csDesigning)) {
        auto parsed = std::make_unique<TParams>();
        parsed->ParseSQL(text, true);
        parsed->AssignValues(*params_);
        params_ = std::move(parsed);
    }
    DataEvent(dePropertyChange, 0);
}

void TLdbQuery::SetDataSource(TDataSource* source) {
    // The source's dataset, its master, and so on must not lead back here.
    for (TDataSource* s = source; s && s->DataSet();) {
        if (s->DataSet() == this) RaiseLdbError(this, "Circular Data Link");
        s = s->DataSet()->GetDataSource();
    }
    dataLink_->SetDataSource(source);
}

void TLdbQuery::SetDatabaseName(const std::string& name) {
    std::string old = DatabaseName();
    AttachConnection(nullptr);
    ApplyDatabaseName(name);
    // A statement belongs to the engine connection it was made on: another
    // database needs another statement.
    if (!SameText(old, name) && statement_ != -1) {
        LdbCloseSQLStatement(statement_);
        statement_ = -1;
        pathConnection_ = -1;
    }
}

void TLdbQuery::SetSourceTableType(TLdbTableTypes value) {
    if (value == ttAdsNTX && !(Connection() && Connection()->GetIsDictionary()))
        RaiseLdbError(this, "The TLdbQuery component does not support the NTX table type");
    TLdbDataSet::SetSourceTableType(value);
}

void TLdbQuery::ConnectionClosed() {
    statement_ = -1;
    pathConnection_ = -1;
}

void TLdbQuery::CreateStatement() {
    std::uint16_t type = 0;
    if (statement_ != -1 && LdbGetHandleType(statement_, &type) == LdbSuccess && type == LdbHandleStatement) return;
    statement_ = -1;
    if (DatabaseName().empty()) RaiseLdbError(this, "The DatabaseName property has not been assigned a value.");
    LdbHandle handle = 0;
    if (pathConnection_ != -1) RaiseLdbError(this, "Internal Error: invalid connection handle.");
    if (TLdbConnection* conn = Connection()) {
        if (!conn->IsConnected()) conn->Connect();
        handle = conn->GetConnectionHandle();
    } else {
        std::string path = DatabasePath();
        if (path.size() == 2 && path[1] == ':') path += "\\";
        handle = DynamicConnList().HandleFor(path);
        pathConnection_ = handle;
    }
    if (handle == 0 || handle == -1) RaiseLdbError(this, "Internal Error: invalid connection handle.");
    LdbHandle statement = 0;
    CheckAdsResult(this, LdbCreateSQLStatement(handle, &statement));
    statement_ = statement;
}

LdbHandle TLdbQuery::ExecuteStatement() {
    CheckInactive();
    CreateStatement();
    TLdbTableOptions& o = LdbTableOptions();
    CheckAdsResult(this, LdbStmtSetTableLockType(statement_, o.LdbLockType() == Proprietary ? 1 : 0));
    CheckAdsResult(this, LdbStmtSetTableCharType(statement_, o.LdbCharType() == ANSI ? 1 : 2));
    CheckAdsResult(this, LdbStmtSetTableRights(statement_, o.LdbRightsCheck() ? 1 : 2));
    CheckAdsResult(this, LdbStmtSetTableReadOnly(statement_, RequestLive ? LdbCursorLive : LdbCursorReadOnly));
    if (Connection() && Connection()->ReadOnly)
        CheckAdsResult(this, LdbStmtSetTableReadOnly(statement_, LdbCursorReadOnly));
    std::uint16_t tableType = SourceTableType() == ttAdsADT ? 3 : (SourceTableType() == ttAdsCDX ? 2 : 1);
    CheckAdsResult(this, LdbStmtSetTableType(statement_, tableType));
    CheckAdsResult(this, LdbStmtConstrainUpdates(statement_, Constrained ? 1 : 2));
    CheckAdsResult(this, LdbStmtReadAllColumns(statement_, ReadAllColumns ? 1 : 2));
    if (IsCursorOpen()) RaiseLdbError(this, DBConsts::SDataSetOpen);
    rowsAffected_ = -1;
    std::string text = sql_->Text();
    CheckAdsResult(this, LdbPrepareSQL(statement_, text.c_str()));
    if (DataSource()) ParamsFromMaster();
    BindParameters();
    LdbHandle cursor = 0;
    try {
        CheckAdsResult(this, LdbExecuteSQL(statement_, &cursor));
    } catch (const ELdbDatabaseError& e) {
        if (e.Message.find("7209") != std::string::npos) CloseStatement();
        throw;
    }
    if (cursor == 0) {
        cursor = -1;
    } else {
        std::uint16_t live = 0;
        CheckAdsResult(this, LdbSqlPeekStatement(cursor, &live));
        SetReadOnlyCursor(live == 0);
    }
    std::uint32_t rows = 0;
    LdbResult r = LdbGetRecordCount(statement_, LdbIgnoreFilters, &rows);
    if (r == LdbErrNoRowCount) {
        rowsAffected_ = -1;
    } else {
        if (r != LdbSuccess && cursor != -1) LdbCloseTable(cursor);
        CheckAdsResult(this, r);
        rowsAffected_ = static_cast<Integer>(rows);
    }
    return cursor;
}

void TLdbQuery::ParamsFromMaster() {
    TDataSet* master = DataSource()->DataSet();
    if (!master) return;
    master->FieldDefs().Update();
    for (int i = 0; i < params_->Count(); ++i) {
        TParam* p = params_->Items(i);
        if (p->Bound()) continue;
        TField* field = master->FieldByName(p->Name());
        p->AssignFieldValue(field, field->Value());
        p->SetBound(false);
    }
}

void BindLdbParams(TLdbDataSet* dataSet, LdbHandle statement, TParams& params) {
    for (int i = 0; i < params.Count(); ++i) {
        TParam* p = params.Items(i);
        auto n = static_cast<std::uint32_t>(i + 1);
        if (p->IsNull()) {
            CheckAdsResult(dataSet, LdbSetEmpty(statement, n));
            continue;
        }
        switch (p->DataType()) {
        case ftUnknown:
            RaiseLdbError(dataSet, "The field named: '" + p->Name() + "' has the DataType of ftUnknown, which is invalid.");
        case ftBoolean: CheckAdsResult(dataSet, LdbSetLogical(statement, n, p->AsBoolean() ? 1 : 0)); break;
        case ftFloat:
        case ftCurrency: CheckAdsResult(dataSet, LdbSetDouble(statement, n, p->AsFloat())); break;
        case ftDate: {
            auto days = static_cast<std::int32_t>(std::trunc(p->AsDateTime()));
            CheckAdsResult(dataSet, LdbSetJulian(statement, n, days + ldbtime::OriginJulian));
            break;
        }
        case ftTime: {
            CheckAdsResult(dataSet, LdbSetMilliseconds(statement, n, ldbtime::TimeOfDay(p->AsDateTime())));
            break;
        }
        case ftDateTime: {
            const ldbtime::Stamp stamp = ldbtime::FromDateTime(p->AsDateTime());
            std::int32_t raw[2] = {stamp.Julian, stamp.Milliseconds};
            CheckAdsResult(dataSet, LdbSetTimeStampRaw(statement, n, raw, sizeof raw));
            break;
        }
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
        case ftGraphic: {
            std::string bytes = p->AsBlob();
            std::vector<char> buffer(bytes.begin(), bytes.end());
            auto size = static_cast<std::uint32_t>(buffer.size());
            CheckAdsResult(dataSet, LdbSetBinary(statement, n, 6, size, 0, buffer.data(), size));
            break;
        }
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftCursor:
        case ftWideString:
        case ftADT:
        case ftArray:
        case ftReference:
        case ftDataSet:
            RaiseLdbError(dataSet, "The field named: '" + p->Name() + "' has a DataType that is not supported.");
        case ftString:
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftBCD:
        case ftAutoInc:
        case ftMemo:
        case ftFmtMemo:
        case ftFixedChar:
        case ftLargeint: {
            std::string text = p->AsString();
            CheckAdsResult(dataSet, LdbSetString(statement, n, text.c_str(), static_cast<std::uint32_t>(text.size())));
            break;
        }
        default: break;  // later types are left unset
        }
    }
}

void TLdbQuery::BindParameters() { BindLdbParams(this, statement_, *params_); }

LdbHandle TLdbQuery::CreateCursorHandle() {
    LdbHandle cursor = ExecuteStatement();
    if (cursor == -1)
        RaiseLdbError(this,
                      "The SQL statement did not generate a cursor handle.  Use TLdbQuery.ExecSQL to execute SQL "
                      "statements that are not SELECT statements");
    // Extra index files open on the new cursor, or the cursor goes again.
    try {
        for (Integer i = 0; i < IndexFiles().Count(); ++i) {
            LdbHandle handles[50];
            std::uint16_t count = 50;
            std::string path = IndexFiles().PathOf(IndexFiles()[i]);
            CheckAdsResult(this, LdbOpenIndex(cursor, path.c_str(), handles, &count));
        }
    } catch (...) {
        LdbCloseTable(cursor);
        throw;
    }
    return cursor;
}

void TLdbQuery::ExecSQL() {
    LdbHandle cursor = ExecuteStatement();
    if (cursor != -1) CheckAdsResult(this, LdbCloseTable(cursor));
}

Integer TLdbQuery::GetLastAutoInc() {
    std::uint32_t value = 0;
    CheckAdsResult(this, LdbGetLastAutoinc(statement_, &value));
    return static_cast<Integer>(value);
}

void TLdbQuery::InternalClose() {
    TLdbDataSet::InternalClose();
    if (ComponentState().Contains(csDesigning) && statement_ != -1) {
        LdbResult r = LdbCloseSQLStatement(statement_);
        if (r != LdbErrStatementClosed) CheckAdsResult(this, r);
        statement_ = -1;
        pathConnection_ = -1;
    }
}

void TLdbQuery::CloseStatement() {
    if (IsCursorOpen()) RaiseLdbError(this, DBConsts::SDataSetOpen);
    if (statement_ != -1) {
        LdbResult r = LdbCloseSQLStatement(statement_);
        if (r != LdbErrStatementClosed) CheckAdsResult(this, r);
    }
    statement_ = -1;
    pathConnection_ = -1;
}

void TLdbQuery::RefreshFromMaster() {
    DisableControls();
    try {
        TDataSet* master = DataSource() ? DataSource()->DataSet() : nullptr;
        if (master && master->Active() && master->State() != dsSetKey) {
            Close();
            Open();
        }
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}
