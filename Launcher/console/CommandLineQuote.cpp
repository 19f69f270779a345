#include "Launcher/console/CommandLineQuote.h"

std::string QuoteCommandLinePiece(const std::string& piece) {
    if (piece.find_first_of(" \t\"") == std::string::npos) return piece;

    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : piece) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // 2n+1 backslashes before a quote give n backslashes and a literal quote.
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes right before the closing quote would escape it: double them.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}
