#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "grid/GRGLib.h"
#include "grid/GRGLibCanvas.h"
#include "grid/Tts2DStorage.h"
#include "platform/core/Streams.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Written(const Tts2DStorage& store) {
    TStringStream s;
    store.WriteCellData(s);
    return s.DataString();
}

std::string Le(Integer v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[std::size_t(i)] = char((std::uint32_t(v) >> (8 * i)) & 0xFF);
    return b;
}

// Reads cell data from bytes into store.
void Read(Tts2DStorage& store, const std::string& bytes, const std::vector<Integer>* map = nullptr) {
    TStringStream s(bytes);
    store.ReadCellData(s, map);
}

std::string Text(const Tts2DStorage& store, Integer col, Integer row) { return VarToStr(store.GetValue(col, row)); }

// The shared bitmap set is process-wide: each test starts and ends without
// one.
class CellStore : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        FreeSharedBitmapSet();
    }
    void TearDown() override { FreeSharedBitmapSet(); }
};

}  // namespace

TEST(MemoryCanvas, SurfaceGrowsWhileInUseAndGoesWithTheLastUser) {
    EnsureGuiApplication();
    TgrMemoryCanvas mc;
    EXPECT_EQ(mc.MemDC(), nullptr);
    mc.Acquire(nullptr, 100, 20);
    mc.Acquire(nullptr, 50, 40);
    EXPECT_EQ(mc.SurfaceWidth(), 100);
    EXPECT_EQ(mc.SurfaceHeight(), 40);
    EXPECT_EQ(mc.Surface()->Width(), 100);
    EXPECT_EQ(mc.Surface()->Height(), 40);
    EXPECT_EQ(mc.UseCount(), 2);
    ASSERT_NE(mc.MemDC(), nullptr);
    mc.SetClipRect(TRect(0, 0, 10, 10));
    EXPECT_EQ(mc.MemDC()->ClipRect(), TRect(0, 0, 10, 10));
    mc.Release();
    EXPECT_NE(mc.MemDC(), nullptr);
    mc.Release();
    EXPECT_EQ(mc.MemDC(), nullptr);
    EXPECT_EQ(mc.SurfaceWidth(), 0);
    mc.Release();  // one release too many is ignored
    EXPECT_EQ(mc.UseCount(), 0);
}

TEST(MemoryCanvas, LockIsReentrantAndTellsAnotherGridsPaint) {
    TgrMemoryCanvas mc;
    int gridA = 0, gridB = 0;
    mc.Lock(&gridA);
    EXPECT_FALSE(mc.IsHeldForOtherGrid(&gridA));
    EXPECT_TRUE(mc.IsHeldForOtherGrid(&gridB));
    bool otherThreadSees = true;
    std::thread([&] { otherThreadSees = mc.IsHeldForOtherGrid(&gridB); }).join();
    EXPECT_FALSE(otherThreadSees);
    mc.Lock(&gridB);  // the same thread is not blocked
    EXPECT_EQ(mc.LockGrid(), &gridB);
    mc.Unlock();
    // The outer paint holds the lock again.
    EXPECT_EQ(mc.LockGrid(), &gridA);
    EXPECT_TRUE(mc.IsHeldForOtherGrid(&gridB));
    mc.Unlock();
    EXPECT_EQ(mc.LockGrid(), nullptr);
    EXPECT_FALSE(mc.IsHeldForOtherGrid(&gridB));
}

