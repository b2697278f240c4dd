// Plain-text list files: one description per line, written with CR LF line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brio {

std::string writeTextList(const std::vector<std::string>& descriptions);
std::string textListLine(std::string_view description); // one line of it

// Every line up to the text's first NUL byte, as any editor writes them: a line ends at LF, and a CR
// directly before the LF goes with it (the rule of the AutoStatus reader); bytes after the last line end
// are a line too. Empty lines are lines; a lone CR is part of its line.
std::vector<std::string> readTextList(std::string_view text);

} // namespace brio
