// Provider support of the database datasets: a client dataset runs
// statements, transactions and updates through them.

#include "dbclient/LdbConnection.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Strings.h"

void TLdbDataSet::PSReset() {
    if (Active()) {
        CheckAdsResult(this, LdbGotoTop(cursor_));
        CursorPosChanged();
    }
}

bool TLdbDataSet::PSInTransaction() {
    return connection_ && connection_->IsConnected() && connection_->GetTransactionActive();
}

void TLdbDataSet::PSStartTransaction() {
    if (connection_) connection_->BeginTransaction();
}

void TLdbDataSet::PSEndTransaction(bool commit) {
    if (!connection_) return;
    if (commit)
        connection_->Commit();
    else
        connection_->Rollback();
}

bool TLdbDataSet::PSUpdateRecord(TUpdateKind kind, TDataSet* delta) {
    if (!OnUpdateRecord) return false;
    TUpdateAction action = uaFail;
    OnUpdateRecord(delta, kind, action);
    return action == uaApplied;
}

Integer TLdbDataSet::PSExecuteStatement(const std::string& sql, TParams* params, TDataSet** resultSet) {
    if (resultSet) *resultSet = nullptr;
    if (!connection_)
        RaiseLdbError(this,
                      "A TLdbConnection component is required for TClientDataSet/IProvider support. Use either the "
                      "LdbConnection  property or the Database property to specify a TLdbConnection instance.");
    TLdbStatementOptions options;
    options.LockType = tableOptions_->LdbLockType() == Proprietary ? 1 : 0;
    options.CharType = tableOptions_->LdbCharType() == ANSI ? 1 : 2;
    options.Rights = tableOptions_->LdbRightsCheck() ? 1 : 2;
    options.TableType = static_cast<std::uint16_t>(engineTableType_);
    LdbHandle cursor = 0;
    Integer rows = connection_->ExecuteWithOptions(options, sql, resultSet ? &cursor : nullptr, true, params);
    if (resultSet) {
        auto* query = new TLdbQuery(nullptr);
        query->SetDatabaseName(connection_->Name());
        query->SetActiveHandle(cursor);
        if (cursor != 0 && cursor != -1) {
            try {
                query->Open();
            } catch (...) {
                query->SetActiveHandle(-1);
                delete query;
                throw;
            }
        }
        *resultSet = query;
    }
    return rows;
}

// ---------------------------------------------------------------- query

void TLdbQuery::PSSetParams(const TParams& params) {
    if (params.Count() == 0) return;
    params_->Assign(params);
    Close();
}

namespace {

// The words of an SQL text outside quotes, upper-cased, with their text.
struct SqlWord {
    std::string upper, text;
};

std::vector<SqlWord> SqlWords(const std::string& sql) {
    std::vector<SqlWord> words;
    std::size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            char close = c == '[' ? ']' : c;
            std::size_t end = sql.find(close, i + 1);
            std::string text = sql.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            words.push_back({UpperCase(text), text});
            i = end == std::string::npos ? sql.size() : end + 1;
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.') {
            std::size_t start = i;
            while (i < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_' || sql[i] == '.'))
                ++i;
            std::string text = sql.substr(start, i - start);
            words.push_back({UpperCase(text), text});
        } else {
            if (c == ',' || c == '(' || c == ')') words.push_back({std::string(1, c), std::string(1, c)});
            ++i;
        }
    }
    return words;
}

}  // namespace

std::string TLdbQuery::PSGetTableName() const {
    auto words = SqlWords(sql_->Text());
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i].upper == "FROM" && words[i + 1].upper != "(") return words[i + 1].text;
    return {};
}

std::string TLdbQuery::PSGetDefaultOrder() const {
    auto words = SqlWords(sql_->Text());
    std::string fields;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i].upper != "ORDER" || words[i + 1].upper != "BY") continue;
        bool expectName = true;
        for (std::size_t j = i + 2; j < words.size(); ++j) {
            const std::string& w = words[j].upper;
            if (w == ",") {
                expectName = true;
                continue;
            }
            if (!expectName) {
                if (w == "ASC" || w == "DESC") continue;
                break;
            }
            fields += (fields.empty() ? "" : ";") + words[j].text;
            expectName = false;
        }
        break;
    }
    return fields;
}
