#include "platform/core/Streams.h"

#include <gtest/gtest.h>
#include <memory>

#include "TextTestSupport.h"
#include "platform/core/Exception.h"

// The memory-backed streams share the contract; check it on each.
template <class S>
class MemoryBackedStream : public ::testing::Test {};
using MemoryKinds = ::testing::Types<TMemoryStream, TStringStream>;
TYPED_TEST_SUITE(MemoryBackedStream, MemoryKinds);

TYPED_TEST(MemoryBackedStream, ReadWriteSeek) {
    TypeParam s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(5, s.Size());
    EXPECT_EQ(5, s.Position());
    char buf[8] = {};
    EXPECT_EQ(0, s.Read(buf, 1));  // at the end
    EXPECT_EQ(1, s.Seek(1, soBeginning));
    EXPECT_EQ(3, s.Read(buf, 3));
    EXPECT_EQ(std::string("ell"), std::string(buf, 3));
    EXPECT_EQ(3, s.Seek(-2, soEnd));
    s.WriteBuffer("LOW", 3);  // overwrites and extends
    EXPECT_EQ(6, s.Size());
    s.SetPosition(0);
    EXPECT_EQ(6, s.Read(buf, 8));
    EXPECT_EQ(std::string("helLOW"), std::string(buf, 6));
    s.SetSize(2);
    EXPECT_EQ(2, s.Size());
    EXPECT_EQ(2, s.Position());
}

TYPED_TEST(MemoryBackedStream, ShortReadRaises) {
    TypeParam s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buf[4];
    try {
        s.ReadBuffer(buf, 4);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ("Stream read error", e.Message);
    }
}

TEST(StringStream, DataStringAndReadString) {
    TStringStream s("héllo");
    EXPECT_EQ(6, s.Size());
    EXPECT_EQ(0, s.Position());
    EXPECT_EQ("hé", s.ReadString(3));
    EXPECT_EQ("llo", s.ReadString());
    s.WriteString("!");
    EXPECT_EQ("héllo!", s.DataString());
}

TEST(FileStream, CreateWriteReopenRead) {
    TempFolder tmp;
    const std::string path = tmp / "f.bin";
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("0123456789", 10);
        EXPECT_EQ(10, f.Size());
    }
    {
        TFileStream f(path, fmOpenReadWrite | fmShareDenyNone);
        f.Seek(-3, soEnd);
        f.WriteBuffer("XYZ", 3);
        f.SetSize(8);
        EXPECT_EQ(8, f.Size());
    }
    TFileStream f(path, fmOpenRead);
    char buf[16];
    EXPECT_EQ(8, f.Read(buf, 16));
    EXPECT_EQ(std::string("0123456X"), std::string(buf, 8));
    f.SetPosition(0);
    EXPECT_THROW(f.ReadBuffer(buf, 9), EReadError);
    // A read-only stream cannot be written.
    try {
        f.WriteBuffer("a", 1);
        FAIL() << "no exception";
    } catch (const EWriteError& e) {
        EXPECT_EQ("Stream write error", e.Message);
    }
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile) {
    TempFolder tmp;
    const std::string missing = tmp / "missing.bin";
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ("Cannot open file \"" + missing + "\". No such file or directory", e.Message);
    }
    const std::string badDir = tmp / "no/such/dir.bin";
    try {
        TFileStream f(badDir, fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ("Cannot create file \"" + badDir + "\". No such file or directory", e.Message);
    }
    EXPECT_THROW(TFileStream(tmp.Path(), fmOpenRead), EFOpenError);  // a folder
}

TEST(Stream, CopyFromAndFiles) {
    TempFolder tmp;
    TStringStream src("abcdef");
    TMemoryStream mem;
    src.SetPosition(4);
    EXPECT_EQ(6, mem.CopyFrom(src, 0));  // 0 = all, from the start
    EXPECT_EQ(std::string("abcdef"), std::string(mem.Memory(), 6));
    src.SetPosition(1);
    mem.Clear();
    EXPECT_EQ(2, mem.CopyFrom(src, 2));
    EXPECT_EQ(std::string("bc"), std::string(mem.Memory(), 2));
    EXPECT_THROW(mem.CopyFrom(src, 10), EReadError);

    mem.SaveToFile(tmp / "m.bin");
    EXPECT_EQ("bc", ReadAll(tmp / "m.bin"));
    TMemoryStream back;
    back.LoadFromFile(tmp / "m.bin");
    EXPECT_EQ(mem.Size(), back.Size());
    EXPECT_EQ(0, back.Position());
}
