// A folder of its own for a test, removed with everything in it.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace brio::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "brio-XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool made() const { return !path_.empty(); }
    std::string name(const std::string& n) const { return path_ + "/" + n; }
    // Writes the file, replacing one of that name; answers its path.
    std::string write(const std::string& n, const std::string& bytes) const {
        const std::string p = name(n);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string folder(const std::string& n) const {
        const std::string p = name(n);
        ::mkdir(p.c_str(), 0700);
        return p;
    }
    void remove(const std::string& p) const { ::unlink(p.c_str()); }

private:
    std::string path_;
};

} // namespace brio::test
