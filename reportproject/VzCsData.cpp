#include "reportproject/VzCsData.h"

#include <cmath>
#include <random>

#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/gui/Canvas.h"
#include "report/BaseReport.h"
#include "report/ReportDefs.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzData.h"
#include "reportproject/VzFiler.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzUtil.h"

namespace {
const std::string ListenerNewData = "CalcNewData";
const std::string ListenerInitData = "CalcInitData";
const std::vector<std::string> CalcTypes = {"ctCount", "ctSum", "ctMin", "ctMax", "ctAverage"};
const std::vector<std::string> DisplayTypes = {"dtNumericFormat", "dtDateTimeFormat"};
const std::vector<std::string> Operators = {"coAdd", "coSub", "coMul", "coDiv", "coMod",
                                            "coExp", "coGreater", "coLesser", "coAverage"};
const std::vector<std::string> Functions = {
    "cfNone",  "cfTrunc", "cfFrac",   "cfRound",  "cfNeg",   "cfAbs",   "cfSin",        "cfCos",
    "cfArcTan", "cfSqr",  "cfSqrt",   "cfInc",    "cfDec",   "cfRandom", "cfRound1",    "cfRound2",
    "cfRound3", "cfRound4", "cfRound5", "cfSecsToTime", "cfMinsToTime", "cfHoursToTime", "cfTimeToSecs",
    "cfTimeToMins", "cfTimeToHours", "cfPercent"};
// Beyond this the processor's sine and cosine give no answer.
constexpr double TrigRange = 9.223372036854775807e18;

template <class T>
TVizeClass* NewClass(const char* name, TVizeClassRef parent) {
    return new TVizeClass(name, parent, [](TComponent* owner) { return new T(owner); }, true);
}

template <class E>
void SwapEvent(E*& slot, E* event, TVizeComponent* sender) {
    if (slot == event) return;
    E* old = slot;
    slot = event;
    if (slot) slot->SetSender(sender);
    delete old;
}

void LinkTo(TComponent* self, TComponent* other) {
    if (self && other) self->FreeNotification(other);
}

double RoundEven(double x) { return std::nearbyint(x); }

// A value from a calculated variable, a data field, the data text of the
// field name, or the default, passed through the function.
double SourceValue(TVizeComponent* context, TVizeCalcVariable* calcVar, TVizeBaseDataView* view,
                   const std::string& fieldName, TVizeCalcFunction function, double def, bool& valid) {
    valid = true;
    double value;
    if (calcVar && !calcVar->IsNull()) {
        value = calcVar->Value();
    } else if (!fieldName.empty()) {
        TVizeDataField* field = view ? view->FieldByName(fieldName) : nullptr;
        if (field) {
            valid = !field->IsNull();
            value = valid ? field->AsFloat() : 0.0;
        } else {
            value = StrToFloatDot(NumericText(EvaluateDataText(context, view, fieldName)), 0);
        }
    } else {
        value = def;
    }
    return ApplyCalcFunction(function, value);
}

std::string FormatValue(TVizeDisplayType type, const std::string& format, double v) {
    if (type == dtDateTimeFormat) return FormatDateTime(format.empty() ? "c" : format, v);
    if (format.empty()) return FormatFloatTrim(v, 15);
    return FormatFloat(format, v);
}

// Listener wiring of totals and calc texts.
template <class T>
void Rewire(T* self, TVizeComponent*& slot, TVizeComponent* value, const std::string& event, TVizeMethodCode code) {
    if (slot == value) return;
    TVizeMethod m{code, self};
    if (slot) slot->RemoveListener(event, m);
    slot = value;
    if (slot) {
        slot->AddListener(event, m);
        LinkTo(self, slot);
    }
}
}  // namespace

double ApplyCalcFunction(TVizeCalcFunction f, double x) {
    double r = x;
    switch (f) {
        case cfNone: break;
        case cfTrunc: r = std::fabs(x) < 9.2e18 ? double(Int64(x)) : x; break;
        case cfFrac: r = x - std::trunc(x); break;
        case cfRound: r = std::fabs(x) < 9.2e18 ? RoundEven(x) : x; break;
        case cfNeg: r = -x; break;
        case cfAbs: r = std::fabs(x); break;
        case cfSin: r = std::fabs(x) < TrigRange ? std::sin(x) : 0.0; break;
        case cfCos: r = std::fabs(x) < TrigRange ? std::cos(x) : 0.0; break;
        case cfArcTan: r = std::atan(x); break;
        case cfSqr: r = x * x; break;
        case cfSqrt: r = x < 0 ? x : std::sqrt(x); break;
        case cfInc: r = x + 1; break;
        case cfDec: r = x - 1; break;
        case cfRandom: {
            static std::mt19937_64 gen{std::random_device{}()};
            r = x * std::uniform_real_distribution<double>(0.0, 1.0)(gen);
            break;
        }
        case cfRound1: case cfRound2: case cfRound3: case cfRound4: case cfRound5: {
            double scale = std::pow(10.0, int(f) - int(cfRound1) + 1);
            r = RoundEven(x * scale) / scale;
            break;
        }
        case cfSecsToTime: r = x / 86400; break;
        case cfMinsToTime: r = x / 1440; break;
        case cfHoursToTime: r = x / 24; break;
        case cfTimeToSecs: r = x * 86400; break;
        case cfTimeToMins: r = x * 1440; break;
        case cfTimeToHours: r = x * 24; break;
        case cfPercent: r = x * 100; break;
    }
    return std::isfinite(r) ? r : x;
}