TEST_F(CellStore, SharedBitmapsLiveUntilTheirLastReference) {
    TBitmap outside;
    ReferenceBitmap(&outside, false);  // no set yet: nothing happens
    EXPECT_EQ(SharedBitmapSet(), nullptr);

    TgrBitmapElement* e = NewSharedBitmap();
    TBitmap* b = e->Bitmap;
    EXPECT_TRUE(e->OwnsBitmap);
    EXPECT_EQ(e->RefCount, 0);
    ReferenceBitmap(b, false);
    ReferenceBitmap(b, false);
    ReferenceBitmap(&outside, false);  // not in the set: not added
    EXPECT_EQ(FindSharedBitmap(&outside), nullptr);
    ReferenceBitmap(b, true);
    ASSERT_EQ(FindSharedBitmap(b), e);
    EXPECT_EQ(e->RefCount, 1);
    ReferenceBitmap(b, true);
    EXPECT_EQ(FindSharedBitmap(b), nullptr);
    EXPECT_EQ(SharedBitmapSet()->Count(), 0);

    // A set that does not own its bitmap leaves it alone.
    TgrBitmapSet set;
    TgrBitmapElement* mine = FindOrAddBitmap(&set, &outside);
    EXPECT_EQ(FindOrAddBitmap(&set, &outside), mine);
    mine->RefCount = 1;
    ReleaseBitmapElement(&set, &outside);
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(outside.Width(), 0);
}

TEST_F(CellStore, ContainsWindowHandleSearchesGrandchildren) {
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* edit = new TEdit(form);
    edit->SetParent(panel);
    auto* other = new TEdit(nullptr);
    EXPECT_TRUE(ContainsWindowHandle(edit->Widget(), form));
    EXPECT_TRUE(ContainsWindowHandle(form->Widget(), form));
    EXPECT_FALSE(ContainsWindowHandle(other->Widget(), form));
    EXPECT_FALSE(ContainsWindowHandle(edit->Widget(), nullptr));
    delete other;
    delete form;

    TBitmap* p = new TBitmap();
    FreeAndClear(p);
    EXPECT_EQ(p, nullptr);
}

TEST_F(CellStore, ValuesByKind) {
    Tts2DStorage store(5, 10);
    TBitmap bitmap;
    store.SetValue(1, 1, ckText, Variant("abc"));
    store.SetValue(2, 1, ckInteger, Variant(42));
    store.SetValue(3, 1, ckNull, Variant::NullValue());
    store.SetValue(4, 1, ckImageRef, Variant("pic"));
    store.SetValue(5, 1, ckBitmap, ObjectToVariant(&bitmap));
    EXPECT_EQ(store.GetValue(1, 1).AsString(), "abc");
    EXPECT_EQ(store.GetValue(2, 1).Type(), varInteger);
    EXPECT_TRUE(store.GetValue(3, 1).IsNull());
    EXPECT_EQ(store.GetKind(4, 1), ckImageRef);
    EXPECT_EQ(VariantToObject(store.GetValue(5, 1)), &bitmap);
    EXPECT_TRUE(store.GetValue(6, 1).IsEmpty());
    EXPECT_TRUE(store.GetValue(1, 99).IsEmpty());
    EXPECT_EQ(store.GetKind(1, 99), ckEmpty);

    // A value that does not convert leaves the cell as it was.
    EXPECT_THROW(store.SetValue(2, 1, ckInteger, Variant("x")), EVariantError);
    EXPECT_EQ(store.GetValue(2, 1).AsInteger(), 42);
    store.SetValue(2, 1, ckText, Variant("now text"));
    EXPECT_EQ(store.GetKind(2, 1), ckText);
    store.SetValue(1, 1, ckText, Variant());
    EXPECT_EQ(store.GetKind(1, 1), ckEmpty);

    // Growth follows the hints.
    EXPECT_EQ(store.RowTableCapacity(), 11);
    EXPECT_EQ(store.RowColCount(1), 5);
    store.SetValue(7, 1, ckInteger, Variant(1));
    EXPECT_EQ(store.RowColCapacity(1), 17);
    store.SetValue(1, 30, ckInteger, Variant(1));
    EXPECT_EQ(store.RowTableCapacity(), 40);
    EXPECT_EQ(store.LastUsedRow(), 30);
    EXPECT_EQ(store.LastUsedCol(1), 7);
}

