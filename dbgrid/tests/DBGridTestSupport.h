#pragma once
// Shared fixture of the data-aware grid tests: a shown form with a grid
// bound through a data source to a memory table of students.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dbgrid/DBGrid.h"
#include "memtable/MemTable.h"
#include "platform/data/DataSource.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"

// A grid that records the data-link reactions it receives.
class TLogDBGrid : public TgrDBGrid {
public:
    explicit TLogDBGrid(TComponent* owner) : TgrDBGrid(owner) {}
    std::vector<std::string> Log;
    std::string Take() {
        std::string s;
        for (const std::string& l : Log) s += (s.empty() ? "" : " ") + l;
        Log.clear();
        return s;
    }
    void DataLinkActiveChanged(bool active) override {
        Log.push_back(active ? "active" : "inactive");
        TgrDBGrid::DataLinkActiveChanged(active);
    }
    void DataLinkScrolled(Integer distance) override {
        Log.push_back("scrolled " + std::to_string(distance));
        TgrDBGrid::DataLinkScrolled(distance);
    }
    void DataLinkChanged() override {
        Log.push_back("changed");
        TgrDBGrid::DataLinkChanged();
    }
    void DataLinkEditingChanged() override {
        Log.push_back("editing");
        TgrDBGrid::DataLinkEditingChanged();
    }
    void DataLinkLayoutChanged() override {
        Log.push_back("layout");
        TgrDBGrid::DataLinkLayoutChanged();
    }
    void DataLinkUpdateData() override {
        Log.push_back("update");
        TgrDBGrid::DataLinkUpdateData();
    }
    using TgrDBGrid::ProcessKeyDown;
    using TgrDBGrid::DoKeyPress;
    using TgrDBGrid::CanSelectCell;
    using TgrDBGrid::MouseDown;
    using TgrDBGrid::MouseUp;
    using TgrDBGrid::MouseMove;
    // The auto-scroll loop of a drag held past the rows stops after its
    // first step here; the tests take each further step themselves, at the
    // pointer the grid last saw, as the loop would once the delay passed.
    bool AutoScrollGoesOn(Integer) override { return scrollSteps_ > 0 && scrollSteps_-- > 0; }
    void AutoScrollStep() {
        scrollSteps_ = 1;
        if (lastMouse_.Y >= ClientHeight()) AutoScrollDown();
        else if (lastMouse_.Y < CellPixels(0, TopRow()).Top) AutoScrollUp();
        scrollSteps_ = 0;
    }
    int scrollSteps_ = 0;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs of the ids 1..records for which on answers True: "2-4,7".
template <class On>
std::string IdRuns(int records, On on) {
    std::string s;
    int runStart = 0;
    for (int id = 1; id <= records + 1; ++id) {
        bool selected = id <= records && on(id);
        if (selected && !runStart) runStart = id;
        if (!selected && runStart) {
            s += (s.empty() ? "" : ",") + std::to_string(runStart);
            if (id - 1 > runStart) s += "-" + std::to_string(id - 1);
            runStart = 0;
        }
    }
    return s;
}

// Runs a command; false when it fails. The tool's own output is dropped.
inline bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }
inline bool HaveTool(const std::string& name) { return RunTool("command -v " + name); }

class DBGridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        prompts = std::make_unique<TScriptedPrompts>();
        SetPromptService(prompts.get());
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 300);
        table = new TqmtMemTable(form);
        table->FieldDefs().Add("ID", ftInteger);
        table->FieldDefs().Add("Name", ftString, 20);
        table->FieldDefs().Add("Score", ftInteger);
        table->Open();
        source = new TDataSource(form);
        source->SetDataSet(table);
        grid = new TLogDBGrid(form);
        grid->SetParent(form);
        // Heading and 5 record rows of the default height fit.
        grid->SetBounds(0, 0, 400, HeightForRows(5));
        form->Show();
    }
    void TearDown() override {
        SetPromptService(nullptr);
        Application->ResetForTesting();
    }
    Integer HeightForRows(Integer rows) {
        return Integer(15 + 1 + rows * (24 + 1) + 2);
    }
    void Fill(int count) {
        table->DisableControls();
        for (int i = 1; i <= count; ++i) {
            table->Append();
            table->FieldByName("ID")->SetAsInteger(i);
            table->FieldByName("Name")->SetAsString("N" + std::to_string(i));
            table->FieldByName("Score")->SetAsInteger(100 - i);
            table->Post();
        }
        table->First();
        table->EnableControls();
    }
    void Bind() { grid->SetDataSource(source); }
    // The Name shown in a window row.
    std::string NameAt(Integer row) { return grid->GetCellValue(2, row).AsString(); }
    std::string Names() {
        std::string s;
        for (Integer r = 1; r <= grid->Rows(); ++r) s += (r > 1 ? "," : "") + NameAt(r);
        return s;
    }
    std::string Bookmark() { return table->GetBookmark(); }
    std::string BookmarkOf(int id) {
        std::string back = table->GetBookmark();
        table->Locate("ID", Variant(id), {});
        std::string bm = table->GetBookmark();
        table->GotoBookmark(back);
        return bm;
    }
    // The selected records' ids (records 1..records by ID) as runs, e.g.
    // "2-5,8".
    std::string SelectedRuns(int records) {
        return IdRuns(records, [this](int id) { return grid->IsRecordSelected(Variant(BookmarkOf(id))); });
    }
    // A press on the top-left corner (select-all); True when the scan it
    // made reported walking all records.
    bool PressCorner() {
        bool scannedAll = false;
        grid->OnScanRecords = [&](TObject*, bool scanAll, TgrScanState, Integer, bool&) { scannedAll |= scanAll; };
        grid->MouseDown(mbLeft, TShiftState(), 2, 2);
        grid->MouseUp(mbLeft, TShiftState(), 2, 2);
        grid->OnScanRecords = nullptr;
        return scannedAll;
    }

    std::unique_ptr<TScriptedPrompts> prompts;
    TForm* form = nullptr;
    TqmtMemTable* table = nullptr;
    TDataSource* source = nullptr;
    TLogDBGrid* grid = nullptr;
};
