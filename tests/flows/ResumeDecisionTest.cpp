// When a partial archive may be continued: only with its control file, the
// same size and validators on the server, and ranges that really work; a
// whole archive with current facts is unpacked without a download. Also the
// facts file round trip and aria2c's exit codes in the player's terms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Launcher/flows/ArchiveInstall.h"
#include "Launcher/flows/DownloadResume.h"

namespace {

ArchiveFacts Facts(int64_t size, const std::string& etag, const std::string& modified, bool ranges) {
    ArchiveFacts facts;
    facts.size = size;
    facts.etag = etag;
    facts.lastModified = modified;
    facts.ranges = ranges;
    return facts;
}

PartialOnDisk Partial(const ArchiveFacts& stored, bool complete, bool controlFile, int64_t bytes = 1000) {
    PartialOnDisk disk;
    disk.stored = true;
    disk.facts.facts = stored;
    disk.facts.complete = complete;
    disk.archive = true;
    disk.archiveBytes = bytes;
    disk.controlFile = controlFile;
    return disk;
}

ProbeAnswer Answer(const ArchiveFacts& facts, ProbeResult result = ProbeResult::Answered) {
    ProbeAnswer answer;
    answer.result = result;
    answer.status = 200;
    answer.facts = facts;
    return answer;
}

} // namespace

TEST(ResumeDecision, ContinuesOnlyTheSameFileWithItsControlFileAndWorkingRanges) {
    const ArchiveFacts stored = Facts(1000, "\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT", false);
    const ArchiveFacts same = Facts(1000, "\"v1\"", "Tue, 08 Dec 2026 10:00:00 GMT", true);
    struct Case {
        const char* what;
        PartialOnDisk disk;
        ProbeAnswer probe;
        ResumeDecision expected;
    };
    PartialOnDisk noFacts = Partial(stored, false, true);
    noFacts.stored = false;
    PartialOnDisk noArchive = Partial(stored, false, true);
    noArchive.archive = false;
    const ArchiveFacts bare = Facts(1000, "", "", true);
    const std::vector<Case> cases = {
        {"all the same", Partial(stored, false, true), Answer(same), ResumeDecision::Resume},
        {"no control file (a preallocated file)", Partial(stored, false, false), Answer(same),
         ResumeDecision::StartOver},
        {"no facts kept", noFacts, Answer(same), ResumeDecision::StartOver},
        {"no partial file", noArchive, Answer(same), ResumeDecision::StartOver},
        {"new ETag, same size", Partial(stored, false, true),
         Answer(Facts(1000, "\"v2\"", same.lastModified, true)), ResumeDecision::StartOver},
        {"new date, same size", Partial(stored, false, true),
         Answer(Facts(1000, same.etag, "Wed, 09 Dec 2026 10:00:00 GMT", true)), ResumeDecision::StartOver},
        {"new size", Partial(stored, false, true), Answer(Facts(1001, same.etag, same.lastModified, true)),
         ResumeDecision::StartOver},
        {"ranges ignored now", Partial(stored, false, true), Answer(Facts(1000, same.etag, same.lastModified, false)),
         ResumeDecision::StartOver},
        {"no validators at all", Partial(bare, false, true), Answer(bare), ResumeDecision::StartOver},
        {"server refused", Partial(stored, false, true), Answer(same, ProbeResult::Refused), ResumeDecision::StartOver},
        {"whole archive, current", Partial(stored, true, false), Answer(same), ResumeDecision::UseComplete},
        {"whole archive, ranges not needed", Partial(stored, true, false),
         Answer(Facts(1000, same.etag, same.lastModified, false)), ResumeDecision::UseComplete},
        {"whole archive, changed on the server", Partial(stored, true, false),
         Answer(Facts(1000, "\"v2\"", same.lastModified, true)), ResumeDecision::StartOver},
        {"'whole' archive of the wrong length", Partial(stored, true, false, 999), Answer(same),
         ResumeDecision::StartOver},
    };
    for (const Case& c : cases) EXPECT_EQ(DecideResume(c.disk, c.probe), c.expected) << c.what;
}

TEST(ResumeDecision, FactsSurviveTheirFileAndForgedLinesAreRefused) {
    StoredFacts facts;
    facts.facts = Facts(5368709120LL, "W/\"a=b\"", "Tue, 08 Dec 2026 10:00:00 GMT", true);
    facts.complete = true;
    StoredFacts read;
    ASSERT_TRUE(ParseFacts(FactsText(facts), read));
    EXPECT_EQ(read.facts.size, 5368709120LL) << "sizes past 4 GiB";
    EXPECT_EQ(read.facts.etag, facts.facts.etag);
    EXPECT_EQ(read.facts.lastModified, facts.facts.lastModified);
    EXPECT_TRUE(read.complete);
    EXPECT_FALSE(ParseFacts("size=12\n", read)) << "no completion flag";
    EXPECT_FALSE(ParseFacts("size=-5\ncomplete=0\n", read));
    EXPECT_FALSE(ParseFacts("size=5\ncomplete=yes\n", read));
    // An ETag with a line break could forge "complete=1".
    facts.facts.etag = "\"x\"\ncomplete=1";
    facts.complete = false;
    EXPECT_FALSE(WriteFacts(L"unused.zip", facts));
}

TEST(ResumeDecision, DownloadExitCodesBecomeTheNoticeThePlayerSees) {
    EXPECT_EQ(ArchiveInstall::NoticeForDownloadExit(2, 100, L"C:\\").kind, NoticeKind::DownloadTimedOut);
    EXPECT_EQ(ArchiveInstall::NoticeForDownloadExit(5, 100, L"C:\\").kind, NoticeKind::DownloadTimedOut);
    EXPECT_EQ(ArchiveInstall::NoticeForDownloadExit(3, 100, L"C:\\").kind, NoticeKind::DownloadNotFound);
    EXPECT_EQ(ArchiveInstall::NoticeForDownloadExit(6, 100, L"C:\\").kind, NoticeKind::DownloadFailed);
    const NoticeInfo full = ArchiveInstall::NoticeForDownloadExit(9, 5368709120LL, L"D:\\");
    EXPECT_EQ(full.kind, NoticeKind::NotEnoughSpace);
    EXPECT_EQ(full.bytesNeeded, 5368709120LL);
    EXPECT_EQ(full.drive, L"D:\\");
    EXPECT_EQ(ArchiveInstall::NoticeForDownloadExit(9, -1, L"D:\\").kind, NoticeKind::DiskFull);
}
