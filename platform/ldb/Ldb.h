#pragma once
// The database engine's client entry points, over SQLite.
//
// A connection names either a data dictionary (a path containing ".ldd",
// which is one SQLite file that must exist) or a folder (its tables live in
// the SQLite file "FreeTables.ldb" of that folder, created on first use).
// Statements run SQL in the engine's dialect on a connection; a statement
// that returns rows opens a cursor. Cursors hold their rows in memory; a
// cursor over a plain single-table SELECT asked for as live can be edited
// and writes through to its table.
//
// Conventions:
//   - Every entry point returns 0 or an engine error code (below). The
//     text of the last failure of the calling thread comes from
//     LdbGetLastError.
//   - Handles are positive 32-bit numbers; 0 is never a valid handle.
//   - Text goes in NUL-terminated (UTF-8). Text, records and bookmarks come
//     back in caller buffers: on entry *len is the buffer's size in bytes,
//     on return the number of bytes written (text: without the NUL that
//     ends it when there is room). Too small a buffer gives
//     LdbErrInsufficientBuffer with *len set to the size needed, except for
//     LdbGetLastError, which cuts the text.
//   - Fields and statement parameters are numbered from 1.
//
// Records. A cursor's record is a fixed-size byte block; each field sits at
// its offset (LdbGetFieldOffset) in its engine encoding (little-endian):
//   LdbTypeLogical   1 byte  'T' / 'F'; blank = null
//   LdbTypeNumeric   length bytes of right-aligned text, '.' decimals;
//                    all NUL = null
//   LdbTypeDate      32-bit Julian day; 0 = null
//   LdbTypeString    length bytes, NUL-padded; all NUL = null (an empty
//                    string is null)
//   LdbTypeMemo, LdbTypeBinary, LdbTypeImage
//                    32-bit marker: -1 has a value, 0 empty (content
//                    through LdbGetField / LdbSetField)
//   LdbTypeDouble, LdbTypeCurDouble
//                    64-bit double; null = the words 32, 0x80000000
//   LdbTypeInteger   32-bit; 0x80000000 = null
//   LdbTypeShort     16-bit; 0x8000 = null
//   LdbTypeTime      32-bit milliseconds since midnight; -1 = null
//   LdbTypeTimeStamp 32-bit Julian day, then 32-bit milliseconds; a day of
//                    0 = null
//   LdbTypeRaw       length bytes; all NUL = null
//   LdbTypeMoney     64-bit ten-thousandths; INT64_MIN = null
//   LdbTypeLongLong  64-bit integer; INT64_MIN = null
//
// A column declared with a type whose encoding cannot hold one of the
// values a cursor reads (an INTEGER column holding a 64-bit number, a
// number column holding text) is typed from its values instead, so no
// value reads as null that is not null.
//
// The dialect differences the engine translates:
//   - ":name" parameters (numbered by first appearance, names compared
//     without regard to case; "::" is a colon);
//   - "ALTER TABLE t ADD [COLUMN] c type ADD [COLUMN] c2 type ..." with
//     several clauses, "DROP [COLUMN] c", and
//     "ALTER [COLUMN] old new type" (the table is rebuilt with the column
//     renamed and retyped, its values converted);
//   - column types LOGICAL, NUMERIC(l,d), DATE, CHAR(n), MEMO, BLOB, IMAGE,
//     RAW(n), DOUBLE, INTEGER, SHORT, TIME, TIMESTAMP, CURDOUBLE, MONEY,
//     LONGLONG (also BIGINT)
//     (text types keep text affinity, so "007" stays "007");
//   - dates, times and timestamps are stored as ISO text
//     ("2024-01-05", "13:45:00.000", "2024-01-05 13:45:00.000"); text in
//     the forms "M/D/YYYY" and "YYYYMMDD" is read as a date as well.

#include <cstdint>

using LdbHandle = std::int32_t;
using LdbResult = std::uint32_t;

