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
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string_view::npos; start = end + 2)
        lines.emplace_back(text.substr(start, end - start));
    return lines;
}

} // namespace brio
