#include "security/encryption_layer.h"

namespace {
constexpr size_t kIvLength = 16;
constexpr size_t kBlockLength = 16;
CEncryptionLayer* encryptionLayer = nullptr;
} // namespace

CEncryptionLayer* CEncryptionLayer::Instance() {
    if (encryptionLayer == nullptr) {
        encryptionLayer = new CEncryptionLayer();
    }
    return encryptionLayer;
}

void CEncryptionLayer::DestroyInstance() {
    delete encryptionLayer;
    encryptionLayer = nullptr;
}

bool CEncryptionLayer::Exists() {
    return encryptionLayer != nullptr;
}

bool CEncryptionLayer::SetKey(std::string_view password) {
    cipher_ = LayerCipher::Create(password);
    return cipher_ != nullptr;
}

int CEncryptionLayer::Send(Packet& packet) {
    if (!cipher_) {
        return -1;
    }
    if (packet.sealed) {
        const Iv iv = cipher_->NextIv();
        cipher_->EncryptCbc(iv, packet.payload.At(0), packet.payload.Size());
        packet.payload.PrependBytes(iv.data(), iv.size());
    }
    return lower != nullptr ? lower->Send(packet) : -1;
}

int CEncryptionLayer::Receive(Packet& packet) {
    if (!cipher_) {
        return -1;
    }
    if (packet.sealed) {
        const size_t size = packet.payload.Size();
        if (size <= kIvLength || (size - kIvLength) % kBlockLength != 0) {
            return -1;
        }
        ByteBuffer ivBytes;
        packet.payload.RemoveFront(kIvLength, ivBytes);
        Iv iv{};
        for (size_t i = 0; i < kIvLength; ++i) {
            iv[i] = ivBytes.GetU8(i);
        }
        cipher_->DecryptCbc(iv, packet.payload.At(0), packet.payload.Size());
    }
    return upper != nullptr ? upper->Receive(packet) : 0;
}

bool RekeyEncryptionLayer(std::string_view password) {
    return CEncryptionLayer::Instance()->SetKey(password);
}
