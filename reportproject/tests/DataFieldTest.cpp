// Data rows and the fields that read them.
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "platform/core/Filer.h"
#include "reportproject/VzDataField.h"
#include "reportproject/tests/RowBuilder.h"

namespace {

// A data view stand-in presenting one row.
class TestView : public TVizeContainerComponent, public IVizeRowSource {
public:
    TestView() : TVizeContainerComponent(nullptr) {}
    TVizeDataRow* PresentedRow() override { return &Row; }
    bool IsEmptyView() override { return Empty; }
    TVizeDataRow Row;
    bool Empty = false;
};

template <class F>
F* AddField(TestView& view, int index) {
    auto* f = new F(&view);
    f->SetParent(&view);
    f->SetDataIndex(index);
    return f;
}

}  // namespace

TEST(DataRow, OffsetsTextsAndDamagedBuffers) {
    TVizeDataRow row;
    EXPECT_EQ(row.ValuePtr(0), nullptr);
    EXPECT_EQ(row.ReadText(nullptr), "");
    RowBuilder(3).Int(0, 7).Null(1).Text(0, "seven").Blob(2, "abc").Into(row);
    ASSERT_NE(row.ValuePtr(0), nullptr);
    EXPECT_EQ(row.ValuePtr(1), nullptr);
    EXPECT_EQ(row.TextPtr(1), nullptr);
    EXPECT_EQ(row.ReadText(row.TextPtr(0)), "seven");
    Integer n;
    const Byte* b = row.BlobData(2, n);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), size_t(n)), "abc");
    EXPECT_EQ(row.ValuePtr(5), nullptr);  // beyond the offset table

    TVizeDataRow other;
    row.MoveTo(other);
    EXPECT_EQ(row.Size(), 0);
    EXPECT_EQ(other.ReadText(other.TextPtr(0)), "seven");

    // Offsets and lengths pointing past the end read as null or are cut.
    TVizeDataRow bad;
    std::string buf = RowBuilder::Le32(1000) + RowBuilder::Le32(16) + RowBuilder::Le32(1) +
                      RowBuilder::Le32(99) + "short";
    bad.SetSize(int(buf.size()));
    std::memcpy(bad.Data(), buf.data(), buf.size());
    EXPECT_EQ(bad.ValuePtr(0), nullptr);
    EXPECT_EQ(bad.ReadText(bad.TextPtr(0)), "");
}

TEST(DataField, TypedValuesAndTexts) {
    TestView view;
    RowBuilder(12)
        .Int(0, -42)
        .Int64v(1, (Int64(1) << 40) + 5)
        .Ext(2, 2.7)
        .Int64v(3, 39999)  // 3.9999 as currency
        .Dbl(4, 45000.75)
        .Bool(5, true)
        .Str(6, "value text")
        .Blob(7, "")
        .Blob(8, "")
        .Ext(9, -2.7)
        .Int(10, 1234567)
        .Bool(11, false)
        .Text(11, "no")
        .Into(view.Row);
    auto* i = AddField<TVizeIntegerField>(view, 0);
    auto* i64 = AddField<TVizeInt64Field>(view, 1);
    auto* f = AddField<TVizeFloatField>(view, 2);
    auto* c = AddField<TVizeCurrencyField>(view, 3);
    auto* dt = AddField<TVizeDateTimeField>(view, 4);
    auto* bo = AddField<TVizeBooleanField>(view, 5);
    auto* s = AddField<TVizeStringField>(view, 6);
    auto* memo = AddField<TVizeMemoField>(view, 7);
    auto* g = AddField<TVizeGraphicField>(view, 8);
    auto* fneg = AddField<TVizeFloatField>(view, 9);
    auto* ifmt = AddField<TVizeIntegerField>(view, 10);
    auto* bo2 = AddField<TVizeBooleanField>(view, 11);

    EXPECT_EQ(i->AsInteger(), -42);
    EXPECT_EQ(i->AsString(), "-42");
    EXPECT_EQ(i->AsCurrency(), Currency(-42));
    EXPECT_EQ(i64->AsInt64(), (Int64(1) << 40) + 5);
    EXPECT_EQ(i64->AsInteger(), 5);  // low 32 bits
    EXPECT_EQ(f->AsInteger(), 2);
    EXPECT_EQ(fneg->AsInteger(), -2);
    EXPECT_EQ(f->AsString(), "2.7");
    EXPECT_EQ(c->AsInteger(), 3);
    EXPECT_DOUBLE_EQ(c->AsFloat(), 3.9999);
    EXPECT_EQ(c->AsString(), "3.9999");
    EXPECT_DOUBLE_EQ(dt->AsDate(), 45000);
    EXPECT_DOUBLE_EQ(dt->AsTime(), 0.75);
    EXPECT_EQ(dt->AsString(), "3/15/2023 6:00:00 PM");
    EXPECT_EQ(bo->AsString(), "True");
    bo->SetTextTrue("yes");
    EXPECT_EQ(bo->AsString(), "yes");
    EXPECT_EQ(bo2->AsString(), "no");  // empty TextFalse keeps the row text
    EXPECT_EQ(s->AsString(), "value text");
    EXPECT_EQ(memo->AsString(), "");
    EXPECT_EQ(g->AsString(), "(Graphic)");
    ifmt->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(ifmt->AsString(), "1,234,567.00");
    dt->SetDisplayFormat("yyyy-mm-dd hh:nn");
    EXPECT_EQ(dt->AsString(), "2023-03-15 18:00");

    EXPECT_EQ(i->DataSize(), 4);
    EXPECT_EQ(f->DataSize(), 10);
    EXPECT_EQ(memo->DataSize(), 0);
    ASSERT_NE(memo->AsBlob(), nullptr);
}

