#pragma once
// The platform's window classes for the report library. The window
// position enumeration of the platform shares its name with the report
// library's saved-position record, and one of its members with a printer
// orientation; both are renamed here so the report windows can use forms.

#include "report/ReportDefs.h"

#define TPosition TFormPosition
#define poDefault poFormDefault
#include "platform/gui/Forms.h"
#undef TPosition
#undef poDefault
