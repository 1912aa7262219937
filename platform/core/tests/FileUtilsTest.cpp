#include "platform/core/FileUtils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "TextTestSupport.h"

TEST(FilePaths, Parts) {
    struct Case { const char* path; const char* name; const char* fpath; const char* dir; const char* ext; };
    const Case cases[] = {
        {"/a/b/c.txt", "c.txt", "/a/b/", "/a/b", ".txt"},
        {"c.tar.gz", "c.tar.gz", "", "", ".gz"},
        {"/a.d/noext", "noext", "/a.d/", "/a.d", ""},
        {"/root.ini", "root.ini", "/", "/", ".ini"},
        {"dir/", "", "dir/", "dir", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.name, ExtractFileName(c.path));
        EXPECT_EQ(c.fpath, ExtractFilePath(c.path));
        EXPECT_EQ(c.dir, ExtractFileDir(c.path));
        EXPECT_EQ(c.ext, ExtractFileExt(c.path));
    }
    EXPECT_EQ("/a/b.bak", ChangeFileExt("/a/b.txt", ".bak"));
    EXPECT_EQ("/a.d/b.bak", ChangeFileExt("/a.d/b", ".bak"));
    EXPECT_EQ("/a/b", ChangeFileExt("/a/b.txt", ""));
    EXPECT_EQ("/a/", IncludeTrailingPathDelimiter("/a"));
    EXPECT_EQ("/a/", IncludeTrailingPathDelimiter("/a/"));
    EXPECT_EQ("/a", ExcludeTrailingPathDelimiter("/a/"));
    EXPECT_EQ("/", ExcludeTrailingPathDelimiter("/"));
}

TEST(FilePaths, ExpandFileName) {
    EXPECT_EQ("/a/c", ExpandFileName("/a/b/../c"));
    EXPECT_EQ("/a/b/", ExpandFileName("/a/./b//"));
    EXPECT_EQ("/", ExpandFileName("/.."));
    char cwd[4096];
    ASSERT_NE(nullptr, ::getcwd(cwd, sizeof cwd));
    EXPECT_EQ(IncludeTrailingPathDelimiter(cwd) + "x.ini", ExpandFileName("x.ini"));
}

TEST(FileOps, ExistsCreateDeleteRename) {
    TempFolder tmp;
    const std::string f = tmp / "a.txt";
    EXPECT_FALSE(FileExists(f));
    EXPECT_EQ(-1, FileSize(f));
    WriteAll(f, "hello");
    EXPECT_TRUE(FileExists(f));
    EXPECT_FALSE(DirectoryExists(f));
    EXPECT_EQ(5, FileSize(f));
    EXPECT_FALSE(FileExists(tmp.Path()));  // a folder is not a file
    EXPECT_TRUE(DirectoryExists(tmp.Path()));

    EXPECT_TRUE(ForceDirectories(tmp / "x/y/z/"));
    EXPECT_TRUE(DirectoryExists(tmp / "x/y/z"));
    EXPECT_FALSE(ForceDirectories(f + "/sub"));  // a file is in the way

    WriteAll(tmp / "b.txt", "other");
    EXPECT_FALSE(RenameFile(f, tmp / "b.txt"));  // never overwrites
    EXPECT_EQ("other", ReadAll(tmp / "b.txt"));
    EXPECT_TRUE(RenameFile(f, tmp / "c.txt"));
    EXPECT_FALSE(FileExists(f));
    EXPECT_TRUE(DeleteFile(tmp / "c.txt"));
    EXPECT_FALSE(DeleteFile(tmp / "c.txt"));
}

TEST(FileOps, CopyFileTo) {
    TempFolder tmp;
    std::string big(200000, 'q');
    big[12345] = '\0';
    WriteAll(tmp / "src", big);
    EXPECT_TRUE(CopyFileTo(tmp / "src", tmp / "dst"));
    EXPECT_EQ(big, ReadAll(tmp / "dst"));
    WriteAll(tmp / "dst", "keep");
    EXPECT_FALSE(CopyFileTo(tmp / "src", tmp / "dst"));
    EXPECT_EQ("keep", ReadAll(tmp / "dst"));
    EXPECT_TRUE(CopyFileTo(tmp / "src", tmp / "dst", false));
    EXPECT_EQ(big, ReadAll(tmp / "dst"));
    EXPECT_FALSE(CopyFileTo(tmp / "missing", tmp / "new"));
    EXPECT_FALSE(FileExists(tmp / "new"));
    EXPECT_FALSE(CopyFileTo(tmp / "src", tmp / "nofolder/dst"));
}
