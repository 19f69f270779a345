// Fills the BLAKE2b-512 hash keys of a Config.ini from the files its links
// name, before the operator signs it:
//
//   FillConfigHashes.exe <Config.ini> <site folder> <base URL>
//
// <base URL> is the address the site folder is published at: a link
// <base URL>/FTP/cs/games/Game.zip names <site folder>\FTP\cs\games\Game.zip.
// UpgradeLink fills UpgradeB2, DownloadLink DownloadB2, UpGradeLink
// UpGradeB2 and FilesB2Link FilesB2 (the hash list MakeUpdateList writes);
// every other byte of the file stays as it was. The file is rewritten in
// place. A link outside the base URL or a file that cannot be read leaves the
// file unchanged. Exit code 0 on success, 1 on a problem (told on stderr), 2
// on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/ConfigHashFill.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

trust::SiteFileHasher HasherBelow(const std::wstring& site) {
    return [site](const std::string& relative, std::string& hex, std::string& problem) {
        std::wstring path = site;
        while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
        path += L"\\" + pillar::Utf8ToWide(relative);
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
        const trust::FileDigest digest = trust::Blake2bOfFile(path);
        if (!digest.ok) {
            problem = pillar::WideToUtf8(path) + ": " + digest.error;
            return false;
        }
        hex = trust::DigestHex(digest.digest);
        return true;
    };
}

// Writes beside the file and moves over it, so a failed write leaves the
// old configuration whole.
bool ReplaceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring fresh = path + L".new";
    if (!pillar::WriteWholeFile(fresh, bytes)) return false;
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(fresh.c_str());
    return false;
}

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 4) {
        std::fputs("usage: FillConfigHashes <Config.ini> <site folder> <base URL>\n", stderr);
        if (argv)
            LocalFree(argv);
        return 2;
    }
    const std::wstring configPath = argv[1];
    const std::wstring site = argv[2];
    const std::string baseUrl = pillar::WideToUtf8(argv[3]);
    LocalFree(argv);

    std::string config;
    if (!pillar::ReadWholeFile(configPath, config)) {
        std::fwprintf(stderr, L"FillConfigHashes: cannot read %ls\n", configPath.c_str());
        return 1;
    }
    const trust::HashFill fill = trust::FillConfigHashes(config, baseUrl, HasherBelow(site));
    if (!fill.ok) {
        std::fprintf(stderr, "FillConfigHashes: %s\n", fill.error.c_str());
        return 1;
    }
    if (!ReplaceFile(configPath, fill.text)) {
        std::fwprintf(stderr, L"FillConfigHashes: cannot write %ls\n", configPath.c_str());
        return 1;
    }
    std::printf("%d hash keys filled\n", fill.filled);
    return 0;
}
