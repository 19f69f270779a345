#pragma once
// Unpacks one archive with 7z.exe and turns its printed percentages into
// progress fields that another thread polls.
#include <atomic>
#include <cstdint>
#include <string>

#include "Launcher/console/ConsoleToolRunner.h"

class SevenZipControl : public ConsoleToolRunner {
public:
    ~SevenZipControl() override;

    // Extracts `archive` with full paths into `outputFolder` (ending in "\"),
    // overwriting existing files. True when the archiver was started.
    bool Extract(const std::string& archive, const std::string& outputFolder);

    void ParseOutput(const std::string& chunk) override;

    static std::string CommandLine(const std::string& toolPath, const std::string& archive,
                                   const std::string& outputFolder);

    // Written by the reader thread, read by the poller; `finished` is stored
    // after `percent`.
    std::atomic<int32_t> percent{0};   // as the archiver prints it
    std::atomic<int32_t> finished{0};  // 1 once the archiver reported success

protected:
    void OnToolSucceeded() override { MarkFinished(); }

private:
    void MarkFinished();
};
