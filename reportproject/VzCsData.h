#pragma once
// Components that take their content from the report's data while a report
// prints: calculated values (counts, sums, minima, maxima, averages, two-
// operand arithmetic and the controllers that feed and restart totals),
// the data-aware text and memo, and the mirror section that picks the
// section it mirrors by a data value.

#include <string>

#include "reportproject/VzControl.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzEvents.h"

class TVizeBaseDataView;

enum TVizeDisplayType { dtNumericFormat, dtDateTimeFormat };
enum TVizeCalcOperator { coAdd, coSub, coMul, coDiv, coMod, coExp, coGreater, coLesser, coAverage };
enum TVizeCalcFunction {
    cfNone, cfTrunc, cfFrac, cfRound, cfNeg, cfAbs, cfSin, cfCos, cfArcTan, cfSqr, cfSqrt, cfInc, cfDec,
    cfRandom, cfRound1, cfRound2, cfRound3, cfRound4, cfRound5, cfSecsToTime, cfMinsToTime, cfHoursToTime,
    cfTimeToSecs, cfTimeToMins, cfTimeToHours, cfPercent
};

// x passed through a calc function; an arithmetic fault leaves x.
double ApplyCalcFunction(TVizeCalcFunction function, double x);

// A running count and total with the result rule of each calculation
// type.
struct TVizeAccumulator {
    Integer Count = 0;
    long double Total = 0;
    void Reset(TVizeCalcType type, double init);
    // Adds v (text is the value's data text, for counting).
    void Add(TVizeCalcType type, double v, const std::string& text, const std::string& countValue,
             bool countBlanks);
    double Result(TVizeCalcType type) const;
};

class TVizeCalcVariable : public TVizeComponent {
    VIZE_CLASS(TVizeCalcVariable)
public:
    explicit TVizeCalcVariable(TComponent* owner);
    ~TVizeCalcVariable() override;
    const std::string& DestParam() const { return destParam_; }
    void SetDestParam(const std::string& v) { destParam_ = v; }
    const std::string& DestPIVar() const { return destPIVar_; }
    void SetDestPIVar(const std::string& v) { destPIVar_ = v; }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v) { displayFormat_ = v; }
    Int64 DisplayType() const { return displayType_; }
    void SetDisplayType(Int64 v) {
        if (IsMemberOrdinal(v, dtDateTimeFormat)) displayType_ = TVizeDisplayType(v);
    }
    TVizeFloatEvent* OnGetValue() const { return onGetValue_; }
    void SetOnGetValue(TVizeFloatEvent* e);

    virtual double Value() = 0;
    virtual bool IsNull() { return false; }
    // Writes the formatted value to the destination parameter and
    // report variable.
    void PrintSelf(TBaseReport* report) override;

protected:
    double WithGetValue(double v);

private:
    std::string destParam_, destPIVar_, displayFormat_;
    TVizeDisplayType displayType_ = dtNumericFormat;
    TVizeFloatEvent* onGetValue_ = nullptr;
};

class TVizeCalcOp : public TVizeCalcVariable {
    VIZE_CLASS(TVizeCalcOp)
public:
    explicit TVizeCalcOp(TComponent* owner);
    struct Source {
        TVizeCalcVariable* CalcVar = nullptr;
        std::string DataField;
        TVizeBaseDataView* DataView = nullptr;
        double Value = 0;
        TVizeCalcFunction Function = cfNone;
    };
    Source& Src(int i) { return i == 1 ? src1_ : src2_; }
    const Source& Src(int i) const { return i == 1 ? src1_ : src2_; }
    void SetSrcCalcVar(int i, TVizeCalcVariable* v);
    void SetSrcDataView(int i, TVizeBaseDataView* v);
    Int64 Operator() const { return operator_; }
    void SetOperator(Int64 v) {
        if (IsMemberOrdinal(v, coAverage)) operator_ = TVizeCalcOperator(v);
    }
    Int64 ResultFunction() const { return resultFunction_; }
    void SetResultFunction(Int64 v) {
        if (IsMemberOrdinal(v, cfPercent)) resultFunction_ = TVizeCalcFunction(v);
    }

