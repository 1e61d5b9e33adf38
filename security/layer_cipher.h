#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "security/key_derivation.h"

using Iv = std::array<uint8_t, 16>;

// The encryption layer's key state for one device password: an IV generator and AES-128 in CBC mode.
class LayerCipher {
public:
    // nullptr for a password that is empty or longer than 64 characters: such a password cannot be
    // derived without overrunning the derivation's work area.
    static std::unique_ptr<LayerCipher> Create(std::string_view devicePassword);

    LayerCipher(const LayerCipher&) = delete;
    LayerCipher& operator=(const LayerCipher&) = delete;

    // A fresh IV: HMAC-SHA-256 under ivKey over (counter * 8 + 3), little-endian; advances the counter.
    Iv NextIv();
    // Transform `length` bytes in place, whole 16-byte blocks; a trailing partial block is left untouched.
    void EncryptCbc(const Iv& iv, uint8_t* data, size_t length) const;
    void DecryptCbc(const Iv& iv, uint8_t* data, size_t length) const;

    uint32_t counter = 0;
    std::array<uint8_t, 32> ivKey{};
    Key16 aesKey{};

private:
    LayerCipher() = default;
};

// CBC over whole blocks under a given key; shared by the cipher object and the simulated adapters.
void AesCbcEncrypt(const Key16& key, const Iv& iv, uint8_t* data, size_t length);
void AesCbcDecrypt(const Key16& key, const Iv& iv, uint8_t* data, size_t length);
