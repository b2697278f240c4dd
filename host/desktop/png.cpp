#include "host/desktop/png.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brio::host {

namespace {

// Bits go out from the least significant end, as deflate packs them.
class BitWriter {
public:
    void bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            if (used_ == 0) out.push_back(0);
            out.back() = static_cast<char>(static_cast<uint8_t>(out.back()) | (((value >> i) & 1) << used_));
            used_ = (used_ + 1) % 8;
        }
    }
    // A Huffman code goes out from its most significant bit.
    void code(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits((value >> i) & 1, 1);
    }
    std::string out;

private:
    int used_ = 0;
};

// The fixed literal/length codes.
void literal(BitWriter& w, uint32_t symbol) {
    if (symbol < 144)
        w.code(0x30 + symbol, 8);
    else if (symbol < 256)
        w.code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        w.code(symbol - 256, 7);
    else
        w.code(0xC0 + symbol - 280, 8);
}

constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void match(BitWriter& w, uint32_t length, uint32_t distance) {
    size_t l = kLengthBase.size() - 1;
    while (kLengthBase[l] > length)
        --l;
    literal(w, 257 + static_cast<uint32_t>(l));
    w.bits(length - kLengthBase[l], kLengthExtra[l]);
    size_t d = kDistanceBase.size() - 1;
    while (kDistanceBase[d] > distance)
        --d;
    w.code(static_cast<uint32_t>(d), 5);
    w.bits(distance - kDistanceBase[d], d < 4 ? 0 : static_cast<int>(d / 2 - 1));
}

// One fixed-code block with greedy matches found through a hash of the next three bytes. Screen
// pictures repeat a lot, so a short search finds most of it.
std::string deflate(const std::string& data) {
    constexpr uint32_t kWindow = 32768, kMaxLength = 258, kTries = 48;
    constexpr uint32_t kHashBits = 15;
    std::vector<int32_t> head(1u << kHashBits, -1), previous(data.size(), -1);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    const auto hashAt = [&](size_t i) {
        return ((bytes[i] << 10) ^ (bytes[i + 1] << 5) ^ bytes[i + 2]) & ((1u << kHashBits) - 1);
    };
    const auto remember = [&](size_t i) {
        if (i + 2 >= data.size()) return;
        const uint32_t h = hashAt(i);
        previous[i] = head[h];
        head[h] = static_cast<int32_t>(i);
    };
    BitWriter w;
    w.bits(1, 1); // the last block
    w.bits(1, 2); // fixed codes
    for (size_t i = 0; i < data.size();) {
        uint32_t bestLength = 0, bestDistance = 0;
        if (i + 2 < data.size()) {
            const size_t limit = std::min<size_t>(kMaxLength, data.size() - i);
            int32_t candidate = head[hashAt(i)];
            for (uint32_t tries = 0; candidate >= 0 && i - candidate <= kWindow && tries < kTries; ++tries) {
                uint32_t length = 0;
                while (length < limit && bytes[candidate + length] == bytes[i + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = static_cast<uint32_t>(i - candidate);
                    if (length == limit) break;
                }
                candidate = previous[static_cast<size_t>(candidate)];
            }
        }
        if (bestLength >= 3) {
            match(w, bestLength, bestDistance);
            for (uint32_t k = 0; k < bestLength; ++k)
                remember(i + k);
            i += bestLength;
        } else {
            literal(w, bytes[i]);
            remember(i);
            ++i;
        }
    }
    literal(w, 256);
    return w.out;
}

void putBig(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void chunk(std::string& out, const char* type, const std::string& data) {
    putBig(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    putBig(out, crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()));
}

} // namespace

uint32_t crc32(const uint8_t* bytes, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint32_t adler32(const uint8_t* bytes, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + bytes[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::string encodePng(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels) {
    if (width == 0 || height == 0 || pixels.size() != size_t{width} * height) return {};
    // Each row with the "up" filter: a row like the one above becomes zeros, which repeat well.
    std::string raw;
    raw.reserve(size_t{height} * (1 + size_t{width} * 3));
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(2);
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[size_t{y} * width + x];
            const uint32_t above = y > 0 ? pixels[size_t{y - 1} * width + x] : 0;
            for (int shift = 16; shift >= 0; shift -= 8)
                raw.push_back(static_cast<char>(((pixel >> shift) - (above >> shift)) & 0xFF));
        }
    }
    std::string zlib = "\x78\x01";
    zlib += deflate(raw);
    putBig(zlib, adler32(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()));

    std::string header;
    putBig(header, width);
    putBig(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter set, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", "");
    return png;
}

} // namespace brio::host
