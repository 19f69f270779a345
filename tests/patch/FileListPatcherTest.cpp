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
    std::vector<std::wstring> out;
    EXPECT_EQ(0, FileListPatcher::SplitText(L"", L"|", out));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(3, FileListPatcher::SplitText(L"a|b|c", L"|", out));
    EXPECT_EQ(3, FileListPatcher::SplitText(L"a||b", L"|", out));
    EXPECT_EQ(2, FileListPatcher::SplitText(L"a|", L"|", out));
    EXPECT_EQ(1, FileListPatcher::SplitText(L"abc", L"|", out));
    const std::vector<std::wstring> expected = {L"a", L"b", L"c", L"a", L"", L"b", L"a", L"", L"abc"};
    EXPECT_EQ(expected, out);
}

TEST(FileListPatcherSplitTest, SafeNames) {
    for (const wchar_t* name : {L"a.pak", L"sub\\b.pak", L"sub/b.pak", L"a..b", L".hidden", L"x\\.\\y",
                                L"\x9752\x4E91\\bin\\\x9752\x4E91.exe"})
        EXPECT_TRUE(FileListPatcher::IsSafeName(name)) << pillar::WideToUtf8(name);
    for (const wchar_t* name : {L"", L"..\\evil.pak", L"sub\\..\\..\\evil.pak", L"a/../../evil.pak", L"..",
                                L"sub\\..", L"C:\\Windows\\evil.dll", L"C:evil", L"\\evil.pak",
                                L"/evil.pak", L"\\\\host\\share\\x", L"a.pak:stream", L"...\\x",
                                L".. \\x"})
        EXPECT_FALSE(FileListPatcher::IsSafeName(name)) << pillar::WideToUtf8(name);
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
    EXPECT_EQ(L"empty.txt", patcher_->currentName);

    EXPECT_TRUE(patcher_->FileExists(L"sub\\b.pak"));
    EXPECT_FALSE(patcher_->FileExists(L"sub\\none.pak"));
    EXPECT_EQ(BufferChecksum("alpha", 5), patcher_->FileChecksum(L"a.pak"));
    EXPECT_EQ(0u, patcher_->FileChecksum(L"sub\\none.pak"));
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
    // The failed file is asked about once more, to tell "not found" apart.
    const auto requests = Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("GET /files/absent.pak", requests[1]);
    EXPECT_EQ("HEAD /files/absent.pak", requests[2]);
    EXPECT_EQ(FileListPatcher::FetchFailure::NotFound, patcher_->fetchFailure);
    EXPECT_EQ(std::vector<int>({33}), Reports());
    EXPECT_EQ(L"absent.pak", patcher_->currentName);
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
    const std::string outsideNarrow = pillar::WideToUtf8(outside);
    // The game folder sits below a parent we may write to: the climbing
    // names below would land in `outside`.
    const std::string climb = "..\\" + pillar::WideToUtf8(outside.substr(outside.rfind(L'\\') + 1));
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

TEST(FileListPatcherSplitTest, UrlPathsOfListNames) {
    // Names of letters, digits and "-._~" go out as before; "\" becomes "/".
    EXPECT_EQ("data/deep/c-1_2.~x", FileListPatcher::UrlPathOf(L"data\\deep/c-1_2.~x"));
    // Everything else is percent-encoded as UTF-8, "%" itself first of all.
    EXPECT_EQ("a%2541.txt", FileListPatcher::UrlPathOf(L"a%41.txt"));
    EXPECT_EQ("x%231%3F%20%2B%26%3B%3D.pak", FileListPatcher::UrlPathOf(L"x#1? +&;=.pak"));
    EXPECT_EQ("caf%C3%A9.pak", FileListPatcher::UrlPathOf(L"caf\x00E9.pak"));
    EXPECT_EQ("%E9%9D%92%E4%BA%91/bin/%E9%9D%92%E4%BA%91.exe",
              FileListPatcher::UrlPathOf(L"\x9752\x4E91\\bin\\\x9752\x4E91.exe"));
}

TEST(FileListPatcherSplitTest, ListsAreReadAsUtf8WithoutAByteOrderMark) {
    EXPECT_EQ(L"\x9752\x4E91.exe+1|a.pak+2", FileListPatcher::DecodeList("\xE9\x9D\x92\xE4\xBA\x91.exe+1|a.pak+2"));
    // A byte-order mark from a text editor is not part of the first name.
    EXPECT_EQ(L"a.pak+2", FileListPatcher::DecodeList("\xEF\xBB\xBF" "a.pak+2"));
    EXPECT_EQ(L"", FileListPatcher::DecodeList(""));
}

TEST_F(FileListPatcherTest, NamesReachTheServerEncodedAndSlashesMakeFolders) {
    Serve("a%41.txt", "percent");
    Serve("aA.txt", "the name a raw %41 would reach");
    Serve("x#1.pak", "hash");
    Serve("caf\xC3\xA9.pak", "accent");
    Serve("newdir/x.pak", "slash");
    const std::string list = Entry("a%41.txt", "percent") + "|" + Entry("x#1.pak", "hash") + "|" +
                             Entry("caf\xC3\xA9.pak", "accent") + "|" + Entry("newdir/x.pak", "slash");
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_EQ(std::vector<std::string>({"GET /files/a%2541.txt", "GET /files/x%231.pak", "GET /files/caf%C3%A9.pak",
                                        "GET /files/newdir/x.pak"}),
              Requests());
    EXPECT_EQ("percent", GetFile(game_, "a%41.txt"));
    EXPECT_EQ("hash", GetFile(game_, "x#1.pak"));
    EXPECT_EQ("accent", GetFile(game_, "caf\xC3\xA9.pak"));
    EXPECT_EQ("slash", GetFile(game_, "newdir\\x.pak"));
    // Found in place on the next run, under either separator.
    server_->ClearRequests();
    EXPECT_EQ(0, patcher_->Run(list + "|" + Entry("newdir\\x.pak", "slash")));
    EXPECT_TRUE(Requests().empty());
}

TEST_F(FileListPatcherTest, AListInTheSystemCodePageStillReachesItsFiles) {
    // What the older list tool wrote for "café.pak" on a Western system.
    const std::string legacyName = pillar::WideToMultiByte(L"caf\x00E9.pak", CP_ACP);
    ASSERT_EQ(L"caf\x00E9.pak", pillar::MultiByteToWide(legacyName, CP_ACP))
        << "the system code page has no \"e\" with acute accent";
    ASSERT_NE("caf\xC3\xA9.pak", legacyName);
    Serve("caf\xC3\xA9.pak", "accent");
    PutFile(game_, "kept.pak", "kept");
    const std::string list = Entry("kept.pak", "kept") + "|" + Entry(legacyName, "accent");
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_EQ(std::vector<std::string>({"GET /files/caf%C3%A9.pak"}), Requests());
    EXPECT_EQ("accent", GetFile(game_, "caf\xC3\xA9.pak"));
    EXPECT_EQ(L"caf\x00E9.pak", patcher_->currentName);
}