void TVizeAccumulator::Reset(TVizeCalcType type, double init) {
    switch (type) {
        case ctCount:
            Count = Integer(std::trunc(init));
            Total = 0;
            break;
        case ctSum:
            Count = 0;
            Total = init;
            break;
        default:
            Count = 0;
            Total = 0;
            break;
    }
}

void TVizeAccumulator::Add(TVizeCalcType type, double v, const std::string& text, const std::string& countValue,
                           bool countBlanks) {
    switch (type) {
        case ctCount:
            if ((countValue.empty() && (countBlanks || v != 0)) || text == countValue) ++Count;
            break;
        case ctSum: Total += v; break;
        case ctMin:
            if (Count == 0 || v < Total) {
                Count = 1;
                Total = v;
            }
            break;
        case ctMax:
            if (Count == 0 || v > Total) {
                Count = 1;
                Total = v;
            }
            break;
        case ctAverage:
            Total += v;
            if (countBlanks || v != 0) ++Count;
            break;
    }
}

double TVizeAccumulator::Result(TVizeCalcType type) const {
    switch (type) {
        case ctCount: return Count;
        case ctSum: return double(Total);
        case ctMin: case ctMax: return Count != 0 ? double(Total) : 0.0;
        case ctAverage: return Count != 0 ? double(Total / Count) : 0.0;
    }
    return 0;
}

// ------------------------------------------------------------- classes

TVizeClassRef TVizeCalcVariable::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeCalcVariable", TVizeComponent::StaticClass(), nullptr, true);
        using V = TVizeCalcVariable;
        TVizeProps<V>(*c)
            .String("DestParam", &V::DestParam, &V::SetDestParam)
            .String("DestPIVar", &V::DestPIVar, &V::SetDestPIVar)
            .String("DisplayFormat", &V::DisplayFormat, &V::SetDisplayFormat)
            .Enumeration("DisplayType", DisplayTypes, &V::DisplayType, &V::SetDisplayType)
            .Object<TVizeFloatEvent>("OnGetValue", &V::OnGetValue, &V::SetOnGetValue);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeCalcOp::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeCalcOp>("TVizeCalcOp", TVizeCalcVariable::StaticClass());
        using O = TVizeCalcOp;
        TVizeProps<O> p(*c);
        for (int i : {1, 2}) {
            std::string n = "Src" + std::to_string(i);
            p.Object<TVizeCalcVariable>(n + "CalcVar", [i](O& o) { return o.Src(i).CalcVar; },
                                        [i](O& o, TVizeCalcVariable* v) { o.SetSrcCalcVar(i, v); })
                .String(n + "DataField", [i](O& o) { return o.Src(i).DataField; },
                        [i](O& o, const std::string& v) { o.Src(i).DataField = v; })
                .Object<TVizeBaseDataView>(n + "DataView", [i](O& o) { return o.Src(i).DataView; },
                                           [i](O& o, TVizeBaseDataView* v) { o.SetSrcDataView(i, v); })
                .Float(n + "Value", [i](O& o) { return o.Src(i).Value; }, [i](O& o, double v) { o.Src(i).Value = v; })
                .Enumeration(n + "Function", Functions, [i](O& o) { return Int64(o.Src(i).Function); },
                             [i](O& o, Int64 v) { o.Src(i).Function = TVizeCalcFunction(v); });
        }
        p.Enumeration("Operator", Operators, &O::Operator, &O::SetOperator)
            .Enumeration("ResultFunction", Functions, &O::ResultFunction, &O::SetResultFunction);
        return c;
    }();
    return cls;
}

