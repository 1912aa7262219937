#include "app/SavedFiles.h"

#include <fstream>
#include <memory>
#include <sstream>

#include "app/KVN_Utils.h"
#include "app/WorkPrompts.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/Exception.h"
#include "platform/core/Strings.h"

void SaveHexLines(const std::string& fileName, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += StrToHex(line) + "\r\n";
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw Exception("Cannot create file \"" + fileName + "\".");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw Exception("Cannot write file \"" + fileName + "\".");
}

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::vector<std::string> LoadHexLines(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw Exception("Cannot open file \"" + fileName + "\".");
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    for (std::string& line : lines) {
        bool hex = line.size() % 2 == 0;
        for (char c : line) hex = hex && IsHexDigit(c);
        if (!hex) throw Exception("The file \"" + fileName + "\" is not a saved file of this program.");
        line = HexToStr(line, static_cast<int>(line.size() / 2));
    }
    return lines;
}

namespace {

struct TColumnValue {
    std::string Name;
    enum { Text, Boolean } Kind = Text;
    std::string Value;
};

}  // namespace

TSavedFileReader::TSavedFileReader(TComponent* owner, std::string databaseName, std::string fileName)
    : owner_(owner), databaseName_(std::move(databaseName)), fileName_(std::move(fileName)) {}

const std::set<std::string>& TSavedFileReader::ColumnsOf(const std::string& table) {
    auto found = columns_.find(table);
    if (found != columns_.end()) return found->second;
    TLdbQuery q(owner_);
    q.SetDatabaseName(databaseName_);
    q.SQL().SetText("select * from " + table + " where 1 = 0");
    q.Open();
    std::set<std::string> names;
    for (int k = 0; k < q.FieldCount(); ++k) names.insert(UpperCase(q.Fields()[k]->FieldName()));
    return columns_[table] = std::move(names);
}

void TSavedFileReader::ReadRecord(THyperParse& tokens, int& i, const TSectionRule& rule,
                                  const std::vector<std::pair<std::string, Int64>>& fixed) {
    const std::set<std::string>& known = ColumnsOf(rule.Table);
    i += 2;  // the opening tag and the indentation after it
    std::vector<TColumnValue> columns;
    while (i < tokens.Count()) {
        const std::string name = tokens.Items(i).TagName;
        if (name.empty() || rule.StopList.find(name) != std::string::npos) break;
        if (rule.ChildRecord && name[0] == '/') break;
        const THtmlInfo& content = tokens.Items(i + 1);
        if (rule.SkipBlank && Trim(content.Data).empty()) {
            i += 4;
            continue;
        }
        // The tag names a column of the statement: only a column the table
        // has may, so nothing of the file's text becomes statement text.
        if (!known.count(UpperCase(name)))
            throw Exception("The tag <" + name + "> in the file \"" + fileName_ + "\" names no column of the table " +
                            rule.Table + ".");
        TColumnValue column;
        column.Name = name;
        if (content.IsTag && !content.TagName.empty() && content.TagName[0] == '/') {
            i += 3;
        } else {
            column.Value = content.Data;
            if (rule.Booleans && (SameText(content.Data, "TRUE") || SameText(content.Data, "FALSE")))
                column.Kind = TColumnValue::Boolean;
            i += 4;
        }
        columns.push_back(column);
    }
    if (rule.ChildRecord && i < tokens.Count() && !tokens.Items(i).TagName.empty() &&
        tokens.Items(i).TagName[0] == '/')
        i += 2;

    std::string names, values;
    for (const auto& [name, value] : fixed) {
        names += (names.empty() ? "" : ", ") + name;
        values += (values.empty() ? ":" : ", :") + name;
    }
    for (const TColumnValue& c : columns) {
        names += ", " + c.Name;
        values += ", :" + c.Name;
    }
    auto q = std::make_unique<TLdbQuery>(owner_);
    q->SetDatabaseName(databaseName_);
    q->SQL().SetText("insert into " + rule.Table + "(\r\n" + names + "\r\n) values(\r\n" + values + "\r\n)");
    for (const auto& [name, value] : fixed) q->ParamByName(name)->SetAsLargeInt(value);
    for (const TColumnValue& c : columns) {
        if (c.Kind == TColumnValue::Boolean)
            q->ParamByName(c.Name)->SetAsBoolean(SameText(c.Value, "TRUE"));
        else
            q->ParamByName(c.Name)->SetAsString(c.Value);
    }
    q->ExecSQL();
}

void TSavedFileReader::ReadSection(THyperParse& tokens, int& i, const TSectionRule& rule,
                                   const std::vector<std::pair<std::string, Int64>>& fixed) {
    try {
        ReadRecord(tokens, i, rule, fixed);
    } catch (const Exception& e) {
        if (!WorkErrorConfirm("Error encountered while loading file (" + rule.SectionName + ") with message\r\n" +
                              e.Message + "\r\nDo you want to continue loading?"))
            throw;
    }
}

void TokenizeSavedLines(THyperParse& parser, const std::vector<std::string>& lines, const std::string& fileName) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    // An empty text would make the tokenizer read a file of its own.
    if (Trim(text).empty()) throw Exception("The file \"" + fileName + "\" is empty.");
    parser.Execute(text);
}
