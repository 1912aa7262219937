// Driver data views run for real: a test driver over the database client
// answers the data-link operations from a database file, so parameters,
// field matching, rows, filters and the lending of connections are seen
// end to end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbclient/tests/DbTestSupport.h"
#include "reportproject/VizeException.h"
#include "reportproject/VzDriverDataView.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzProj.h"
#include "reportproject/tests/SqliteDriver.h"

namespace {

// A database file of students and a driver over it registered as "SQLITE".
class DriverViewFixture : public ::testing::Test {
protected:
    void SetUp() override {
        file = folder.NewDatabase("script3-students.ldd");
        Exec("create table Students (Name varchar(20), Score integer, City varchar(20))");
        Exec("insert into Students values ('Ann', 7, 'Oslo')");
        Exec("insert into Students values ('Ben', 3, 'Rome')");
        Exec("insert into Students values ('Cy', 9, 'Oslo')");
        driver = std::make_shared<SqliteDriver>();
        DataLinkDrivers().push_back({"SQLITE", "SQLite test driver", true, driver});
        DataLinkLog() = [this](const std::string& op, const std::string& msg) { log.push_back(op + ": " + msg); };
        database = new TVizeDatabase(&project);
        database->SetName("Db");
        database->SetLinkType("SQLITE");
        database->GetAuthRun()->Datasource = file;
        database->GetAuthRun()->Password = "KORVEL";
    }
    void TearDown() override {
        DataLinkDrivers().clear();
        DataLinkLog() = nullptr;
    }
    void Exec(const std::string& sql) {
        TComponent owner(nullptr);
        auto* conn = new TLdbConnection(&owner);
        conn->SetName("Seed");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        conn->Password = "KORVEL";
        conn->SetConnectPath(file);
        conn->Connect();
        auto* q = new TLdbQuery(&owner);
        q->SetDatabaseName("Seed");
        q->SQL().SetText(sql);
        q->ExecSQL();
    }
    TVizeDriverDataView* NewView(const std::string& name, const std::string& query) {
        auto* v = new TVizeDriverDataView(&project);
        v->SetName(name);
        v->SetDatabase(database);
        v->SetQuery(query);
        return v;
    }
    template <class F>
    F* AddField(TVizeDriverDataView* view, const std::string& fieldName) {
        auto* f = new F(&project);
        f->SetName(view->Name() + std::to_string(view->ChildCount()));
        f->SetFieldName(fieldName);
        f->SetParent(view);
        return f;
    }
    // Every row's fields, joined by "," and rows by ";".
    static std::string Rows(TVizeDriverDataView* view, const std::vector<TVizeDataField*>& fields) {
        std::string out;
        for (view->First(); !view->Eof(); view->Next()) {
            for (std::size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + fields[i]->AsString();
            out += ";";
        }
        return out;
    }

    DbTempFolder folder;
    std::string file;
    std::shared_ptr<SqliteDriver> driver;
    std::vector<std::string> log;
    TVizeProjectManager project{nullptr};
    TVizeDatabase* database = nullptr;
};

}  // namespace

TEST(QueryParams, ReferencesAreReplacedWholeIgnoringCase) {
    struct Case {
        const char* text;
        const char* name;
        const char* value;
        const char* expected;
    } cases[] = {
        {"select * from T where ID = :ID", "ID", "5", "select * from T where ID = 5"},
        {"where A = :IDX and B = :ID", "ID", "5", "where A = 5 and B = 5"},
        {"where A = :id_2+1", "ID", "5", "where A = 5+1"},
        {"where A = :Id or B=:ID;", "id", "x", "where A = x or B=x;"},
        {"no reference at all: here", "ID", "5", "no reference at all: here"},
        {"empty name :A", "", "5", "empty name :A"},
        {":ID", "ID", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(SubstituteQueryParam(c.text, c.name, c.value), c.expected) << c.text;
}

TEST_F(DriverViewFixture, ParametersAreEvaluatedAsDataTextInOrder) {
    project.Parameters().Add("Town=Oslo");
    TVizeDriverDataView* v = NewView("People", "select Name from Students where City = ':TOWN' and Score > :MIN");
    v->QueryParams().Add(" Town = PARAM.Town");
    v->QueryParams().Add("MIN='5'");
    EXPECT_EQ(v->CommandText(), "select Name from Students where City = 'Oslo' and Score > 5");
    auto* name = AddField<TVizeStringField>(v, "Name");
    EXPECT_EQ(Rows(v, {name}), "Ann;Cy;");
    ASSERT_FALSE(driver->Commands.empty());
    EXPECT_EQ(driver->Commands.back(), v->CommandText());
}

TEST_F(DriverViewFixture, AParameterReadingItsOwnViewIsRefused) {
    TVizeDriverDataView* v = NewView("People", "select Name from Students where Name = ':WHO'");
    AddField<TVizeStringField>(v, "Name");
    v->QueryParams().Add("WHO=People.Name");
    try {
        v->First();
        FAIL() << "opened";
    } catch (const EVizeException& e) {
        EXPECT_STREQ(e.what(), "The query parameters of People read the view itself.");
    }
    EXPECT_FALSE(v->Opened());
    EXPECT_EQ(driver->OpenConnections(), 0);
}

TEST_F(DriverViewFixture, RowsReachTheMatchingFieldsByColumnPosition) {
    TVizeDriverDataView* v = NewView("People", "select City, Score, Name, Name as \"Full Name\" from Students order by Name");
    auto* name = AddField<TVizeStringField>(v, "Name");
    auto* score = AddField<TVizeIntegerField>(v, "Score");
    auto* full = AddField<TVizeStringField>(v, "<Full Name>");
    EXPECT_EQ(Rows(v, {name, score, full}), "Ann,7,Ann;Ben,3,Ben;Cy,9,Cy;");
    EXPECT_EQ(score->DataIndex(), 1);
    EXPECT_EQ(v->FieldByName("Full Name"), full);
    EXPECT_EQ(v->FieldByName("People.Score"), score);
    EXPECT_EQ(v->FieldByName("City"), nullptr);
    v->First();
    EXPECT_EQ(score->AsInteger(), 7);
    EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(DriverViewFixture, AnEmptyResultIsEmptyAndAtEnd) {
    TVizeDriverDataView* v = NewView("People", "select Name from Students where Score > 100");
    v->First();
    EXPECT_TRUE(v->Eof());
    EXPECT_TRUE(v->Empty());
}

TEST_F(DriverViewFixture, ADriverFailureIsLoggedAndTheViewHasNoRows) {
    TVizeDriverDataView* v = NewView("People", "select Nothing from NoSuchTable");
    v->First();
    EXPECT_TRUE(v->Eof());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().rfind("DataResultSetOpen: ", 0), 0u) << log.front();
    v->Deactivate();
    EXPECT_EQ(driver->OpenConnections(), 0);
}

TEST_F(DriverViewFixture, AColumnOfAnotherTypeThanItsFieldIsRefusedAndNothingStaysOpen) {
    TVizeDriverDataView* v = NewView("People", "select Name from Students");
    AddField<TVizeIntegerField>(v, "name");
    try {
        v->First();
        FAIL() << "a type mismatch opened";
    } catch (const EVizeException& e) {
        EXPECT_STREQ(e.what(), "Field People:name.  Datatype expected: dtInteger  Datatype found: dtString");
    }
    EXPECT_FALSE(v->Opened());
    EXPECT_EQ(driver->OpenConnections(), 0);
    EXPECT_EQ(driver->OpenResultSets(), 0);
}

TEST_F(DriverViewFixture, ViewsShareTheDatabaseConnectionUntilTheLastGivesItBack) {
    TVizeDriverDataView* a = NewView("A", "select Name from Students");
    TVizeDriverDataView* b = NewView("B", "select Score from Students");
    a->Activate();
    b->Activate();
    ASSERT_EQ(driver->Connections.size(), 1u);
    EXPECT_EQ(a->Connection(), b->Connection());
    EXPECT_EQ(database->UseCount(a->Connection()), 2);
    a->Deactivate();
    EXPECT_FALSE(driver->Connections[0].Closed);
    b->Deactivate();
    EXPECT_TRUE(driver->Connections[0].Closed);
    EXPECT_EQ(driver->OpenResultSets(), 0);
}

TEST_F(DriverViewFixture, DesignAndRunCredentialsAreKeptApart) {
    database->GetAuthRun()->Username = "runner";
    database->GetAuthDesign()->Username = "designer";
    database->GetAuthDesign()->Datasource = "/nonexistent/script3-design.ldd";
    NewView("Run", "select Name from Students")->Activate();
    ASSERT_EQ(driver->Connections.size(), 1u);
    EXPECT_EQ(driver->Connections[0].UserName, "runner");
    EXPECT_EQ(driver->Connections[0].DataSource, file);

    VizeDesigner().DesignMode = true;
    auto* designDb = new TVizeDatabase(&project);
    VizeDesigner().DesignMode = false;
    designDb->SetLinkType("SQLITE");
    designDb->GetAuthDesign()->Username = "designer";
    designDb->GetAuthRun()->Username = "runner";
    designDb->GetLink();
    ASSERT_EQ(driver->Connections.size(), 2u);
    EXPECT_EQ(driver->Connections[1].UserName, "designer");
}

TEST_F(DriverViewFixture, GetFieldsListsTheColumnsAndLeavesTheViewClosed) {
    TVizeDriverDataView* v = NewView("People", "select Name, Score from Students");
    std::vector<TVizeDataFieldInfo> list;
    v->GetFields(list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].FieldName, "Name");
    EXPECT_EQ(list[1].FieldName, "Score");
    EXPECT_EQ(list[1].DataType, dtInteger);
    EXPECT_FALSE(v->Opened());
    EXPECT_EQ(driver->OpenConnections(), 0);

    DataLinkDrivers().clear();
    database->SetLinkType("IBX");
    try {
        v->GetFields(list);
        FAIL() << "opened without drivers";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(),
                     "No DataLink drivers have been loaded.  Use the DataLinkInterbase.VZD driver file for the Vize "
                     "server/IDE or include the unit VzDLInterbase for applications.");
    }
    EXPECT_FALSE(v->Opened());
}

TEST_F(DriverViewFixture, FilterReopensAtTheFirstRowAndSortIsRefused) {
    TVizeDriverDataView* v = NewView("People", "select Name from Students order by Name");
    auto* name = AddField<TVizeStringField>(v, "Name");
    v->First();
    v->Next();
    EXPECT_EQ(name->AsString(), "Ben");
    v->SetFilter({{"Name", "=", "x", nullptr}});
    v->First();
    EXPECT_EQ(name->AsString(), "Ann");
    EXPECT_EQ(driver->Commands.size(), 2u);
    try {
        v->SetSort({"Name"});
        FAIL() << "sorted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "SetRemoteSort not supported.");
    }
}

TEST_F(DriverViewFixture, OpeningWithoutADatabaseOrAfterItIsFreedIsSafe) {
    auto* orphan = new TVizeDriverDataView(&project);
    try {
        orphan->Activate();
        FAIL() << "opened without a database";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Database is nil.");
    }
    TVizeDriverDataView* v = NewView("People", "select Name from Students");
    v->Activate();
    delete database;
    database = nullptr;
    EXPECT_FALSE(v->Opened());
    EXPECT_EQ(v->Database(), nullptr);
    EXPECT_EQ(driver->OpenConnections(), 0);
    EXPECT_NO_THROW(v->Deactivate());
}

TEST_F(DriverViewFixture, OlderStoredNamesReadIntoQueryAndParameters) {
    InitializeVzDriverDataView();
    for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
    EXPECT_EQ(FindVizeClass("TVizeSQLDataView"), TVizeDriverDataView::StaticClass());
    TVizeDriverDataView* v = NewView("People", "");
    TVizeClassRef cls = v->VizeClass();
    cls->FindProp("SQL")->SetStr(*v, "select 1");
    cls->FindProp("Params")->SetStr(*v, "A=1\r\nB=2\r\n");
    EXPECT_EQ(v->Query(), "select 1");
    EXPECT_EQ(v->QueryParams().Count(), 2);
    EXPECT_FALSE(cls->FindProp("SQL")->IsStored(*v));
    EXPECT_TRUE(cls->FindProp("Query")->IsStored(*v));
}

TEST_F(DriverViewFixture, AViewAndItsDatabaseSurviveTheProjectFile) {
    InitializeReportProject();
    InitializeVzDatabase();
    InitializeVzDriverDataView();
    for (const TVizeRegistration& r : RegistrationList()) r.Procedure();
    database->SetParent(&project);
    TVizeDriverDataView* v = NewView("People", "select Name from Students where Score > :MIN");
    v->SetParent(&project);
    v->QueryParams().Add("MIN='5'");
    AddField<TVizeStringField>(v, "Name");
    database->GetAuthDesign()->Username = "designer";
    TMemoryStream stream;
    project.SaveToStream(stream);

    TVizeProjectManager loaded(nullptr);
    stream.SetPosition(0);
    loaded.LoadFromStream(stream);
    auto* view = dynamic_cast<TVizeDriverDataView*>(loaded.FindVizeComponent("People", nullptr));
    ASSERT_NE(view, nullptr);
    auto* db = dynamic_cast<TVizeDatabase*>(loaded.FindVizeComponent("Db", nullptr));
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(view->Database(), db);
    EXPECT_EQ(view->Query(), "select Name from Students where Score > :MIN");
    EXPECT_EQ(view->CommandText(), "select Name from Students where Score > 5");
    ASSERT_EQ(view->ChildCount(), 1);
    auto* name = dynamic_cast<TVizeStringField*>(view->GetChild(0));
    ASSERT_NE(name, nullptr) << "the view's field was lost";
    EXPECT_EQ(name->FieldName(), "Name");
    EXPECT_EQ(db->GetAuthDesign()->Username, "designer");
    EXPECT_EQ(db->GetAuthRun()->Datasource, file);
}

namespace {
// A driver whose result set has rows but whose end check always fails.
class NoEndDriver : public SqliteDriver {
public:
    void DataResultSetEOF(TDLEofBlock& b) override { b.Result = 7; }
};
}  // namespace

TEST_F(DriverViewFixture, ADriverThatCannotTellTheEndEndsTheView) {
    DataLinkDrivers().clear();
    auto failing = std::make_shared<NoEndDriver>();
    DataLinkDrivers().push_back({"SQLITE", "SQLite test driver", true, failing});
    TVizeDriverDataView* v = NewView("People", "select Name from Students");
    int rows = 0;
    for (v->First(); !v->Eof() && rows < 100; v->Next()) ++rows;
    EXPECT_EQ(rows, 0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().rfind("DataResultSetEOF: ", 0), 0u) << log.front();
}

TEST_F(DriverViewFixture, ReplacingTheDatabaseReferenceMovesTheView) {
    TVizeDriverDataView* v = NewView("People", "select Name from Students");
    auto* other = new TVizeDatabase(&project);
    v->ReplaceReference(database, other);
    EXPECT_EQ(v->Database(), other);
    v->ReplaceReference(database, other);  // no longer its database: nothing
    EXPECT_EQ(v->Database(), other);
    auto* notADatabase = new TVizeStringField(&project);
    v->ReplaceReference(other, notADatabase);
    EXPECT_EQ(v->Database(), nullptr);
}
