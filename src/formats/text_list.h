// Plain-text list files: one description per line, written with CR LF line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brio {

std::string writeTextList(const std::vector<std::string>& descriptions);
std::string textListLine(std::string_view description); // one line of it

// Every line up to the text's first NUL byte. In a text that holds a CR LF anywhere (Brio's own files,
// Notepad's) lines end only at CR LF, and a lone LF or CR is a byte of its line; in one without any, lines
// end at LF. Bytes after the last line end are a line too; empty lines are lines.
std::vector<std::string> readTextList(std::string_view text);

} // namespace brio
