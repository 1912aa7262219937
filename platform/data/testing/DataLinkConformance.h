#pragma once
// The data-link notification suite every dataset of the framework must
// pass. A recording data link (buffer window of 3 records) watches a
// dataset of 5 records (ID 1..5, Name "Name1".."Name5") and each case
// compares the callbacks logged for one operation, and the link's window
// afterwards, with the expected ones.
//
// Use from a test executable of a dataset implementation:
//
//   #include "platform/data/testing/DataLinkConformance.h"
//   INSTANTIATE_TEST_SUITE_P(MyTable, DataLinkConformance,
//       ::testing::Values(DataSetFactory{"MyTable", [] {
//           auto t = std::make_unique<TMyTable>();
//           t->FieldDefs().Add("ID", ftInteger);
//           t->FieldDefs().Add("Name", ftString, 20);
//           return std::unique_ptr<TDataSet>(std::move(t)); }}),
//       [](const auto& info) { return info.param.Name; });
//
// The factory returns a closed dataset with exactly those two field
// definitions and no records; the suite opens it and appends the records.
// Include this header in exactly one source file of a test executable (it
// defines the test cases).

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/DB.h"

struct DataSetFactory {
    std::string Name;
    std::function<std::unique_ptr<TDataSet>()> Create;
};

// Logs every callback as text: "ActiveChanged(True)", "DataSetScrolled(1)",
// "RecordChanged(nil)", "RecordChanged(Name)", ...
class RecordingDataLink : public TDataLink {
public:
    std::vector<std::string> Log;
    // Records the link's RecordCount with ActiveChanged ("ActiveChanged(True) rc=3").
    bool LogRecordCount = false;

protected:
    void ActiveChanged() override {
        std::string s = std::string("ActiveChanged(") + (Active() ? "True" : "False") + ")";
        if (LogRecordCount) s += " rc=" + std::to_string(RecordCount());
        Log.push_back(s);
    }
    void CheckBrowseMode() override { Log.push_back("CheckBrowseMode"); }
    void DataSetChanged() override { Log.push_back("DataSetChanged"); }
    void DataSetScrolled(int distance) override { Log.push_back("DataSetScrolled(" + std::to_string(distance) + ")"); }
    void EditingChanged() override {
        Log.push_back(std::string("EditingChanged(") + (Editing() ? "True" : "False") + ")");
    }
    void FocusControl(TField*& field) override {
        Log.push_back("FocusControl(" + (field ? field->FieldName() : std::string("nil")) + ")");
    }
    void LayoutChanged() override { Log.push_back("LayoutChanged"); }
    void RecordChanged(TField* field) override {
        Log.push_back("RecordChanged(" + (field ? field->FieldName() : std::string("nil")) + ")");
    }
    void UpdateData() override { Log.push_back("UpdateData"); }
};

// The link's window as text: the ID of each record, the active one in
// brackets, a null ID as "_". Reading moves the active record silently and
// puts it back.
inline std::string LinkWindow(RecordingDataLink& link, const std::string& keyField = "ID") {
    if (!link.Active()) return "";
    TDataSet* ds = link.DataSet();
    int saved = link.ActiveRecord();
    std::string out;
    for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        TField* f = ds->FieldByName(keyField);
        std::string v = f->IsNull() ? "_" : f->AsString();
        if (!out.empty()) out += ' ';
        out += i == saved ? "[" + v + "]" : v;
    }
    link.SetActiveRecord(saved);
    return out;
}

class DataLinkConformance : public ::testing::TestWithParam<DataSetFactory> {
protected:
    // An open dataset with 5 records, on the first, watched by link
    // (BufferCount 3) through source; the log starts empty.
    void OpenFilled() {
        ds = GetParam().Create();
        ds->Open();
        ds->DisableControls();
        for (int i = 1; i <= 5; ++i) {
            ds->Append();
            ds->FieldByName("ID")->SetAsInteger(i);
            ds->FieldByName("Name")->SetAsString("Name" + std::to_string(i));
            ds->Post();
        }
        ds->EnableControls();
        ds->First();
        source.SetDataSet(ds.get());
        link.SetBufferCount(3);
        link.SetDataSource(&source);
        link.Log.clear();
    }
    void TearDown() override {
        link.SetDataSource(nullptr);
        source.SetDataSet(nullptr);
    }
    TField* F(const char* name) { return ds->FieldByName(name); }

