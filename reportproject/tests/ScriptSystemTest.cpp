// The system functions as compiled code reaches them: argument cells built
// by the native-call instructions, results stored by kind, var parameters
// written through their addresses.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <variant>

#include "platform/core/Exception.h"
#include "reportproject/VzLEModule.h"
#include "reportproject/VzLERun.h"
#include "reportproject/VzLEString.h"
#include "reportproject/VzLESystem.h"
#include "report/VSFWriter.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzDatabase.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/tests/ScriptAssembler.h"

using namespace script_test;

namespace {

struct Var { std::uint32_t Offset; };  // a var parameter: the address of data at Offset
using ArgValue = std::variant<std::int32_t, std::string, double, long double, Var>;

constexpr std::uint32_t kResult = 200;

// Calls name in a module called moduleName with the arguments laid out in
// data (16 bytes each) and the result stored at kResult by kind (-1: none).
std::unique_ptr<TRCPUModule> CallSys(const std::string& name, int kind, const std::vector<ArgValue>& args,
                                     const std::string& moduleName = "SYSFUNC") {
    static bool registered = (RegisterSystemFunctions(), true);
    (void)registered;
    Asm a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::uint32_t off = std::uint32_t(16 * i);
        if (std::holds_alternative<double>(args[i])) a.PushAddr(D(off)).ArgValue(T(0), 8).Pop(4);
        else if (std::holds_alternative<long double>(args[i])) a.PushAddr(D(off)).ArgValue(T(0), 10).Pop(4);
        else if (auto* v = std::get_if<Var>(&args[i])) a.PushAddr(D(v->Offset)).Arg(T(0)).Pop(4);
        else a.Arg(D(off));
    }
    if (kind < 0) a.NativeProc(name);
    else a.PushAddr(D(kResult)).Native(std::uint8_t(kind), T(0), name).Pop(4);
    a.Halt();
    auto m = MakeModule(a, 256, moduleName);
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::uint8_t* p = m->DataBlock() + 16 * i;
        if (auto* n = std::get_if<std::int32_t>(&args[i])) std::memcpy(p, n, 4);
        if (auto* s = std::get_if<std::string>(&args[i])) {
            const TScriptString h = ScriptStrings::Make(*s);
            std::memcpy(p, &h, 4);
        }
        if (auto* d = std::get_if<double>(&args[i])) std::memcpy(p, d, 8);
        if (auto* e = std::get_if<long double>(&args[i])) std::memcpy(p, e, 10);
    }
    BindModule(*m);
    m->Execute(0);
    return m;
}

std::string Text(TRCPUModule& m, std::uint32_t off) {
    TScriptString h;
    std::memcpy(&h, m.DataBlock() + off, 4);
    return ScriptStrings::Text(h);
}
std::int32_t Int(TRCPUModule& m, std::uint32_t off = kResult) {
    std::int32_t v;
    std::memcpy(&v, m.DataBlock() + off, 4);
    return v;
}
long double Ext(TRCPUModule& m) {
    long double v = 0;
    std::memcpy(&v, m.DataBlock() + kResult, 10);
    return v;
}
std::uint16_t HalfWord(TRCPUModule& m, std::uint32_t off) {
    std::uint16_t v;
    std::memcpy(&v, m.DataBlock() + off, 2);
    return v;
}

}  // namespace

