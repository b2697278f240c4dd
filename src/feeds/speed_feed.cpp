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
    Speeds speeds = kind_.parse(text);
    speedTexts().*kind_.down = std::move(speeds.down);
    speedTexts().*kind_.up = std::move(speeds.up);
}

void SpeedFeed::applyFormat() {
    setter_.apply(host_.readText(setting::kFormat), kKeepStatus);
}

void SpeedFeed::tick(const Kind& kind, platform::TimerId id) noexcept {
    try {
        readAndApply(kind, id);
    } catch (...) {
        // Out of memory on the way: this period shows nothing new, the next one tries again.
    }
}

void SpeedFeed::readAndApply(const Kind& kind, platform::TimerId id) {
    const SpeedFeed* feed = *kind.running;
    if (!feed || feed->timer_ != id) return; // left over from a feed that has stopped
    // A message box about the file runs a message loop of its own, in which further periods come due:
    // they are let pass rather than pile up one box on another while nobody answers.
    if (*kind.reading) return;
    const uint64_t serial = feed->serial_;
    const std::string path = feed->path_;
    std::string text;
    {
        const ReadingMark mark(*kind.reading);
        text = readWholeFile(path);
    }
    // The user may have stopped or replaced the feed while a message box was open.
    SpeedFeed* const still = *kind.running;
    if (!still || still->serial_ != serial || text.empty()) return;
    still->takeSpeeds(text);
    still->applyFormat();
}

// The eMule feed fills the eMule speed texts from onlinesig.dat.
const SpeedFeed::Kind EmuleFeed::kKind{parseOnlineSig,        &SpeedTexts::emuleDown, &SpeedTexts::emuleUp,
                                       &EmuleFeed::emuleTick, &runningEmule,          &emuleReading};

EmuleFeed::EmuleFeed(std::string path, std::string_view text, DescriptionSetter& setter,
                     const HostGateway& host)
    : SpeedFeed(kKind, std::move(path), text, setter, host) {}

void EmuleFeed::emuleTick(platform::TimerId id) {
    tick(kKind, id);
}

// The Azureus feed fills the Azureus speed texts, which take precedence, from the statistics file.
const SpeedFeed::Kind AzureusFeed::kKind{parseAzureusStats,      &SpeedTexts::azureusDown,
                                         &SpeedTexts::azureusUp, &AzureusFeed::azureusTick,
                                         &runningAzureus,        &azureusReading};

AzureusFeed::AzureusFeed(std::string path, std::string_view text, DescriptionSetter& setter,
                         const HostGateway& host)
    : SpeedFeed(kKind, std::move(path), text, setter, host) {}

void AzureusFeed::azureusTick(platform::TimerId id) {
    tick(kKind, id);
}

} // namespace brio
