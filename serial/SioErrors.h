#pragma once
// The serial error family. Every failure of the serial port component
// reaches its caller as one of these; the class is chosen by the negative
// result code (CheckSerialResult) and the text comes from the serial message
// table.

#include <string>

#include "platform/core/Exception.h"
#include "platform/core/Types.h"

class TComponent;

// The runtime's out-of-memory error.
class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
};

class ESioException : public Exception {
public:
    // From a code: the message is the table's (or the system's) text for it.
    explicit ESioException(Integer code);
    // With a text and ErrorCode 0.
    explicit ESioException(const std::string& text) : Exception(text), ErrorCode(0) {}
    explicit ESioException(const char* text) : Exception(text), ErrorCode(0) {}

    static ESioException CreateFromCode(Integer code) { return ESioException(code); }
    static ESioException CreateWithText(const std::string& text) { return ESioException(text); }

    // The code that chose the exception, sign kept; 0 when raised with a text.
    Integer ErrorCode;
};

#define OMR_SIO_CLASS(name, base)                     \
    class name : public base {                        \
    public:                                           \
        explicit name(Integer code) : base(code) {}   \
        explicit name(const std::string& text) : base(text) {} \
    };

// Groups.
OMR_SIO_CLASS(EGeneral, ESioException)
OMR_SIO_CLASS(EOpenComm, ESioException)
OMR_SIO_CLASS(ESerialIO, ESioException)
OMR_SIO_CLASS(EModem, ESioException)
OMR_SIO_CLASS(ETrigger, ESioException)
OMR_SIO_CLASS(EProtocol, ESioException)
OMR_SIO_CLASS(EINI, ESioException)
OMR_SIO_CLASS(EFax, ESioException)
OMR_SIO_CLASS(ETapi, ESioException)
OMR_SIO_CLASS(ERas, ESioException)

// EGeneral
OMR_SIO_CLASS(EBadArgument, EGeneral)
OMR_SIO_CLASS(EGotQuitMsg, EGeneral)
OMR_SIO_CLASS(EBufferTooBig, EGeneral)
OMR_SIO_CLASS(EPortNotAssigned, EGeneral)
OMR_SIO_CLASS(EInternal, EGeneral)
OMR_SIO_CLASS(EModemNotAssigned, EGeneral)
OMR_SIO_CLASS(EPhonebookNotAssigned, EGeneral)
OMR_SIO_CLASS(ECannotUseWithWinSock, EGeneral)

// EOpenComm
OMR_SIO_CLASS(EBadId, EOpenComm)
OMR_SIO_CLASS(EBaudRate, EOpenComm)
OMR_SIO_CLASS(EByteSize, EOpenComm)
OMR_SIO_CLASS(EDefault, EOpenComm)
OMR_SIO_CLASS(EHardware, EOpenComm)
OMR_SIO_CLASS(EMemory, EOpenComm)
OMR_SIO_CLASS(ECommNotOpen, EOpenComm)
OMR_SIO_CLASS(EAlreadyOpen, EOpenComm)
OMR_SIO_CLASS(ENoHandles, EOpenComm)
OMR_SIO_CLASS(ENoTimers, EOpenComm)
OMR_SIO_CLASS(ENoPortSelected, EOpenComm)
OMR_SIO_CLASS(ENotOpenedByTapi, EOpenComm)

// ESerialIO
OMR_SIO_CLASS(ENullApi, ESerialIO)
OMR_SIO_CLASS(ERegisterHandlerFailed, ESerialIO)
OMR_SIO_CLASS(EPutBlockFail, ESerialIO)
OMR_SIO_CLASS(EGetBlockFail, ESerialIO)
OMR_SIO_CLASS(EOutputBufferTooSmall, ESerialIO)
OMR_SIO_CLASS(EBufferIsEmpty, ESerialIO)
OMR_SIO_CLASS(ETracingNotEnabled, ESerialIO)
OMR_SIO_CLASS(ELoggingNotEnabled, ESerialIO)
OMR_SIO_CLASS(EBaseAddressNotSet, ESerialIO)

// EModem
OMR_SIO_CLASS(EModemNotStarted, EModem)
OMR_SIO_CLASS(EModemBusy, EModem)
OMR_SIO_CLASS(EModemNotDialing, EModem)
OMR_SIO_CLASS(ENotDialing, EModem)
OMR_SIO_CLASS(EAlreadyDialing, EModem)
OMR_SIO_CLASS(EModemNotResponding, EModem)
OMR_SIO_CLASS(EModemRejectedCommand, EModem)
OMR_SIO_CLASS(EModemStatusMismatch, EModem)

// ETrigger
OMR_SIO_CLASS(ENoMoreTriggers, ETrigger)
OMR_SIO_CLASS(ETriggerTooLong, ETrigger)
OMR_SIO_CLASS(EBadTriggerHandle, ETrigger)

