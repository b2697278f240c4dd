#include "feeds/speed_feed.h"

#include <algorithm>

#include "boundary/settings.h"
#include "description/description_setter.h"
#include "formats/azureus_stats.h"
#include "formats/onlinesig.h"
#include "formats/status.h"
#include "platform/read_whole_file.h"

namespace brio {

namespace {

uint64_t nextSerial = 0;

SpeedFeed* runningEmule = nullptr;
bool emuleReading = false;
SpeedFeed* runningAzureus = nullptr;
bool azureusReading = false;

// Marks a tick of one kind as waiting for its file, until it returns by any way.
class ReadingMark {
public:
    explicit ReadingMark(bool& mark) : mark_(mark) { mark_ = true; }
    ~ReadingMark() { mark_ = false; }
    ReadingMark(const ReadingMark&) = delete;
    ReadingMark& operator=(const ReadingMark&) = delete;

private:
    bool& mark_;
};

} // namespace

SpeedFeed::SpeedFeed(const Kind& kind, std::string path, std::string_view text, DescriptionSetter& setter,
                     const HostGateway& host)
    : kind_(kind), path_(std::move(path)), setter_(setter), host_(host), serial_(++nextSerial) {
    takeSpeeds(text);
}

SpeedFeed::~SpeedFeed() {
    platform::stopTimer(timer_);
    if (*kind_.running == this) *kind_.running = nullptr;
    (speedTexts().*kind_.down).clear();
    (speedTexts().*kind_.up).clear();
}

void SpeedFeed::start(int32_t intervalSeconds) {
    const int32_t seconds = std::clamp(intervalSeconds, kShortestInterval, kLongestInterval);
    platform::stopTimer(timer_);
    timer_ = platform::startTimer(static_cast<uint32_t>(seconds) * 1000u, kind_.tick);
    *kind_.running = this;
    applyFormat();
}

void SpeedFeed::takeSpeeds(std::string_view text) {
    // Assigned, not replaced, so that the speed texts keep their memory from one tick to the next.
    const SpeedViews speeds = kind_.parse(text);
    (speedTexts().*kind_.down).assign(speeds.down.substr(0, kLongestSpeed));
    (speedTexts().*kind_.up).assign(speeds.up.substr(0, kLongestSpeed));
}

bool SpeedFeed::formatFits(const Kind& kind, std::string_view format, std::string_view text) {
    // The other kind's speed texts are empty then, so these are the speeds the format gets.
    const SpeedViews speeds = kind.parse(text);
    return SpeedDescriptionSetter::fills(format, speeds.down.substr(0, kLongestSpeed),
                                         speeds.up.substr(0, kLongestSpeed));
}

void SpeedFeed::applyFormat() {
    host_.readText(setting::kFormat, format_);
    setter_.apply(format_, kKeepStatus);
}

void SpeedFeed::tick(const Kind& kind, platform::TimerId id) noexcept {
    try {
        readAndApply(kind, id);
    } catch (...) {
        // Out of memory on the way: this period shows nothing new, the next one tries again.
    }
}

void SpeedFeed::readAndApply(const Kind& kind, platform::TimerId id) {
    SpeedFeed* const feed = *kind.running;
    if (!feed || feed->timer_ != id) return; // left over from a feed that has stopped
    // A message box about the file runs a message loop of its own, in which further periods come due:
    // they are let pass rather than pile up one box on another while nobody answers.
    if (*kind.reading) return;
    const uint64_t serial = feed->serial_;
    bool read = false;
    {
        const ReadingMark mark(*kind.reading);
        // Into the feed's own buffer; only a failure shows a message box, and after it the feed is not
        // touched: the user may have stopped or replaced it meanwhile.
        read = SpeedFeed::read(kind, feed->path_, feed->fileBytes_, nullptr);
    }
    if (!read) return;
    SpeedFeed* const still = *kind.running;
    if (!still || still->serial_ != serial) return;
    const bool content = !still->fileBytes_.empty();
    if (content) still->takeSpeeds(still->fileBytes_);
    keepSmall(still->fileBytes_); // the speeds are taken: a reading that went far holds nothing
    if (content) still->applyFormat();
}

// The eMule feed fills the eMule speed texts from onlinesig.dat. Its file is two short lines, read in one
// block; it is read as far as its speeds all the same, so that a file picked by mistake is not held
// between ticks either. Any byte from the file's start may matter to them.
const SpeedFeed::Kind EmuleFeed::kKind{cutOnlineSig,           {onlineSigSettled, nullptr},
                                       &SpeedTexts::emuleDown, &SpeedTexts::emuleUp,
                                       &EmuleFeed::emuleTick,  &runningEmule,
                                       &emuleReading};

EmuleFeed::EmuleFeed(std::string path, std::string_view text, DescriptionSetter& setter,
                     const HostGateway& host)
    : SpeedFeed(kKind, std::move(path), text, setter, host) {}

void EmuleFeed::emuleTick(platform::TimerId id) {
    tick(kKind, id);
}

// The Azureus feed fills the Azureus speed texts, which take precedence, from the statistics file.
// Azureus writes the global speeds before the downloads: a file of thousands of them is read as far as
// its first few hundred bytes. Whatever comes before the speeds' elements is let go as it is read.
const SpeedFeed::Kind AzureusFeed::kKind{cutAzureusStats,
                                         {azureusSpeedsSettled, azureusSpeedsFrom},
                                         &SpeedTexts::azureusDown,
                                         &SpeedTexts::azureusUp,
                                         &AzureusFeed::azureusTick,
                                         &runningAzureus,
                                         &azureusReading};

AzureusFeed::AzureusFeed(std::string path, std::string_view text, DescriptionSetter& setter,
                         const HostGateway& host)
    : SpeedFeed(kKind, std::move(path), text, setter, host) {}

void AzureusFeed::azureusTick(platform::TimerId id) {
    tick(kKind, id);
}

} // namespace brio