// ---- error codes
inline constexpr LdbResult LdbSuccess = 0;
inline constexpr LdbResult LdbErrInsufficientBuffer = 5005;    // buffer too small (see *len)
inline constexpr LdbResult LdbErrInvalidFieldNumber = 5012;    // no field or parameter of that number
inline constexpr LdbResult LdbErrInvalidHandle = 5018;         // not a handle, or one of another kind
inline constexpr LdbResult LdbErrInvalidArgument = 5019;       // missing pointer, bad option value
inline constexpr LdbResult LdbErrNoCurrentRecord = 5022;       // at BOF/EOF, or no record of that number
inline constexpr LdbResult LdbErrNotConnected = 5024;          // connection handle already closed
inline constexpr LdbResult LdbErrBadExpression = 5035;         // a filter expression that cannot be read
inline constexpr LdbResult LdbErrNoFilter = 5037;              // no filter is set
inline constexpr LdbResult LdbErrNoIndex = 5041;               // the operation needs an index
inline constexpr LdbResult LdbErrIndexNotFound = 5013;         // no index of that name
inline constexpr LdbResult LdbErrNotCustomIndex = 5017;        // the index is not a custom index
inline constexpr LdbResult LdbErrNoScope = 5038;               // no scope is set
inline constexpr LdbResult LdbErrTransaction = 5048;           // commit/rollback without transaction, or nested begin
inline constexpr LdbResult LdbErrPermissionDenied = 5054;      // write on a read-only cursor
inline constexpr LdbResult LdbErrNoMoreTables = 5059;          // table search finished
inline constexpr LdbResult LdbErrStaticCursor = 5064;          // record lock on a cursor that is not live
inline constexpr LdbResult LdbErrRecordDeleted = 5068;         // the record is gone
inline constexpr LdbResult LdbErrNoUpdatePending = 5085;       // cancel without changes
inline constexpr LdbResult LdbErrStatementClosed = 5106;       // statement already closed
inline constexpr LdbResult LdbErrNoMoreObjects = 5137;         // dictionary object search finished
inline constexpr LdbResult LdbErrPropertyNotSet = 5138;        // the dictionary holds no such property
inline constexpr LdbResult LdbErrNotPrepared = 5110;           // execute before prepare
inline constexpr LdbResult LdbErrNoRowCount = 5117;            // the statement gives no row count
inline constexpr LdbResult LdbErrParameterNotSet = 5120;       // a parameter has no value
inline constexpr LdbResult LdbErrValueTooLong = 5147;          // text longer than its column "name"
inline constexpr LdbResult LdbErrServerUnavailable = 6060;     // no engine of the server types asked for
inline constexpr LdbResult LdbErrDatabaseNotFound = 7008;      // the dictionary or folder does not exist
inline constexpr LdbResult LdbErrSql = 7200;                   // SQL failed; the text carries "NativeError = n;"

// ---- handle types (LdbGetHandleType)
enum : std::uint16_t {
    LdbHandleConnection = 1,
    LdbHandleCursor = 2,
    LdbHandleIndex = 3,
    LdbHandleStatement = 4,
};

// ---- field types
enum : std::uint16_t {
    LdbTypeLogical = 1,
    LdbTypeNumeric = 2,
    LdbTypeDate = 3,
    LdbTypeString = 4,
    LdbTypeMemo = 5,
    LdbTypeBinary = 6,
    LdbTypeImage = 7,
    LdbTypeCompactDate = 9,
    LdbTypeDouble = 10,
    LdbTypeInteger = 11,
    LdbTypeShort = 12,
    LdbTypeTime = 13,
    LdbTypeTimeStamp = 14,
    LdbTypeAutoInc = 15,
    LdbTypeRaw = 16,
    LdbTypeCurDouble = 17,
    LdbTypeMoney = 18,
    LdbTypeLongLong = 20,
};

// ---- table types (LdbGetTableType, LdbStmtSetTableType)
enum : std::uint16_t { LdbTableNtx = 1, LdbTableCdx = 2, LdbTableAdt = 3 };

// ---- options
enum : std::uint32_t {
    // LdbConnect60 server types
    LdbServerLocal = 1,
    LdbServerRemote = 2,
    LdbServerInternet = 4,
    // LdbGetTableOpenOptions
    LdbOpenReadOnly = 0x2,
    LdbOpenUpdateRight = 0x20,
    LdbOpenInsertRight = 0x40,
    // LdbGetColumnPermissions
    LdbColumnUpdate = 0x2,
    LdbColumnInsert = 0x4,
    // LdbStmtSetTableReadOnly
    LdbCursorReadOnly = 1,
    LdbCursorLive = 2,
    // LdbGetRecordCount / LdbGetRecordNum filter option
    LdbRespectFilters = 1,
    LdbIgnoreFilters = 2,
    LdbRespectScopes = 3,
    LdbRefreshCount = 4,
};

