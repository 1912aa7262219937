#pragma once
// TCTAPIV_Export: fills a copy of a customer's CTAPIV-R4SDSS spreadsheet
// template through the spreadsheet application: per student one column of
// the template's tenth sheet receives the ID and name (row 4) and, in the
// rows of the questions (row n + 9), the answers that differ from the key.

#include <memory>
#include <optional>
#include <string>

#include "platform/core/Component.h"
#include "platform/office/CalcAutomation.h"

class TDataSet;

// The tenth sheet's protection password of the template.
extern const char* const kCtapivSheetPassword;
// The template used when none is named, in the program folder.
extern const char* const kCtapivDefaultTemplate;
// The sheet the students are written to.
constexpr int kCtapivSheet = 10;

class TCTAPIV_Export : public TComponent {
public:
    explicit TCTAPIV_Export(TComponent* owner = nullptr);
    ~TCTAPIV_Export() override;

    std::unique_ptr<TCalcApplication> ExcelApp;
    std::optional<TCalcSheets> WorkbookSheets;
    std::string TemplateFile;
    int StudentCount = 0;

    // Copies the template to targetFile, opens the copy hidden and
    // unprotects its tenth sheet. Without the spreadsheet application it
    // raises EOleError and writes nothing.
    void OpenWorkbook(const std::string& targetFile);
    // Writes the next student's column from the students' table `data`
    // positioned on the student and the answer-key table `key`.
    void WriteStudentColumn(const std::string& id, const std::string& name, TDataSet* data, TDataSet* key, int n);
    // Protects the tenth sheet again, saves and ends the application.
    void CloseWorkbook();
};
