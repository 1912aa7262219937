// The printable components in a report run: memos that continue or stop,
// RTF memo text, the page-number initialiser, the data-aware texts in the
// designer and in print, and the mirror section's choice of section.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/gui/Metafile.h"
#include "report/tests/ReportTestSupport.h"
#include "reportproject/VzInit.h"
#include "reportproject/tests/BandTestSupport.h"

namespace {

class ReportComponentsTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        InitializeReportProject();
        RegisterGenView();
        page = project.NewReport()->FirstPage();
    }
    TVizeProjectManager project{nullptr};
    TVizePage* page = nullptr;
};

bool Contains(const std::vector<std::string>& texts, const std::string& s) {
    for (const std::string& t : texts)
        if (t.find(s) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST_F(ReportComponentsTest, MemoInABandContinuesOnTheNextPageUnlessTruncated) {
    for (bool truncate : {false, true}) {
        TVizeProjectManager p(nullptr);
        TVizePage* pg = p.NewReport()->FirstPage();
        auto* region = Place<TVizeRegion>(pg, pg, "R");
        region->SetBoundsRect({0.5, 0.5, 8, 2.5});
        auto* band = Place<TVizeBand>(pg, region, "B");
        band->SetHeight(0.5);
        auto* memo = Place<TVizeMemo>(pg, band, "M");
        memo->SetBoundsRect({0, 0, 6, 0.5});
        memo->SetTruncate(truncate);
        std::string text;
        for (int i = 1; i <= 40; ++i) text += "Line " + std::to_string(i) + "\n";
        memo->SetText(text + "Last line");
        // A fixed text beside the memo prints with the band's first part
        // only; the continued band prints its stretching memo.
        AddText<TVizeText>(pg, band, "Fixed", 6.5, 1)->SetText("Fixed");
        auto pages = PageTexts(p);
        int fixed = 0;
        for (const auto& pageTexts : pages) fixed += int(std::count(pageTexts.begin(), pageTexts.end(), "Fixed"));
        EXPECT_EQ(fixed, 1);
        if (truncate) {
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_TRUE(Contains(pages[0], "Line 1"));
            EXPECT_FALSE(Contains(pages[0], "Last line"));
        } else {
            ASSERT_GE(pages.size(), 2u);
            EXPECT_TRUE(Contains(pages[0], "Line 1"));
            EXPECT_FALSE(Contains(pages[0], "Last line"));
            EXPECT_TRUE(Contains(pages.back(), "Last line"));
            int lines = 0;
            for (const auto& pageTexts : pages)
                for (const std::string& t : pageTexts) lines += t.rfind("Line ", 0) == 0;
            EXPECT_EQ(lines, 40) << "a line lost or repeated at the break";
        }
    }
}

TEST_F(ReportComponentsTest, MemoThatDoesNotGrowLeavesTheRegionDone) {
    // Its band fits, so the band is done; the region does not print its
    // rows again because the memo still holds lines.
    auto* view = Place<TGenView>(&project, &project, "V");
    view->SetRowCount(2);
    Place<TVizeStringField>(&project, view, "VName")->SetFieldName("Name");
    auto* region = Place<TVizeRegion>(page, page, "R");
    region->SetBoundsRect({0.5, 0.5, 8, 9});
    auto* data = Place<TVizeDataBand>(page, region, "D");
    data->SetDataView(view);
    data->SetHeight(0.5);
    auto* name = AddText<TVizeDataText>(page, data, "Name", 0, 1);
    name->SetDataView(view);
    name->SetDataField("Name");
    auto* memo = Place<TVizeMemo>(page, data, "M");
    memo->SetBoundsRect({2, 0, 6, 0.3});
    memo->SetExpandParent(false);
    std::string text;
    for (int i = 1; i <= 30; ++i) text += "Remark " + std::to_string(i) + "\n";
    memo->SetText(text);
    auto pages = PageTexts(project);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(std::count(pages[0].begin(), pages[0].end(), "Row001"), 1);
    EXPECT_EQ(std::count(pages[0].begin(), pages[0].end(), "Row002"), 1);
}

TEST_F(ReportComponentsTest, MemoReadsRtfAndMergesData) {
    auto* memo = Place<TVizeMemo>(page, page, "M");
    memo->SetBoundsRect({1, 1, 7, 3});
    memo->SetText("  {\\RTF1\\ansi Dear {\\b NAME}, welcome.}");
    auto* item = new TVizeMailMergeItem;
    item->SearchToken = "NAME";
    item->ReplaceString = "'Ada'";
    memo->MailMergeItems()->Add(item);
    auto pages = PageTexts(project);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "Ada")) << ::testing::PrintToString(pages[0]);
    EXPECT_FALSE(Contains(pages[0], "rtf")) << ::testing::PrintToString(pages[0]);
    EXPECT_FALSE(Contains(pages[0], "NAME"));
}

