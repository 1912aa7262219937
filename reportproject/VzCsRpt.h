#pragma once
// The band layout engine: a region lays out horizontal bands from top to
// bottom in one or more columns and continues them on further pages; a
// plain band prints once where it stands or around the band that controls
// it; an iterate band (the data band) repeats once per data row and prints
// the bands it controls as body, group and row headers and footers and as
// detail bands; a data cycle advances a data view once per printed page.

#include <string>
#include <vector>

#include "reportproject/VzControl.h"
#include "reportproject/VzEvents.h"

class TBaseReport;
class TVizeBaseDataView;
class TVizeRegion;
class TVizeIterateBand;

enum TBandPrintLoc { plBodyHeader, plGroupHeader, plRowHeader, plMaster, plDetail, plRowFooter, plGroupFooter,
                     plBodyFooter };
enum TBandPrintOcc { poFirst, poNewPage, poNewColumn };
enum TBandPositionMode { pmOffset, pmOverlay, pmAbsolute };

// Sets of locations and occurrences: bit n stands for member n.
using TBandPrintLocSet = Byte;
using TBandPrintOccSet = Byte;
inline constexpr TBandPrintLocSet AllPrintLocs = 0xFF;
constexpr Byte LocBit(TBandPrintLoc l) { return Byte(1u << l); }
constexpr Byte OccBit(TBandPrintOcc o) { return Byte(1u << o); }

class TVizeBandStyle : public TVizePersistent {
public:
    static TVizeClassRef StaticClass();
    TVizeClassRef VizeClass() const override { return StaticClass(); }
    TBandPrintLocSet PrintLoc = 0;
    TBandPrintOccSet PrintOcc = OccBit(poFirst);
    Int64 PrintLocOrd() const { return PrintLoc; }
    void SetPrintLocOrd(Int64 v) { PrintLoc = TBandPrintLocSet(v); }
    Int64 PrintOccOrd() const { return PrintOcc; }
    void SetPrintOccOrd(Int64 v) { PrintOcc = TBandPrintOccSet(v & 7); }
    void Assign(const TPersistent* source) override;
};

class TVizeRegion : public TVizeContainerControl {
    VIZE_CLASS(TVizeRegion)
public:
    explicit TVizeRegion(TComponent* owner);

    Int64 Columns() const { return columns_; }
    void SetColumns(Int64 n);
    double ColumnSpacing() const { return columnSpacing_; }
    void SetColumnSpacing(double s);
    double ColumnWidth() const;
    double ColumnLeft() const;
    double RemainingHeight() const { return GetHeight() - currentPos_; }
    double CurrentPosition() const { return currentPos_; }
    void SetCurrentPosition(double v) { currentPos_ = v; }
    int CurrentColumn() const { return currentColumn_; }
    TBandPrintLoc CurrentLocation() const { return currentLoc_; }
    TBandPrintOcc CurrentOccurrence() const { return currentOcc_; }
    bool AtTop() const { return atTop_; }
    bool BreakRequested() const { return breakRequested_; }
    bool FinishPageRequested() const { return finishPage_; }
    class TVizeBand* ResumeBand() const { return resumeBand_; }

    bool AcceptChild(TVizeClassRef childClass) const override;
    bool IsPrintComplete() override;
    void BeforeReport() override;
    void PrepareContent() override {}
    void ReleaseContent() override {}
    // One output page of the region.
    void Print(TBaseReport* report) override;

    void RequestBreak(TVizeBand* band);
    void FinishPage();
    void SavePosition() { savedPos_ = currentPos_; }
    void RestorePosition() { currentPos_ = savedPos_; }
    // Prints, in child order, the bands controlled by controller at the
    // location (controller null: the bands without controller).
    void PrintLocation(TBaseReport* report, TVizeBand* controller, TBandPrintLoc location);

    // The designer shows the region grey with its name, and its bands
    // stacked from the top, each below a header strip that names it and
    // its print locations and occasions.
    void PaintSelf(TCanvas* canvas) override;
    void Paint(TCanvas* canvas) override;

private:
    friend class TVizeBand;
    friend class TVizeIterateBand;
    double currentPos_ = 0;
    double savedPos_ = 0;
    TVizeBand* resumeBand_ = nullptr;
    TBandPrintLoc resumeLoc_ = plBodyHeader;
    bool breakRequested_ = false;
    bool finishPage_ = false;
    bool atTop_ = true;
    TBandPrintLoc currentLoc_ = plDetail;
    TBandPrintOcc currentOcc_ = poFirst;
    int currentColumn_ = 1;
    Integer columns_ = 1;
    double columnSpacing_ = 0;
    // Bands that really printed on this page (trial passes excluded), and
    // pages in a row that ended in a break with nothing printed.
    int printedOnPage_ = 0;
    int emptyPages_ = 0;
};

class TVizeBand : public TVizeContainerControl {
    VIZE_CLASS(TVizeBand)
public:
    explicit TVizeBand(TComponent* owner);
    ~TVizeBand() override;

