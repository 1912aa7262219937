#pragma once
// Message texts of the dataset framework. Placeholders follow the platform's
// Format conventions; DatabaseErrorFmt fills them in order.

namespace DBConsts {
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SFieldNameMissing = "Field name missing";
inline constexpr const char* SDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* SFieldIndexError = "Field index out of range";
inline constexpr const char* SDataSetMissing = "Field '%s' has no dataset";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SNotInEditMode = "Dataset is not in edit mode.";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SFieldIsReadOnly = "Field %s is read only";
inline constexpr const char* SNotIndexField = "Field '%s' is not indexed and cannot be modified";
inline constexpr const char* SCantIndexOnField = "Can't index on field %s";
inline constexpr const char* SFieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* SFieldSizeMismatch = "Size mismatch for field '%s', expecting: %d actual: %d";
inline constexpr const char* SFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* SFieldValueError = "Invalid value for field '%s'";
inline constexpr const char* SFieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* SInvalidIntegerValue = "'%s' is not a valid integer value for field '%s'";
inline constexpr const char* SInvalidFloatValue = "'%s' is not a valid floating point value for field '%s'";
inline constexpr const char* SInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* SInvalidDateTimeValue = "'%s' is not a valid date and time for field '%s'";
inline constexpr const char* SUnknownFieldType = "Field '%s' is of an unknown type";
inline constexpr const char* SInvalidFieldSize = "Invalid field size";
inline constexpr const char* SInvalidFieldKind = "Invalid FieldKind";
inline constexpr const char* SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* SCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* SDataSourceChange = "DataSource cannot be changed";
inline constexpr const char* SSelfRefMasterDetail = "Selfreferencing master/detail relations not allowed.";
inline constexpr const char* SRecordNotFound = "Record not found";
inline constexpr const char* SKeyValueCount = "The number of key values does not match the number of key fields";
inline constexpr const char* SBookmarkNotFound = "Bookmark not found for dataset";
inline constexpr const char* SParameterNotFound = "Parameter '%s' not found";
inline constexpr const char* SIndexNotFound = "Index '%s' not found";
inline constexpr const char* SNoFieldIndexes = "No index currently active";
inline constexpr const char* SNotCalcOrLookup = "Field '%s' is not a calculated or lookup field";
inline constexpr const char* SBlobNotSupported = "Blob fields are not supported by this dataset";
inline constexpr const char* SLoginError = "Cannot connect to database '%s'";
// Conversion errors of text read through a field (the runtime's texts).
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* SInvalidBoolean = "'%s' is not a valid boolean value";
// Display texts.
inline constexpr const char* STextTrue = "True";
inline constexpr const char* STextFalse = "False";
}  // namespace DBConsts
