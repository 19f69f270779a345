#pragma once
// The name a download is saved under: the URL's last "/"-segment, as sent
// (query included). Whether it is a safe file name is the caller's check.
#include <string>

namespace pillar {

std::string UrlFileName(const std::string& url);

} // namespace pillar
