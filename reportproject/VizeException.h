#pragma once
// Exceptions of the report project and language engines. Every message
// passes the report library's text-translation hook before it is raised.

#include <string>

#include "platform/core/Exception.h"

// General errors of the project, data and language engines.
class EVizeException : public Exception { using Exception::Exception; };
// A component that cannot take children.
class EVizeClass : public Exception { using Exception::Exception; };
// Errors of script modules.
class EVizeCompiler : public Exception { using Exception::Exception; };

// Raise EVizeException with the translated message.
[[noreturn]] void RaiseVizeError(const std::string& message);
// Raise EVizeException with the translated format and "%s" replaced by arg.
[[noreturn]] void RaiseVizeErrorFmt(const std::string& format, const std::string& arg);
// The translated format with its first "%s" replaced by arg.
std::string VizeMessage(const std::string& format, const std::string& arg);
