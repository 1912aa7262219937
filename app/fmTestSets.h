#pragma once
// The "Test Sets" dialog: saves the wizard's students as a named test set,
// loads a saved set into the students' table (replacing or appending),
// deletes sets and exchanges them as .tsf files through the ".tsf Files"
// menu. The logic is TTestSetsData; this window owns it, binds its control
// states and progress bars to the controls and its handlers to the
// controls' events.
//
// The wizard sets DatabaseName, QtyQuestions, DataTable, TestName, TestID
// and ProfilesQuery and calls ShowModal; after OK it shows its data and
// errors grids, and numbers the next scanned student after LastRecNo().

#include <string>

#include "app/DialogGrid.h"
#include "app/TestSetsData.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

class TfrmTstSets : public TForm {
public:
    explicit TfrmTstSets(TComponent* owner);
    ~TfrmTstSets() override;

    TTestSetsData* Data;
    // Set before showing.
    std::string& DatabaseName = Data->DatabaseName;
    int& QtyQuestions = Data->QtyQuestions;
    TDataSet*& DataTable = Data->DataTable;
    std::string& TestName = Data->TestName;
    std::string& TestID = Data->TestID;
    TLdbQuery*& ProfilesQuery = Data->ProfilesQuery;

    TLabel* Label1;
    TDialogGrid* dbgTestSets;  // No, Name, Test Name, Test ID, Questions
    TButton* btnDelete;
    TButton* btnReplace;
    TButton* btnAppend;
    TButton* btnCancel;
    TButton* btnFiles;
    TPopupMenu* pmFiles;
    TMenuItem* SaveSelectedFormtoFile1;
    TMenuItem* LoadFormFile1;
    TLabel* lblSaveAs;
    TEdit* edtPFName;
    TButton* btnSave;
    TProgressBar* pbRecords;
    TProgressBar* pbQuest;
    TLabel* lblRecords;  // "Save Records"
    TLabel* lblQuest;    // "Save Question"

    std::string GetSetName() const { return Data->GetSetName(); }
    // The highest record number in the students' table after a load.
    int LastRecNo() const { return Data->LastRecNo; }

    void FormShow(TObject* sender);
    void btnFilesClick(TObject* sender);
};
