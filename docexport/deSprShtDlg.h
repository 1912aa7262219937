#pragma once
// Setup dialogs of the spreadsheet formats: the document dialog with the
// layout settings on a "Formatting" page, and the workbook dialog ("Excel
// Setup") with pages per sheet, margins and grid lines.

#include "docexport/deDocDlg.h"

class TdeSpreadSheetDlg : public TdeDocumentDlg {
public:
    explicit TdeSpreadSheetDlg(TComponent* owner);

    TCheckBox* chkAutoFormatCells = nullptr;
    TTabSheet* tsFormatting = nullptr;
    TGroupBox* gbFormattingOptions = nullptr;
    TLabel* lblColumnSpacing = nullptr;
    TLabel* lblRowSpacing = nullptr;
    TLabel* lblScaleX = nullptr;
    TLabel* lblScaleY = nullptr;
    TEdit* edColumnSpacing = nullptr;
    TEdit* edRowSpacing = nullptr;
    TEdit* edScaleX = nullptr;
    TEdit* edScaleY = nullptr;

    void LoadCaptions() override;
    void DoShow() override;
    // A text that does not convert raises the conversion error; the
    // dialog stays open and nothing after the failing field is stored.
    void OkClick() override;
    // Scale fields: digits, one point, backspace.
    void edKeyPress(TEdit* edit, char& key);
    // Spacing fields: digits, "-", backspace.
    static void edSpacingKeyPress(TObject* sender, char& key);
};

class TdeExcelEngineDlg : public TdeSpreadSheetDlg {
public:
    explicit TdeExcelEngineDlg(TComponent* owner);

    TLabel* lblPagesPerWorkSheet = nullptr;
    TEdit* edPagePerWorkSheet = nullptr;
    TCheckBox* chkPageMargins = nullptr;
    TCheckBox* chkPrintGridLines = nullptr;

    void LoadCaptions() override;
    void DoShow() override;
    void OkClick() override;
    void chkImageClick();
    void btnSelectImageClick();
    static void edPagePerWorkSheetKeyPress(TObject* sender, char& key);
};