namespace {
// The accumulating properties of totals and calc texts.
template <class T>
void AddAccumulatingProps(TVizeClass& c) {
    TVizeProps<T>(c)
        .template Object<TVizeComponent>("Controller", [](T& t) { return t.Controller; },
                                         [](T& t, TVizeComponent* v) { t.SetController(v); })
        .template Object<TVizeComponent>("Initializer", [](T& t) { return t.Initializer; },
                                         [](T& t, TVizeComponent* v) { t.SetInitializer(v); })
        .template Object<TVizeBaseDataView>("DataView", [](T& t) { return t.DataView; },
                                            [](T& t, TVizeBaseDataView* v) { t.SetDataView(v); })
        .String("DataField", [](T& t) { return t.DataField; }, [](T& t, const std::string& v) { t.DataField = v; })
        .Enumeration("CalcType", CalcTypes, [](T& t) { return Int64(t.CalcType); },
                     [](T& t, Int64 v) { t.CalcType = TVizeCalcType(v); }, ctSum)
        .Boolean("RunningTotal", [](T& t) { return t.RunningTotal; }, [](T& t, bool v) { t.RunningTotal = v; })
        .Boolean("CountBlanks", [](T& t) { return t.CountBlanks; }, [](T& t, bool v) { t.CountBlanks = v; }, true)
        .Boolean("CountNulls", [](T& t) { return t.CountNulls; }, [](T& t, bool v) { t.CountNulls = v; })
        .String("CountValue", [](T& t) { return t.CountValue; },
                [](T& t, const std::string& v) { t.CountValue = v; })
        .template Object<TVizeFloatEvent>("OnCalcValue", [](T& t) { return t.OnCalcValue; },
                                          [](T& t, TVizeFloatEvent* e) { t.SetOnCalcValue(e); });
}
}  // namespace

TVizeClassRef TVizeCalcTotal::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeCalcTotal>("TVizeCalcTotal", TVizeCalcVariable::StaticClass());
        TVizeProps<TVizeCalcTotal>(*c).Object<TVizeCalcVariable>("CalcVar", &TVizeCalcTotal::CalcVar,
                                                                 &TVizeCalcTotal::SetCalcVar);
        AddAccumulatingProps<TVizeCalcTotal>(*c);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeCalcText::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeCalcText>("TVizeCalcText", TVizeText::StaticClass());
        AddAccumulatingProps<TVizeCalcText>(*c);
        TVizeProps<TVizeCalcText>(*c)
            .Enumeration("DisplayType", DisplayTypes, &TVizeCalcText::DisplayType, &TVizeCalcText::SetDisplayType)
            .String("DisplayFormat", &TVizeCalcText::DisplayFormat, &TVizeCalcText::SetDisplayFormat);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeCalcController::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeCalcController>("TVizeCalcController", TVizeComponent::StaticClass());
        using C = TVizeCalcController;
        TVizeProps<C>(*c)
            .Object<TVizeCalcVariable>("InitCalcVar", &C::InitCalcVar, &C::SetInitCalcVar)
            .String("InitDataField", &C::InitDataField, &C::SetInitDataField)
            .Float("InitValue", &C::InitValue, &C::SetInitValue);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataText::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeDataText>("TVizeDataText", TVizeText::StaticClass());
        using D = TVizeDataText;
        TVizeProps<D>(*c)
            .String("DataField", &D::DataField, &D::SetDataField)
            .Object<TVizeBaseDataView>("DataView", &D::DataView, &D::SetDataView)
            .Object<TVizeBaseDataView>("LookupDataView", &D::LookupDataView, &D::SetLookupDataView)
            .String("LookupField", &D::LookupField, &D::SetLookupField)
            .String("LookupDisplay", &D::LookupDisplay, &D::SetLookupDisplay)
            .String("LookupInvalid", &D::LookupInvalid, &D::SetLookupInvalid)
            .Boolean("Truncate", &D::Truncate, &D::SetTruncate, true);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataMemo::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeDataMemo>("TVizeDataMemo", TVizeMemo::StaticClass());
        using D = TVizeDataMemo;
        TVizeProps<D>(*c)
            .String("DataField", &D::DataField, &D::SetDataField)
            .Object<TVizeBaseDataView>("DataView", &D::DataView, &D::SetDataView)
            .Boolean("ContainsRTF", &D::ContainsRTF, &D::SetContainsRTF);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataMirror::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeDataMirror", TVizePersistent::StaticClass(),
                                 [](TComponent*) { return new TVizeDataMirror; }, false);
        using M = TVizeDataMirror;
        TVizeProps<M>(*c)
            .String("DataValue", [](M& m) { return m.DataValue; }, [](M& m, const std::string& v) { m.DataValue = v; })
            .Object<TVizeSection>("SectionMirror", [](M& m) { return m.SectionMirror; },
                                  [](M& m, TVizeSection* s) { m.SectionMirror = s; })
            .Boolean("IsDefault", [](M& m) { return m.IsDefault; }, [](M& m, bool v) { m.IsDefault = v; });
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeDataMirrorList::StaticClass() {
    static const TVizeClass cls("TVizeDataMirrorList", TVizePersistentList::StaticClass(), nullptr, false);
    return &cls;
}

TPersistent* TVizeDataMirrorList::CreateItem(const std::string&, TComponent*) { return new TVizeDataMirror; }

