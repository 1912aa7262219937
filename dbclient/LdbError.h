#pragma once
// The one error path of the database components. Every engine result goes
// through CheckAdsResult, which raises ELdbDatabaseError with the engine's
// last error and the dataset the call was made for; the components' own
// state errors are ELdbDatabaseError with code 5121. The connection has two
// small classes of its own, LdbError (engine text) and LdbConnectionError.

#include <string>

#include "platform/core/Exception.h"
#include "platform/core/Types.h"
#include "platform/data/DBError.h"
#include "platform/ldb/Ldb.h"

class TLdbDataSet;

// The code of the components' own state and argument errors.
inline constexpr Integer LdbComponentErrorCode = 5121;

class ELdbDatabaseError : public EDatabaseError {
public:
    // The message is the dataset's name, ": " and message (message alone
    // for a dataset without name or without dataset). While another
    // ELdbDatabaseError is being built on this thread the new one stays
    // empty.
    ELdbDatabaseError(TLdbDataSet* dataSet, const std::string& message, Integer code);
    ELdbDatabaseError(const ELdbDatabaseError&) = default;
    ~ELdbDatabaseError() override;

    Integer EngineErrorCode = 0;
    // The native SQL code of an "Error 7200:" message ("NativeError = n;").
    Integer SQLErrorCode = 0;
    std::string DataSetName;
    std::string DataSetOwnerName;
    std::string DatabaseName;
    std::string DatabasePath;
    std::string TableName;
    // The column named in messages of codes 5147 to 5149: column "Name".
    std::string ColumnName;
};

// An engine error of the connection; the message is the engine's last error.
class LdbError : public Exception {
public:
    explicit LdbError(Integer code);
};

class LdbConnectionError : public Exception {
public:
    using Exception::Exception;
};

// Raises ELdbDatabaseError for a result other than 0 (with the code and
// text of the engine's last error), unless an ELdbDatabaseError is being
// built on this thread.
void CheckAdsResult(TLdbDataSet* dataSet, LdbResult code);

// Raises a component state error (code 5121) for the dataset.
[[noreturn]] void RaiseLdbError(TLdbDataSet* dataSet, const std::string& message,
                                Integer code = LdbComponentErrorCode);

// True on this thread while an ELdbDatabaseError is being built.
bool RaisingEngineError();
void SetRaisingEngineError(bool value);
