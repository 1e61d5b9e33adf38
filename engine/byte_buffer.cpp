#include "engine/byte_buffer.h"

ByteBuffer::ByteBuffer(const uint8_t* bytes, size_t count) {
    if (bytes != nullptr) {
        bytes_.assign(bytes, bytes + count);
    }
}

uint8_t* ByteBuffer::At(size_t index) {
    return index < bytes_.size() ? bytes_.data() + index : nullptr;
}

const uint8_t* ByteBuffer::At(size_t index) const {
    return index < bytes_.size() ? bytes_.data() + index : nullptr;
}

uint8_t ByteBuffer::GetU8(size_t index) const {
    return index < bytes_.size() ? bytes_[index] : 0;
}

uint16_t ByteBuffer::GetU16Le(size_t index) const {
    if (!Has(index, 2)) {
        return 0;
    }
    return static_cast<uint16_t>(bytes_[index] | (bytes_[index + 1] << 8));
}

uint32_t ByteBuffer::GetU32Le(size_t index) const {
    if (!Has(index, 4)) {
        return 0;
    }
    return static_cast<uint32_t>(bytes_[index]) | (static_cast<uint32_t>(bytes_[index + 1]) << 8) |
           (static_cast<uint32_t>(bytes_[index + 2]) << 16) | (static_cast<uint32_t>(bytes_[index + 3]) << 24);
}

void ByteBuffer::SetU8(size_t index, uint8_t value) {
    if (index < bytes_.size()) {
        bytes_[index] = value;
    }
}

void ByteBuffer::AppendU8(uint8_t value) {
    bytes_.push_back(value);
}

void ByteBuffer::AppendU16Le(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteBuffer::AppendU32Le(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void ByteBuffer::AppendBytes(const ByteBuffer& other) {
    AppendBytes(other.bytes_.data(), other.bytes_.size());
}

void ByteBuffer::AppendBytes(const uint8_t* bytes, size_t count) {
    if (bytes != nullptr && count > 0) {
        bytes_.insert(bytes_.end(), bytes, bytes + count);
    }
}

void ByteBuffer::PrependU8(uint8_t value) {
    bytes_.insert(bytes_.begin(), value);
}

void ByteBuffer::PrependU16Le(uint16_t value) {
    const uint8_t pair[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    PrependBytes(pair, 2);
}

void ByteBuffer::PrependU16Be(uint16_t value) {
    const uint8_t pair[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    PrependBytes(pair, 2);
}

void ByteBuffer::PrependBytes(const ByteBuffer& other) {
    // Copy first: `other` may be this buffer.
    const std::vector<uint8_t> copy = other.bytes_;
    PrependBytes(copy.data(), copy.size());
}

void ByteBuffer::PrependBytes(const uint8_t* bytes, size_t count) {
    if (bytes != nullptr && count > 0) {
        bytes_.insert(bytes_.begin(), bytes, bytes + count);
    }
}

void ByteBuffer::RemoveFront(size_t count, ByteBuffer& removed) {
    if (count > bytes_.size()) {
        count = bytes_.size();
    }
    std::vector<uint8_t> front(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(count));
    removed.bytes_ = std::move(front);
}
