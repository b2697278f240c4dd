#include "formats/text_list.h"

namespace brio {

std::string textListLine(std::string_view description) {
    return std::string(description) + "\r\n";
}

std::string writeTextList(const std::vector<std::string>& descriptions) {
    std::string out;
    for (const std::string& d : descriptions)
        out += textListLine(d);
    return out;
}

std::vector<std::string> readTextList(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    // Brio writes every line with CR LF, and a description may hold an LF of its own (an import of
    // LF CR LF lines gives one): in a file with CR LF line ends only CR LF ends a line. A file without
    // any (a Unix editor's) ends its lines at LF; it holds no CR before an LF to take away.
    const bool crlf = text.find("\r\n") != std::string_view::npos;
    const std::string_view lineEnd = crlf ? std::string_view("\r\n") : std::string_view("\n");
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find(lineEnd);
        lines.emplace_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + lineEnd.size());
    }
    return lines;
}

} // namespace brio