TEST_F(CellStore, SaveAndRestoreRow) {
    Tts2DStorage store(4, 5);
    store.SetValue(1, 4, ckText, Variant("keep"));
    store.SetValue(3, 4, ckInteger, Variant(7));
    store.SaveRow(4);
    store.SetValue(1, 4, ckText, Variant("changed"));
    store.SetValue(2, 4, ckNull, Variant::NullValue());
    store.ClearCell(3, 4);
    store.RestoreRow(4);
    EXPECT_EQ(Text(store, 1, 4), "keep");
    EXPECT_EQ(store.GetKind(2, 4), ckEmpty);
    EXPECT_EQ(store.GetValue(3, 4).AsInteger(), 7);
    EXPECT_EQ(store.LastUsedCol(0), 0);
    EXPECT_EQ(store.RowColCapacity(0), 0);
}

TEST_F(CellStore, DeleteColumnsAndRows) {
    Tts2DStorage store(5, 5);
    for (Integer c = 1; c <= 5; ++c) store.SetValue(c, 2, ckInteger, Variant(c * 10));
    store.SetValue(1, 3, ckText, Variant("short"));
    store.DeleteColumns(2, 3);
    EXPECT_EQ(store.LastUsedCol(2), 3);
    EXPECT_EQ(store.GetValue(2, 2).AsInteger(), 40);
    EXPECT_EQ(store.GetValue(3, 2).AsInteger(), 50);
    EXPECT_EQ(Text(store, 1, 3), "short");  // a row shorter than the range keeps its cells
    store.DeleteColumns(3, 1);              // an inverted range does nothing
    EXPECT_EQ(store.LastUsedCol(2), 3);

    store.SetValue(1, 4, ckText, Variant("four"));
    store.DeleteRows(2, 3);
    EXPECT_EQ(Text(store, 1, 2), "four");
    EXPECT_EQ(store.LastUsedRow(), 2);
    EXPECT_EQ(store.RowTableCapacity(), 4);
    store.DeleteRows(50, 60);
    EXPECT_EQ(store.RowTableCapacity(), 4);
}

TEST_F(CellStore, AssignCopiesUsedRowsButNotTheSavedRow) {
    Tts2DStorage a(3, 3), b(2, 2);
    a.SetValue(2, 1, ckText, Variant("x"));
    a.SetValue(1, 5, ckInteger, Variant(5));
    a.SaveRow(1);
    b.SetValue(1, 9, ckText, Variant("gone"));
    b.Assign(a);
    EXPECT_EQ(Text(b, 2, 1), "x");
    EXPECT_EQ(b.GetValue(1, 5).AsInteger(), 5);
    EXPECT_TRUE(b.GetValue(1, 9).IsEmpty());
    EXPECT_EQ(b.LastUsedCol(0), 0);
    EXPECT_EQ(b.RowTableCapacity(), 6);
    Tts2DStorage empty(1, 1);
    b.Assign(empty);
    EXPECT_EQ(b.RowTableCapacity(), 0);
}

TEST_F(CellStore, WritesTheGoldenCellData) {
    Tts2DStorage store(8, 8);
    store.SetValue(1, 1, ckText, Variant("Ann"));
    store.SetValue(2, 1, ckInteger, Variant(42));
    store.SetValue(3, 1, ckNull, Variant::NullValue());
    store.SetValue(4, 1, ckImageRef, Variant("pic"));
    store.SetValue(2, 3, ckText, Variant("\xC3\xA9"));
    store.SetValue(1, 4, ckInteger, Variant(-7));
    store.SetValue(5, 4, ckText, Variant("cleared"));
    store.ClearCell(5, 4);
    store.SetValue(1, 0, ckText, Variant("saved rows are never written"));
    const std::string golden = ReadFile(std::string(OMR_TEST_DATA) + "/CellData.bin");
    ASSERT_EQ(golden.size(), 67u);
    EXPECT_EQ(Written(store), golden);

    Tts2DStorage back(2, 2);
    Read(back, golden);
    EXPECT_EQ(Written(back), golden);
    EXPECT_EQ(Text(back, 1, 1), "Ann");
    EXPECT_EQ(back.GetValue(2, 1).AsInteger(), 42);
    EXPECT_TRUE(back.GetValue(3, 1).IsNull());
    EXPECT_EQ(back.GetKind(4, 1), ckImageRef);
    EXPECT_EQ(back.GetKind(1, 3), ckEmpty);
    EXPECT_EQ(Text(back, 2, 3), "\xC3\xA9");
    EXPECT_EQ(back.GetValue(1, 4).AsInteger(), -7);
}

