#pragma once
// TfrmOmbxVPSetupForm: the program's "Output Options" window, put in place
// of the report library's setup window for the summary report. It sends a
// report to the printer, to the preview or to a file in one of the formats
// of the registered renderers (no snapshot or printer-file format).

#include <string>

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "report/ReportDefs.h"

class TVzSystem;
class TVzRenderPrinter;
class TVPRender;

// The extension a renderer's pattern text gives a file name: the first
// pattern's, without its "*" ("*.html;*.htm" gives ".html"); empty when
// the first pattern names no extension.
std::string RendererFileExtension(const std::string& patterns);

class TfrmOmbxVPSetupForm : public TForm {
public:
    explicit TfrmOmbxVPSetupForm(TComponent* owner);

    TVzSystem* ReportSystem = nullptr;
    bool RangeMode = false;
    TVzRenderPrinter* PrinterRenderer = nullptr;

    TGroupBox* gbPrinter;
    TLabel* PrinterLabel;
    TButton* bbtnOK;
    TButton* CancelBB;
    TButton* SetupBB;
    TGroupBox* gbOptions;
    TLabel* CopiesLabel;
    TEdit* CopiesED;
    TCheckBox* CollateCK;
    TCheckBox* DuplexCK;
    TPageControl* PageControl1;
    TTabSheet* tsDestination;
    TTabSheet* tsRange;
    TGroupBox* gbDestination;
    TRadioButton* PrinterRB;
    TRadioButton* PreviewRB;
    TRadioButton* FileRB;
    TEdit* editFileName;
    TButton* FileNameSB;
    TLabel* lblFormat;
    TComboBox* cboxFormat;
    TGroupBox* gbRange;
    TRadioButton* AllRB;
    TRadioButton* SelectionRB;
    TRadioButton* PagesRB;
    TLabel* lblFrom;
    TLabel* lblTo;
    TLabel* lblSelection;
    TEdit* FromED;
    TEdit* ToED;
    TEdit* SelectionED;
    TSaveDialog* dlogSave;

    void FormShow();
    void PrinterRBClick();
    void FileRBClick();
    void editFileNameChange();
    void FileNameSBClick();
    void cboxFormatChange();
    void SetupBBClick();
    // Stores the choices and closes with OK; a file without a format to
    // write it keeps the window open with a message.
    void bbtnOKClick();
    void AllRBClick();
    void SelectionRBClick();
    void PagesRBClick();

private:
    bool HasSetup(int setup) const;
    bool PrinterUsable() const;
    void ShowPrinter();
    void ShowDestinationPage();
    void ShowRangePage();
    void StoreOptions(int& copies, bool& collate, TDuplex& duplex);
    bool StoreDestination();
};
