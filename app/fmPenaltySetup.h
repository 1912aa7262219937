#pragma once
// The penalty dialog: one penalty edit per question, bound to S<n> of the
// answer key's single row, and "Set &All" for a default penalty. Every
// change stays in the key row's pending edit, which the wizard posts
// later; there is no cancel.
//
// The wizard sets MasterTable and QtyQuestions and calls ShowModal.

#include <vector>

#include "app/DBEdit.h"
#include "app/MasterEditData.h"
#include "platform/data/DataSource.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmPenaltySetup : public TForm {
public:
    explicit TfrmPenaltySetup(TComponent* owner);
    ~TfrmPenaltySetup() override;

    TPenaltySetupData Data;
    TDataSet*& MasterTable = Data.MasterTable;
    int& QtyQuestions = Data.QtyQuestions;

    TLabel* Label1;  // "Default Penalty Value:"
    TEdit* edtDPoint;
    TButton* BitBtn1;  // "Set &All"
    TButton* btnOK;
    TScrollBox* sbPoints;
    TDataSource* dsMaster;

    // The editors made on show, in question order.
    const std::vector<TLabel*>& PenaltyLabels() const { return labels_; }
    const std::vector<TDBEdit*>& PenaltyEdits() const { return edits_; }

    void FormShow(TObject* sender);
    void FormDestroy(TObject* sender);
    void BitBtn1Click(TObject* sender) { Data.BitBtn1Click(); }

private:
    void BuildEditors();
    void FreeEditors();

    std::vector<TLabel*> labels_;
    std::vector<TDBEdit*> edits_;
};
