// The system functions of the printable components: texts, sections,
// images and memos ("VZCSSTD"), regions and bands ("VZCSRPT"), data-aware
// texts and calculated values ("VZCSDATA").
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzData.h"
#include "reportproject/VzLESysBind.h"

namespace {

using vzsys::Args;

#define ENTRY(cls, group, name, routine) {routine, cls "." name, group}
#define M(cls, group, name, member) ENTRY(cls, group, name, VZ_METHOD(member))
#define GS(cls, group, name, getter, setter) M(cls, group, "GET" name, getter), M(cls, group, "SET" name, setter)
// Members of a base class, checked against the named class.
#define MA(cls, group, type, name, member) ENTRY(cls, group, name, VZ_METHOD_AS(type, member))
#define GSA(cls, group, type, name, getter, setter) \
    MA(cls, group, type, "GET" name, getter), MA(cls, group, type, "SET" name, setter)

// A mail-merge item is a persistent part of its memo; its fields are plain.
template <auto F>
void MailMergeGet(TNativeCall& c) {
    Args a(c);
    vzsys::Result(c, a.Obj<TVizeMailMergeItem>()->*F);
}
template <auto F>
void MailMergeSet(TNativeCall& c) {
    Args a(c);
    auto* item = a.Obj<TVizeMailMergeItem>();
    item->*F = a.Read<std::remove_reference_t<decltype(item->*F)>>();
}

// Totals and calculated texts keep their settings in a shared part.
template <class T>
void GetCalcType(TNativeCall& c) { c.IntResult = Args(c).Obj<T>()->CalcType; }
template <class T>
void SetCalcType(TNativeCall& c) {
    Args a(c);
    T* t = a.Obj<T>();
    t->CalcType = a.Read<TVizeCalcType>();
}
template <class T>
void GetCountBlanks(TNativeCall& c) { c.IntResult = Args(c).Obj<T>()->CountBlanks; }
template <class T>
void SetCountBlanks(TNativeCall& c) {
    Args a(c);
    T* t = a.Obj<T>();
    t->CountBlanks = a.Read<bool>();
}
template <class T>
void GetRunningTotal(TNativeCall& c) { c.IntResult = Args(c).Obj<T>()->RunningTotal; }
template <class T>
void SetRunningTotal(TNativeCall& c) {
    Args a(c);
    T* t = a.Obj<T>();
    t->RunningTotal = a.Read<bool>();
}
template <class T>
void GetDataField(TNativeCall& c) { c.SetStringResult(Args(c).Obj<T>()->DataField); }
template <class T>
void SetDataField(TNativeCall& c) {
    Args a(c);
    T* t = a.Obj<T>();
    t->DataField = a.Read<std::string>();
}
template <class T>
void GetController(TNativeCall& c) {
    T* t = Args(c).Obj<T>();
    vzsys::Result(c, t->Controller);
}
template <class T>
void GetInitializer(TNativeCall& c) {
    T* t = Args(c).Obj<T>();
    vzsys::Result(c, t->Initializer);
}
template <class T>
void GetDataView(TNativeCall& c) {
    T* t = Args(c).Obj<T>();
    vzsys::Result(c, t->DataView);
}

void CalcTextValue(TNativeCall& c) {
    TVizeCalcText* t = Args(c).Obj<TVizeCalcText>();
    c.FloatResult = t->Acc.Result(t->CalcType);
}

// The two sources of a calculated operation.
template <int I>
struct Source {
    static void GetCalcVar(TNativeCall& c) {
        TVizeCalcOp* op = Args(c).Obj<TVizeCalcOp>();
        vzsys::Result(c, op->Src(I).CalcVar);
    }
    static void SetCalcVar(TNativeCall& c) {
        Args a(c);
        TVizeCalcOp* op = a.Obj<TVizeCalcOp>();
        op->SetSrcCalcVar(I, a.Read<TVizeCalcVariable*>());
    }
    static void GetDataField(TNativeCall& c) { c.SetStringResult(Args(c).Obj<TVizeCalcOp>()->Src(I).DataField); }
    static void SetDataField(TNativeCall& c) {
        Args a(c);
        TVizeCalcOp* op = a.Obj<TVizeCalcOp>();
        op->Src(I).DataField = a.Read<std::string>();
    }
    static void GetDataView(TNativeCall& c) {
        TVizeCalcOp* op = Args(c).Obj<TVizeCalcOp>();
        vzsys::Result(c, op->Src(I).DataView);
    }
    static void SetDataView(TNativeCall& c) {
        Args a(c);
        TVizeCalcOp* op = a.Obj<TVizeCalcOp>();
        op->SetSrcDataView(I, a.Read<TVizeBaseDataView*>());
    }
    static void GetValue(TNativeCall& c) { c.FloatResult = Args(c).Obj<TVizeCalcOp>()->Src(I).Value; }
    static void SetValue(TNativeCall& c) {
        Args a(c);
        TVizeCalcOp* op = a.Obj<TVizeCalcOp>();
        op->Src(I).Value = a.Read<double>();
    }
    static void GetFunction(TNativeCall& c) { c.IntResult = Args(c).Obj<TVizeCalcOp>()->Src(I).Function; }
    static void SetFunction(TNativeCall& c) {
        Args a(c);
        TVizeCalcOp* op = a.Obj<TVizeCalcOp>();
        op->Src(I).Function = a.Read<TVizeCalcFunction>();
    }
};

#define SOURCE(n, I)                                                                         \
    ENTRY("TVIZECALCOP", "VZCSDATA", "GETSRC" n "CALCVAR", &Source<I>::GetCalcVar),          \
        ENTRY("TVIZECALCOP", "VZCSDATA", "SETSRC" n "CALCVAR", &Source<I>::SetCalcVar),      \
        ENTRY("TVIZECALCOP", "VZCSDATA", "GETSRC" n "DATAFIELD", &Source<I>::GetDataField),  \
        ENTRY("TVIZECALCOP", "VZCSDATA", "SETSRC" n "DATAFIELD", &Source<I>::SetDataField),  \
        ENTRY("TVIZECALCOP", "VZCSDATA", "GETSRC" n "DATAVIEW", &Source<I>::GetDataView),    \
        ENTRY("TVIZECALCOP", "VZCSDATA", "SETSRC" n "DATAVIEW", &Source<I>::SetDataView),    \
        ENTRY("TVIZECALCOP", "VZCSDATA", "GETSRC" n "VALUE", &Source<I>::GetValue),          \
        ENTRY("TVIZECALCOP", "VZCSDATA", "SETSRC" n "VALUE", &Source<I>::SetValue),          \
        ENTRY("TVIZECALCOP", "VZCSDATA", "GETSRC" n "FUNCTION", &Source<I>::GetFunction),    \
        ENTRY("TVIZECALCOP", "VZCSDATA", "SETSRC" n "FUNCTION", &Source<I>::SetFunction)

using Text = TVizeCustomText;
using Band = TVizeBand;
using Iter = TVizeIterateBand;
using DBand = TVizeDataBand;
using Cycle = TVizeDataCycle;
using CText = TVizeCalcText;
using CVar = TVizeCalcVariable;
using CTotal = TVizeCalcTotal;

}  // namespace

