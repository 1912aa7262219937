// Field classes, conversions, bookmarks and the record operations built on
// them, over the array-backed test dataset.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/core/FormatSettings.h"
#include "platform/core/DateTime.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/testing/ArrayDataSet.h"

namespace {

template <class T>
bool Is(TField* f) {
    return dynamic_cast<T*>(f) != nullptr;
}

// A ";"-separated list of field names, one name at a time.
TEST(FieldNames, ExtractFieldNameWalksTheListOneNameAtATime) {
    struct Case {
        const char* list;
        std::vector<std::string> names;
    } cases[] = {
        {"ID", {"ID"}},
        {" ID ; Name\t;Score", {"ID", "Name", "Score"}},
        {"A;;B", {"A", "", "B"}},
        {"A;", {"A", ""}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        std::string list = c.list;
        std::vector<std::string> names;
        for (std::size_t pos = 0; pos <= list.size() && names.size() < 10;) names.push_back(ExtractFieldName(list, pos));
        EXPECT_EQ(names, c.names) << c.list;
    }
    // The split drops the empty names.
    EXPECT_EQ(SplitFieldNames("A;; B ;"), (std::vector<std::string>{"A", "B"}));
}

TEST(FieldClasses, DefaultFieldsFollowTheClassTree) {
    struct Case {
        TFieldType type;
        std::function<bool(TField*)> isa;
        std::function<bool(TField*)> isNot;
    };
    const Case cases[] = {
        {ftString, Is<TStringField>, Is<TNumericField>},
        {ftFixedChar, Is<TStringField>, Is<TNumericField>},
        {ftSmallint, [](TField* f) { return Is<TSmallintField>(f) && Is<TIntegerField>(f) && Is<TNumericField>(f); },
         Is<TLargeintField>},
        {ftWord, [](TField* f) { return Is<TWordField>(f) && Is<TIntegerField>(f); }, Is<TSmallintField>},
        {ftAutoInc, [](TField* f) { return Is<TAutoIncField>(f) && Is<TIntegerField>(f); }, Is<TWordField>},
        {ftInteger, Is<TIntegerField>, Is<TSmallintField>},
        {ftLargeint, [](TField* f) { return Is<TLargeintField>(f) && Is<TNumericField>(f); }, Is<TIntegerField>},
        {ftFloat, Is<TFloatField>, Is<TCurrencyField>},
        {ftCurrency, [](TField* f) { return Is<TCurrencyField>(f) && Is<TFloatField>(f); }, Is<TIntegerField>},
        {ftBCD, [](TField* f) { return Is<TBCDField>(f) && Is<TNumericField>(f); }, Is<TFloatField>},
        {ftBoolean, Is<TBooleanField>, Is<TNumericField>},
        {ftDateTime, Is<TDateTimeField>, Is<TDateField>},
        {ftDate, [](TField* f) { return Is<TDateField>(f) && Is<TDateTimeField>(f); }, Is<TTimeField>},
        {ftTime, [](TField* f) { return Is<TTimeField>(f) && Is<TDateTimeField>(f); }, Is<TDateField>},
        {ftBytes, [](TField* f) { return Is<TBytesField>(f) && Is<TBinaryField>(f); }, Is<TVarBytesField>},
        {ftVarBytes, [](TField* f) { return Is<TVarBytesField>(f) && Is<TBinaryField>(f); }, Is<TBytesField>},
        {ftBlob, Is<TBlobField>, Is<TMemoField>},
        {ftMemo, [](TField* f) { return Is<TMemoField>(f) && Is<TBlobField>(f); }, Is<TGraphicField>},
        {ftGraphic, [](TField* f) { return Is<TGraphicField>(f) && Is<TBlobField>(f); }, Is<TMemoField>},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FieldTypeName(c.type));
        std::unique_ptr<TField> f(CreateFieldOfType(c.type, nullptr));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->DataType(), c.type);
        EXPECT_TRUE(c.isa(f.get()));
        EXPECT_FALSE(c.isNot(f.get()));
    }
    EXPECT_EQ(CreateFieldOfType(ftCursor, nullptr), nullptr);
}

