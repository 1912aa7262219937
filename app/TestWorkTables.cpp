// The wizard's tables: their fixed and run-time field layouts, emptying and
// ordering them, and finding a student by ID.

#include <string>

#include "app/TestWorkData.h"
#include "platform/core/Strings.h"
#include "platform/data/DB.h"

namespace {

// The index that lets a student be found by ID without walking the table.
const char* const kIdIndexName = "idxIDNo";

template <class TFieldClass>
TFieldClass* AddField(TDataSet* table, const std::string& componentName, const std::string& fieldName,
                      int size, int displayWidth, bool visible) {
    // No owner: the table frees its fields.
    auto* field = new TFieldClass(nullptr);
    try {
        field->SetName(componentName);
        field->SetFieldName(fieldName);
        if (size > 0) field->SetSize(size);
        if (displayWidth > 0) field->SetDisplayWidth(displayWidth);
        field->SetVisible(visible);
        field->SetDataSet(table);
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

TqmtMemTable* NewTable(TComponent* owner, const std::string& name) {
    auto* table = new TqmtMemTable(owner);
    table->SetName(name);
    table->SetAttachedAutoRefresh(true);
    table->SetAttachMaxCount(1);
    table->SetPersistentBackup(false);
    table->SetProgressFlags(qmtProgressBit(mtpcLoad) | qmtProgressBit(mtpcSave) | qmtProgressBit(mtpcCopy));
    table->SetLocaleID(1024);
    table->SetSubLanguageID(1);
    return table;
}

void RemoveFields(TDataSet* table) {
    table->Close();
    std::vector<TField*> fields = table->Fields().List();
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) delete *it;
}

}  // namespace

TTestWorkData::TTestWorkData(TComponent* owner) : TComponent(owner) {
    CreateTables();
    imgMaster.SetVisible(true);
    dbgMaster.SetVisible(false);
    btnNext2.SetEnabled(false);
    lblMaster.SetText("Please scan the master test form now.");
    imgTests.SetVisible(true);
    dbgData.SetVisible(false);
    dbgErrors.SetVisible(false);
    lblError.SetVisible(false);
    lblError.SetText("Errors");
    lblScore.SetVisible(false);
    lblStudent.SetText(" ");
}

TTestWorkData::~TTestWorkData() {
    DetachPort();
    // The tables go before the handlers that their events call.
    for (TqmtMemTable* table : {qmtData, qmtMaster, qmtError, qmtNames, qmtQGroups, qmtGroups}) {
        table->AfterPost = nullptr;
        table->AfterScroll = nullptr;
        table->AfterDelete = nullptr;
    }
    dsData.reset();
    dsMaster.reset();
    dsError.reset();
    dsNames.reset();
    for (TqmtMemTable* table : {qmtData, qmtMaster, qmtError, qmtNames, qmtQGroups, qmtGroups}) delete table;
}

void TTestWorkData::CreateTables() {
    qmtsfCSV = new TqmtCSVStreamFormat(this);
    qmtsfCSV->SetName("qmtsfCSV");
    qmtsfCSV->CSVQuote = '"';
    qmtsfCSV->SetCSVFieldDelimiter(',');
    qmtsfCSV->CSVRecordDelimiter = '\0';
    qmtsfCSV->sfNoHeader = sfSave;
    qmtsfCSV->sfDef = 0;
    qmtCSVStreamFormat1 = new TqmtCSVStreamFormat(this);
    qmtCSVStreamFormat1->SetName("qmtCSVStreamFormat1");
    qmtCSVStreamFormat1->CSVQuote = '\0';
    qmtCSVStreamFormat1->SetCSVFieldDelimiter('\t');
    qmtCSVStreamFormat1->CSVRecordDelimiter = '\0';
    qmtCSVStreamFormat1->sfNoHeader = sfLoad;

    qmtData = NewTable(this, "qmtData");
    qmtData->SetIndexFieldNames("IDNo");
    qmtData->DefineIndex(kIdIndexName, "IDNo", 0);
    qmtData->SetDefaultFormat(qmtsfCSV);
    qmtData->SetCommaTextFormat(qmtsfCSV);
    qmtMaster = NewTable(this, "qmtMaster");
    qmtMaster->SetDefaultFormat(qmtsfCSV);
    qmtMaster->SetCommaTextFormat(qmtsfCSV);

    qmtError = NewTable(this, "qmtError");
    qmtErrorQNo = AddField<TIntegerField>(qmtError, "qmtErrorQNo", "QNo", 0, 0, true);
    qmtErrorVal = AddField<TStringField>(qmtError, "qmtErrorVal", "Val", 1, 0, true);
    qmtErrorRghtVal = AddField<TStringField>(qmtError, "qmtErrorRghtVal", "RghtVal", 1, 0, true);
    qmtErrordColor = AddField<TIntegerField>(qmtError, "qmtErrordColor", "dColor", 0, 0, true);
    for (TField* f : {static_cast<TField*>(qmtErrorQNo), static_cast<TField*>(qmtErrorVal),
                      static_cast<TField*>(qmtErrorRghtVal)})
        f->SetReadOnly(true);

    qmtNames = NewTable(this, "qmtNames");
    qmtNamesID = AddField<TStringField>(qmtNames, "qmtNamesID", "ID", 20, 0, true);
    qmtNamesName = AddField<TStringField>(qmtNames, "qmtNamesName", "Name", 40, 0, true);
    qmtNames->DefineIndex("idxByID", "ID", 0);
    qmtNames->SetIndexName("idxByID");
    qmtNames->SetDefaultFormat(qmtCSVStreamFormat1);
    qmtNames->SetCommaTextFormat(qmtCSVStreamFormat1);
    qmtNames->SetFormFormat(qmtCSVStreamFormat1);

    qmtQGroups = NewTable(this, "qmtQGroups");
    qmtQGroupsQQuestionNo = AddField<TIntegerField>(qmtQGroups, "qmtQGroupsQQuestionNo", "QQuestionNo", 0, 0, true);
    qmtQGroupsQGroups = AddField<TStringField>(qmtQGroups, "qmtQGroupsQGroups", "QGroups", 1500, 0, true);

    qmtGroups = NewTable(this, "qmtGroups");
    qmtGroupsGGroupNo = AddField<TIntegerField>(qmtGroups, "qmtGroupsGGroupNo", "GGroupNo", 0, 0, true);
    qmtGroupsGGroupDesc = AddField<TStringField>(qmtGroups, "qmtGroupsGGroupDesc", "GGroupDesc", 30, 0, true);

    dsData = std::make_unique<TDataSource>(this);
    dsData->SetName("dsData");
    dsData->SetDataSet(qmtData);
    dsMaster = std::make_unique<TDataSource>(this);
    dsMaster->SetName("dsMaster");
    dsMaster->SetDataSet(qmtMaster);
    dsError = std::make_unique<TDataSource>(this);
    dsError->SetName("dsError");
    dsError->SetDataSet(qmtError);
    dsNames = std::make_unique<TDataSource>(this);
    dsNames->SetName("dsNames");
    dsNames->SetDataSet(qmtNames);

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->DefaultExt = "txt";
    SaveDialog1->Filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*";
    OpenDialog3 = new TOpenDialog(this);
    OpenDialog3->SetName("OpenDialog3");
    OpenDialog3->Title = "Select \"Template\" File";
    OpenDialog3->DefaultExt = "xls";
    OpenDialog3->Filter = "Excel Files (*.xls)|*.xls";

    BindTableEvents();
}

void TTestWorkData::BindTableEvents() {
    qmtData->AfterPost = [this](TDataSet* ds) { qmtDataAfterPost(ds); };
    qmtData->AfterScroll = [this](TDataSet* ds) { qmtDataAfterScroll(ds); };
    qmtData->AfterDelete = [this](TDataSet* ds) { qmtDataAfterDelete(ds); };
}

void TTestWorkData::BuildDataFields() {
    dataQ_.clear();
    dataP_.clear();
    dataRecNo_ = AddField<TIntegerField>(qmtData, "mtRecNo", "RecNo", 0, 4, false);
    dataIdNo_ = AddField<TLargeintField>(qmtData, "mtIDNo", "IDNo", 0, 9, true);
    for (int n = 1; n <= N; ++n) {
        const std::string no = std::to_string(n);
        dataQ_.push_back(AddField<TStringField>(qmtData, "mtQ" + no, "Q" + no, 1, 4, true));
        dataP_.push_back(AddField<TStringField>(qmtData, "mtP" + no, "P" + no, 10, 0, false));
    }
}

void TTestWorkData::BuildMasterFields() {
    masterQ_.clear();
    masterP_.clear();
    masterS_.clear();
    masterRecNo_ = AddField<TIntegerField>(qmtMaster, "mtMRecNo", "RecNo", 0, 0, false);
    for (int n = 1; n <= N; ++n) {
        const std::string no = std::to_string(n);
        masterQ_.push_back(AddField<TStringField>(qmtMaster, "mtMQ" + no, "Q" + no, 1, 4, true));
        masterP_.push_back(AddField<TStringField>(qmtMaster, "mtMP" + no, "P" + no, 10, 0, false));
        masterS_.push_back(AddField<TStringField>(qmtMaster, "mtMS" + no, "S" + no, 6, 0, false));
    }
}

void TTestWorkData::RebuildTables() {
    RemoveFields(qmtMaster);
    masterQ_.clear();
    masterP_.clear();
    masterS_.clear();
    masterRecNo_ = nullptr;
    BuildMasterFields();
    qmtMaster->Open();

    RemoveFields(qmtData);
    dataQ_.clear();
    dataP_.clear();
    dataRecNo_ = dataIdNo_ = nullptr;
    BuildDataFields();
    qmtData->Open();
}

void TTestWorkData::LoadNamesFile(const std::string& fileName) {
    qmtNames->Close();
    qmtNames->Open();
    qmtNames->LoadFromFile(fileName);
}

void TTestWorkData::PrepareScanMaster() {
    imgMaster.SetVisible(true);
    dbgMaster.SetVisible(false);
    btnNext2.SetEnabled(false);
    lblMaster.SetText("Please scan the master test form now.");
    ControlsChanged();
}

void TTestWorkData::ShowMasterGrid() {
    imgMaster.SetVisible(false);
    dbgMaster.SetVisible(true);
    btnNext2.SetEnabled(true);
    lblMaster.SetText("Check for correct values then click on \"Next\"");
    ControlsChanged();
}

void TTestWorkData::ScanMasterNext() {
    if (RawFrameLogOn) RawFrameLog += "\r\n\r\n";
    RecordCounter = 0;
    qmtData->Close();
    qmtData->Open();
    imgTests.SetVisible(true);
    dbgData.SetVisible(false);
    lblScore.SetVisible(false);
    dbgErrors.SetVisible(false);
    lblError.SetVisible(false);
    ControlsChanged();
}

void TTestWorkData::ScanTestsShow() {
    ActivePage = wpScanTests;
    lblStudent.SetText(" ");
    if (qmtData->Active()) {
        qmtData->SetSortFields("");
        qmtData->Sort();
    }
    ControlsChanged();
}

void TTestWorkData::OutputShow() {
    ActivePage = wpOutput;
    if (qmtData->Active()) {
        qmtData->SetSortFields("IDNo");
        qmtData->Sort();
    }
    cbExport = efGeneric;
    if (!qmtNames->Active()) qmtNames->Open();
    if (qmtNames->RecordCount() == 0) {
        qmtNames->Append();
        qmtNames->Post();
    }
    ControlsChanged();
}

void TTestWorkData::ShowStudentGrids() {
    imgTests.SetVisible(false);
    dbgData.SetVisible(true);
    dbgErrors.SetVisible(true);
    lblError.SetVisible(true);
    lblScore.SetVisible(true);
    ControlsChanged();
}

void TTestWorkData::SetGridsShown(bool shown) {
    dbgData.SetVisible(shown);
    dbgErrors.SetVisible(shown);
}

bool TTestWorkData::LocateId(Int64 id) {
    // The grids stay hidden while the table moves, so they do not repaint
    // on every step.
    const bool dataShown = dbgData.Visible(), errorsShown = dbgErrors.Visible();
    dbgData.SetVisible(false);
    dbgErrors.SetVisible(false);
    struct Reshow {
        TTestWorkData* self;
        bool data, errors;
        ~Reshow() {
            self->dbgData.SetVisible(data);
            self->dbgErrors.SetVisible(errors);
        }
    } reshow{this, dataShown, errorsShown};
    (void)reshow;

    if (qmtData->IsEmpty()) return false;
    if (!dataIdNo_->IsNull() && dataIdNo_->AsLargeInt() == id) return true;
    // The table is searched through its ID index: finding a student costs
    // the same with ten or ten thousand students. A failed search leaves
    // the current record where it was.
    Locating = true;
    bool found = false;
    try {
        found = qmtData->Locate("IDNo", Variant(static_cast<long long>(id)), 0);
    } catch (...) {
        Locating = false;
        throw;
    }
    Locating = false;
    return found;
}

TColor TTestWorkData::DataCellColor(TField* field, const std::string& value) const {
    if (!field) return kColorWindow;
    const std::string& name = field->FieldName();
    if (name.empty() || name[0] != 'Q') return kColorWindow;
    TField* keyField = qmtMaster->FindField(name);
    const std::string keyValue = keyField && qmtMaster->Active() ? keyField->AsString() : std::string();
    TColor color = ::DataCellColor(name, value, keyValue);
    if (color == kColorWrong) return WrongColor;
    if (color == kColorBlank) return BlankColor;
    if (color == kColorMultiple) return MultipleColor;
    return color;
}
