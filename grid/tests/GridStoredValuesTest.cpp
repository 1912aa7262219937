// Values the real grid class keeps itself: the kind each value is stored
// with, picture names stored at design time as key texts that follow their
// image when it is renamed, damaged or foreign key texts read as plain
// names, copies between grids, and values of a layout read by field name.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/GridForm.h"
#include "grid/tests/GridClassSupport.h"
#include "platform/core/Streams.h"

namespace {

// An image list whose images can be renamed; its identifier is its name.
class TNamedImages : public TgrImageListComponent {
public:
    TNamedImages(const std::string& id, std::vector<std::pair<std::string, std::string>> images)
        : TgrImageListComponent(nullptr), images_(std::move(images)) {
        SetName(id);
    }
    void AddLink(TgrImageLink* link) override { link->ImageListComponent = this; }
    void RemoveLink(TgrImageLink* link) override { link->ImageListComponent = nullptr; }
    Integer ImageCount() override { return Integer(images_.size()); }
    std::string ImageCollectionName(Integer i) override { return Valid(i) ? images_[std::size_t(i)].first : ""; }
    std::string ImageName(Integer i) override { return Valid(i) ? images_[std::size_t(i)].second : ""; }
    void Rename(Integer i, const std::string& name) { images_[std::size_t(i)].second = name; }

private:
    bool Valid(Integer i) const { return i >= 0 && i < Integer(images_.size()); }
    std::vector<std::pair<std::string, std::string>> images_;
};

std::string Key(const std::string& name, const std::string& first, const std::string& second) {
    return name + '\x01' + first + '\x01' + second;
}

std::unique_ptr<TLogGrid> NewGrid(Integer cols, Integer rows) {
    EnsureGuiApplication();
    auto g = std::make_unique<TLogGrid>(nullptr);
    g->SetCols(cols);
    g->SetRows(rows);
    g->SetStoreData(true);
    return g;
}

class StoredPictures : public ::testing::Test {
protected:
    StoredPictures() : grid(NewGrid(3, 4)) {
        grid->Col(1)->SetControlType(ctPicture);
        grid->SetImageList(&icons);
    }
    ~StoredPictures() override { grid->SetImageList(nullptr); }
    std::string Raw(Integer c, Integer r) { return grid->Storage()->GetValue(c, r).AsString(); }
    std::string Read(Integer c, Integer r) { return grid->GetStoredCellValue(c, r, ctPicture).AsString(); }
    void PutRaw(Integer c, Integer r, const std::string& text) {
        grid->Storage()->SetValue(c, r, ckImageRef, Variant(text));
    }
    TNamedImages icons{"Icons", {{"", "red"}, {"flags", "green"}, {"", "blue"}}};
    std::unique_ptr<TLogGrid> grid;
};

TEST_F(StoredPictures, ADesignTimePictureNameIsStoredAsItsKeyTextAndReadAsTheName) {
    grid->SetDesignFlag(true);
    grid->StoreCellValue(1, 1, Variant(std::string("blue")), ctPicture);
    grid->StoreCellValue(1, 2, Variant(std::string("flags.green")), ctPicture);
    grid->StoreCellValue(1, 3, Variant(std::string("unknown")), ctPicture);
    EXPECT_EQ(Raw(1, 1), Key("blue", "0", "2"));
    EXPECT_EQ(Raw(1, 2), Key("flags.green", "0", "1"));
    EXPECT_EQ(Raw(1, 3), "unknown");
    EXPECT_EQ(grid->ImageNames().CommaText(), "Icons");
    EXPECT_EQ(grid->Storage()->GetKind(1, 1), ckImageRef);
    EXPECT_EQ(Read(1, 1), "blue");
    EXPECT_EQ(Read(1, 2), "flags.green");
    EXPECT_EQ(Read(1, 3), "unknown");
    // Through the grid's own value service too.
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "blue");

    // Outside design time a name is stored as it is.
    grid->SetDesignFlag(false);
    grid->StoreCellValue(1, 4, Variant(std::string("red")), ctPicture);
    EXPECT_EQ(Raw(1, 4), "red");
}

TEST_F(StoredPictures, ARenamedImageIsFollowedAndStoredAgain) {
    grid->SetDesignFlag(true);
    grid->StoreCellValue(1, 1, Variant(std::string("blue")), ctPicture);
    grid->StoreCellValue(1, 2, Variant(std::string("flags.green")), ctPicture);
    icons.Rename(2, "navy");
    icons.Rename(1, "lime");
    EXPECT_EQ(Read(1, 1), "navy");
    EXPECT_EQ(Raw(1, 1), Key("navy", "0", "2"));
    EXPECT_EQ(Read(1, 2), "flags.lime");
    EXPECT_EQ(Raw(1, 2), Key("flags.lime", "0", "1"));

    // A program running the form follows the rename as well.
    grid->SetDesignFlag(false);
    icons.Rename(2, "indigo");
    EXPECT_EQ(Read(1, 1), "indigo");
    EXPECT_EQ(grid->GetCellValue(1, 1).AsString(), "indigo");
}

