#include "Launcher/console/SevenZipControl.h"

#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/FindLastMatchGroup.h"

namespace {

const char kPercentPattern[] = R"(((\d+))%)";
const char kSuccessText[] = "Everything is Ok";

} // namespace

SevenZipControl::~SevenZipControl() { StopTool(); }

std::wstring SevenZipControl::CommandLine(const std::wstring& toolPath, const std::wstring& archive,
                                          const std::wstring& outputFolder) {
    return QuoteCommandLinePiece(toolPath) + L" x " + QuoteCommandLinePiece(archive) + L" -o" +
           QuoteCommandLinePiece(outputFolder) + L" -y -bsp1";
}

bool SevenZipControl::Extract(const std::wstring& archive, const std::wstring& outputFolder) {
    EndPreviousRun();
    return StartTool(CommandLine(GetToolPath(), archive, outputFolder));
}

void SevenZipControl::ParseOutput(const std::string& chunk) {
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
