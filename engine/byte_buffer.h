#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A growable, owning sequence of bytes. Every read is bounds-checked: a position outside the buffer reads
// as 0 (or nullptr for At) and never touches memory outside it. Callers that parse wire data check Size()
// first, or use Has() for a range.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const uint8_t* bytes, size_t count);

    size_t Size() const { return bytes_.size(); }
    // True when `count` bytes starting at `index` lie inside the buffer.
    bool Has(size_t index, size_t count) const { return index <= bytes_.size() && count <= bytes_.size() - index; }

    uint8_t* At(size_t index);
    const uint8_t* At(size_t index) const;
    uint8_t GetU8(size_t index) const;
    uint16_t GetU16Le(size_t index) const;
    uint32_t GetU32Le(size_t index) const;
    // Ignored when `index` is outside the buffer.
    void SetU8(size_t index, uint8_t value);

    void AppendU8(uint8_t value);
    void AppendU16Le(uint16_t value);
    void AppendU32Le(uint32_t value);
    void AppendBytes(const ByteBuffer& other);
    void AppendBytes(const uint8_t* bytes, size_t count);

    void PrependU8(uint8_t value);
    void PrependU16Le(uint16_t value);
    void PrependU16Be(uint16_t value);
    void PrependBytes(const ByteBuffer& other);
    void PrependBytes(const uint8_t* bytes, size_t count);

    // Moves the first `count` bytes (at most Size()) into `removed`, replacing its content.
    void RemoveFront(size_t count, ByteBuffer& removed);
    void Clear() { bytes_.clear(); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