    std::unique_ptr<TDataSet> ds;
    TDataSource source;
    RecordingDataLink link;
};

struct LinkCase {
    const char* Name;
    std::function<void(TDataSet&)> Setup;
    std::function<void(TDataSet&)> Action;
    std::vector<std::string> Expected;
    std::string Window;
};

inline const std::vector<LinkCase>& LinkCases() {
    auto none = [](TDataSet&) {};
    auto name = [](TDataSet& d, const char* v) { d.FieldByName("Name")->SetAsString(v); };
    auto id = [](TDataSet& d, int v) { d.FieldByName("ID")->SetAsInteger(v); };
    static const std::vector<std::string> postSeq = {"CheckBrowseMode", "UpdateData", "EditingChanged(False)",
                                                     "DataSetChanged"};
    static const std::vector<std::string> cancelSeq = {"CheckBrowseMode", "EditingChanged(False)",
                                                       "DataSetChanged"};
    static const std::vector<LinkCase> cases = {
        {"next inside the window", none, [](TDataSet& d) { d.Next(); },
         {"CheckBrowseMode", "DataSetScrolled(0)"}, "1 [2] 3"},
        {"next at the window edge", [](TDataSet& d) { d.MoveBy(2); }, [](TDataSet& d) { d.Next(); },
         {"CheckBrowseMode", "DataSetScrolled(1)"}, "2 3 [4]"},
        {"prior at the window edge", [](TDataSet& d) { d.Last(); d.MoveBy(-2); }, [](TDataSet& d) { d.Prior(); },
         {"CheckBrowseMode", "DataSetScrolled(-1)"}, "[2] 3 4"},
        {"move by past the window", none, [](TDataSet& d) { d.MoveBy(4); },
         {"CheckBrowseMode", "DataSetScrolled(2)"}, "3 4 [5]"},
        {"next at the end", [](TDataSet& d) { d.Last(); }, [](TDataSet& d) { d.Next(); },
         {"CheckBrowseMode"}, "3 4 [5]"},
        {"first", [](TDataSet& d) { d.Last(); }, [](TDataSet& d) { d.First(); },
         {"CheckBrowseMode", "DataSetChanged"}, "[1] 2 3"},
        {"last", none, [](TDataSet& d) { d.Last(); }, {"CheckBrowseMode", "DataSetChanged"}, "3 4 [5]"},
        {"edit", none, [](TDataSet& d) { d.Edit(); },
         {"CheckBrowseMode", "EditingChanged(True)", "RecordChanged(nil)"}, "[1] 2 3"},
        {"field write", [](TDataSet& d) { d.Edit(); }, [=](TDataSet& d) { name(d, "X"); },
         {"RecordChanged(Name)"}, "[1] 2 3"},
        {"post an edit", [=](TDataSet& d) { d.Edit(); name(d, "X"); }, [](TDataSet& d) { d.Post(); }, postSeq,
         "[1] 2 3"},
        {"cancel an edit", [=](TDataSet& d) { d.Edit(); name(d, "X"); }, [](TDataSet& d) { d.Cancel(); },
         cancelSeq, "[1] 2 3"},
        {"insert", [](TDataSet& d) { d.Next(); }, [](TDataSet& d) { d.Insert(); },
         {"CheckBrowseMode", "EditingChanged(True)", "DataSetChanged"}, "1 [_] 2"},
        {"post an insert", [=](TDataSet& d) { d.Next(); d.Insert(); id(d, 10); }, [](TDataSet& d) { d.Post(); },
         postSeq, "1 [10] 2"},
        {"cancel an insert", [](TDataSet& d) { d.Next(); d.Insert(); }, [](TDataSet& d) { d.Cancel(); },
         cancelSeq, "1 [2] 3"},
        {"append", none, [](TDataSet& d) { d.Append(); },
         {"CheckBrowseMode", "EditingChanged(True)", "DataSetChanged"}, "4 5 [_]"},
        {"post an append", [=](TDataSet& d) { d.Append(); id(d, 6); }, [](TDataSet& d) { d.Post(); }, postSeq,
         "4 5 [6]"},
        {"cancel an append", [](TDataSet& d) { d.Append(); }, [](TDataSet& d) { d.Cancel(); }, cancelSeq,
         "3 4 [5]"},
        // A window that already ends at the last record is kept, not fetched again.
        {"append at the end", [](TDataSet& d) { d.Last(); }, [](TDataSet& d) { d.Append(); },
         {"CheckBrowseMode", "EditingChanged(True)", "DataSetChanged"}, "4 5 [_]"},
        {"append after a posted append", [=](TDataSet& d) { d.Append(); id(d, 6); d.Post(); },
         [](TDataSet& d) { d.Append(); }, {"CheckBrowseMode", "EditingChanged(True)", "DataSetChanged"},
         "5 6 [_]"},
        {"post an append at the end", [=](TDataSet& d) { d.Last(); d.Append(); id(d, 6); },
         [](TDataSet& d) { d.Post(); }, postSeq, "4 5 [6]"},
        {"cancel an append at the end", [](TDataSet& d) { d.Last(); d.Append(); }, [](TDataSet& d) { d.Cancel(); },
         cancelSeq, "3 4 [5]"},
        {"append with the last record scrolled off", [](TDataSet& d) { d.Last(); d.MoveBy(-4); },
         [](TDataSet& d) { d.Append(); }, {"CheckBrowseMode", "EditingChanged(True)", "DataSetChanged"},
         "4 5 [_]"},
        {"delete", [](TDataSet& d) { d.Next(); }, [](TDataSet& d) { d.Delete(); },
         {"CheckBrowseMode", "DataSetChanged"}, "1 [3] 4"},
        {"delete the last record", [](TDataSet& d) { d.Last(); }, [](TDataSet& d) { d.Delete(); },
         {"CheckBrowseMode", "DataSetChanged"}, "2 3 [4]"},
        {"delete while editing", [](TDataSet& d) { d.Edit(); }, [](TDataSet& d) { d.Delete(); },
         {"CheckBrowseMode", "EditingChanged(False)", "DataSetChanged"}, "[2] 3 4"},
        {"moving while editing posts first", [=](TDataSet& d) { d.Edit(); name(d, "X"); },
         [](TDataSet& d) { d.Next(); },
         {"CheckBrowseMode", "UpdateData", "CheckBrowseMode", "UpdateData", "EditingChanged(False)",
          "DataSetChanged", "DataSetScrolled(0)"},
         "1 [2] 3"},
        {"disable, move, enable", none,
         [](TDataSet& d) { d.DisableControls(); d.Next(); d.Next(); d.EnableControls(); },
         {"DataSetChanged"}, "1 2 [3]"},
        {"nested disable", none,
         [](TDataSet& d) {
             d.DisableControls();
             d.DisableControls();
             d.Last();
             d.EnableControls();
             d.EnableControls();
         },
         {"DataSetChanged"}, "3 4 [5]"},
        {"edit while disabled", none,
         [](TDataSet& d) { d.DisableControls(); d.Edit(); d.EnableControls(); },
         {"EditingChanged(True)", "DataSetChanged"}, "[1] 2 3"},
        {"goto bookmark", [](TDataSet& d) { d.Last(); },
         [](TDataSet& d) {
             // The bookmark of record 2, taken on the way back to the end.
             d.DisableControls();
             d.First();
             d.Next();
             TBookmark b = d.GetBookmark();
             d.Last();
             d.EnableControls();
             d.GotoBookmark(b);
         },
         {"DataSetChanged", "CheckBrowseMode", "DataSetChanged"}, "1 [2] 3"},
        {"refresh", [](TDataSet& d) { d.Next(); }, [](TDataSet& d) { d.Refresh(); },
         {"CheckBrowseMode", "DataSetChanged"}, "1 [2] 3"},
        {"close", none, [](TDataSet& d) { d.Close(); }, {"ActiveChanged(False)"}, ""},
    };
    return cases;
}