std::vector<TVizeFuncItem> vzsys::CsStdFunctions() {
    return {
        GS("TVIZEFONTMASTER", "VZCSSTD", "FONT", &TVizeFontMaster::Font, &TVizeFontMaster::SetFont),
        GS("TVIZEPAGENUMINIT", "VZCSSTD", "INITVALUE", &TVizePageNumInit::InitValue, &TVizePageNumInit::SetInitValue),
        GS("TVIZEPAGENUMINIT", "VZCSSTD", "INITDATAVIEW", &TVizePageNumInit::InitDataView,
           &TVizePageNumInit::SetInitDataView),
        GS("TVIZEPAGENUMINIT", "VZCSSTD", "INITDATAFIELD", &TVizePageNumInit::InitDataField,
           &TVizePageNumInit::SetInitDataField),
        GS("TVIZECUSTOMTEXT", "VZCSSTD", "FONTMIRROR", &Text::FontMirror, &Text::SetFontMirror),
        GS("TVIZECUSTOMTEXT", "VZCSSTD", "COLOR", &Text::ColorOrd, &Text::SetColorOrd),
        GS("TVIZECUSTOMTEXT", "VZCSSTD", "FONT", &Text::Font, &Text::SetFont),
        GS("TVIZETEXT", "VZCSSTD", "ROTATION", &TVizeText::Rotation, &TVizeText::SetRotation),
        GS("TVIZETEXT", "VZCSSTD", "TRUNCATE", &TVizeText::Truncate, &TVizeText::SetTruncate),
        GS("TVIZESECTION", "VZCSSTD", "WASTEFIT", &TVizeSection::WasteFit, &TVizeSection::SetWasteFit),
        GS("TVIZEBASEIMAGE", "VZCSSTD", "MATCHSIDE", &TVizeBaseImage::MatchSide, &TVizeBaseImage::SetMatchSide),
        GS("TVIZEBASEIMAGE", "VZCSSTD", "FILELINK", &TVizeBaseImage::FileLink, &TVizeBaseImage::SetFileLink),
        GS("TVIZEBASEIMAGE", "VZCSSTD", "DATAFIELD", &TVizeBaseImage::DataField, &TVizeBaseImage::SetDataField),
        GS("TVIZEBASEIMAGE", "VZCSSTD", "DATAVIEW", &TVizeBaseImage::DataView, &TVizeBaseImage::SetDataView),
        MA("TVIZEGRAPHICIMAGE", "VZCSSTD", TVizeGraphicImage, "IMAGENAME", &TVizeBaseImage::ImageName),
        MA("TVIZEGRAPHICIMAGE", "VZCSSTD", TVizeGraphicImage, "IMAGEFILTER", &TVizeBaseImage::ImageFilter),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "GETCASEMATTERS", &MailMergeGet<&TVizeMailMergeItem::CaseMatters>),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "SETCASEMATTERS", &MailMergeSet<&TVizeMailMergeItem::CaseMatters>),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "GETREPLACESTRING",
              &MailMergeGet<&TVizeMailMergeItem::ReplaceString>),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "SETREPLACESTRING",
              &MailMergeSet<&TVizeMailMergeItem::ReplaceString>),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "GETSEARCHTOKEN", &MailMergeGet<&TVizeMailMergeItem::SearchToken>),
        ENTRY("TVIZEMAILMERGEITEM", "VZCSSTD", "SETSEARCHTOKEN", &MailMergeSet<&TVizeMailMergeItem::SearchToken>),
        GS("TVIZEMEMO", "VZCSSTD", "CONTAINSRTF", &TVizeMemo::ContainsRTF, &TVizeMemo::SetContainsRTF),
        GS("TVIZEMEMO", "VZCSSTD", "EXPANDPARENT", &TVizeMemo::ExpandParent, &TVizeMemo::SetExpandParent),
        GSA("TVIZEMEMO", "VZCSSTD", TVizeMemo, "MEMOTEXT", &TVizeControl::GetText, &TVizeControl::SetText),
        GS("TVIZEMEMO", "VZCSSTD", "TRUNCATE", &TVizeMemo::Truncate, &TVizeMemo::SetTruncate),
    };
}