TVizeClassRef TVizeDataMirrorSection::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeDataMirrorSection>("TVizeDataMirrorSection", TVizeSection::StaticClass());
        using S = TVizeDataMirrorSection;
        TVizeProps<S>(*c)
            .Boolean("CompareCase", &S::CompareCase, &S::SetCompareCase)
            .String("DataField", &S::DataField, &S::SetDataField)
            .Object<TVizeBaseDataView>("DataView", &S::DataView, &S::SetDataView)
            .Object<TVizeDataMirrorList>("DataMirrors", &S::DataMirrors, &S::SetDataMirrors)
            .Object<TVizeStringEvent>("OnMirrorValue", &S::OnMirrorValue, &S::SetOnMirrorValue);
        return c;
    }();
    return cls;
}

// ------------------------------------------------------------- variable

TVizeCalcVariable::TVizeCalcVariable(TComponent* owner) : TVizeComponent(owner) {}

TVizeCalcVariable::~TVizeCalcVariable() {
    Destroying();
    SetOnGetValue(nullptr);
}

void TVizeCalcVariable::SetOnGetValue(TVizeFloatEvent* e) { SwapEvent(onGetValue_, e, this); }

double TVizeCalcVariable::WithGetValue(double v) {
    if (!onGetValue_) return v;
    onGetValue_->Value = v;
    onGetValue_->Execute();
    return onGetValue_->Value;
}

void TVizeCalcVariable::PrintSelf(TBaseReport* report) {
    if (destParam_.empty() && destPIVar_.empty()) return;
    std::string text = FormatValue(displayType_, displayFormat_, Value());
    if (!destParam_.empty() && Project()) Project()->Parameters().SetValue(destParam_, text);
    if (!destPIVar_.empty()) report->SetPIVar(destPIVar_, text);
}

// ------------------------------------------------------------------- op

TVizeCalcOp::TVizeCalcOp(TComponent* owner) : TVizeCalcVariable(owner) {}

void TVizeCalcOp::SetSrcCalcVar(int i, TVizeCalcVariable* v) {
    Src(i).CalcVar = v == this ? nullptr : v;
    LinkTo(this, Src(i).CalcVar);
}

void TVizeCalcOp::SetSrcDataView(int i, TVizeBaseDataView* v) {
    Src(i).DataView = v;
    LinkTo(this, v);
}

double TVizeCalcOp::Value() {
    bool valid;
    double a = SourceValue(this, src1_.CalcVar, src1_.DataView, src1_.DataField, src1_.Function, src1_.Value, valid);
    double b = SourceValue(this, src2_.CalcVar, src2_.DataView, src2_.DataField, src2_.Function, src2_.Value, valid);
    double r = 0;
    switch (operator_) {
        case coAdd: r = a + b; break;
        case coSub: r = a - b; break;
        case coMul: r = a * b; break;
        case coDiv: r = b == 0 ? 0 : a / b; break;
        case coMod: {
            double ta = std::trunc(a), tb = std::trunc(b);
            if (tb == 0 || std::fabs(ta) >= 9.2e18 || std::fabs(tb) >= 9.2e18)
                r = 0;
            else
                r = double(Int64(ta) % Int64(tb));
            break;
        }
        case coExp: r = a > 0 ? std::exp(b * std::log(a)) : 0; break;
        case coGreater: r = b >= a ? b : a; break;
        case coLesser: r = b > a ? a : b; break;
        case coAverage: r = (a + b) / 2; break;
    }
    if (!std::isfinite(r)) r = 0;
    r = ApplyCalcFunction(resultFunction_, r);
    return WithGetValue(r);
}

bool TVizeCalcOp::IsNull() {
    return (src1_.CalcVar && src1_.CalcVar->IsNull()) || (src2_.CalcVar && src2_.CalcVar->IsNull());
}

void TVizeCalcOp::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeCalcVariable::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    for (int i : {1, 2}) {
        if (Src(i).CalcVar == oldRef) SetSrcCalcVar(i, dynamic_cast<TVizeCalcVariable*>(newRef));
        if (Src(i).DataView == oldRef) SetSrcDataView(i, dynamic_cast<TVizeBaseDataView*>(newRef));
    }
}

void TVizeCalcOp::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove)
        for (int i : {1, 2}) {
            if (Src(i).CalcVar == component) Src(i).CalcVar = nullptr;
            if (Src(i).DataView == component) Src(i).DataView = nullptr;
        }
    TVizeCalcVariable::Notification(component, operation);
}

// ----------------------------------------------------------------- total

namespace {
// The accumulate step shared by totals and calc texts.
void AccumulateInto(TVizeCalcAccumulating& a, TVizeComponent* context, TVizeCalcVariable* calcVar) {
    bool valid;
    double v = SourceValue(context, calcVar, a.DataView, a.DataField, cfNone, 0, valid);
    if (a.OnCalcValue) {
        a.OnCalcValue->Value = v;
        a.OnCalcValue->Execute();
        v = a.OnCalcValue->Value;
    }
    if (!valid && (a.CalcType == ctCount || a.CalcType == ctAverage)) return;
    std::string text = EvaluateDataText(context, a.DataView, a.DataField);
    a.Acc.Add(a.CalcType, v, text, a.CountValue, a.CountBlanks);
}

template <class T>
void AccumulateHandler(TObject* object, TObject* sender, void*) {
    static_cast<T*>(object)->Accumulate(sender);
}

template <class T>
void ResetHandler(TObject* object, TObject*, void* argument) {
    static_cast<T*>(object)->ResetWith(static_cast<const double*>(argument));
}
}  // namespace

