// The system functions of the project components, one group per module
// that declares the classes: "TCLASS." + a GET/SET property name or an
// operation, the object first.
#include <algorithm>
#include <cstring>

#include "platform/core/Exception.h"
#include "reportproject/VpBars.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzData.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzDatabase.h"
#include "reportproject/VzDriverDataView.h"
#include "reportproject/VzLESysBind.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"

namespace {

using vzsys::Args;

#define ENTRY(cls, group, name, routine) {routine, cls "." name, group}
#define M(cls, group, name, member) ENTRY(cls, group, name, VZ_METHOD(member))
#define GS(cls, group, name, getter, setter) M(cls, group, "GET" name, getter), M(cls, group, "SET" name, setter)
#define FS(cls, group, name, field) \
    ENTRY(cls, group, "GET" name, VZ_GETFIELD(field)), ENTRY(cls, group, "SET" name, VZ_SETFIELD(field))

// Controls whose text has a justification answer it; others answer left
// and ignore a new value.
void GetFontJustifyF(TNativeCall& c) {
    auto* text = dynamic_cast<TVizeCustomText*>(Args(c).Obj<TVizeControl>());
    c.IntResult = text ? text->FontJustify() : pjLeft;
}
void SetFontJustifyF(TNativeCall& c) {
    Args a(c);
    auto* text = dynamic_cast<TVizeCustomText*>(a.Obj<TVizeControl>());
    const Int64 justify = a.Read<Int64>();
    if (text) text->SetFontJustify(justify);
}

// The bounds travel as four doubles (left, top, right, bottom) at a
// machine address: the result's address follows the object.
void GetBoundsRectF(TNativeCall& c) {
    const TVizeRect r = Args(c).Obj<TVizeControl>()->GetBoundsRect();
    const double v[4] = {r.Left, r.Top, r.Right, r.Bottom};
    std::memcpy(c.Memory(c.Cell(1), sizeof v), v, sizeof v);
}
void SetBoundsRectF(TNativeCall& c) {
    TVizeControl* control = Args(c).Obj<TVizeControl>();
    double v[4];
    std::memcpy(v, c.Memory(c.Cell(1), sizeof v), sizeof v);
    control->SetBoundsRect(MakeRect(v[0], v[1], v[2], v[3]));
}

void AsCurrencyF(TNativeCall& c) { c.IntResult = Args(c).Obj<TVizeDataField>()->AsCurrency().Raw(); }
// A blob's bytes live outside the script's memory: no address is handed out.
void AsBlobF(TNativeCall& c) {
    Args(c).Obj<TVizeDataField>();
    c.IntResult = 0;
}
void FieldByNameF(TNativeCall& c) {
    Args a(c);
    TVizeBaseDataView* view = a.Obj<TVizeBaseDataView>();
    vzsys::Result(c, view->FieldByName(a.Read<std::string>()));
}

void PageListAddF(TNativeCall& c) {
    Args a(c);
    TVizeReport* report = a.Obj<TVizeReport>();
    TVizePage* page = a.Read<TVizePage*>();
    TVizeComponentList list;
    if (report->PageList()) list.Assign(*report->PageList());
    list.Add(page);
    report->SetPageList(&list);
}
void PageListDeleteF(TNativeCall& c) {
    Args a(c);
    TVizeReport* report = a.Obj<TVizeReport>();
    TVizePage* page = a.Read<TVizePage*>();
    if (!report->PageList()) return;
    TVizeComponentList list;
    list.Assign(*report->PageList());
    const auto& items = list.Items();
    const auto at = std::find(items.begin(), items.end(), page);
    if (at == items.end()) throw Exception("List index out of bounds (-1)");
    std::vector<TVizeComponent*> rest = items;
    rest.erase(rest.begin() + (at - items.begin()));
    list.Clear();
    for (TVizeComponent* p : rest) list.Add(p);
    report->SetPageList(&list);
}
void FindVizeComponentF(TNativeCall& c) {
    Args a(c);
    TVizeProjectManager* project = a.Obj<TVizeProjectManager>();
    const std::string name = a.Read<std::string>();
    TComponent* owner = a.Read<TComponent*>();
    vzsys::Result(c, project->FindVizeComponent(name, owner));
}
void SetParamF(TNativeCall& c) {
    Args a(c);
    TVizeProjectManager* project = a.Obj<TVizeProjectManager>();
    const std::string name = a.Read<std::string>();
    const std::string value = a.Read<std::string>();
    project->Parameters().SetValue(name, value);
}
void GetParamF(TNativeCall& c) {
    Args a(c);
    TVizeProjectManager* project = a.Obj<TVizeProjectManager>();
    c.SetStringResult(project->Parameters().Values(a.Read<std::string>()));
}

// The font lives as long as its bar code; its handle is forgotten with it.
void GetBarFontF(TNativeCall& c) {
    TVizeBaseBarCode* bar = Args(c).Obj<TVizeBaseBarCode>();
    c.IntResult = ScriptValueHandle(&bar->Font(), static_cast<TObject*>(bar));
}
void SetBarFontF(TNativeCall& c) {
    Args a(c);
    TVizeBaseBarCode* bar = a.Obj<TVizeBaseBarCode>();
    const std::uint32_t handle = c.Cell(1);
    TFont* font = ScriptValueOf<TFont>(handle);
    if (handle && !font) throw EReportPrinter(Trans("Script call with an object of the wrong class"));
    if (font) bar->Font().Assign(*font);
}
template <class E>
E& EncoderOf(Args& a) {
    auto* e = dynamic_cast<E*>(a.Obj<TVizeBaseBarCode>()->Encoder());
    if (!e) throw EReportPrinter(Trans("Script call on an object of the wrong class"));
    return *e;
}
void GetExtendedF(TNativeCall& c) {
    Args a(c);
    c.IntResult = EncoderOf<TVPBarsCode39>(a).Extended;
}
void SetExtendedF(TNativeCall& c) {
    Args a(c);
    auto& e = EncoderOf<TVPBarsCode39>(a);
    e.Extended = a.Read<bool>();
}
void GetCodePageF(TNativeCall& c) {
    Args a(c);
    c.IntResult = EncoderOf<TVPBarsCode128>(a).CodePage;
}
void SetCodePageF(TNativeCall& c) {
    Args a(c);
    auto& e = EncoderOf<TVPBarsCode128>(a);
    e.CodePage = a.Read<TCodePage128>();
}
void GetOptimizeF(TNativeCall& c) {
    Args a(c);
    c.IntResult = EncoderOf<TVPBarsCode128>(a).Optimize;
}
void SetOptimizeF(TNativeCall& c) {
    Args a(c);
    auto& e = EncoderOf<TVPBarsCode128>(a);
    e.Optimize = a.Read<bool>();
}

using Comp = TVizeComponent;
using Ctl = TVizeControl;
using Item = TVizeProjectItem;
using Page = TVizePage;
using Field = TVizeDataField;
using View = TVizeBaseDataView;
using Rpt = TVizeReport;
using Proj = TVizeProjectManager;
using Bar = TVizeBaseBarCode;

#define C_COMP(n, m) M("TVIZECOMPONENT", "VZCLASS", n, m)
#define C_CTL(n, m) M("TVIZECONTROL", "VZCLASS", n, m)

}  // namespace

