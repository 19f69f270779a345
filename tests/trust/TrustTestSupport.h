#pragma once
// Paths of the fixtures the build made with minisign and b2sum, and the keys
// the tests trust.
#include <string>
#include <vector>

#include "Launcher/trust/MinisignKey.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace trust_test {

// Wine shows the Unix root as drive Z:.
inline std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + pillar::Utf8ToWide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

inline std::wstring Fixture(const std::string& name) { return WindowsPathOf(std::string(TRUST_FIXTURES) + "/" + name); }

inline std::string ReadFixture(const std::string& name) {
    std::string bytes;
    pillar::ReadWholeFile(Fixture(name), bytes);
    return bytes;
}

inline trust::MinisignPublicKey KeyOf(const char* base64Line) {
    return trust::ParseMinisignPublicKey(base64Line).key;
}

inline std::vector<trust::MinisignPublicKey> TrustedKeys() { return {KeyOf(TRUST_TRUSTED_KEY)}; }

} // namespace trust_test