TVizeCalcTotal::TVizeCalcTotal(TComponent* owner) : TVizeCalcVariable(owner) {}

TVizeCalcTotal::~TVizeCalcTotal() {
    Destroying();
    SetOnCalcValue(nullptr);
    SetController(nullptr);
    SetInitializer(nullptr);
}

void TVizeCalcTotal::SetCalcVar(TVizeCalcVariable* v) {
    calcVar_ = v == this ? nullptr : v;
    LinkTo(this, calcVar_);
}

void TVizeCalcTotal::SetController(TVizeComponent* c) {
    Rewire(this, Controller, c, ListenerNewData, &AccumulateHandler<TVizeCalcTotal>);
}

void TVizeCalcTotal::SetInitializer(TVizeComponent* c) {
    Rewire(this, Initializer, c, ListenerInitData, &ResetHandler<TVizeCalcTotal>);
}

void TVizeCalcTotal::SetDataView(TVizeBaseDataView* v) {
    DataView = v;
    LinkTo(this, v);
}

void TVizeCalcTotal::SetOnCalcValue(TVizeFloatEvent* e) { SwapEvent(OnCalcValue, e, this); }

double TVizeCalcTotal::Value() { return WithGetValue(Acc.Result(CalcType)); }

void TVizeCalcTotal::BeforeReport() {
    Acc.Reset(CalcType, 0);
    TVizeCalcVariable::BeforeReport();
}

void TVizeCalcTotal::PrintSelf(TBaseReport* report) {
    TVizeCalcVariable::PrintSelf(report);
    if (!RunningTotal) Acc.Reset(CalcType, 0);
}

void TVizeCalcTotal::Accumulate(TObject* sender) {
    if (calcVar_ && calcVar_->IsNull()) return;
    auto* context = dynamic_cast<TVizeComponent*>(sender);
    AccumulateInto(*this, context ? context : this, calcVar_);
}

void TVizeCalcTotal::ResetWith(const double* init) { Acc.Reset(CalcType, init ? *init : 0); }

void TVizeCalcTotal::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeCalcVariable::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == calcVar_) SetCalcVar(dynamic_cast<TVizeCalcVariable*>(newRef));
    if (oldRef == DataView) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    if (oldRef == Controller) SetController(newRef);
    if (oldRef == Initializer) SetInitializer(newRef);
}

void TVizeCalcTotal::Notification(TComponent* component, TOperation operation) {
    // The freed component is past its own destructor: forget it without
    // asking it to drop the listener.
    if (operation == opRemove) {
        if (component == calcVar_) calcVar_ = nullptr;
        if (component == DataView) DataView = nullptr;
        if (component == Controller) Controller = nullptr;
        if (component == Initializer) Initializer = nullptr;
    }
    TVizeCalcVariable::Notification(component, operation);
}

// ------------------------------------------------------------- calc text

TVizeCalcText::TVizeCalcText(TComponent* owner) : TVizeText(owner) {
    if (VizeDesigner().DesignMode) SetBracketText(true);
}

TVizeCalcText::~TVizeCalcText() {
    Destroying();
    SetOnCalcValue(nullptr);
    SetController(nullptr);
    SetInitializer(nullptr);
}

void TVizeCalcText::SetController(TVizeComponent* c) {
    Rewire(this, Controller, c, ListenerNewData, &AccumulateHandler<TVizeCalcText>);
}

void TVizeCalcText::SetInitializer(TVizeComponent* c) {
    Rewire(this, Initializer, c, ListenerInitData, &ResetHandler<TVizeCalcText>);
}

void TVizeCalcText::SetDataView(TVizeBaseDataView* v) {
    DataView = v;
    LinkTo(this, v);
}

void TVizeCalcText::SetOnCalcValue(TVizeFloatEvent* e) { SwapEvent(OnCalcValue, e, this); }

std::string TVizeCalcText::GetText() const {
    if (ProjectPrinting(this)) {
        if (CalcType == ctAverage && Acc.Count == 0) return Trans("undefined");
        return FormatValue(displayType_, displayFormat_, Acc.Result(CalcType));
    }
    static const char* const names[] = {"Count(", "Sum(", "Min(", "Max(", "Avg("};
    return names[CalcType] + (DataField.empty() ? Name() : DataField) + ")";
}

void TVizeCalcText::BeforeReport() {
    Acc.Reset(CalcType, 0);
    TVizeText::BeforeReport();
}

