#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "memtable/BlobStream.h"
#include "memtable/DeltaHandler.h"
#include "memtable/MemTable.h"
#include "platform/data/DBError.h"
#include "platform/data/StdFields.h"

namespace {

// ID integer, Data blob, Note memo.
std::unique_ptr<TqmtMemTable> Blobs() {
    auto t = std::make_unique<TqmtMemTable>();
    t->FieldDefs().Add("ID", ftInteger);
    t->FieldDefs().Add("Data", ftBlob);
    t->FieldDefs().Add("Note", ftMemo);
    t->Open();
    return t;
}

std::string ReadAll(TStream& s) {
    std::string out(static_cast<size_t>(s.Size()), '\0');
    s.SetPosition(0);
    if (!out.empty()) s.ReadBuffer(out.data(), static_cast<Integer>(out.size()));
    return out;
}

}  // namespace

TEST(BlobStream, WritesReadsAndTruncatesThroughPost) {
    auto t = Blobs();
    TField* data = t->FieldByName("Data");
    t->Append();
    t->FieldByName("ID")->SetAsInteger(1);
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmRead));
        EXPECT_EQ(s->Size(), 0);  // null blob: empty stream
    }
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmWrite));
        s->WriteBuffer("hello world", 11);
    }
    EXPECT_TRUE(t->Modified());
    t->Post();
    EXPECT_FALSE(data->IsNull());
    EXPECT_EQ(data->AsString(), "hello world");

    // Read-write keeps the old bytes; truncating then writing replaces them.
    t->Edit();
    {
        std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmReadWrite));
        EXPECT_EQ(ReadAll(*s), "hello world");
        s->SetSize(5);
        s->Seek(0, soEnd);
        s->WriteBuffer("!", 1);
    }
    t->Post();
    EXPECT_EQ(data->AsString(), "hello!");

    // Cancel leaves the stored value untouched.
    t->Edit();
    data->SetAsString("discarded");
    t->Cancel();
    EXPECT_EQ(data->AsString(), "hello!");

    // Zero bytes written in write mode store null.
    t->Edit();
    { std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmWrite)); }
    t->Post();
    EXPECT_TRUE(data->IsNull());
}

TEST(BlobStream, WriteNeedsEditModeAndAWritableField) {
    auto t = Blobs();
    t->AppendRecord({Variant(1), Variant("abc"), Variant("note")});
    TField* data = t->FieldByName("Data");
    try {
        std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmWrite));
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Dataset is not in edit mode.");
    }
    data->SetReadOnly(true);
    t->Edit();
    try {
        std::unique_ptr<TStream> s(t->CreateBlobStream(data, bmReadWrite));
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message, "Field Data is read only");
    }
    std::unique_ptr<TStream> r(t->CreateBlobStream(data, bmRead));  // reading is allowed
    EXPECT_EQ(ReadAll(*r), "abc");
    t->Cancel();
}

TEST(BlobStream, CompressionEventsSeeTheStoredForm) {
    auto t = Blobs();
    // "Compression" reverses the bytes; what is stored is the reversed form.
    auto reverse = [](TqmtCustomMemTable*, TStream* from, TStream* to) {
        std::string v = ReadAll(*from);
        std::string r(v.rbegin(), v.rend());
        if (!r.empty()) to->WriteBuffer(r.data(), static_cast<Integer>(r.size()));
    };
    t->OnCompressBlobStream = reverse;
    t->OnDecompressBlobStream = reverse;
    t->AppendRecord({Variant(1), Variant("abcdef"), Variant()});
    EXPECT_EQ(t->FieldByName("Data")->AsString(), "abcdef");
    TqmtCommon& s = t->Store();
    const Byte* buf = s.OutOfLineValue(s.SlotRow(0), t->FieldByName("Data")->FieldNo());
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf + 4), 6), "fedcba");
    EXPECT_TRUE(t->FieldByName("Note")->IsNull());
}

namespace {

// Records the state reported for each row by ID, retrying each once.
class RecordingHandler : public TqmtCustomDeltaHandler {
public:
    std::map<int, std::string> Seen;
    int Retries = 0;

protected:
    void Note(const char* what, bool& retry) {
        TField* id = Table()->FieldByName("ID");
        const int key = (Value(id).IsNull() ? OrigValue(id) : Value(id)).AsInteger();
        std::string entry = what;
        if (std::string(what) == "modified")
            entry += " " + VarToStr(OrigValue(Table()->FieldByName("Name"))) + "->" +
                     VarToStr(Value(Table()->FieldByName("Name")));
        Seen[key] = entry;
        if (Retries < 1) {
            ++Retries;
            retry = true;
        }
    }
    void HandleInsertedRow(bool& retry, TUpdateStatus) override { Note("inserted", retry); }
    void HandleDeletedRow(bool& retry, TUpdateStatus) override { Note("deleted", retry); }
    void HandleModifiedRow(bool& retry, TUpdateStatus) override { Note("modified", retry); }
    void HandleUnchangedRow(bool& retry, TUpdateStatus) override { Note("unchanged", retry); }
};

}  // namespace

TEST(DeltaHandler, ReportsEachRowByItsStateSinceTheCheckPoint) {
    TqmtMemTable t;
    t.FieldDefs().Add("ID", ftInteger);
    t.FieldDefs().Add("Name", ftString, 10);
    t.Open();
    for (int i = 1; i <= 3; ++i) t.AppendRecord({Variant(i), Variant("n" + std::to_string(i))});
    t.SetEnableVersioning(true);
    auto edit = [&](int id, const char* name) {
        ASSERT_TRUE(t.Locate("ID", Variant(id), {}));
        t.Edit();
        t.FieldByName("Name")->SetAsString(name);
        t.Post();
    };
    auto remove = [&](int id) {
        ASSERT_TRUE(t.Locate("ID", Variant(id), {}));
        t.Delete();
    };
    edit(1, "one");
    remove(2);
    t.AppendRecord({Variant(4), Variant("n4")});
    edit(4, "four");  // inserted then modified: inserted
    t.AppendRecord({Variant(5), Variant("n5")});
    remove(5);  // inserted then deleted: unchanged

    RecordingHandler h;
    try {
        h.WalkChanges();
        ADD_FAILURE();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message, "Delta handler is not assigned to any memorytables.");
    }
    t.SetDeltaHandler(&h);
    h.WalkChanges();
    EXPECT_EQ(h.Retries, 1);
    const std::map<int, std::string> expected = {
        {1, "modified n1->one"}, {2, "deleted"}, {3, "unchanged"}, {4, "inserted"}, {5, "unchanged"}};
    EXPECT_EQ(h.Seen, expected);
    EXPECT_TRUE(t.AttachedAutoRefresh());
}

TEST(DeltaHandler, TableAndHandlerForgetEachOther) {
    auto h = std::make_unique<RecordingHandler>();
    {
        TqmtMemTable t;
        t.SetDeltaHandler(h.get());
        EXPECT_EQ(h->Table(), &t);
    }
    EXPECT_EQ(h->Table(), nullptr);
    TqmtMemTable t;
    t.SetDeltaHandler(h.get());
    h.reset();
    EXPECT_EQ(t.DeltaHandler(), nullptr);
}
