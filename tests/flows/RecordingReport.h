#pragma once
// A stand-in for the window: every report a workflow makes, as one line of
// text, in the order made (workers and tool reader threads may report).
#include <mutex>
#include <string>
#include <vector>

#include "Launcher/flows/LauncherReport.h"
#include "pillar/TextConversion.h"

namespace flows_test {

class RecordingReport : public LauncherReport {
public:
    void Progress(int card, const JobProgress& progress) override {
        Add("progress " + std::to_string(card) + " " + std::to_string(progress.percent));
    }
    void Notice(int card, const NoticeInfo& notice) override {
        Add("notice " + std::to_string(card) + " " + NoticeName(notice.kind));
    }
    void CardStateChanged(int card, CardState state) override {
        static const char* const names[] = {"not installed", "installed", "working"};
        Add("state " + std::to_string(card) + " " + names[static_cast<int>(state)]);
    }
    void Title(const std::wstring& title) override { Add("title " + pillar::WideToUtf8(title)); }
    void CardFilled(int card, const GameCard&, const CardContent& content) override {
        Add("card " + std::to_string(card) + (content.shown ? " shown" : " hidden"));
    }
    void Image(WindowImage, int card, const std::wstring&) override { Add("image " + std::to_string(card)); }
    void LanguageChosen(LauncherLanguage language) override { Add("language " + std::to_string(language)); }
    void StartupDone() override { Add("startup done"); }

    static std::string NoticeName(NoticeKind kind) {
        static const char* const names[] = {"download", "unpack",  "timeout",  "not found",    "disk full", "no room",
                                            "network",  "missing", "mismatch", "cannot write", "config",
                                            "refused",  "list refused", "settings refused", "link refused"};
        return names[static_cast<int>(kind)];
    }

    // Lines from other sources (a game start) go into the same order.
    void Add(const std::string& line) {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line);
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    // The lines that do not start with "progress".
    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        for (const std::string& line : Lines())
            if (line.rfind("progress", 0) != 0) events.push_back(line);
        return events;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace flows_test