std::vector<TVizeFuncItem> vzsys::CsRptFunctions() {
    return {
        GS("TVIZEREGION", "VZCSRPT", "COLUMNS", &TVizeRegion::Columns, &TVizeRegion::SetColumns),
        GS("TVIZEREGION", "VZCSRPT", "COLUMNSPACING", &TVizeRegion::ColumnSpacing, &TVizeRegion::SetColumnSpacing),
        M("TVIZEBAND", "VZCSRPT", "GETREGION", &Band::Region),
        GS("TVIZEBAND", "VZCSRPT", "ALLOWSPLIT", &Band::AllowSplit, &Band::SetAllowSplit),
        GS("TVIZEBAND", "VZCSRPT", "DESIGNERHIDE", &Band::DesignerHide, &Band::SetDesignerHide),
        GS("TVIZEBAND", "VZCSRPT", "FINISHNEWPAGE", &Band::FinishNewPage, &Band::SetFinishNewPage),
        GS("TVIZEBAND", "VZCSRPT", "GROUPDATAVIEW", &Band::GroupDataView, &Band::SetGroupDataView),
        GS("TVIZEBAND", "VZCSRPT", "GROUPKEY", &Band::GroupKey, &Band::SetGroupKey),
        GS("TVIZEBAND", "VZCSRPT", "MINHEIGHTLEFT", &Band::MinHeightLeft, &Band::SetMinHeightLeft),
        GS("TVIZEBAND", "VZCSRPT", "POSITIONMODE", &Band::PositionMode, &Band::SetPositionMode),
        GS("TVIZEBAND", "VZCSRPT", "POSITIONVALUE", &Band::PositionValue, &Band::SetPositionValue),
        GS("TVIZEBAND", "VZCSRPT", "STARTNEWPAGE", &Band::StartNewPage, &Band::SetStartNewPage),
        GS("TVIZEITERATEBAND", "VZCSRPT", "COLUMNS", &Iter::Columns, &Iter::SetColumns),
        GS("TVIZEITERATEBAND", "VZCSRPT", "COLUMNSPACING", &Iter::ColumnSpacing, &Iter::SetColumnSpacing),
        GS("TVIZEITERATEBAND", "VZCSRPT", "KEEPBODYTOGETHER", &Iter::KeepBodyTogether, &Iter::SetKeepBodyTogether),
        GS("TVIZEITERATEBAND", "VZCSRPT", "KEEPROWTOGETHER", &Iter::KeepRowTogether, &Iter::SetKeepRowTogether),
        GS("TVIZEITERATEBAND", "VZCSRPT", "MAXROWS", &Iter::MaxRows, &Iter::SetMaxRows),
        GS("TVIZEITERATEBAND", "VZCSRPT", "INITTOFIRST", &Iter::InitToFirst, &Iter::SetInitToFirst),
        GS("TVIZEITERATEBAND", "VZCSRPT", "ORPHANROWS", &Iter::OrphanRows, &Iter::SetOrphanRows),
        GS("TVIZEITERATEBAND", "VZCSRPT", "WIDOWROWS", &Iter::WidowRows, &Iter::SetWidowRows),
        GS("TVIZEDATABAND", "VZCSRPT", "DATAVIEW", &DBand::DataView, &DBand::SetDataView),
        GSA("TVIZEDATABAND", "VZCSRPT", DBand, "DETAILKEY", &Iter::DetailKey, &Iter::SetDetailKey),
        GS("TVIZEDATABAND", "VZCSRPT", "MASTERDATAVIEW", &DBand::MasterDataView, &DBand::SetMasterDataView),
        GS("TVIZEDATABAND", "VZCSRPT", "MASTERKEY", &DBand::MasterKey, &DBand::SetMasterKey),
        GS("TVIZEDATABAND", "VZCSRPT", "SORTKEY", &DBand::SortKey, &DBand::SetSortKey),
        GS("TVIZEDATACYCLE", "VZCSRPT", "DATAVIEW", &Cycle::DataView, &Cycle::SetDataView),
        GS("TVIZEDATACYCLE", "VZCSRPT", "DETAILKEY", &Cycle::DetailKey, &Cycle::SetDetailKey),
        GS("TVIZEDATACYCLE", "VZCSRPT", "INITTOFIRST", &Cycle::InitToFirst, &Cycle::SetInitToFirst),
        GS("TVIZEDATACYCLE", "VZCSRPT", "MASTERDATAVIEW", &Cycle::MasterDataView, &Cycle::SetMasterDataView),
        GS("TVIZEDATACYCLE", "VZCSRPT", "MASTERKEY", &Cycle::MasterKey, &Cycle::SetMasterKey),
        GS("TVIZEDATACYCLE", "VZCSRPT", "MAXROWS", &Cycle::MaxRows, &Cycle::SetMaxRows),
        GS("TVIZEDATACYCLE", "VZCSRPT", "SORTKEY", &Cycle::SortKey, &Cycle::SetSortKey),
    };
}

