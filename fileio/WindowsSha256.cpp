// SHA-256 on Windows: the system's own, through CNG.

#include "fileio/ContentDigest.h"

#include <algorithm>
#include <limits>
#include <new>

#include <windows.h>

#include <bcrypt.h>

namespace velcor::fileio {

namespace {

// Opened once for the whole run: opening a provider costs far more than a hash does.
BCRYPT_ALG_HANDLE sha256Provider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        if (BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
            return BCRYPT_ALG_HANDLE{nullptr};
        return opened;
    }();
    return provider;
}

}  // namespace

struct Sha256::State {
    State() {
        // With no buffer of the caller's, the system keeps the hash object itself.
        const BCRYPT_ALG_HANDLE provider = sha256Provider();
        if (provider == nullptr || BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0) < 0)
            throw std::bad_alloc();
    }
    ~State() { BCryptDestroyHash(hash); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() noexcept = default;
Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

Sha256::State& Sha256::state() {
    if (!state_) state_ = std::make_unique<State>();
    return *state_;
}

void Sha256::add(const char* data, std::size_t size) {
    const BCRYPT_HASH_HANDLE hash = state().hash;
    auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data));
    // The call takes a 32-bit count.
    while (size > 0) {
        const auto piece =
            static_cast<ULONG>(std::min<std::size_t>(size, std::numeric_limits<ULONG>::max()));
        if (BCryptHashData(hash, bytes, piece, 0) < 0) throw std::bad_alloc();
        bytes += piece;
        size -= piece;
    }
}

Sha256::Digest Sha256::finish() {
    Digest digest{};
    if (BCryptFinishHash(state().hash, digest.data(), static_cast<ULONG>(digest.size()), 0) < 0)
        throw std::bad_alloc();
    return digest;
}

}  // namespace velcor::fileio
