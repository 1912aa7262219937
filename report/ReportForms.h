#pragma once
// The platform's window classes together with the report library's
// definitions.

#include "report/ReportDefs.h"

#include "platform/gui/Forms.h"