TEST_P(DataLinkConformance, CallbackSequences) {
    for (const LinkCase& c : LinkCases()) {
        SCOPED_TRACE(c.Name);
        OpenFilled();
        c.Setup(*ds);
        link.Log.clear();
        c.Action(*ds);
        EXPECT_EQ(link.Log, c.Expected);
        EXPECT_EQ(LinkWindow(link), c.Window);
        TearDown();
    }
}

TEST_P(DataLinkConformance, OpeningTellsTheLinkOnce) {
    ds = GetParam().Create();
    source.SetDataSet(ds.get());
    link.SetBufferCount(3);
    link.SetDataSource(&source);
    link.LogRecordCount = true;
    ds->Open();
    EXPECT_EQ(link.Log, (std::vector<std::string>{"ActiveChanged(True) rc=0"}));
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(ds->Bof());
}

TEST_P(DataLinkConformance, EofAfterAppendButNotAfterInsert) {
    OpenFilled();
    ds->Append();
    EXPECT_TRUE(ds->Eof());
    ds->Cancel();
    ds->Last();
    ds->Insert();
    EXPECT_FALSE(ds->Eof());
    ds->Cancel();
}

TEST_P(DataLinkConformance, DisabledControlsStillFireDataSetEvents) {
    OpenFilled();
    int scrolls = 0;
    ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
    ds->DisableControls();
    ds->Next();
    ds->Next();
    EXPECT_TRUE(link.Log.empty());
    ds->EnableControls();
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(link.Log, (std::vector<std::string>{"DataSetChanged"}));
    ds->AfterScroll = nullptr;
}

