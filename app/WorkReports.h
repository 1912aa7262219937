#pragma once
// TWorkReports: the Output page's reports for the wizard's working unit.
//
// The test summary report (one line per student and group with the score
// and percentage, and a group total) and the student score reports (one
// page per student, one line per question) are drawn in code through the
// report system; the summary asks for its output through the program's own
// output-options dialog, the student reports through the report library's.
// A completed student can be printed at once on a chosen printer (print on
// scan). The analysis report and its dialog are opened from here too.
//
// The wizard creates one of these beside its TTestWorkData, binds the
// Output page's controls to the plain fields below and calls:
//   btnSummaryClick    "Summary Report Output"   (or RunSummaryReport)
//   btnReportsClick    "Student Reports Output"  (or RunStudentReports)
//   btnAReportClick    "Analysis Report"         (or ShowAnalysisReport)
//   PrintStudentOnScan from TTestWorkData::OnPrintStudentReport
// Everything runs on the user-interface thread.

#include <memory>
#include <string>

#include "platform/core/Component.h"
#include "platform/core/DateTime.h"
#include "platform/gui/Bitmap.h"
#include "report/ReportSystem.h"

class TTestWorkData;
class TBaseReport;
class TVzRenderPDF;
class TVzRenderHTML;
class TdeCustomExcelEngine;
class TdeRTFEngine;
class TdeVizeExportInterface;

// The report image of the Output page: a .bmp or .jpg file (any letter
// case) loaded into `bitmap`; false, and nothing loaded, for any other
// name or a file that cannot be read.
bool LoadReportImage(const std::string& fileName, TBitmap& bitmap);

class TWorkReports : public TComponent {
public:
    // `work` stays the caller's and must outlive this object.
    explicit TWorkReports(TTestWorkData* work, TComponent* owner = nullptr);
    ~TWorkReports() override;

    TTestWorkData* Work() const { return work_; }

    // ------------------------------------------------ the Output page
    TDateTime TestDate = 0;       // dtpDate
    std::string FormNo;           // the form-number edit (analysis header)
    std::string edtImage;         // report image file, may be empty
    TBitmap imgLogo;              // the brand's logo; loaded on creation
    bool cbSumOverall = true;     // summary: "Print Overall Results"
    bool cbStdOverall = true;     // student reports: "Print Overall Results"
    bool cbStdCorrect = true;     // "Print Correct Answers"
    std::string cbxPrintScanTo;   // printer for print on scan; empty: default

    // ------------------------------------------- report systems, outputs
    TVzSystem* rsSummary = nullptr;
    TVzSystem* rsReports = nullptr;
    TVzRenderPDF* VPRenderPDF1 = nullptr;
    TVzRenderHTML* VPRenderHTML1 = nullptr;
    TdeCustomExcelEngine* deExcelEngine1 = nullptr;
    TdeRTFEngine* deRTFEngine1 = nullptr;
    TdeVizeExportInterface* VzExpXLS = nullptr;
    TdeVizeExportInterface* VzExpRTF = nullptr;

    // ------------------------------------------------------- handlers
    // The buttons' handlers: each writes its log line, then runs.
    void btnSummaryClick();
    void btnReportsClick();
    void btnAReportClick();
    // The same without the log line, for a wizard that logs itself.
    void RunSummaryReport();
    void RunStudentReports();
    // Opens the analysis report dialog for the working unit's tables.
    void ShowAnalysisReport();
    // Prints the current student of the students' table on the printer
    // named by cbxPrintScanTo, without a dialog.
    void PrintStudentOnScan();
    // Scan Tests Next: the summary's default output file name.
    void SetSummaryFileName();

    // Report events (public so tests and the wizard can bind them).
    void rsSummaryBeforePrint(TObject* sender);
    void rsSummaryPrintHeader(TObject* sender);
    void rsSummaryNewColumn(TObject* sender);
    void rsSummaryPrint(TObject* sender);
    void rsReportsBeforePrint(TObject* sender);
    void rsReportsPrintHeader(TObject* sender);
    void rsReportsNewColumn(TObject* sender);
    void rsReportsPrint(TObject* sender);
    void rsSummaryOverrideSetup(TVzSystem* reportSystem, TOverrideMode mode, TForm*& form);
    void PrintGroupTitle(const std::string& prefix, TBaseReport* report);

    bool PrintingOnScan() const { return printOnScan_; }

private:
    void ConfigureSystem(TVzSystem* system, double marginTop);
    void PrintHeaderCommon(TBaseReport* report, bool summary);
    void PrintPictures(TBaseReport* report);
    // Moves the groups table to its first row, or past the overall group
    // when `printOverall` is off; the same skip where a heading is printed.
    void FirstGroup(bool printOverall);
    void SkipOverall(bool printOverall);
    bool GroupsLeft() const;
    std::string GroupPrefix() const;
    void SetHeadingTab(TBaseReport* report, double pos, double width);
    void SetBodyTab(TBaseReport* report, double pos, double width, int shade);
    void PrintStudentTotal(TBaseReport* report, double earned, double possible);

    TTestWorkData* work_;
    int currentGroup_ = 0;      // the first group printed
    double savedY_ = 0;         // below the summary's column headings
    bool printOnScan_ = false;
};