// ---- errors
// Code and text of the calling thread's last failure; *code is replaced.
LdbResult LdbGetLastError(LdbResult* code, char* buffer, std::uint16_t* len);
// Makes (code, text) the last failure; returns code.
LdbResult LdbSetLastError(LdbResult code, const char* text);
// Shows the last failure under a title (on the standard error stream).
LdbResult LdbShowError(const char* title);

// ---- engine
LdbResult LdbGetVersion(std::uint32_t* major, std::uint32_t* minor, char* letter, char* description,
                        std::uint16_t* len);
LdbResult LdbGetHandleType(LdbHandle handle, std::uint16_t* type);
LdbResult LdbCacheOpenTables(std::uint16_t count);
LdbResult LdbCacheOpenCursors(std::uint16_t count);
LdbResult LdbConvertJulianToString(double julian, char* buffer, std::uint16_t* len);
LdbResult LdbConvertStringToJulian(const char* text, std::uint16_t textLen, double* julian);

// ---- connections
LdbResult LdbConnect(const char* path, LdbHandle* connection);
LdbResult LdbConnect60(const char* path, std::uint16_t serverTypes, const char* user, const char* password,
                       std::uint32_t options, LdbHandle* connection);
// Closes the connection with its statements and cursors; 0 closes every one.
LdbResult LdbDisconnect(LdbHandle connection);
LdbResult LdbGetConnectionType(LdbHandle connection, std::uint16_t* type);
LdbResult LdbGetServerName(LdbHandle connection, char* buffer, std::uint16_t* len);
LdbResult LdbBeginTransaction(LdbHandle connection);
LdbResult LdbCommitTransaction(LdbHandle connection);
LdbResult LdbRollbackTransaction(LdbHandle connection);
// Table names matching a pattern (an empty pattern, or a folder and a file
// mask such as "dir/*.ldt"; a dictionary lists its tables by name, a folder
// connection as "name.ldt"). LdbErrNoMoreTables ends the search.
LdbResult LdbFindFirstTable(LdbHandle connection, const char* pattern, char* name, std::uint16_t* len,
                            LdbHandle* find);
LdbResult LdbFindNextTable(LdbHandle connection, LdbHandle find, char* name, std::uint16_t* len);
LdbResult LdbFindClose(LdbHandle connection, LdbHandle find);

// ---- connection services
// Active links to other dictionaries (the local engine has none).
LdbResult LdbGetNumActiveLinks(LdbHandle connection, std::uint16_t* count);
LdbResult LdbGetActiveLinkInfo(LdbHandle connection, std::uint16_t index, char* buffer, std::uint16_t* len);
// The server's local date ("YYYYMMDD"), milliseconds since midnight and
// time ("HH:MM:SS").
LdbResult LdbGetServerTime(LdbHandle connection, char* date, std::uint16_t* dateLen, std::int32_t* milliseconds,
                           char* time, std::uint16_t* timeLen);
// A date text in one of the engine's forms as a Julian day.
LdbResult LdbConvertDateToJulian(LdbHandle connection, const char* date, std::uint16_t len, double* julian);
LdbResult LdbCloseCachedTables(LdbHandle connection);
// Data dictionary objects: type LdbDDTable lists the tables (parent
// unused); LdbErrNoMoreObjects ends the search.
enum : std::uint16_t { LdbDDTable = 10 };
LdbResult LdbDDFindFirstObject(LdbHandle connection, std::uint16_t type, const char* parent, char* name,
                               std::uint16_t* len, LdbHandle* find);
LdbResult LdbDDFindNextObject(LdbHandle connection, LdbHandle find, char* name, std::uint16_t* len);
LdbResult LdbDDFindClose(LdbHandle connection, LdbHandle find);
// Properties of a dictionary user (LdbDDUserGroups: the user's groups,
// ";"-separated) and table (LdbDDTableDefaultIndex). A property that is
// not set gives LdbErrPropertyNotSet; a null buffer asks for the length.
enum : std::uint16_t { LdbDDTableDefaultIndex = 213, LdbDDUserGroups = 1102 };
LdbResult LdbDDGetUserProperty(LdbHandle connection, const char* user, std::uint16_t property, void* buffer,
                               std::uint16_t* len);
LdbResult LdbDDGetTableProperty(LdbHandle connection, const char* table, std::uint16_t property, void* buffer,
                                std::uint16_t* len);