void TVizeCalcText::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    TVizeText::PrintSelf(report);
    if (!RunningTotal) Acc.Reset(CalcType, 0);
}

void TVizeCalcText::Accumulate(TObject*) { AccumulateInto(*this, this, nullptr); }

void TVizeCalcText::ResetWith(const double* init) { Acc.Reset(CalcType, init ? *init : 0); }

void TVizeCalcText::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeText::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == DataView) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    if (oldRef == Controller) SetController(newRef);
    if (oldRef == Initializer) SetInitializer(newRef);
}

void TVizeCalcText::DefinePropertyOverrides(TVizeFiler& filer) {
    TVizeText::DefinePropertyOverrides(filer);
    filer.OverrideProperty(
        "ControllerBand",
        [this](TVizeFiler& f) {
            const TVizePropInfo* p = VizeClass()->FindProp("Controller");
            if (auto* reader = dynamic_cast<TVizeReader*>(&f)) reader->ReadProperty(this, p, tkClass);
        },
        nullptr);
}

void TVizeCalcText::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == DataView) DataView = nullptr;
        if (component == Controller) Controller = nullptr;
        if (component == Initializer) Initializer = nullptr;
    }
    TVizeText::Notification(component, operation);
}

// ------------------------------------------------------------ controller

TVizeCalcController::TVizeCalcController(TComponent* owner) : TVizeComponent(owner) {}

void TVizeCalcController::SetInitCalcVar(TVizeCalcVariable* v) {
    initCalcVar_ = v;
    LinkTo(this, v);
}

void TVizeCalcController::PrintSelf(TBaseReport*) {
    bool valid;
    double x = SourceValue(this, initCalcVar_, nullptr, initDataField_, cfNone, initValue_, valid);
    initData_.Notify(this, &x);
    newData_.Notify(this, nullptr);
}

void TVizeCalcController::AddListener(const std::string& eventName, const TVizeMethod& method) {
    if (SameText(eventName, ListenerNewData))
        newData_.Add(method);
    else if (SameText(eventName, ListenerInitData))
        initData_.Add(method);
    else
        TVizeComponent::AddListener(eventName, method);
}

void TVizeCalcController::RemoveListener(const std::string& eventName, const TVizeMethod& method) {
    if (SameText(eventName, ListenerNewData))
        newData_.Remove(method);
    else if (SameText(eventName, ListenerInitData))
        initData_.Remove(method);
    else
        TVizeComponent::RemoveListener(eventName, method);
}

bool TVizeCalcController::HasListenerEvent(const std::string& eventName) const {
    return SameText(eventName, ListenerNewData) || SameText(eventName, ListenerInitData) ||
           TVizeComponent::HasListenerEvent(eventName);
}

void TVizeCalcController::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeComponent::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == initCalcVar_) SetInitCalcVar(dynamic_cast<TVizeCalcVariable*>(newRef));
    for (TVizeMethodList* list : {&newData_, &initData_}) {
        if (newRef)
            list->Retarget(oldRef, newRef);
        else
            list->RemoveObject(oldRef);
    }
}

void TVizeCalcController::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == initCalcVar_) initCalcVar_ = nullptr;
        newData_.RemoveObject(component);
        initData_.RemoveObject(component);
    }
    TVizeComponent::Notification(component, operation);
}

// ------------------------------------------------------------- data text

TVizeDataText::TVizeDataText(TComponent* owner) : TVizeText(owner) {
    SetTruncate(true);
    if (VizeDesigner().DesignMode) SetBracketText(true);
}

void TVizeDataText::SetDataField(const std::string& v) {
    dataField_ = v;
    Refresh();
}

void TVizeDataText::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    LinkTo(this, v);
}

void TVizeDataText::SetLookupDataView(TVizeBaseDataView* v) {
    lookupDataView_ = v;
    LinkTo(this, v);
    Refresh();
}

void TVizeDataText::SetLookupField(const std::string& v) {
    lookupField_ = v;
    Refresh();
}

void TVizeDataText::SetLookupDisplay(const std::string& v) {
    lookupDisplay_ = v;
    Refresh();
}

std::string TVizeDataText::GetText() const {
    auto* self = const_cast<TVizeDataText*>(this);
    bool lookup = lookupDataView_ && !lookupField_.empty() && !lookupDisplay_.empty();
    if (ProjectPrinting(this)) {
        std::string t = EvaluateDataText(self, dataView_, dataField_);
        if (!lookup) return t;
        if (lookupDataView_ == dataView_) return EvaluateDataText(self, dataView_, lookupDisplay_);
        TVizeDataField* key = dataView_ ? dataView_->FieldByName(dataField_) : nullptr;
        return lookupDataView_->LookupValue(t, key, lookupField_, lookupDisplay_, lookupInvalid_);
    }
    if (dataField_.empty()) return Name();
    if (lookup) return dataField_ + "\xC2\xBB" + lookupDataView_->Name() + "." + lookupDisplay_;
    return dataField_;
}

