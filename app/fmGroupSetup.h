#pragma once
// The question-groups dialog: new and deleted groups, questions added to
// or removed from the current group, and the whole setting saved to or
// read from a .TGS file. The logic is TGroupSetupData; this window owns
// it and binds its handlers to the controls' events. Every change goes
// straight into the wizard's tables; "&OK" only closes.
//
// The wizard sets GroupsTable and QuestionGroupsTable and calls ShowModal.

#include "app/DialogGrid.h"
#include "app/GroupSetupData.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TfrmGroupSetup : public TForm {
public:
    explicit TfrmGroupSetup(TComponent* owner);
    ~TfrmGroupSetup() override;

    TGroupSetupData* Data;
    TDataSet*& GroupsTable = Data->GroupsTable;
    TDataSet*& QuestionGroupsTable = Data->QuestionGroupsTable;

    TLabel* Label1;
    TDialogGrid* dbgGroups;     // Group, Description
    TLabel* Label2;
    TDialogGrid* dbgQuestions;  // Question, Group(s)
    TButton* BitBtn3;           // "&New Group"
    TButton* btnDeleteGroup;
    TButton* btnAddQuestion;
    TButton* btnRemoveQuestion;
    TButton* btnSave;
    TButton* btnRead;
    TButton* btnOK;

    void FormShow(TObject* sender);
};
