#pragma once
// TLdbQuery: the dataset the application uses for every database access.
// It holds an SQL text and its parameters, prepares and runs the statement
// on the engine, and either opens the resulting cursor as a dataset (Open)
// or runs a statement that returns no rows (ExecSQL).
//
//   auto* q = new TLdbQuery(owner);
//   q->SetDatabaseName("LdbConnection1");
//   q->SQL().Add("select * from Points where PVProfile = :pPF");
//   q->ParamByName("pPF")->SetAsInteger(3);
//   q->Open();
//
// A query whose DatabaseName is a folder rather than a connection shares one
// engine connection per folder with every other such query.

#include <memory>
#include <string>

#include "dbclient/LdbDataSet.h"
#include "platform/core/StringList.h"
#include "platform/data/DataSource.h"
#include "platform/data/Params.h"

class TLdbQuery;

// Binds parameters to a prepared statement by their position (1 first):
// null as empty, others by data type. Failures are raised for dataSet
// (none for the connection's own statements).
void BindLdbParams(TLdbDataSet* dataSet, LdbHandle statement, TParams& params);

// The SQL lines of a query; every change (or the end of an update) tells
// the query.
class TLdbSQLStrings : public TStringList {
public:
    explicit TLdbSQLStrings(TLdbQuery* query) : query_(query) {}
    Integer Add(const std::string& s) override;
    void Put(Integer index, const std::string& s) override;
    void Insert(Integer index, const std::string& s) override;
    void Delete(Integer index) override;
    void Clear() override;
    void Exchange(Integer index1, Integer index2) override;
    void EndUpdate() override;

private:
    void Changed();
    TLdbQuery* query_;
    bool pending_ = false;
};

// The link from a query to its master's data source: the query runs again
// when the master moves or opens.
class TLdbQueryDataLink : public TDataLink {
public:
    explicit TLdbQueryDataLink(TLdbQuery* query) : query_(query) {}
    TLdbQuery* DetailDataSet() const { return query_; }

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;
    void CheckBrowseMode() override;

private:
    TLdbQuery* query_;
};

class TLdbQuery : public TLdbDataSet {
public:
    explicit TLdbQuery(TComponent* owner = nullptr);
    ~TLdbQuery() override;

    // The statement text. Replacing it with the same text changes nothing;
    // another text closes the query first.
    TStrings& SQL() { return *sql_; }
    void SetSQL(const TStrings& lines);
    void SetSQLText(const std::string& text);

    TParams& Params() { return *params_; }
    // Copies the values of the given parameters by name.
    void SetParams(const TParams& params);
    // Raises "Parameter 'X' not found" when there is none.
    TParam* ParamByName(const std::string& name) { return params_->ParamByName(name); }

    // Runs a statement that returns no rows; a cursor it returns anyway is
    // closed at once.
    void ExecSQL();
    // Rows touched by the last statement; -1 when the engine gives no count.
    Integer RowsAffected() const { return rowsAffected_; }
    // Closes the prepared statement (the query must be closed).
    void CloseStatement();
    LdbHandle StatementHandle() const { return statement_; }

    bool ReadAllColumns = false;
    // Asks for an updatable cursor.
    bool RequestLive = false;
    bool Constrained = false;
    // Re-parses the parameters when the text changes.
    bool ParamCheck = true;

    // The master whose fields fill parameters that are not bound.
    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* source);
    TDataSource* GetDataSource() override { return dataLink_->DataSource(); }

    // ---- provider support
    void PSExecute() { ExecSQL(); }
    TParams& PSGetParams() { return *params_; }
    // Copies a non-empty parameter collection and closes the query.
    void PSSetParams(const TParams& params);
    // The table of the first FROM of the SQL text.
    std::string PSGetTableName() const;
    // The fields of the ORDER BY part of the SQL text, ";"-separated.
    std::string PSGetDefaultOrder() const;
    void PSSetCommandText(const std::string& text) {
        if (!text.empty()) SetSQLText(text);
    }

    void SetDatabaseName(const std::string& name) override;
    void SetSourceTableType(TLdbTableTypes value) override;
    void ConnectionClosed() override;

protected:
    LdbHandle CreateCursorHandle() override;
    Integer GetLastAutoInc() override;
    void InternalClose() override;

private:
    friend class TLdbSQLStrings;
    friend class TLdbQueryDataLink;
    void SQLChanged();
    void CreateStatement();
    // The cursor of the executed statement, or -1.
    LdbHandle ExecuteStatement();
    void ParamsFromMaster();
    void BindParameters();
    void RefreshFromMaster();

    std::unique_ptr<TLdbSQLStrings> sql_;
    std::unique_ptr<TParams> params_;
    std::unique_ptr<TLdbQueryDataLink> dataLink_;
    LdbHandle statement_ = -1;
    LdbHandle pathConnection_ = -1;
    Integer rowsAffected_ = -1;
};
