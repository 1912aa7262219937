#include "app/TestSetsData.h"

#include <algorithm>

#include "app/ProfileStore.h"
#include "app/WorkPrompts.h"
#include "platform/core/DateTime.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/Field.h"

namespace {

// The detail columns a .tsf file holds, in order.
const char* const kDetailColumns[] = {"DDQuestion", "DDValue", "DDRecNo", "DDStdID", "DDPoints"};

std::string Element(const std::string& indent, const std::string& name, const std::string& value) {
    return indent + "<" + name + ">" + value + "</" + name + ">";
}

}  // namespace

TTestSetsData::TTestSetsData(TComponent* owner) : TComponent(owner) {
    qrySets = new TLdbQuery(this);
    qrySets->RequestLive = true;
    qrySets->SQL().SetText("select * from DataSets D where DSType = 'TEST'");
    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->DefaultExt = "tsf";
    SaveDialog1->Filter = "Test Set File (*.tsf)|*.tsf";
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->DefaultExt = "tsf";
    OpenDialog1->Filter = "Test Set File (*.tsf)|*.tsf";
}

std::unique_ptr<TLdbQuery> TTestSetsData::NewQuery(const std::string& sql) {
    auto q = std::make_unique<TLdbQuery>(this);
    q->SetDatabaseName(DatabaseName);
    q->SQL().SetText(sql);
    return q;
}

TLdbConnection* TTestSetsData::Connection() {
    if (!qrySets->Connection()) qrySets->SetDatabaseName(DatabaseName);
    if (!qrySets->Connection()) throw Exception("The database \"" + DatabaseName + "\" is not open.");
    return qrySets->Connection();
}

void TTestSetsData::UpdateButtons() {
    const bool any = qrySets->Active() && !qrySets->IsEmpty();
    btnAppend.SetEnabled(any);
    btnReplace.SetEnabled(any);
    btnDelete.SetEnabled(any);
}

void TTestSetsData::ShowProgress(bool shown, bool both) {
    pbRecords.SetVisible(shown);
    lblRecords.SetVisible(shown);
    pbRecords.SetPosition(0);
    if (both || !shown) {
        pbQuest.SetVisible(shown);
        lblQuest.SetVisible(shown);
        pbQuest.SetPosition(0);
    }
}

void TTestSetsData::Step() {
    pbRecords.Repaint();
    pbQuest.Repaint();
    if (OnProgress) OnProgress();
}

void TTestSetsData::FormShow() {
    qrySets->SetDatabaseName(DatabaseName);
    qrySets->Open();
    UpdateButtons();
    edtPFNameChange();
}

void TTestSetsData::edtPFNameChange() { btnSave.SetEnabled(!Trim(edtPFName.Text()).empty()); }

void TTestSetsData::dbgTestSetsClick() {
    if (qrySets->IsEmpty()) return;
    edtPFName.SetText(qrySets->FieldByName("DSName")->AsString());
    edtPFNameChange();
}

int TTestSetsData::NextDataSetId() {
    auto q = NewQuery("select max(DSID) as MaxID from DataSets");
    q->Open();
    return q->IsEmpty() ? 1 : q->FieldByName("MaxID")->AsInteger() + 1;
}

int TTestSetsData::NextDetailId() {
    auto q = NewQuery("select max(DDID) as MaxID from DataDetail");
    q->Open();
    return q->IsEmpty() ? 1 : q->FieldByName("MaxID")->AsInteger() + 1;
}

void TTestSetsData::DeleteDetails() {
    auto q = NewQuery("delete from DataDetail where DSID = :pDSID");
    q->ParamByName("pDSID")->SetAsInteger(qrySets->FieldByName("DSID")->AsInteger());
    q->ExecSQL();
}

void TTestSetsData::btnSaveClick() {
    const std::string name = Trim(edtPFName.Text());
    edtPFName.SetText(name);
    if (name.empty()) return;
    const bool replace = qrySets->Locate("DSName", Variant(name), 0);
    if (replace && !WorkConfirm("Do you want to replace this Test Set?")) return;
    try {
        TStoreTransaction transaction(Connection());
        if (replace) {
            DeleteDetails();
            qrySets->Edit();
        } else {
            const int id = NextDataSetId();
            qrySets->Append();
            qrySets->FieldByName("DSID")->SetAsInteger(id);
        }
        SaveTestSetData();
        transaction.Commit();
    } catch (...) {
        // The list may show a row the rollback took back.
        if (qrySets->State() == dsEdit || qrySets->State() == dsInsert) qrySets->Cancel();
        qrySets->Close();
        qrySets->Open();
        UpdateButtons();
        throw;
    }
    UpdateButtons();
}