std::vector<TVizeFuncItem> vzsys::CsDataFunctions() {
    using DText = TVizeDataText;
    using DMemo = TVizeDataMemo;
    using Ctl = TVizeCalcController;
    using Mirror = TVizeDataMirrorSection;
    return {
        GS("TVIZEDATATEXT", "VZCSDATA", "DATAFIELD", &DText::DataField, &DText::SetDataField),
        GS("TVIZEDATATEXT", "VZCSDATA", "DATAVIEW", &DText::DataView, &DText::SetDataView),
        GS("TVIZEDATATEXT", "VZCSDATA", "LOOKUPDATAVIEW", &DText::LookupDataView, &DText::SetLookupDataView),
        GS("TVIZEDATATEXT", "VZCSDATA", "LOOKUPFIELD", &DText::LookupField, &DText::SetLookupField),
        GS("TVIZEDATATEXT", "VZCSDATA", "LOOKUPDISPLAY", &DText::LookupDisplay, &DText::SetLookupDisplay),
        GS("TVIZEDATATEXT", "VZCSDATA", "LOOKUPINVALID", &DText::LookupInvalid, &DText::SetLookupInvalid),
        GS("TVIZEDATAMEMO", "VZCSDATA", "DATAFIELD", &DMemo::DataField, &DMemo::SetDataField),
        GS("TVIZEDATAMEMO", "VZCSDATA", "DATAVIEW", &DMemo::DataView, &DMemo::SetDataView),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETCALCTYPE", &GetCalcType<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "SETCALCTYPE", &SetCalcType<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETCONTROLLER", &GetController<CText>),
        M("TVIZECALCTEXT", "VZCSDATA", "SETCONTROLLER", &CText::SetController),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETCOUNTBLANKS", &GetCountBlanks<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "SETCOUNTBLANKS", &SetCountBlanks<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETDATAVIEW", &GetDataView<CText>),
        M("TVIZECALCTEXT", "VZCSDATA", "SETDATAVIEW", &CText::SetDataView),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETDATAFIELD", &GetDataField<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "SETDATAFIELD", &SetDataField<CText>),
        GS("TVIZECALCTEXT", "VZCSDATA", "DISPLAYFORMAT", &CText::DisplayFormat, &CText::SetDisplayFormat),
        GS("TVIZECALCTEXT", "VZCSDATA", "DISPLAYTYPE", &CText::DisplayType, &CText::SetDisplayType),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETINITIALIZER", &GetInitializer<CText>),
        M("TVIZECALCTEXT", "VZCSDATA", "SETINITIALIZER", &CText::SetInitializer),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETRUNNINGTOTAL", &GetRunningTotal<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "SETRUNNINGTOTAL", &SetRunningTotal<CText>),
        ENTRY("TVIZECALCTEXT", "VZCSDATA", "GETVALUE", &CalcTextValue),
        M("TVIZECALCVARIABLE", "VZCSDATA", "GETVALUE", &CVar::Value),
        M("TVIZECALCVARIABLE", "VZCSDATA", "GETISNULL", &CVar::IsNull),
        GS("TVIZECALCVARIABLE", "VZCSDATA", "DESTPARAM", &CVar::DestParam, &CVar::SetDestParam),
        GS("TVIZECALCVARIABLE", "VZCSDATA", "DESTPIVAR", &CVar::DestPIVar, &CVar::SetDestPIVar),
        GS("TVIZECALCVARIABLE", "VZCSDATA", "DISPLAYFORMAT", &CVar::DisplayFormat, &CVar::SetDisplayFormat),
        GS("TVIZECALCVARIABLE", "VZCSDATA", "DISPLAYTYPE", &CVar::DisplayType, &CVar::SetDisplayType),
        SOURCE("1", 1),
        SOURCE("2", 2),
        GS("TVIZECALCOP", "VZCSDATA", "OPERATOR", &TVizeCalcOp::Operator, &TVizeCalcOp::SetOperator),
        GS("TVIZECALCOP", "VZCSDATA", "RESULTFUNCTION", &TVizeCalcOp::ResultFunction, &TVizeCalcOp::SetResultFunction),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETCALCTYPE", &GetCalcType<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "SETCALCTYPE", &SetCalcType<CTotal>),
        GS("TVIZECALCTOTAL", "VZCSDATA", "CALCVAR", &CTotal::CalcVar, &CTotal::SetCalcVar),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETCONTROLLER", &GetController<CTotal>),
        M("TVIZECALCTOTAL", "VZCSDATA", "SETCONTROLLER", &CTotal::SetController),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETCOUNTBLANKS", &GetCountBlanks<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "SETCOUNTBLANKS", &SetCountBlanks<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETDATAVIEW", &GetDataView<CTotal>),
        M("TVIZECALCTOTAL", "VZCSDATA", "SETDATAVIEW", &CTotal::SetDataView),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETDATAFIELD", &GetDataField<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "SETDATAFIELD", &SetDataField<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETINITIALIZER", &GetInitializer<CTotal>),
        M("TVIZECALCTOTAL", "VZCSDATA", "SETINITIALIZER", &CTotal::SetInitializer),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "GETRUNNINGTOTAL", &GetRunningTotal<CTotal>),
        ENTRY("TVIZECALCTOTAL", "VZCSDATA", "SETRUNNINGTOTAL", &SetRunningTotal<CTotal>),
        GS("TVIZECALCCONTROLLER", "VZCSDATA", "INITCALCVAR", &Ctl::InitCalcVar, &Ctl::SetInitCalcVar),
        GS("TVIZECALCCONTROLLER", "VZCSDATA", "INITDATAFIELD", &Ctl::InitDataField, &Ctl::SetInitDataField),
        GS("TVIZECALCCONTROLLER", "VZCSDATA", "INITVALUE", &Ctl::InitValue, &Ctl::SetInitValue),
        GS("TVIZEDATAMIRRORSECTION", "VZCSDATA", "COMPARECASE", &Mirror::CompareCase, &Mirror::SetCompareCase),
        GS("TVIZEDATAMIRRORSECTION", "VZCSDATA", "DATAFIELD", &Mirror::DataField, &Mirror::SetDataField),
        GS("TVIZEDATAMIRRORSECTION", "VZCSDATA", "DATAVIEW", &Mirror::DataView, &Mirror::SetDataView),
    };
}
