#pragma once
// Downloads one file with aria2c.exe and turns its console summaries into
// the runner's progress record.
#include <cstdint>
#include <string>

#include "Launcher/console/ConsoleToolRunner.h"

class Aria2Control : public ConsoleToolRunner {
public:
    ~Aria2Control() override;

    // Downloads `url` into `folder` (ending in "\") as GetFileName(). From
    // the start unless `continuePartial`: a partial file and its control file
    // left there by an earlier run are deleted first. With `continuePartial`
    // aria2c continues them; only the caller can know that the server's file
    // is still the one they came from. True when the tool was started.
    bool Start(const std::wstring& folder, const std::string& url, bool continuePartial = false);

    // The file name the download is written to: the URL after its last "/".
    // A copy, safe to take while another thread starts or stops the tool.
    std::wstring GetFileName() const { return GetName(); }

    void ParseOutput(const std::string& chunk) override;

    // "12.5MiB" -> bytes (B, KiB, MiB, GiB; beyond the 64-bit range the value
    // saturates). Empty text gives 0. On failure `failure` names the reason.
    static bool ParseSize(const std::string& text, int64_t& bytes, const char** failure = nullptr);
    // "ETA:1m30s" -> seconds. Empty text gives 0; a zero total fails.
    static bool ParseEta(const std::string& text, uint32_t& seconds, const char** failure = nullptr);

    // The URL's last "/"-segment, decoded from UTF-8.
    static std::wstring FileNameOfUrl(const std::string& url);
    // Deletes `folder` + `fileName` and its ".aria2" control file when the
    // name is a plain file name. False when one exists and stays.
    static bool RemoveLeftovers(const std::wstring& folder, const std::wstring& fileName);
    static std::wstring CommandLine(const std::wstring& toolPath, const std::wstring& folder,
                                    const std::wstring& fileName, const std::string& url,
                                    bool continuePartial = false);

    // aria2c's exit codes that the launcher tells apart.
    static constexpr DWORD kExitTimedOut = 2;
    static constexpr DWORD kExitTooSlow = 5;  // below --lowest-speed-limit
    static constexpr DWORD kExitNotFound = 3;
    static constexpr DWORD kExitBadRange = 8;  // the server stopped answering ranges
    static constexpr DWORD kExitDiskFull = 9;

protected:
    void OnToolSucceeded() override;

private:
    void MarkCompleted();
};
