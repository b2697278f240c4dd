// Reads fields of a record that may be shorter than its full form, never past its `size`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brio {

class RecordReader {
public:
    explicit RecordReader(const void* record)
        : bytes_(static_cast<const uint8_t*>(record)), size_(record ? readSize(record) : 0) {}

    uint16_t size() const { return size_; }
    bool holds(size_t offset, size_t width) const { return offset + width <= size_; }

    // The field at `offset`, or `fallback` when the record ends before it.
    int32_t i32(size_t offset, int32_t fallback = 0) const {
        if (!holds(offset, 4)) return fallback;
        int32_t v;
        std::memcpy(&v, bytes_ + offset, 4);
        return v;
    }

private:
    static uint16_t readSize(const void* record) {
        uint16_t s;
        std::memcpy(&s, record, 2);
        return s;
    }
    const uint8_t* bytes_;
    uint16_t size_;
};

} // namespace brio