TEST_F(CellStore, SmallStreams) {
    Tts2DStorage store(4, 4);
    store.SetValue(1, 1, ckText, Variant("x"));
    store.ClearCell(1, 1);
    EXPECT_EQ(Written(store), Le(0) + Le(0));

    store.SetValue(3, 2, ckText, Variant("ab"));
    std::string got = Written(store);
    EXPECT_EQ(got.size(), 25u);
    EXPECT_EQ(got, Le(2) + Le(3) + std::string("\0\0\1", 3) + Le(2) + "ab" + Le(0) + Le(0));
}

TEST_F(CellStore, ColumnMapsAndOddRows) {
    // Stream: row 1 with cells "a", "b", "c"; row -2 with "z".
    std::string bytes = Le(1) + Le(3);
    for (const char* t : {"a", "b", "c"}) bytes += std::string("\1", 1) + Le(1) + t;
    bytes += Le(-2) + Le(1) + std::string("\1", 1) + Le(1) + "z";
    bytes += Le(0) + Le(0);

    Tts2DStorage store(4, 4);
    store.SetValue(5, 1, ckText, Variant("old5"));
    store.SetValue(4, 1, ckText, Variant("old4"));
    std::vector<Integer> map{4, 0};  // column 1 to 4, column 2 dropped, column 3 stays 3
    Read(store, bytes, &map);
    EXPECT_EQ(Text(store, 4, 1), "a");
    EXPECT_EQ(Text(store, 3, 1), "c");
    EXPECT_TRUE(store.GetValue(2, 1).IsEmpty());
    EXPECT_EQ(Text(store, 5, 1), "old5");  // columns outside the map are kept
    EXPECT_EQ(store.LastUsedRow(), 1);      // the negative row stored nothing

    Read(store, bytes);  // without a map the store is replaced
    EXPECT_EQ(Text(store, 1, 1), "a");
    EXPECT_TRUE(store.GetValue(5, 1).IsEmpty());
}

TEST_F(CellStore, BrokenStreamsRaiseReadErrors) {
    std::string good = Le(1) + Le(1) + std::string("\1", 1) + Le(3) + "abc" + Le(0) + Le(0);
    const std::string broken[] = {
        good.substr(0, good.size() - 2),                             // cut short
        Le(1) + Le(1) + std::string("\1", 1) + Le(1000000) + "abc",  // text longer than the stream
        Le(1) + Le(1) + std::string("\x09", 1) + Le(0) + Le(0),      // unknown kind
        Le(1) + Le(1) + std::string("\3", 1) + Le(2000000000) + Le(0) + Le(0),  // bitmap number out of reach
        Le(1) + Le(-5) + Le(0) + Le(0),                              // negative cell count
        // 25 bytes naming a row near the integer limit (the growth step
        // overflowed) and row 50,000,000 (50 million row slots were made).
        Le(2147483640) + Le(3) + std::string("\0\0\1", 3) + Le(2) + "ab" + Le(0) + Le(0),
        Le(50000000) + Le(3) + std::string("\0\0\1", 3) + Le(2) + "ab" + Le(0) + Le(0),
    };
    for (const auto& b : broken) {
        Tts2DStorage store(2, 2);
        EXPECT_THROW(Read(store, b), EReadError) << b.size();
    }
    EXPECT_TRUE(SharedBitmapSet() == nullptr || SharedBitmapSet()->Count() == 0);
}