void TTestSetsData::SaveTestSetData() {
    const int n = QtyQuestions;
    try {
        qrySets->FieldByName("DSType")->SetAsString("TEST");
        qrySets->FieldByName("DSName")->SetAsString(edtPFName.Text());
        if (ProfilesQuery && ProfilesQuery->Active() && !ProfilesQuery->IsEmpty())
            qrySets->FieldByName("PFNo")->SetAsInteger(ProfilesQuery->FieldByName("PFNo")->AsInteger());
        qrySets->FieldByName("DSNumQuest")->SetAsInteger(n);
        qrySets->FieldByName("DSModifyDate")->SetAsDateTime(Now());
        qrySets->FieldByName("DSTestName")->SetAsString(TestName);
        qrySets->FieldByName("DSTestID")->SetAsString(TestID);
        qrySets->Post();
    } catch (...) {
        qrySets->Cancel();
        throw;
    }
    const int setId = qrySets->FieldByName("DSID")->AsInteger();

    struct THide {
        TTestSetsData* Dialog;
        ~THide() { Dialog->ShowProgress(false, true); }
    } hide{this};
    ShowProgress(true, true);
    pbRecords.SetMax(std::max(1, DataTable->RecordCount()));
    pbQuest.SetMax(std::max(1, n));
    auto insert = NewQuery(
        "insert into DataDetail (DDID, DSID, DDQuestion, DDValue, DDRecNo, DDStdID, DDPoints)\r\n"
        "values(:pDDID, :pDSID, :pDDQuest, :pDDVal, :pDDRecNo, :pDDStdID, :pDDPoints)");
    // Nothing else writes details meanwhile, so the numbers follow on
    // from one maximum.
    int detailId = NextDetailId();
    for (DataTable->First(); !DataTable->Eof(); DataTable->Next()) {
        pbQuest.SetPosition(0);
        insert->ParamByName("pDSID")->SetAsInteger(setId);
        insert->ParamByName("pDDRecNo")->SetAsInteger(DataTable->FieldByName("RecNo")->AsInteger());
        // Student IDs are 64-bit numbers, as the column is.
        insert->ParamByName("pDDStdID")->SetAsLargeInt(DataTable->FieldByName("IDNo")->AsLargeInt());
        for (int q = 1; q <= n; ++q) {
            const std::string no = std::to_string(q);
            insert->ParamByName("pDDID")->SetAsInteger(detailId++);
            insert->ParamByName("pDDQuest")->SetAsInteger(q);
            insert->ParamByName("pDDVal")->SetAsString(DataTable->FieldByName("Q" + no)->AsString());
            insert->ParamByName("pDDPoints")->SetAsString(DataTable->FieldByName("P" + no)->AsString());
            insert->ExecSQL();
            pbQuest.SetPosition(q);
            Step();
        }
        pbRecords.SetPosition(pbRecords.Position() + 1);
        Step();
    }
}

void TTestSetsData::btnDeleteClick() {
    if (qrySets->IsEmpty()) return;
    if (!WorkConfirm("Are you sure you want to delete the selected Test Set data?")) return;
    const int id = qrySets->FieldByName("DSID")->AsInteger();
    {
        TStoreTransaction transaction(Connection());
        for (const char* sql : {"delete from DataDetail where DSID = :pDSID", "delete from DataSets where DSID = :pDSID"}) {
            auto q = NewQuery(sql);
            q->ParamByName("pDSID")->SetAsInteger(id);
            q->ExecSQL();
        }
        transaction.Commit();
    }
    qrySets->Close();
    qrySets->Open();
    UpdateButtons();
}

bool TTestSetsData::ConfirmQuestionCount() {
    const int saved = qrySets->FieldByName("DSNumQuest")->AsInteger();
    if (saved == QtyQuestions) return true;
    return WorkConfirm(
        "The current data has a different number of questions than the selected saved test data.\r\n"
        "If you continue, data loss may occur or questions may not have answers.\r\n\r\n"
        "Current data has " + std::to_string(QtyQuestions) + " questions \r\n"
        "Saved data has " + std::to_string(saved) + " questions\r\n\r\nContinue anyway?");
}

void TTestSetsData::btnReplaceClick() {
    if (qrySets->IsEmpty()) return;
    if (!ConfirmQuestionCount()) return;
    if (!WorkConfirm("Are you sure that you want to replace all the current data \r\n"
                     "with the currently selected saved test set?"))
        return;
    DataTable->Close();
    DataTable->Open();
    while (!DataTable->IsEmpty()) {
        DataTable->First();
        DataTable->Delete();
    }
    LoadTestSetData();
    CloseWithOk = true;
}

void TTestSetsData::btnAppendClick() {
    // The button ends the dialog with OK whatever is answered.
    CloseWithOk = true;
    if (qrySets->IsEmpty()) return;
    if (!ConfirmQuestionCount()) return;
    if (!WorkConfirm("Are you sure that you want to append the current data \r\n"
                     "with the currently selected saved test set?"))
        return;
    DataTable->Last();
    LoadTestSetData();
}