// ---- SQL statements
LdbResult LdbCreateSQLStatement(LdbHandle connection, LdbHandle* statement);
LdbResult LdbPrepareSQL(LdbHandle statement, const char* sql);
// Runs the prepared statement; *cursor is the new cursor of a statement
// that returns rows, else 0.
LdbResult LdbExecuteSQL(LdbHandle statement, LdbHandle* cursor);
// Prepares and runs a text in one step.
LdbResult LdbExecuteSQLDirect(LdbHandle statement, const char* sql, LdbHandle* cursor);
LdbResult LdbCloseSQLStatement(LdbHandle statement);
// The parameter names of a text, ";"-separated, in numbering order.
LdbResult LdbGetSQLStmtParams(const char* sql, char* names, std::uint16_t* len);
LdbResult LdbStmtSetTableLockType(LdbHandle statement, std::uint16_t lockType);
LdbResult LdbStmtSetTableCharType(LdbHandle statement, std::uint16_t charType);
LdbResult LdbStmtSetTableRights(LdbHandle statement, std::uint16_t checkRights);
LdbResult LdbStmtSetTableReadOnly(LdbHandle statement, std::uint16_t readOnly);
LdbResult LdbStmtSetTableType(LdbHandle statement, std::uint16_t tableType);
LdbResult LdbStmtConstrainUpdates(LdbHandle statement, std::uint16_t constrain);
LdbResult LdbStmtReadAllColumns(LdbHandle statement, std::uint16_t readAll);
// Whether a cursor is live (1) or a static copy (0).
LdbResult LdbSqlPeekStatement(LdbHandle cursor, std::uint16_t* live);
LdbResult LdbGetLastAutoinc(LdbHandle statementOrCursor, std::uint32_t* value);

// Parameter values of a statement (by number).
LdbResult LdbSetString(LdbHandle statement, std::uint32_t param, const char* text, std::uint32_t len);
LdbResult LdbSetLogical(LdbHandle statement, std::uint32_t param, std::uint16_t value);
LdbResult LdbSetDouble(LdbHandle statement, std::uint32_t param, double value);
LdbResult LdbSetJulian(LdbHandle statement, std::uint32_t param, std::int32_t julian);
LdbResult LdbSetMilliseconds(LdbHandle statement, std::uint32_t param, std::int32_t milliseconds);
// 8 bytes: 32-bit Julian day, 32-bit milliseconds.
LdbResult LdbSetTimeStampRaw(LdbHandle statement, std::uint32_t param, const void* value, std::uint32_t len);
LdbResult LdbSetBinary(LdbHandle statement, std::uint32_t param, std::uint16_t binaryType,
                       std::uint32_t totalLength, std::uint32_t offset, const void* data, std::uint32_t len);
// A null parameter (statement) or a null field of the current record (cursor).
LdbResult LdbSetEmpty(LdbHandle handle, std::uint32_t fieldOrParam);

