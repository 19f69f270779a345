#pragma once
// Unpacks one archive with 7z.exe and turns its printed percentages into the
// runner's progress record.
#include <string>

#include "Launcher/console/ConsoleToolRunner.h"

class SevenZipControl : public ConsoleToolRunner {
public:
    ~SevenZipControl() override;

    // Extracts `archive` with full paths into `outputFolder` (ending in "\"),
    // overwriting existing files. True when the archiver was started.
    bool Extract(const std::wstring& archive, const std::wstring& outputFolder);

    // Takes the percentages; "Everything is Ok" completes the run.
    void ParseOutput(const std::string& chunk) override;

    static std::wstring CommandLine(const std::wstring& toolPath, const std::wstring& archive,
                                    const std::wstring& outputFolder);

protected:
    void OnToolSucceeded() override { MarkFinished(); }

private:
    void MarkFinished();
};
