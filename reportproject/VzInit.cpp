#include "reportproject/VzInit.h"

#include "reportproject/VzClass.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzData.h"
#include "reportproject/VzDataField.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"

void InitializeReportProject() {
    static bool done = false;
    if (done) return;
    done = true;
    InitializeVzClass();
    InitializeVzControl();
    InitializeVzProj();
    InitializeVzData();
    InitializeVzDataField();
    InitializeVzCsDraw();
    InitializeVzSecurity();
    InitializeVzCsBars();
    for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
}
