#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/Streams.h"
#include "platform/data/StdFields.h"
#include "platform/data/testing/ArrayDataSet.h"

namespace {

template <class F>
F* AddField(TDataSet& ds, const std::string& name, TFieldKind kind = fkData, int size = 0) {
    auto* f = new F(&ds);
    f->SetFieldName(name);
    if (size) f->SetSize(size);
    f->SetFieldKind(kind);
    f->SetDataSet(&ds);
    return f;
}

std::string FieldNames(TDataSet& ds) {
    std::string out;
    for (TField* f : ds.Fields().List()) out += (out.empty() ? "" : " ") + f->FieldName();
    return out;
}

std::string Column(TDataSet& ds, const std::string& field) {
    std::string out;
    ds.First();
    while (!ds.Eof()) {
        out += (out.empty() ? "" : " ") + ds.FieldByName(field)->AsString();
        ds.Next();
    }
    return out;
}

TqmtMemTable* IdText(TComponent* owner, std::initializer_list<std::pair<int, const char*>> rows,
                     const char* textField = "Name") {
    auto* t = new TqmtMemTable(owner);
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add(textField, ftString, 10);
    t->Open();
    for (auto& [id, text] : rows) t->AppendRecord({Variant(id), text ? Variant(text) : Null()});
    return t;
}

// A source with definitions ID, Name and Extra and field objects ID, Calc
// (calculated), Name and Look (looked up in a names table), in that order.
struct CopySource : ::testing::Test {
    TComponent form{nullptr};
    TqmtMemTable* names = IdText(&form, {{1, "one"}, {2, "two"}}, "Label");
    TArrayDataSet source;

    void SetUp() override {
        source.FieldDefs().Add("ID", ftInteger);
        source.FieldDefs().Add("Name", ftString, 10);
        source.FieldDefs().Add("Extra", ftString, 5);
        auto* id = AddField<TIntegerField>(source, "ID");
        id->SetDisplayLabel("Number");
        id->SetDisplayWidth(4);
        id->SetAlignment(taCenter);
        id->SetDisplayFormat("000");
        AddField<TStringField>(source, "Calc", fkCalculated, 12);
        auto* name = AddField<TStringField>(source, "Name", fkData, 10);
        name->SetVisible(false);
        auto* look = AddField<TStringField>(source, "Look", fkLookup, 10);
        look->SetLookupDataSet(names);
        look->SetKeyFields("ID");
        look->SetLookupKeyFields("ID");
        look->SetLookupResultField("Label");
        source.OnCalcFields = [](TDataSet* d) {
            d->FieldByName("Calc")->SetAsString("c" + d->FieldByName("ID")->AsString());
        };
        source.Open();
        source.AppendRecord({1, Null(), "a"});
        source.AppendRecord({2, Null(), "b"});
        source.Close();
        name->SetReadOnly(true);
    }
};

}  // namespace