TEST_F(ReportComponentsTest, PageNumberInitialiserSetsThePrintedNumber) {
    struct Case {
        const char* field;
        const char* expected;
    };
    for (const Case& c : {Case{"'Week 12'", "12"}, Case{"''", "1"}, Case{"", "5"}}) {
        TVizeProjectManager p(nullptr);
        TVizePage* pg = p.NewReport()->FirstPage();
        auto* init = Place<TVizePageNumInit>(pg, pg, "Init");
        init->SetInitValue(5);
        init->SetInitDataField(c.field);
        auto* number = AddText<TVizeDataText>(pg, pg, "Number", 1, 2);
        number->SetDataField("REPORT.RelativePage");
        auto pages = PageTexts(p);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0], (std::vector<std::string>{c.expected})) << c.field;
    }
}

TEST_F(ReportComponentsTest, DataTextsShowFieldNamesInTheDesignerAndDataInPrint) {
    auto* view = Place<TGenView>(&project, &project, "Names");
    view->SetRowCount(2);
    Place<TVizeStringField>(&project, view, "NamesName")->SetFieldName("Name");
    Place<TVizeStringField>(&project, view, "NamesTeam")->SetFieldName("Team");
    auto* text = AddText<TVizeDataText>(page, page, "Who", 1, 2);
    EXPECT_EQ(text->GetText(), "Who");
    text->SetDataField("Customer");
    text->SetLookupDataView(view);
    text->SetLookupField("Name");
    text->SetLookupDisplay("Title");
    EXPECT_EQ(text->GetText(), "Customer\xC2\xBBNames.Title");

    auto* memo = Place<TVizeDataMemo>(page, page, "Note");
    EXPECT_EQ(memo->GetText(), "[Note]");
    memo->SetDataField("Team");
    EXPECT_EQ(memo->GetText(), "[Team]");
    memo->SetDataView(view);

    // In print: a lookup into the same view shows the display field of
    // the same row.
    text->SetDataView(view);
    text->SetDataField("Name");
    text->SetLookupDisplay("Team");
    memo->SetBoundsRect({1, 2, 5, 3});
    auto pages = PageTexts(project);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "Team A")) << ::testing::PrintToString(pages[0]);
}

TEST_F(ReportComponentsTest, MirrorSectionChoosesItsSectionByDataValue) {
    auto section = [&](const std::string& name) {
        auto* s = Place<TVizeSection>(page, page, name);
        s->SetBoundsRect({0.5, 5, 2, 6});
        Probe(page, s, "In" + name);
        return s;
    };
    TVizeSection* a = section("A");
    TVizeSection* b = section("B");
    TVizeSection* c = section("C");
    auto* m = Place<TVizeDataMirrorSection>(page, page, "M");
    m->SetBoundsRect({3, 1, 5, 2});
    auto add = [&](TVizeDataMirrorList* list, const char* value, TVizeSection* s, bool isDefault) {
        auto* item = new TVizeDataMirror;
        item->DataValue = value;
        item->SectionMirror = s;
        item->IsDefault = isDefault;
        list->Add(item);
    };
    struct Case {
        const char* value;
        bool withDefault, compareCase;
        const char* expected;
    };
    const Case cases[] = {{"'C'", true, false, "InC"}, {"'X'", true, false, "InB"}, {"'X'", false, false, ""},
                          {"'a'", true, false, "InA"}, {"'a'", true, true, "InB"}};
    for (const Case& k : cases) {
        m->DataMirrors()->Clear();
        add(m->DataMirrors(), "A", a, false);
        add(m->DataMirrors(), "B", b, k.withDefault);
        add(m->DataMirrors(), "C", c, false);
        m->SetDataField(k.value);
        m->SetCompareCase(k.compareCase);
        Printed().clear();
        TMemoryStream s;
        RunToSnapshot(project, s);
        // Each section prints its own probe, then the mirror section prints
        // the chosen one's at its place.
        std::vector<std::string> expected{"InA", "InB", "InC"};
        if (*k.expected) expected.push_back(k.expected);
        EXPECT_EQ(Printed(), expected) << k.value << " default " << k.withDefault << " case " << k.compareCase;
        EXPECT_EQ(m->Mirror(), nullptr) << "the mirror chosen for the print stays after it";
    }

    // A section freed after it was chosen leaves its item mirroring
    // nothing.
    delete c;
    m->SetDataField("'C'");
    m->SetCompareCase(false);
    Printed().clear();
    {
        TMemoryStream s;
        RunToSnapshot(project, s);
    }
    EXPECT_EQ(Printed(), (std::vector<std::string>{"InA", "InB"}));

    // Two mirror sections choosing each other end with an error, not a
    // loop.
    auto* n = Place<TVizeDataMirrorSection>(page, page, "N");
    n->SetVisible(false);
    m->DataMirrors()->Clear();
    add(m->DataMirrors(), "", n, true);
    add(n->DataMirrors(), "", m, true);
    TMemoryStream s;
    EXPECT_THROW(RunToSnapshot(project, s), EVizeException);
}