// EINI
OMR_SIO_CLASS(EKeyTooLong, EINI)
OMR_SIO_CLASS(EDataTooLarge, EINI)
OMR_SIO_CLASS(EIniWrite, EINI)
OMR_SIO_CLASS(EIniRead, EINI)
OMR_SIO_CLASS(ERecordExists, EINI)
OMR_SIO_CLASS(ERecordNotFound, EINI)
OMR_SIO_CLASS(EDatabaseFull, EINI)
OMR_SIO_CLASS(EDatabaseEmpty, EINI)
OMR_SIO_CLASS(EBadFieldList, EINI)
OMR_SIO_CLASS(EBadFieldForIndex, EINI)

// EFax
OMR_SIO_CLASS(EFaxBadFormat, EFax)
OMR_SIO_CLASS(EBadGraphicsFormat, EFax)
OMR_SIO_CLASS(EConvertAbort, EFax)
OMR_SIO_CLASS(EUnpackAbort, EFax)
OMR_SIO_CLASS(ECantMakeBitmap, EFax)
OMR_SIO_CLASS(EInvalidPageNumber, EFax)
OMR_SIO_CLASS(EFaxBadMachine, EFax)
OMR_SIO_CLASS(EFaxBadModemResult, EFax)
OMR_SIO_CLASS(EFaxTrainError, EFax)
OMR_SIO_CLASS(EFaxInitError, EFax)
OMR_SIO_CLASS(EFaxBusy, EFax)
OMR_SIO_CLASS(EFaxVoiceCall, EFax)
OMR_SIO_CLASS(EFaxDataCall, EFax)
OMR_SIO_CLASS(EFaxNoDialTone, EFax)
OMR_SIO_CLASS(EFaxNoCarrier, EFax)
OMR_SIO_CLASS(EFaxSessionError, EFax)
OMR_SIO_CLASS(EFaxPageError, EFax)

