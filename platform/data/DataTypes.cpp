#include "platform/data/DataTypes.h"

const char* FieldTypeName(TFieldType t) {
    static const char* const names[] = {
        "Unknown", "String", "Smallint", "Integer", "Word", "Boolean", "Float", "Currency",
        "BCD", "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo",
        "Graphic", "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor", "FixedChar",
        "WideString", "Largeint", "ADT", "Array", "Reference", "DataSet", "OraBlob", "OraClob",
        "Variant", "Interface", "IDispatch", "Guid", "TimeStamp", "FMTBcd",
    };
    auto i = static_cast<unsigned>(t);
    return i < sizeof(names) / sizeof(names[0]) ? names[i] : "Unknown";
}

const char* DataSetStateName(TDataSetState s) {
    static const char* const names[] = {
        "Inactive", "Browse", "Edit", "Insert", "SetKey", "CalcFields", "Filter",
        "NewValue", "OldValue", "CurValue", "BlockRead", "InternalCalc", "Opening",
    };
    auto i = static_cast<unsigned>(s);
    return i < sizeof(names) / sizeof(names[0]) ? names[i] : "Inactive";
}
