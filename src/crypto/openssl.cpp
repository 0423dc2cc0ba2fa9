#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>

#include "crypto/crypto.h"

namespace trv81k::crypto {
namespace {

[[noreturn]] void aesFailure(const char* what) {
    std::fprintf(stderr, "trv81k: AES-256-ECB unavailable (%s)\n", what);
    std::abort();
}

const EVP_CIPHER* aes256Ecb() {
    // Fetched once: an implicit fetch on every initialisation costs more than the cipher.
    static EVP_CIPHER* const cipher = [] {
        EVP_CIPHER* fetched = EVP_CIPHER_fetch(nullptr, "AES-256-ECB", nullptr);
        if (fetched == nullptr) {
            aesFailure("fetch");
        }
        return fetched;
    }();
    return cipher;
}

}  // namespace

struct Aes256Ecb::State {
    struct Free {
        void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
    };
    std::unique_ptr<EVP_CIPHER_CTX, Free> ctx{EVP_CIPHER_CTX_new()};
};

Aes256Ecb::Aes256Ecb(std::span<const std::uint8_t, kAes256KeySize> key, bool encrypt)
    : state_(std::make_unique<State>()) {
    if (state_->ctx == nullptr ||
        EVP_CipherInit_ex2(state_->ctx.get(), aes256Ecb(), key.data(), nullptr, encrypt ? 1 : 0,
                           nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(state_->ctx.get(), 0) != 1) {
        aesFailure("init");
    }
}

Aes256Ecb::~Aes256Ecb() = default;

void Aes256Ecb::run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    int written = 0;
    if (in.size() != out.size() || in.size() % kAesBlockSize != 0 ||
        EVP_CipherUpdate(state_->ctx.get(), out.data(), &written, in.data(),
                         static_cast<int>(in.size())) != 1 ||
        written != static_cast<int>(in.size())) {
        aesFailure("update");
    }
}

std::optional<std::array<std::uint8_t, 16>> Md5(std::span<const std::uint8_t> data) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_md5(), nullptr) != 1 ||
        length != 16) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = digest[i];
    }
    return result;
}

}  // namespace trv81k::crypto
