#include "formats/replace_all.h"

#include <cstring>

namespace brio {

namespace {

// The first occurrence of `needle` (not empty) in [from, end), or null. memchr jumps to each candidate
// first byte; the rest is compared in place.
const char* findFrom(const char* from, const char* end, std::string_view needle) {
    const unsigned char first = static_cast<unsigned char>(needle[0]);
    const char* const rest = needle.data() + 1;
    const size_t restSize = needle.size() - 1;
    while (size_t(end - from) > restSize) {
        from = static_cast<const char*>(std::memchr(from, first, size_t(end - from) - restSize));
        if (!from) return nullptr;
        size_t i = 0;
        while (i < restSize && from[1 + i] == rest[i])
            ++i;
        if (i == restSize) return from;
        ++from;
    }
    return nullptr;
}

} // namespace

std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty() || text.empty()) return std::string(text);
    // One pass over the text, copying what lies between matches and the value for each match. The
    // search goes on in the given text behind each match, so an inserted value is never searched.
    std::string out;
    out.reserve(text.size());
    const char* pos = text.data();
    const char* const end = pos + text.size();
    while (const char* match = findFrom(pos, end, placeholder)) {
        out.append(pos, size_t(match - pos));
        out.append(value);
        pos = match + placeholder.size();
    }
    out.append(pos, size_t(end - pos));
    return out;
}

} // namespace brio
