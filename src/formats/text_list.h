// Plain-text list files: one description per line, each line ended by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brio {

std::string writeTextList(const std::vector<std::string>& descriptions);
std::string textListLine(std::string_view description); // one line of it

// Every line ended by CR LF, up to the text's first NUL byte; a lone CR or LF is part of its line, and
// bytes after the last CR LF are not a line.
std::vector<std::string> readTextList(std::string_view text);

} // namespace brio
