#include "Launcher/console/CommandLineQuote.h"

std::wstring QuoteCommandLinePiece(const std::wstring& piece) {
    if (piece.find_first_of(L" \t\"") == std::wstring::npos) return piece;

    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : piece) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            // 2n+1 backslashes before a quote give n backslashes and a literal quote.
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes right before the closing quote would escape it: double them.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}