void vzsys::AppendComponentFunctions(std::vector<TVizeFuncItem>& t) {
    const std::vector<TVizeFuncItem> vzclass = {
        GS("TVIZECOMPONENT", "VZCLASS", "LOCKED", &Comp::Locked, &Comp::SetLocked),
        GS("TVIZECOMPONENT", "VZCLASS", "VISIBLE", &Comp::Visible, &Comp::SetVisible),
        GS("TVIZECOMPONENT", "VZCLASS", "NAME", &Comp::Name, &Comp::SetName),
        GS("TVIZECOMPONENT", "VZCLASS", "TAG", &Comp::Tag, &Comp::SetTag),
        C_COMP("SHOW", &Comp::Show), C_COMP("HIDE", &Comp::Hide), C_COMP("MOVEFORWARD", &Comp::MoveForward),
        C_COMP("MOVEBEHIND", &Comp::MoveBehind), C_COMP("BRINGTOFRONT", &Comp::BringToFront),
        C_COMP("SENDTOBACK", &Comp::SendToBack), C_COMP("XU2I", &Comp::XU2I), C_COMP("YU2I", &Comp::YU2I),
        C_COMP("XI2U", &Comp::XI2U), C_COMP("YI2U", &Comp::YI2U), C_COMP("PAGELEFT", &Comp::PageLeft),
        C_COMP("PAGETOP", &Comp::PageTop), C_COMP("PAGERIGHT", &Comp::PageRight),
        C_COMP("PAGEBOTTOM", &Comp::PageBottom),
        ENTRY("TVIZECONTROL", "VZCLASS", "GETFONTJUSTIFY", &GetFontJustifyF),
        ENTRY("TVIZECONTROL", "VZCLASS", "SETFONTJUSTIFY", &SetFontJustifyF),
        GS("TVIZECONTROL", "VZCLASS", "BACKCOLOR", &Ctl::GetBackColor, &Ctl::SetBackColor),
        GS("TVIZECONTROL", "VZCLASS", "FORECOLOR", &Ctl::GetForeColor, &Ctl::SetForeColor),
        GS("TVIZECONTROL", "VZCLASS", "FILLSTYLE", &Ctl::GetFillStyle, &Ctl::SetFillStyle),
        GS("TVIZECONTROL", "VZCLASS", "TEXT", &Ctl::GetText, &Ctl::SetText),
        GS("TVIZECONTROL", "VZCLASS", "LINEWIDTH", &Ctl::GetLineWidth, &Ctl::SetLineWidth),
        GS("TVIZECONTROL", "VZCLASS", "LINEWIDTHTYPE", &Ctl::GetLineWidthType, &Ctl::SetLineWidthType),
        GS("TVIZECONTROL", "VZCLASS", "LINESTYLE", &Ctl::GetLineStyle, &Ctl::SetLineStyle),
        ENTRY("TVIZECONTROL", "VZCLASS", "GETBOUNDSRECT", &GetBoundsRectF),
        ENTRY("TVIZECONTROL", "VZCLASS", "SETBOUNDSRECT", &SetBoundsRectF),
        GS("TVIZECONTROL", "VZCLASS", "LEFT", &Ctl::GetLeft, &Ctl::SetLeft),
        GS("TVIZECONTROL", "VZCLASS", "RIGHT", &Ctl::GetRight, &Ctl::SetRight),
        GS("TVIZECONTROL", "VZCLASS", "TOP", &Ctl::GetTop, &Ctl::SetTop),
        GS("TVIZECONTROL", "VZCLASS", "BOTTOM", &Ctl::GetBottom, &Ctl::SetBottom),
        GS("TVIZECONTROL", "VZCLASS", "WIDTH", &Ctl::GetWidth, &Ctl::SetWidth),
        GS("TVIZECONTROL", "VZCLASS", "HEIGHT", &Ctl::GetHeight, &Ctl::SetHeight),
        GS("TVIZECONTROL", "VZCLASS", "DISPLAYON", &Ctl::DisplayOn, &Ctl::SetDisplayOn),
        C_CTL("REFLECT", &Ctl::Reflect), C_CTL("ADJLEFT", &Ctl::AdjLeft), C_CTL("ADJTOP", &Ctl::AdjTop),
        C_CTL("ADJWIDTH", &Ctl::AdjWidth), C_CTL("ADJHEIGHT", &Ctl::AdjHeight), C_CTL("VANCHOR", &Ctl::VAnchor),
        C_CTL("HANCHOR", &Ctl::HAnchor),
        GS("TVIZEPROJECTITEM", "VZCLASS", "DESCRIPTION", &Item::Description, &Item::SetDescription),
        GS("TVIZEPROJECTITEM", "VZCLASS", "FULLNAME", &Item::FullName, &Item::SetFullName),
        GS("TVIZEPAGE", "VZCLASS", "BIN", &Page::Bin, &Page::SetBin),
        GS("TVIZEPAGE", "VZCLASS", "BINCUSTOM", &Page::BinCustom, &Page::SetBinCustom),
        GS("TVIZEPAGE", "VZCLASS", "GOTOMODE", &Page::GotoMode, &Page::SetGotoMode),
        GS("TVIZEPAGE", "VZCLASS", "GOTOPAGE", &Page::GotoPage, &Page::SetGotoPage),
        GS("TVIZEPAGE", "VZCLASS", "GRIDLINES", &Page::GridLines, &Page::SetGridLines),
        GS("TVIZEPAGE", "VZCLASS", "GRIDSPACING", &Page::GridSpacing, &Page::SetGridSpacing),
        GS("TVIZEPAGE", "VZCLASS", "ORIENTATION", &Page::Orientation, &Page::SetOrientation),
        GS("TVIZEPAGE", "VZCLASS", "PAGEHEIGHT", &Page::PageHeight, &Page::SetPageHeight),
        GS("TVIZEPAGE", "VZCLASS", "PAGEWIDTH", &Page::PageWidth, &Page::SetPageWidth),
        GS("TVIZEPAGE", "VZCLASS", "PAPERSIZE", &Page::PaperSize, &Page::SetPaperSize),
        GS("TVIZEPAGE", "VZCLASS", "WASTEFIT", &Page::WasteFit, &Page::SetWasteFit),
    };
    const std::vector<TVizeFuncItem> vzcsbars = {
        GS("TVIZEBASEBARCODE", "VZCSBARS", "DATAFIELD", &Bar::DataField, &Bar::SetDataField),
        GS("TVIZEBASEBARCODE", "VZCSBARS", "DATAVIEW", &Bar::DataView, &Bar::SetDataView),
        GS("TVIZEBASEBARCODE", "VZCSBARS", "AUTOSIZE", &Bar::AutoSize, &Bar::SetAutoSize),
        ENTRY("TVIZEBASEBARCODE", "VZCSBARS", "GETFONT", &GetBarFontF),
        ENTRY("TVIZEBASEBARCODE", "VZCSBARS", "SETFONT", &SetBarFontF),
        GS("TVIZEBASEBARCODE", "VZCSBARS", "TEXT", &Bar::GetText, &Bar::SetText),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETBARCODEJUSTIFY", &Bar::SetBarCodeJustify),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETBARCODEJUSTIFY", &Bar::BarCodeJustify),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETBARWIDTH", &Bar::SetBarWidth),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETBARWIDTH", &Bar::BarWidth),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETBARHEIGHT", &Bar::SetBarHeight),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETBARHEIGHT", &Bar::BarHeight),
        GS("TVIZEBASEBARCODE", "VZCSBARS", "BARTOP", &Bar::BarTop, &Bar::SetBarTop),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETTEXTJUSTIFY", &Bar::SetTextJustify),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETTEXTJUSTIFY", &Bar::TextJustify),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETUSECHECKSUM", &Bar::SetUseChecksum),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETUSECHECKSUM", &Bar::UseChecksum),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETWIDEFACTOR", &Bar::SetWideFactor),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETWIDEFACTOR", &Bar::WideFactor),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETPRINTREADABLE", &Bar::SetPrintReadable),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETPRINTREADABLE", &Bar::PrintReadable),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETPRINTCHECKSUM", &Bar::SetPrintChecksum),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETPRINTCHECKSUM", &Bar::PrintChecksum),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETPRINTTOP", &Bar::SetPrintTop),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETPRINTTOP", &Bar::PrintTop),
        M("TVIZEBASEBARCODE", "VZCSBARS", "SETBARCODEROTATION", &Bar::SetBarCodeRotation),
        M("TVIZEBASEBARCODE", "VZCSBARS", "GETBARCODEROTATION", &Bar::BarCodeRotation),
        GS("TVIZEBASEBARCODE", "VZCSBARS", "CENTER", &Bar::GetCenter, &Bar::SetCenter),
        ENTRY("TVIZECODE39BARCODE", "VZCSBARS", "SETEXTENDED", &SetExtendedF),
        ENTRY("TVIZECODE39BARCODE", "VZCSBARS", "GETEXTENDED", &GetExtendedF),
        ENTRY("TVIZECODE128BARCODE", "VZCSBARS", "SETCODEPAGE", &SetCodePageF),
        ENTRY("TVIZECODE128BARCODE", "VZCSBARS", "GETCODEPAGE", &GetCodePageF),
        ENTRY("TVIZECODE128BARCODE", "VZCSBARS", "SETOPTIMIZE", &SetOptimizeF),
        ENTRY("TVIZECODE128BARCODE", "VZCSBARS", "GETOPTIMIZE", &GetOptimizeF),
    };
    const std::vector<TVizeFuncItem> vzcsdraw = {
        GS("TVIZELINE", "VZCSDRAW", "COLOR", &TVizeLine::GetForeColor, &TVizeLine::SetForeColor),
        GS("TVIZELINE", "VZCSDRAW", "LINESTYLE", &TVizeLine::GetLineStyle, &TVizeLine::SetLineStyle),
        GS("TVIZELINE", "VZCSDRAW", "LINEWIDTH", &TVizeLine::GetLineWidth, &TVizeLine::SetLineWidth),
        GS("TVIZELINE", "VZCSDRAW", "LINEWIDTHTYPE", &TVizeLine::GetLineWidthType, &TVizeLine::SetLineWidthType),
        GS("TVIZELINE", "VZCSDRAW", "NESW", &TVizeLine::NESW, &TVizeLine::SetNESW),
        M("TVIZESURFACE", "VZCSDRAW", "SETFORECOLOR", &TVizeSurface::SetForeColor),
        M("TVIZESURFACE", "VZCSDRAW", "GETFORECOLOR", &TVizeSurface::GetForeColor),
        M("TVIZESURFACE", "VZCSDRAW", "SETLINEWIDTH", &TVizeSurface::SetLineWidth),
        M("TVIZESURFACE", "VZCSDRAW", "GETLINEWIDTH", &TVizeSurface::GetLineWidth),
        M("TVIZESURFACE", "VZCSDRAW", "SETLINESTYLE", &TVizeSurface::SetLineStyle),
        M("TVIZESURFACE", "VZCSDRAW", "GETLINESTYLE", &TVizeSurface::GetLineStyle),
        M("TVIZESURFACE", "VZCSDRAW", "SETBACKCOLOR", &TVizeSurface::SetBackColor),
        M("TVIZESURFACE", "VZCSDRAW", "GETBACKCOLOR", &TVizeSurface::GetBackColor),
        GS("TVIZERECTANGLE", "VZCSDRAW", "HRADIUS", &TVizeRectangle::HRadius, &TVizeRectangle::SetHRadius),
        GS("TVIZERECTANGLE", "VZCSDRAW", "VRADIUS", &TVizeRectangle::VRadius, &TVizeRectangle::SetVRadius),
    };
    const std::vector<TVizeFuncItem> vzdata = {
        GS("TVIZEDATAFIELD", "VZDATA", "DESCRIPTION", &Field::Description, &Field::SetDescription),
        GS("TVIZEDATAFIELD", "VZDATA", "FIELDNAME", &Field::FieldName, &Field::SetFieldName),
        GS("TVIZEDATAFIELD", "VZDATA", "FULLNAME", &Field::FullName, &Field::SetFullName),
        GS("TVIZEDATAFIELD", "VZDATA", "NULLTEXT", &Field::NullText, &Field::SetNullText),
        GS("TVIZEDATAFIELD", "VZDATA", "SIZE", &Field::Size, &Field::SetSize),
        M("TVIZEDATAFIELD", "VZDATA", "DATATYPE", &Field::DataType),
        M("TVIZEDATAFIELD", "VZDATA", "ASSTRING", &Field::AsString),
        M("TVIZEDATAFIELD", "VZDATA", "ASBOOLEAN", &Field::AsBoolean),
        M("TVIZEDATAFIELD", "VZDATA", "ASINTEGER", &Field::AsInteger),
        M("TVIZEDATAFIELD", "VZDATA", "ASFLOAT", &Field::AsFloat),
        ENTRY("TVIZEDATAFIELD", "VZDATA", "ASCURRENCY", &AsCurrencyF),
        M("TVIZEDATAFIELD", "VZDATA", "ASDATETIME", &Field::AsDateTime),
        M("TVIZEDATAFIELD", "VZDATA", "ASDATE", &Field::AsDate),
        M("TVIZEDATAFIELD", "VZDATA", "ASTIME", &Field::AsTime),
        ENTRY("TVIZEDATAFIELD", "VZDATA", "ASBLOB", &AsBlobF),
        M("TVIZEDATAFIELD", "VZDATA", "DATASIZE", &Field::DataSize),
        M("TVIZEDATAFIELD", "VZDATA", "ISNULL", &Field::IsNull),
        GS("TVIZEFORMATTEDFIELD", "VZDATA", "DISPLAYFORMAT", &TVizeFormattedField::DisplayFormat,
           &TVizeFormattedField::SetDisplayFormat),
        GS("TVIZEBOOLEANFIELD", "VZDATA", "TEXTTRUE", &TVizeBooleanField::TextTrue, &TVizeBooleanField::SetTextTrue),
        GS("TVIZEBOOLEANFIELD", "VZDATA", "TEXTFALSE", &TVizeBooleanField::TextFalse,
           &TVizeBooleanField::SetTextFalse),
        M("TVIZEBASEDATAVIEW", "VZDATA", "FIRST", &View::First), M("TVIZEBASEDATAVIEW", "VZDATA", "NEXT", &View::Next),
        M("TVIZEBASEDATAVIEW", "VZDATA", "GETCURRENTROW", &View::GetCurrentRow),
        M("TVIZEBASEDATAVIEW", "VZDATA", "EOF", &View::Eof),
        M("TVIZEBASEDATAVIEW", "VZDATA", "CHECKROWSLEFT", &View::CheckRowsLeft),
        ENTRY("TVIZEBASEDATAVIEW", "VZDATA", "FIELDBYNAME", &FieldByNameF),
        M("TVIZEBASEDATAVIEW", "VZDATA", "PEEK", &View::Peek), M("TVIZEBASEDATAVIEW", "VZDATA", "UNPEEK", &View::Unpeek),
        M("TVIZEBASEDATAVIEW", "VZDATA", "EMPTY", &View::Empty),
        M("TVIZEBASEDATAVIEW", "VZDATA", "SAVING", &View::Saving),
        ENTRY("TVIZEDATAVIEW", "VZDATA", "GETACTIVE", VZ_METHOD_AS(TVizeDataView, &TVizeProjectItem::Active)),
        ENTRY("TVIZEDATAVIEW", "VZDATA", "SETACTIVE", VZ_METHOD_AS(TVizeDataView, &TVizeProjectItem::SetActive)),
        GS("TVIZEDATAVIEW", "VZDATA", "CONNECTIONNAME", &TVizeDataView::ConnectionName,
           &TVizeDataView::SetConnectionName),
        FS("TVIZEDBAUTH", "VZDATA", "DATASOURCE", &TVizeDBAuth::Datasource),
        FS("TVIZEDBAUTH", "VZDATA", "OPTIONS", &TVizeDBAuth::Options),
        FS("TVIZEDBAUTH", "VZDATA", "PASSWORD", &TVizeDBAuth::Password),
        FS("TVIZEDBAUTH", "VZDATA", "USERNAME", &TVizeDBAuth::Username),
        M("TVIZEDATABASE", "VZDATA", "GETAUTHDESIGN", &TVizeDatabase::GetAuthDesign),
        M("TVIZEDATABASE", "VZDATA", "GETAUTHRUN", &TVizeDatabase::GetAuthRun),
        GS("TVIZEDATABASE", "VZDATA", "LINKPOOLSIZE", &TVizeDatabase::GetLinkPoolSize,
           &TVizeDatabase::SetLinkPoolSize),
        GS("TVIZEDATABASE", "VZDATA", "LINKTYPE", &TVizeDatabase::GetLinkType, &TVizeDatabase::SetLinkType),
        GS("TVIZEDRIVERDATAVIEW", "VZDATA", "DATABASE", &TVizeDriverDataView::Database,
           &TVizeDriverDataView::SetDatabase),
        GS("TVIZEDRIVERDATAVIEW", "VZDATA", "QUERY", &TVizeDriverDataView::Query, &TVizeDriverDataView::SetQuery),
        M("TVIZEBASESECURITY", "VZDATA", "ISVALIDUSER", &TVizeBaseSecurity::IsValidUser),
        M("TVIZESIMPLESECURITY", "VZDATA", "SETCASEMATTERS", &TVizeSimpleSecurity::SetCaseMatters),
        M("TVIZESIMPLESECURITY", "VZDATA", "GETCASEMATTERS", &TVizeSimpleSecurity::CaseMatters),
        M("TVIZELOOKUPSECURITY", "VZDATA", "SETDATAVIEW", &TVizeLookupSecurity::SetDataView),
        M("TVIZELOOKUPSECURITY", "VZDATA", "GETDATAVIEW", &TVizeLookupSecurity::DataView),
        M("TVIZELOOKUPSECURITY", "VZDATA", "SETUSERFIELD", &TVizeLookupSecurity::SetUserField),
        M("TVIZELOOKUPSECURITY", "VZDATA", "GETUSERFIELD", &TVizeLookupSecurity::UserField),
        M("TVIZELOOKUPSECURITY", "VZDATA", "SETPASSWORDFIELD", &TVizeLookupSecurity::SetPasswordField),
        M("TVIZELOOKUPSECURITY", "VZDATA", "GETPASSWORDFIELD", &TVizeLookupSecurity::PasswordField),
    };
    const std::vector<TVizeFuncItem> vzproj = {
        GS("TVIZEREPORT", "VZPROJ", "ALWAYSGENERATE", &Rpt::AlwaysGenerate, &Rpt::SetAlwaysGenerate),
        GS("TVIZEREPORT", "VZPROJ", "CATEGORY", &Rpt::Category, &Rpt::SetCategory),
        GS("TVIZEREPORT", "VZPROJ", "COPIES", &Rpt::Copies, &Rpt::SetCopies),
        GS("TVIZEREPORT", "VZPROJ", "FIRSTPAGE", &Rpt::FirstPage, &Rpt::SetFirstPage),
        ENTRY("TVIZEREPORT", "VZPROJ", "PAGELISTADD", &PageListAddF),
        ENTRY("TVIZEREPORT", "VZPROJ", "PAGELISTDELETE", &PageListDeleteF),
        GS("TVIZEREPORT", "VZPROJ", "COLLATE", &Rpt::Collate, &Rpt::SetCollate),
        GS("TVIZEREPORT", "VZPROJ", "DUPLEX", &Rpt::Duplex, &Rpt::SetDuplex),
        GS("TVIZEREPORT", "VZPROJ", "MAXPAGES", &Rpt::MaxPages, &Rpt::SetMaxPages),
        GS("TVIZEREPORT", "VZPROJ", "PRINTER", &Rpt::Printer, &Rpt::SetPrinter),
        GS("TVIZEREPORT", "VZPROJ", "RESOLUTION", &Rpt::Resolution, &Rpt::SetResolution),
        GS("TVIZEPROJECTMANAGER", "VZPROJ", "UNITS", &Proj::Units, &Proj::SetUnits),
        GS("TVIZEPROJECTMANAGER", "VZPROJ", "UNITSFACTOR", &Proj::UnitsFactor, &Proj::SetUnitsFactor),
        ENTRY("TVIZEPROJECTMANAGER", "VZPROJ", "FINDVIZECOMPONENT", &FindVizeComponentF),
        ENTRY("TVIZEPROJECTMANAGER", "VZPROJ", "SETPARAM", &SetParamF),
        ENTRY("TVIZEPROJECTMANAGER", "VZPROJ", "GETPARAM", &GetParamF),
    };
    const std::vector<TVizeFuncItem> vzcsdata = CsDataFunctions();
    const std::vector<TVizeFuncItem> vzcsrpt = CsRptFunctions();
    const std::vector<TVizeFuncItem> vzcsstd = CsStdFunctions();
    // Table order: group after group, by group name.
    for (const auto* group : {&vzclass, &vzcsbars, &vzcsdata, &vzcsdraw, &vzcsrpt, &vzcsstd, &vzdata, &vzproj})
        t.insert(t.end(), group->begin(), group->end());
}
