#include "Launcher/console/Aria2Control.h"

#include <algorithm>
#include <cstdlib>

#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/FindLastMatchGroup.h"
#include "pillar/PlainFileName.h"
#include "pillar/TextConversion.h"
#include "pillar/UrlFileName.h"

namespace {

const char kDownloadedPattern[] = R"( ((\d+\.?\d*)([KMGT]?i?B)))";
const char kTotalPattern[] = R"(/((\d+\.?\d*)([KMGT]?i?B)))";
const char kSpeedPattern[] = R"(DL:((\d+\.?\d*)([KMG]iB)))";
const char kPercentPattern[] = R"(((\d+))%)";
const char kEtaPattern[] = R"((ETA:((?:\d+h)?(?:\d+m)?(?:\d+s)?)))";
const char kCompletedText[] = "download completed";

bool IsSizeChar(char c) { return (c >= '0' && c <= '9') || c == '.'; }

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool UnitMultiplier(const std::string& unit, double& multiplier) {
    if (unit == "b") multiplier = 1.0;
    else if (unit == "kib") multiplier = 1024.0;
    else if (unit == "mib") multiplier = 1048576.0;
    else if (unit == "gib") multiplier = 1073741824.0;
    else return false;
    return true;
}

bool DeleteIfPresent(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A completed download has all of its bytes, whatever the last summary said.
void SetFinalValues(ToolProgress& progress) {
    progress.bytesDone = progress.bytesTotal;
    progress.percent = 100;
}

void SetFailure(const char** failure, const char* text) {
    if (failure) *failure = text;
}

} // namespace

Aria2Control::~Aria2Control() { StopTool(); }

std::wstring Aria2Control::FileNameOfUrl(const std::string& url) {
    return pillar::Utf8ToWide(pillar::UrlFileName(url));
}

std::wstring Aria2Control::CommandLine(const std::wstring& toolPath, const std::wstring& folder,
                                       const std::wstring& fileName, const std::string& url, bool continuePartial) {
    // The launcher ends aria2c with TerminateProcess, which leaves the control
    // file as last saved: every second keeps a resume close to the bytes on
    // disk. No wait without bytes lasts long: a dead connection ends a try
    // after 15 s (connect) or 20 s (receive), two tries at most, and a
    // transfer below 1 KiB/s ends the run (exit 5) instead of crawling on.
    // "trunc" sizes the file at once: the default writes the whole size in
    // zeros first (minutes for a big game, shown as download progress).
    return QuoteCommandLinePiece(toolPath) + L" --summary-interval=5 --allow-overwrite=true" +
           L" --dir=" + QuoteCommandLinePiece(folder) + L" --out=" + QuoteCommandLinePiece(fileName) +
           L" --max-connection-per-server=16 --split=128" +
           L" --file-allocation=trunc --auto-save-interval=1 --connect-timeout=15 --timeout=20 --max-tries=2" +
           L" --lowest-speed-limit=1K" +
           (continuePartial ? L" --continue=true " : L" ") + QuoteCommandLinePiece(pillar::Utf8ToWide(url));
}

bool Aria2Control::RemoveLeftovers(const std::wstring& folder, const std::wstring& fileName) {
    if (!pillar::IsPlainFileName(fileName)) return true;
    const std::wstring path = folder + fileName;
    return DeleteIfPresent(path + L".aria2") && DeleteIfPresent(path);
}

bool Aria2Control::Start(const std::wstring& folder, const std::string& url, bool continuePartial) {
    EndPreviousRun();
    const std::wstring name = FileNameOfUrl(url);
    SetName(name);
    // aria2c would resume a partial file through its control file even when
    // the server's file changed in between but kept its size, and join two
    // versions into one archive that it reports complete. A try therefore
    // starts clean unless the caller checked the server's file is unchanged.
    if (!continuePartial && !RemoveLeftovers(folder, name)) return false;
    return StartTool(CommandLine(GetToolPath(), folder, name, url, continuePartial));
}

void Aria2Control::ParseOutput(const std::string& chunk) {
    if (Completed()) return;
    ToolProgress progress = Progress();

    int64_t size = 0;
    if (ParseSize(FindLastMatchGroup(chunk, kDownloadedPattern, 1), size) && size != 0) progress.bytesDone = size;
    if (ParseSize(FindLastMatchGroup(chunk, kTotalPattern, 1), size) && size != 0) progress.bytesTotal = size;
    if (!ParseSize(FindLastMatchGroup(chunk, kSpeedPattern, 1), size)) size = 0;
    progress.bytesPerSecond = size;

    int32_t percent = 0;
    if (ParseDecimal(FindLastMatchGroup(chunk, kPercentPattern, 1), percent) && percent != 0)
        progress.percent = percent;

    uint32_t eta = 0;
    if (!ParseEta(FindLastMatchGroup(chunk, kEtaPattern, 1), eta)) eta = 0;
    progress.secondsLeft = eta;

    const bool completed = FindLastMatchGroup(chunk, kCompletedText, 0) == kCompletedText;
    if (completed) SetFinalValues(progress);
    PublishProgress(progress, completed);
}

void Aria2Control::OnToolSucceeded() {
    if (!Completed()) MarkCompleted();
}

void Aria2Control::MarkCompleted() {
    ToolProgress progress = Progress();
    SetFinalValues(progress);
    PublishProgress(progress, true);
}

bool Aria2Control::ParseSize(const std::string& text, int64_t& bytes, const char** failure) {
    if (text.empty()) {
        bytes = 0;
        return true;
    }
    size_t numberLength = 0;
    while (numberLength < text.size() && IsSizeChar(text[numberLength])) ++numberLength;
    if (numberLength == 0 || numberLength == text.size()) {
        SetFailure(failure, "Invalid size format");
        return false;
    }
    double multiplier = 0.0;
    if (!UnitMultiplier(Lower(text.substr(numberLength)), multiplier)) {
        SetFailure(failure, "Unsupported unit");
        return false;
    }
    // strtod stops at a second "."; the leading part holds nothing else.
    const double number = std::strtod(text.substr(0, numberLength).c_str(), nullptr);
    const double value = number * multiplier;
    // Converting an out-of-range double is undefined; pin it to the maximum.
    bytes = value >= 9223372036854775807.0 ? INT64_MAX : static_cast<int64_t>(value);
    return true;
}

bool Aria2Control::ParseEta(const std::string& text, uint32_t& seconds, const char** failure) {
    if (text.empty()) {
        seconds = 0;
        return true;
    }
    // Saturating arithmetic: an absurdly long digit run must not overflow.
    constexpr uint64_t kCap = 0xFFFFFFFFull;
    uint64_t number = 0;
    uint64_t total = 0;
    auto add = [&](uint64_t unit) {
        total = std::min(kCap, total + std::min(kCap, number * unit));
        number = 0;
    };
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            number = std::min(kCap, number * 10 + static_cast<uint64_t>(c - '0'));
        } else if (c == 'h') {
            add(3600);
        } else if (c == 'm') {
            add(60);
        } else if (c == 's') {
            add(1);
        }
    }
    if (total == 0) {
        SetFailure(failure, "Invalid format");
        return false;
    }
    seconds = static_cast<uint32_t>(total);
    return true;
}