TEST_P(DataLinkConformance, SettingActiveRecordIsSilentAlsoWhileEditing) {
    OpenFilled();
    ds->Edit();
    F("Name")->SetAsString("Changed");
    link.Log.clear();
    link.SetActiveRecord(2);
    EXPECT_EQ(F("ID")->AsInteger(), 3);
    link.SetActiveRecord(0);
    EXPECT_TRUE(link.Log.empty());
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(F("Name")->AsString(), "Changed");
    ds->Post();
    EXPECT_EQ(F("Name")->AsString(), "Changed");
    ds->Next();
    EXPECT_EQ(F("Name")->AsString(), "Name2");
}

TEST_P(DataLinkConformance, PostAndCancelKeepOrDropValues) {
    OpenFilled();
    ds->Edit();
    F("Name")->SetAsString("Kept");
    ds->Post();
    ds->Next();
    ds->Edit();
    F("Name")->SetAsString("Dropped");
    ds->Cancel();
    ds->First();
    EXPECT_EQ(F("Name")->AsString(), "Kept");
    ds->Next();
    EXPECT_EQ(F("Name")->AsString(), "Name2");
    EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataLinkConformance, BookmarksReturnToTheirRecord) {
    OpenFilled();
    ds->MoveBy(3);
    TBookmark b = ds->GetBookmark();
    ASSERT_FALSE(b.empty());
    EXPECT_TRUE(ds->BookmarkValid(b));
    ds->First();
    TBookmark first = ds->GetBookmark();
    EXPECT_LT(ds->CompareBookmarks(first, b), 0);
    EXPECT_GT(ds->CompareBookmarks(b, first), 0);
    EXPECT_EQ(ds->CompareBookmarks(b, b), 0);
    ds->GotoBookmark(b);
    EXPECT_EQ(F("ID")->AsInteger(), 4);
}
