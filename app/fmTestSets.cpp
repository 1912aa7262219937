#include "app/fmTestSets.h"

namespace {

TButton* NewButton(TForm* form, const char* name, const char* caption, int left, int top, int width) {
    auto* b = new TButton(form);
    b->SetName(name);
    b->SetParent(form);
    b->SetBounds(left, top, width, 30);
    b->SetCaption(caption);
    return b;
}

TLabel* NewLabel(TForm* form, const char* name, const char* caption, int left, int top) {
    auto* l = new TLabel(form);
    l->SetName(name);
    l->SetParent(form);
    l->SetBounds(left, top, 200, 16);
    l->SetCaption(caption);
    return l;
}

}  // namespace

TfrmTstSets::TfrmTstSets(TComponent* owner) : TForm(owner), Data(new TTestSetsData(this)) {
    SetName("frmTstSets");
    SetCaption("Test Sets");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(620);
    SetClientHeight(412);

    Label1 = NewLabel(this, "Label1", "Saved Test Sets", 12, 8);
    dbgTestSets = new TDialogGrid(this, this, "dbgTestSets");
    dbgTestSets->SetBounds(12, 28, 596, 200);
    dbgTestSets->AddColumn("No", "DSID", 5);
    dbgTestSets->AddColumn("Name", "DSName", 22);
    dbgTestSets->AddColumn("Test Name", "DSTestName", 20);
    dbgTestSets->AddColumn("Test ID", "DSTestID", 12);
    dbgTestSets->AddColumn("Questions", "DSNumQuest", 9);

    btnDelete = NewButton(this, "btnDelete", "Delete Selected Test Set", 12, 238, 180);
    btnReplace = NewButton(this, "btnReplace", "Load Test Set: &Replace", 200, 238, 170);
    btnAppend = NewButton(this, "btnAppend", "Load Test Set: &Append", 378, 238, 170);
    btnAppend->SetModalResult(mrOk);
    btnFiles = NewButton(this, "btnFiles", ".tsf &Files", 12, 276, 110);

    lblSaveAs = NewLabel(this, "lblSaveAs", "Save Current Data As Test Set Named:", 12, 318);
    lblSaveAs->SetBounds(12, 318, 280, 16);
    edtPFName = new TEdit(this);
    edtPFName->SetName("edtPFName");
    edtPFName->SetParent(this);
    edtPFName->SetBounds(12, 338, 300, 24);
    btnSave = NewButton(this, "btnSave", "&Save", 324, 335, 90);
    btnCancel = NewButton(this, "btnCancel", "Cancel", 518, 372, 90);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    lblRecords = NewLabel(this, "lblRecords", "Save Records", 430, 276);
    pbRecords = new TProgressBar(this);
    pbRecords->SetName("pbRecords");
    pbRecords->SetParent(this);
    pbRecords->SetBounds(430, 294, 178, 8);
    lblQuest = NewLabel(this, "lblQuest", "Save Question", 430, 306);
    pbQuest = new TProgressBar(this);
    pbQuest->SetName("pbQuest");
    pbQuest->SetParent(this);
    pbQuest->SetBounds(430, 324, 178, 8);
    for (TControl* c : {static_cast<TControl*>(lblRecords), static_cast<TControl*>(pbRecords),
                        static_cast<TControl*>(lblQuest), static_cast<TControl*>(pbQuest)})
        c->SetVisible(false);

    pmFiles = new TPopupMenu(this);
    pmFiles->SetName("pmFiles");
    SaveSelectedFormtoFile1 = new TMenuItem(this);
    SaveSelectedFormtoFile1->SetName("SaveSelectedFormtoFile1");
    SaveSelectedFormtoFile1->SetCaption("Save Selected Test Set to .tsf File");
    pmFiles->Items()->Add(SaveSelectedFormtoFile1);
    LoadFormFile1 = new TMenuItem(this);
    LoadFormFile1->SetName("LoadFormFile1");
    LoadFormFile1->SetCaption("Load Test Set From .tsf File");
    pmFiles->Items()->Add(LoadFormFile1);

    Data->edtPFName.Bind(edtPFName);
    Data->btnDelete.Bind(btnDelete);
    Data->btnReplace.Bind(btnReplace);
    Data->btnAppend.Bind(btnAppend);
    Data->btnSave.Bind(btnSave);
    Data->lblRecords.Bind(lblRecords);
    Data->lblQuest.Bind(lblQuest);
    Data->pbRecords.Bind(pbRecords);
    Data->pbQuest.Bind(pbQuest);

    OnShow = [this](TObject* s) { FormShow(s); };
    edtPFName->OnChange = [this](TObject*) { Data->edtPFNameChange(); };
    dbgTestSets->OnClick = [this] { Data->dbgTestSetsClick(); };
    btnSave->OnClick = [this](TObject*) { Data->btnSaveClick(); };
    btnDelete->OnClick = [this](TObject*) { Data->btnDeleteClick(); };
    btnReplace->OnClick = [this](TObject*) {
        Data->btnReplaceClick();
        if (Data->CloseWithOk) SetModalResult(mrOk);
    };
    btnAppend->OnClick = [this](TObject*) { Data->btnAppendClick(); };
    btnFiles->OnClick = [this](TObject* s) { btnFilesClick(s); };
    SaveSelectedFormtoFile1->OnClick = [this](TObject*) { Data->SaveSelectedFormtoFile1Click(); };
    LoadFormFile1->OnClick = [this](TObject*) { Data->LoadFormFile1Click(); };
    DoCreate();
}

TfrmTstSets::~TfrmTstSets() {
    dbgTestSets->SetDataSet(nullptr);
    DoDestroy();
}

void TfrmTstSets::FormShow(TObject*) {
    Data->CloseWithOk = false;
    Data->FormShow();
    dbgTestSets->SetDataSet(Data->qrySets);
}

void TfrmTstSets::btnFilesClick(TObject*) {
    pmFiles->Popup(Left() + btnFiles->Left() + 10, Top() + btnFiles->Top() + 35);
}
