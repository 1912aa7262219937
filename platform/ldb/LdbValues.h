#pragma once
// Inside the engine: SQL values, field types and their record encodings,
// and the date and time text forms kept in the database.

#include <cstdint>
#include <string>
#include <vector>

namespace ldbi {

// A value as SQLite holds it.
struct SqlValue {
    enum Kind { Null, Int, Real, Text, Blob };
    Kind kind = Null;
    std::int64_t i = 0;
    double d = 0;
    std::string s;

    static SqlValue MakeInt(std::int64_t v) { SqlValue r; r.kind = Int; r.i = v; return r; }
    static SqlValue MakeReal(double v) { SqlValue r; r.kind = Real; r.d = v; return r; }
    static SqlValue MakeText(std::string v) { SqlValue r; r.kind = Text; r.s = std::move(v); return r; }
    static SqlValue MakeBlob(std::string v) { SqlValue r; r.kind = Blob; r.s = std::move(v); return r; }
};

struct TypeInfo {
    std::uint16_t type = 0;
    std::uint32_t length = 0;
    std::uint16_t decimals = 0;
};

// One field of a cursor.
struct FieldInfo {
    std::string name;
    TypeInfo t;
    std::uint32_t offset = 0;
    // The table column a live cursor writes this field to.
    std::string origin;
};

// The engine type of a declared column type ("char(30)", "Double", "Memo
// Text", ...); false when the declaration names no type the engine knows.
bool MapDeclaredType(const std::string& declared, TypeInfo& out);
// The type of a result column without a declared type, from its values.
TypeInfo InferType(const std::vector<const SqlValue*>& values);
// Memo, binary and image fields keep their content beside the record.
bool IsBlobType(std::uint16_t type);
// The type text to give SQLite for a declared engine type, so that text
// types keep text affinity ("Memo" becomes "Memo Text").
std::string SqliteColumnType(const std::string& declared);

// Record encodings (see Ldb.h).
void EncodeNull(const FieldInfo& f, char* record);
// Stores a value in its field; a blob field's content goes to *content.
void EncodeValue(const FieldInfo& f, const SqlValue& v, char* record, std::string* content);
bool RawIsNull(const FieldInfo& f, const char* record);
// Whether the field's encoding holds the value (a value it cannot hold
// would read as null).
bool ValueFits(const FieldInfo& f, const SqlValue& v);
// The value of a field's bytes in the record encoding; false with a
// message when the bytes are not a valid value.
bool DecodeRaw(const FieldInfo& f, const char* raw, SqlValue& out, std::string& error);

// Julian day numbers and the text forms.
std::int32_t JulianFromCivil(int year, int month, int day);
void CivilFromJulian(std::int32_t julian, int& year, int& month, int& day);
// "YYYY-MM-DD", "M/D/YYYY" or "YYYYMMDD", optionally followed by a time.
bool ParseDate(const std::string& text, std::int32_t& julian);
// "HH:MM[:SS[.fff]]".
bool ParseTime(const std::string& text, std::int32_t& ms);
// A date, optionally followed by blank or "T" and a time.
bool ParseTimeStamp(const std::string& text, std::int32_t& julian, std::int32_t& ms);
std::string FormatDate(std::int32_t julian);
std::string FormatTime(std::int32_t ms);
std::string FormatTimeStamp(std::int32_t julian, std::int32_t ms);

// Upper-case ASCII.
std::string Upper(std::string s);
bool SameName(const std::string& a, const std::string& b);
// At most n bytes of UTF-8 text, never splitting a character.
std::string CutUtf8(const std::string& s, std::size_t n);

}  // namespace ldbi
