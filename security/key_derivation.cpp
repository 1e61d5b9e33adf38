#include "security/key_derivation.h"

#include <cctype>
#include <cstring>
#include <mbedtls/md.h>

namespace {
constexpr uint8_t kNmkSalt[8] = {0x08, 0x85, 0x6D, 0xAF, 0x7C, 0xF5, 0x81, 0x86};
constexpr uint8_t kDakSalt[8] = {0x08, 0x85, 0x6D, 0xAF, 0x7C, 0xF5, 0x81, 0x85};
constexpr uint8_t kDevicePasswordSalt[8] = {0x3C, 0x19, 0xE2, 0x50, 0xA4, 0x6B, 0xD7, 0x0E};
constexpr std::string_view kLayerSentence = "Copper lanterns swing gently beside a frozen mill pond";
constexpr int kNmkIterations = 1000;
constexpr int kDakIterations = 1000;
constexpr int kDevicePasswordIterations = 1000;
constexpr int kLayerKeyIterations = 100;
constexpr int kNidRounds = 5;

const mbedtls_md_info_t* Sha256Info() {
    return mbedtls_md_info_from_type(MBEDTLS_MD_SHA256);
}

std::optional<Key16> Derive16(std::string_view password, std::span<const uint8_t> salt, int iterations) {
    if (password.empty()) {
        return std::nullopt;
    }
    Key16 key{};
    if (!Pbkdf1Sha256(password, salt, iterations, key.data(), key.size())) {
        return std::nullopt;
    }
    return key;
}
} // namespace

std::array<uint8_t, 32> Sha256(std::span<const uint8_t> data) {
    std::array<uint8_t, 32> digest{};
    mbedtls_md(Sha256Info(), data.data(), data.size(), digest.data());
    return digest;
}

std::array<uint8_t, 32> HmacSha256(std::span<const uint8_t> key, std::span<const uint8_t> data) {
    std::array<uint8_t, 32> mac{};
    mbedtls_md_hmac(Sha256Info(), key.data(), key.size(), data.data(), data.size(), mac.data());
    return mac;
}

bool Pbkdf1Sha256(std::string_view password, std::span<const uint8_t> salt, int iterations, uint8_t* out,
                  size_t outLength) {
    if (password.size() + salt.size() > kPbkdfWorkArea || outLength > 32 || iterations < 1 || out == nullptr) {
        return false;
    }
    uint8_t work[kPbkdfWorkArea] = {};
    std::memcpy(work, password.data(), password.size());
    if (!salt.empty()) {
        std::memcpy(work + password.size(), salt.data(), salt.size());
    }
    size_t inputLength = 0;
    while (inputLength < kPbkdfWorkArea && work[inputLength] != 0) {
        ++inputLength;
    }
    std::array<uint8_t, 32> digest = Sha256({work, inputLength});
    for (int k = 2; k <= iterations; ++k) {
        digest = Sha256(digest);
    }
    std::memcpy(out, digest.data(), outLength);
    return true;
}

std::optional<Key16> DeriveNmk(std::string_view networkPassword) {
    if (networkPassword.size() > kMaxPasswordLength) {
        return std::nullopt;
    }
    return Derive16(networkPassword, kNmkSalt, kNmkIterations);
}

NetworkId DeriveNid(const Key16& nmk, int securityLevel) {
    std::array<uint8_t, 32> digest = Sha256(nmk);
    for (int round = 2; round <= kNidRounds; ++round) {
        digest = Sha256(digest);
    }
    NetworkId nid{};
    std::memcpy(nid.data(), digest.data(), nid.size());
    nid[6] = static_cast<uint8_t>(((securityLevel & 3) << 4) | (digest[6] >> 4));
    return nid;
}

std::optional<Key16> DeriveDak(std::string_view devicePassword) {
    if (devicePassword.size() > kMaxPasswordLength) {
        return std::nullopt;
    }
    return Derive16(devicePassword, kDakSalt, kDakIterations);
}

std::optional<Key16> DeriveLayerKey(std::string_view devicePassword) {
    const std::optional<Key16> dak = DeriveDak(devicePassword);
    if (!dak) {
        return std::nullopt;
    }
    return Derive16(kLayerSentence, *dak, kLayerKeyIterations);
}

std::string DefaultDevicePassword(const MacAddress& mac) {
    std::string text;
    for (char c : FormatMac(mac)) {
        if (c != ':') {
            text.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    Key16 digest{};
    Pbkdf1Sha256(text, kDevicePasswordSalt, kDevicePasswordIterations, digest.data(), digest.size());
    std::string password;
    for (size_t i = 0; i < digest.size(); ++i) {
        if (i == 4 || i == 8 || i == 12) {
            password.push_back('-');
        }
        password.push_back(static_cast<char>('A' + digest[i] % 26));
    }
    return password;
}
