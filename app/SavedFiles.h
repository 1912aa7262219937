#pragma once
// What the question-group, profile and test-set files share: their lines
// stored hex-encoded, one per CR LF line, and the reader that turns one
// tagged record of a profile or test-set file into one inserted row.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/HyperParse.h"
#include "platform/core/Types.h"

class TComponent;

// Writes the lines, each as its hex form followed by CR LF, replacing any
// file of that name. Raises when the file cannot be written.
void SaveHexLines(const std::string& fileName, const std::vector<std::string>& lines);

// The decoded lines of a saved file. Raises when the file cannot be read
// or a line is not hexadecimal text of even length: such a file was not
// written by this program and is refused before anything is changed.
std::vector<std::string> LoadHexLines(const std::string& fileName);

// The rules of one section reader.
struct TSectionRule {
    std::string Table;       // "Profiles", "Groups", ...
    std::string SectionName; // "Profiles section", "Detail Data section", ...
    std::string StopList;    // a tag whose name occurs in it ends the record
    bool ChildRecord = false;  // ends at a closing tag too and moves past it
    bool SkipBlank = false;    // an element with blank content adds no column
    bool Booleans = false;     // contents TRUE and FALSE (any case) are Booleans
};

// Reads the tagged records of one saved file into the database. Every
// tag is matched against the columns of the table it is written into
// before any statement is built; a tag that names no column fails with a
// message naming the tag and the file.
class TSavedFileReader {
public:
    TSavedFileReader(TComponent* owner, std::string databaseName, std::string fileName);

    // Reads the record whose opening tag is at token i into one insert of
    // the fixed columns (name, value) and one column per element, and moves
    // i past it. A failure (a database error, a token missing, an unknown
    // tag) asks "Do you want to continue loading?": Yes returns with i past
    // what was read, No raises the error. Rows inserted before stay.
    void ReadSection(THyperParse& tokens, int& i, const TSectionRule& rule,
                     const std::vector<std::pair<std::string, Int64>>& fixed);

private:
    void ReadRecord(THyperParse& tokens, int& i, const TSectionRule& rule,
                    const std::vector<std::pair<std::string, Int64>>& fixed);
    // The upper-cased column names of a table, read once per file.
    const std::set<std::string>& ColumnsOf(const std::string& table);

    TComponent* owner_;
    std::string databaseName_, fileName_;
    std::map<std::string, std::set<std::string>> columns_;
};

// Joins decoded lines with CR LF after each and tokenizes them; raises
// when there is nothing to read.
void TokenizeSavedLines(THyperParse& parser, const std::vector<std::string>& lines, const std::string& fileName);
