#include "serial/SioErrors.h"

#include "platform/core/Component.h"
#include "serial/SioMessageTable.h"

ESioException::ESioException(Integer code) : Exception(SerialMessageText(code < 0 ? -code : code)), ErrorCode(code) {}

namespace {
template <class E>
[[noreturn]] void Raise(Integer code) {
    throw E(code);
}

struct ClassEntry {
    Integer code;
    void (*raise)(Integer);
};

const ClassEntry kClasses[] = {
    {-1002, &Raise<EBadArgument>},
    {-1003, &Raise<EGotQuitMsg>},
    {-1004, &Raise<EBufferTooBig>},
    {-1005, &Raise<EPortNotAssigned>},
    {-1006, &Raise<EInternal>},
    {-1007, &Raise<EModemNotAssigned>},
    {-1008, &Raise<EPhonebookNotAssigned>},
    {-1009, &Raise<ECannotUseWithWinSock>},
    {-2001, &Raise<EBadId>},
    {-2002, &Raise<EBaudRate>},
    {-2003, &Raise<EByteSize>},
    {-2004, &Raise<EDefault>},
    {-2005, &Raise<EHardware>},
    {-2006, &Raise<EMemory>},
    {-2007, &Raise<ECommNotOpen>},
    {-2008, &Raise<EAlreadyOpen>},
    {-2009, &Raise<ENoHandles>},
    {-2010, &Raise<ENoTimers>},
    {-2011, &Raise<ENoPortSelected>},
    {-2012, &Raise<ENotOpenedByTapi>},
    {-3001, &Raise<ENullApi>},
    {-3003, &Raise<ERegisterHandlerFailed>},
    {-3004, &Raise<EPutBlockFail>},
    {-3005, &Raise<EGetBlockFail>},
    {-3006, &Raise<EOutputBufferTooSmall>},
    {-3007, &Raise<EBufferIsEmpty>},
    {-3008, &Raise<ETracingNotEnabled>},
    {-3009, &Raise<ELoggingNotEnabled>},
    {-3010, &Raise<EBaseAddressNotSet>},
    {-4001, &Raise<EModemNotStarted>},
    {-4002, &Raise<EModemBusy>},
    {-4003, &Raise<EModemNotDialing>},
    {-4004, &Raise<ENotDialing>},
    {-4005, &Raise<EAlreadyDialing>},
    {-4006, &Raise<EModemNotResponding>},
    {-4007, &Raise<EModemRejectedCommand>},
    {-4008, &Raise<EModemStatusMismatch>},
    {-5001, &Raise<ENoMoreTriggers>},
    {-5002, &Raise<ETriggerTooLong>},
    {-5003, &Raise<EBadTriggerHandle>},
    {-7001, &Raise<EKeyTooLong>},
    {-7002, &Raise<EDataTooLarge>},
    {-7004, &Raise<EIniWrite>},
    {-7005, &Raise<EIniRead>},
    {-7007, &Raise<ERecordExists>},
    {-7008, &Raise<ERecordNotFound>},
    {-7010, &Raise<EDatabaseFull>},
    {-7011, &Raise<EDatabaseEmpty>},
    {-7013, &Raise<EBadFieldList>},
    {-7014, &Raise<EBadFieldForIndex>},
    {-8001, &Raise<EFaxBadFormat>},
    {-8002, &Raise<EBadGraphicsFormat>},
    {-8003, &Raise<EConvertAbort>},
    {-8004, &Raise<EUnpackAbort>},
    {-8005, &Raise<ECantMakeBitmap>},
    {-8053, &Raise<EInvalidPageNumber>},
    {-8060, &Raise<EFaxBadMachine>},
    {-8061, &Raise<EFaxBadModemResult>},
    {-8062, &Raise<EFaxTrainError>},
    {-8063, &Raise<EFaxInitError>},
    {-8064, &Raise<EFaxBusy>},
    {-8065, &Raise<EFaxVoiceCall>},
    {-8066, &Raise<EFaxDataCall>},
    {-8067, &Raise<EFaxNoDialTone>},
    {-8068, &Raise<EFaxNoCarrier>},
    {-8069, &Raise<EFaxSessionError>},
    {-8070, &Raise<EFaxPageError>},
    {-13801, &Raise<ETapiAllocated>},
    {-13802, &Raise<ETapiBadDeviceID>},
    {-13803, &Raise<ETapiBearerModeUnavail>},
    {-13805, &Raise<ETapiCallUnavail>},
    {-13806, &Raise<ETapiCompletionOverrun>},
    {-13807, &Raise<ETapiConferenceFull>},
    {-13808, &Raise<ETapiDialBilling>},
    {-13809, &Raise<ETapiDialDialtone>},
    {-13810, &Raise<ETapiDialPrompt>},
    {-13811, &Raise<ETapiDialQuiet>},
    {-13812, &Raise<ETapiIncompatibleApiVersion>},
    {-13813, &Raise<ETapiIncompatibleExtVersion>},
    {-13814, &Raise<ETapiIniFileCorrupt>},
    {-13815, &Raise<ETapiInUse>},
    {-13816, &Raise<ETapiInvalAddress>},
    {-13817, &Raise<ETapiInvalAddressID>},
    {-13818, &Raise<ETapiInvalAddressMode>},
    {-13819, &Raise<ETapiInvalAddressState>},
    {-13820, &Raise<ETapiInvalAppHandle>},
    {-13821, &Raise<ETapiInvalAppName>},
    {-13822, &Raise<ETapiInvalBearerMode>},
    {-13823, &Raise<ETapiInvalCallComplMode>},
    {-13824, &Raise<ETapiInvalCallHandle>},
    {-13825, &Raise<ETapiInvalCallParams>},
    {-13826, &Raise<ETapiInvalCallPrivilege>},
    {-13827, &Raise<ETapiInvalCallSelect>},
    {-13828, &Raise<ETapiInvalCallState>},
    {-13829, &Raise<ETapiInvalCallStatelist>},
    {-13830, &Raise<ETapiInvalCard>},
    {-13831, &Raise<ETapiInvalCompletionID>},
    {-13832, &Raise<ETapiInvalConfCallHandle>},
    {-13833, &Raise<ETapiInvalConsultCallHandle>},
    {-13834, &Raise<ETapiInvalCountryCode>},
    {-13835, &Raise<ETapiInvalDeviceClass>},
    {-13836, &Raise<ETapiInvalDeviceHandle>},
    {-13837, &Raise<ETapiInvalDialParams>},
    {-13838, &Raise<ETapiInvalDigitList>},
    {-13839, &Raise<ETapiInvalDigitMode>},
    {-13840, &Raise<ETapiInvalDigits>},
    {-13841, &Raise<ETapiInvalExtVersion>},
    {-13842, &Raise<ETapiInvalGroupID>},
    {-13843, &Raise<ETapiInvalLineHandle>},
    {-13844, &Raise<ETapiInvalLineState>},
    {-13845, &Raise<ETapiInvalLocation>},
    {-13846, &Raise<ETapiInvalMediaList>},
    {-13847, &Raise<ETapiInvalMediaMode>},
    {-13848, &Raise<ETapiInvalMessageID>},
    {-13850, &Raise<ETapiInvalParam>},
    {-13851, &Raise<ETapiInvalParkID>},
    {-13852, &Raise<ETapiInvalParkMode>},
    {-13853, &Raise<ETapiInvalPointer>},
    {-13854, &Raise<ETapiInvalPrivSelect>},
    {-13855, &Raise<ETapiInvalRate>},
    {-13856, &Raise<ETapiInvalRequestMode>},
    {-13857, &Raise<ETapiInvalTerminalID>},
    {-13858, &Raise<ETapiInvalTerminalMode>},
    {-13859, &Raise<ETapiInvalTimeout>},
    {-13860, &Raise<ETapiInvalTone>},
    {-13861, &Raise<ETapiInvalToneList>},
    {-13862, &Raise<ETapiInvalToneMode>},
    {-13863, &Raise<ETapiInvalTransferMode>},
    {-13864, &Raise<ETapiLineMapperFailed>},
    {-13865, &Raise<ETapiNoConference>},
    {-13866, &Raise<ETapiNoDevice>},
    {-13867, &Raise<ETapiNoDriver>},
    {-13868, &Raise<ETapiNoMem>},
    {-13869, &Raise<ETapiNoRequest>},
    {-13870, &Raise<ETapiNotOwner>},
    {-13871, &Raise<ETapiNotRegistered>},
    {-13872, &Raise<ETapiOperationFailed>},
    {-13873, &Raise<ETapiOperationUnavail>},
    {-13874, &Raise<ETapiRateUnavail>},
    {-13875, &Raise<ETapiResourceUnavail>},
    {-13876, &Raise<ETapiRequestOverrun>},
    {-13877, &Raise<ETapiStructureTooSmall>},
    {-13878, &Raise<ETapiTargetNotFound>},
    {-13879, &Raise<ETapiTargetSelf>},
    {-13880, &Raise<ETapiUninitialized>},
    {-13881, &Raise<ETapiUserUserInfoTooBig>},
    {-13882, &Raise<ETapiReinit>},
    {-13883, &Raise<ETapiAddressBlocked>},
    {-13884, &Raise<ETapiBillingRejected>},
    {-13885, &Raise<ETapiInvalFeature>},
    {-13886, &Raise<ETapiNoMultipleInstance>},
    {-13928, &Raise<ETapiBusy>},
    {-13929, &Raise<ETapiNotSet>},
    {-13930, &Raise<ETapiNoSelect>},
    {-13931, &Raise<ETapiLoadFail>},
    {-13932, &Raise<ETapiGetAddrFail>},
    {-13935, &Raise<ETapiVoiceNotSupported>},
    {-13936, &Raise<ETapiWaveFail>},
    {-13942, &Raise<ETapiTranslateFail>},
    {-13980, &Raise<ERasLoadFail>},
    {-7003, &Raise<EInternal>},
    {-7006, &Raise<EInternal>},
    {-7012, &Raise<EInternal>},
    {-6006, &Raise<EProtocol>},
    {-6008, &Raise<EProtocol>},
    {-6009, &Raise<EProtocol>},
};
}  // namespace

bool RaiseSerialClassFor(Integer code) {
    for (const ClassEntry& e : kClasses)
        if (e.code == code) e.raise(code);
    return false;
}

Integer CheckSerialResult(Integer code) {
    if (code >= 0) return code;
    RaiseSerialClassFor(code);
    if (code >= -162 && code <= -2) {
        if (code == -8) throw EOutOfMemory();
        throw EInOutError(SerialMessageText(-code), -code);
    }
    throw ESioException(std::string("Apro exception"));
}

Integer CheckSerialResult(const TComponent* component, Integer code) {
    if (code >= 0) return code;
    // While a component is read from its stored definition nothing raises.
    if (component && component->ComponentState().Contains(csLoading)) return code;
    return CheckSerialResult(code);
}
