#pragma once
// Exception hierarchy shared by every library. Each error condition has its
// own class so callers can catch exactly what they expect; the user-visible
// text is in Message.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message = {}) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
};

// Raised deliberately to abandon an operation without a message.
class EAbort : public Exception { using Exception::Exception; };

// Conversions of text to numbers, dates and between variant kinds.
class EConvertError : public Exception { using Exception::Exception; };
class EVariantError : public Exception { using Exception::Exception; };
class EVariantTypeCastError : public EVariantError { using EVariantError::EVariantError; };

// Index out of range and similar misuse of lists.
class EListError : public Exception { using Exception::Exception; };
class EStringListError : public Exception { using Exception::Exception; };

// Streams and files.
class EStreamError : public Exception { using Exception::Exception; };
class EFileStreamError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
class EFOpenError : public EFileStreamError { using EFileStreamError::EFileStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };

// Runtime input/output error with the operating-system error number.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

class EIniFileException : public Exception { using Exception::Exception; };
class EComponentError : public Exception { using Exception::Exception; };
class EThread : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EArgumentException : public Exception { using Exception::Exception; };
