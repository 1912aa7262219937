#pragma once
// Basic kinds shared by the dataset framework and its descendants: field
// types and kinds, dataset states and the record-buffer protocol's
// vocabulary (buffers, fetch modes and results, bookmark flags, locate
// options, bookmarks).

#include <cstdint>
#include <string>

// The data type of a field or field definition.
enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
};

// Where a field's value comes from.
enum TFieldKind {
    fkData,          // stored in the record
    fkCalculated,    // computed by OnCalcFields, held in the calculated area
    fkLookup,        // looked up in another dataset through key fields
    fkInternalCalc,  // computed and stored by the dataset itself
    fkAggregate,
};

// The dataset's state. The temporary states (dsCalcFields, dsFilter,
// dsNewValue, dsOldValue, dsCurValue, dsInternalCalc) are entered for the
// duration of one operation and restored afterwards.
enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening,
};

// Dataset events passed to the data links.
enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll,
    deConnectChange,
    deReconcileError,
    deDisabledStateChange,
};

// A record buffer: memory the descendant allocates in AllocRecordBuffer and
// lays out as it likes (record data, then calculated fields, then its
// bookmark information).
using TRecordBuffer = char*;

// What GetRecord should fetch relative to the cursor.
enum TGetMode { gmCurrent, gmNext, gmPrior };

// GetRecord's answer.
enum TGetResult { grOK, grBOF, grEOF, grError };

// How a buffer relates to the cursor: a normal record, the crack before the
// first or after the last record, or a record being inserted.
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Options of Locate and Lookup, combinable with |.
enum TLocateOption : unsigned {
    loCaseInsensitive = 1u << 0,
    loPartialKey = 1u << 1,
};
using TLocateOptions = unsigned;

// A bookmark is an opaque byte string chosen by the dataset; it may hold
// NUL bytes. The empty string is "no bookmark".
using TBookmark = std::string;
using TBookmarkStr = std::string;

// The result of CompareBookmarks: negative, zero or positive.
using TBookmarkCompare = int;

// Whether an update (Post, Delete, Edit) error is retried, aborted or
// reported.
enum TDataAction { daFail, daAbort, daRetry };

// Field definition attributes, combinable with |.
enum TFieldAttribute : unsigned {
    faHiddenCol = 1u << 0,
    faReadonly = 1u << 1,
    faRequired = 1u << 2,
    faLink = 1u << 3,
    faUnNamed = 1u << 4,
    faFixed = 1u << 5,
};
using TFieldAttributes = unsigned;

// Index options, combinable with |.
enum TIndexOption : unsigned {
    ixPrimary = 1u << 0,
    ixUnique = 1u << 1,
    ixDescending = 1u << 2,
    ixCaseInsensitive = 1u << 3,
    ixExpression = 1u << 4,
    ixNonMaintained = 1u << 5,
};
using TIndexOptions = unsigned;

// Update status of a record (cached updates and versioning).
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

// Resync options, combinable with |: rmExact raises when the current record
// is gone; rmCenter centres it in the buffer window.
enum TResyncOption : unsigned { rmExact = 1u << 0, rmCenter = 1u << 1 };
using TResyncMode = unsigned;

// How a blob stream is opened.
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Filter options, combinable with |.
enum TFilterOption : unsigned { foCaseInsensitive = 1u << 0, foNoPartialCompare = 1u << 1 };
using TFilterOptions = unsigned;

// Parameter direction.
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// Human-readable names used in messages and tests.
const char* FieldTypeName(TFieldType t);
const char* DataSetStateName(TDataSetState s);
