// The profile database: opening or creating it, the schema upgrade and the
// wizard's profile operations.

#include "app/ProfileStore.h"

#include <fstream>
#include <memory>

#include "app/WorkPrompts.h"
#include "dbclient/LdbQuery.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Program.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"

namespace {

std::unique_ptr<TLdbQuery> NewQuery(TLdbConnection* connection, const std::string& sql = {}) {
    auto q = std::make_unique<TLdbQuery>(connection->Owner());
    q->SetDatabaseName(connection->Name());
    if (!sql.empty()) q->SQL().SetText(sql);
    return q;
}

// The test-set tables, as the upgrade creates them. Student IDs are 64-bit
// numbers.
const char* const kDataSetsTable =
    "create table DataSets (DSID integer, DSType char(5),\r\n DSName char(30), PFNo Integer, "
    "DSNumQuest integer, \r\n DSModifyDate Date, DSTestName char(30), DSTestID char(30))";
const char* const kDataDetailTable =
    "create table DataDetail (DDID integer, DSID integer,\r\n DDQuestion integer, "
    "DDValue Char(10), DDRecNo integer,\r\n DDStdID LongLong, DDPoints Char(6), DDComment Memo)";

// Every table of the database in its current form, by name.
struct TTableDefinition {
    const char* Name;
    const char* Sql;
};
const TTableDefinition kTables[] = {
    {"Profiles",
     "create table Profiles (PFNo integer, PFName char(50), PFTestName char(30), PFTestID char(30),\r\n"
     " PFFormNo char(10), PFRelQuest integer, PFSounds logical, PFDefExpFmt integer, PFLastSaveDir char(255),\r\n"
     " PFUseQuotes logical, PFUseStdNames logical, PFNamesFile char(255), PFUseLeadingZeros logical,\r\n"
     " PFPrintScan logical, PFPrintScanTo char(255), OddLbls char(10), EvenLbls char(10))"},
    {"Master", "create table Master (PMProfile integer, PMQuestion integer, PMValue char(10))"},
    {"Points", "create table Points (PVProfile integer, PVQuestion integer, PVValue double, PVPenalty double)"},
    {"Groups", "create table Groups (PGProfile integer, PGGroupNo integer, PGDesc char(30))"},
    {"GroupQ", "create table GroupQ (PGQProfile integer, PGQQuestion integer, PGQGroups char(1500))"},
    {"DataSets", kDataSetsTable},
    {"DataDetail", kDataDetailTable},
};

// Creates the tables the database lacks, all in one transaction.
void CreateMissingTables(TLdbConnection* connection) {
    TStringList present;
    connection->GetTableNames(&present, "");
    TStoreTransaction transaction(connection);
    for (const TTableDefinition& table : kTables)
        if (present.IndexOf(table.Name) < 0) NewQuery(connection, table.Sql)->ExecSQL();
    transaction.Commit();
}

void CreateDatabase(TLdbConnection* connection, const std::string& file) {
    {
        std::ofstream out(file, std::ios::binary);
        if (!out) throw Exception("Cannot create the database file \"" + file + "\".");
    }
    // An empty file is an empty database.
    try {
        connection->Connect();
        CreateMissingTables(connection);
    } catch (...) {
        try {
            connection->Disconnect();
        } catch (...) {
        }
        DeleteFile(file);
        throw;
    }
}

// Runs a statement that changes the schema; false when it failed.
bool TryExec(TLdbQuery& q, const std::string& sql) {
    try {
        q.Close();
        q.SQL().SetText(sql);
        q.ExecSQL();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void Probe(TLdbQuery& q, const std::string& sql) {
    q.Close();
    q.SQL().SetText(sql);
    q.Open();
}

std::string Decimal(double value) { return FloatToStr(value); }

double NumberOf(const std::string& text) {
    std::string t = Trim(text);
    return t.empty() ? 0.0 : StrToFloat(t);
}

}  // namespace

TStoreTransaction::TStoreTransaction(TLdbConnection* connection) : connection_(connection) {
    if (!connection_->GetTransactionActive()) {
        connection_->BeginTransaction();
        own_ = true;
    }
}

TStoreTransaction::~TStoreTransaction() {
    if (!own_) return;
    try {
        connection_->Rollback();
    } catch (...) {
        // The engine undoes an unfinished transaction itself when the
        // connection closes; a failure here must not hide the first error.
    }
}

void TStoreTransaction::Commit() {
    if (!own_) return;
    connection_->Commit();
    own_ = false;
}

void OpenProfileDatabase(TLdbConnection* connection, const std::string& folder) {
    if (connection->Name().empty()) connection->SetName("LdbConnection1");
    std::string file = IncludeTrailingPathDelimiter(folder.empty() ? ProgramFolder() : folder) + kProfileDatabaseName;
    if (connection->IsConnected()) connection->Disconnect();
    connection->SetConnectPath(file);
    if (!FileExists(file)) {
        CreateDatabase(connection, file);
    } else {
        connection->Connect();
        CreateMissingTables(connection);
    }
    UpdateDatabase(connection);
}

void UpdateDatabase(TLdbConnection* connection) {
    if (!connection || !connection->IsConnected()) return;
    auto q = NewQuery(connection);
    Probe(*q, "select PVValue from Points\r\nwhere PVProfile = 0");
    if (q->FieldByName("PVValue")->DataType() != ftFloat &&
        !TryExec(*q, "ALTER TABLE Points\r\nALTER COLUMN PVValue PVValue Double"))
        WorkMessage(wmError, "Failed to update point value column in database.");
    Probe(*q, "select * from Points\r\nwhere PVProfile = 0");
    if (!q->FindField("PVPenalty") && !TryExec(*q, "ALTER TABLE Points\r\nADD COLUMN PVPenalty DOUBLE"))
        WorkMessage(wmError, "Failed to add penalty value column in database.");
    Probe(*q, "select * from Profiles\r\nwhere PFNo = -1");
    bool executed = false;
    if (!q->FindField("PFPrintScan")) {
        executed = true;
        if (!TryExec(*q, "ALTER TABLE Profiles\r\nADD COLUMN PFPrintScan Logical\r\nADD COLUMN PFPrintScanTo CHAR(255)"))
            WorkMessage(wmError, "Failed to add print scan columns in database.");
    }
    if ((executed || !q->FindField("OddLbls")) &&
        !TryExec(*q, "ALTER TABLE Profiles\r\nADD COLUMN OddLbls CHAR(10)\r\nADD COLUMN EvenLbls CHAR(10)"))
        WorkMessage(wmError, "Failed to add answer labels columns in database.");
    q->Close();
    TStringList tables;
    connection->GetTableNames(&tables, "");
    if (tables.IndexOf("DataSets") < 0) {
        TStoreTransaction transaction(connection);
        q->SQL().SetText(kDataSetsTable);
        q->ExecSQL();
        q->SQL().SetText(kDataDetailTable);
        q->ExecSQL();
        transaction.Commit();
        return;
    }
    Probe(*q, "select * from DataDetail\r\nwhere DDID = -1");
    bool hasComment = q->FindField("DDComment") != nullptr;
    TField* stdId = q->FindField("DDStdID");
    bool narrowId = stdId && stdId->DataType() != ftLargeint;
    if (!hasComment && !TryExec(*q, "ALTER TABLE DataDetail\r\nADD COLUMN DDComment Memo"))
        WorkMessage(wmError, "Failed to add comment column in database.");
    if (narrowId && !TryExec(*q, "ALTER TABLE DataDetail\r\nALTER COLUMN DDStdID DDStdID LongLong"))
        WorkMessage(wmError, "Failed to update student ID column in database.");
    q->Close();
}

// ---------------------------------------------------------------- profiles

int TProfileStore::NextProfileNo() {
    auto q = NewQuery(connection_, "select Max(PFNo) as MaxNo\r\nfrom Profiles");
    q->Open();
    int next = q->IsEmpty() ? 1 : q->FieldByName("MaxNo")->AsInteger() + 1;
    q->Close();
    return next;
}

TProfileData TProfileStore::ReadProfile(TDataSet& p) {
    TProfileData d;
    auto text = [&](const char* name) {
        TField* f = p.FindField(name);
        return f ? f->AsString() : std::string();
    };
    auto flag = [&](const char* name) {
        TField* f = p.FindField(name);
        return f && f->AsBoolean();
    };
    d.TestName = text("PFTestName");
    d.TestID = text("PFTestID");
    d.FormNo = text("PFFormNo");
    d.RelQuest = text("PFRelQuest");
    d.Sounds = flag("PFSounds");
    d.DefExpFmt = p.FieldByName("PFDefExpFmt")->AsInteger();
    d.LastSaveDir = text("PFLastSaveDir");
    d.UseQuotes = flag("PFUseQuotes");
    d.UseStdNames = flag("PFUseStdNames");
    d.NamesFile = text("PFNamesFile");
    d.UseLeadingZeros = flag("PFUseLeadingZeros");
    d.PrintScan = flag("PFPrintScan");
    d.PrintScanTo = text("PFPrintScanTo");
    d.OddLbls = text("OddLbls");
    d.EvenLbls = text("EvenLbls");
    return d;
}

int TProfileStore::WriteProfile(TDataSet& p, const std::string& name, const TProfileData& d) {
    bool same = !p.IsEmpty() && p.FieldByName("PFName")->AsString() == name;
    if (same) {
        p.Edit();
    } else {
        int no = NextProfileNo();
        p.Append();
        p.FieldByName("PFName")->SetAsString(name);
        p.FieldByName("PFNo")->SetAsInteger(no);
    }
    try {
        p.FieldByName("PFTestName")->SetAsString(d.TestName);
        p.FieldByName("PFTestID")->SetAsString(d.TestID);
        p.FieldByName("PFFormNo")->SetAsString(d.FormNo);
        p.FieldByName("PFRelQuest")->SetAsString(d.RelQuest);
        p.FieldByName("PFSounds")->SetAsBoolean(d.Sounds);
        p.FieldByName("PFDefExpFmt")->SetAsInteger(d.DefExpFmt);
        p.FieldByName("PFLastSaveDir")->SetAsString(d.LastSaveDir);
        p.FieldByName("PFUseQuotes")->SetAsBoolean(d.UseQuotes);
        p.FieldByName("PFUseStdNames")->SetAsBoolean(d.UseStdNames);
        p.FieldByName("PFNamesFile")->SetAsString(d.NamesFile);
        p.FieldByName("PFUseLeadingZeros")->SetAsBoolean(d.UseLeadingZeros);
        p.FieldByName("PFPrintScan")->SetAsBoolean(d.PrintScan);
        p.FieldByName("PFPrintScanTo")->SetAsString(d.PrintScanTo);
        p.FieldByName("OddLbls")->SetAsString(d.OddLbls);
        p.FieldByName("EvenLbls")->SetAsString(d.EvenLbls);
        p.Post();
    } catch (...) {
        p.Cancel();
        throw;
    }
    return p.FieldByName("PFNo")->AsInteger();
}

std::vector<TProfileGroup> TProfileStore::LoadGroups(int pf) {
    auto q = NewQuery(connection_, "select * from Groups where PGProfile = :pPF order by PGGroupNo");
    q->ParamByName("pPF")->SetAsInteger(pf);
    q->Open();
    std::vector<TProfileGroup> out;
    for (; !q->Eof(); q->Next())
        out.push_back({q->FieldByName("PGGroupNo")->AsInteger(), q->FieldByName("PGDesc")->AsString()});
    return out;
}

std::vector<TProfileQuestionGroups> TProfileStore::LoadGroupQuestions(int pf) {
    auto q = NewQuery(connection_, "select * from GroupQ where PGQProfile = :pPF order by PGQQuestion");
    q->ParamByName("pPF")->SetAsInteger(pf);
    q->Open();
    std::vector<TProfileQuestionGroups> out;
    for (; !q->Eof(); q->Next())
        out.push_back({q->FieldByName("PGQQuestion")->AsInteger(), q->FieldByName("PGQGroups")->AsString()});
    return out;
}

std::vector<TProfilePoints> TProfileStore::LoadPoints(int pf, int n) {
    auto q = NewQuery(connection_, "select * from Points where PVProfile = :pPF order by PVQuestion");
    q->ParamByName("pPF")->SetAsInteger(pf);
    q->Open();
    TField* penalty = q->FindField("PVPenalty");
    std::vector<TProfilePoints> out;
    for (int i = 1; i <= n; ++i) {
        TProfilePoints p;
        if (!q->IsEmpty()) {
            p.Value = Decimal(q->FieldByName("PVValue")->AsFloat());
            if (penalty) p.Penalty = Decimal(penalty->AsFloat());
        }
        out.push_back(p);
        q->Next();
    }
    return out;
}

std::vector<std::string> TProfileStore::LoadAnswerKey(int pf, int n) {
    auto q = NewQuery(connection_, "select * from Master where PMProfile = :pPF order by PMQuestion");
    q->ParamByName("pPF")->SetAsInteger(pf);
    q->Open();
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) {
        out.push_back(q->IsEmpty() ? std::string() : q->FieldByName("PMValue")->AsString());
        q->Next();
    }
    return out;
}

void TProfileStore::SaveGroups(int pf, const std::vector<TProfileGroup>& groups) {
    TStoreTransaction transaction(connection_);
    auto del = NewQuery(connection_, "delete from Groups where PGProfile = :pPF");
    del->ParamByName("pPF")->SetAsInteger(pf);
    del->ExecSQL();
    auto ins = NewQuery(connection_, "insert into Groups (PGProfile, PGGroupNo, PGDesc)\r\nvalues(:pPF, :pGrpNo, :pDesc)");
    for (const TProfileGroup& g : groups) {
        ins->ParamByName("pPF")->SetAsInteger(pf);
        ins->ParamByName("pGrpNo")->SetAsInteger(g.GroupNo);
        ins->ParamByName("pDesc")->SetAsString(g.Desc);
        ins->ExecSQL();
    }
    transaction.Commit();
}

void TProfileStore::SaveGroupQuestions(int pf, const std::vector<TProfileQuestionGroups>& questions) {
    TStoreTransaction transaction(connection_);
    auto del = NewQuery(connection_, "delete from GroupQ where PGQProfile = :pPF");
    del->ParamByName("pPF")->SetAsInteger(pf);
    del->ExecSQL();
    auto ins = NewQuery(connection_,
                        "insert into GroupQ (PGQProfile, PGQQuestion, PGQGroups)\r\nvalues(:pPF, :pQuest, :pGrp)");
    for (const TProfileQuestionGroups& g : questions) {
        ins->ParamByName("pPF")->SetAsInteger(pf);
        ins->ParamByName("pQuest")->SetAsInteger(g.Question);
        ins->ParamByName("pGrp")->SetAsString(g.Groups);
        ins->ExecSQL();
    }
    transaction.Commit();
}

void TProfileStore::SaveMasterAndPoints(int pf, const std::vector<std::string>& key,
                                        const std::vector<TProfilePoints>& points) {
    // Every number is read before anything is deleted, so a value that is
    // no number leaves the saved profile as it was.
    std::size_t n = std::max(key.size(), points.size());
    std::vector<std::pair<double, double>> numbers;
    for (std::size_t i = 0; i < n; ++i) {
        TProfilePoints p = i < points.size() ? points[i] : TProfilePoints{};
        numbers.emplace_back(NumberOf(p.Value), NumberOf(p.Penalty));
    }
    TStoreTransaction transaction(connection_);
    auto delMaster = NewQuery(connection_, "delete from Master where PMProfile = :pPF");
    delMaster->ParamByName("pPF")->SetAsInteger(pf);
    delMaster->ExecSQL();
    auto delPoints = NewQuery(connection_, "delete from Points where PVProfile = :pPF");
    delPoints->ParamByName("pPF")->SetAsInteger(pf);
    delPoints->ExecSQL();
    auto master = NewQuery(connection_,
                           "insert into Master (PMProfile, PMQuestion, PMValue)\r\nvalues(:pPF, :pQuest, :pValue)");
    auto point = NewQuery(connection_, "insert into Points (PVProfile, PVQuestion, PVValue, PVPenalty)\r\n"
                                       "values(:pPF, :pQuest, :pValue, :pPenalty)");
    for (std::size_t i = 0; i < n; ++i) {
        int question = static_cast<int>(i) + 1;
        master->ParamByName("pPF")->SetAsInteger(pf);
        master->ParamByName("pQuest")->SetAsInteger(question);
        master->ParamByName("pValue")->SetAsString(i < key.size() ? key[i] : std::string());
        master->ExecSQL();
        point->ParamByName("pPF")->SetAsInteger(pf);
        point->ParamByName("pQuest")->SetAsInteger(question);
        point->ParamByName("pValue")->SetAsFloat(numbers[i].first);
        point->ParamByName("pPenalty")->SetAsFloat(numbers[i].second);
        point->ExecSQL();
    }
    transaction.Commit();
}

int TProfileStore::SaveProfile(TDataSet& profiles, const std::string& name, const TProfileData& data,
                               const std::vector<TProfileGroup>& groups,
                               const std::vector<TProfileQuestionGroups>& questions,
                               const std::vector<std::string>& key, const std::vector<TProfilePoints>& points) {
    try {
        TStoreTransaction transaction(connection_);
        const int pf = WriteProfile(profiles, name, data);
        SaveGroups(pf, groups);
        SaveGroupQuestions(pf, questions);
        SaveMasterAndPoints(pf, key, points);
        transaction.Commit();
        return pf;
    } catch (...) {
        // The query may show a row the rollback took back.
        if (profiles.Active()) {
            profiles.Close();
            profiles.Open();
        }
        throw;
    }
}

void TProfileStore::DeleteProfile(int pf, TDataSet* profiles) {
    // Children first, so no row ever names a profile that is gone.
    const char* statements[] = {
        "delete from GroupQ where PGQProfile = :pPF",
        "delete from Groups where PGProfile = :pPF",
        "delete from Master where PMProfile = :pPF",
        "delete from Points where PVProfile = :pPF",
        "delete from Profiles where PFNo = :pPF",
    };
    try {
        TStoreTransaction transaction(connection_);
        for (const char* sql : statements) {
            if (profiles && sql == statements[4]) break;
            auto q = NewQuery(connection_, sql);
            q->ParamByName("pPF")->SetAsInteger(pf);
            q->ExecSQL();
        }
        if (profiles) profiles->Delete();
        transaction.Commit();
    } catch (...) {
        if (profiles && profiles->Active()) {
            profiles->Close();
            profiles->Open();
        }
        throw;
    }
}
