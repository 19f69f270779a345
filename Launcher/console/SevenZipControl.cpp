#include "Launcher/console/SevenZipControl.h"

#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/FindLastMatchGroup.h"

namespace {

const char kPercentPattern[] = R"(((\d+))%)";
const char kSuccessText[] = "Everything is Ok";

} // namespace

SevenZipControl::~SevenZipControl() { StopTool(); }

std::string SevenZipControl::CommandLine(const std::string& toolPath, const std::string& archive,
                                    const std::string& outputFolder) {
    return QuoteCommandLinePiece(toolPath) + " x " + QuoteCommandLinePiece(archive) + " -o" +
           QuoteCommandLinePiece(outputFolder) + " -y -bsp1";
}

bool SevenZipControl::Extract(const std::string& archive, const std::string& outputFolder) {
    EndPreviousRun();
    finished.store(0);
    percent.store(0);
    return StartTool(CommandLine(GetToolPath(), archive, outputFolder));
}

void SevenZipControl::ParseOutput(const std::string& chunk) {
    int32_t value = 0;
    if (ParseDecimal(FindLastMatchGroup(chunk, kPercentPattern, 1), value) && value != 0)
        percent.store(value);
    if (FindLastMatchGroup(chunk, kSuccessText, 0) == kSuccessText) MarkFinished();
}

void SevenZipControl::MarkFinished() {
    percent.store(100);
    finished.store(1);
}
