// Export format 10: the customer spreadsheet, one column per student.

#include "app/OQ_XLS_Export.h"
#include "app/ScoringRules.h"
#include "app/TestWorkData.h"

void TTestWorkData::ExportCtapivExcel(const std::string& fileName, const std::string& templateName) {
    TCTAPIV_Export exporter(nullptr);
    exporter.TemplateFile = templateName;
    exporter.OpenWorkbook(fileName);
    ForEachStudent([&] {
        const Int64 id = dataIdNo_->AsLargeInt();
        // Format 10 always pads the ID, whatever the leading-zeros box says.
        exporter.WriteStudentColumn(PadLeft('0', D, std::to_string(id)), LookupStudentName(id), qmtData, qmtMaster,
                                    N);
    });
    exporter.CloseWorkbook();
}