TEST_F(StoredPictures, KeyTextsThatDoNotPointIntoTheListReadAsTheirNames) {
    grid->ImageNames().SetCommaText("Icons,Other");  // Icons 0, Other 1
    struct Case {
        const char* what;
        std::string raw;
        std::string read;
    };
    const Case cases[] = {
        {"another image list", Key("blue", "1", "2"), "blue"},
        {"list index beyond the names", Key("blue", "2", "2"), "blue"},
        {"negative list index", Key("blue", "-1", "2"), "blue"},
        {"image index beyond the list", Key("blue", "0", "3"), "blue"},
        {"letters for numbers", Key("blue", "x", "y"), "blue"},
        {"empty numbers", Key("blue", "", ""), "blue"},
        {"huge numbers", Key("blue", "99999999999999999999", "2"), "blue"},
        {"one number only", "blue\x01" "0", "blue"},
        {"a separator alone", "blue\x01", "blue"},
        {"no name", Key("", "x", "1"), ""},
        {"a plain name", "blue", "blue"},
    };
    for (const Case& c : cases) {
        PutRaw(1, 1, c.raw);
        EXPECT_EQ(Read(1, 1), c.read) << c.what;
        EXPECT_EQ(Raw(1, 1), c.raw) << c.what << ": nothing is stored again outside design time";
        EXPECT_EQ(grid->GetStoredCellValue(1, 1, ctText).AsString(), c.read) << c.what;
    }
}

TEST_F(StoredPictures, AtDesignTimeANameTheListKnowsGetsItsKeyTextWhenRead) {
    grid->SetDesignFlag(true);
    grid->ImageNames().SetCommaText("Icons,Other");
    PutRaw(1, 1, Key("blue", "1", "0"));  // stored for the other list
    PutRaw(1, 2, "red");                   // stored as a plain name
    PutRaw(1, 3, Key("gone", "bad", "7")); // a name the list does not know
    EXPECT_EQ(Read(1, 1), "blue");
    EXPECT_EQ(Raw(1, 1), Key("blue", "0", "2"));
    EXPECT_EQ(Read(1, 2), "red");
    EXPECT_EQ(Raw(1, 2), Key("red", "0", "0"));
    EXPECT_EQ(Read(1, 3), "gone");
    EXPECT_EQ(Raw(1, 3), Key("gone", "bad", "7"));
    // A text cell holding a key text only gives its name.
    grid->Storage()->SetValue(2, 1, ckText, Variant(Key("blue", "0", "0")));
    EXPECT_EQ(grid->GetStoredCellValue(2, 1, ctText).AsString(), Key("blue", "0", "0"));
}

TEST_F(StoredPictures, AnotherListNamedFirstLeavesTheOldKeyTextsWithTheirOwnList) {
    // "Zeta" is stored first; "Alpha" sorts before it and moves it to
    // index 1. Alpha's image 2 has another name, so a key text left
    // pointing at index 0 would turn blue into "yellow".
    grid->SetDesignFlag(true);
    grid->SetImageList(nullptr);
    TNamedImages zeta("Zeta", {{"", "red"}, {"", "green"}, {"", "blue"}});
    TNamedImages alpha("Alpha", {{"", "blue"}, {"", "white"}, {"", "yellow"}});
    grid->SetImageList(&zeta);
    grid->StoreCellValue(1, 1, Variant(std::string("blue")), ctPicture);
    grid->SetImageList(&alpha);
    grid->StoreCellValue(1, 2, Variant(std::string("white")), ctPicture);
    EXPECT_EQ(grid->ImageNames().CommaText(), "Alpha,Zeta");
    EXPECT_EQ(Raw(1, 1), Key("blue", "1", "2"));
    EXPECT_EQ(Raw(1, 2), Key("white", "0", "1"));
    grid->SetImageList(&zeta);
    zeta.Rename(2, "navy");
    EXPECT_EQ(Read(1, 1), "navy");
    grid->SetImageList(&alpha);
    EXPECT_EQ(Read(1, 1), "navy");
    grid->SetImageList(nullptr);
}

