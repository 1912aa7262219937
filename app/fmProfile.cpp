#include "app/fmProfile.h"

TfrmProfiles::TfrmProfiles(TComponent* owner) : TForm(owner), Data(new TProfilesData(this)) {
    SetName("frmProfiles");
    SetCaption("Profiles");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(560);
    SetClientHeight(356);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(12, 8, 200, 16);
    Label1->SetCaption("Saved Profiles");

    dbgProfiles = new TDialogGrid(this, this, "dbgProfiles");
    dbgProfiles->SetBounds(12, 28, 536, 206);
    dbgProfiles->AddColumn("No", "PFNo", 5);
    dbgProfiles->AddColumn("Name", "PFName", 24);
    dbgProfiles->AddColumn("Test Name", "PFTestName", 20);
    dbgProfiles->AddColumn("Test ID", "PFTestID", 12);

    lblSaveAs = new TLabel(this);
    lblSaveAs->SetName("lblSaveAs");
    lblSaveAs->SetParent(this);
    lblSaveAs->SetBounds(12, 248, 200, 16);
    lblSaveAs->SetCaption("Save Setup As Profile Named:");

    edtPFName = new TEdit(this);
    edtPFName->SetName("edtPFName");
    edtPFName->SetParent(this);
    edtPFName->SetBounds(12, 268, 300, 24);

    btnSave = new TButton(this);
    btnSave->SetName("btnSave");
    btnSave->SetParent(this);
    btnSave->SetBounds(324, 266, 100, 28);
    btnSave->SetCaption("&Save");

    btnDelete = new TButton(this);
    btnDelete->SetName("btnDelete");
    btnDelete->SetParent(this);
    btnDelete->SetBounds(12, 314, 180, 30);
    btnDelete->SetCaption("Delete Selected Profile");

    btnFiles = new TButton(this);
    btnFiles->SetName("btnFiles");
    btnFiles->SetParent(this);
    btnFiles->SetBounds(200, 314, 110, 30);
    btnFiles->SetCaption(".pff &Files");

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetBounds(356, 314, 90, 30);
    btnOK->SetCaption("&Select");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetBounds(458, 314, 90, 30);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    pmFiles = new TPopupMenu(this);
    pmFiles->SetName("pmFiles");
    SaveSelectedFormtoFile1 = new TMenuItem(this);
    SaveSelectedFormtoFile1->SetName("SaveSelectedFormtoFile1");
    SaveSelectedFormtoFile1->SetCaption("Save Selected Profile to .pff File");
    pmFiles->Items()->Add(SaveSelectedFormtoFile1);
    LoadFormFile1 = new TMenuItem(this);
    LoadFormFile1->SetName("LoadFormFile1");
    LoadFormFile1->SetCaption("Load Profile From .pff File");
    pmFiles->Items()->Add(LoadFormFile1);

    Data->edtPFName.Bind(edtPFName);
    Data->lblSaveAs.Bind(lblSaveAs);
    Data->btnOK.Bind(btnOK);
    Data->btnSave.Bind(btnSave);
    Data->btnDelete.Bind(btnDelete);

    OnShow = [this](TObject* s) { FormShow(s); };
    edtPFName->OnChange = [this](TObject*) { Data->edtPFNameChange(); };
    dbgProfiles->OnClick = [this] { Data->dbgProfilesClick(); };
    dbgProfiles->OnDblClick = [this] {
        Data->dbgProfilesDblClick();
        CloseIfDone();
    };
    btnSave->OnClick = [this](TObject*) {
        Data->btnSaveClick();
        CloseIfDone();
    };
    btnDelete->OnClick = [this](TObject*) { Data->btnDeleteClick(); };
    btnFiles->OnClick = [this](TObject* s) { btnFilesClick(s); };
    SaveSelectedFormtoFile1->OnClick = [this](TObject*) { Data->SaveSelectedFormtoFile1Click(); };
    LoadFormFile1->OnClick = [this](TObject*) { Data->LoadFormFile1Click(); };
    DoCreate();
}

TfrmProfiles::~TfrmProfiles() {
    dbgProfiles->SetDataSet(nullptr);
    DoDestroy();
}

void TfrmProfiles::FormShow(TObject*) {
    Data->CloseWithOk = false;
    dbgProfiles->SetDataSet(ProfilesQuery);
    Data->FormShow();
}

void TfrmProfiles::btnFilesClick(TObject*) {
    Data->btnFilesClick();
    pmFiles->Popup(Left() + btnFiles->Left() + 10, Top() + btnFiles->Top() + 35);
}

void TfrmProfiles::CloseIfDone() {
    if (Data->CloseWithOk) SetModalResult(mrOk);
}