TEST(DataField, NullValuesAnswerNullText) {
    TestView view;
    RowBuilder(4).Null(0).Null(1).Null(2).Null(3).Into(view.Row);
    auto* i = AddField<TVizeIntegerField>(view, 0);
    auto* b = AddField<TVizeBooleanField>(view, 1);
    auto* d = AddField<TVizeDateField>(view, 2);
    auto* s = AddField<TVizeStringField>(view, 3);
    EXPECT_TRUE(i->IsNull());
    struct Case {
        std::string text;
        Integer value;
    };
    for (const Case& k : std::vector<Case>{{"0", 0}, {"abc", 0}, {"12", 12}}) {
        i->SetNullText(k.text);
        EXPECT_EQ(i->AsString(), k.text);
        EXPECT_EQ(i->AsInteger(), k.value);
    }
    b->SetTextTrue("Y");
    b->SetNullText("Y");
    EXPECT_TRUE(b->AsBoolean());
    b->SetNullText("y");
    EXPECT_FALSE(b->AsBoolean());
    d->SetNullText("3/15/2023 6:00:00 PM");
    EXPECT_DOUBLE_EQ(d->AsDate(), 45000);
    s->SetNullText("-");
    EXPECT_EQ(s->AsString(), "-");
    EXPECT_EQ(s->AsBlob(), nullptr);
    EXPECT_EQ(s->DataSize(), 0);

    // An empty view makes every field null, whatever its row holds.
    RowBuilder(1).Int(0, 5).Into(view.Row);
    view.Empty = true;
    EXPECT_TRUE(i->IsNull());
    // A field outside a view is null too.
    TVizeIntegerField loose(nullptr);
    EXPECT_TRUE(loose.IsNull());
    EXPECT_EQ(loose.AsInteger(), 0);
}

TEST(DataField, FieldNamesGetBracketsAndCarryTheFullName) {
    struct Case {
        std::string name, stored;
    };
    for (const Case& c : std::vector<Case>{{"First Name", "<First Name>"},
                                           {"Score_2", "Score_2"},
                                           {"<a b>", "<a b>"}}) {
        TVizeStringField f(nullptr);
        f.SetFieldName(c.name);
        EXPECT_EQ(f.FieldName(), c.stored);
    }
    TVizeStringField f(nullptr);
    f.SetFieldName("Old Name");
    f.SetFullName("Old Name");
    f.SetFieldName("New Name");
    EXPECT_EQ(f.FullName(), "New Name");
    f.SetFullName("Custom");
    f.SetFieldName("Third");
    EXPECT_EQ(f.FullName(), "Custom");
}

TEST(DataField, ClassesRegisterWithTheirModule) {
    InitializeVzDataField();
    for (const auto& r : RegistrationList())
        if (r.Group == "VZCL") r.Procedure();
    EXPECT_EQ(ModuleOfClass("TVizeGraphicField"), "VzData");
    EXPECT_EQ(ModuleOfClass("TVizeStringField"), "VzData");
    TVizeClassRef cls = TVizeBCDField::StaticClass();
    EXPECT_TRUE(cls->InheritsFrom(TVizeCurrencyField::StaticClass()));
    std::unique_ptr<TPersistent> made(cls->Construct(nullptr));
    auto* bcd = dynamic_cast<TVizeBCDField*>(made.get());
    ASSERT_NE(bcd, nullptr);
    EXPECT_EQ(bcd->DataType(), dtBCD);
    EXPECT_EQ(bcd->Size(), 10);
}
