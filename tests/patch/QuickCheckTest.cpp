// The check before start reads only what its record cannot vouch for: an
// unchanged folder is not read at all; a change of size, of time alone, or
// of the list value is read and repaired; a damaged, cut, foreign or absent
// record, or the full-check switch, reads everything.
#include "patch/PatcherTestSupport.h"

#include "Launcher/patch/CheckRecord.h"
#include "support/ReleaseHashes.h"
#include "pillar/ScopedHandle.h"

using namespace patchertest;

namespace {

bool SetWriteTime(const std::wstring& path, int64_t ticks) {
    const pillar::ScopedHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return file.Valid() && SetFileTime(file.Get(), nullptr, nullptr, &time);
}

class QuickCheckTest : public PatcherTest {
protected:
    void SetUp() override {
        PatcherTest::SetUp();
        data_ = testsupport::MakeScratchFolder(L"patcher-data") + L"\\";
        patcher_->recordPath = RecordPath();
        for (const char* name : {"a.pak", "b.pak", "bin/c.exe", "d.dat"}) {
            const std::string content = std::string("release one of ") + name;
            Serve(name, content);
            PutFile(game_, name, content);
            list_ += (list_.empty() ? "" : "|") + Entry(name, content);
        }
    }
    std::wstring Path(const char* name) const {
        std::wstring path = game_ + L"\\" + pillar::Utf8ToWide(name);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    FileStamp Stamp(const char* name) const {
        FileStamp stamp;
        EXPECT_TRUE(ReadFileStamp(Path(name), stamp)) << name;
        return stamp;
    }
    // Runs the check; the number of local files it read.
    int Check(const std::string& list) {
        server_->ClearRequests();
        EXPECT_EQ(patcher_->Run(list), FileListPatcher::Ok);
        return patcher_->hashedCount;
    }

    void TearDown() override {
        PatcherTest::TearDown();
        testsupport::RemoveTree(data_);
    }
    std::wstring RecordPath() const { return CheckRecord::PathFor(data_, L"game"); }

    std::string list_;
    std::wstring data_;
    std::string record_;
};

TEST_F(QuickCheckTest, ReadsOnlyWhatChangedSinceTheLastCheckAndRepairsIt) {
    EXPECT_EQ(Check(list_), 4) << "without a record every file is read";
    EXPECT_TRUE(pillar::ReadWholeFile(RecordPath(), record_));
    EXPECT_EQ(Check(list_), 0) << "an unchanged folder is not read again";
    EXPECT_TRUE(Requests().empty());

    // a.pak: other bytes, same size and time (as a restored archive gives):
    // the quick check cannot see it, which shows it was not read.
    const FileStamp aStamp = Stamp("a.pak");
    PutFile(game_, "a.pak", std::string(GetFile(game_, "a.pak").size(), 'x'));
    ASSERT_TRUE(SetWriteTime(Path("a.pak"), aStamp.writeTime));
    // b.pak: a different size.
    PutFile(game_, "b.pak", "short");
    // bin/c.exe: the same bytes, a newer time only.
    ASSERT_TRUE(SetWriteTime(Path("bin/c.exe"), Stamp("bin/c.exe").writeTime + 10000000));
    // d.dat: the list changes its value; the local file keeps size and time.
    const std::string newD = "release two of d.dat";
    ASSERT_EQ(newD.size(), GetFile(game_, "d.dat").size());
    Serve("d.dat", newD);
    const std::string list2 = list_.substr(0, list_.rfind('|') + 1) + Entry("d.dat", newD);

    EXPECT_EQ(Check(list2), 3) << "b (size), c (time) and d (list value) are read";
    EXPECT_EQ(GetFile(game_, "b.pak"), "release one of b.pak");
    EXPECT_EQ(GetFile(game_, "d.dat"), newD);
    EXPECT_EQ(Requests().size(), 2u) << "b and d were fetched, c matched";
    EXPECT_EQ(GetFile(game_, "a.pak"), std::string(20, 'x'));
    EXPECT_EQ(Check(list2), 0) << "the repairs were recorded";

    patcher_->fullCheck = true;
    EXPECT_EQ(Check(list2), 4) << "the full check reads every file";
    EXPECT_EQ(GetFile(game_, "a.pak"), "release one of a.pak");
}

TEST_F(QuickCheckTest, ADamagedForeignOrMissingRecordReadsEveryFile) {
    ASSERT_EQ(Check(list_), 4);
    std::string record;
    ASSERT_TRUE(pillar::ReadWholeFile(RecordPath(), record));
    std::string flipped = record;
    flipped[flipped.size() / 2] ^= 1;
    std::string otherVersion = record;
    otherVersion.replace(0, 21, "LauncherCheckRecord 1");

    // Another folder's record, genuine in itself.
    const std::wstring other = testsupport::MakeScratchFolder(L"patcher-other");
    for (const char* name : {"a.pak", "b.pak", "bin/c.exe", "d.dat"}) PutFile(other, name, GetFile(game_, name));
    FileListPatcher otherPatcher;
    otherPatcher.recordPath = CheckRecord::PathFor(data_, L"other");
    otherPatcher.SetLocations(server_->Url("files/"), other + L"\\");
    ASSERT_EQ(otherPatcher.Run(list_), FileListPatcher::Ok);
    std::string foreign;
    ASSERT_TRUE(pillar::ReadWholeFile(CheckRecord::PathFor(data_, L"other"), foreign));
    testsupport::RemoveTree(other);

    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"cut short", record.substr(0, record.size() - 7)},
        {"cut before its end line", record.substr(0, record.find("\nend ") + 1)},
        {"a byte changed", flipped},
        {"another version", otherVersion},
        {"garbage", std::string("\x00\xFF garbage\nend 0 0\n", 19)},
        {"empty", ""},
        {"another folder's", foreign},
    };
    for (const auto& item : damaged) {
        ASSERT_TRUE(pillar::WriteWholeFile(RecordPath(), item.second));
        EXPECT_EQ(Check(list_), 4) << item.first;
    }
    DeleteFileW(RecordPath().c_str());
    EXPECT_EQ(Check(list_), 4) << "no record";
    EXPECT_EQ(Check(list_), 0) << "each full check wrote a sound record";
}