// ---- cursors
LdbResult LdbCloseTable(LdbHandle cursor);
LdbResult LdbGetTableType(LdbHandle cursor, std::uint16_t* type);
LdbResult LdbGetTableOpenOptions(LdbHandle cursor, std::uint32_t* options);
LdbResult LdbCacheRecords(LdbHandle cursor, std::uint16_t count);
LdbResult LdbGetRecordLength(LdbHandle cursor, std::uint32_t* length);
LdbResult LdbGetNumFields(LdbHandle cursor, std::uint16_t* count);
LdbResult LdbGetFieldName(LdbHandle cursor, std::uint32_t field, char* buffer, std::uint16_t* len);
LdbResult LdbGetFieldType(LdbHandle cursor, std::uint32_t field, std::uint16_t* type);
LdbResult LdbGetFieldLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length);
LdbResult LdbGetFieldDecimals(LdbHandle cursor, std::uint32_t field, std::uint16_t* decimals);
LdbResult LdbGetFieldOffset(LdbHandle cursor, std::uint32_t field, std::uint32_t* offset);
LdbResult LdbGetColumnPermissions(LdbHandle cursor, std::uint32_t field, std::uint8_t* permissions);
// ---- indexes
// A live cursor over a table has that table's indexes; other cursors have
// none. An index handle moves the cursor along its key order (ties in the
// cursor's order) and limits it to its scopes: every navigation entry
// point below takes a cursor or one of its index handles. Segments are
// numbered from 1.
//
// Keys. InitRawKey clears the index's key; SetField, SetFieldRaw and
// SetEmpty on the index handle set its segments' values (a text given
// shorter than its field is a partial key, matching by the start; a text
// given at the field's length matches exactly); BuildRawKey
// gives the key's bytes, which SetScope (raw keys, type 1) and Seek take.
// A key compares segment by segment up to its first segment not set.
// Text scopes (type 2) give a value for the first segment as text.
LdbResult LdbGetAllIndexes(LdbHandle cursor, LdbHandle* indexes, std::uint16_t* count);
LdbResult LdbGetNumIndexes(LdbHandle cursor, std::uint16_t* count);
LdbResult LdbGetIndexHandle(LdbHandle cursor, const char* name, LdbHandle* index);
LdbResult LdbGetIndexName(LdbHandle index, char* buffer, std::uint16_t* len);
LdbResult LdbGetIndexFilename(LdbHandle index, std::uint16_t option, char* buffer, std::uint16_t* len);
LdbResult LdbGetIndexPageSize(LdbHandle index, std::uint32_t* pageSize);
LdbResult LdbGetIndexCondition(LdbHandle index, char* buffer, std::uint16_t* len);
LdbResult LdbGetIndexFlags(LdbHandle index, std::uint32_t* flags);
LdbResult LdbIsIndexUnique(LdbHandle index, std::uint16_t* unique);
LdbResult LdbIsIndexDescending(LdbHandle index, std::uint16_t* descending);
// LdbErrNotCustomIndex: the engine has no custom indexes.
LdbResult LdbIsIndexCustom(LdbHandle index, std::uint16_t* custom);
LdbResult LdbGetNumSegments(LdbHandle index, std::uint16_t* count);
LdbResult LdbGetSegmentFieldname(LdbHandle index, std::uint16_t segment, char* buffer, std::uint16_t* len);
// Index files are not used by this engine: both refuse.
LdbResult LdbOpenIndex(LdbHandle cursor, const char* path, LdbHandle* indexes, std::uint16_t* count);
LdbResult LdbCloseIndex(LdbHandle index);
LdbResult LdbInitRawKey(LdbHandle index);
LdbResult LdbBuildRawKey(LdbHandle index, void* key, std::uint16_t* len);
// The longest key the index builds.
LdbResult LdbGetKeyLength(LdbHandle index, std::uint16_t* length);
// Makes a raw key exclusive: direction 1 passes over equal keys upwards,
// -1 downwards.
LdbResult LdbStepIndexKey(LdbHandle index, void* key, std::uint16_t len, std::int16_t direction);
// Scopes: which 1 top, 2 bottom; dataType 1 raw key, 2 text.
LdbResult LdbSetScope(LdbHandle index, std::uint16_t which, const void* key, std::uint16_t len,
                      std::uint16_t dataType);
// The scope as given (LdbErrNoScope when none).
LdbResult LdbGetScope(LdbHandle index, std::uint16_t which, void* buffer, std::uint16_t* len);
LdbResult LdbClearScope(LdbHandle index, std::uint16_t which);
LdbResult LdbClearAllScopes(LdbHandle cursor);
// Moves to the first record whose key is not below the key (seekType 1)
// and answers whether its key matches.
LdbResult LdbSeek(LdbHandle index, const void* key, std::uint16_t len, std::uint16_t dataType,
                  std::uint16_t seekType, std::uint16_t* found);
// 1-based position of the current record in the index's visible records.
LdbResult LdbGetKeyNum(LdbHandle index, std::uint16_t filterOption, std::uint32_t* number);
LdbResult LdbGetRelKeyPos(LdbHandle index, double* position);
LdbResult LdbSetRelKeyPos(LdbHandle index, double position);
// The record of a new record (every field null) of the cursor.
LdbResult LdbGetNullRecord(LdbHandle cursor, void* record, std::uint32_t* len);

// Navigation. The cursor stands before the first record (BOF), on a
// record, or after the last (EOF); records deleted are skipped.
LdbResult LdbGotoBOF(LdbHandle cursor);
LdbResult LdbGotoTop(LdbHandle cursor);
LdbResult LdbGotoBottom(LdbHandle cursor);
LdbResult LdbSkip(LdbHandle cursor, std::int32_t count);
LdbResult LdbAtBOF(LdbHandle cursor, std::uint16_t* atBof);
LdbResult LdbAtEOF(LdbHandle cursor, std::uint16_t* atEof);
LdbResult LdbGotoRecord(LdbHandle cursor, std::uint32_t recordNumber);
LdbResult LdbGetRecordNum(LdbHandle cursor, std::uint16_t filterOption, std::uint32_t* recordNumber);
// Records of a cursor, or rows affected by a statement's last execution.
LdbResult LdbGetRecordCount(LdbHandle handle, std::uint16_t filterOption, std::uint32_t* count);
LdbResult LdbIsRecordVisible(LdbHandle cursor, std::uint16_t* visible);
LdbResult LdbIsRecordDeleted(LdbHandle cursor, std::uint16_t* deleted);
// Whether deleted records are shown (never).
LdbResult LdbGetDeleted(std::uint16_t* shown);
LdbResult LdbRefreshRecord(LdbHandle cursor);

