// A speed file read in small blocks (every tag and separator falls across an edge somewhere) shows what
// the whole file shows, and the reading stops at the block that settles the speeds.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "formats/azureus_stats.h"
#include "formats/onlinesig.h"
#include "platform/read_whole_file.h"
#include "temp_folder.h"

namespace brio {
namespace {

// clang-format off
const std::vector<std::string> kPieces = {"<DOWNLOAD_SPEED>", "</DOWNLOAD_SPEED>", "<UPLOAD_SPEED>",
    "</UPLOAD_SPEED>", "<TEXT>", "</TEXT>", "12.5", " kB/s", "|", "\r", "\n", "<", ">", std::string(1, '\0')};
// clang-format on

const struct Format {
    SpeedFileFormat file;
    Speeds (*parse)(std::string_view);
    const char* sample; // as the program writes it
} kFormats[] = {
    {{azureusSpeedsSettled, azureusSpeedsFrom},
     parseAzureusStats,
     "<DOWNLOAD_SPEED><TEXT>1 kB/s</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>2 B/s</TEXT></UPLOAD_SPEED>"},
    {{onlineSigSettled, nullptr}, parseOnlineSig, "1|srv|1.2.3.4|4242\r\n12.3|4.5|7\r\n"}};

std::string somePieces() {
    std::string bytes;
    for (const std::string& piece : *rc::gen::container<std::vector<std::string>>(rc::gen::oneOf(
             rc::gen::elementOf(kPieces), rc::gen::elementOf(kPieces), rc::gen::string<std::string>())))
        bytes += piece;
    return bytes;
}

RC_GTEST_PROP(SpeedFileBlocks, ReadingAsFarAsTheSpeedsShowsWhatTheWholeFileShows, ()) {
    const Format& format = kFormats[*rc::gen::inRange(0, 2)];
    const std::string file = somePieces() + format.sample + somePieces();
    const std::string text = file.substr(0, file.find('\0')); // what a reading of all of it gives
    const SpeedFileBlocks blocks{*rc::gen::inRange<size_t>(1, 41), *rc::gen::inRange<size_t>(1, 81)};

    test::TempFolder folder;
    std::string bytes = "left from before";
    uint64_t taken = 0;
    RC_ASSERT(readSpeedFile(folder.write("speeds", file), bytes, format.file, nullptr, blocks, &taken));
    // What is kept is the last of what was read, and gives the speeds of all of it.
    RC_ASSERT(taken <= text.size() && bytes.size() <= taken &&
              text.compare(taken - bytes.size(), bytes.size(), bytes) == 0);
    RC_ASSERT(format.parse(bytes) == format.parse(text));
    if (taken < text.size()) {
        // The block before ended short of the shortest settling start; none is larger than the first, `held`,
        // or what was kept.
        const std::string_view read = std::string_view(text).substr(0, taken);
        size_t settling = 0;
        while (settling <= taken && !format.file.settled(read.substr(0, settling)))
            ++settling;
        RC_ASSERT(settling <= taken && taken - settling < std::max({blocks.first, blocks.held, settling}));
    }
}

} // namespace
} // namespace brio