// ETapi
OMR_SIO_CLASS(ETapiAllocated, ETapi)
OMR_SIO_CLASS(ETapiBadDeviceID, ETapi)
OMR_SIO_CLASS(ETapiBearerModeUnavail, ETapi)
OMR_SIO_CLASS(ETapiCallUnavail, ETapi)
OMR_SIO_CLASS(ETapiCompletionOverrun, ETapi)
OMR_SIO_CLASS(ETapiConferenceFull, ETapi)
OMR_SIO_CLASS(ETapiDialBilling, ETapi)
OMR_SIO_CLASS(ETapiDialDialtone, ETapi)
OMR_SIO_CLASS(ETapiDialPrompt, ETapi)
OMR_SIO_CLASS(ETapiDialQuiet, ETapi)
OMR_SIO_CLASS(ETapiIncompatibleApiVersion, ETapi)
OMR_SIO_CLASS(ETapiIncompatibleExtVersion, ETapi)
OMR_SIO_CLASS(ETapiIniFileCorrupt, ETapi)
OMR_SIO_CLASS(ETapiInUse, ETapi)
OMR_SIO_CLASS(ETapiInvalAddress, ETapi)
OMR_SIO_CLASS(ETapiInvalAddressID, ETapi)
OMR_SIO_CLASS(ETapiInvalAddressMode, ETapi)
OMR_SIO_CLASS(ETapiInvalAddressState, ETapi)
OMR_SIO_CLASS(ETapiInvalAppHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalAppName, ETapi)
OMR_SIO_CLASS(ETapiInvalBearerMode, ETapi)
OMR_SIO_CLASS(ETapiInvalCallComplMode, ETapi)
OMR_SIO_CLASS(ETapiInvalCallHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalCallParams, ETapi)
OMR_SIO_CLASS(ETapiInvalCallPrivilege, ETapi)
OMR_SIO_CLASS(ETapiInvalCallSelect, ETapi)
OMR_SIO_CLASS(ETapiInvalCallState, ETapi)
OMR_SIO_CLASS(ETapiInvalCallStatelist, ETapi)
OMR_SIO_CLASS(ETapiInvalCard, ETapi)
OMR_SIO_CLASS(ETapiInvalCompletionID, ETapi)
OMR_SIO_CLASS(ETapiInvalConfCallHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalConsultCallHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalCountryCode, ETapi)
OMR_SIO_CLASS(ETapiInvalDeviceClass, ETapi)
OMR_SIO_CLASS(ETapiInvalDeviceHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalDialParams, ETapi)
OMR_SIO_CLASS(ETapiInvalDigitList, ETapi)
OMR_SIO_CLASS(ETapiInvalDigitMode, ETapi)
OMR_SIO_CLASS(ETapiInvalDigits, ETapi)
OMR_SIO_CLASS(ETapiInvalExtVersion, ETapi)
OMR_SIO_CLASS(ETapiInvalGroupID, ETapi)
OMR_SIO_CLASS(ETapiInvalLineHandle, ETapi)
OMR_SIO_CLASS(ETapiInvalLineState, ETapi)
OMR_SIO_CLASS(ETapiInvalLocation, ETapi)
OMR_SIO_CLASS(ETapiInvalMediaList, ETapi)
OMR_SIO_CLASS(ETapiInvalMediaMode, ETapi)
OMR_SIO_CLASS(ETapiInvalMessageID, ETapi)
OMR_SIO_CLASS(ETapiInvalParam, ETapi)
OMR_SIO_CLASS(ETapiInvalParkID, ETapi)
OMR_SIO_CLASS(ETapiInvalParkMode, ETapi)
OMR_SIO_CLASS(ETapiInvalPointer, ETapi)
OMR_SIO_CLASS(ETapiInvalPrivSelect, ETapi)
OMR_SIO_CLASS(ETapiInvalRate, ETapi)
OMR_SIO_CLASS(ETapiInvalRequestMode, ETapi)
OMR_SIO_CLASS(ETapiInvalTerminalID, ETapi)
OMR_SIO_CLASS(ETapiInvalTerminalMode, ETapi)
OMR_SIO_CLASS(ETapiInvalTimeout, ETapi)
OMR_SIO_CLASS(ETapiInvalTone, ETapi)
OMR_SIO_CLASS(ETapiInvalToneList, ETapi)
OMR_SIO_CLASS(ETapiInvalToneMode, ETapi)
OMR_SIO_CLASS(ETapiInvalTransferMode, ETapi)
OMR_SIO_CLASS(ETapiLineMapperFailed, ETapi)
OMR_SIO_CLASS(ETapiNoConference, ETapi)
OMR_SIO_CLASS(ETapiNoDevice, ETapi)
OMR_SIO_CLASS(ETapiNoDriver, ETapi)
OMR_SIO_CLASS(ETapiNoMem, ETapi)
OMR_SIO_CLASS(ETapiNoRequest, ETapi)
OMR_SIO_CLASS(ETapiNotOwner, ETapi)
OMR_SIO_CLASS(ETapiNotRegistered, ETapi)
OMR_SIO_CLASS(ETapiOperationFailed, ETapi)
OMR_SIO_CLASS(ETapiOperationUnavail, ETapi)
OMR_SIO_CLASS(ETapiRateUnavail, ETapi)
OMR_SIO_CLASS(ETapiResourceUnavail, ETapi)
OMR_SIO_CLASS(ETapiRequestOverrun, ETapi)
OMR_SIO_CLASS(ETapiStructureTooSmall, ETapi)
OMR_SIO_CLASS(ETapiTargetNotFound, ETapi)
OMR_SIO_CLASS(ETapiTargetSelf, ETapi)
OMR_SIO_CLASS(ETapiUninitialized, ETapi)
OMR_SIO_CLASS(ETapiUserUserInfoTooBig, ETapi)
OMR_SIO_CLASS(ETapiReinit, ETapi)
OMR_SIO_CLASS(ETapiAddressBlocked, ETapi)
OMR_SIO_CLASS(ETapiBillingRejected, ETapi)
OMR_SIO_CLASS(ETapiInvalFeature, ETapi)
OMR_SIO_CLASS(ETapiNoMultipleInstance, ETapi)
OMR_SIO_CLASS(ETapiBusy, ETapi)
OMR_SIO_CLASS(ETapiNotSet, ETapi)
OMR_SIO_CLASS(ETapiNoSelect, ETapi)
OMR_SIO_CLASS(ETapiLoadFail, ETapi)
OMR_SIO_CLASS(ETapiGetAddrFail, ETapi)
OMR_SIO_CLASS(ETapiVoiceNotSupported, ETapi)
OMR_SIO_CLASS(ETapiWaveFail, ETapi)
OMR_SIO_CLASS(ETapiTranslateFail, ETapi)

// ERas
OMR_SIO_CLASS(ERasLoadFail, ERas)

#undef OMR_SIO_CLASS

// Raises the exception the code stands for, or returns the code when it is 0
// or positive. While `component` is being loaded from its stored definition
// every code is returned unchanged. Codes -2 to -162 raise EInOutError
// (EOutOfMemory for -8); codes with no class raise ESioException with the
// text "Apro exception".
Integer CheckSerialResult(const TComponent* component, Integer code);
// The same for a caller that is not being loaded.
Integer CheckSerialResult(Integer code);

// Throws the exception of the class that stands for `code`; false when no
// class stands for it.
bool RaiseSerialClassFor(Integer code);
