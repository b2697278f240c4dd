#include "formats/list_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace brio {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char kUnknown = '?';

// The characters of bytes 0x80..0xFF of code page 1250; 0 where a byte stands for none.
constexpr char16_t kHighHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// The same table the other way round, ordered by character, for a binary search.
using Pair = std::pair<char16_t, unsigned char>;
constexpr size_t kDefined =
    size_t(std::count_if(std::begin(kHighHalf), std::end(kHighHalf), [](char16_t c) { return c != 0; }));
constexpr std::array<Pair, kDefined> byCharacter() {
    std::array<Pair, kDefined> pairs{};
    size_t n = 0;
    for (size_t i = 0; i < 128; ++i)
        if (kHighHalf[i] != 0) pairs[n++] = {kHighHalf[i], static_cast<unsigned char>(0x80 + i)};
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}
constexpr std::array<Pair, kDefined> kByCharacter = byCharacter();

// The byte of a character, or -1 for one code page 1250 lacks.
int cp1250Byte(char32_t c) {
    if (c < 0x80) return static_cast<int>(c);
    const auto it = std::lower_bound(kByCharacter.begin(), kByCharacter.end(), c,
                                     [](const Pair& p, char32_t x) { return p.first < x; });
    return it != kByCharacter.end() && it->first == c ? it->second : -1;
}

char toCp1250(char32_t c) {
    const int byte = cp1250Byte(c);
    return byte < 0 ? kUnknown : static_cast<char>(byte);
}

// The character whose sequence starts at `i`, moving `i` behind it; none (-1), with `i` one byte on,
// for a malformed sequence.
int32_t nextCharacter(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    size_t extra;
    int32_t c;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return -1;
    }
    if (s.size() - i < extra) return -1;
    for (size_t k = 0; k < extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return -1;
        c = (c << 6) | (b & 0x3F);
    }
    constexpr int32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    i += extra;
    return c;
}

// Polish letters, and the quotes, dashes, ellipsis and bullet set beside them, in code page 1250. A
// list of such text can hold byte runs that are valid UTF-8 (Ó Ł is D3 A3, the UTF-8 of a Cyrillic
// letter; ę … ” is EA 85 94), but never the UTF-8 of a code page 1250 character beyond ASCII: those
// start with Â Ă Ä Ĺ Ë or â.
bool isPolishByte(unsigned char byte) {
    static constexpr std::string_view kPolish =
        "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF"
        "\x82\x84\x85\x8B\x91\x92\x93\x94\x95\x96\x97\x9B\xAB\xBB";
    return kPolish.find(static_cast<char>(byte)) != std::string_view::npos;
}

bool madeOfPolish(std::string_view sequence) {
    return std::all_of(sequence.begin(), sequence.end(),
                       [](char b) { return isPolishByte(static_cast<unsigned char>(b)); });
}

// UTF-16 after its mark, in the byte order given, up to its first U+0000. A surrogate without its
// partner, and a last byte without its pair, each become "?".
std::string utf16ToCp1250(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2 + 1);
    const auto unit = [&](size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u == 0) return out;
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += kUnknown; // beyond U+FFFF: none of it is in code page 1250
                i += 2;
                continue;
            }
        }
        out += u >= 0xD800 && u <= 0xDFFF ? kUnknown : toCp1250(u);
    }
    if (i < bytes.size()) out += kUnknown;
    return out;
}

} // namespace

bool readsAsUtf8(std::string_view bytes) {
    bool cp1250Character = false; // the UTF-8 of a character beyond ASCII that code page 1250 has
    bool polishLike = false;      // a sequence whose bytes are Polish letters and signs in code page 1250
    bool otherCharacter = false;  // any other character beyond ASCII
    for (size_t i = 0; i < bytes.size();) {
        const size_t start = i;
        const int32_t c = nextCharacter(bytes, i);
        if (c < 0) return false;
        if (c < 0x80) continue;
        if (cp1250Byte(static_cast<char32_t>(c)) >= 0)
            cp1250Character = true;
        else if (madeOfPolish(bytes.substr(start, i - start)))
            polishLike = true;
        else
            otherCharacter = true;
    }
    return cp1250Character || (otherCharacter && !polishLike);
}

std::string utf8ToCp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const int32_t c = nextCharacter(utf8, i);
        out += c < 0 ? kUnknown : toCp1250(static_cast<char32_t>(c));
    }
    return out;
}

std::string listFileText(std::string_view bytes) {
    // UTF-16 first: its text is full of zero bytes.
    if (bytes.substr(0, kUtf16LittleEndianMark.size()) == kUtf16LittleEndianMark)
        return utf16ToCp1250(bytes.substr(kUtf16LittleEndianMark.size()), false);
    if (bytes.substr(0, kUtf16BigEndianMark.size()) == kUtf16BigEndianMark)
        return utf16ToCp1250(bytes.substr(kUtf16BigEndianMark.size()), true);
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        return utf8ToCp1250(bytes.substr(kByteOrderMark.size()));
    if (readsAsUtf8(bytes)) return utf8ToCp1250(bytes);
    return std::string(bytes);
}

char16_t cp1250Character(unsigned char byte) {
    return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

} // namespace brio
