// A main for the fuzz targets outside libFuzzer: runs the target once over every file named on the
// command line, or found directly inside a folder named there (a corpus, or a crash to reproduce).
// Built by the ordinary Linux builds, so that every corpus also runs as a test under GCC and under
// ASan+UBSan. Exits 1 when a file cannot be read or nothing was run; a fault in the target ends the
// program as it would end the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy of exactly the input's length, so that a read past its end is a read past a heap block.
    std::vector<uint8_t> input(bytes.begin(), bytes.end());
    static uint8_t none; // libFuzzer hands an empty input over with a pointer too
    LLVMFuzzerTestOneInput(input.empty() ? &none : input.data(), input.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    size_t runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path = argv[i];
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            ok = runFile(path) && ok;
            ++runs;
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path, error))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end()); // the same order on every machine
        for (const auto& file : files) {
            ok = runFile(file) && ok;
            ++runs;
        }
    }
    std::printf("%zu inputs run\n", runs);
    return ok && runs > 0 ? 0 : 1;
}
