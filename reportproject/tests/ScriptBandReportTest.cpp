// A report project whose data band runs an event handler in assembled byte
// code: per row it changes a text and adds a field to a sum, through the
// system functions reached by importing the group modules. The rows come
// from a driver data view over a real database file; the report runs to
// PDF and pdftotext reads the changed texts and the sum back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "dbclient/tests/DbTestSupport.h"
#include "report/RenderPDF.h"
#include "report/VSFWriter.h"
#include "report/tests/ToolRunner.h"
#include "reportproject/VzControl.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzDriverDataView.h"
#include "reportproject/VzInit.h"
#include "reportproject/VzLESystem.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzRun.h"
#include "reportproject/tests/BandTestSupport.h"
#include "reportproject/tests/ScriptStubs.h"
#include "reportproject/tests/SqliteDriver.h"

namespace fs = std::filesystem;
using namespace script_test;

namespace {

template <class T>
T* Put(TComponent* owner, TVizeComponent* parent, const std::string& name, TVizeRect bounds) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBoundsRect(bounds);
    return c;
}

void AddVar(TRCPUModule& m, const std::string& name, std::uint32_t offset) {
    auto v = std::make_unique<TVarID>(name);
    v->Offset = offset;
    m.Scope->IDs.Add(std::move(v));
}

// Accepts any source; the test assembles the module's code itself.
class NullCompiler : public TScriptCompiler {
public:
    void Compile(const std::string&, const std::string&, bool, TRCPUModule&) override {}
};

}  // namespace

