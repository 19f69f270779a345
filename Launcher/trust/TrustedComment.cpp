#include "Launcher/trust/TrustedComment.h"

namespace trust {

TrustedCommentFields ParseTrustedComment(std::string_view comment) {
    TrustedCommentFields result;
    static constexpr std::string_view kTimestamp = "timestamp:";
    static constexpr std::string_view kFile = "\tfile:";
    static constexpr std::string_view kHashed = "\thashed";
    const std::string_view form = " is not minisign's \"timestamp:N<TAB>file:NAME<TAB>hashed\"";
    if (comment.substr(0, kTimestamp.size()) != kTimestamp) {
        result.error = "the trusted comment" + std::string(form);
        return result;
    }
    comment.remove_prefix(kTimestamp.size());
    size_t digits = 0;
    uint64_t timestamp = 0;
    while (digits < comment.size() && comment[digits] >= '0' && comment[digits] <= '9') {
        const uint64_t digit = static_cast<uint64_t>(comment[digits] - '0');
        if (timestamp > (UINT64_MAX - digit) / 10) {
            result.error = "the trusted comment's timestamp is out of range";
            return result;
        }
        timestamp = timestamp * 10 + digit;
        ++digits;
    }
    comment.remove_prefix(digits);
    if (digits == 0 || comment.substr(0, kFile.size()) != kFile || comment.size() < kFile.size() + kHashed.size() ||
        comment.substr(comment.size() - kHashed.size()) != kHashed) {
        result.error = "the trusted comment" + std::string(form);
        return result;
    }
    const std::string_view name = comment.substr(kFile.size(), comment.size() - kFile.size() - kHashed.size());
    if (name.empty() || name.find('\t') != std::string_view::npos) {
        result.error = "the trusted comment's file name is empty or holds a tab";
        return result;
    }
    result.ok = true;
    result.timestamp = timestamp;
    result.fileName = std::string(name);
    return result;
}

} // namespace trust
