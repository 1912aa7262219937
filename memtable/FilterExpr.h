#pragma once
// Filter expressions of the in-memory table: a parser that turns the text of
// Filter into a tree of nodes, and the evaluator that computes a node's value
// against the table's override row.
//
// Syntax (keywords in any case):
//   expr     := and {OR and}
//   and      := not {AND not}
//   not      := NOT not | compare
//   compare  := sum [ (= | <> | < | > | <= | >=) sum
//                    | [NOT] LIKE sum | [NOT] IN "(" list ")"
//                    | IS [NOT] NULL ]
//   sum      := product {(+ | -) product}
//   product  := unary {(* | / | MOD) unary}
//   unary    := - unary | primary
//   primary  := number | 'text' ('' for a quote) | NULL | TRUE | FALSE
//             | name | [name] | "name" | name "(" [list] ")" | "(" expr ")"
//   list     := expr {, expr}
// A text constant compared with a date, time or date-time field is read as
// a date (short date format), time or date and time of the process format
// settings. An equality test of a field with a text constant becomes a
// compare node when the filter options ask for case-insensitive matching, or
// when the constant ends in "*" and partial matching is allowed.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/data/DataTypes.h"

class TDataSet;
class TqmtCustomMemTable;

// Node classes.
constexpr int qmtNodeUnary = 1;
constexpr int qmtNodeBinary = 2;
constexpr int qmtNodeCompare = 3;
constexpr int qmtNodeField = 4;
constexpr int qmtNodeConst = 5;
constexpr int qmtNodeFunc = 10;
constexpr int qmtNodeListElem = 11;

// Operator codes.
enum : int {
    qmtOpIsBlank = 1,
    qmtOpIsNotBlank = 2,
    qmtOpEQ = 3,
    qmtOpNE = 4,
    qmtOpGT = 5,
    qmtOpLT = 6,
    qmtOpGE = 7,
    qmtOpLE = 8,
    qmtOpAssigned = 9,
    qmtOpAnd = 10,
    qmtOpOr = 11,
    qmtOpField = 13,
    qmtOpConst = 14,
    qmtOpNot = 15,
    qmtOpAdd = 16,
    qmtOpSub = 17,
    qmtOpMul = 18,
    qmtOpDiv = 19,
    qmtOpMod = 20,
    qmtOpRem = 21,
    qmtOpLike = 30,
    qmtOpIn = 31,
    qmtOpUpper = 33,
    qmtOpLower = 34,
    qmtOpFunc = 35,
    qmtOpListElem = 36,
};

struct TqmtFilterNode {
    int NodeClass = 0;
    int Op = 0;
    std::unique_ptr<TqmtFilterNode> Left, Right;  // operands; Left is the only one of unary nodes
    std::string Name;                             // field or function name
    TFieldType ConstType = ftUnknown;             // constant nodes
    Variant ConstValue;
    int CaseInsensitive = 0;  // compare nodes
    int PartialLength = 0;
    // A list element's next element (the rest of the list).
    std::unique_ptr<TqmtFilterNode> Next;
};

class TqmtFilterExpr {
public:
    // Parses text; EMemTableFilterError on malformed text. dataSet gives the
    // field types (may be null: constants then keep their literal type).
    TqmtFilterExpr(TDataSet* dataSet, const std::string& text, TFilterOptions options);
    TqmtFilterNode* Root() const { return root_.get(); }

private:
    std::unique_ptr<TqmtFilterNode> root_;
};

// Computes the value of a node against the table's current (override) row.
Variant qmtEvaluateNode(TqmtCustomMemTable& table, const TqmtFilterNode* node);
// True when the text matches the mask ("*" any run, "?" one character,
// "[a-z]" and "[!a-z]" sets); letters match in either case.
bool qmtMatchesMask(const std::string& text, const std::string& mask);