    TVizeRegion* Region() const;
    TVizeIterateBand* ControllerBand() const { return controllerBand_; }
    void SetControllerBand(TVizeIterateBand* b);
    Int64 PositionMode() const { return positionMode_; }
    void SetPositionMode(Int64 v) {
        if (IsMemberOrdinal(v, pmAbsolute)) positionMode_ = TBandPositionMode(v);
    }
    double PositionValue() const { return positionValue_; }
    void SetPositionValue(double v) { positionValue_ = v; }
    TVizeBandStyle* BandStyle() const { return style_.get(); }
    void SetBandStyle(TVizeBandStyle* s);
    TVizeBaseDataView* GroupDataView() const { return groupDataView_; }
    void SetGroupDataView(TVizeBaseDataView* v);
    const std::string& GroupKey() const { return groupKey_; }
    void SetGroupKey(const std::string& v) { groupKey_ = v; }
    Int64 ReprintLocs() const { return reprintLocs_; }
    void SetReprintLocs(Int64 v) { reprintLocs_ = TBandPrintLocSet(v); }
    bool StartNewPage() const { return startNewPage_; }
    void SetStartNewPage(bool v) { startNewPage_ = v; }
    bool FinishNewPage() const { return finishNewPage_; }
    void SetFinishNewPage(bool v) { finishNewPage_ = v; }
    bool DesignerHide() const { return designerHide_; }
    void SetDesignerHide(bool v) { designerHide_ = v; }
    bool AllowSplit() const { return allowSplit_; }
    void SetAllowSplit(bool v) { allowSplit_ = v; }
    double MinHeightLeft() const { return minHeightLeft_; }
    void SetMinHeightLeft(double v) { minHeightLeft_ = v; }
    TVizeStringEvent* OnGetGroup() const { return onGetGroup_; }
    void SetOnGetGroup(TVizeStringEvent* e);
    bool IsSplit() const { return split_; }
    bool PrintedOnPage() const { return printedOnPage_; }
    // The band's header strip in the designer (page inches; -1 when the
    // last paint drew none).
    double DesignHeaderTop() const { return headerTop_; }
    double DesignHeaderBottom() const { return headerBottom_; }

    bool AcceptParent(TVizeClassRef parentClass) const override;
    double GetLeft() const override;
    double GetWidth() const override;
    double PageLeft() const override;
    double PageRight() const override;
    void DesignerChanged() override;
    void BeforeReport() override;
    bool ChildShownInDesigner(const TVizeComponent* child) const override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    void Print(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
    // Bands are sized at the bottom only; the header strip hits the band.
    void ShowHandles() override;
    bool ContainsPoint(const TVizePoint& point) const override;

    virtual void SaveState();
    virtual void RestoreState();
    virtual bool IsSaving() const;
    virtual void NotifyRowStart() {}
    virtual void ClearGroupValue() { lastGroupValue_.clear(); }
    virtual void PositionBand();

    // The group key's text for the current row; PeekGroupValue for the
    // next row.
    std::string GroupValue();
    std::string PeekGroupValue();

protected:
    // The plain band print (an iterate band prints its master part so).
    void PrintBand(TBaseReport* report);
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TVizeRegion;
    friend class TVizeIterateBand;
    std::string lastGroupValue_;
    bool printedOnPage_ = false;
    TVizeIterateBand* controllerBand_ = nullptr;
    TBandPositionMode positionMode_ = pmOffset;
    double positionValue_ = 0;
    std::unique_ptr<TVizeBandStyle> style_;
    TVizeBaseDataView* groupDataView_ = nullptr;
    std::string groupKey_;
    TBandPrintLocSet reprintLocs_ = AllPrintLocs;
    bool saving_ = false;
    bool startNewPage_ = false, finishNewPage_ = false, designerHide_ = false, allowSplit_ = false;
    double minHeightLeft_ = 0;
    bool split_ = false;
    double headerTop_ = -1, headerBottom_ = -1;
    TVizeStringEvent* onGetGroup_ = nullptr;
};

class TVizeIterateBand : public TVizeBand {
    VIZE_CLASS(TVizeIterateBand)
public:
    explicit TVizeIterateBand(TComponent* owner);

    bool KeepBodyTogether() const { return keepBody_; }
    void SetKeepBodyTogether(bool v) { keepBody_ = v; }
    bool KeepRowTogether() const { return keepRow_; }
    void SetKeepRowTogether(bool v) { keepRow_ = v; }
    Int64 OrphanRows() const { return orphanRows_; }
    void SetOrphanRows(Int64 v) { orphanRows_ = Integer(v); }
    Int64 WidowRows() const { return widowRows_; }
    void SetWidowRows(Int64 v) { widowRows_ = Integer(v); }
    Int64 MaxRows() const { return maxRows_; }
    void SetMaxRows(Int64 v) { maxRows_ = Integer(v); }
    bool InitToFirst() const { return initToFirst_; }
    void SetInitToFirst(bool v) { initToFirst_ = v; }
    Int64 Columns() const { return columns_; }
    void SetColumns(Int64 n);
    double ColumnSpacing() const { return columnSpacing_; }
    void SetColumnSpacing(double s);
    const std::string& DetailKey() const { return detailKey_; }
    void SetDetailKey(const std::string& v) { detailKey_ = v; }
    bool Active() const { return active_; }