TEST_F(StoredPictures, KeyTextsAndImageNamesTravelInFormFiles) {
    grid->SetDesignFlag(true);
    grid->StoreCellValue(1, 1, Variant(std::string("blue")), ctPicture);
    TMemoryStream s;
    SaveGridToFormStream(*grid, s);
    s.Seek(0, soBeginning);
    auto back = NewGrid(3, 4);
    back->SetStoreData(false);
    LoadGridFromFormStream(*back, s);
    EXPECT_EQ(back->ImageNames().CommaText(), "Icons");
    EXPECT_EQ(back->Storage()->GetValue(1, 1).AsString(), Key("blue", "0", "2"));
    icons.Rename(2, "navy");
    back->SetImageList(&icons);
    EXPECT_EQ(back->GetStoredCellValue(1, 1, ctPicture).AsString(), "navy");
    back->SetImageList(nullptr);
}

// ------------------------------------------------------------ value kinds

TEST(StoredValues, EachValueIsStoredWithTheKindOfItsControlType) {
    auto grid = NewGrid(3, 3);
    grid->Col(2)->SetControlType(ctCheck);
    grid->Col(3)->SetControlType(ctPicture);
    struct Case {
        Integer col;
        Variant value;
        TtsCellKind kind;
    };
    const Case cases[] = {
        {1, Variant(Integer(42)), ckText},  {1, Variant(std::string("a")), ckText},
        {2, Variant::NullValue(), ckNull},  {2, Variant(Integer(1)), ckInteger},
        {2, Variant(std::string("Yes")), ckText}, {3, Variant(std::string("pic")), ckImageRef},
    };
    for (const Case& c : cases) {
        TgrControlType type = grid->EffectiveControlType(c.col, 1);
        EXPECT_EQ(ValueKindFor(type, c.value), c.kind);
        grid->StoreCellValue(c.col, 1, c.value, type);
        EXPECT_EQ(grid->Storage()->GetKind(c.col, 1), c.kind) << "column " << c.col;
    }
    EXPECT_EQ(grid->GetStoredCellValue(1, 1, ctText).AsString(), "a");
    grid->StoreCellValue(1, 2, Variant(Integer(42)), ctText);
    EXPECT_TRUE(grid->GetStoredCellValue(1, 2, ctText).IsString());
    EXPECT_EQ(ValueKindFor(ctNone, Variant(Integer(1))), ckEmpty);

    // Text values suit check boxes as well; integers do not suit text.
    grid->Col(1)->SetControlType(ctCheck);
    EXPECT_EQ(grid->GetStoredCellValue(1, 1, ctCheck).AsString(), "a");
    grid->Col(2)->SetControlType(ctText);
    EXPECT_EQ(grid->Storage()->GetKind(2, 1), ckText);
    grid->StoreCellValue(3, 2, Variant(Integer(1)), ctCheck);
    EXPECT_EQ(grid->Storage()->GetKind(3, 2), ckInteger);
    grid->DropUnsuitableValues(3, -1);
    EXPECT_EQ(grid->Storage()->GetKind(3, 1), ckImageRef);
    EXPECT_EQ(grid->Storage()->GetKind(3, 2), ckEmpty);
    // A cell given another control type keeps only what suits it.
    grid->SetCellControlType(1, 1, ctPicture);
    EXPECT_EQ(grid->Storage()->GetKind(1, 1), ckEmpty);
    grid->StoreCellValue(1, 1, Variant(std::string("pic")), ctPicture);
    grid->SetCellControlType(1, 1, ctPicture);
    EXPECT_EQ(grid->Storage()->GetKind(1, 1), ckImageRef);
}

TEST(StoredValues, SwitchingStoreDataOffLosesValuesAndImageNames) {
    auto grid = NewGrid(2, 2);
    grid->StoreCellValue(1, 1, Variant(std::string("a")), ctText);
    grid->ImageNames().Add("Icons");
    grid->SetStoreData(false);
    EXPECT_TRUE(grid->GetStoredCellValue(1, 1, ctText).IsEmpty());
    grid->SetStoreData(true);
    EXPECT_TRUE(grid->GetStoredCellValue(1, 1, ctText).IsEmpty());
    EXPECT_EQ(grid->ImageNames().Count(), 0);
}

TEST(StoredValues, ALargeGridGivesRowsAColumnHintOfAtMost256) {
    auto grid = NewGrid(300, 1000);
    EXPECT_EQ(grid->Storage()->ColCapacityHint, 256);
    EXPECT_EQ(grid->Storage()->RowCapacityHint, 1000);
    grid->SetRows(200);
    EXPECT_EQ(grid->Storage()->ColCapacityHint, 300);
}

// --------------------------------------------------------------- copies

