#include "app/fmPenaltySetup.h"

#include <string>

TfrmPenaltySetup::TfrmPenaltySetup(TComponent* owner) : TForm(owner) {
    SetName("frmPenaltySetup");
    SetCaption("Ombrix Question Penalty Setup");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(500);
    SetClientHeight(376);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(12, 14, 140, 16);
    Label1->SetCaption("Default Penalty Value:");
    edtDPoint = new TEdit(this);
    edtDPoint->SetName("edtDPoint");
    edtDPoint->SetParent(this);
    edtDPoint->SetBounds(160, 10, 60, 24);
    BitBtn1 = new TButton(this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetParent(this);
    BitBtn1->SetBounds(232, 8, 90, 28);
    BitBtn1->SetCaption("Set &All");
    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetBounds(398, 338, 90, 30);
    btnOK->SetCaption("&OK");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    sbPoints = new TScrollBox(this);
    sbPoints->SetName("sbPoints");
    sbPoints->SetParent(this);
    sbPoints->SetBounds(12, 44, 476, 286);
    sbPoints->SetAnchors(akLeft | akTop | akRight | akBottom);
    dsMaster = new TDataSource(this);
    dsMaster->SetName("dsMaster");

    Data.edtDPoint.Bind(edtDPoint);
    OnShow = [this](TObject* s) { FormShow(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
    DoCreate();
}

TfrmPenaltySetup::~TfrmPenaltySetup() { DoDestroy(); }

void TfrmPenaltySetup::FormShow(TObject*) {
    SetCaption(TPenaltySetupData::Caption());
    dsMaster->SetDataSet(MasterTable);
    Data.PrepareKey();
    BuildEditors();
}

void TfrmPenaltySetup::BuildEditors() {
    FreeEditors();
    int right = 0, bottom = 0;
    for (int n = 1; n <= QtyQuestions; ++n) {
        const TPenaltySetupData::TPlace place = TPenaltySetupData::PlaceOf(n);
        auto* label = new TLabel(this);
        label->SetName("lblS" + std::to_string(n));
        label->SetParent(sbPoints);
        label->SetAutoSize(false);
        label->SetAlignment(taRightJustify);
        label->SetBounds(place.LabelLeft, place.LabelTop, TPenaltySetupData::kLabelWidth, 16);
        label->SetCaption(std::to_string(n));
        auto* edit = new TDBEdit(this);
        edit->SetName("dbeS" + std::to_string(n));
        edit->SetParent(sbPoints);
        edit->SetBounds(place.EditLeft, place.EditTop, TPenaltySetupData::kEditWidth, 22);
        edit->SetDataSource(dsMaster);
        edit->SetDataField("S" + std::to_string(n));
        edit->OnKeyPress = [](TObject*, char& key) { TPenaltySetupData::PenaltyKeyPress(key); };
        labels_.push_back(label);
        edits_.push_back(edit);
        right = std::max(right, place.EditLeft + TPenaltySetupData::kEditWidth + 8);
        bottom = std::max(bottom, place.EditTop + 30);
    }
    sbPoints->SetScrollAreaSize(right, bottom);
}

void TfrmPenaltySetup::FreeEditors() {
    // Last first, as they were made.
    while (!edits_.empty()) {
        edits_.back()->SetDataSource(nullptr);
        delete edits_.back();
        edits_.pop_back();
    }
    while (!labels_.empty()) {
        delete labels_.back();
        labels_.pop_back();
    }
}

void TfrmPenaltySetup::FormDestroy(TObject*) { FreeEditors(); }
