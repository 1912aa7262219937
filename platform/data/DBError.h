#pragma once
// The framework's database error and the helpers that raise it. When a
// component is named the message is prefixed with its name and ": ", so the
// user sees which dataset or field failed.

#include <initializer_list>
#include <string>

#include "platform/core/Exception.h"

class EDatabaseError : public Exception { using Exception::Exception; };

// Fills the placeholders (%s, %d, %g, ...) of a message in order with the
// given texts; "%%" is a percent sign.
std::string FormatMessageArgs(const std::string& fmt, std::initializer_list<std::string> args);

// Raises EDatabaseError; componentName, when not empty, prefixes the text.
[[noreturn]] void DatabaseError(const std::string& message, const std::string& componentName = {});
[[noreturn]] void DatabaseErrorFmt(const std::string& fmt, std::initializer_list<std::string> args,
                                   const std::string& componentName = {});
