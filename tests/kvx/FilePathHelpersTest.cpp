#include "FilePathHelpers.h"

#include <gtest/gtest.h>

using namespace yx::kvx;

TEST(FilePathHelpers, ExtensionOnlyAfterTheLastSeparator) {
    EXPECT_EQ(GetFileExt("/home/a/report.doc"), ".doc");
    EXPECT_EQ(GetFileExt("/home/a/report.doc.kvx"), ".kvx");
    EXPECT_EQ(GetFileExt("/home/dir.v1/name"), "");
    EXPECT_EQ(GetFileExt("C:\\dir.v1\\name"), "");
    EXPECT_EQ(GetFileExt("C:\\dir\\name.TXT"), ".TXT");
    EXPECT_EQ(GetFileExt("name."), ".");
    EXPECT_EQ(GetFileExt(".bashrc"), ".bashrc");
    EXPECT_EQ(GetFileExt(""), "");
}

TEST(FilePathHelpers, StripExtension) {
    EXPECT_EQ(StripFileExt("/a/report.doc.kvx"), "/a/report.doc");
    EXPECT_EQ(StripFileExt("/a/report"), "/a/report");
    EXPECT_EQ(StripFileExt("/dir.v1/name"), "/dir.v1/name");
    EXPECT_EQ(StripFileExt("C:\\dir.v1\\name"), "C:\\dir.v1\\name");
    EXPECT_EQ(StripFileExt("x.kvx"), "x");
}

TEST(FilePathHelpers, EnsureExtensionIgnoresCase) {
    EXPECT_EQ(EnsureFileExt("/a/out", ".doc"), "/a/out.doc");
    EXPECT_EQ(EnsureFileExt("/a/out.doc", ".doc"), "/a/out.doc");
    EXPECT_EQ(EnsureFileExt("/a/OUT.DOC", ".doc"), "/a/OUT.DOC");
    EXPECT_EQ(EnsureFileExt("/a/out.kVx", ".kvx"), "/a/out.kVx");
    EXPECT_EQ(EnsureFileExt("/a/out", ""), "/a/out");
    EXPECT_EQ(EnsureFileExt("c", ".kvx"), "c.kvx");
    EXPECT_EQ(EnsureFileExt("/a/outdoc", ".doc"), "/a/outdoc.doc");
    // The decrypt dialog's target: the stripped source with the header's extension.
    EXPECT_EQ(EnsureFileExt(StripFileExt("/a/report.doc.kvx"), ".doc"), "/a/report.doc");
}

TEST(FilePathHelpers, TrimWhiteSpaceAtBothEnds) {
    EXPECT_EQ(TrimPath("  /a/b c.txt \t\n"), "/a/b c.txt");
    EXPECT_EQ(TrimPath("   "), "");
    EXPECT_EQ(TrimPath("x"), "x");
}
