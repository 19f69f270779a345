#pragma once
// The minisign public keys fixed in the program when it was built (CMake
// cache variable LAUNCHER_SIGNING_KEYS). Empty when the build trusts no key:
// then no download and no Config.ini can be verified.
#include <vector>

#include "Launcher/trust/MinisignKey.h"

namespace trust {

const std::vector<MinisignPublicKey>& BuiltInSigningKeys();

} // namespace trust
