// SHA-256 on POSIX systems: libcrypto's EVP digest, which picks the processor's SHA instructions
// where it has them.

#include "fileio/ContentDigest.h"

#include <new>

#include <openssl/evp.h>

namespace velcor::fileio {

struct Sha256::State {
    State() : context(EVP_MD_CTX_new()) {
        if (context == nullptr || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
            EVP_MD_CTX_free(context);
            throw std::bad_alloc();
        }
    }
    ~State() { EVP_MD_CTX_free(context); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    EVP_MD_CTX* context;
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
    if (size == 0) return;
    if (EVP_DigestUpdate(state().context, data, size) != 1) throw std::bad_alloc();
}

Sha256::Digest Sha256::finish() {
    Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state().context, digest.data(), &length) != 1 || length != digest.size())
        throw std::bad_alloc();
    return digest;
}

}  // namespace velcor::fileio
