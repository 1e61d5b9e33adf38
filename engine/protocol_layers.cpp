#include "engine/protocol_layers.h"

#include <zlib.h>

#include "engine/frame_channel.h"
#include "platform/random.h"

namespace {
CRawLayer* rawLayer = nullptr;
CPacketLayer* packetLayer = nullptr;
LayerStack* layerStack = nullptr;
} // namespace

CRawLayer* CRawLayer::Instance() {
    if (rawLayer == nullptr) {
        rawLayer = new CRawLayer();
    }
    return rawLayer;
}

void CRawLayer::DestroyInstance() {
    delete rawLayer;
    rawLayer = nullptr;
}

bool CRawLayer::Exists() {
    return rawLayer != nullptr;
}

int CRawLayer::Send(Packet& packet) {
    packet.BuildFrame();
    return SendFrame(packet.payload.At(0), static_cast<int>(packet.payload.Size()));
}

int CRawLayer::Receive(Packet& packet) {
    uint8_t frame[kMaxFrameLength];
    const int received = ReceiveFrame(frame, kMaxFrameLength);
    if (received <= 0) {
        return received;
    }
    if (!packet.ParseFrame(frame, received)) {
        return 0;
    }
    if (upper != nullptr) {
        const int result = upper->Receive(packet);
        if (result < 0) {
            return result;
        }
    }
    return received;
}

uint8_t SealedFillLength(uint16_t n) {
    const auto unpadded = static_cast<uint16_t>(n + 6);
    const auto rounded = static_cast<uint16_t>((unpadded + 15) & ~15);
    return static_cast<uint8_t>(rounded + 16 - unpadded);
}

CPacketLayer* CPacketLayer::Instance() {
    if (packetLayer == nullptr) {
        packetLayer = new CPacketLayer();
    }
    return packetLayer;
}

void CPacketLayer::DestroyInstance() {
    delete packetLayer;
    packetLayer = nullptr;
}

bool CPacketLayer::Exists() {
    return packetLayer != nullptr;
}

int CPacketLayer::Send(Packet& packet) {
    packet.payload.PrependU8(sequence);
    if (packet.sealed) {
        const auto n = static_cast<uint16_t>(packet.payload.Size());
        const auto crc = static_cast<uint32_t>(crc32(0L, packet.payload.At(0), n));
        packet.payload.PrependU16Le(n);
        packet.payload.AppendU32Le(crc);
        const uint8_t fill = SealedFillLength(n);
        for (int i = 0; i < fill; ++i) {
            packet.payload.AppendU8(static_cast<uint8_t>(NextRandom() & 0xFF));
        }
    }
    return lower != nullptr ? lower->Send(packet) : -1;
}

int CPacketLayer::Receive(Packet& packet) {
    if (!packet.sealed) {
        return 0;
    }
    if (packet.payload.Size() < 3 || packet.payload.GetU8(2) != sequence) {
        return -1;
    }
    ByteBuffer removed;
    packet.payload.RemoveFront(3, removed);
    sequence = static_cast<uint8_t>(sequence + 1);
    return 0;
}

LayerStack* LayerStack::Instance() {
    if (layerStack == nullptr) {
        layerStack = new LayerStack();
    }
    return layerStack;
}

void LayerStack::DestroyInstance() {
    if (layerStack != nullptr) {
        layerStack->bottom = nullptr;
        layerStack->top = nullptr;
    }
    delete layerStack;
    layerStack = nullptr;
}

bool LayerStack::Exists() {
    return layerStack != nullptr;
}

void LayerStack::Push(IProtocolLayer* layer) {
    if (layer == nullptr) {
        return;
    }
    layer->lower = nullptr;
    layer->upper = nullptr;
    if (top != nullptr) {
        top->upper = layer;
        layer->lower = top;
    } else {
        bottom = layer;
    }
    top = layer;
}

int LayerStack::Send(Packet& packet) {
    return top != nullptr ? top->Send(packet) : -1;
}

int LayerStack::Receive(Packet& packet) {
    return bottom != nullptr ? bottom->Receive(packet) : -1;
}