// Filters. A cursor shows only the records that satisfy its optimized
// filter (AOF) and its record filter, in the engine's expression language
// (see LdbExpr.h); the record count with LdbRespectFilters counts those.
// Exact matching off lets text compared with = match by its start.
LdbResult LdbSetAOF(LdbHandle cursor, const char* expression, std::uint16_t options);
// LdbErrNoFilter when none is set; a null buffer asks for the length
// (LdbErrInsufficientBuffer).
LdbResult LdbGetAOF(LdbHandle cursor, char* buffer, std::uint16_t* len);
LdbResult LdbClearAOF(LdbHandle cursor);
LdbResult LdbSetFilter(LdbHandle cursor, const char* expression);
LdbResult LdbClearFilter(LdbHandle cursor);
LdbResult LdbSetExact22(LdbHandle cursor, std::uint16_t exact);
LdbResult LdbGetExact22(LdbHandle cursor, std::uint16_t* exact);
// Field names in an expression between their long and short forms (the
// engine's names are the same in both: the text is copied).
LdbResult LdbExpressionLongToShort(LdbHandle cursor, const char* expression, char* buffer, std::uint16_t* len);
LdbResult LdbExpressionShortToLong(LdbHandle cursor, const char* expression, char* buffer, std::uint16_t* len);

// Bookmarks: 8 bytes, the 32-bit record number and the 32-bit cursor handle.
LdbResult LdbGetBookmarkLength(LdbHandle cursor, std::uint32_t* length);
LdbResult LdbGetBookmark60(LdbHandle cursor, void* bookmark, std::uint32_t* len);
LdbResult LdbGotoBookmark(LdbHandle cursor, std::uint32_t recordNumber);
// *result: negative, 0 or positive by the records' order in their cursor.
LdbResult LdbCompareBookmarks(const void* bookmark1, const void* bookmark2, std::int32_t* result);

// Record and field values.
LdbResult LdbGetRecord(LdbHandle cursor, void* record, std::uint32_t* len);
LdbResult LdbIsEmpty(LdbHandle cursor, std::uint32_t field, std::uint16_t* empty);
// A text, memo or binary field's content (text NUL-terminated when there is
// room); option is unused.
LdbResult LdbGetField(LdbHandle cursor, std::uint32_t field, void* buffer, std::uint32_t* len,
                      std::uint16_t option);
// Length in bytes of a memo's text, of a binary or image field's content.
LdbResult LdbGetMemoLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length);
LdbResult LdbGetBinaryLength(LdbHandle cursor, std::uint32_t field, std::uint32_t* length);
// What a memo-like field holds: LdbTypeMemo for text, LdbTypeBinary for bytes.
LdbResult LdbGetMemoDataType(LdbHandle cursor, std::uint32_t field, std::uint16_t* type);
// The record of a new record: every field null.
LdbResult LdbClearRecordBuffer(LdbHandle cursor, void* record, std::uint32_t len);

// Editing a live cursor: AppendRecord starts a new record before the current
// one (at the end when the cursor is at EOF) and stands on it; SetField,
// SetFieldRaw and SetEmpty change the current record; WriteRecord stores
// the changes, CancelUpdate drops them (and an unwritten new record).
// Moving the cursor writes pending changes first.
LdbResult LdbLockRecord(LdbHandle cursor, std::uint32_t recordNumber);
LdbResult LdbUnlockRecord(LdbHandle cursor, std::uint32_t recordNumber);
LdbResult LdbAppendRecord(LdbHandle cursor);
// Text (string fields: up to the first NUL, trailing blanks dropped) or
// content (memo, binary).
LdbResult LdbSetField(LdbHandle cursor, std::uint32_t field, const void* value, std::uint32_t len);
// A value in the field's record encoding.
LdbResult LdbSetFieldRaw(LdbHandle cursor, std::uint32_t field, const void* value, std::uint32_t len);
LdbResult LdbWriteRecord(LdbHandle cursor);
LdbResult LdbCancelUpdate(LdbHandle cursor);
LdbResult LdbDeleteRecord(LdbHandle cursor);
