// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>

#include "crypto/crypto.h"

namespace trv81k::crypto {
namespace {

bool ok(NTSTATUS status) {
    return status >= 0;
}

[[noreturn]] void aesFailure(const char* what) {
    std::fprintf(stderr, "trv81k: AES-256-ECB unavailable (%s)\n", what);
    std::abort();
}

// CNG takes its inputs as non-const byte pointers but does not write through them.
PUCHAR input(std::span<const std::uint8_t> bytes) {
    return const_cast<PUCHAR>(bytes.data());
}

class Provider {
public:
    explicit Provider(LPCWSTR algorithm) {
        if (!ok(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0))) {
            handle_ = nullptr;
        }
    }
    ~Provider() {
        if (handle_ != nullptr) {
            BCryptCloseAlgorithmProvider(handle_, 0);
        }
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

struct Aes256Ecb::State {
    Provider provider{BCRYPT_AES_ALGORITHM};
    BCRYPT_KEY_HANDLE key = nullptr;
    bool encrypt = true;
    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        if (key != nullptr) {
            BCryptDestroyKey(key);
        }
    }
};

Aes256Ecb::Aes256Ecb(std::span<const std::uint8_t, kAes256KeySize> key, bool encrypt)
    : state_(std::make_unique<State>()) {
    state_->encrypt = encrypt;
    const BCRYPT_ALG_HANDLE aes = state_->provider.get();
    if (aes == nullptr) {
        aesFailure("provider");
    }
    std::wstring mode = BCRYPT_CHAIN_MODE_ECB;
    if (!ok(BCryptSetProperty(aes, BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(mode.data()),
                              static_cast<ULONG>((mode.size() + 1) * sizeof(wchar_t)), 0)) ||
        !ok(BCryptGenerateSymmetricKey(aes, &state_->key, nullptr, 0, input(key),
                                       static_cast<ULONG>(key.size()), 0))) {
        aesFailure("init");
    }
}

Aes256Ecb::~Aes256Ecb() = default;

void Aes256Ecb::run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (in.size() != out.size() || in.size() % kAesBlockSize != 0) {
        aesFailure("block size");
    }
    ULONG written = 0;
    const auto size = static_cast<ULONG>(in.size());
    const NTSTATUS status = state_->encrypt
                                ? BCryptEncrypt(state_->key, input(in), size, nullptr, nullptr, 0,
                                                out.data(), size, &written, 0)
                                : BCryptDecrypt(state_->key, input(in), size, nullptr, nullptr, 0,
                                                out.data(), size, &written, 0);
    if (!ok(status) || written != size) {
        aesFailure("update");
    }
}

std::optional<std::array<std::uint8_t, 16>> Md5(std::span<const std::uint8_t> data) {
    const Provider md5(BCRYPT_MD5_ALGORITHM);
    if (md5.get() == nullptr) {
        return std::nullopt;
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!ok(BCryptCreateHash(md5.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> digest{};
    const bool done =
        ok(BCryptHashData(hash, input(data), static_cast<ULONG>(data.size()), 0)) &&
        ok(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    if (!done) {
        return std::nullopt;
    }
    return digest;
}

}  // namespace trv81k::crypto
