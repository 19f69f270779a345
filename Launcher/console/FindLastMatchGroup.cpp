#include "Launcher/console/FindLastMatchGroup.h"

#include <regex>

std::string FindLastMatchGroup(const std::string& text, const std::string& pattern, int group) {
    // Patterns may come from callers; a bad one must not throw out of here.
    try {
        const std::regex expression(pattern, std::regex::ECMAScript);
        std::string result;
        const std::sregex_iterator end;
        for (std::sregex_iterator it(text.begin(), text.end(), expression); it != end; ++it) {
            const std::smatch& match = *it;
            const bool hasGroup = group >= 0 && static_cast<size_t>(group) < match.size();
            result = hasGroup ? match[group].str() : std::string();
        }
        return result;
    } catch (const std::exception&) {
        return std::string();
    }
}
