#pragma once
// Unpacks one archive with 7z.exe and turns its printed percentages into the
// runner's progress record.
#include <cstdint>
#include <mutex>
#include <string>

#include "Launcher/console/ConsoleToolRunner.h"

class SevenZipControl : public ConsoleToolRunner {
public:
    ~SevenZipControl() override;

    // Extracts `archive` with full paths into `outputFolder` (ending in "\"),
    // overwriting existing files. True when the archiver was started.
    bool Extract(const std::wstring& archive, const std::wstring& outputFolder);

    // Lists `archive`; once the run ended well, ListedTotal gives the size of
    // its unpacked contents. True when the archiver was started.
    bool List(const std::wstring& archive);

    // Takes the percentages; "Everything is Ok" completes the run.
    void ParseOutput(const std::string& chunk) override;

    // The unpacked size from the total line of the last List; -1 when its
    // output held none.
    int64_t ListedTotal() const;
    // The last run said the disk was full. 7-Zip ends such a run with exit
    // code 2, the same as for a damaged archive, which is deleted; a full
    // disk must keep it.
    bool SawDiskFull() const;

    static std::wstring CommandLine(const std::wstring& toolPath, const std::wstring& archive,
                                    const std::wstring& outputFolder);
    static std::wstring ListCommandLine(const std::wstring& toolPath, const std::wstring& archive);
    // The first number of the line after the last dashed line of "7z l".
    static int64_t TotalOfListing(const std::string& output);
    static bool SaysDiskFull(const std::string& output);

protected:
    void OnToolSucceeded() override { MarkFinished(); }

private:
    void MarkFinished();
    void ClearOutput();

    // The end of the run's output: the total line and the error text come last.
    std::string tail_;
    mutable std::mutex tailMutex_;
};
