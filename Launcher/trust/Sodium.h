#pragma once
// libsodium must be initialised once before use: sodium_init picks the fastest
// BLAKE2b code for this processor and seeds its random source.
namespace trust {

// True once libsodium is ready; safe to call from any thread, any number of times.
bool EnsureSodium();

} // namespace trust