TEST_F(CellStore, BitmapsAreWrittenOnceAndSharedAfterReading) {
    TBitmap picture;
    picture.SetSize(3, 2);
    picture.Canvas()->SetPixel(1, 1, clRed);
    TBitmap second;
    second.SetSize(1, 1);
    Tts2DStorage store(4, 4);
    store.SetValue(1, 1, ckBitmap, ObjectToVariant(&picture));
    store.SetValue(2, 2, ckBitmap, ObjectToVariant(&picture));
    store.SetValue(3, 2, ckBitmap, ObjectToVariant(&second));
    std::string bytes = Written(store);

    // Row 1: one cell numbered 1; row 2: numbers 1 and 2.
    std::string cells = Le(1) + Le(1) + "\3" + Le(1) + Le(2) + Le(3) + std::string("\0", 1) + "\3" + Le(1) + "\3" +
                        Le(2) + Le(0) + Le(2);
    ASSERT_GT(bytes.size(), cells.size());
    EXPECT_EQ(bytes.substr(0, cells.size()), cells);
    EXPECT_EQ(bytes.substr(cells.size(), 2), "BM");

    Tts2DStorage back(4, 4);
    Read(back, bytes);
    auto* b1 = static_cast<TBitmap*>(VariantToObject(back.GetValue(1, 1)));
    ASSERT_NE(b1, nullptr);
    EXPECT_EQ(VariantToObject(back.GetValue(2, 2)), b1);
    EXPECT_NE(b1, &picture);
    EXPECT_EQ(b1->Width(), 3);
    EXPECT_EQ(b1->Canvas()->GetPixel(1, 1), clRed);
    ASSERT_NE(FindSharedBitmap(b1), nullptr);
    EXPECT_EQ(FindSharedBitmap(b1)->RefCount, 2);
    EXPECT_EQ(Written(back), bytes);

    back.ClearCell(1, 1);
    EXPECT_EQ(FindSharedBitmap(b1)->RefCount, 1);
    back.ClearCell(2, 2);
    EXPECT_EQ(FindSharedBitmap(b1), nullptr);  // freed with its last cell

    // Cells dropped by the column map leave no bitmap behind.
    Tts2DStorage mapped(4, 4);
    std::vector<Integer> map{0, 0, 0};
    Read(mapped, bytes, &map);
    EXPECT_EQ(mapped.LastUsedRow(), 0);
    EXPECT_EQ(SharedBitmapSet()->Count(), 1);  // only the one still held by back

    // Both stream columns go to column 1: row 1's bitmap cell is
    // overwritten by text before row 2 names bitmap 1 again and its file is
    // read. The bitmap lives on for row 2 alone.
    const std::string files = bytes.substr(cells.size());
    std::vector<Integer> onto1{1, 1};
    Tts2DStorage over(4, 4);
    Read(over, Le(1) + Le(2) + "\3" + Le(1) + "\1" + Le(1) + "x" + Le(2) + Le(2) + std::string("\0", 1) + "\3" + Le(1) +
                   Le(0) + Le(1) + files,
         &onto1);
    EXPECT_EQ(Text(over, 1, 1), "x");
    auto* kept = static_cast<TBitmap*>(VariantToObject(over.GetValue(1, 2)));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Width(), 3);
    ASSERT_NE(FindSharedBitmap(kept), nullptr);
    EXPECT_EQ(FindSharedBitmap(kept)->RefCount, 1);
    over.ClearCell(1, 2);
    EXPECT_EQ(SharedBitmapSet()->Count(), 1);  // again only the one held by back
}

TEST(BitmapFiles, EmptyBitmapsRoundTrip) {
    EnsureGuiApplication();
    TStringStream s;
    TBitmap empty;
    WriteBitmapFile(s, &empty);
    WriteBitmapFile(s, nullptr);
    EXPECT_EQ(s.Size(), 108);
    s.SetPosition(0);
    TBitmap back;
    back.SetSize(4, 4);
    ReadBitmapFile(s, &back);
    EXPECT_TRUE(back.Empty());
    TStringStream bad(std::string("XX") + std::string(60, '\0'));
    EXPECT_THROW(ReadBitmapFile(bad, &back), EReadError);
}
