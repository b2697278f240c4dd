// Prints a PNG file's width, height and number of distinct colours, or why it is no picture of
// brio-host's (exit 1). Used by tests/wine/check_pictures.sh.
#include <cstdio>
#include <unordered_set>

#include "host/common/file_bytes.h"
#include "png_reader.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: png_facts FILE.png\n");
        return 2;
    }
    const auto bytes = brio::host::readFileBytes(argv[1]);
    std::string why = "cannot be read";
    const auto picture = bytes ? brio::test::readPng(*bytes, why) : std::nullopt;
    if (!picture) {
        std::printf("%s: %s\n", argv[1], why.c_str());
        return 1;
    }
    const std::unordered_set<uint32_t> colours(picture->pixels.begin(), picture->pixels.end());
    std::printf("%u %u %zu\n", picture->width, picture->height, colours.size());
    return 0;
}
