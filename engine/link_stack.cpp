#include "engine/link_stack.h"

#include "engine/protocol_layers.h"
#include "security/encryption_layer.h"

void BuildLinkStack(std::string_view passwordText) {
    if (passwordText.empty()) {
        return;
    }
    LayerStack* stack = LayerStack::Instance();
    CRawLayer* raw = CRawLayer::Instance();
    CEncryptionLayer* encryption = CEncryptionLayer::Instance();
    encryption->SetKey(passwordText);
    CPacketLayer* packet = CPacketLayer::Instance();
    stack->Push(raw);
    stack->Push(encryption);
    stack->Push(packet);
}

void DestroyLinkStack() {
    if (CRawLayer::Exists()) {
        CRawLayer::DestroyInstance();
    }
    if (CEncryptionLayer::Exists()) {
        CEncryptionLayer::DestroyInstance();
    }
    if (CPacketLayer::Exists()) {
        CPacketLayer::DestroyInstance();
    }
    if (LayerStack::Exists()) {
        LayerStack::DestroyInstance();
    }
}
