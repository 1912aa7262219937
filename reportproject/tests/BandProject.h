#pragma once
// Shared by the band tests and the band benchmark: a data view that makes
// its rows from a stored row count (so a project file holding it loads
// with its data), and a two-page score report built over it.
#include <cstdio>
#include <string>

#include "platform/gui/Bitmap.h"
#include "reportproject/VzCsBars.h"
#include "reportproject/VzCsData.h"
#include "reportproject/VzCsDraw.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VpCon.h"
#include "reportproject/VzData.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzProj.h"
#include "reportproject/tests/RowBuilder.h"

// Rows "Row001", "Row002", ...: Name, Team ("Team A" for rows 1-50, "Team
// B" for 51-100, ...) and Points (the row number). Endless views never
// reach their end.
class TGenView : public TVizeBaseDataView {
    VIZE_CLASS(TGenView)
public:
    explicit TGenView(TComponent* owner) : TVizeBaseDataView(owner) {}
    Int64 RowCount() const { return rowCount_; }
    void SetRowCount(Int64 v) { rowCount_ = int(v); }
    bool Endless() const { return endless_; }
    void SetEndless(bool v) { endless_ = v; }
    int Fetches = 0;

    static std::string NameOf(int i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "Row%03d", i);
        return buf;
    }
    static std::string TeamOf(int i) { return std::string("Team ") + char('A' + (i - 1) / 50); }

    void Activate() override {
        TVizeBaseDataView::Activate();
        if (Opened()) return;
        SetOpened(true);
        ClearFieldNames();
        for (int i = 0; i < ChildCount(); ++i)
            if (auto* f = dynamic_cast<TVizeDataField*>(GetChild(i))) {
                f->SetDataIndex(f->FieldName() == "Team" ? 1 : f->FieldName() == "Points" ? 2 : 0);
                AddFieldName(f->FieldName(), f);
            }
    }
    void GetFields(std::vector<TVizeDataFieldInfo>&) override {}
    void SetFilter(const std::vector<TVizeFilterItem>&) override {}
    void SetSort(const std::vector<std::string>&) override {}

protected:
    void GetRow(int kind) override {
        ++Fetches;
        if (kind == rkFirst) pos_ = 0;
        if (kind == rkNext) ++pos_;
        if (!endless_ && pos_ >= rowCount_) {
            StoreRow(kind, true, nullptr, 0);
            return;
        }
        int n = pos_ + 1;
        RowBuilder b(3);
        b.Str(0, NameOf(n)).Str(1, TeamOf(n)).Int(2, n);
        TVizeDataRow row;
        b.Into(row);
        StoreRow(kind, false, row.Data(), row.Size());
    }

private:
    int rowCount_ = 0;
    bool endless_ = false;
    int pos_ = 0;
};

inline TVizeClassRef TGenView::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TGenView", TVizeBaseDataView::StaticClass(),
                                 [](TComponent* owner) { return new TGenView(owner); }, true);
        TVizeProps<TGenView>(*c)
            .Integer("RowCount", &TGenView::RowCount, &TGenView::SetRowCount)
            .Boolean("Endless", &TGenView::Endless, &TGenView::SetEndless);
        return c;
    }();
    return cls;
}

// The view and the field classes its stored fields are read back as.
inline void RegisterGenView() {
    for (TVizeClassRef c : {TGenView::StaticClass(), TVizeStringField::StaticClass(), TVizeIntegerField::StaticClass()})
        if (!FindVizeClass(c->Name())) RegisterVizeClass(c);
}

// Serves the same rows as TGenView from a connection component, for direct
// data views reading them through the data channel.
struct TScoreSource {
    int Rows = 0;
    int Pos = 0;
    void Attach(TVizeDataConnect& c) {
        c.OnOpen = [this](TVizeDataConnect*) { Pos = 0; };
        c.OnGetCols = [](TVizeDataConnect* s) {
            s->WriteColumn("Name", dtString, 10);
            s->WriteColumn("Team", dtString, 10);
            s->WriteColumn("Points", dtInteger, 4);
        };
        c.OnFirst = [this](TVizeDataConnect*) { Pos = 0; };
        c.OnNext = [this](TVizeDataConnect*) { ++Pos; };
        c.OnEOF = [this](TVizeDataConnect*) { return Pos >= Rows; };
        c.OnGetRow = [this](TVizeDataConnect* s) {
            s->WriteStringData(0, TGenView::NameOf(Pos + 1));
            s->WriteStringData(1, TGenView::TeamOf(Pos + 1));
            s->WriteIntegerData(2, Pos + 1);
        };
    }
};

template <class T>
T* Place(TComponent* owner, TVizeComponent* parent, const std::string& name) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    return c;
}

inline TVizeBand* AddBand(TVizePage* page, TVizeRegion* region, const std::string& name, TVizeIterateBand* controller,
                          TBandPrintLoc loc, double height, TBandPrintOccSet occ = OccBit(poFirst)) {
    auto* band = Place<TVizeBand>(page, region, name);
    band->SetControllerBand(controller);
    band->BandStyle()->PrintLoc = LocBit(loc);
    band->BandStyle()->PrintOcc = occ;
    band->SetHeight(height);
    return band;
}

template <class T>
T* AddText(TVizePage* page, TVizeComponent* parent, const std::string& name, double left, double width) {
    auto* t = Place<T>(page, parent, name);
    t->SetLeft(left);
    t->SetWidth(width);
    t->SetTruncate(false);
    return t;
}

