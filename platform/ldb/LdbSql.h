#pragma once
// Inside the engine: the SQL text of the engine's dialect turned into
// SQLite statements (parameters, several statements, ALTER TABLE clauses,
// column types), and the shape of a SELECT that can be opened live.

#include <string>
#include <vector>

namespace ldbi {

struct Token {
    enum Kind { Space, Comment, Word, QuotedId, String, Number, Param, Punct };
    Kind kind;
    std::size_t pos;
    std::size_t len;
    std::string text;
};

// Splits SQL text into tokens; an unterminated quote or comment runs to the
// end of the text.
std::vector<Token> Tokenize(const std::string& sql);

// Replaces every ":name" parameter by "?n", n numbering the distinct names
// (compared without regard to case) in order of first appearance; "::" is a
// colon. names receives the names in that order.
std::string NumberParameters(const std::string& sql, std::vector<std::string>& names);

// The statements of a text, split at the semicolons between them.
std::vector<std::string> SplitStatements(const std::string& sql);

// One step of running a statement of the dialect.
struct Action {
    enum Kind { Sql, RebuildColumn };
    Kind kind = Sql;
    std::string sql;
    // RebuildColumn: the table whose column oldName becomes newName of type.
    std::string table, oldName, newName, type;
};

// The SQLite steps for one statement; false with a message when an ALTER
// TABLE clause cannot be read.
bool TranslateStatement(const std::string& statement, std::vector<Action>& actions, std::string& error);

// A SELECT over one table without grouping, DISTINCT, joins or compound
// parts: its rows are rows of that table.
struct SelectShape {
    bool simple = false;
    std::string table;       // unquoted
    std::string qualifier;   // alias or table, as written
    std::size_t afterSelect = 0;
};
SelectShape AnalyseSelect(const std::string& statement);

// An identifier without its quotes.
std::string Unquote(const std::string& identifier);
// An identifier in double quotes.
std::string QuoteId(const std::string& name);

}  // namespace ldbi
