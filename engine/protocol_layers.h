#pragma once

#include <cstdint>

#include "engine/packet.h"

// A layer of the protocol stack. Send passes a packet down towards the wire, Receive passes a received
// packet up. Results: negative for failure, otherwise as each layer documents.
class IProtocolLayer {
public:
    virtual ~IProtocolLayer() = default;
    virtual int Send(Packet& packet) = 0;
    virtual int Receive(Packet& packet) = 0;

    IProtocolLayer* lower = nullptr;
    IProtocolLayer* upper = nullptr;
};

// Bottom layer: turns packets into frames for the frame channel and frames back into packets.
class CRawLayer final : public IProtocolLayer {
public:
    static CRawLayer* Instance();
    static void DestroyInstance();
    static bool Exists();

    // The frame length handed to the channel, or -1.
    int Send(Packet& packet) override;
    // The received frame length when every layer above accepted it; 0 when nothing (or no management
    // frame) arrived; negative on a channel error or a rejection above.
    int Receive(Packet& packet) override;
};

// Top layer: the Sequence byte and, for sealed packets, Length, CRC-32 and random fill.
class CPacketLayer final : public IProtocolLayer {
public:
    static CPacketLayer* Instance();
    static void DestroyInstance();
    static bool Exists();

    int Send(Packet& packet) override;
    // 0 for an unsealed packet (not examined) and for an accepted sealed one; -1 when the Sequence byte
    // differs from the counter or the payload is too short to hold it.
    int Receive(Packet& packet) override;

    // Numbers exchanges: only an accepted sealed confirm moves it on, wrapping from 255 to 0.
    uint8_t sequence = 1;
};

// Fill length for a sealed payload whose Sequence and Body take n bytes: 16 to 31 bytes, so that
// Length, Sequence, Body, Crc and Fill make whole 16-byte blocks.
uint8_t SealedFillLength(uint16_t n);

// The process's stack of layers; does not own them.
class LayerStack {
public:
    static LayerStack* Instance();
    static void DestroyInstance();
    static bool Exists();

    void Push(IProtocolLayer* layer);
    // Sends through the top layer; -1 on an empty stack.
    int Send(Packet& packet);
    // Receives through the bottom layer; -1 on an empty stack.
    int Receive(Packet& packet);

    IProtocolLayer* bottom = nullptr;
    IProtocolLayer* top = nullptr;
};
