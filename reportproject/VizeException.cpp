#include "reportproject/VizeException.h"

#include "report/ReportDefs.h"

std::string VizeMessage(const std::string& format, const std::string& arg) {
    std::string text = Trans(format);
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, arg);
    return text;
}

void RaiseVizeError(const std::string& message) { throw EVizeException(Trans(message)); }

void RaiseVizeErrorFmt(const std::string& format, const std::string& arg) {
    throw EVizeException(VizeMessage(format, arg));
}