TEST(StoredValues, CopiesTakeValuesAndImageNamesAndAtDesignTimeTheDisplayPositions) {
    auto source = NewGrid(3, 3);
    source->StoreCellValue(1, 1, Variant(std::string("a")), ctText);
    source->StoreCellValue(3, 2, Variant(std::string("b")), ctText);
    source->ImageNames().Add("Icons");
    source->Col(1)->SetDisplayCol(3);  // data column 1 shows at position 3
    source->SetDisplayRow(2, 1);       // data row 2 shows first

    auto copy = NewGrid(3, 3);
    copy->SetStoreData(false);
    copy->CopyStoredData(source.get());
    EXPECT_TRUE(copy->StoreData());
    EXPECT_EQ(copy->ImageNames().CommaText(), "Icons");
    EXPECT_EQ(copy->GetStoredCellValue(1, 1, ctText).AsString(), "a");
    EXPECT_EQ(copy->GetStoredCellValue(3, 2, ctText).AsString(), "b");

    auto designed = NewGrid(3, 3);
    designed->SetDesignFlag(true);
    designed->CopyStoredData(source.get());
    EXPECT_EQ(designed->GetStoredCellValue(3, source->DisplayRowOfData(1), ctText).AsString(), "a");
    EXPECT_EQ(designed->GetStoredCellValue(source->DisplayColOfData(3), 1, ctText).AsString(), "b");
    EXPECT_TRUE(designed->GetStoredCellValue(1, 1, ctText).IsEmpty());

    // A source without stored values switches them off.
    auto plain = NewGrid(3, 3);
    plain->SetStoreData(false);
    copy->CopyStoredData(plain.get());
    EXPECT_FALSE(copy->StoreData());
}

TEST(StoredValues, CopyingLayoutAndDataLetsGoOfWhatLiesBeyondTheGrid) {
    auto source = NewGrid(4, 5);
    source->StoreCellValue(2, 2, Variant(std::string("in")), ctText);
    source->StoreCellValue(4, 1, Variant(std::string("col")), ctText);
    source->StoreCellValue(1, 5, Variant(std::string("row")), ctText);
    auto small = NewGrid(2, 3);
    small->CopyLayoutAndData(source.get());
    EXPECT_EQ(small->GetStoredCellValue(2, 2, ctText).AsString(), "in");
    EXPECT_EQ(small->Storage()->GetKind(4, 1), ckEmpty);
    EXPECT_EQ(small->Storage()->LastUsedRow(), 2);
    small->CopyLayoutAndData(small.get());  // nothing
    EXPECT_EQ(small->GetStoredCellValue(2, 2, ctText).AsString(), "in");
}

TEST(StoredValues, ALayoutReadByFieldNamePutsValuesIntoTheColumnsOfTheSameFieldNames) {
    auto source = NewGrid(3, 2);
    source->Col(1)->SetFieldName("Name");
    source->Col(2)->SetFieldName("Age");
    source->Col(3)->SetFieldName("Gone");
    source->StoreCellValue(1, 1, Variant(std::string("Ann")), ctText);
    source->StoreCellValue(2, 1, Variant(std::string("42")), ctText);
    source->StoreCellValue(3, 2, Variant(std::string("lost")), ctText);
    // Columns only: the rest of the grid and the other columns' values stay.
    TMemoryStream s;
    source->SaveLayoutToStream(s, PropKindBit(pkCols), true, TgrPropIdSet::All());

    auto target = NewGrid(4, 2);
    target->Col(1)->SetFieldName("Age");
    target->Col(2)->SetFieldName("Other");
    target->Col(3)->SetFieldName("Name");
    target->StoreCellValue(2, 2, Variant(std::string("kept")), ctText);
    s.Seek(0, soBeginning);
    target->LoadLayoutFromStream(s, false);
    EXPECT_EQ(target->GetStoredCellValue(3, 1, ctText).AsString(), "Ann");
    EXPECT_EQ(target->GetStoredCellValue(1, 1, ctText).AsString(), "42");
    EXPECT_EQ(target->GetStoredCellValue(2, 2, ctText).AsString(), "kept");
    EXPECT_EQ(target->Storage()->GetKind(4, 2), ckEmpty);
    EXPECT_EQ(target->LayoutColumnMap(), nullptr);

    // By data column the values keep their columns.
    auto same = NewGrid(3, 2);
    s.Seek(0, soBeginning);
    same->LoadLayoutFromStream(s, true);
    EXPECT_EQ(same->GetStoredCellValue(1, 1, ctText).AsString(), "Ann");
    EXPECT_EQ(same->GetStoredCellValue(3, 2, ctText).AsString(), "lost");
}

}  // namespace
