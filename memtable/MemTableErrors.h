#pragma once
// Exceptions of the in-memory table and the message texts they carry.

#include "platform/data/DBError.h"

class EMemTableError : public EDatabaseError { using EDatabaseError::EDatabaseError; };
class EMemTableFatalError : public EMemTableError { using EMemTableError::EMemTableError; };
class EMemTableInvalidRecord : public EMemTableFatalError { using EMemTableFatalError::EMemTableFatalError; };
class EMemTableDupKey : public EMemTableError { using EMemTableError::EMemTableError; };
class EMemTableFilterError : public EMemTableError { using EMemTableError::EMemTableError; };
class EMemTableLocaleError : public EMemTableError { using EMemTableError::EMemTableError; };
class EMemTableInvalidLocale : public EMemTableLocaleError { using EMemTableLocaleError::EMemTableLocaleError; };

namespace qmtmsg {
inline constexpr const char* NoFields = "There must be at least one field";
inline constexpr const char* InvalidRecord = "Invalid record ";
inline constexpr const char* BookmarkCounter = "Bookmark counter is out of range. Please close and reopen table.";
inline constexpr const char* TableMustBeClosed = "Table must be closed for this operation.";
inline constexpr const char* ChildrenAttached = "Children are attached to this table.";
inline constexpr const char* InvalidArgument = "Invalid argument.";
inline constexpr const char* DupKey = "Duplicate index value. Operation aborted.";
inline constexpr const char* MissingIndexFields = "Missing Name or FieldNames in IndexDef!";
inline constexpr const char* CantIndexOn = "Can't index on field %s";
inline constexpr const char* BadDimensions = "Values variant array has invalid dimension count";
inline constexpr const char* MoreFieldsThanValues = "More fields than values";
inline constexpr const char* BookmarkNotFound = "Bookmark %d not found.";
inline constexpr const char* BookmarkRowGone = "Bookmark not found: the row no longer exists.";
inline constexpr const char* NoFormat = "No format specified.";
inline constexpr const char* AppendAndStructure = "Cannot both append and copy structure.";
inline constexpr const char* TooManyFieldDefs = "Too many fielddefs. Please raise QMT_MAX_FIELDS value.";
inline constexpr const char* NoLoadFields = "Couldnt determine field count for load.";
inline constexpr const char* DeltasBinaryOnly = "Saving deltas is supported only in binary format.";
inline constexpr const char* UnknownCsvType = "Unknown field type (%s) in CSV file. (%s)";
inline constexpr const char* CsvNulInText = "Field %s cannot hold the NUL character of its CSV text.";
inline constexpr const char* NeedsMultiVersion = "Transactioning requires multiversion versioning.";
inline constexpr const char* OperatorNotSupported = "Operator not supported (%d).";
inline constexpr const char* UnknownOperator = "Unknown operator (%d)";
inline constexpr const char* UnknownFieldType = "Unknown fieldtype (%d)";
inline constexpr const char* InvalidFunctionName = "Invalid function name %s";
inline constexpr const char* InvalidFunctionParam = "Invalid or missing parameter for function %s";
inline constexpr const char* NoDeltaTable = "Delta handler is not assigned to any memorytables.";
inline constexpr const char* TableIsAttached = "Table is attached to another table.";
inline constexpr const char* AttachToSelf = "Cant attach memorytable to it self.";
inline constexpr const char* AttachToAttachment = "Cant attach to another table which itself is an attachment.";
inline constexpr const char* BadSixBit = "Invalid binary value in CSV file.";
}  // namespace qmtmsg
