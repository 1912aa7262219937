#include "dbclient/LdbError.h"

#include <cstring>

#include "dbclient/LdbDataSet.h"
#include "platform/core/Strings.h"

namespace {

thread_local bool raisingEngineError = false;

// The text after "NativeError = " up to the next ";" as a number; 0 when the
// message is no SQL error or the text is not a number.
Integer NativeSqlCode(const std::string& message) {
    std::string upper = UpperCase(message);
    if (upper.find("ERROR 7200:") == std::string::npos) return 0;
    const std::string marker = "NATIVEERROR = ";
    std::size_t at = upper.find(marker);
    if (at == std::string::npos) return 0;
    std::size_t start = at + marker.size();
    std::size_t end = message.find(';', start);
    std::string text = message.substr(start, end == std::string::npos ? std::string::npos : end - start);
    Integer value = 0;
    return TryStrToInt(Trim(text), value) ? value : 0;
}

// The name after the word column, a blank and a double quote, up to the
// next double quote (at most 900 characters).
std::string ColumnNameIn(const std::string& message) {
    const std::string marker = "column \"";
    std::size_t at = message.find(marker);
    if (at == std::string::npos) return {};
    std::size_t start = at + marker.size();
    std::size_t end = message.find('"', start);
    std::string name = message.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return Utf8Copy(name, 1, 900);
}

}  // namespace

bool RaisingEngineError() { return raisingEngineError; }
void SetRaisingEngineError(bool value) { raisingEngineError = value; }

ELdbDatabaseError::ELdbDatabaseError(TLdbDataSet* dataSet, const std::string& message, Integer code)
    : EDatabaseError(std::string()) {
    if (raisingEngineError) return;
    raisingEngineError = true;
    EngineErrorCode = code;
    try {
        if (dataSet) {
            DataSetName = dataSet->Name();
            DataSetOwnerName = dataSet->Owner() ? dataSet->Owner()->Name() : std::string();
            DatabaseName = dataSet->DatabaseName();
            TableName = dataSet->TableName();
            DatabasePath = dataSet->DatabasePath();
            if (code >= 5147 && code <= 5149) ColumnName = ColumnNameIn(message);
        }
        SQLErrorCode = NativeSqlCode(message);
    } catch (...) {
        // The context is a courtesy; the error itself must get through.
    }
    Message = DataSetName.empty() ? message : DataSetName + ": " + message;
    raisingEngineError = false;
}

ELdbDatabaseError::~ELdbDatabaseError() { raisingEngineError = false; }

LdbError::LdbError(Integer code) {
    LdbResult c = static_cast<LdbResult>(code);
    char buffer[601] = {};
    std::uint16_t len = 600;
    if (LdbGetLastError(&c, buffer, &len) == LdbSuccess)
        Message = buffer;
    else
        LdbShowError("Ldb Exception Error");
}

void CheckAdsResult(TLdbDataSet* dataSet, LdbResult code) {
    if (code == LdbSuccess) return;
    if (raisingEngineError) return;
    char buffer[601] = {};
    std::uint16_t len = 600;
    LdbGetLastError(&code, buffer, &len);
    buffer[600] = 0;
    throw ELdbDatabaseError(dataSet, std::string(buffer, strnlen(buffer, 601)), static_cast<Integer>(code));
}

void RaiseLdbError(TLdbDataSet* dataSet, const std::string& message, Integer code) {
    throw ELdbDatabaseError(dataSet, message, code);
}