void TTestSetsData::LoadTestSetData() {
    const int n = QtyQuestions;
    // New rows are numbered after the highest record number, wherever the
    // table's order puts it, so no number is given twice.
    int r = 0;
    TField* recNo = DataTable->FieldByName("RecNo");
    for (DataTable->First(); !DataTable->Eof(); DataTable->Next()) r = std::max(r, recNo->AsInteger());

    auto q = NewQuery("select * from DataDetail\r\nwhere DSID = :pDSID\r\norder by DDID");
    q->ParamByName("pDSID")->SetAsInteger(qrySets->FieldByName("DSID")->AsInteger());
    q->Open();
    auto postPending = [this] {
        if (DataTable->State() == dsEdit || DataTable->State() == dsInsert) DataTable->Post();
    };
    bool haveStudent = false;
    Int64 student = 0;
    int k = 1;
    for (; !q->Eof(); q->Next()) {
        TField* stdId = q->FieldByName("DDStdID");
        if (!haveStudent || stdId->AsLargeInt() != student) {
            postPending();
            haveStudent = true;
            student = stdId->AsLargeInt();
            DataTable->Append();
            recNo->SetAsInteger(++r);
            DataTable->FieldByName("IDNo")->SetAsString(stdId->AsString());
            k = 1;
        }
        if (k > n) continue;
        const int question = q->FieldByName("DDQuestion")->AsInteger();
        // A question the current test does not have has no field to go to.
        if (question >= 1 && question <= n) {
            const std::string no = std::to_string(question);
            DataTable->FieldByName("Q" + no)->SetAsString(q->FieldByName("DDValue")->AsString());
            DataTable->FieldByName("P" + no)->SetAsString(q->FieldByName("DDPoints")->AsString());
        }
        ++k;
    }
    postPending();
    LastRecNo = r;
}

void TTestSetsData::SaveTestSetToFile(const std::string& fileName) {
    if (qrySets->IsEmpty()) throw Exception("There is no test set to save.");
    struct THide {
        TTestSetsData* Dialog;
        ~THide() { Dialog->ShowProgress(false, false); }
    } hide{this};
    ShowProgress(true, false);
    std::vector<std::string> lines{"<DATASETS>"};
    for (int k = 0; k < qrySets->FieldCount(); ++k) {
        TField* f = qrySets->Fields()[k];
        if (UpperCase(f->FieldName()) == "DSID") continue;
        lines.push_back(Element("  ", f->FieldName(), f->AsString()));
    }
    auto q = NewQuery("select * from DataDetail where DSID = :pDSID\r\norder by DDID");
    q->ParamByName("pDSID")->SetAsInteger(qrySets->FieldByName("DSID")->AsInteger());
    q->Open();
    pbRecords.SetMax(std::max(1, q->RecordCount()));
    for (; !q->Eof(); q->Next()) {
        lines.push_back("  <DATADETAIL>");
        for (const char* column : kDetailColumns) lines.push_back(Element("    ", column, q->FieldByName(column)->AsString()));
        lines.push_back("  </DATADETAIL>");
        pbRecords.SetPosition(pbRecords.Position() + 1);
        Step();
    }
    lines.push_back("</DATASETS>");
    SaveHexLines(fileName, lines);
}

void TTestSetsData::SaveSelectedFormtoFile1Click() {
    if (qrySets->IsEmpty()) return;
    SaveDialog1->FileName = ExtractFilePath(SaveDialog1->FileName) + qrySets->FieldByName("DSName")->AsString() + ".tsf";
    if (!SaveDialog1->Execute()) return;
    SaveTestSetToFile(SaveDialog1->FileName);
}

void TTestSetsData::LoadTestSetFromFile(const std::string& fileName) {
    THyperParse parser;
    TokenizeSavedLines(parser, LoadHexLines(fileName), fileName);
    const TSectionRule setRule{"DataSets", "DataSet section", "DATADETAIL,/DATASETS", false, true, true};
    const TSectionRule detailRule{"DataDetail", "Detail Data section", ",/DATASETS", true, false, false};
    TSavedFileReader reader(this, DatabaseName, fileName);
    Int64 d = 0;
    int i = 0;
    auto reopen = [this] {
        qrySets->Close();
        qrySets->SetDatabaseName(DatabaseName);
        qrySets->Open();
        UpdateButtons();
    };
    try {
        while (i < parser.Count()) {
            const int before = i;
            if (parser.Items(i).TagName == "DATASETS") {
                d = NextDataSetId();
                reader.ReadSection(parser, i, setRule, {{"DSID", d}});
            }
            if (i < parser.Count() && parser.Items(i).TagName == "DATADETAIL") {
                // Each detail row gets its number, so the set's students
                // read back in the order the file holds them.
                reader.ReadSection(parser, i, detailRule, {{"DDID", NextDetailId()}, {"DSID", d}});
            }
            if (i == before) ++i;
        }
    } catch (...) {
        reopen();
        throw;
    }
    reopen();
}

void TTestSetsData::LoadFormFile1Click() {
    if (!OpenDialog1->Execute()) return;
    LoadTestSetFromFile(OpenDialog1->FileName);
}
