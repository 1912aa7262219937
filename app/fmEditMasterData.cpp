#include "app/fmEditMasterData.h"

#include "platform/data/Field.h"
#include "platform/gui/Graphics.h"

TfrmEditMasterData::TfrmEditMasterData(TComponent* owner) : TForm(owner) {
    SetName("frmEditMasterData");
    SetCaption("Edit Master Data");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientWidth(640);
    SetClientHeight(260);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetBounds(12, 8, 200, 16);
    Label1->SetCaption("Question Values");
    dbgMaster = new TDialogRecordGrid(this, this, "dbgMaster");
    dbgMaster->SetBounds(12, 28, 616, 80);

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetBounds(12, 116, 200, 16);
    Label2->SetCaption("Point Values");
    dbgPoints = new TDialogRecordGrid(this, this, "dbgPoints");
    dbgPoints->SetBounds(12, 136, 616, 80);

    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(this);
    btnOK->SetBounds(440, 224, 90, 30);
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);
    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetBounds(538, 224, 90, 30);
    btnCancel->SetCaption("Cancel");
    // Esc cancels: it must not keep a half-corrected key.
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    OnShow = [this](TObject* s) { FormShow(s); };
    for (TDialogRecordGrid* grid : {dbgMaster, dbgPoints}) {
        grid->OnKeyPress = [this](char& key) { dbgMasterKeyPress(key); };
        grid->OnCellLoaded = [this, grid](int dataCol, const std::string& value) {
            dbgMasterCellLoaded(grid, dataCol, value);
        };
    }
    DoCreate();
}

TfrmEditMasterData::~TfrmEditMasterData() {
    dbgMaster->SetDataSet(nullptr);
    dbgPoints->SetDataSet(nullptr);
    DoDestroy();
}

void TfrmEditMasterData::FormShow(TObject*) {
    Data.FormShow();
    TDataSet* table = MasterTable();
    // The key answers: the table's visible columns.
    std::vector<TField*> shown;
    for (int k = 0; table && k < table->FieldCount(); ++k)
        if (table->Fields()[k]->Visible()) shown.push_back(table->Fields()[k]);
    dbgMaster->SetCols(static_cast<int>(shown.size()));
    for (std::size_t k = 0; k < shown.size(); ++k)
        dbgMaster->SetColumn(static_cast<int>(k) + 1, shown[k]->FieldName(), shown[k]->DisplayLabel());
    dbgMaster->SetDataSet(table);
    const auto points = Data.PointColumns();
    dbgPoints->SetCols(static_cast<int>(points.size()));
    for (std::size_t k = 0; k < points.size(); ++k)
        dbgPoints->SetColumn(static_cast<int>(k) + 1, points[k].FieldName, points[k].Heading);
    dbgPoints->SetDataSet(table);
}

void TfrmEditMasterData::dbgMasterCellLoaded(TDialogRecordGrid* grid, int dataCol, const std::string& value) {
    grid->SetCellColor(dataCol, TEditMasterData::Highlighted(value) ? HighlightColor : clWindow);
}
