// A speed file read in blocks as far as its speeds are settled shows what the whole file shows, and the
// reading stops at the first block that settles them: random files made of the formats' own tags and
// separators, zero bytes among them, read in blocks of 1 to 40 bytes, so that every tag and separator
// falls across the edge of a block somewhere.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

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
    SpeedsSettled settled;
    Speeds (*parse)(std::string_view);
    const char* sample; // a file as the program writes it, put among the random pieces
};
const Format kFormats[] = {
    {azureusSpeedsSettled, parseAzureusStats,
     "<DOWNLOAD_SPEED><TEXT>1 kB/s</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>2 kB/s</TEXT></UPLOAD_SPEED>"},
    {onlineSigSettled, parseOnlineSig, "1|srv|1.2.3.4|4242\r\n12.3|4.5|7\r\n"}};

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
    const auto block = *rc::gen::inRange<size_t>(1, 41);
    const std::string text = file.substr(0, file.find('\0')); // what a reading of all of it gives

    test::TempFolder folder;
    std::string bytes = "left from before";
    RC_ASSERT(readSpeedFile(folder.write("speeds", file), bytes, format.settled, nullptr, block));
    RC_ASSERT(text.compare(0, bytes.size(), bytes) == 0);
    RC_ASSERT(format.parse(bytes) == format.parse(text));
    RC_CLASSIFY(bytes.size() < text.size(), "short");
    if (bytes.size() < text.size()) {
        // Stopped short: at the end of the first block that settled the speeds.
        RC_ASSERT(format.settled(bytes));
        RC_ASSERT(bytes.size() % block == 0);
        RC_ASSERT(!format.settled(std::string_view(bytes).substr(0, bytes.size() - block)));
    }
}

} // namespace
} // namespace brio
