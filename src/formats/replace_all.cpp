#include "formats/replace_all.h"

#include <cstring>

namespace brio {

std::string replaceAll(std::string_view text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return std::string(text);
    // One pass: copy the text between matches and the value for each match. Searching goes on in the
    // original text after the match, which is the same as going on after the inserted value.
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (size_t match; (match = text.find(placeholder, pos)) != std::string_view::npos;
         pos = match + placeholder.size()) {
        out.append(text.data() + pos, match - pos);
        out.append(value);
    }
    out.append(text.data() + pos, text.size() - pos);
    return out;
}

} // namespace brio
