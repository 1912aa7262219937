// Data views: the cursor with its look-ahead, field lookup and data-text
// expressions, over a view whose rows are held in memory; the security
// validators that read users from a view or a list.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reportproject/VzData.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzSecurity.h"
#include "reportproject/tests/RowBuilder.h"

namespace {

// Rows of two string columns, "Name" and "City".
class TListView : public TVizeBaseDataView {
public:
    explicit TListView(TComponent* owner) : TVizeBaseDataView(owner) {}
    std::vector<std::pair<std::string, std::string>> rows;
    int pos = 0;
    int fetches = 0;

    void Activate() override {
        TVizeBaseDataView::Activate();
        if (Opened()) return;
        SetOpened(true);
        ClearFieldNames();
        for (int i = 0; i < ChildCount(); ++i)
            if (auto* f = dynamic_cast<TVizeDataField*>(GetChild(i))) {
                f->SetDataIndex(f->FieldName() == "City" ? 1 : 0);
                AddFieldName(f->FieldName(), f);
            }
    }
    void GetFields(std::vector<TVizeDataFieldInfo>&) override {}
    void SetFilter(const std::vector<TVizeFilterItem>&) override {}
    void SetSort(const std::vector<std::string>&) override {}

protected:
    void GetRow(int kind) override {
        ++fetches;
        if (kind == rkFirst) pos = 0;
        if (kind == rkNext) ++pos;
        bool atEnd = pos >= int(rows.size());
        if (atEnd) {
            StoreRow(kind, true, nullptr, 0);
            return;
        }
        RowBuilder b(2);
        b.Str(0, rows[size_t(pos)].first).Str(1, rows[size_t(pos)].second);
        TVizeDataRow row;
        b.Into(row);
        StoreRow(kind, false, row.Data(), row.Size());
    }
};

TVizeStringField* AddField(TListView* view, const std::string& name, const std::string& component) {
    auto* f = new TVizeStringField(view->Owner());
    f->SetName(component);
    f->SetFieldName(name);
    f->SetParent(view);
    return f;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

struct Fixture {
    TVizeProjectManager project{nullptr};
    TListView* view;
    TVizeStringField* name;
    explicit Fixture(Rows rows) {
        view = new TListView(&project);
        view->SetName("People");
        view->SetParent(&project);
        view->rows = std::move(rows);
        name = AddField(view, "Name", "PeopleName");
        AddField(view, "City", "PeopleCity");
    }
};

}  // namespace

TEST(DataView, PeekReplaysTheRecordedRowsBeforeFetchingNewOnes) {
    Fixture f(Rows{{"a", "x"}, {"b", "y"}, {"c", "z"}, {"d", "w"}});
    TListView* v = f.view;
    v->First();
    v->Next();  // on "b": two rows follow
    v->Peek(3);
    EXPECT_TRUE(v->Eof());
    v->Unpeek();
    EXPECT_FALSE(v->Eof());
    EXPECT_EQ(f.name->AsString(), "b");
    int fetched = v->fetches;
    v->Next();
    EXPECT_EQ(f.name->AsString(), "c");
    v->Next();
    EXPECT_EQ(f.name->AsString(), "d");
    EXPECT_EQ(v->fetches, fetched);  // replayed, not fetched again
    v->Next();
    EXPECT_TRUE(v->Eof());

    // On the last row no row is left, and the cursor stays there.
    Fixture g(Rows{{"a", "x"}, {"b", "y"}});
    g.view->First();
    g.view->Next();
    EXPECT_FALSE(g.view->CheckRowsLeft(1));
    EXPECT_FALSE(g.view->Eof());
    EXPECT_EQ(g.name->AsString(), "b");
    EXPECT_TRUE(g.view->HasNextRow() == false);
    g.view->First();
    EXPECT_TRUE(g.view->CheckRowsLeft(1));
    EXPECT_EQ(g.name->AsString(), "a");
    g.view->Next();
    EXPECT_EQ(g.name->AsString(), "b");

    // A view without rows is empty and at its end at once.
    Fixture none(Rows{});
    none.view->First();
    EXPECT_TRUE(none.view->Eof());
    EXPECT_TRUE(none.view->Empty());
}

TEST(DataView, MisusedLookAheadIsRefused) {
    Fixture f(Rows{{"a", "x"}});
    f.view->First();
    EXPECT_THROW(f.view->RestoreState(), EVizeException);
    f.view->SaveState();
    EXPECT_THROW(f.view->SaveState(), EVizeException);
    f.view->RestoreState();
    EXPECT_EQ(f.name->AsString(), "a");
}

TEST(DataView, FieldLookupAndDataTexts) {
    Fixture f(Rows{{"Ann", "Oslo"}, {"", "Rome"}});
    TListView* v = f.view;
    auto* spaced = AddField(v, "Home Town", "PeopleHome_Town");
    spaced->SetDataIndex(1);
    v->First();
    EXPECT_EQ(v->FieldByName("people.<Home Town>"), spaced);
    EXPECT_EQ(v->FieldByName("NAME"), f.name);
    EXPECT_EQ(v->FieldByName("Missing"), nullptr);
    f.project.Parameters().Add("Title=Dr");

    struct Case {
        const char* text;
        const char* expected;
    };
    const Case first[] = {
        {"People.Name & People.City", "Ann Oslo"},
        {"Name + City;", "AnnOslo"},
        {"'It''s ' + Name", "It's Ann"},
        {"PARAM.Title(\"none\") & Name", "Dr Ann"},
        {"PARAM.Missing(\"none\") + '!'", "none!"},
        {"Nowhere.Name", "(invalid)"},
        {"Missing", "(invalid)"},
        {"REPORT.Unknown", "(invalid)"},
    };
    for (const Case& c : first) EXPECT_EQ(EvaluateDataText(v, v, c.text), c.expected) << c.text;
    v->Next();  // an empty name: "&" adds no blank
    EXPECT_EQ(EvaluateDataText(v, v, "People.Name & People.City"), "Rome");

    // Renaming the view renames the fields named after it.
    v->SetName("Staff");
    EXPECT_EQ(f.name->Name(), "StaffName");
    EXPECT_EQ(spaced->Name(), "StaffHome_Town");
}

TEST(Security, SimpleValidator) {
    TVizeSimpleSecurity s(nullptr);
    TStringList users;
    users.Add("Ann=Secret");
    s.SetUserList(users);
    struct Case {
        bool caseMatters;
        const char* user;
        const char* password;
        bool valid;
    };
    const Case cases[] = {
        {false, "ANN", "secret", true}, {true, "ann", "secret", false}, {true, "ann", "Secret", true},
        {false, "Ann", "", false},      {false, "Bob", "Secret", false},
    };
    for (const Case& c : cases) {
        s.SetCaseMatters(c.caseMatters);
        EXPECT_EQ(s.IsValidUser(c.user, c.password), c.valid) << c.user << "/" << c.password;
    }
    // The user list survives the stream.
    RegisterVizeClass(TVizeSimpleSecurity::StaticClass());
    TVizeContainerComponent owner(nullptr);
    TMemoryStream m;
    s.SetName("Guard");
    s.SaveToStream(m);
    auto* back = new TVizeSimpleSecurity(&owner);
    m.SetPosition(0);
    back->LoadFromStream(m);
    EXPECT_TRUE(back->IsValidUser("ann", "Secret"));
}

// The memory view ignores filters, as some driver views do: the row found
// must still belong to the user asked about.
TEST(Security, LookupValidatorAcceptsOnlyTheUsersOwnRow) {
    Fixture f(Rows{{"ann", "pw1"}, {"bob", "pw2"}});
    auto* guard = new TVizeLookupSecurity(&f.project);
    guard->SetUserField("Name");
    guard->SetPasswordField("City");
    EXPECT_FALSE(guard->IsValidUser("bob", "pw2"));  // no data view yet
    guard->SetDataView(f.view);
    EXPECT_TRUE(guard->IsValidUser("bob", "pw2"));
    EXPECT_FALSE(guard->IsValidUser("bob", "pw1"));  // ann's password
    EXPECT_FALSE(guard->IsValidUser("carl", "pw1"));
    EXPECT_FALSE(guard->IsValidUser("ann", ""));
    EXPECT_TRUE(guard->IsValidUser("ann", "pw1"));
}
