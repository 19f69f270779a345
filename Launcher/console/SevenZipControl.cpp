#include "Launcher/console/SevenZipControl.h"

#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/FindLastMatchGroup.h"

namespace {

const char kPercentPattern[] = R"(((\d+))%)";
const char kSuccessText[] = "Everything is Ok";
constexpr size_t kTailBytes = 8192;

bool AllDigits(const std::string& text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

SevenZipControl::~SevenZipControl() { StopTool(); }

std::wstring SevenZipControl::CommandLine(const std::wstring& toolPath, const std::wstring& archive,
                                          const std::wstring& outputFolder) {
    return QuoteCommandLinePiece(toolPath) + L" x " + QuoteCommandLinePiece(archive) + L" -o" +
           QuoteCommandLinePiece(outputFolder) + L" -y -bsp1";
}

std::wstring SevenZipControl::ListCommandLine(const std::wstring& toolPath, const std::wstring& archive) {
    return QuoteCommandLinePiece(toolPath) + L" l " + QuoteCommandLinePiece(archive);
}

bool SevenZipControl::Extract(const std::wstring& archive, const std::wstring& outputFolder) {
    EndPreviousRun();
    ClearOutput();
    return StartTool(CommandLine(GetToolPath(), archive, outputFolder));
}

bool SevenZipControl::List(const std::wstring& archive) {
    EndPreviousRun();
    ClearOutput();
    return StartTool(ListCommandLine(GetToolPath(), archive));
}

void SevenZipControl::ClearOutput() {
    std::lock_guard<std::mutex> lock(tailMutex_);
    tail_.clear();
}

int64_t SevenZipControl::ListedTotal() const {
    std::lock_guard<std::mutex> lock(tailMutex_);
    return TotalOfListing(tail_);
}

bool SevenZipControl::SawDiskFull() const {
    std::lock_guard<std::mutex> lock(tailMutex_);
    return SaysDiskFull(tail_);
}

int64_t SevenZipControl::TotalOfListing(const std::string& output) {
    const size_t dashes = output.rfind("\n------------------- ");
    if (dashes == std::string::npos) return -1;
    const size_t start = output.find('\n', dashes + 1);
    if (start == std::string::npos) return -1;
    size_t end = output.find('\n', start + 1);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start + 1, end - start - 1);
    // "2026-12-08 19:00:00   1073741824   1073741824  1 files": the date and
    // time may be blank; the first plain number is the unpacked size.
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\r' || line[at] == '\t')) ++at;
        size_t stop = at;
        while (stop < line.size() && line[stop] != ' ' && line[stop] != '\r' && line[stop] != '\t') ++stop;
        const std::string token = line.substr(at, stop - at);
        if (AllDigits(token)) {
            int64_t value = 0;
            for (char c : token) value = value * 10 + (c - '0');
            return value;
        }
        at = stop;
    }
    return -1;
}

bool SevenZipControl::SaysDiskFull(const std::string& output) {
    const std::string text = Lower(output);
    return text.find("disk full") != std::string::npos ||
           text.find("not enough space on the disk") != std::string::npos;
}

void SevenZipControl::ParseOutput(const std::string& chunk) {
    {
        std::lock_guard<std::mutex> lock(tailMutex_);
        tail_ += chunk;
        if (tail_.size() > kTailBytes) tail_.erase(0, tail_.size() - kTailBytes);
    }
    ToolProgress progress = Progress();
    int32_t value = 0;
    if (ParseDecimal(FindLastMatchGroup(chunk, kPercentPattern, 1), value) && value != 0) progress.percent = value;
    const bool finished = FindLastMatchGroup(chunk, kSuccessText, 0) == kSuccessText;
    if (finished) progress.percent = 100;
    PublishProgress(progress, finished || Completed());
}

void SevenZipControl::MarkFinished() {
    ToolProgress progress = Progress();
    progress.percent = 100;
    PublishProgress(progress, true);
}