void TVizeDataText::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeText::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    if (oldRef == lookupDataView_) SetLookupDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeDataText::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == dataView_) dataView_ = nullptr;
        if (component == lookupDataView_) lookupDataView_ = nullptr;
    }
    TVizeText::Notification(component, operation);
}

// ------------------------------------------------------------- data memo

TVizeDataMemo::TVizeDataMemo(TComponent* owner) : TVizeMemo(owner) {}

void TVizeDataMemo::SetDataField(const std::string& v) {
    dataField_ = v;
    Refresh();
}

void TVizeDataMemo::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    LinkTo(this, v);
}

std::string TVizeDataMemo::GetText() const {
    if (ProjectPrinting(this)) return EvaluateDataText(const_cast<TVizeDataMemo*>(this), dataView_, dataField_);
    return "[" + (dataField_.empty() ? Name() : dataField_) + "]";
}

bool TVizeDataMemo::IsVisible() const {
    if (const_cast<TVizeDataMemo*>(this)->IsPrintComplete()) return false;
    return TVizeMemo::IsVisible();
}

void TVizeDataMemo::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeMemo::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeDataMemo::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == dataView_) dataView_ = nullptr;
    TVizeMemo::Notification(component, operation);
}

// ---------------------------------------------------- data mirror section

TVizeDataMirrorSection::TVizeDataMirrorSection(TComponent* owner) : TVizeSection(owner) {
    ownList_ = new TVizeDataMirrorList;
    mirrors_ = ownList_;
}

TVizeDataMirrorSection::~TVizeDataMirrorSection() {
    Destroying();
    SetOnMirrorValue(nullptr);
    delete ownList_;
    ownList_ = nullptr;
    mirrors_ = nullptr;
}

void TVizeDataMirrorSection::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    LinkTo(this, v);
}

void TVizeDataMirrorSection::SetOnMirrorValue(TVizeStringEvent* e) { SwapEvent(onMirrorValue_, e, this); }

void TVizeDataMirrorSection::SetDataMirrors(TVizeDataMirrorList* list) {
    if (ProjectPrinting(this) && list) {
        mirrors_ = list;
        shared_ = list != ownList_;
        LinkMirrorItems();
        return;
    }
    shared_ = false;
    mirrors_ = ownList_;
    if (!list || list == ownList_) return;
    ownList_->Clear();
    for (int i = 0; i < list->Count(); ++i) {
        auto* from = dynamic_cast<TVizeDataMirror*>(list->Items(i));
        if (!from) continue;
        auto* item = new TVizeDataMirror;
        item->DataValue = from->DataValue;
        item->SectionMirror = from->SectionMirror;
        item->IsDefault = from->IsDefault;
        ownList_->Add(item);
    }
    LinkMirrorItems();
}

void TVizeDataMirrorSection::Print(TBaseReport* report) {
    PrepareContent();
    struct Release {
        TVizeDataMirrorSection* s;
        ~Release() { s->ReleaseContent(); }
    } release{this};
    TVizeSection::Print(report);
}

void TVizeDataMirrorSection::PrepareContent() {
    if (prepared_) return;
    LinkMirrorItems();
    savedMirror_ = Mirror();
    TVizeDataMirrorSection* s = this;
    // A chain of mirror sections that comes back to one already chosen
    // would choose for ever: it is an error on the second visit.
    std::vector<TVizeDataMirrorSection*> visited;
    while (s) {
        if (std::find(visited.begin(), visited.end(), s) != visited.end())
            throw EVizeException(Trans("Mirror of \"") + Name() + Trans("\" refers back to itself."));
        visited.push_back(s);
        std::string v = EvaluateDataText(s, s->dataView_, s->dataField_);
        if (s->onMirrorValue_) {
            s->onMirrorValue_->Value = v;
            s->onMirrorValue_->Execute();
            v = s->onMirrorValue_->Value;
        }
        TVizeSection* m = nullptr;
        TVizeDataMirrorList* list = s->mirrors_;
        for (int i = 0; list && i < list->Count(); ++i) {
            TVizeDataMirror* item = list->Item(i);
            if (item->IsDefault && !m) m = item->SectionMirror;
            bool same = s->compareCase_ ? v == item->DataValue : SameTextLocale(v, item->DataValue);
            if (same) {
                m = item->SectionMirror;
                break;
            }
        }
        if (m == s) m = nullptr;
        s->SetMirror(m);
        s = dynamic_cast<TVizeDataMirrorSection*>(m);
    }
    TVizeSection::PrepareContent();
    if (Parent() && Parent() == Page()) SaveAdjustedState();
    prepared_ = true;
}

void TVizeDataMirrorSection::ReleaseContent() {
    if (!prepared_) return;
    TVizeSection::ReleaseContent();
    if (Mirror() != savedMirror_) {
        if (Mirror()) Mirror()->RestoreDesignState();
        SetMirror(savedMirror_);
    }
    prepared_ = false;
}

