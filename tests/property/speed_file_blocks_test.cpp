// A speed file read in blocks as far as its speeds are settled shows what the whole file shows, and the
// reading stops at the first block that settles them: random files made of the formats' own tags and
// separators, zero bytes among them, read in blocks of 1 to 40 bytes, so that every tag and separator
// falls across the edge of a block somewhere.
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

const std::vector<std::string> kPieces = {"<DOWNLOAD_SPEED>",
                                          "</DOWNLOAD_SPEED>",
                                          "<UPLOAD_SPEED>",
                                          "</UPLOAD_SPEED>",
                                          "<TEXT>",
                                          "</TEXT>",
                                          "12.5",
                                          " kB/s",
                                          "kbit/s",
                                          "|",
                                          "\r",
                                          "\n",
                                          "\r\n",
                                          "<",
                                          ">",
                                          std::string(1, '\0')};

struct Format {
    SpeedFileFormat file;
    Speeds (*parse)(std::string_view);
    const char* sample; // a file as the program writes it, put among the random pieces
};
const Format kFormats[] = {
    {{azureusSpeedsSettled, azureusSpeedsFrom},
     parseAzureusStats,
     "<DOWNLOAD_SPEED><TEXT>1 kB/s</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>2 kB/s</TEXT></UPLOAD_SPEED>"},
    {{onlineSigSettled, nullptr}, parseOnlineSig, "1|srv|1.2.3.4|4242\r\n12.3|4.5|7\r\n"}};

std::vector<std::string> somePieces() {
    return *rc::gen::container<std::vector<std::string>>(rc::gen::oneOf(
        rc::gen::elementOf(kPieces), rc::gen::elementOf(kPieces), rc::gen::string<std::string>()));
}

RC_GTEST_PROP(SpeedFileBlocks, ReadingAsFarAsTheSpeedsShowsWhatTheWholeFileShows, ()) {
    const Format& format = kFormats[*rc::gen::inRange(0, 2)];
    std::string file;
    for (const std::string& piece : somePieces())
        file += piece;
    file += format.sample;
    for (const std::string& piece : somePieces())
        file += piece;
    const SpeedFileBlocks blocks{*rc::gen::inRange<size_t>(1, 41), *rc::gen::inRange<size_t>(1, 81)};
    const std::string text = file.substr(0, file.find('\0')); // what a reading of all of it gives

    test::TempFolder folder;
    std::string bytes = "left from before";
    uint64_t taken = 0;
    RC_ASSERT(readSpeedFile(folder.write("speeds", file), bytes, format.file, nullptr, blocks, &taken));
    // What is kept is the last of what was read.
    RC_ASSERT(taken <= text.size());
    RC_ASSERT(bytes.size() <= taken);
    RC_ASSERT(text.compare(taken - bytes.size(), bytes.size(), bytes) == 0);
    RC_ASSERT(format.parse(bytes) == format.parse(text));
    RC_CLASSIFY(taken < text.size(), "stopped short");
    RC_CLASSIFY(bytes.size() < taken, "let bytes go");
    if (taken < text.size()) {
        // Stopped short once the speeds were settled, by the block that settled them: the one before
        // ended short of the shortest settling start, and no block is larger than the first, `held`,
        // or what was kept before it.
        const std::string_view read = std::string_view(text).substr(0, taken);
        RC_ASSERT(format.file.settled(read));
        size_t settling = 0;
        while (!format.file.settled(read.substr(0, settling)))
            ++settling;
        RC_ASSERT(taken - settling < std::max({blocks.first, blocks.held, settling}));
    }
}

} // namespace
} // namespace brio