// The score report: page 1 has a heading, a region with a data band over
// the view (column titles repeated on each page, a team header, one line
// per row, a team footer with the team's total, a body footer with the
// grand total and a memo that runs over pages), a frame, a picture and a
// page footer with the page number; page 2 a Code 128 symbol. The rows
// come from a TGenView, or, when a connection is named, from a direct data
// view reading that connection.
inline void BuildScoresProject(TVizeProjectManager& p, int rows, const std::string& connection = {}) {
    RegisterGenView();
    p.SetName("Project");
    TVizeBaseDataView* view;
    if (connection.empty()) {
        auto* gen = Place<TGenView>(&p, &p, "Scores");
        gen->SetRowCount(rows);
        view = gen;
    } else {
        auto* direct = Place<TVizeDataView>(&p, &p, "Scores");
        direct->SetConnectionName(connection);
        view = direct;
    }
    for (auto [field, component] : {std::pair{"Name", "ScoresName"}, {"Team", "ScoresTeam"}}) {
        auto* f = Place<TVizeStringField>(&p, view, component);
        f->SetFieldName(field);
    }
    Place<TVizeIntegerField>(&p, view, "ScoresPoints")->SetFieldName("Points");

    TVizeReport* report = p.NewReport();
    TVizePage* page = report->FirstPage();
    auto* title = AddText<TVizeText>(page, page, "Title", 0.5, 7);
    title->SetTop(0.3);
    title->SetText("Scores Report");
    auto* frame = Place<TVizeRectangle>(page, page, "Frame");
    frame->SetBoundsRect({0.4, 0.25, 8.1, 10.6});
    frame->SetFillStyle(fsClear);
    auto* logo = Place<TVizeBitmap>(page, page, "Logo");
    logo->SetBoundsRect({7.0, 0.25, 7.5, 0.5});
    {
        TBitmap bmp;
        bmp.SetSize(20, 10);
        bmp.Canvas()->Brush()->SetColor(0x0000FF);
        bmp.Canvas()->FillRect({0, 0, 20, 10});
        logo->SetImage(&bmp);
    }
    logo->SetMatchSide(msBoth);
    auto* footer = AddText<TVizeDataText>(page, page, "PageFooter", 0.5, 3);
    footer->SetTop(10.3);
    footer->SetDataField("'Page' & REPORT.RelativePage");

    auto* region = Place<TVizeRegion>(page, page, "Body");
    region->SetBoundsRect({0.5, 0.7, 8, 10.1});
    auto* data = Place<TVizeDataBand>(page, region, "Rows");
    data->SetDataView(view);
    data->SetHeight(0.2);

    TVizeBand* head = AddBand(page, region, "Titles", data, plBodyHeader, 0.25, OccBit(poFirst) | OccBit(poNewPage));
    AddText<TVizeText>(page, head, "TitleName", 0, 2)->SetText("Name Column");
    TVizeBand* teamHead = AddBand(page, region, "TeamHead", data, plGroupHeader, 0.25);
    teamHead->SetGroupKey("Team");
    teamHead->SetGroupDataView(view);
    auto* team = AddText<TVizeDataText>(page, teamHead, "TeamName", 0, 2);
    team->SetDataView(view);
    team->SetDataField("'Start of' & Team");

    auto* name = AddText<TVizeDataText>(page, data, "RowName", 0.2, 2);
    name->SetDataView(view);
    name->SetDataField("Name");
    auto* points = AddText<TVizeDataText>(page, data, "RowPoints", 3, 1);
    points->SetDataView(view);
    points->SetDataField("Points");

    TVizeBand* teamFoot = AddBand(page, region, "TeamFoot", data, plGroupFooter, 0.25);
    teamFoot->SetGroupKey("Team");
    teamFoot->SetGroupDataView(view);
    auto* teamLabel = AddText<TVizeDataText>(page, teamFoot, "TeamLabel", 0, 2);
    teamLabel->SetDataView(view);
    teamLabel->SetDataField("'Total of' & Team");
    auto* teamSum = AddText<TVizeCalcText>(page, teamFoot, "TeamSum", 3, 1.5);
    teamSum->SetController(data);
    teamSum->SetDataView(view);
    teamSum->DataField = "Points";
    teamSum->SetDisplayFormat("'Sum' 0");

    TVizeBand* tail = AddBand(page, region, "Tail", data, plBodyFooter, 0.6);
    tail->SetAllowSplit(true);
    auto* grand = AddText<TVizeCalcText>(page, tail, "Grand", 3, 2);
    grand->SetController(data);
    grand->SetDataView(view);
    grand->DataField = "Points";
    grand->SetDisplayFormat("'Grand' 0");
    auto* notes = Place<TVizeMemo>(page, tail, "Notes");
    notes->SetBoundsRect({0, 0.3, 6, 0.5});
    std::string text;
    for (int i = 1; i <= 80; ++i) text += "Note line " + std::to_string(i) + " of the closing remarks.\n";
    notes->SetText(text + "End of notes.");

    TVizePage* second = report->NewPage();
    auto* code = Place<TVizeCode128BarCode>(second, second, "Code");
    code->SetText("SCORE-42");
    code->SetBarWidth(0.02);
    code->SetLeft(1);
    code->SetTop(1);
    code->SetHeight(1);
    auto* rule = Place<TVizeHLine>(second, second, "Rule");
    rule->SetBoundsRect({1, 3, 6, 3});
}
