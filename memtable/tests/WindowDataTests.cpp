#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/Streams.h"

namespace {

std::string Names(TqmtMemTable& t) {
    std::string out;
    t.First();
    while (!t.Eof()) {
        out += (out.empty() ? "" : " ") + t.FieldByName("Name")->AsString();
        t.Next();
    }
    return out;
}

struct WindowData : ::testing::Test {
    TqmtCSVStreamFormat format;
    std::vector<int> kinds;

    void Define(TqmtMemTable& t) {
        t.FieldDefs().Add("ID", ftInteger);
        t.FieldDefs().Add("Name", ftString, 10);
        t.OnLoad = [this](TqmtCustomMemTable*, int kind, TStream* s) {
            kinds.push_back(kind);
            EXPECT_NE(s, nullptr);
        };
        t.OnSave = t.OnLoad;
    }

    // The "Data" text of a table with two rows, as a window would store it.
    std::string StoredData() {
        TqmtMemTable t;
        Define(t);
        t.SetFormFormat(&format);
        t.Open();
        t.AppendRecord({1, "Ann"});
        t.AppendRecord({2, "Bob"});
        EXPECT_FALSE(IsStoredProp(t, "Data"));
        t.SetStoreDataOnForm(true);
        EXPECT_TRUE(IsStoredProp(t, "Data"));
        return GetPropText(t, "Data");
    }

    // Reads a table the way window streaming does: properties by name
    // while csLoading, Active before the format is known.
    void ReadWindow(TqmtMemTable& t, const std::string& data, bool designActivation) {
        Define(t);
        t.BeginLoading();
        SetPropText(t, "DesignActivation", designActivation ? "True" : "False");
        SetPropText(t, "StoreDataOnForm", "True");
        t.Open();
        SetPropText(t, "Data", data);
        t.SetFormFormat(&format);
        t.EndLoading();
    }
};

}  // namespace

TEST_F(WindowData, RowsStoredWithTheWindowComeBackWhenItIsLoaded) {
    const std::string data = StoredData();
    EXPECT_FALSE(data.empty());
    EXPECT_EQ(kinds, (std::vector<int>{qmtStorageWindow}));
    kinds.clear();

    TqmtMemTable t;
    ReadWindow(t, data, true);
    ASSERT_TRUE(t.Active());
    EXPECT_EQ(Names(t), "Ann Bob");
    EXPECT_EQ(kinds, (std::vector<int>{qmtStorageWindow}));
    EXPECT_FALSE(t.HasPendingWindowData());
    // Loaded once: reopening starts empty.
    t.Close();
    t.Open();
    EXPECT_EQ(t.RecordCount(), 0);
}

TEST_F(WindowData, WithoutDesignActivationTheTableStaysClosedAndKeepsTheBytes) {
    const std::string data = StoredData();
    TqmtMemTable t;
    ReadWindow(t, data, false);
    EXPECT_FALSE(t.Active());
    EXPECT_TRUE(t.HasPendingWindowData());
    // Writing the window again loses nothing.
    EXPECT_EQ(GetPropText(t, "Data"), data);
    t.Open();
    EXPECT_EQ(Names(t), "Ann Bob");
}

TEST_F(WindowData, ClosedTablesStoreNothingAndMissingFormatIsReported) {
    TqmtMemTable closed;
    Define(closed);
    closed.SetStoreDataOnForm(true);
    EXPECT_EQ(GetPropText(closed, "Data"), "");
    TqmtMemTable t;
    ReadWindow(t, "", true);
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.RecordCount(), 0);

    TqmtMemTable noFormat;
    Define(noFormat);
    noFormat.SetStoreDataOnForm(true);
    noFormat.Open();
    try {
        GetPropText(noFormat, "Data");
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "No format specified.");
    }
}
