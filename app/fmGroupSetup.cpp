#include "app/fmGroupSetup.h"

namespace {

TButton* NewButton(TForm* form, const char* name, const char* caption, int top) {
    auto* b = new TButton(form);
    b->SetName(name);
    b->SetParent(form);
    b->SetBounds(436, top, 212, 30);
    b->SetCaption(caption);
    return b;
}

}  // namespace

TfrmGroupSetup::TfrmGroupSetup(TComponent* owner) : TForm(owner), Data(new TGroupSetupData(this)) {
    SetName("frmGroupSetup");
    SetCaption("Ombrix Question Groups Setup");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(660);
    SetClientHeight(470);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(12, 8, 100, 16);
    Label1->SetCaption("Groups");
    dbgGroups = new TDialogGrid(this, this, "dbgGroups");
    dbgGroups->SetBounds(12, 28, 412, 150);
    dbgGroups->AddColumn("Group", "GGroupNo", 6);
    dbgGroups->AddColumn("Description", "GGroupDesc", 30);

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetBounds(12, 188, 412, 16);
    Label2->SetCaption("Questions  -  Shorthand: Double Click to assign to current Group");
    dbgQuestions = new TDialogGrid(this, this, "dbgQuestions");
    dbgQuestions->SetBounds(12, 208, 412, 250);
    dbgQuestions->AddColumn("Question", "QQuestionNo", 9);
    dbgQuestions->AddColumn("Group(s)", "QGroups", 30);

    BitBtn3 = NewButton(this, "BitBtn3", "&New Group", 46);
    btnDeleteGroup = NewButton(this, "btnDeleteGroup", "&Delete Group", 84);
    btnAddQuestion = NewButton(this, "btnAddQuestion", "&Add Question to Group", 226);
    btnRemoveQuestion = NewButton(this, "btnRemoveQuestion", "&Remove Question from Group", 264);
    btnSave = NewButton(this, "btnSave", "   &Save Settings to File     ", 340);
    btnRead = NewButton(this, "btnRead", "    Read Settings from &File", 378);
    btnOK = NewButton(this, "btnOK", "&OK", 428);
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);

    OnShow = [this](TObject* s) { FormShow(s); };
    BitBtn3->OnClick = [this](TObject*) { Data->BitBtn3Click(); };
    btnDeleteGroup->OnClick = [this](TObject*) { Data->btnDeleteGroupClick(); };
    btnAddQuestion->OnClick = [this](TObject*) { Data->btnAddQuestionClick(); };
    btnRemoveQuestion->OnClick = [this](TObject*) { Data->btnRemoveQuestionClick(); };
    dbgQuestions->OnDblClick = [this] { Data->dbgQuestionsDblClick(); };
    btnSave->OnClick = [this](TObject*) { Data->btnSaveClick(); };
    btnRead->OnClick = [this](TObject*) { Data->btnReadClick(); };
    DoCreate();
}

TfrmGroupSetup::~TfrmGroupSetup() {
    dbgGroups->SetDataSet(nullptr);
    dbgQuestions->SetDataSet(nullptr);
    DoDestroy();
}

void TfrmGroupSetup::FormShow(TObject*) {
    Data->FormShow();
    SetCaption(Data->Caption);
    dbgGroups->SetDataSet(GroupsTable);
    dbgQuestions->SetDataSet(QuestionGroupsTable);
}