TEST_F(CopySource, StructureFlagsChooseTheFieldsAndTheirPlaces) {
    struct Case {
        int flags;
        const char* fields;
    };
    const Case cases[] = {
        {mtcpoStructure, "ID Name Extra"},
        {mtcpoStructure | mtcpoOnlyDataFields, "ID Name"},
        {mtcpoStructure | mtcpoOnlyDataFields | mtcpoLookup, "ID Name Look"},
        {mtcpoStructure | mtcpoOnlyDataFields | mtcpoLookup | mtcpoCalculated, "ID Name Calc Look"},
        {mtcpoStructure | mtcpoOnlyDataFields | mtcpoLookup | mtcpoCalculated | mtcpoFieldIndex, "ID Calc Name Look"},
        {mtcpoStructure | mtcpoCalculated | mtcpoFieldIndex, "ID Calc Name Extra"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        TqmtMemTable table(&form);
        table.FieldDefs().Add("Old", ftInteger);
        table.Open();
        table.CopyFromDataSet(&source, c.flags);
        EXPECT_FALSE(source.Active());  // closed again, as it was
        ASSERT_TRUE(table.Active());
        EXPECT_EQ(FieldNames(table), c.fields);
        EXPECT_EQ(Column(table, "ID"), "1 2");
        EXPECT_EQ(Column(table, "Name"), "a b");
        EXPECT_EQ(table.LoadedCount(), 2);
        if (table.FindField("Look")) {
            EXPECT_EQ(Column(table, "Look"), "one two");
        }
        // The fields are the table's own now: they outlive a close.
        table.Close();
        EXPECT_EQ(FieldNames(table), c.fields);
    }
}

TEST_F(CopySource, PropertiesAreCopiedWithTheStructureOrOntoExistingFields) {
    for (int flags : {mtcpoStructure | mtcpoProperties, mtcpoProperties}) {
        SCOPED_TRACE(flags);
        TqmtMemTable table;
        table.FieldDefs().Add("ID", ftInteger);
        table.FieldDefs().Add("Name", ftString, 10);
        std::vector<std::string> setUp;
        table.OnSetupFieldProperties = [&](TqmtCustomMemTable* t, TField* f) {
            EXPECT_EQ(t, &table);
            setUp.push_back(f->FieldName());
        };
        table.CopyFromDataSet(&source, flags);
        TField* id = table.FieldByName("ID");
        EXPECT_EQ(id->DisplayLabel(), "Number");
        EXPECT_EQ(id->DisplayWidth(), 4);
        EXPECT_EQ(id->Alignment(), taCenter);
        EXPECT_EQ(dynamic_cast<TIntegerField*>(id)->DisplayFormat(), "000");
        TField* name = table.FieldByName("Name");
        EXPECT_FALSE(name->Visible());
        EXPECT_TRUE(name->ReadOnly());
        // Read-only fields still receive the copied rows.
        EXPECT_EQ(Column(table, "Name"), "a b");
        EXPECT_NE(std::find(setUp.begin(), setUp.end(), "ID"), setUp.end());
        EXPECT_NE(std::find(setUp.begin(), setUp.end(), "Name"), setUp.end());
    }
    TqmtMemTable table;
    EXPECT_THROW(table.CopyFromDataSet(&source, mtcpoProperties | mtcpoAppend), EMemTableError);
}

TEST_F(CopySource, FieldsMadeLikeOthersAndCopiedDefinitions) {
    TqmtMemTable table(&form);
    source.Open();
    TField* look = table.MakeFieldLike(source.FieldByName("Look"));
    EXPECT_EQ(look->Owner(), &form);
    EXPECT_EQ(look->DataSet(), &table);
    EXPECT_EQ(look->FieldKind(), fkLookup);
    EXPECT_EQ(look->Size(), 10);
    EXPECT_EQ(look->LookupDataSet(), names);
    EXPECT_EQ(look->LookupResultField(), "Label");
    EXPECT_TRUE(dynamic_cast<TStringField*>(look));

    TFieldDefs defs(nullptr);
    TFieldDef* guid = defs.Add("Key", ftGuid, 38, true);
    guid->SetPrecision(3);
    guid->ChildDefs().Add("Part", ftWideString, 7);
    TFieldDef* copy = table.FieldDefs().AddFieldDef();
    TqmtCustomMemTable::CopyFieldDef(guid, copy);
    EXPECT_EQ(copy->Name(), "Key");
    EXPECT_EQ(copy->DataType(), ftString);
    EXPECT_EQ(copy->Size(), 38);
    EXPECT_EQ(copy->Precision(), 3);
    EXPECT_TRUE(copy->Required());
    ASSERT_EQ(copy->ChildDefs().Count(), 1);
    EXPECT_EQ(copy->ChildDefs()[0]->DataType(), ftString);
}

TEST(MemTableCopy, DropFieldsDestroysPersistentFieldsSoADefinitionLoadsTwice) {
    auto* source = IdText(nullptr, {{1, "a"}});
    TqmtCSVStreamFormat format;
    TStringStream text;
    source->SaveWithFormat(text, &format);
    delete source;

    TqmtMemTable table;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        TStringStream in(text.DataString());
        table.LoadWithFormat(in, &format);
        EXPECT_EQ(FieldNames(table), "ID Name");
        EXPECT_EQ(Column(table, "Name"), "a");
    }
    table.DropFields();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.FieldCount(), 0);
    EXPECT_EQ(table.FieldDefs().Count(), 2);
}