// A dataset with one field of every scalar kind, open, one record in edit.
class FieldValues : public ::testing::Test {
protected:
    void SetUp() override {
        auto& d = ds.FieldDefs();
        d.Add("S", ftString, 5);
        d.Add("I", ftInteger);
        d.Add("SI", ftSmallint);
        d.Add("W", ftWord);
        d.Add("L", ftLargeint);
        d.Add("F", ftFloat);
        d.Add("C", ftCurrency);
        d.Add("B", ftBoolean);
        d.Add("D", ftDate);
        d.Add("T", ftTime);
        d.Add("DT", ftDateTime);
        d.Add("BCD", ftBCD, 4)->SetPrecision(20);
        d.Add("BY", ftBytes, 4);
        d.Add("VB", ftVarBytes, 4);
        ds.SetName("Data");
        ds.Open();
        ds.Append();
    }
    TField* F(const char* n) { return ds.FieldByName(n); }
    TArrayDataSet ds;
};

TEST_F(FieldValues, NewFieldsAreNullAndReadAsEmptyValues) {
    for (int i = 0; i < ds.FieldCount(); ++i) {
        SCOPED_TRACE(ds.Fields()[i]->FieldName());
        EXPECT_TRUE(ds.Fields()[i]->IsNull());
        EXPECT_TRUE(ds.Fields()[i]->AsVariant().IsNull());
        EXPECT_EQ(ds.Fields()[i]->AsString(), "");
    }
    EXPECT_EQ(F("I")->AsInteger(), 0);
    EXPECT_FALSE(F("B")->AsBoolean());
}

TEST_F(FieldValues, ConversionsBetweenKinds) {
    struct Case {
        const char* field;
        std::function<void(TField*)> write;
        std::string asString;
    };
    const Case cases[] = {
        {"S", [](TField* f) { f->SetAsInteger(42); }, "42"},
        {"S", [](TField* f) { f->SetAsString("abcdefgh"); }, "abcde"},  // cut to Size
        {"S", [](TField* f) { f->SetAsString("ab\xC3\xA9\xC3\xA9"); }, "ab\xC3\xA9"},  // never half a character
        {"I", [](TField* f) { f->SetAsString("-17"); }, "-17"},
        {"I", [](TField* f) { f->SetAsFloat(2.5); }, "2"},  // half to even
        {"I", [](TField* f) { f->SetAsFloat(3.5); }, "4"},
        {"I", [](TField* f) { f->SetAsVariant(Variant("12")); }, "12"},
        {"SI", [](TField* f) { f->SetAsInteger(-32768); }, "-32768"},
        {"W", [](TField* f) { f->SetAsInteger(65535); }, "65535"},
        {"L", [](TField* f) { f->SetAsLargeInt(9007199254740993LL); }, "9007199254740993"},
        {"L", [](TField* f) { f->SetAsString("123456789012"); }, "123456789012"},
        {"F", [](TField* f) { f->SetAsFloat(0.1); }, "0.1"},
        {"F", [](TField* f) { f->SetAsInteger(3); }, "3"},
        {"F", [](TField* f) { f->SetAsString("1.5E3"); }, "1500"},
        {"B", [](TField* f) { f->SetAsBoolean(true); }, "True"},
        {"B", [](TField* f) { f->SetAsString("f"); }, "False"},
        {"D", [](TField* f) { f->SetAsDateTime(EncodeDate(2000, 1, 31) + 0.5); }, "1/31/2000"},
        {"T", [](TField* f) { f->SetAsDateTime(EncodeTime(13, 5, 9, 0)); }, "1:05:09 PM"},
        {"DT", [](TField* f) { f->SetAsString("2/3/2001 4:05:06 AM"); }, "2/3/2001 4:05:06 AM"},
        {"BCD", [](TField* f) { f->SetAsFloat(12.345); }, "12.345"},
        {"BCD", [](TField* f) { f->SetAsCurrency(Currency::FromRaw(-5)); }, "-0.0005"},
        {"BY", [](TField* f) { f->SetAsString(std::string("a\0b", 3)); }, std::string("a\0b\0", 4)},
        {"VB", [](TField* f) { f->SetAsString(std::string("\0x", 2)); }, std::string("\0x", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " -> " + c.asString);
        c.write(F(c.field));
        EXPECT_FALSE(F(c.field)->IsNull());
        EXPECT_EQ(F(c.field)->AsString(), c.asString);
    }
}

TEST_F(FieldValues, DatesKeepTheirValueThroughTheNativeForm) {
    TDateTime when = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));  // before day 0
    EXPECT_EQ(when, -1.25);
    F("DT")->SetAsDateTime(when);
    EXPECT_NEAR(F("DT")->AsDateTime(), when, 1e-9);
    F("D")->SetAsDateTime(ComposeDateTime(EncodeDate(1600, 3, 1), 0.75));
    EXPECT_EQ(F("D")->AsDateTime(), EncodeDate(1600, 3, 1));
    F("T")->SetAsDateTime(EncodeDate(2020, 1, 1) + EncodeTime(23, 59, 59, 999));
    EXPECT_NEAR(F("T")->AsDateTime(), EncodeTime(23, 59, 59, 999), 1e-9);
    EXPECT_EQ(F("D")->AsVariant().Type(), varDate);
}

