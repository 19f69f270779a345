#include "Launcher/config/LauncherUrls.h"

// The values come from the build configuration (see Launcher/CMakeLists.txt).
#define LAUNCHER_WIDE_TEXT2(text) L##text
#define LAUNCHER_WIDE_TEXT(text) LAUNCHER_WIDE_TEXT2(text)

const char kConfigUrl[] = LAUNCHER_CONFIG_URL;
const wchar_t kCommunityUrl[] = LAUNCHER_WIDE_TEXT(LAUNCHER_COMMUNITY_URL);
const wchar_t kHomepageUrl[] = LAUNCHER_WIDE_TEXT(LAUNCHER_HOMEPAGE_URL);
