// Field adapters over the engine-cursor window: native values read from the
// window's records and converted by the field's class, lookup values kept
// with the records, blobs through the adapters' stream, key texts.
#include "dbgrid/tests/DBGridTestSupport.h"

#include "dbgrid/DBGridCursor.h"
#include "dbgrid/tests/CursorTestTable.h"
#include "platform/core/DateTime.h"
#include "platform/core/StringList.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Bitmap.h"

namespace {

// A 2x1 bitmap file with a red and a blue pixel.
std::string TwoPixelBitmap() {
    TBitmap b;
    b.SetSize(2, 1);
    b.Canvas()->SetPixel(0, 0, clRed);
    b.Canvas()->SetPixel(1, 0, clBlue);
    std::vector<std::uint8_t> bytes = b.SaveToBytes();
    return std::string(bytes.begin(), bytes.end());
}

// The 8-byte graphic header (count 1, type 0x0100, size of the rest).
std::string WithGraphicHeader(const std::string& data) {
    std::string h = {1, 0, 0, 1};
    for (int i = 0; i < 4; ++i) h += char((data.size() >> (8 * i)) & 0xFF);
    return h + data;
}

class DBGridFieldsCursor : public DBGridFixture {
protected:
    template <class F>
    F* AddField(const char* name, int size = 0) {
        auto* f = new F(cursorTable);
        f->SetFieldName(name);
        if (size) f->SetSize(size);
        f->SetDataSet(cursorTable);
        return f;
    }
    void SetUp() override {
        DBGridFixture::SetUp();
        cities = new TqmtMemTable(form);
        cities->FieldDefs().Add("No", ftInteger);
        cities->FieldDefs().Add("City", ftString, 20);
        cities->Open();
        cities->AppendRecord({1, Variant("Köln")});
        cities->AppendRecord({2, Variant("Bern")});
        cursorTable = new TCursorTable(form);
        id = AddField<TIntegerField>("ID");
        price = AddField<TFloatField>("Price");
        ok = AddField<TBooleanField>("Ok");
        code = AddField<TStringField>("Code", 10);
        day = AddField<TDateField>("Day");
        note = AddField<TMemoField>("Note");
        pic = AddField<TGraphicField>("Pic");
        cityNo = AddField<TIntegerField>("CityNo");
        city = AddField<TStringField>("CityName", 20);
        city->SetFieldKind(fkLookup);
        city->SetLookupDataSet(cities);
        city->SetKeyFields("CityNo");
        city->SetLookupKeyFields("No");
        city->SetLookupResultField("City");
        cursorTable->Open();
        cursorTable->AppendRecord({Variant(1234), Variant(12.5), Variant(true), Variant("ab1234"),
                                   Variant::FromDate(EncodeDate(2024, 3, 5)), Variant("Grüße"),
                                   Variant(WithGraphicHeader(TwoPixelBitmap())), Variant(1)});
        cursorTable->AppendRecord({Variant(7), Variant::NullValue(), Variant(false), Variant::NullValue(),
                                   Variant::NullValue(), Variant::NullValue(), Variant(TwoPixelBitmap()), Variant(2)});
        cursorTable->First();
        source->SetDataSet(cursorTable);
    }
    // Binds the grid: a cursor is cloned with the records as they are now.
    void BindCursor(TgrCursorCharSet charSet = ccsUtf8) {
        cursorTable->CharSet = charSet;
        Bind();
        window = dynamic_cast<TgrScrollDataset*>(grid->RecordWindow());
        ASSERT_NE(window, nullptr);
    }
    // The adapter of a field, reading window row row.
    TgrDBField* At(TField* field, Integer row) {
        window->SetActiveRow(row);
        return grid->FieldList().Items(field->Index());
    }
    TqmtMemTable* cities = nullptr;
    TCursorTable* cursorTable = nullptr;
    TIntegerField *id = nullptr, *cityNo = nullptr;
    TFloatField* price = nullptr;
    TBooleanField* ok = nullptr;
    TStringField *code = nullptr, *city = nullptr;
    TDateField* day = nullptr;
    TMemoField* note = nullptr;
    TGraphicField* pic = nullptr;
    TgrScrollDataset* window = nullptr;
};

TEST_F(DBGridFieldsCursor, TextsFollowTheFieldsFormatsMasksAndDisplayValues) {
    id->SetDisplayFormat("#,##0");
    price->SetCurrency(true);
    ok->SetDisplayValues("Ja;Nein");
    code->SetEditMask(">LL-0000;0;_");
    BindCursor();
    ASSERT_NE(At(id, 1)->CursorWindow(), nullptr);
    struct Case {
        TField* field;
        Integer row;
        std::string display, edit;
    } cases[] = {
        {id, 1, "1,234", "1,234"},
        {price, 1, "$12.50", "12.50"},
        {price, 2, "", ""},
        {ok, 1, "Ja", "Ja"},
        {ok, 2, "Nein", "Nein"},
        {code, 1, "AB-1234", "ab1234"},
        {code, 2, "__-____", ""},
        {day, 1, "3/5/2024", "3/5/2024"},
        {day, 2, "", ""},
        {note, 1, "Grüße", "Grüße"},
    };
    for (const Case& c : cases) {
        TgrDBField* a = At(c.field, c.row);
        EXPECT_EQ(a->GetDisplayText(), c.display) << c.field->FieldName() << c.row;
        EXPECT_EQ(a->GetEditText(), c.edit) << c.field->FieldName() << c.row;
    }
    // An edit format is the edit text's.
    id->SetEditFormat("0");
    EXPECT_EQ(At(id, 1)->GetEditText(), "1234");
    // Values by kind, and no value for a blank field.
    EXPECT_EQ(At(id, 2)->GetAsInteger(), 7);
    EXPECT_TRUE(At(price, 2)->IsNull());
    EXPECT_TRUE(At(price, 2)->GetAsVariant().IsNull());
    EXPECT_DOUBLE_EQ(At(day, 1)->GetAsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_FALSE(At(ok, 2)->GetAsBoolean());
    // The grid's cells are the adapters' texts of the rows' own records.
    EXPECT_EQ(grid->GetCellValue(1, 2).AsString(), "7");
    EXPECT_EQ(grid->GetCellValue(4, 1).AsString(), "AB-1234");
}

TEST_F(DBGridFieldsCursor, TextsOfTheCursorsCharacterSetAreConverted) {
    BindCursor(ccsWindows1252);
    EXPECT_EQ(At(note, 1)->GetDisplayText(), "Grüße");
    // Without transliteration the cursor's bytes stand as they are.
    At(note, 1)->SetTransliterate(false);
    EXPECT_FALSE(note->Transliterate());
    EXPECT_EQ(At(note, 1)->GetAsString(), Utf8ToCp1252("Grüße"));
    // A key is put in the cursor's character set.
    TgrEngineRecord key = window->ScratchRecord();
    ASSERT_TRUE(At(code, 1)->PutKeyText(key, "é"));
    EXPECT_EQ(key[std::size_t(code->FieldNo() - 1)].AsString(), Utf8ToCp1252("é"));
}

TEST_F(DBGridFieldsCursor, LookupValuesAreKeptWithTheWindowsRecords) {
    BindCursor();
    EXPECT_EQ(At(city, 1)->GetDisplayText(), "Köln");
    EXPECT_EQ(At(city, 2)->GetDisplayText(), "Bern");
    // The values were looked up when the records were read: the lookup
    // table can move on.
    cities->Last();
    EXPECT_EQ(At(city, 1)->GetDisplayText(), "Köln");
    // With the lookup table closed, records read anew show nothing.
    cities->Close();
    window->Reopen();
    EXPECT_EQ(At(city, 1)->GetDisplayText(), "");
    EXPECT_TRUE(At(city, 1)->IsNull());
}

TEST_F(DBGridFieldsCursor, KeyTextsBecomeNativeValuesOrAreRefused) {
    ok->SetDisplayValues("Ja;Nein");
    price->SetCurrency(false);
    BindCursor();
    // The Boolean texts are split when the field is read.
    At(ok, 1)->GetDisplayText();
    struct Case {
        TField* field;
        std::string text;
        bool put;
        Variant native;  // Unassigned: a blank
    } cases[] = {
        {ok, "n", true, Variant(0)},      {ok, "NE", true, Variant(0)},  {ok, "j", true, Variant(-1)},
        {ok, "x", false, Variant()},      {id, "42", true, Variant(42)}, {id, "4x", false, Variant()},
        {id, "", true, Variant()},        {price, "2.5", true, Variant(2.5)}, {price, "two", false, Variant()},
        {code, "abcdefghijkl", true, Variant("abcdefghij")},
        {day, "3/5/2024", true, Variant(Integer(EncodeDate(2024, 3, 5)) + 693594)},
    };
    for (const Case& c : cases) {
        TgrEngineRecord key = window->ScratchRecord();
        TgrDBField* a = grid->FieldList().Items(c.field->Index());
        EXPECT_EQ(a->PutKeyText(key, c.text), c.put) << c.field->FieldName() << " " << c.text;
        if (!c.put) continue;
        const Variant& v = key[std::size_t(c.field->FieldNo() - 1)];
        if (c.native.IsEmpty()) EXPECT_TRUE(v.IsEmpty()) << c.text;
        else EXPECT_EQ(v.AsString(), c.native.AsString()) << c.field->FieldName() << " " << c.text;
    }
    // A date the field cannot take raises the conversion error.
    TgrEngineRecord key = window->ScratchRecord();
    EXPECT_ANY_THROW(grid->FieldList().Items(day->Index())->PutKeyText(key, "no date"));
}

TEST_F(DBGridFieldsCursor, BlobsAreReadThroughTheAdaptersStream) {
    BindCursor();
    // A picture after the graphic header, and one without it.
    for (Integer row : {1, 2}) {
        auto* a = dynamic_cast<TgrDBGraphicField*>(At(pic, row));
        ASSERT_NE(a, nullptr);
        TBitmap b;
        a->AssignTo(b);
        ASSERT_EQ(b.Width(), 2) << row;
        EXPECT_EQ(b.Canvas()->GetPixel(0, 0), clRed) << row;
        EXPECT_EQ(b.Canvas()->GetPixel(1, 0), clBlue) << row;
    }
    // The stream reads in pieces and seeks from either end.
    TgrDBBlobStream s(dynamic_cast<TgrDBBlobField*>(At(note, 1)), false);
    EXPECT_EQ(s.Size(), Int64(std::string("Grüße").size()));
    char part[3] = {};
    EXPECT_EQ(s.Read(part, 2), 2);
    EXPECT_EQ(std::string(part, 2), "Gr");
    EXPECT_EQ(s.Seek(-1, soEnd), s.Size() - 1);
    EXPECT_EQ(s.Read(part, 3), 1);
    EXPECT_EQ(part[0], 'e');
    EXPECT_EQ(s.Read(part, 3), 0);
    // Lines of a memo.
    TStringList lines;
    dynamic_cast<TgrDBBlobField*>(At(note, 1))->AssignTo(lines);
    EXPECT_EQ(lines.Text(), "Grüße\r\n");
    // A blank blob has no bytes.
    EXPECT_EQ(At(note, 2)->GetAsString(), "");
}

TEST_F(DBGridFieldsCursor, ABlobIsCopiedFromAnotherAdapterIntoTheRecord) {
    BindCursor();
    auto* from = dynamic_cast<TgrDBBlobField*>(At(note, 1));
    TgrFieldList list(nullptr);
    auto target = std::unique_ptr<TgrDBField>(list.CreateAdapter(pic));
    cursorTable->Last();
    cursorTable->Edit();
    // The source reads the window's first row, the target writes the
    // dataset's record.
    window->SetActiveRow(1);
    dynamic_cast<TgrDBBlobField*>(target.get())->Assign(*from);
    cursorTable->Post();
    EXPECT_EQ(pic->AsString(), "Grüße");
}

}  // namespace