TEST_F(ReportComponentsTest, ImagesPrintFromTheirFileOrAsAPlaceholder) {
    std::string file = (std::filesystem::temp_directory_path() / ("rbands-" + std::to_string(getpid()) + ".bmp")).string();
    {
        TBitmap bmp;
        bmp.SetSize(40, 20);
        bmp.SaveToFile(file);
    }
    struct Case {
        const char* link;
        bool picture;
    };
    for (const Case& c : {Case{"", false}, Case{"/nonexistent/rbands.bmp", false}, Case{nullptr, true}}) {
        TVizeProjectManager p(nullptr);
        TVizePage* pg = p.NewReport()->FirstPage();
        auto* image = Place<TVizeBitmap>(pg, pg, "Pic");
        image->SetBoundsRect({1, 1, 3, 3});
        image->SetFileLink(c.link ? c.link : "  " + file + " ");
        struct TImageRender : TRecordingRender {
            void PrintBitmapRect(double x1, double y1, double x2, double y2, TBitmap* b) override {
                Log.push_back("PrintBitmapRect " + N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2) + " " +
                              std::to_string(b ? b->Width() : 0));
            }
        } render;
        TMemoryStream snapshot;
        RunToSnapshot(p, snapshot);
        snapshot.SetPosition(0);
        render.Render(&snapshot);
        const std::vector<std::string>& log = render.Log;
        auto has = [&](const std::string& op) {
            return int(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(op, 0) == 0; }));
        };
        const std::string name = c.link ? c.link : file;
        if (c.picture) {
            // Matched to the box's width: 40 x 20 pixels make 2 x 1 inches.
            EXPECT_EQ(std::count(log.begin(), log.end(), "PrintBitmapRect 1.000 1.000 3.000 2.000 40"), 1) << name;
            EXPECT_EQ(has("Rectangle"), 0) << name;
        } else {
            // A grey frame with both diagonals.
            EXPECT_EQ(has("PrintBitmapRect"), 0) << name;
            EXPECT_EQ(has("Rectangle"), 1) << name;
            EXPECT_EQ(has("LineTo"), 2) << name;
        }
    }
    std::filesystem::remove(file);
}

TEST_F(ReportComponentsTest, StoredMetafileTravelsWithTheProjectAndPrintsStretched) {
    auto* chart = Place<TVizeMetaFile>(page, page, "Chart");
    chart->SetBoundsRect({1, 1, 5, 3});
    chart->SetMatchSide(msBoth);
    {
        TMetafile drawing;
        drawing.SetWidth(96);
        drawing.SetHeight(48);
        {
            TMetafileCanvas canvas(&drawing);
            canvas.Rectangle(0, 0, 96, 48);
            canvas.TextOut(10, 10, "Chart text");
        }
        chart->SetImage(&drawing);
    }
    TMemoryStream file;
    project.SaveToStream(file);
    TVizeProjectManager loaded(nullptr);
    file.SetPosition(0);
    loaded.LoadFromStream(file);
    auto* copy = dynamic_cast<TVizeMetaFile*>(loaded.ActiveReport()->FirstPage()->FindComponent("Chart"));
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copy->HasImage());
    EXPECT_EQ(copy->ImageWidth(), 96);

    struct TDrawRender : TRecordingRender {
        void StretchDraw(const TRect& r, TGraphic* g) override {
            Log.push_back("StretchDraw " + std::to_string(r.Right - r.Left) + "x" + std::to_string(r.Bottom - r.Top) +
                          (dynamic_cast<TMetafile*>(g) ? " metafile" : ""));
        }
    } render;
    TMemoryStream snapshot;
    RunToSnapshot(loaded, snapshot);
    snapshot.SetPosition(0);
    render.Render(&snapshot);
    int draws = 0;
    for (const std::string& l : render.Log)
        if (l.rfind("StretchDraw", 0) == 0) {
            ++draws;
            EXPECT_NE(l.find("metafile"), std::string::npos) << l;
            // Stretched over the whole 4 x 2 inch box.
            EXPECT_EQ(l, "StretchDraw " + std::to_string(render.XToDevice(4)) + "x" +
                             std::to_string(render.YToDevice(2)) + " metafile");
        }
    EXPECT_EQ(draws, 1);
}
