#include "security/layer_cipher.h"

#include <cstring>
#include <mbedtls/aes.h>

#include "platform/clock.h"
#include "platform/random.h"

std::unique_ptr<LayerCipher> LayerCipher::Create(std::string_view devicePassword) {
    const std::optional<Key16> layerKey = DeriveLayerKey(devicePassword);
    if (!layerKey) {
        return nullptr;
    }
    std::unique_ptr<LayerCipher> cipher(new LayerCipher());
    SeedRandom(static_cast<unsigned>(Clock().NowSeconds()));
    for (uint8_t& byte : cipher->ivKey) {
        byte = static_cast<uint8_t>((NextRandom() % 255) & 1);
        SeedRandom(static_cast<unsigned>(NextRandom()));
    }
    cipher->aesKey = *layerKey;
    return cipher;
}

Iv LayerCipher::NextIv() {
    const uint32_t m = counter * 8 + 3;
    const uint8_t message[4] = {static_cast<uint8_t>(m), static_cast<uint8_t>(m >> 8), static_cast<uint8_t>(m >> 16),
                                static_cast<uint8_t>(m >> 24)};
    const std::array<uint8_t, 32> mac = HmacSha256(ivKey, message);
    Iv iv{};
    std::memcpy(iv.data(), mac.data(), iv.size());
    ++counter;
    return iv;
}

void LayerCipher::EncryptCbc(const Iv& iv, uint8_t* data, size_t length) const {
    AesCbcEncrypt(aesKey, iv, data, length);
}

void LayerCipher::DecryptCbc(const Iv& iv, uint8_t* data, size_t length) const {
    AesCbcDecrypt(aesKey, iv, data, length);
}

void AesCbcEncrypt(const Key16& key, const Iv& iv, uint8_t* data, size_t length) {
    mbedtls_aes_context context;
    mbedtls_aes_init(&context);
    mbedtls_aes_setkey_enc(&context, key.data(), 128);
    uint8_t chain[16];
    std::memcpy(chain, iv.data(), sizeof chain);
    for (size_t offset = 0; offset + 16 <= length; offset += 16) {
        uint8_t* block = data + offset;
        for (int i = 0; i < 16; ++i) {
            block[i] ^= chain[i];
        }
        mbedtls_aes_crypt_ecb(&context, MBEDTLS_AES_ENCRYPT, block, block);
        std::memcpy(chain, block, sizeof chain);
    }
    mbedtls_aes_free(&context);
}

void AesCbcDecrypt(const Key16& key, const Iv& iv, uint8_t* data, size_t length) {
    mbedtls_aes_context context;
    mbedtls_aes_init(&context);
    mbedtls_aes_setkey_dec(&context, key.data(), 128);
    uint8_t chain[16];
    std::memcpy(chain, iv.data(), sizeof chain);
    for (size_t offset = 0; offset + 16 <= length; offset += 16) {
        uint8_t* block = data + offset;
        uint8_t cipherText[16];
        std::memcpy(cipherText, block, sizeof cipherText);
        mbedtls_aes_crypt_ecb(&context, MBEDTLS_AES_DECRYPT, block, block);
        for (int i = 0; i < 16; ++i) {
            block[i] ^= chain[i];
        }
        std::memcpy(chain, cipherText, sizeof chain);
    }
    mbedtls_aes_free(&context);
}
