#include "formats/replace_all.h"

#include <cstring>
#include <stdexcept>

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

std::optional<size_t> replacedSize(size_t textSize, size_t matches, size_t placeholderSize, size_t valueSize,
                                   size_t limit) {
    if (valueSize <= placeholderSize) {
        const size_t shrink = placeholderSize - valueSize;
        // The matches lie in the text: they cannot take more bytes than it has.
        if (shrink != 0 && matches > textSize / shrink) return std::nullopt;
        const size_t size = textSize - matches * shrink;
        return size <= limit ? std::optional<size_t>(size) : std::nullopt;
    }
    if (textSize > limit) return std::nullopt;
    // Each match adds `growth` bytes; the room left under the limit says how many may, without a
    // product that could wrap.
    const size_t growth = valueSize - placeholderSize;
    if (matches > (limit - textSize) / growth) return std::nullopt;
    return textSize + matches * growth;
}

bool replaceAll(std::string& out, std::string_view text, std::string_view placeholder, std::string_view value,
                size_t limit) {
    if (placeholder.empty() || placeholder.size() > text.size()) {
        if (text.size() > limit) {
            out.clear();
            return false;
        }
        out.assign(text);
        return true;
    }
    // The result is sized once and filled with plain copies. Its size is at most the text's when the
    // value is no longer than the placeholder and the text is within the limit; otherwise the matches are
    // counted first. Searching goes on in the original text after each match, which is the same as going
    // on after the inserted value.
    const bool mayGrow = value.size() > placeholder.size();
    const std::optional<size_t> size =
        mayGrow || text.size() > limit
            ? replacedSize(text.size(), forEachMatch(text, placeholder, [](size_t) {}), placeholder.size(),
                           value.size(), limit)
            : std::optional<size_t>(text.size()); // at most this; cut to the result's size below
    if (!size) {
        out.clear();
        return false;
    }
    out.resize(*size);
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
    return true;
}

void replaceAll(std::string& out, std::string_view text, std::string_view placeholder,
                std::string_view value) {
    if (!replaceAll(out, text, placeholder, value, out.max_size()))
        throw std::length_error("replaceAll: the result is longer than a string can hold");
}

std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value) {
    std::string out;
    replaceAll(out, text, placeholder, value);
    return out;
}

} // namespace brio
