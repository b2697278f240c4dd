#include "host/common/cp1250.h"

#include <cstdint>
#include <cstdio>

namespace brio::host {

namespace {

// Bytes 0x80..0xFF; 0 marks the undefined ones.
constexpr char16_t kHigh[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The next code point of a UTF-8 text, or -1 for a malformed sequence.
int32_t nextCodePoint(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra;
    int32_t c;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
    } else {
        return -1;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return -1;
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return -1;
        c = (c << 6) | (b & 0x3F);
        ++i;
    }
    static constexpr int32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    return c;
}

} // namespace

char32_t cp1250CodePoint(unsigned char byte) {
    return byte < 0x80 ? byte : kHigh[byte - 0x80];
}

std::string cp1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const char32_t c = cp1250CodePoint(static_cast<unsigned char>(ch));
        appendUtf8(out, c == 0 && ch != 0 ? 0xFFFD : c);
    }
    return out;
}

bool utf8ToCp1250(std::string_view utf8, std::string& out, std::string& error) {
    out.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        const int32_t c = nextCodePoint(utf8, i);
        if (c < 0) {
            error = "malformed UTF-8";
            return false;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        int found = -1;
        for (int b = 0; b < 128 && found < 0; ++b)
            if (kHigh[b] != 0 && static_cast<int32_t>(kHigh[b]) == c) found = b + 0x80;
        if (found < 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "U+%04X has no code page 1250 byte", static_cast<unsigned>(c));
            error = buf;
            return false;
        }
        out += static_cast<char>(found);
    }
    return true;
}

std::string displayed(std::string_view bytes) {
    std::string out = "\"";
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += ch;
        } else if (b == '\n') {
            out += "\\n";
        } else if (b < 0x20 || b == 0x7F || cp1250CodePoint(b) == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else {
            appendUtf8(out, cp1250CodePoint(b));
        }
    }
    out += '"';
    return out;
}

} // namespace brio::host