TEST(MemTableCopy, MergeEditsMatchesAndAppendsTheRestByFlags) {
    struct Case {
        int flags;
        const char* names;
        int written;
    };
    const Case cases[] = {
        {0, "x y z", 0},
        {mtmfUpdate, "a y z", 1},
        {mtmfAppend, "x y z d", 1},
        {mtmfUpdate | mtmfAppend, "a y z d", 2},
        {mtmfUpdate | mtmfAppend | mtmfOtherKinds, "a y z d", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        std::unique_ptr<TqmtMemTable> source(IdText(nullptr, {{1, "a"}, {4, "d"}}));
        std::unique_ptr<TqmtMemTable> dest(IdText(nullptr, {{1, "x"}, {2, "y"}, {3, "z"}}));
        source->MergeIntoDataSet(dest.get(), "ID", c.flags);
        EXPECT_EQ(Column(*dest, "Name"), c.names);
        EXPECT_EQ(source->SavedCount(), c.written);
    }
}

TEST(MemTableCopy, MergeCopiesNullsAndHonoursTheRecordEvents) {
    std::unique_ptr<TqmtMemTable> source(IdText(nullptr, {{1, nullptr}, {2, "b"}, {3, "c"}}));
    std::unique_ptr<TqmtMemTable> dest(IdText(nullptr, {{1, "x"}}));
    source->OnSaveRecord = [](TqmtCustomMemTable* t, bool& accept) {
        accept = t->FieldByName("ID")->AsInteger() != 2;
    };
    dest->OnLoadRecord = [](TqmtCustomMemTable* t, bool& accept) {
        accept = t->FieldByName("ID")->AsInteger() != 3;
    };
    source->MergeIntoDataSetDefault(dest.get(), "ID");
    EXPECT_EQ(Column(*dest, "ID"), "1");
    EXPECT_TRUE(dest->FieldByName("Name")->IsNull());
    EXPECT_EQ(dest->State(), dsBrowse);

    try {
        source->MergeIntoDataSet(dest.get(), "", mtmfUpdate);
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "There must be at least one field");
    }
    EXPECT_THROW(source->MergeIntoDataSet(dest.get(), "Nope", mtmfUpdate), EDatabaseError);
}

TEST(MemTableCopy, CopyToAClosedTableKeepsTheRowsAndAFailedRowIsCancelled) {
    std::unique_ptr<TqmtMemTable> source(IdText(nullptr, {{1, "a"}, {2, "b"}}));
    TqmtMemTable dest;
    dest.FieldDefs().Add("ID", ftInteger);
    dest.FieldDefs().Add("Name", ftString, 10);
    source->CopyToDataSet(&dest);
    ASSERT_TRUE(dest.Active());
    EXPECT_EQ(Column(dest, "Name"), "a b");
    EXPECT_EQ(source->SavedCount(), 2);

    // A row that fails half-way leaves the destination browsing, not
    // stuck in insert mode with half a row.
    TArrayDataSet strict;
    strict.FieldDefs().Add("ID", ftInteger);
    strict.FieldDefs().Add("Name", ftString, 10);
    strict.Open();
    strict.FieldByName("Name")->OnValidate = [](TField* f) {
        if (f->AsString() == "b") throw EMemTableError("no b");
    };
    EXPECT_THROW(source->CopyToDataSet(&strict), EMemTableError);
    EXPECT_EQ(strict.State(), dsBrowse);
    EXPECT_EQ(strict.RowCount(), 1);
}
