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
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace brio
