// Reads back the PNG files brio-host writes (8-bit RGB; stored or fixed-code deflate blocks; rows
// unfiltered or with the "up" filter), checking every checksum on the way. For tests and the pictures'
// check; not a general PNG reader.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/desktop/png.h"

namespace brio::test {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
};

namespace png_detail {

inline uint32_t big(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<uint8_t>(s[at + i]);
    return v;
}

class Bits {
public:
    explicit Bits(const std::string& data) : data_(data) {}
    uint32_t take(int count) { // least significant bit first
        uint32_t v = 0;
        for (int i = 0; i < count; ++i, ++pos_) {
            if (pos_ / 8 >= data_.size()) {
                bad = true;
                return 0;
            }
            v |= ((static_cast<uint8_t>(data_[pos_ / 8]) >> (pos_ % 8)) & 1u) << i;
        }
        return v;
    }
    uint32_t code(int count) { // a Huffman code, most significant bit first
        uint32_t v = 0;
        for (int i = 0; i < count; ++i)
            v = v << 1 | take(1);
        return v;
    }
    void toByte() { pos_ = (pos_ + 7) / 8 * 8; }
    size_t byte() const { return pos_ / 8; }
    void skipBytes(size_t n) { pos_ += n * 8; }
    bool bad = false;

private:
    const std::string& data_;
    size_t pos_ = 0;
};

inline int fixedSymbol(Bits& in) {
    uint32_t c = in.code(7);
    if (c <= 0x17) return static_cast<int>(256 + c);
    c = c << 1 | in.take(1);
    if (c >= 0x30 && c <= 0xBF) return static_cast<int>(c - 0x30);
    if (c >= 0xC0 && c <= 0xC7) return static_cast<int>(280 + c - 0xC0);
    c = c << 1 | in.take(1);
    return c >= 0x190 && c <= 0x1FF ? static_cast<int>(144 + c - 0x190) : -1;
}

inline std::optional<std::string> inflate(const std::string& data) {
    static constexpr std::array<int, 29> lengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr std::array<int, 29> lengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    std::string out;
    Bits in(data);
    for (bool last = false; !last;) {
        last = in.take(1) != 0;
        const uint32_t type = in.take(2);
        if (type == 0) {
            in.toByte();
            const size_t at = in.byte();
            if (at + 4 > data.size()) return std::nullopt;
            const size_t length = static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8;
            if (at + 4 + length > data.size()) return std::nullopt;
            out.append(data, at + 4, length);
            in.skipBytes(4 + length);
            continue;
        }
        if (type != 1) return std::nullopt; // only fixed codes are written
        for (;;) {
            const int symbol = fixedSymbol(in);
            if (symbol < 0 || symbol > 285 || in.bad) return std::nullopt;
            if (symbol < 256) {
                out.push_back(static_cast<char>(symbol));
                continue;
            }
            if (symbol == 256) break;
            const int length = lengthBase[static_cast<size_t>(symbol - 257)] +
                               static_cast<int>(in.take(lengthExtra[static_cast<size_t>(symbol - 257)]));
            const uint32_t d = in.code(5);
            if (d > 29) return std::nullopt;
            const auto extra = [](uint32_t code) { return code < 4 ? 0 : static_cast<int>(code / 2 - 1); };
            int distance = 1;
            for (uint32_t k = 0; k < d; ++k) // each base is the one before plus its range
                distance += 1 << extra(k);
            distance += static_cast<int>(in.take(extra(d)));
            if (in.bad || static_cast<size_t>(distance) > out.size()) return std::nullopt;
            for (int k = 0; k < length; ++k)
                out.push_back(out[out.size() - static_cast<size_t>(distance)]);
        }
    }
    return out;
}

} // namespace png_detail

// None, with `why`, when the bytes are no such file.
inline std::optional<Picture> readPng(const std::string& bytes, std::string& why) {
    using namespace png_detail;
    const auto no = [&](const char* reason) {
        why = reason;
        return std::nullopt;
    };
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return no("no PNG signature");
    Picture picture;
    std::string compressed;
    bool ended = false;
    for (size_t at = 8; !ended;) {
        if (at + 12 > bytes.size()) return no("a chunk runs past the end");
        const uint32_t length = big(bytes, at);
        if (length > bytes.size() - at - 12) return no("a chunk runs past the end");
        const std::string type = bytes.substr(at + 4, 4), data = bytes.substr(at + 8, length);
        const std::string typed = bytes.substr(at + 4, 4 + length);
        if (host::crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()) !=
            big(bytes, at + 8 + length))
            return no("a chunk's CRC is wrong");
        if (type == "IHDR") {
            if (length != 13 || data.substr(8, 5) != std::string("\x08\x02\x00\x00\x00", 5))
                return no("not 8-bit RGB");
            picture.width = big(data, 0);
            picture.height = big(data, 4);
        }
        if (type == "IDAT") compressed += data;
        ended = type == "IEND";
        at += 12 + length;
    }
    if (picture.width == 0 || picture.height == 0) return no("no size");
    if (compressed.size() < 6 ||
        (static_cast<uint8_t>(compressed[0]) * 256 + static_cast<uint8_t>(compressed[1])) % 31)
        return no("no zlib header");
    const auto raw = inflate(compressed.substr(2, compressed.size() - 6));
    if (!raw) return no("the deflate stream is broken");
    if (host::adler32(reinterpret_cast<const uint8_t*>(raw->data()), raw->size()) !=
        big(compressed, compressed.size() - 4))
        return no("the Adler-32 is wrong");
    const size_t stride = 1 + size_t{picture.width} * 3;
    if (raw->size() != stride * picture.height) return no("the rows do not fill the picture");
    std::vector<uint8_t> above(stride - 1, 0);
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t filter = static_cast<uint8_t>((*raw)[y * stride]);
        if (filter != 0 && filter != 2) return no("a row filter other than none or up");
        for (size_t i = 0; i + 1 < stride; ++i)
            above[i] = static_cast<uint8_t>((*raw)[y * stride + 1 + i] + (filter == 2 ? above[i] : 0));
        for (uint32_t x = 0; x < picture.width; ++x)
            picture.pixels.push_back(uint32_t{above[x * 3]} << 16 | uint32_t{above[x * 3 + 1]} << 8 |
                                     above[x * 3 + 2]);
    }
    return picture;
}

} // namespace brio::test
