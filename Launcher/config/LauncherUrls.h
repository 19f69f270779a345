#pragma once
// The three addresses fixed in the program when the build is configured
// (CMake cache variables LAUNCHER_CONFIG_URL, LAUNCHER_COMMUNITY_URL and
// LAUNCHER_HOMEPAGE_URL). Everything else the launcher fetches is named by
// the configuration itself.

// The remote configuration; its path ends in "/FTP/cs/Launcher/Config.ini".
extern const char kConfigUrl[];
// Opened by the "btn_qq" button.
extern const wchar_t kCommunityUrl[];
// Opened by the "btn_zy" button.
extern const wchar_t kHomepageUrl[];