TEST_F(FieldValues, ConversionErrorsNameTheFieldOrTheText) {
    struct Case {
        std::function<void()> action;
        std::string message;
    };
    const Case cases[] = {
        {[&] { F("I")->SetAsString("12x"); }, "'12x' is not a valid integer value for field 'I'"},
        {[&] { F("F")->SetAsString("abc"); }, "'abc' is not a valid floating point value for field 'F'"},
        {[&] { F("B")->SetAsString("maybe"); }, "'maybe' is not a valid boolean value for field 'B'"},
        {[&] { F("SI")->SetAsInteger(40000); },
         "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
        {[&] { F("W")->SetAsInteger(-1); }, "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535"},
        {[&] { F("B")->AsInteger(); }, "Cannot access field 'B' as type Integer"},
        {[&] { ds.FieldByName("Nope"); }, "Data: Field 'Nope' not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            c.action();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message, c.message);
        }
    }
    F("S")->SetAsString("1z");
    try {
        F("S")->AsInteger();
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'1z' is not a valid integer value");
    }
}

TEST_F(FieldValues, EmptyTextAndNullVariantClearNumbers) {
    F("I")->SetAsInteger(5);
    F("I")->SetAsString("");
    EXPECT_TRUE(F("I")->IsNull());
    F("F")->SetAsFloat(1);
    F("F")->SetAsVariant(Null());
    EXPECT_TRUE(F("F")->IsNull());
    // Text fields keep the difference between empty text and null.
    F("S")->SetAsString("");
    EXPECT_FALSE(F("S")->IsNull());
    F("S")->Clear();
    EXPECT_TRUE(F("S")->IsNull());
}

TEST_F(FieldValues, DisplayTextUsesFormatsAndOnGetText) {
    F("F")->SetAsFloat(1234.5);
    static_cast<TFloatField*>(F("F"))->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(F("F")->DisplayText(), "1,234.50");
    EXPECT_EQ(F("F")->Text(), "1,234.50");  // no edit format: the display format
    static_cast<TFloatField*>(F("F"))->SetEditFormat("0.0");
    EXPECT_EQ(F("F")->Text(), "1234.5");
    F("C")->SetAsFloat(2.5);
    EXPECT_EQ(F("C")->DisplayText(), "$2.50");
    F("I")->SetAsInteger(7);
    F("I")->OnGetText = [](TField* f, std::string& text, bool display) {
        text = display ? "#" + f->AsString() : f->AsString();
    };
    EXPECT_EQ(F("I")->DisplayText(), "#7");
    EXPECT_EQ(F("I")->Text(), "7");
    static_cast<TBooleanField*>(F("B"))->SetDisplayValues("Yes;No");
    F("B")->SetAsString("y");
    EXPECT_EQ(F("B")->AsString(), "Yes");
}

TEST_F(FieldValues, ValuesSurvivePostAndOnValidateSeesTheNewValue) {
    std::string seen;
    F("S")->OnValidate = [&](TField* f) { seen = f->AsString(); };
    F("S")->SetAsString("abc");
    EXPECT_EQ(seen, "abc");
    F("L")->SetAsLargeInt(-1);
    ds.Post();
    EXPECT_EQ(F("S")->AsString(), "abc");
    EXPECT_EQ(F("L")->AsLargeInt(), -1);
    F("S")->OnValidate = [](TField*) { throw EDatabaseError("refused"); };
    ds.Edit();
    EXPECT_THROW(F("S")->SetAsString("zzz"), EDatabaseError);
    EXPECT_EQ(F("S")->AsString(), "abc");
}

// ---------------------------------------------------------------- records

class Records : public ::testing::Test {
protected:
    void SetUp() override {
        ds.SetName("People");
        ds.FieldDefs().Add("ID", ftInteger);
        ds.FieldDefs().Add("Name", ftString, 10);
        ds.Open();
        ds.AppendRecord({1, "Ann"});
        ds.AppendRecord({2, "bob"});
        ds.AppendRecord({3, Null()});
        ds.First();
    }
    TField* F(const char* n) { return ds.FieldByName(n); }
    TArrayDataSet ds;
};

TEST_F(Records, BookmarksHoldingNulBytesCompareAndReturn) {
    TBookmark first = ds.GetBookmark();
    ds.Last();
    TBookmark last = ds.GetBookmark();
    ASSERT_EQ(first.size(), 4u);
    EXPECT_NE(first.find('\0'), std::string::npos);
    EXPECT_NE(first, last);  // differ only after a NUL byte
    EXPECT_EQ(first.substr(1), last.substr(1));
    EXPECT_LT(ds.CompareBookmarks(first, last), 0);
    EXPECT_EQ(ds.CompareBookmarks(first, TBookmark(first.data(), first.size())), 0);
    ds.GotoBookmark(first);
    EXPECT_EQ(F("ID")->AsInteger(), 1);
    ds.SetBookmark(last);
    EXPECT_EQ(F("ID")->AsInteger(), 3);
    ds.FreeBookmark(first);
    EXPECT_TRUE(first.empty());
}

TEST_F(Records, GotoDeletedBookmarkRaisesAndStays) {
    ds.Next();
    TBookmark b = ds.GetBookmark();
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(b));
    EXPECT_EQ(F("ID")->AsInteger(), 3);
    EXPECT_THROW(ds.GotoBookmark(b), EDatabaseError);
    EXPECT_EQ(F("ID")->AsInteger(), 3);
}

