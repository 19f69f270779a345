#pragma once
// Fills the hash keys of a Config.ini from the files its links name, for the
// operator before signing it. Each link key has its hash key:
//   UpgradeLink -> UpgradeB2 ([Launcher], the self-update program)
//   DownloadLink -> DownloadB2, UpGradeLink -> UpGradeB2,
//   FilesB2Link -> FilesB2 (each game)
// The link's file is found by cutting the base URL off the link; a link that
// does not start with it names a file the operator cannot hash here, and is
// an error. Sections and keys are read as the launcher reads them (first
// value of a key in a section wins). Every other byte stays as it was: a
// present hash key gets the new value in place, a missing one is added on
// the line after its link.
#include <functional>
#include <string>
#include <string_view>

namespace trust {

// Writes BLAKE2b-512 of the file at `relativePath` (below the site folder,
// "/" between folders, percent-decoded) as 128 hex digits to `hex`; false,
// with `problem` set, when it cannot.
using SiteFileHasher = std::function<bool(const std::string& relativePath, std::string& hex, std::string& problem)>;

struct HashFill {
    bool ok = false;
    std::string text;   // the filled configuration, when ok
    std::string error;  // the first fault, when !ok
    int filled = 0;     // hash keys written
};

// `baseUrl` maps to the site folder (a trailing "/" is optional).
HashFill FillConfigHashes(std::string_view configText, std::string_view baseUrl, const SiteFileHasher& hashOf);

} // namespace trust
