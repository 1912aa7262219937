#pragma once
// "Edit Master Data": the scanned answer key corrected by hand, with the
// point values beside it. Both grids edit the key table's single row in
// place; the wizard posts the row after OK and cancels it otherwise.
//
// The wizard calls SetMasterTable, sets AllowedLabels (odd labels then
// even labels) and QtyQuestions, and calls ShowModal.

#include <string>

#include "app/DialogGrid.h"
#include "app/MasterEditData.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmEditMasterData : public TForm {
public:
    explicit TfrmEditMasterData(TComponent* owner);
    ~TfrmEditMasterData() override;

    TEditMasterData Data;
    std::string& AllowedLabels = Data.AllowedLabels;
    int& QtyQuestions = Data.QtyQuestions;
    std::int32_t& HighlightColor = Data.HighlightColor;
    void SetMasterTable(TDataSet* table) { Data.MasterTable = table; }
    TDataSet* MasterTable() const { return Data.MasterTable; }

    TLabel* Label1;  // "Question Values"
    TDialogRecordGrid* dbgMaster;
    TLabel* Label2;  // "Point Values"
    TDialogRecordGrid* dbgPoints;
    TButton* btnOK;
    TButton* btnCancel;

    void FormShow(TObject* sender);
    void dbgMasterKeyPress(char& key) { Data.KeyPress(key); }
    void dbgMasterCellLoaded(TDialogRecordGrid* grid, int dataCol, const std::string& value);
};
