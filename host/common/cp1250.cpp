#include "host/common/cp1250.h"

#include <cstdint>
#include <cstdio>

#include "formats/list_encoding.h"

namespace brio::host {

namespace {

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
    return cp1250Character(byte);
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
            if (const char16_t h = cp1250Character(static_cast<unsigned char>(b + 0x80)); h != 0 && h == c)
                found = b + 0x80;
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