TEST(ScriptBandReport, AHandlerChangesATextPerRowAndSumsAFieldIntoThePdf) {
    for (const char* tool : {"qpdf", "pdftotext"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs qpdf, poppler-utils)";
    InitializeReportProject();
    InitializeScriptEngine();  // other tests replace the engine's hooks
    RegisterSystemFunctions();
    ScriptCompilers().push_back({"Pascal", [] { return std::make_unique<NullCompiler>(); }});
    const fs::path dir = fs::temp_directory_path() / ("script3-band-" + std::to_string(getpid()));
    fs::create_directories(dir);
    // Whatever the outcome, the registries are left as they were found.
    struct Cleanup {
        fs::path dir;
        ~Cleanup() {
            DataLinkDrivers().clear();
            ScriptCompilers().clear();
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    } cleanup{dir};

    // The rows: four students, of whom the query keeps those with 3 or more.
    DbTempFolder folder;
    const std::string file = folder.NewDatabase("script3-band.ldd");
    {
        TComponent owner(nullptr);
        auto* conn = new TLdbConnection(&owner);
        conn->SetName("Seed");
        conn->LdbServerTypes = {stADS_LOCAL};
        conn->LoginPrompt = false;
        conn->Password = "KORVEL";
        conn->SetConnectPath(file);
        conn->Connect();
        for (const char* sql : {"create table Students (Name varchar(20), Score integer)",
                                "insert into Students values ('Ann', 7)", "insert into Students values ('Ben', 3)",
                                "insert into Students values ('Cy', 9)", "insert into Students values ('Dee', 1)"}) {
            auto* q = new TLdbQuery(&owner);
            q->SetDatabaseName("Seed");
            q->SQL().SetText(sql);
            q->ExecSQL();
        }
    }
    auto driver = std::make_shared<SqliteDriver>();
    DataLinkDrivers().push_back({"SQLITE", "SQLite test driver", true, driver});

    TVizeProjectManager project(nullptr);
    project.SetName("Scores");
    auto* database = new TVizeDatabase(&project);
    database->SetName("Db");
    database->SetParent(&project);
    database->SetLinkType("SQLITE");
    database->GetAuthRun()->Datasource = file;
    database->GetAuthRun()->Password = "KORVEL";
    auto* view = new TVizeDriverDataView(&project);
    view->SetName("Students");
    view->SetParent(&project);
    view->SetDatabase(database);
    view->SetQuery("select Name, Score from Students where Score >= :MIN order by Name");
    view->QueryParams().Add("MIN='3'");
    auto* score = new TVizeIntegerField(&project);
    score->SetName("StudentsScore");
    score->SetFieldName("Score");
    score->SetParent(view);

    TVizePage* page = project.NewReport()->FirstPage();
    auto* region = Put<TVizeRegion>(page, page, "Region", {0.5, 0.5, 8, 5});
    auto* band = Put<TVizeDataBand>(page, region, "Rows", {0.5, 0.5, 8, 0.8});
    band->SetDataView(view);
    auto* rowText = Put<TVizeText>(page, band, "RowText", {0.6, 0.5, 4, 0.7});
    auto* sumText = Put<TVizeText>(page, page, "SumText", {0.6, 6, 4, 6.2});
    rowText->SetText("unchanged");
    sumText->SetText("no sum");
    auto* event = new TVizeSimpleEvent;
    event->SetBody("{ RowText.Text := 'Scored ' + ...; Sum := Sum + Score }");
    band->SetOnBeforePrint(event);

    // The group modules compiled code imports, each with its stubs.
    StubModule sysfunc = MakeStubModule("SYSFUNC", {{"INTTOSTR", 1, 11}, {"INSERT", 3}});
    StubModule vzclass = MakeStubModule("VZCLASS", {{"TVIZECONTROL.SETTEXT", 2}});
    StubModule vzdata = MakeStubModule("VZDATA", {{"TVIZEBASEDATAVIEW.FIELDBYNAME", 2, 12},
                                                  {"TVIZEDATAFIELD.ASINTEGER", 1, 5}});
    StubModule vzcsrpt = MakeStubModule("VZCSRPT", {{"TVIZEDATABAND.GETDATAVIEW", 1, 12}});
    const auto sys = sysfunc.Entry, cls = vzclass.Entry, data = vzdata.Entry, rpt = vzcsrpt.Entry;
    for (StubModule* s : {&sysfunc, &vzclass, &vzdata, &vzcsrpt}) {
        const std::string name = s->Module->ModuleName;
        project.ModuleManager().AddModule(name, s->Module.release());
    }

    // The page's module: data 0 RowText, 4 SumText, 8 view, 12 field, 16 n,
    // 20 sum, 24 and 28 texts, 32.. literals.
    auto* module = new TRCPUModule;
    page->SetModule(module);
    for (const char* import : {"SYSFUNC", "VZCLASS", "VZDATA", "VZCSRPT"}) module->AddImportByName(import);
    enum : std::uint32_t { kSys = 1, kClass = 2, kData = 3, kRpt = 4 };
    Asm a;
    a.Halt().Label("Rows_OnBeforePrint").Enter(0);
    a.PushCell(F(12)).PushAddr(D(8)).FarCall(kRpt, rpt.at("TVIZEDATABAND.GETDATAVIEW"));
    a.LoadStr(D(32), "Score").PushCell(D(8)).PushCell(D(32)).PushAddr(D(12));
    a.FarCall(kData, data.at("TVIZEBASEDATAVIEW.FIELDBYNAME"));
    a.PushCell(D(12)).PushAddr(D(16)).FarCall(kData, data.at("TVIZEDATAFIELD.ASINTEGER"));
    a.PushAddr(D(20)).PushAddr(D(16)).Calc(72, D(20));
    a.PushCell(D(16)).PushAddr(D(24)).FarCall(kSys, sys.at("INTTOSTR"));
    a.PushAddr(D(44)).PushInt(1).Op(119).Index(4);
    a.LoadStr(D(36), "Scored ").PushCell(D(36)).PushAddr(D(24)).PushCell(D(44)).FarCall(kSys, sys.at("INSERT"));
    a.PushCell(D(0)).PushCell(D(24)).FarCall(kClass, cls.at("TVIZECONTROL.SETTEXT"));
    a.PushCell(D(20)).PushAddr(D(28)).FarCall(kSys, sys.at("INTTOSTR"));
    a.LoadStr(D(40), "Sum ").PushCell(D(40)).PushAddr(D(28)).PushCell(D(44)).FarCall(kSys, sys.at("INSERT"));
    a.PushCell(D(4)).PushCell(D(28)).FarCall(kClass, cls.at("TVIZECONTROL.SETTEXT"));
    a.Ret(4);
    module->Code = a.Finish();
    module->DataSize = 48;
    AddVar(*module, "RowText", 0);
    AddVar(*module, "SumText", 4);
    module->GenerateSource();
    auto handler = std::make_unique<TFuncID>(idFunc, "Rows_OnBeforePrint");
    handler->Entry = std::uint32_t(a.LabelAt("Rows_OnBeforePrint"));
    module->Scope->IDs.Add(std::move(handler));
    module->BindEvents();
    ASSERT_EQ(event->ModuleOwner(), page);
    page->PrepareItem(0, 0);

    const fs::path pdfFile = dir / "scores.pdf";
    TMemoryStream snapshot;
    RunToSnapshot(project, snapshot);
    {
        TVzRenderPDF pdf(nullptr);
        pdf.OpenOutputFile(pdfFile.string());
        pdf.Render(&snapshot);
        pdf.CloseStreams();
    }
    int code;
    std::string out = RunTool("qpdf --check '" + pdfFile.string() + "'", code);
    EXPECT_EQ(code, 0) << out;
    const std::string text = RunTool("pdftotext -q '" + pdfFile.string() + "' -", code);
    ASSERT_EQ(code, 0);
    for (const char* row : {"Scored 7", "Scored 3", "Scored 9", "Sum 19"})
        EXPECT_NE(text.find(row), std::string::npos) << row << " missing from:\n" << text;
    EXPECT_EQ(text.find("Scored 1"), std::string::npos) << text;
    EXPECT_EQ(text.find("unchanged"), std::string::npos) << text;
    ASSERT_FALSE(driver->Commands.empty());
    EXPECT_EQ(driver->Commands[0], "select Name, Score from Students where Score >= 3 order by Name");
    EXPECT_EQ(driver->OpenConnections(), 0) << "the report's end gives the connection back";

    // A handler that faults stops the run with the machine's error; the
    // run still ends cleanly: the connection is given back, the project
    // no longer prints, and the next run prints again.
    const std::vector<std::uint8_t> good = module->Code;
    struct Fault { const char* Message; Asm Code; } faults[] = {
        {"Cannot execute command (C8)", {}}, {"Division by zero", {}}, {"Stack Overflow", {}}};
    faults[1].Code.Halt().PushInt(1).PushInt(0).Calc(75, D(16));
    faults[0].Code.Halt().Op(200);
    faults[2].Code.Halt().Label("again").Call("again");
    for (Fault& f : faults) {
        module->Code = f.Code.Finish();
        TMemoryStream discard;
        try {
            RunToSnapshot(project, discard);
            ADD_FAILURE() << f.Message << ": the run went through";
        } catch (const EReportPrinter& e) {
            EXPECT_EQ(e.Message, f.Message);
        }
        EXPECT_EQ(driver->OpenConnections(), 0) << f.Message;
        EXPECT_FALSE(project.Printing()) << f.Message;
    }
    module->Code = good;
    page->PrepareItem(0, 0);
    TMemoryStream again;
    RunToSnapshot(project, again);
    const std::string replay(static_cast<const char*>(again.Memory()), std::size_t(again.Size()));
    EXPECT_NE(replay.find("Sum 19"), std::string::npos);
    EXPECT_NE(replay.find("Scored 9"), std::string::npos);
    EXPECT_EQ(driver->OpenConnections(), 0);
}

TEST(ScriptBandReport, ASectionHandlerDrawsOnTheReportItIsHanded) {
    InitializeReportProject();
    InitializeScriptEngine();
    RegisterSystemFunctions();
    ScriptCompilers().push_back({"Pascal", [] { return std::make_unique<NullCompiler>(); }});
    struct Cleanup {
        ~Cleanup() { ScriptCompilers().clear(); }
    } cleanup;

    TVizeProjectManager project(nullptr);
    TVizePage* page = project.NewReport()->FirstPage();
    auto* section = Put<TVizeSection>(page, page, "Box", {1, 1, 5, 3});
    auto* event = new TVizePrintEvent;
    event->SetBody("Report.PrintXY(0.5, 0.5, 'Drawn by script')");
    section->SetOnPrint(event);

    StubModule vzbase = MakeStubModule("VZBASE", {{"TBASEREPORT.PRINT", 2}, {"TBASEREPORT.GETCURRENTPAGE", 1, 5}});
    const auto base = vzbase.Entry;
    project.ModuleManager().AddModule("VZBASE", vzbase.Module.release());
    auto* module = new TRCPUModule;
    page->SetModule(module);
    module->AddImportByName("VZBASE");
    // Box_OnPrint(Self, Report): Report.Print('Drawn by script'); data 4 := Report.CurrentPage
    Asm a;
    a.Halt().Label("Box_OnPrint").Enter(0);
    a.LoadStr(D(0), "Drawn by script").PushCell(F(12)).PushCell(D(0)).FarCall(1, base.at("TBASEREPORT.PRINT"));
    a.PushCell(F(12)).PushAddr(D(4)).FarCall(1, base.at("TBASEREPORT.GETCURRENTPAGE"));
    a.Ret(8);
    module->Code = a.Finish();
    module->DataSize = 8;
    module->GenerateSource();
    auto handler = std::make_unique<TFuncID>(idFunc, "Box_OnPrint");
    handler->Entry = std::uint32_t(a.LabelAt("Box_OnPrint"));
    module->Scope->IDs.Add(std::move(handler));
    module->BindEvents();

    TMemoryStream snapshot;
    RunToSnapshot(project, snapshot);
    std::int32_t page1;
    std::memcpy(&page1, module->DataBlock() + 4, 4);
    EXPECT_EQ(page1, 1);
    const std::string bytes(static_cast<const char*>(snapshot.Memory()), std::size_t(snapshot.Size()));
    EXPECT_NE(bytes.find("Drawn by script"), std::string::npos);
}
