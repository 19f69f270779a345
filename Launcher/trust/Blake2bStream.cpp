#include "Launcher/trust/Blake2bStream.h"

#include <sodium.h>

#include "Launcher/trust/Sodium.h"

namespace trust {

struct Blake2bStream::State {
    crypto_generichash_state hash;
};

Blake2bStream::Blake2bStream() : state_(new State) {
    EnsureSodium();
    crypto_generichash_init(&state_->hash, nullptr, 0, crypto_generichash_BYTES_MAX);
}

Blake2bStream::~Blake2bStream() = default;

void Blake2bStream::Update(const void* bytes, size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    // Modest pieces keep the count within what a 32-bit build passes safely.
    constexpr size_t kPiece = 1u << 20;
    while (size > 0) {
        const size_t piece = size > kPiece ? kPiece : size;
        crypto_generichash_update(&state_->hash, at, piece);
        at += piece;
        size -= piece;
    }
}

Blake2bDigest Blake2bStream::Finish() {
    Blake2bDigest digest{};
    crypto_generichash_final(&state_->hash, digest.data(), digest.size());
    crypto_generichash_init(&state_->hash, nullptr, 0, crypto_generichash_BYTES_MAX);
    return digest;
}

} // namespace trust