TEST_F(Records, LocateAndLookup) {
    int scrolls = 0;
    ds.AfterScroll = [&](TDataSet*) { ++scrolls; };
    EXPECT_TRUE(ds.Locate("Name", Variant("BOB"), loCaseInsensitive));
    EXPECT_EQ(F("ID")->AsInteger(), 2);
    EXPECT_EQ(scrolls, 1);
    EXPECT_FALSE(ds.Locate("Name", Variant("bo"), 0));
    EXPECT_TRUE(ds.Locate("Name", Variant("bo"), loPartialKey));
    EXPECT_TRUE(ds.Locate("ID;Name", VarArrayOf({3, Null()}), 0));
    EXPECT_EQ(F("ID")->AsInteger(), 3);
    EXPECT_FALSE(ds.Locate("ID", Variant(9), 0));
    EXPECT_EQ(F("ID")->AsInteger(), 3);  // a failed search does not move
    EXPECT_EQ(scrolls, 3);

    EXPECT_EQ(ds.Lookup("ID", Variant(1), "Name").AsString(), "Ann");
    EXPECT_TRUE(ds.Lookup("ID", Variant(7), "Name").IsNull());
    Variant both = ds.Lookup("Name", Variant("bob"), "ID;Name");
    EXPECT_EQ(both[0].AsInteger(), 2);
    EXPECT_EQ(F("ID")->AsInteger(), 3);  // Lookup never moves
    EXPECT_THROW(ds.Locate("ID;Name", Variant(1), 0), EDatabaseError);
    ds.AfterScroll = nullptr;
}

TEST_F(Records, RequiredReadOnlyAndClosedDataSetErrors) {
    F("Name")->SetRequired(true);
    ds.Insert();
    F("ID")->SetAsInteger(9);
    try {
        ds.Post();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Field 'Name' must have a value");
    }
    EXPECT_EQ(ds.State(), dsInsert);
    ds.Cancel();
    try {
        F("ID")->SetAsInteger(1);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "People: Dataset not in edit or insert mode");
    }
    try {
        ds.Post();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "People: Dataset not in edit or insert mode");
    }
    ds.ReadOnlyDataSet = true;
    try {
        ds.Edit();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "People: Cannot modify a read-only dataset");
    }
    ds.ReadOnlyDataSet = false;
    ds.Close();
    try {
        ds.Next();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "People: Cannot perform this operation on a closed dataset");
    }
}

