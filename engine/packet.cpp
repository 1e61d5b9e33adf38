#include "engine/packet.h"

void Packet::Init(const MacAddress& destinationMac, const MacAddress& sourceMac, uint16_t type, uint8_t version,
                  uint16_t messageType, uint16_t fragmentInfo, const Oui& vendor, bool isSealed) {
    payload.Clear();
    destination = destinationMac;
    source = sourceMac;
    etherType = type;
    mmv = version;
    mmType = messageType;
    fmi = fragmentInfo;
    oui = vendor;
    sealed = isSealed;
}

void Packet::BuildFrame() {
    payload.PrependBytes(oui.data(), oui.size());
    payload.PrependU16Be(fmi);
    payload.PrependU16Le(mmType);
    payload.PrependU8(mmv);
    payload.PrependU16Be(etherType);
    payload.PrependBytes(source.data(), source.size());
    payload.PrependBytes(destination.data(), destination.size());
}

bool Packet::ParseFrame(const uint8_t* frame, int length) {
    if (frame == nullptr || length < kMmeHeaderLength || frame[12] != 0x89 || frame[13] != 0x12) {
        return false;
    }
    for (int i = 0; i < 6; ++i) {
        destination[static_cast<size_t>(i)] = frame[i];
        source[static_cast<size_t>(i)] = frame[6 + i];
    }
    etherType = static_cast<uint16_t>((frame[12] << 8) | frame[13]);
    mmv = frame[14];
    mmType = static_cast<uint16_t>(frame[15] | (frame[16] << 8));
    fmi = static_cast<uint16_t>(frame[17] | (frame[18] << 8));
    oui = {frame[19], frame[20], frame[21]};
    sealed = mmType != kUnsealedConfirmType;
    payload.AppendBytes(frame + kMmeHeaderLength, static_cast<size_t>(length - kMmeHeaderLength));
    return true;
}
