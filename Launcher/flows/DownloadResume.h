#pragma once
// Whether a partial archive in tmp\ may be continued. aria2c continues from
// its control file whatever the server now holds, so an archive replaced on
// the server by one of the same size would be joined from two versions and
// reported complete. The server's answers at the start of a download are
// kept beside the partial file; a later try continues only when the server
// still gives the same ones and really answers ranges.
#include <string>

#include "Launcher/net/ArchiveProbe.h"

// What was stored beside the archive.
struct StoredFacts {
    ArchiveFacts facts;
    bool complete = false;  // the download ended complete; the archive is whole
};

enum class ResumeDecision {
    StartOver,    // delete the partial file, its control file and the facts
    Resume,       // aria2c --continue with its control file
    UseComplete,  // the archive is whole and current: skip the download
};

// Where the partial download stands on disk.
struct PartialOnDisk {
    bool stored = false;       // the facts file was there and readable
    StoredFacts facts;
    bool archive = false;      // the (partial or whole) archive file
    int64_t archiveBytes = 0;  // its size on disk
    bool controlFile = false;  // aria2c's "<archive>.aria2"
};

// Same size and same validators, with at least one validator to go by (a
// file with neither could have changed unseen).
bool SameArchive(const ArchiveFacts& stored, const ArchiveFacts& now);

// The decision from what is on disk and what the server answered now.
ResumeDecision DecideResume(const PartialOnDisk& disk, const ProbeAnswer& probe);

// The facts file of `archivePath`: archivePath + ".facts".
std::wstring FactsPathOf(const std::wstring& archivePath);
bool WriteFacts(const std::wstring& archivePath, const StoredFacts& facts);
// Looks at the archive, its control file and its facts file.
PartialOnDisk LookAtPartial(const std::wstring& archivePath);
// Deletes the archive, its control file and its facts file; false when one
// exists and stays.
bool RemovePartial(const std::wstring& archivePath);

// The text of a facts file and back; false for text that is not one.
std::string FactsText(const StoredFacts& facts);
bool ParseFacts(const std::string& text, StoredFacts& facts);