TEST_F(Records, PostErrorEventCanRetryOrAbort) {
    F("Name")->SetRequired(true);
    int calls = 0;
    ds.OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& action) {
        ++calls;
        d->FieldByName("Name")->SetAsString("Fixed");
        action = daRetry;
    };
    ds.Append();
    ds.Post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(F("Name")->AsString(), "Fixed");
    EXPECT_EQ(ds.RecordCount(), 4);
    ds.OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
    ds.Append();
    EXPECT_THROW(ds.Post(), EAbort);
}

TEST_F(Records, CalculatedAndLookupFields) {
    TArrayDataSet orders;
    orders.FieldDefs().Add("Person", ftInteger);
    orders.FieldDefs().Add("Qty", ftInteger);
    ds.Close();
    ds.Open();  // the lookup source must be open
    auto* person = new TIntegerField(&orders);
    person->SetFieldName("Person");
    person->SetDataSet(&orders);
    auto* qty = new TIntegerField(&orders);
    qty->SetFieldName("Qty");
    qty->SetDataSet(&orders);
    auto* name = new TStringField(&orders);
    name->SetFieldName("PersonName");
    name->SetSize(10);
    name->SetFieldKind(fkLookup);
    name->SetLookupDataSet(&ds);
    name->SetKeyFields("Person");
    name->SetLookupKeyFields("ID");
    name->SetLookupResultField("Name");
    name->SetDataSet(&orders);
    auto* twice = new TIntegerField(&orders);
    twice->SetFieldName("Twice");
    twice->SetCalculated(true);
    twice->SetDataSet(&orders);
    orders.OnCalcFields = [](TDataSet* d) {
        d->FieldByName("Twice")->SetAsInteger(d->FieldByName("Qty")->AsInteger() * 2);
    };
    orders.Open();
    EXPECT_GT(orders.CalcFieldsSize(), 0);
    orders.AppendRecord({2, 5});
    orders.AppendRecord({7, 1});
    orders.First();
    EXPECT_EQ(name->AsString(), "bob");
    EXPECT_EQ(twice->AsInteger(), 10);
    orders.Next();
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(twice->AsInteger(), 2);
    // While editing, a data field change recalculates.
    orders.Edit();
    qty->SetAsInteger(4);
    EXPECT_EQ(twice->AsInteger(), 8);
    orders.Cancel();
    orders.Close();
}

TEST_F(Records, PersistentFieldsMustMatchTheirDefinitions) {
    TArrayDataSet other;
    other.SetName("Other");
    other.FieldDefs().Add("Code", ftString, 8);
    auto* wrongSize = new TStringField(&other);
    wrongSize->SetFieldName("Code");
    wrongSize->SetSize(4);
    wrongSize->SetDataSet(&other);
    try {
        other.Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Other: Size mismatch for field 'Code', expecting: 4 actual: 8");
    }
    EXPECT_FALSE(other.Active());
    wrongSize->SetSize(8);
    auto* missing = new TIntegerField(&other);
    missing->SetFieldName("Gone");
    missing->SetDataSet(&other);
    EXPECT_THROW(other.Open(), EDatabaseError);
    delete missing;
    other.Open();
    EXPECT_EQ(other.FieldCount(), 1);
    EXPECT_THROW(wrongSize->SetSize(2), EDatabaseError);  // not while open
}

TEST_F(Records, FieldLayoutChangesReachTheLinks) {
    struct LayoutLink : TDataLink {
        int layouts = 0;
        void LayoutChanged() override { ++layouts; }
    } link;
    TDataSource src;
    src.SetDataSet(&ds);
    link.SetDataSource(&src);
    F("Name")->SetVisible(false);
    F("Name")->SetDisplayLabel("Full name");
    EXPECT_EQ(link.layouts, 2);
    EXPECT_EQ(F("Name")->DisplayName(), "Full name");
    link.SetDataSource(nullptr);
}

TEST_F(Records, BlobFieldsNeedTheDatasetsBlobStream) {
    std::unique_ptr<TField> loose(CreateFieldOfType(ftMemo, nullptr));
    EXPECT_EQ(loose->DisplayText(), "(memo)");
    TArrayDataSet d;
    d.FieldDefs().Add("M", ftMemo);
    d.Open();
    d.Append();
    EXPECT_THROW(d.FieldByName("M")->SetAsString("x"), EDatabaseError);
    d.Cancel();
}

}  // namespace
