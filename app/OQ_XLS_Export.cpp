// The customer spreadsheet export over the spreadsheet application.

#include "app/OQ_XLS_Export.h"

#include "app/FmxUtils.h"
#include "app/ScoringRules.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"

const char* const kCtapivSheetPassword = "quendle";
const char* const kCtapivDefaultTemplate = "CTAPIVR4SDSS.DAT";

namespace {
// Row of the students' headers; question n is written in row n + 9; the
// first student in column 6.
constexpr int kHeaderRow = 4;
constexpr int kFirstQuestionRow = 10;
constexpr int kColumnBeforeFirst = 5;
}  // namespace

TCTAPIV_Export::TCTAPIV_Export(TComponent* owner) : TComponent(owner) {}

TCTAPIV_Export::~TCTAPIV_Export() = default;

void TCTAPIV_Export::OpenWorkbook(const std::string& targetFile) {
    // Nothing is copied when nothing could fill the copy.
    std::string why;
    if (!TCalcApplication::Available(&why))
        throw EOleError("Export format 10 needs LibreOffice Calc. " + why + " Nothing was written.");
    const std::string source = Trim(TemplateFile).empty()
                                   ? IncludeTrailingPathDelimiter(ProgramFolder()) + kCtapivDefaultTemplate
                                   : TemplateFile;
    CopyFile(source, targetFile);
    ExcelApp = std::make_unique<TCalcApplication>();
    ExcelApp->SetVisible(false);
    ExcelApp->OpenWorkbook(targetFile, false);
    WorkbookSheets = ExcelApp->ActiveWorkbook().Sheets();
    WorkbookSheets->Item(kCtapivSheet).Unprotect(kCtapivSheetPassword);
}

void TCTAPIV_Export::WriteStudentColumn(const std::string& id, const std::string& name, TDataSet* data,
                                        TDataSet* key, int n) {
    if (!ExcelApp) throw EOleError("The spreadsheet export has no open workbook.");
    ++StudentCount;
    const int column = StudentCount + kColumnBeforeFirst;
    const TCalcSheet sheet = ExcelApp->ActiveWorkbook().Sheets().Item(kCtapivSheet);
    sheet.Cells(kHeaderRow, column).SetValue(id + "-" + name);
    for (int q = 1; q <= n; ++q) {
        const std::string field = "Q" + std::to_string(q);
        const std::string answer = PadLeft(' ', 1, data->FieldByName(field)->AsString());
        if (answer != key->FieldByName(field)->AsString())
            sheet.Cells(q + kFirstQuestionRow - 1, column).SetValue(answer);
    }
}

void TCTAPIV_Export::CloseWorkbook() {
    if (!ExcelApp) throw EOleError("The spreadsheet export has no open workbook.");
    TCalcSheet sheet = WorkbookSheets->Item(kCtapivSheet);
    if (!sheet.ProtectionMode()) WorkbookSheets->Item(kCtapivSheet).Protect(kCtapivSheetPassword);
    ExcelApp->Save();
    ExcelApp->Quit();
    ExcelApp.reset();
    WorkbookSheets.reset();
}
