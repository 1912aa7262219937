#include "platform/ldb/LdbSql.h"

#include <algorithm>
#include <cctype>

#include "platform/ldb/LdbValues.h"

namespace ldbi {

namespace {

Action SqlAction(std::string sql) {
    Action a;
    a.sql = std::move(sql);
    return a;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsWord(const Token& t, const char* word) { return t.kind == Token::Word && Upper(t.text) == word; }

std::vector<Token> Significant(const std::string& sql) {
    std::vector<Token> out;
    for (Token& t : Tokenize(sql))
        if (t.kind != Token::Space && t.kind != Token::Comment) out.push_back(std::move(t));
    return out;
}

bool IsName(const Token& t) { return t.kind == Token::Word || t.kind == Token::QuotedId; }

// Words that end the type part of a column definition.
bool IsConstraintWord(const Token& t) {
    static const char* words[] = {"CONSTRAINT", "PRIMARY", "NOT",     "NULL", "UNIQUE",    "CHECK",
                                  "DEFAULT",    "COLLATE", "REFERENCES", "GENERATED", "AS"};
    if (t.kind != Token::Word) return false;
    std::string u = Upper(t.text);
    return std::any_of(std::begin(words), std::end(words), [&](const char* w) { return u == w; });
}

// The text of tokens [from, to) as written, with the type of the column
// definition starting at from (name first) given text affinity where the
// type needs it.
std::string ColumnDef(const std::string& sql, const std::vector<Token>& tk, std::size_t from, std::size_t to) {
    if (from >= to) return {};
    std::size_t typeStart = from + 1, typeEnd = typeStart;
    while (typeEnd < to && tk[typeEnd].kind == Token::Word && !IsConstraintWord(tk[typeEnd])) ++typeEnd;
    if (typeEnd < to && typeEnd > typeStart && tk[typeEnd].kind == Token::Punct && tk[typeEnd].text == "(") {
        int depth = 0;
        while (typeEnd < to) {
            if (tk[typeEnd].text == "(" && tk[typeEnd].kind == Token::Punct) ++depth;
            if (tk[typeEnd].text == ")" && tk[typeEnd].kind == Token::Punct && --depth == 0) {
                ++typeEnd;
                break;
            }
            ++typeEnd;
        }
    }
    auto textOf = [&](std::size_t a, std::size_t b) {
        if (a >= b) return std::string();
        std::size_t start = tk[a].pos, end = tk[b - 1].pos + tk[b - 1].len;
        return sql.substr(start, end - start);
    };
    std::string out = tk[from].text;
    if (typeEnd > typeStart) out += " " + SqliteColumnType(textOf(typeStart, typeEnd));
    if (typeEnd < to) out += " " + textOf(typeEnd, to);
    return out;
}

bool TranslateCreateTable(const std::string& sql, const std::vector<Token>& tk, std::string& out) {
    // CREATE [TEMP] TABLE [IF NOT EXISTS] [schema.]name ( column list ):
    // a table made AS SELECT keeps its text.
    std::size_t open = 0;
    while (open < tk.size() && !IsWord(tk[open], "TABLE")) ++open;
    ++open;
    if (open + 2 < tk.size() && IsWord(tk[open], "IF") && IsWord(tk[open + 1], "NOT") && IsWord(tk[open + 2], "EXISTS"))
        open += 3;
    if (open < tk.size() && IsName(tk[open])) ++open;
    if (open + 1 < tk.size() && tk[open].kind == Token::Punct && tk[open].text == "." && IsName(tk[open + 1])) open += 2;
    if (open >= tk.size() || !(tk[open].kind == Token::Punct && tk[open].text == "(")) return false;
    std::string result = sql.substr(0, tk[open].pos + 1);
    std::size_t i = open + 1, start = i;
    int depth = 0;
    bool first = true;
    for (; i < tk.size(); ++i) {
        const Token& t = tk[i];
        if (t.kind == Token::Punct && t.text == "(") ++depth;
        bool close = t.kind == Token::Punct && t.text == ")" && depth == 0;
        if (t.kind == Token::Punct && t.text == ")" && depth > 0) {
            --depth;
            continue;
        }
        if (close || (depth == 0 && t.kind == Token::Punct && t.text == ",")) {
            if (!first) result += ", ";
            first = false;
            bool constraint = start < i && tk[start].kind == Token::Word &&
                              (IsWord(tk[start], "CONSTRAINT") || IsWord(tk[start], "PRIMARY") ||
                               IsWord(tk[start], "UNIQUE") || IsWord(tk[start], "CHECK") ||
                               IsWord(tk[start], "FOREIGN"));
            if (constraint && start < i)
                result += sql.substr(tk[start].pos, tk[i - 1].pos + tk[i - 1].len - tk[start].pos);
            else
                result += ColumnDef(sql, tk, start, i);
            start = i + 1;
            if (close) break;
        }
    }
    if (i >= tk.size()) return false;
    out = result + sql.substr(tk[i].pos);
    return true;
}

bool IsClauseStart(const Token& t) {
    return IsWord(t, "ADD") || IsWord(t, "DROP") || IsWord(t, "ALTER") || IsWord(t, "RENAME");
}

bool TranslateAlterTable(const std::string& sql, const std::vector<Token>& tk, std::vector<Action>& actions,
                         std::string& error) {
    // ALTER TABLE name clause [[,] clause]...
    if (tk.size() < 4 || !IsName(tk[2])) {
        error = "ALTER TABLE needs a table name.";
        return false;
    }
    std::string table = tk[2].text;
    std::string head = "ALTER TABLE " + table + " ";
    std::size_t i = 3;
    while (i < tk.size()) {
        if (tk[i].kind == Token::Punct && tk[i].text == ",") {
            ++i;
            continue;
        }
        if (!IsClauseStart(tk[i])) {
            error = "Unexpected '" + tk[i].text + "' in ALTER TABLE.";
            return false;
        }
        std::string verb = Upper(tk[i].text);
        std::size_t j = i + 1;
        // The clause runs to the next clause keyword or comma outside
        // parentheses.
        std::size_t end = j;
        int depth = 0;
        while (end < tk.size()) {
            const Token& t = tk[end];
            if (t.kind == Token::Punct && t.text == "(") ++depth;
            if (t.kind == Token::Punct && t.text == ")") --depth;
            if (depth == 0 && end > j && (IsClauseStart(t) || (t.kind == Token::Punct && t.text == ","))) break;
            ++end;
        }
        if (verb == "RENAME") {
            actions.push_back(SqlAction(head + sql.substr(tk[i].pos, tk[end - 1].pos + tk[end - 1].len - tk[i].pos)));
            i = end;
            continue;
        }
        if (j < end && IsWord(tk[j], "COLUMN")) ++j;
        if (j >= end || !IsName(tk[j])) {
            error = verb + " in ALTER TABLE needs a column name.";
            return false;
        }
        if (verb == "ADD") {
            actions.push_back(SqlAction(head + "ADD COLUMN " + ColumnDef(sql, tk, j, end)));
        } else if (verb == "DROP") {
            actions.push_back(SqlAction(head + "DROP COLUMN " + tk[j].text));
        } else {
            // ALTER [COLUMN] old new type
            if (j + 2 >= end + 0 || !IsName(tk[j + 1])) {
                error = "ALTER COLUMN needs the old name, the new name and the type.";
                return false;
            }
            std::size_t typeStart = j + 2;
            if (typeStart >= end) {
                error = "ALTER COLUMN needs the old name, the new name and the type.";
                return false;
            }
            Action a;
            a.kind = Action::RebuildColumn;
            a.table = Unquote(table);
            a.oldName = Unquote(tk[j].text);
            a.newName = Unquote(tk[j + 1].text);
            // The type with any constraints that follow it.
            std::string def = ColumnDef(sql, tk, j + 1, end);
            a.type = def.substr(tk[j + 1].text.size() + 1);
            actions.push_back(a);
        }
        i = end;
    }
    if (actions.empty()) {
        error = "ALTER TABLE without a change.";
        return false;
    }
    return true;
}

}  // namespace

std::vector<Token> Tokenize(const std::string& sql) {
    std::vector<Token> out;
    std::size_t i = 0, n = sql.size();
    auto push = [&](Token::Kind k, std::size_t start, std::size_t end) {
        out.push_back({k, start, end - start, sql.substr(start, end - start)});
    };
    while (i < n) {
        char c = sql[i];
        std::size_t start = i;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < n && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
            push(Token::Space, start, i);
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n') ++i;
            push(Token::Comment, start, i);
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            std::size_t e = sql.find("*/", i + 2);
            i = e == std::string::npos ? n : e + 2;
            push(Token::Comment, start, i);
        } else if (c == '\'') {
            ++i;
            while (i < n) {
                if (sql[i] == '\'') {
                    if (i + 1 < n && sql[i + 1] == '\'') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            push(Token::String, start, i);
        } else if (c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            std::size_t e = sql.find(close, i + 1);
            i = e == std::string::npos ? n : e + 1;
            push(Token::QuotedId, start, i);
        } else if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
            i += 2;
            push(Token::Punct, start, i);
            out.back().text = ":";
        } else if (c == ':' && i + 1 < n && (IsNameChar(sql[i + 1]) || sql[i + 1] == '"')) {
            ++i;
            if (sql[i] == '"') {
                std::size_t e = sql.find('"', i + 1);
                i = e == std::string::npos ? n : e + 1;
            } else {
                while (i < n && IsNameChar(sql[i])) ++i;
            }
            push(Token::Param, start, i);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            while (i < n && (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '.')) {
                if ((sql[i] == 'e' || sql[i] == 'E') && i + 1 < n && (sql[i + 1] == '+' || sql[i + 1] == '-')) ++i;
                ++i;
            }
            push(Token::Number, start, i);
        } else if (IsNameChar(c)) {
            while (i < n && IsNameChar(sql[i])) ++i;
            push(Token::Word, start, i);
        } else {
            ++i;
            push(Token::Punct, start, i);
        }
    }
    return out;
}

std::string NumberParameters(const std::string& sql, std::vector<std::string>& names) {
    names.clear();
    std::string out;
    for (const Token& t : Tokenize(sql)) {
        if (t.kind != Token::Param) {
            out += t.text;
            continue;
        }
        std::string name = t.text.substr(1);
        if (!name.empty() && name[0] == '"') name = Unquote(name);
        std::size_t index = 0;
        while (index < names.size() && !SameName(names[index], name)) ++index;
        if (index == names.size()) names.push_back(name);
        out += "?" + std::to_string(index + 1);
    }
    return out;
}

std::vector<std::string> SplitStatements(const std::string& sql) {
    std::vector<std::string> out;
    std::string current;
    bool any = false;
    for (const Token& t : Tokenize(sql)) {
        if (t.kind == Token::Punct && t.text == ";") {
            if (any) out.push_back(current);
            current.clear();
            any = false;
            continue;
        }
        if (t.kind != Token::Space && t.kind != Token::Comment) any = true;
        current += t.text;
    }
    if (any) out.push_back(current);
    return out;
}

bool TranslateStatement(const std::string& statement, std::vector<Action>& actions, std::string& error) {
    actions.clear();
    std::vector<Token> tk = Significant(statement);
    if (tk.size() >= 2 && IsWord(tk[0], "ALTER") && IsWord(tk[1], "TABLE"))
        return TranslateAlterTable(statement, tk, actions, error);
    if (tk.size() >= 2 && IsWord(tk[0], "CREATE")) {
        std::size_t k = 1;
        while (k < tk.size() && (IsWord(tk[k], "TEMP") || IsWord(tk[k], "TEMPORARY"))) ++k;
        std::string translated;
        if (k < tk.size() && IsWord(tk[k], "TABLE") && TranslateCreateTable(statement, tk, translated)) {
            actions.push_back(SqlAction(translated));
            return true;
        }
    }
    actions.push_back(SqlAction(statement));
    return true;
}

SelectShape AnalyseSelect(const std::string& statement) {
    SelectShape shape;
    std::vector<Token> tk = Significant(statement);
    if (tk.empty() || !IsWord(tk[0], "SELECT")) return shape;
    std::size_t i = 1;
    if (i < tk.size() && IsWord(tk[i], "DISTINCT")) return shape;
    if (i < tk.size() && IsWord(tk[i], "ALL")) ++i;
    shape.afterSelect = tk[i - 1].pos + tk[i - 1].len;
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t k = i; k < tk.size(); ++k) {
        const Token& t = tk[k];
        if (t.kind == Token::Punct && t.text == "(") ++depth;
        if (t.kind == Token::Punct && t.text == ")") --depth;
        if (depth != 0) continue;
        if (IsWord(t, "FROM") && from == 0) from = k;
        if (IsWord(t, "GROUP") || IsWord(t, "HAVING") || IsWord(t, "UNION") || IsWord(t, "INTERSECT") ||
            IsWord(t, "EXCEPT") || IsWord(t, "WINDOW"))
            return shape;
    }
    if (from == 0 || from + 1 >= tk.size() || !IsName(tk[from + 1])) return shape;
    std::size_t k = from + 2;
    if (k < tk.size() && tk[k].kind == Token::Punct && tk[k].text == ".") return shape;
    std::string qualifier = tk[from + 1].text;
    if (k < tk.size() && IsWord(tk[k], "AS")) ++k;
    auto endsFrom = [&](const Token& t) {
        return IsWord(t, "WHERE") || IsWord(t, "ORDER") || IsWord(t, "LIMIT");
    };
    if (k < tk.size() && IsName(tk[k]) && !endsFrom(tk[k])) {
        if (tk[k].kind == Token::Word &&
            (IsWord(tk[k], "JOIN") || IsWord(tk[k], "NATURAL") || IsWord(tk[k], "LEFT") || IsWord(tk[k], "INNER") ||
             IsWord(tk[k], "CROSS") || IsWord(tk[k], "RIGHT") || IsWord(tk[k], "FULL") || IsWord(tk[k], "OUTER")))
            return shape;
        qualifier = tk[k].text;
        ++k;
    }
    if (k < tk.size() && !endsFrom(tk[k])) return shape;
    shape.simple = true;
    shape.table = Unquote(tk[from + 1].text);
    shape.qualifier = qualifier;
    return shape;
}

std::string Unquote(const std::string& identifier) {
    if (identifier.size() >= 2) {
        char a = identifier.front(), b = identifier.back();
        if ((a == '"' && b == '"') || (a == '`' && b == '`') || (a == '[' && b == ']')) {
            std::string inner = identifier.substr(1, identifier.size() - 2);
            if (a == '"') {
                std::string out;
                for (std::size_t i = 0; i < inner.size(); ++i) {
                    out += inner[i];
                    if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
                }
                return out;
            }
            return inner;
        }
    }
    return identifier;
}

std::string QuoteId(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

}  // namespace ldbi
