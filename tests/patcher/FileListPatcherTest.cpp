#include "PatcherTestSupport.h"

#include <algorithm>

using patchertest::Entry;
using patchertest::Exists;
using patchertest::GetFile;
using patchertest::PutFile;
using patchertest::Reports;

namespace {

class FileListPatcherTest : public patchertest::PatcherTest {};

} // namespace

TEST(FileListPatcherSplitTest, PiecesAndCounts) {
    std::vector<std::string> out;
    EXPECT_EQ(0, FileListPatcher::SplitText("", "|", out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(3, FileListPatcher::SplitText("a|b|c", "|", out));
    EXPECT_EQ(3, FileListPatcher::SplitText("a||b", "|", out));
    EXPECT_EQ(2, FileListPatcher::SplitText("a|", "|", out));
    EXPECT_EQ(1, FileListPatcher::SplitText("abc", "|", out));
    const std::vector<std::string> expected = {"a", "b", "c", "a", "", "b", "a", "", "abc"};
    EXPECT_EQ(expected, out);
}

TEST(FileListPatcherSplitTest, SafeNames) {
    for (const char* name : {"a.pak", "sub\\b.pak", "sub/b.pak", "a..b", ".hidden", "x\\.\\y"})
        EXPECT_TRUE(FileListPatcher::IsSafeName(name)) << name;
    for (const char* name : {"", "..\\evil.pak", "sub\\..\\..\\evil.pak", "a/../../evil.pak", "..",
                             "sub\\..", "C:\\Windows\\evil.dll", "C:evil", "\\evil.pak",
                             "/evil.pak", "\\\\host\\share\\x", "a.pak:stream", "...\\x",
                             ".. \\x"})
        EXPECT_FALSE(FileListPatcher::IsSafeName(name)) << name;
}

TEST_F(FileListPatcherTest, EmptyListDoesNothing) {
    EXPECT_EQ(0, patcher_->Run(""));
    EXPECT_TRUE(Reports().empty());
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FileListPatcherTest, MatchingFilesNeedNoDownload) {
    PutFile(game_, "a.pak", "alpha");
    PutFile(game_, "sub\\b.pak", std::string("be\0ta", 5));
    PutFile(game_, "empty.txt", "");
    const std::string list = Entry("a.pak", "alpha") + "|" +
                             Entry("sub\\b.pak", std::string("be\0ta", 5)) + "|" +
                             Entry("empty.txt", "");
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(std::vector<int>({33, 66, 100}), Reports());
    EXPECT_EQ(3, patcher_->processedCount);
    EXPECT_EQ("empty.txt", patcher_->currentName);

    EXPECT_TRUE(patcher_->FileExists("sub\\b.pak"));
    EXPECT_FALSE(patcher_->FileExists("sub\\none.pak"));
    EXPECT_EQ(BufferChecksum("alpha", 5), patcher_->FileChecksum("a.pak"));
    EXPECT_EQ(0u, patcher_->FileChecksum("sub\\none.pak"));
}

TEST_F(FileListPatcherTest, MissingAndChangedFilesAreFetchedWithTheirFolders) {
    const std::string fresh(30000, 'x');
    Serve("data/deep/c.pak", fresh);
    Serve("changed.pak", "new content");
    PutFile(game_, "changed.pak", "old content");
    const std::string list = Entry("data\\deep\\c.pak", fresh) + "|" + Entry("changed.pak", "new content");

    EXPECT_EQ(0, patcher_->Run(list));
    bool exists = false;
    EXPECT_TRUE(fresh == GetFile(game_, "data\\deep\\c.pak", &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ("new content", GetFile(game_, "changed.pak"));
    EXPECT_EQ(std::vector<std::string>({"GET /files/data/deep/c.pak", "GET /files/changed.pak"}),
              Requests());
    EXPECT_EQ(std::vector<int>({50, 100}), Reports());

    // A second run finds everything in place.
    server_->ClearRequests();
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FileListPatcherTest, DownloadFailingTheChecksumIsNotWritten) {
    Serve("bad.pak", "served bytes");
    PutFile(game_, "kept.pak", "local bytes");
    Serve("kept.pak", "served bytes");
    EXPECT_EQ(2, patcher_->Run(Entry("bad.pak", "expected bytes")));
    EXPECT_FALSE(Exists(game_, "bad.pak"));
    EXPECT_EQ(2, patcher_->Run(Entry("kept.pak", "expected bytes")));
    EXPECT_EQ("local bytes", GetFile(game_, "kept.pak"));
    EXPECT_TRUE(Reports().empty());
}

TEST_F(FileListPatcherTest, MalformedEntriesAreSkippedButCounted) {
    PutFile(game_, "a.pak", "A");
    PutFile(game_, "b.pak", "B");
    EXPECT_EQ(0, patcher_->Run(Entry("a.pak", "A") + "|junk|" + Entry("b.pak", "B")));
    EXPECT_EQ(std::vector<int>({33, 66}), Reports());
    EXPECT_EQ(2, patcher_->processedCount);

    // Two "+" is malformed too; a trailing "|" keeps the last report below 100.
    Reports().clear();
    EXPECT_EQ(0, patcher_->Run(Entry("a.pak", "A") + "|x+1+2|" + Entry("b.pak", "B") + "|"));
    EXPECT_EQ(std::vector<int>({25, 50}), Reports());
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FileListPatcherTest, FailedDownloadStopsTheRun) {
    Serve("first.pak", "1");
    Serve("later.pak", "3");
    const std::string list =
        Entry("first.pak", "1") + "|" + Entry("absent.pak", "2") + "|" + Entry("later.pak", "3");
    EXPECT_EQ(1, patcher_->Run(list));
    EXPECT_EQ("1", GetFile(game_, "first.pak"));
    EXPECT_FALSE(Exists(game_, "absent.pak"));
    EXPECT_FALSE(Exists(game_, "later.pak"));
    const auto requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("GET /files/absent.pak", requests[1]);
    EXPECT_EQ(std::vector<int>({33}), Reports());
    EXPECT_EQ("absent.pak", patcher_->currentName);
}

TEST_F(FileListPatcherTest, ListedEmptyFilesAreMadeWithoutADownload) {
    // The list tool publishes empty files; the server's zero length is no
    // download, so they are made locally, missing or stale alike.
    Serve("logs/empty.log", "");
    PutFile(game_, "stale.txt", "old text");
    const std::string list = Entry("logs\\empty.log", "") + "|" + Entry("stale.txt", "");
    EXPECT_EQ(0, patcher_->Run(list));
    bool exists = false;
    EXPECT_EQ("", GetFile(game_, "logs\\empty.log", &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ("", GetFile(game_, "stale.txt", &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ(std::vector<int>({50, 100}), Reports());
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FileListPatcherTest, UnwritableTargetReportsWriteFailure) {
    Serve("blocked.pak", "payload");
    // A folder where the file should go: it is missing as a file, the
    // download verifies, and the save cannot open it.
    CreateDirectoryW((game_ + L"\\blocked.pak").c_str(), nullptr);
    EXPECT_EQ(3, patcher_->Run(Entry("blocked.pak", "payload")));
    EXPECT_EQ(1u, Requests().size());
    std::map<std::wstring, std::string> files;
    patchertest::FilesBelow(game_, files);
    EXPECT_TRUE(files.empty());  // no temporary file left beside the folder
}

TEST_F(FileListPatcherTest, NamesLeavingTheGameFolderWriteNothing) {
    // The payload is served where a naive join would fetch it from.
    Serve("evil.pak", "payload");
    const std::wstring outside = game_ + L"-outside";
    CreateDirectoryW(outside.c_str(), nullptr);
    const std::string outsideNarrow = pillar::WideToMultiByte(outside, CP_ACP);
    // The game folder sits below a parent we may write to: the climbing
    // names below would land in `outside`.
    const std::string climb = "..\\" + pillar::WideToMultiByte(outside.substr(outside.rfind(L'\\') + 1), CP_ACP);
    const std::string names[] = {
        climb + "\\evil.pak",
        "sub\\..\\" + climb + "\\evil.pak",
        "sub/../" + climb + "/evil.pak",
        outsideNarrow + "\\evil.pak",
        "\\" + outsideNarrow.substr(3) + "\\evil.pak",
        outsideNarrow.substr(0, 2) + "evil.pak",
        "evil.pak:stream",
        "+x",
    };
    PutFile(game_, "good.pak", "good");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Reports().clear();
        const std::string entry = name == "+x" ? std::string("+") + std::to_string(ListValueOf(BufferChecksum("payload", 7)))
                                               : Entry(name, "payload");
        EXPECT_EQ(3, patcher_->Run(Entry("good.pak", "good") + "|" + entry + "|" + Entry("good.pak", "good")));
        EXPECT_EQ(std::vector<int>({33}), Reports());
    }
    EXPECT_FALSE(Exists(outside, "evil.pak"));
    EXPECT_FALSE(Exists(game_, "evil.pak"));
    EXPECT_TRUE(Requests().empty());
    testsupport::RemoveTree(outside);
}

namespace {

// "café.pak" in the system code page; empty when the code page lacks "é".
std::string CafeName() {
    std::string name;
    return pillar::WideToCodePageExact(L"caf\x00E9.pak", CP_ACP, name) ? name : std::string();
}

} // namespace

TEST(FileListPatcherSplitTest, UrlPathsOfListNames) {
    // Names of letters, digits and "-._~" go out as before; "\" becomes "/".
    EXPECT_EQ("data/deep/c-1_2.~x", FileListPatcher::UrlPathOf("data\\deep/c-1_2.~x"));
    // Everything else is percent-encoded, "%" itself first of all.
    EXPECT_EQ("a%2541.txt", FileListPatcher::UrlPathOf("a%41.txt"));
    EXPECT_EQ("x%231%3F%20%2B%26%3B%3D.pak", FileListPatcher::UrlPathOf("x#1? +&;=.pak"));
    const std::string cafe = CafeName();
    ASSERT_FALSE(cafe.empty()) << "the system code page has no \"e\" with acute accent";
    EXPECT_EQ("caf%C3%A9.pak", FileListPatcher::UrlPathOf(cafe));
}

TEST_F(FileListPatcherTest, NamesReachTheServerEncodedAndSlashesMakeFolders) {
    const std::string cafe = CafeName();
    ASSERT_FALSE(cafe.empty());
    Serve("a%41.txt", "percent");
    Serve("aA.txt", "the name a raw %41 would reach");
    Serve("x#1.pak", "hash");
    Serve(cafe, "accent");
    Serve("newdir/x.pak", "slash");
    const std::string list = Entry("a%41.txt", "percent") + "|" + Entry("x#1.pak", "hash") + "|" +
                             Entry(cafe, "accent") + "|" + Entry("newdir/x.pak", "slash");
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_EQ(std::vector<std::string>({"GET /files/a%2541.txt", "GET /files/x%231.pak", "GET /files/caf%C3%A9.pak",
                                        "GET /files/newdir/x.pak"}),
              Requests());
    EXPECT_EQ("percent", GetFile(game_, "a%41.txt"));
    EXPECT_EQ("hash", GetFile(game_, "x#1.pak"));
    EXPECT_EQ("accent", GetFile(game_, cafe));
    EXPECT_EQ("slash", GetFile(game_, "newdir\\x.pak"));
    // Found in place on the next run, under either separator.
    server_->ClearRequests();
    EXPECT_EQ(0, patcher_->Run(list + "|" + Entry("newdir\\x.pak", "slash")));
    EXPECT_TRUE(Requests().empty());
}
