#pragma once
// BLAKE2b-512 of bytes that arrive in pieces (a download, a file read once
// for several checksums): the same digest Blake2bOfBuffer gives for all the
// pieces joined.
#include <cstddef>
#include <memory>
#include <string>

#include "Launcher/trust/Blake2b.h"

namespace trust {

class Blake2bStream {
public:
    Blake2bStream();
    ~Blake2bStream();
    Blake2bStream(const Blake2bStream&) = delete;
    Blake2bStream& operator=(const Blake2bStream&) = delete;

    void Update(const void* bytes, size_t size);
    // The digest of everything so far; the stream starts anew afterwards.
    Blake2bDigest Finish();
    // The same as 128 lower-case hex digits.
    std::string FinishHex() { return DigestHex(Finish()); }

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace trust