    double Value() override;
    bool IsNull() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    Source src1_, src2_;
    TVizeCalcOperator operator_ = coAdd;
    TVizeCalcFunction resultFunction_ = cfNone;
};

// The accumulate and reset handlers shared by totals and calc texts.
class TVizeCalcAccumulating {
public:
    virtual ~TVizeCalcAccumulating() = default;
    TVizeAccumulator Acc;
    TVizeCalcType CalcType = ctSum;
    bool CountBlanks = true;
    bool CountNulls = false;
    bool RunningTotal = false;
    std::string CountValue;
    std::string DataField;
    TVizeBaseDataView* DataView = nullptr;
    TVizeComponent* Controller = nullptr;
    TVizeComponent* Initializer = nullptr;
    TVizeFloatEvent* OnCalcValue = nullptr;
};

class TVizeCalcTotal : public TVizeCalcVariable, public TVizeCalcAccumulating {
    VIZE_CLASS(TVizeCalcTotal)
public:
    explicit TVizeCalcTotal(TComponent* owner);
    ~TVizeCalcTotal() override;
    TVizeCalcVariable* CalcVar() const { return calcVar_; }
    void SetCalcVar(TVizeCalcVariable* v);
    void SetController(TVizeComponent* c);
    void SetInitializer(TVizeComponent* c);
    void SetDataView(TVizeBaseDataView* v);
    void SetOnCalcValue(TVizeFloatEvent* e);

    double Value() override;
    void BeforeReport() override;
    void PrintSelf(TBaseReport* report) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    void Accumulate(TObject* sender);
    void ResetWith(const double* init);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeCalcVariable* calcVar_ = nullptr;
};

class TVizeCalcText : public TVizeText, public TVizeCalcAccumulating {
    VIZE_CLASS(TVizeCalcText)
public:
    explicit TVizeCalcText(TComponent* owner);
    ~TVizeCalcText() override;
    void SetController(TVizeComponent* c);
    void SetInitializer(TVizeComponent* c);
    void SetDataView(TVizeBaseDataView* v);
    void SetOnCalcValue(TVizeFloatEvent* e);
    Int64 DisplayType() const { return displayType_; }
    void SetDisplayType(Int64 v) {
        if (IsMemberOrdinal(v, dtDateTimeFormat)) displayType_ = TVizeDisplayType(v);
    }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v) { displayFormat_ = v; }

    std::string GetText() const override;
    void SetText(const std::string&) override {}
    void BeforeReport() override;
    void PrintSelf(TBaseReport* report) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    // Projects that stored the controller as "ControllerBand" still load.
    void DefinePropertyOverrides(TVizeFiler& filer) override;
    void Accumulate(TObject* sender);
    void ResetWith(const double* init);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeDisplayType displayType_ = dtNumericFormat;
    std::string displayFormat_;
};

class TVizeCalcController : public TVizeComponent {
    VIZE_CLASS(TVizeCalcController)
public:
    explicit TVizeCalcController(TComponent* owner);
    TVizeCalcVariable* InitCalcVar() const { return initCalcVar_; }
    void SetInitCalcVar(TVizeCalcVariable* v);
    const std::string& InitDataField() const { return initDataField_; }
    void SetInitDataField(const std::string& v) { initDataField_ = v; }
    double InitValue() const { return initValue_; }
    void SetInitValue(double v) { initValue_ = v; }

    void PrintSelf(TBaseReport* report) override;
    void AddListener(const std::string& eventName, const TVizeMethod& method) override;
    void RemoveListener(const std::string& eventName, const TVizeMethod& method) override;
    bool HasListenerEvent(const std::string& eventName) const override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeCalcVariable* initCalcVar_ = nullptr;
    std::string initDataField_;
    double initValue_ = 0;
    TVizeMethodList newData_, initData_;
};