TEST(ScriptSystem, TextFunctions) {
    struct Case { const char* Name; std::vector<ArgValue> Args; const char* Want; } cases[] = {
        {"COPY", {std::string("ABCDE"), 2, 3}, "BCD"},
        {"COPY", {std::string("äöü"), 2, 5}, "öü"},
        {"MAKESTR", {std::int32_t('-'), 3}, "---"},
        {"QUOTEDSTR", {std::string("it's"), std::int32_t('\'')}, "'it''s'"},
        {"UPPERCASE", {std::string("abc1")}, "ABC1"},
        {"TRIM", {std::string(" \tx \n")}, "x"},
        {"INTTOSTR", {-42}, "-42"},
        {"FORMATFLOAT", {std::string("0.00"), 2.5L}, "2.50"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(*CallSys(c.Name, 11, c.Args), kResult), c.Want) << c.Name;

    struct IntCase { const char* Name; std::vector<ArgValue> Args; std::int32_t Want; } ints[] = {
        {"POS", {std::string("C"), std::string("ABCDE")}, 3},
        {"POS", {std::string("Z"), std::string("ABCDE")}, 0},
        {"LENGTH", {std::string("äb")}, 2},
        {"STRTOINTDEF", {std::string("x"), 9}, 9},
        {"COMPARE", {std::string("abc"), std::string("ABC")}, 0},
        {"ROUND", {2.5L}, 2},
        {"ABS", {-7}, 7},
    };
    for (const auto& c : ints) EXPECT_EQ(Int(*CallSys(c.Name, 5, c.Args)), c.Want) << c.Name;

    // The var text lies in the fourth data slot; its extra cell is ignored.
    auto del = CallSys("DELETE", -1, {Var{48}, 2, 2, std::string("ABCDE")}, "sysfunc");  // lower case binds too
    EXPECT_EQ(Text(*del, 48), "ADE");
    auto ins = CallSys("INSERT", -1, {std::string("xy"), Var{48}, 2, std::string("AB")});
    EXPECT_EQ(Text(*ins, 48), "AxyB");
    EXPECT_THROW(CallSys("STRTOINT", 5, {std::string("12a")}), Exception);
}

TEST(ScriptSystem, DatesAndMathematics) {
    EXPECT_EQ(Ext(*CallSys("CREATEDATE", 8, {1899, 12, 30})), 0.0L);
    EXPECT_EQ(Int(*CallSys("DAYOFWEEK", 5, {0.0})), 7);
    auto t = CallSys("BREAKUPTIME", -1, {0.5, Var{100}, Var{102}, Var{104}, Var{106}});
    EXPECT_EQ(HalfWord(*t, 100), 12);
    EXPECT_EQ(HalfWord(*t, 102), 0);
    EXPECT_EQ(HalfWord(*t, 106), 0);
    auto d = CallSys("BREAKUPDATE", -1, {45000.0, Var{100}, Var{102}, Var{104}});
    EXPECT_EQ(HalfWord(*d, 100), 2023);
    EXPECT_EQ(HalfWord(*d, 102), 3);
    EXPECT_EQ(HalfWord(*d, 104), 15);
    EXPECT_NEAR(double(Ext(*CallSys("SQRT", 8, {2.25L}))), 1.5, 1e-15);
    EXPECT_EQ(Ext(*CallSys("PI", 8, {})), 3.1415926535897932385L);
    EXPECT_THROW(CallSys("LN", 8, {-1.0L}), Exception);
}

TEST(ScriptSystem, BindingLeavesUnknownSlotsAlone) {
    Asm a;
    a.Halt();
    auto m = MakeModule(a, 0, "SysFunc");
    m->Code.assign(12, 0xEE);
    m->AddNativeSlot("COPY", 0);
    m->AddNativeSlot("NOSUCHFUNCTION", 4);
    RegisterSystemFunctions();
    BindModule(*m);
    EXPECT_NE(std::vector<std::uint8_t>(m->Code.begin(), m->Code.begin() + 4), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(std::vector<std::uint8_t>(m->Code.begin() + 4, m->Code.begin() + 8), std::vector<std::uint8_t>(4, 0xEE));
    std::map<std::string, int> groups;
    for (const auto& item : SystemFunctions()) ++groups[item.Module];
    const std::map<std::string, int> expected = {{"SYSFUNC", 54},  {"VZBASE", 233},  {"VZCLASS", 87},
                                                 {"VZCSBARS", 40}, {"VZCSDATA", 97}, {"VZCSDRAW", 22},
                                                 {"VZCSRPT", 63},  {"VZCSSTD", 44},  {"VZDATA", 69},
                                                 {"VZPROJ", 27}};
    EXPECT_EQ(groups, expected);
    EXPECT_EQ(SystemFunctions().size(), 736u);
    EXPECT_STREQ(SystemFunctions().back().Name, "TVIZEPROJECTMANAGER.GETPARAM");
    EXPECT_STREQ(SystemFunctions()[54].Name, "TBASEREPORT.CR");
    EXPECT_STREQ(SystemFunctions()[54 + 232].Name, "TBASEREPORT.SETSCALEY");
}

namespace {
std::int32_t HandleOf(TObject* o) { return std::int32_t(ScriptObjectHandle(o)); }
double Dbl(TRCPUModule& m, std::uint32_t off = kResult) {
    double v;
    std::memcpy(&v, m.DataBlock() + off, 8);
    return v;
}
// The message a call stops with, or "" when it runs through.
std::string Failure(const std::string& name, const std::vector<ArgValue>& args, const std::string& group) {
    try {
        CallSys(name, -1, args, group);
    } catch (const Exception& e) {
        return e.what();
    }
    return {};
}
}  // namespace

TEST(ScriptSystem, DrawingApiGroupReachesTheReportCanvas) {
    TVzVSFWriter w(nullptr);
    const std::int32_t h = HandleOf(&w);
    CallSys("TBASEREPORT.SETFONTNAME", -1, {h, std::string("Arial")}, "VZBASE");
    EXPECT_EQ(w.GetFontName(), "Arial");
    EXPECT_EQ(Text(*CallSys("TBASEREPORT.GETFONTNAME", 11, {h}, "VZBASE"), kResult), "Arial");
    CallSys("TBASEREPORT.SETBOLD", -1, {h, 1}, "VZBASE");
    EXPECT_TRUE(w.GetBold());
    EXPECT_EQ(Int(*CallSys("TBASEREPORT.GETBOLD", 0, {h}, "VZBASE")) & 0xFF, 1);
    CallSys("TBASEREPORT.SETFONTSIZE", -1, {h, 14.5}, "VZBASE");
    EXPECT_EQ(Dbl(*CallSys("TBASEREPORT.GETFONTSIZE", 7, {h}, "VZBASE")), 14.5);
    CallSys("TBASEREPORT.SETTITLE", -1, {h, std::string("Scores")}, "VZBASE");
    EXPECT_EQ(w.Title, "Scores");
    CallSys("TBASEREPORT.SETFONTCOLOR", -1, {h, 0x0000FF}, "VZBASE");
    EXPECT_EQ(w.GetFontColor(), 0x0000FF);
    EXPECT_EQ(Failure("TBASEREPORT.PRINT", {h, std::string("x")}, "VZBASE"),
              "Invalid method call.  ReportPrinter is not printing.");

    // During a run: text at a place, the cursor read back.
    TMemoryStream snapshot;
    w.StreamMode = smUser;
    w.Stream = &snapshot;
    double y = 0;
    std::int32_t page = 0;
    w.OnPrint = [&](TObject*) {
        CallSys("TBASEREPORT.PRINTXY", -1, {h, 1.0, 2.0, std::string("Scripted")}, "VZBASE");
        y = Dbl(*CallSys("TBASEREPORT.GETYPOS", 7, {h}, "VZBASE"));
        page = Int(*CallSys("TBASEREPORT.GETCURRENTPAGE", 5, {h}, "VZBASE"));
    };
    w.Execute();
    EXPECT_EQ(y, 2.0);
    EXPECT_EQ(page, 1);
    const std::string bytes(static_cast<const char*>(snapshot.Memory()), std::size_t(snapshot.Size()));
    EXPECT_NE(bytes.find("Scripted"), std::string::npos);
}

TEST(ScriptSystem, CallsOnNoObjectOrTheWrongClassStopTheScript) {
    TVizeRectangle box(nullptr);
    TVzVSFWriter w(nullptr);
    struct Case {
        const char* name;
        const char* group;
        std::int32_t handle;
        const char* message;
    } cases[] = {
        {"TBASEREPORT.CR", "VZBASE", 0, "Script call on no object"},
        {"TBASEREPORT.CR", "VZBASE", HandleOf(&box), "Script call on an object of the wrong class"},
        {"TVIZECONTROL.REFLECT", "VZCLASS", HandleOf(&w), "Script call on an object of the wrong class"},
        {"TVIZECONTROL.REFLECT", "VZCLASS", 999999, "Script call on an object of the wrong class"},
    };
    for (const Case& c : cases) EXPECT_EQ(Failure(c.name, {c.handle}, c.group), c.message) << c.name;
    // A freed component's handle leads nowhere.
    auto* gone = new TVizeRectangle(nullptr);
    const std::int32_t stale = HandleOf(gone);
    delete gone;
    EXPECT_EQ(Failure("TVIZECONTROL.REFLECT", {stale}, "VZCLASS"), "Script call on an object of the wrong class");
    // So does a freed report canvas, and a part handed out by a freed object.
    auto* canvas = new TVzVSFWriter(nullptr);
    const std::int32_t staleCanvas = HandleOf(canvas);
    delete canvas;
    EXPECT_EQ(Failure("TBASEREPORT.CR", {staleCanvas}, "VZBASE"), "Script call on an object of the wrong class");
    auto* database = new TVizeDatabase(nullptr);
    const std::int32_t auth =
        Int(*CallSys("TVIZEDATABASE.GETAUTHRUN", 12, {HandleOf(database)}, "VZDATA"));
    CallSys("TVIZEDBAUTH.SETUSERNAME", -1, {auth, std::string("ann")}, "VZDATA");
    EXPECT_EQ(database->GetAuthRun()->Username, "ann");
    delete database;
    EXPECT_EQ(Failure("TVIZEDBAUTH.SETUSERNAME", {auth, std::string("x")}, "VZDATA"),
              "Script call on an object of the wrong class");
}

TEST(ScriptSystem, ComponentGroupsReadAndWriteTheirComponents) {
    TVizeProjectManager project(nullptr);
    TVizeReport* report = project.NewReport();
    TVizePage* page = report->FirstPage();
    auto* box = new TVizeRectangle(page);
    box->SetName("Box");
    box->SetParent(page);
    const std::int32_t hBox = HandleOf(box);

    CallSys("TVIZECONTROL.SETLEFT", -1, {hBox, 1.5}, "VZCLASS");
    CallSys("TVIZECONTROL.SETWIDTH", -1, {hBox, 2.0}, "VZCLASS");
    EXPECT_EQ(Dbl(*CallSys("TVIZECONTROL.GETRIGHT", 7, {hBox}, "VZCLASS")), 3.5);
    auto m = CallSys("TVIZECONTROL.GETBOUNDSRECT", -1, {hBox, Var{64}}, "VZCLASS");
    EXPECT_EQ(Dbl(*m, 64), 1.5);
    EXPECT_EQ(Dbl(*m, 80), 3.5);
    CallSys("TVIZERECTANGLE.SETHRADIUS", -1, {hBox, 0.25}, "VZCSDRAW");
    EXPECT_EQ(box->HRadius(), 0.25);
    // A reserved word of the language is no name.
    CallSys("TVIZECOMPONENT.SETNAME", -1, {hBox, std::string("var")}, "VZCLASS");
    EXPECT_EQ(Text(*CallSys("TVIZECOMPONENT.GETNAME", 11, {hBox}, "VZCLASS"), kResult), "Box");
    // Object results come back as handles.
    EXPECT_EQ(ScriptObjectOf(std::uint32_t(Int(*CallSys("TVIZEREPORT.GETFIRSTPAGE", 12, {HandleOf(report)}, "VZPROJ")))),
              page);

    ASSERT_EQ(report->PageList(), nullptr);
    CallSys("TVIZEREPORT.PAGELISTADD", -1, {HandleOf(report), HandleOf(page)}, "VZPROJ");
    ASSERT_NE(report->PageList(), nullptr);
    EXPECT_EQ(report->PageList()->Items(), std::vector<TVizeComponent*>{page});
    TVizePage* other = report->NewPage();
    EXPECT_EQ(Failure("TVIZEREPORT.PAGELISTDELETE", {HandleOf(report), HandleOf(other)}, "VZPROJ"),
              "List index out of bounds (-1)");
    CallSys("TVIZEREPORT.PAGELISTDELETE", -1, {HandleOf(report), HandleOf(page)}, "VZPROJ");
    EXPECT_EQ(report->PageList(), nullptr);

    const std::int32_t hProject = HandleOf(&project);
    CallSys("TVIZEPROJECTMANAGER.SETPARAM", -1, {hProject, std::string("Class"), std::string("7B")}, "VZPROJ");
    EXPECT_EQ(Text(*CallSys("TVIZEPROJECTMANAGER.GETPARAM", 11, {hProject, std::string("Class")}, "VZPROJ"), kResult),
              "7B");

    auto* users = new TVizeSimpleSecurity(&project);
    users->UserList().Add("ann=secret");
    const std::int32_t hUsers = HandleOf(users);
    EXPECT_EQ(Int(*CallSys("TVIZEBASESECURITY.ISVALIDUSER", 0,
                           {hUsers, std::string("ann"), std::string("secret")}, "VZDATA")) & 0xFF, 1);
    EXPECT_EQ(Int(*CallSys("TVIZEBASESECURITY.ISVALIDUSER", 0,
                           {hUsers, std::string("ann"), std::string("guess")}, "VZDATA")) & 0xFF, 0);
}

// A number outside an enumeration's members is no value of the type: the
// setter stops the script and the property keeps its value.
TEST(ScriptSystem, EnumerationValuesOutsideTheirMembersStopTheScript) {
    TVizeProjectManager project(nullptr);
    TVizePage* page = project.NewReport()->FirstPage();
    auto* box = new TVizeRectangle(page);
    box->SetParent(page);
    const std::int32_t hBox = HandleOf(box);
    CallSys("TVIZECONTROL.SETFILLSTYLE", -1, {hBox, int(fsCross)}, "VZCLASS");
    CallSys("TVIZECONTROL.SETLINEWIDTHTYPE", -1, {hBox, int(wtPixels)}, "VZCLASS");
    for (const std::int32_t bad : {int(fsNone) + 1, 15, -1, 1511869368}) {
        EXPECT_EQ(Failure("TVIZECONTROL.SETFILLSTYLE", {hBox, bad}, "VZCLASS"), "Script value out of range") << bad;
        EXPECT_EQ(box->GetFillStyle(), fsCross) << bad;
        EXPECT_EQ(Failure("TVIZECONTROL.SETLINEWIDTHTYPE", {hBox, bad}, "VZCLASS"), "Script value out of range") << bad;
        EXPECT_EQ(box->GetLineWidthType(), wtPixels) << bad;
    }
    CallSys("TVIZECONTROL.SETFILLSTYLE", -1, {hBox, int(fsNone)}, "VZCLASS");
    EXPECT_EQ(box->GetFillStyle(), fsNone);

    // Setters that take an ordinal (as the stream reader hands them) ignore
    // one that names no member.
    auto* op = new TVizeCalcOp(page);
    op->SetParent(page);
    const std::int32_t hOp = HandleOf(op);
    CallSys("TVIZECONTROL.SETDISPLAYON", -1, {hBox, int(doPreviewOnly)}, "VZCLASS");
    CallSys("TVIZECALCOP.SETOPERATOR", -1, {hOp, int(coMod)}, "VZCSDATA");
    for (const std::int32_t bad : {-1, 11, 1511869368}) {
        CallSys("TVIZECONTROL.SETDISPLAYON", -1, {hBox, bad}, "VZCLASS");
        EXPECT_EQ(box->DisplayOn(), doPreviewOnly) << bad;
        CallSys("TVIZECALCOP.SETOPERATOR", -1, {hOp, bad}, "VZCSDATA");
        EXPECT_EQ(op->Operator(), coMod) << bad;
    }
    CallSys("TVIZECONTROL.SETDISPLAYON", -1, {hBox, int(doPrinterOnly) + 1}, "VZCLASS");
    EXPECT_EQ(box->DisplayOn(), doPreviewOnly);
    CallSys("TVIZECALCOP.SETOPERATOR", -1, {hOp, int(coAverage) + 1}, "VZCSDATA");
    EXPECT_EQ(op->Operator(), coMod);
}

TEST(ScriptSystem, PrintableComponentGroupsReadAndWriteTheirComponents) {
    TVizeProjectManager project(nullptr);
    TVizePage* page = project.NewReport()->FirstPage();
    auto* region = new TVizeRegion(page);
    region->SetParent(page);
    auto* band = new TVizeDataBand(page);
    band->SetParent(region);
    auto* text = new TVizeText(page);
    text->SetParent(band);
    auto* calc = new TVizeCalcText(page);
    calc->SetParent(band);
    auto* op = new TVizeCalcOp(page);
    op->SetParent(page);
    const std::int32_t hText = HandleOf(text), hBand = HandleOf(band), hCalc = HandleOf(calc), hOp = HandleOf(op);

    CallSys("TVIZETEXT.SETROTATION", -1, {hText, 90}, "VZCSSTD");
    EXPECT_EQ(text->Rotation(), 90);
    CallSys("TVIZECONTROL.SETFONTJUSTIFY", -1, {hText, int(pjRight)}, "VZCLASS");
    EXPECT_EQ(Int(*CallSys("TVIZECONTROL.GETFONTJUSTIFY", 5, {hText}, "VZCLASS")), int(pjRight));
    const std::uint32_t font = std::uint32_t(Int(*CallSys("TVIZECUSTOMTEXT.GETFONT", 12, {hText}, "VZCSSTD")));
    EXPECT_EQ(ScriptObjectOf(font), text->Font());
    EXPECT_EQ(ScriptObjectOf(std::uint32_t(Int(*CallSys("TVIZEBAND.GETREGION", 12, {hBand}, "VZCSRPT")))), region);
    CallSys("TVIZEDATABAND.SETDETAILKEY", -1, {hBand, std::string("ID")}, "VZCSRPT");
    EXPECT_EQ(band->DetailKey(), "ID");
    CallSys("TVIZECALCTEXT.SETCALCTYPE", -1, {hCalc, int(ctAverage)}, "VZCSDATA");
    EXPECT_EQ(calc->CalcType, ctAverage);
    EXPECT_EQ(Failure("TVIZECALCTEXT.SETCALCTYPE", {hCalc, 9}, "VZCSDATA"), "Script value out of range");
    EXPECT_EQ(calc->CalcType, ctAverage);
    CallSys("TVIZECALCOP.SETSRC2VALUE", -1, {hOp, 2.5}, "VZCSDATA");
    EXPECT_EQ(op->Src(2).Value, 2.5);
    EXPECT_EQ(op->Src(1).Value, 0.0);
    EXPECT_EQ(Dbl(*CallSys("TVIZECALCOP.GETSRC2VALUE", 7, {hOp}, "VZCSDATA")), 2.5);
    // A band entry on a text is a call on the wrong class.
    EXPECT_EQ(Failure("TVIZEDATABAND.SETSORTKEY", {hText, std::string("x")}, "VZCSRPT"),
              "Script call on an object of the wrong class");
}