void TVizeDataMirrorSection::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeSection::ReplaceReference(oldRef, newRef);
    if (!oldRef) return;
    if (oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
    for (int i = 0; mirrors_ && i < mirrors_->Count(); ++i)
        if (mirrors_->Item(i)->SectionMirror == oldRef)
            mirrors_->Item(i)->SectionMirror = dynamic_cast<TVizeSection*>(newRef);
}

void TVizeDataMirrorSection::LinkMirrorItems() {
    for (TVizeDataMirrorList* list : {ownList_, mirrors_})
        for (int i = 0; list && i < list->Count(); ++i) LinkTo(this, list->Item(i)->SectionMirror);
}

void TVizeDataMirrorSection::ProjectLoaded() {
    TVizeSection::ProjectLoaded();
    LinkMirrorItems();
}

void TVizeDataMirrorSection::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        if (component == dataView_) dataView_ = nullptr;
        if (component == saved_.DataView) saved_.DataView = nullptr;
        if (component == savedMirror_) savedMirror_ = nullptr;
        // Mirror items are not components: a freed section is taken out of
        // them here.
        for (TVizeDataMirrorList* list : {ownList_, mirrors_})
            for (int i = 0; list && i < list->Count(); ++i)
                if (static_cast<TComponent*>(list->Item(i)->SectionMirror) == component)
                    list->Item(i)->SectionMirror = nullptr;
    }
    TVizeSection::Notification(component, operation);
}

void TVizeDataMirrorSection::SaveDesignState() {
    TVizeSection::SaveDesignState();
    saved_ = {Anchor(), compareCase_, dataField_, mirrors_, dataView_, DisplayOn(), Tag()};
    savedValid_ = true;
}

void TVizeDataMirrorSection::RestoreSaved() {
    // Nothing saved yet: the values in place are the design values.
    if (!savedValid_) return;
    SetAnchor(saved_.Anchor);
    compareCase_ = saved_.CompareCase;
    dataField_ = saved_.DataField;
    // A list shared while printing goes back to the section's own.
    mirrors_ = saved_.Mirrors && !shared_ ? saved_.Mirrors : ownList_;
    shared_ = mirrors_ != ownList_;
    dataView_ = saved_.DataView;
    SetDisplayOn(saved_.DisplayOn);
    SetTag(saved_.Tag);
}

void TVizeDataMirrorSection::RestoreDesignState() {
    RestoreSaved();
    ReleaseContent();
    TVizeSection::RestoreDesignState();
}

// Mirror items may lead back to this section (two sections listing each
// other): a section already on the way is not visited again.
void TVizeDataMirrorSection::SaveAdjustedState() {
    TVizeSection::SaveAdjustedState();
    if (adjusting_) return;
    adjusting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{adjusting_};
    for (int i = 0; mirrors_ && i < mirrors_->Count(); ++i)
        if (TVizeSection* m = mirrors_->Item(i)->SectionMirror; m && m != this) m->SaveAdjustedState();
}

void TVizeDataMirrorSection::RestoreAdjustedState() {
    RestoreSaved();
    if (!adjusting_) {
        adjusting_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{adjusting_};
        for (int i = 0; mirrors_ && i < mirrors_->Count(); ++i)
            if (TVizeSection* m = mirrors_->Item(i)->SectionMirror; m && m != this) m->RestoreAdjustedState();
    }
    TVizeSection::RestoreAdjustedState();
}

// ------------------------------------------------------------- start-up

namespace {
void RegisterVzCsDataClasses() {
    if (VizeHooks().Palette) VizeHooks().Palette("Report", Trans("Report"), "");
    std::vector<TVizeClassRef> rpt = VzCsRptClasses();
    RegisterClasses("Report",
                    {TVizeDataText::StaticClass(), TVizeDataMemo::StaticClass(), TVizeCalcText::StaticClass(),
                     TVizeDataMirrorSection::StaticClass(), rpt[0], rpt[1], rpt[2], rpt[3],
                     TVizeCalcOp::StaticClass(), TVizeCalcTotal::StaticClass(), TVizeCalcController::StaticClass()},
                    10);
    RegisterModuleClasses("VzCsData",
                          {TVizeDataText::StaticClass(), TVizeDataMemo::StaticClass(), TVizeCalcText::StaticClass(),
                           TVizeDataMirrorSection::StaticClass(), TVizeCalcOp::StaticClass(),
                           TVizeCalcTotal::StaticClass(), TVizeCalcController::StaticClass()},
                          6);
    RegisterModuleClasses("VzCsRpt", rpt, 3);
}
}  // namespace

void InitializeVzCsData() { RegisterProc("VZCL", RegisterVzCsDataClasses); }

void TVizeDataMirrorSection::PaintSelf(TCanvas* canvas) {
    canvas->Brush()->SetColor(clWhite);
    PaintDottedFrame(canvas, TColor(0xFF00FF));
}
