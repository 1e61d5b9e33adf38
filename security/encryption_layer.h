#pragma once

#include <memory>
#include <string_view>

#include "engine/protocol_layers.h"
#include "security/layer_cipher.h"

// Middle layer: seals outgoing sealed packets (fresh IV in front of the AES-128-CBC ciphertext) and
// unseals incoming ones, under the one key it holds.
class CEncryptionLayer final : public IProtocolLayer {
public:
    static CEncryptionLayer* Instance();
    static void DestroyInstance();
    static bool Exists();

    // Replaces the cipher with one for `password`. A password that cannot be derived (empty, or longer
    // than 64 characters) leaves the layer without a key, so that nothing is sent under a stale one;
    // returns false then.
    bool SetKey(std::string_view password);
    bool HasKey() const { return cipher_ != nullptr; }
    const LayerCipher* Cipher() const { return cipher_.get(); }

    // -1 without a key; otherwise the lower layer's result.
    int Send(Packet& packet) override;
    // -1 without a key, and for a sealed payload that is not an IV plus whole 16-byte blocks; otherwise
    // the upper layer's result.
    int Receive(Packet& packet) override;

private:
    std::unique_ptr<LayerCipher> cipher_;
};

// The engine's re-key entry: keys the single encryption layer with `password`. True when a key is set.
bool RekeyEncryptionLayer(std::string_view password);
