#include "formats/replace_all.h"

#include <cstring>

namespace brio {

namespace {

// Calls `match` with the offset of every occurrence of `placeholder` in `text`, left to right, never
// overlapping; returns how many there were.
template <class Match>
size_t forEachMatch(std::string_view text, std::string_view placeholder, Match&& match) {
    const char* const begin = text.data();
    const char* const lastStart = begin + text.size() - placeholder.size(); // a match starts no later
    size_t count = 0;
    for (const char* p = begin; p <= lastStart;) {
        p = static_cast<const char*>(std::memchr(p, placeholder[0], size_t(lastStart - p) + 1));
        if (!p) break;
        if (std::memcmp(p + 1, placeholder.data() + 1, placeholder.size() - 1) != 0) {
            ++p;
            continue;
        }
        match(size_t(p - begin));
        ++count;
        p += placeholder.size();
    }
    return count;
}

} // namespace

void replaceAll(std::string& out, std::string_view text, std::string_view placeholder,
                std::string_view value) {
    if (placeholder.empty() || placeholder.size() > text.size()) {
        out.assign(text);
        return;
    }
    // The result is sized once and filled with plain copies. Its size is at most the text's when the
    // value is no longer than the placeholder; otherwise the matches are counted first. Searching goes
    // on in the original text after each match, which is the same as going on after the inserted value.
    size_t size = text.size();
    if (value.size() > placeholder.size())
        size += forEachMatch(text, placeholder, [](size_t) {}) * (value.size() - placeholder.size());
    out.resize(size);
    char* to = out.data();
    size_t from = 0;
    const auto copy = [&](const char* bytes, size_t n) {
        if (n == 0) return; // an empty value may have no bytes at all to point to
        std::memcpy(to, bytes, n);
        to += n;
    };
    forEachMatch(text, placeholder, [&](size_t at) {
        copy(text.data() + from, at - from);
        copy(value.data(), value.size());
        from = at + placeholder.size();
    });
    copy(text.data() + from, text.size() - from);
    out.resize(size_t(to - out.data()));
}

std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value) {
    std::string out;
    replaceAll(out, text, placeholder, value);
    return out;
}

} // namespace brio
