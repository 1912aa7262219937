#pragma once
// The output-options window: destination (printer, preview or file), the
// file format from the renderer registry, printer setup, copies, collation
// and duplex; opened from the preview window it asks for the print range.

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StdCtrls.h"
#include "report/ReportForms.h"
#include "report/RenderCanvas.h"

class TVzSystem;

// Format-list texts of the two built-in outputs.
inline constexpr const char* FormatSnapshotText = "Vize Snapshot File (VSF)";
inline constexpr const char* FormatPrinterText = "Native Printer Output (PRN)";

class TVPSetupForm : public TForm {
public:
    explicit TVPSetupForm(TComponent* owner);

    TVzSystem* ReportSystem = nullptr;
    bool PrintRangeMode = false;
    TVzRenderPrinter* PrinterRenderer = nullptr;

    TButton* OKBtn;
    TButton* CancelBtn;
    TButton* SetupBtn;
    TGroupBox* PrinterGroup;
    TLabel* PrinterLabel;
    TGroupBox* OptionsGroup;
    TLabel* CopiesLabel;
    TEdit* CopiesEdit;
    TCheckBox* CollateCheck;
    TCheckBox* DuplexCheck;
    TPageControl* PageControl;
    TTabSheet* DestPage;
    TGroupBox* DestGroup;
    TRadioButton* PrinterRadio;
    TRadioButton* PreviewRadio;
    TRadioButton* FileRadio;
    TEdit* FileNameEdit;
    TButton* BrowseBtn;
    TLabel* FormatLabel;
    TComboBox* FormatList;
    TTabSheet* RangePage;
    TGroupBox* RangeGroup;
    TRadioButton* AllRadio;
    TRadioButton* SelectionRadio;
    TRadioButton* PagesRadio;
    TLabel* SelectionLabel;
    TEdit* SelectionEdit;
    TLabel* FromLabel;
    TEdit* FromEdit;
    TLabel* ToLabel;
    TEdit* ToEdit;
    TSaveDialog* SaveDialog;

    void FormShow();
    void SetupClick();
    void BrowseClick();
    void OKClick();

private:
    bool UsablePrinter();
    void UpdatePrinterLabel();
    void DestClick(TRadioButton* button);
    void RangeClick(TRadioButton* button);
    void ApplyPrinterOptions(int& copies, bool& collate, TDuplex& duplex);
};
