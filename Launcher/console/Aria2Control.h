#pragma once
// Downloads one file with aria2c.exe and turns its console summaries into a
// progress record that another thread polls.
#include <atomic>
#include <cstdint>
#include <string>

#include "Launcher/console/ConsoleToolRunner.h"

// Written by the reader thread, read by the poller; each field is a whole
// 32-bit value. `completed` is stored after the final values.
struct DownloadProgress {
    std::atomic<int32_t> downloaded{0};   // bytes so far
    std::atomic<int32_t> total{0};        // file size in bytes
    std::atomic<int32_t> speed{0};        // bytes per second
    std::atomic<int32_t> percent{0};      // as the tool prints it
    std::atomic<uint32_t> etaSeconds{0};  // estimated seconds left
    std::atomic<int32_t> completed{0};    // 1 once the tool reported completion

    void Reset();
};

class Aria2Control : public ConsoleToolRunner {
public:
    ~Aria2Control() override;

    // Downloads `url` into `folder` (ending in "\") as GetFileName(), always
    // from the start: a partial file and its control file left there by an
    // earlier run are deleted first. True when the tool was started.
    bool Start(const std::string& folder, const std::string& url);

    // The file name the download is written to: the URL after its last "/".
    // A copy, safe to take while another thread starts or stops the tool.
    std::string GetFileName() const { return GetName(); }

    void ParseOutput(const std::string& chunk) override;

    // "12.5MiB" -> bytes (B, KiB, MiB, GiB; sizes beyond the 32-bit range
    // saturate). Empty text gives 0. On failure `failure` names the reason.
    static bool ParseSize(const std::string& text, int32_t& bytes, const char** failure = nullptr);
    // "ETA:1m30s" -> seconds. Empty text gives 0; a zero total fails.
    static bool ParseEta(const std::string& text, uint32_t& seconds, const char** failure = nullptr);

    static std::string FileNameOfUrl(const std::string& url);
    // Deletes `folder` + `fileName` and its ".aria2" control file when the
    // name is a plain file name. False when one exists and stays.
    static bool RemoveLeftovers(const std::string& folder, const std::string& fileName);
    static std::string CommandLine(const std::string& toolPath, const std::string& folder,
                                   const std::string& fileName, const std::string& url);

    DownloadProgress progress;

protected:
    void OnToolSucceeded() override;

private:
    void MarkCompleted();
};
