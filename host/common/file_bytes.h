// A file's bytes, read whole: scripts, expected transcripts, and the files scenarios make and check.
#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace brio::host {

// None when the file cannot be opened.
inline std::optional<std::string> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace brio::host
