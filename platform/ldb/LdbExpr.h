#pragma once
// Inside the engine: filter expressions over a cursor's fields, in the
// engine's expression language:
//   comparisons = == <> != # < <= > >= and $ (contained in), joined with
//   AND OR NOT (also .AND. .OR. .NOT. !), + - * / on numbers, + on text;
//   literals 'text' "text" numbers .T. .F. .TRUE. .FALSE.; field names
//   (also in square brackets); functions UPPER LOWER EMPTY TRIM RTRIM
//   LTRIM ALLTRIM LEFT SUBSTR LEN VAL STR CHR CTOD CTOT CTOTS CONTAINS.
// Text compared with = while exact matching is off matches when the left
// side starts with the right side; == always compares exactly. A null
// value is EMPTY and equals nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ldb/LdbValues.h"

namespace ldbi {

struct ExprNode;

class Expression {
public:
    // False with a message when the text is not an expression over fields.
    bool Parse(const std::string& text, const std::vector<FieldInfo>& fields, std::string& error);
    // Whether a row satisfies the expression (an evaluation failure does
    // not); values holds the row's field values in field order.
    bool Matches(const std::vector<SqlValue>& values, bool exact) const;
    const std::string& Text() const { return text_; }

private:
    std::string text_;
    std::shared_ptr<ExprNode> root_;
    std::vector<std::uint16_t> types_;
};

}  // namespace ldbi