TEST_F(QuickCheckTest, AFileListedTwiceIsReadEveryTime) {
    // Two entries for one file in two spellings: a repair for one of them
    // would change the file under the other, so neither is vouched for.
    const std::string list = list_ + "|" + Entry("BIN\\C.EXE", "release one of bin/c.exe");
    ASSERT_EQ(Check(list), 5);
    EXPECT_EQ(Check(list), 2);
}

} // namespace

TEST_F(QuickCheckTest, TheRecordKeepsTheStrongHashSoANewHashListIsCheckedAgain) {
    patcher_->useHashList = true;
    for (const char* name : {"a.pak", "b.pak", "bin/c.exe", "d.dat"})
        patcher_->strongHashes[pillar::Utf8ToWide(name)] = testsupport::HashOf(GetFile(game_, name));
    EXPECT_EQ(Check(list_), 4);
    EXPECT_EQ(Check(list_), 0) << "an unchanged folder and hash list are not read again";

    // A new release of d.dat whose bytes keep the CRC-32, size and time of
    // the old ones on disk: only its hash in the hash list changed.
    const std::string oldD = GetFile(game_, "d.dat");
    const std::string newD = testsupport::SameCrcForgery(std::string(oldD.size() - 4, 'n'),
                                                         BufferChecksum(oldD.data(), oldD.size()));
    ASSERT_EQ(newD.size(), oldD.size());
    Serve("d.dat", newD);
    patcher_->strongHashes[L"d.dat"] = testsupport::HashOf(newD);
    EXPECT_EQ(Check(list_), 1) << "the record does not vouch for another hash";
    EXPECT_EQ(GetFile(game_, "d.dat"), newD);
    EXPECT_EQ(Check(list_), 0);

    // A listed file the hash list lacks stops the check before any read.
    patcher_->strongHashes.erase(L"bin/c.exe");
    server_->ClearRequests();
    EXPECT_EQ(patcher_->Run(list_), FileListPatcher::HashMissing);
    EXPECT_EQ(patcher_->hashedCount, 0);
    EXPECT_TRUE(Requests().empty());
}
