#include "pillar/UrlFileName.h"

namespace pillar {

std::string UrlFileName(const std::string& url) {
    const size_t slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

} // namespace pillar