    double GetLeft() const override;
    double GetWidth() const override;
    void Print(TBaseReport* report) override;
    void PaintSelf(TCanvas* canvas) override;
    void NotifyRowStart() override;
    void PositionBand() override;
    void AddListener(const std::string& eventName, const TVizeMethod& method) override;
    void RemoveListener(const std::string& eventName, const TVizeMethod& method) override;
    bool HasListenerEvent(const std::string& eventName) const override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

    virtual void FirstRow() = 0;
    virtual void NextRow() = 0;
    virtual void CurrentRow() = 0;
    virtual bool AtEnd() = 0;
    virtual bool RowsLeft(int count) = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TVizeBand;
    friend class TVizeRegion;
    struct TTrialState;
    double ColumnWidthOwn() const;
    bool ProjectPrinting() const;
    // The bands this band controls, in the region's order.
    std::vector<TVizeBand*> ControlledBands() const;
    void PrintBody(TBaseReport* report);
    bool BodyPass(TBaseReport* report, int rowLimit, bool trial);
    bool PrintAt(TBaseReport* report, TBandPrintLoc location);
    bool PrintRow(TBaseReport* report);
    bool PrintKeptRow(TBaseReport* report);
    // Runs body as a trial: state saved, nothing printed, all restored.
    template <class F>
    bool Trial(F body);

    bool newData_ = false;
    bool keepBody_ = false, keepRow_ = false;
    Integer orphanRows_ = 0, widowRows_ = 0;
    TBandPrintLoc restartLoc_ = plBodyHeader;
    Integer maxRows_ = 0;
    bool initToFirst_ = true;
    bool active_ = false;
    TVizeMethodList newDataListeners_;
    Integer columns_ = 1;
    double columnSpacing_ = 0;
    int currentColumn_ = 0;
    double savedLastTop_ = 0, savedPriorTop_ = 0, savedLastBottom_ = 0;
    int savedRegionColumn_ = 0;
    std::string detailKey_;
};

class TVizeDataBand : public TVizeIterateBand {
    VIZE_CLASS(TVizeDataBand)
public:
    explicit TVizeDataBand(TComponent* owner);
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);
    TVizeBaseDataView* MasterDataView() const { return masterDataView_; }
    void SetMasterDataView(TVizeBaseDataView* v);
    const std::string& MasterKey() const { return masterKey_; }
    void SetMasterKey(const std::string& v) { masterKey_ = v; }
    const std::string& SortKey() const { return sortKey_; }
    void SetSortKey(const std::string& v) { sortKey_ = v; }

    void FirstRow() override;
    void NextRow() override;
    void CurrentRow() override;
    bool AtEnd() override;
    bool RowsLeft(int count) override;
    void SaveState() override;
    void RestoreState() override;
    bool IsSaving() const override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeBaseDataView* dataView_ = nullptr;
    TVizeBaseDataView* masterDataView_ = nullptr;
    std::string masterKey_;
    std::string sortKey_;
};

class TVizeDataCycle : public TVizeComponent {
    VIZE_CLASS(TVizeDataCycle)
public:
    explicit TVizeDataCycle(TComponent* owner);
    ~TVizeDataCycle() override;
    TVizeBaseDataView* DataView() const { return dataView_; }
    void SetDataView(TVizeBaseDataView* v);
    TVizeBaseDataView* MasterDataView() const { return masterDataView_; }
    void SetMasterDataView(TVizeBaseDataView* v);
    const std::string& DetailKey() const { return detailKey_; }
    void SetDetailKey(const std::string& v) { detailKey_ = v; }
    const std::string& MasterKey() const { return masterKey_; }
    void SetMasterKey(const std::string& v) { masterKey_ = v; }
    const std::string& SortKey() const { return sortKey_; }
    void SetSortKey(const std::string& v) { sortKey_ = v; }
    bool InitToFirst() const { return initToFirst_; }
    void SetInitToFirst(bool v) { initToFirst_ = v; }
    Int64 MaxRows() const { return maxRows_; }
    void SetMaxRows(Int64 v) { maxRows_ = Integer(v); }

    void BeforeReport() override;
    void PrintSelf(TBaseReport* report) override;
    bool IsPrintComplete() override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeBaseDataView* dataView_ = nullptr;
    TVizeBaseDataView* masterDataView_ = nullptr;
    std::string detailKey_, masterKey_, sortKey_;
    bool initToFirst_ = true;
    Integer maxRows_ = 0;
    bool active_ = false;
    int rowCount_ = 0;
};

// Start-up of the band engine (its classes are registered with the
// calculated and data-aware components' group).
std::vector<TVizeClassRef> VzCsRptClasses();