class TVizeDataText : public TVizeText {
    VIZE_CLASS(TVizeDataText)
public:
    explicit TVizeDataText(TComponent* owner);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& v);
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);
    TVizeBaseDataView* LookupDataView() const { return lookupDataView_; }
    void SetLookupDataView(TVizeBaseDataView* v);
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(const std::string& v);
    const std::string& LookupDisplay() const { return lookupDisplay_; }
    void SetLookupDisplay(const std::string& v);
    const std::string& LookupInvalid() const { return lookupInvalid_; }
    void SetLookupInvalid(const std::string& v) { lookupInvalid_ = v; }

    std::string GetText() const override;
    void SetText(const std::string&) override {}
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string dataField_;
    TVizeBaseDataView* dataView_ = nullptr;
    TVizeBaseDataView* lookupDataView_ = nullptr;
    std::string lookupField_, lookupDisplay_, lookupInvalid_;
};

class TVizeDataMemo : public TVizeMemo {
    VIZE_CLASS(TVizeDataMemo)
public:
    explicit TVizeDataMemo(TComponent* owner);
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& v);
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);

    std::string GetText() const override;
    bool IsVisible() const override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::string dataField_;
    TVizeBaseDataView* dataView_ = nullptr;
};

class TVizeDataMirror : public TVizePersistent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    std::string DataValue;
    TVizeSection* SectionMirror = nullptr;
    bool IsDefault = false;
};

class TVizeDataMirrorList : public TVizePersistentList {
public:
    static TVizeClassRef StaticClass();
    TPersistent* CreateItem(const std::string& className, TComponent* owner) override;
    TVizeDataMirror* Item(int index) const { return static_cast<TVizeDataMirror*>(Items(index)); }
};

class TVizeDataMirrorSection : public TVizeSection {
    VIZE_CLASS(TVizeDataMirrorSection)
public:
    explicit TVizeDataMirrorSection(TComponent* owner);
    ~TVizeDataMirrorSection() override;
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& v) { dataField_ = v; }
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);
    TVizeDataMirrorList* DataMirrors() const { return mirrors_; }
    // While printing the given list is shared; otherwise its items are
    // copied.
    void SetDataMirrors(TVizeDataMirrorList* list);
    bool CompareCase() const { return compareCase_; }
    void SetCompareCase(bool v) { compareCase_ = v; }
    TVizeStringEvent* OnMirrorValue() const { return onMirrorValue_; }
    void SetOnMirrorValue(TVizeStringEvent* e);

    void Print(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
    void PrepareContent() override;
    void ReleaseContent() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    void ProjectLoaded() override;
    void SaveDesignState() override;
    void RestoreDesignState() override;
    void SaveAdjustedState() override;
    void RestoreAdjustedState() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct Saved {
        TVizeAnchor Anchor = 0;
        bool CompareCase = false;
        std::string DataField;
        TVizeDataMirrorList* Mirrors = nullptr;
        TVizeBaseDataView* DataView = nullptr;
        TDisplayOn DisplayOn = doParent;
        Int64 Tag = 0;
    };
    void RestoreSaved();
    // Asks to hear when a section an item mirrors is freed.
    void LinkMirrorItems();

    std::string dataField_;
    TVizeBaseDataView* dataView_ = nullptr;
    TVizeDataMirrorList* mirrors_;
    TVizeDataMirrorList* ownList_;
    bool compareCase_ = false;
    bool shared_ = false;
    Saved saved_;
    bool savedValid_ = false;
    TVizeControl* savedMirror_ = nullptr;
    TVizeStringEvent* onMirrorValue_ = nullptr;
    bool prepared_ = false;
    bool adjusting_ = false;
};

// Start-up: registers the calculated, data-aware and band components.
void InitializeVzCsData();
