// feeds/: the eMule and Azureus speed feeds and the filter of their path entries. Uses formats/,
// resources/, platform/, boundary/, description/ (not cycling/: the activities know nothing of each
// other).
//
// A transfer-speed feed: reads a file-sharing program's file at a fixed interval, keeps the two speeds
// cut out of it in the speed texts, and applies the format text ("Brio/format") with every network's
// status left as it is, so that the speed placeholders show the current speeds. The eMule feed and the
// Azureus feed differ only in the file's format and in the speed texts they fill.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "boundary/host_gateway.h"
#include "description/speed_setter.h"
#include "formats/speeds.h"
#include "platform/read_whole_file.h"
#include "platform/timers.h"

namespace brio {

class DescriptionSetter;

class SpeedFeed {
public:
    // The interval between two reads is kept within these bounds, whatever the setting holds.
    static constexpr int32_t kShortestInterval = 10;
    static constexpr int32_t kLongestInterval = 3600;

    // Stops the feed timer and empties the feed's two speed texts.
    virtual ~SpeedFeed();
    SpeedFeed(const SpeedFeed&) = delete;
    SpeedFeed& operator=(const SpeedFeed&) = delete;

    // Starts the feed timer, every `intervalSeconds` (kept within the bounds above), makes this the
    // running feed of its kind, and applies the format text once.
    void start(int32_t intervalSeconds);

    const std::string& path() const { return path_; }
    platform::TimerId timer() const { return timer_; }

protected:
    // What one kind of feed has of its own.
    struct Kind {
        SpeedViews (*parse)(std::string_view text);
        SpeedFileFormat file; // how far the file is read
        std::string SpeedTexts::*down;
        std::string SpeedTexts::*up;
        platform::TimerCallback tick;
        SpeedFeed** running; // the running feed of this kind, through which its ticks find it
        bool* reading;       // a tick of this kind waits for its file (a message box may be open)
    };

    // A feed over a file whose first reading gave `text` (not empty); the speeds are taken from it, each
    // cut to kLongestSpeed bytes, as at every later reading.
    SpeedFeed(const Kind& kind, std::string path, std::string_view text, DescriptionSetter& setter,
              const HostGateway& host);

    // No feed when the file's first reading yielded nothing.
    template <class Feed>
    static std::unique_ptr<Feed> createFeed(const std::string& path, std::string_view text,
                                            DescriptionSetter& setter, const HostGateway& host) {
        if (text.empty()) return nullptr;
        return std::make_unique<Feed>(path, text, setter, host);
    }

    // The file at `path` as far as it settles its speeds, into `bytes` (readSpeedFile).
    static bool read(const Kind& kind, const std::string& path, std::string& bytes, uint32_t* failure) {
        return readSpeedFile(path, bytes, kind.file, failure);
    }

    // Whether the format text can be filled with the speeds of a file whose reading gave `text`, once
    // this kind of feed runs alone (starting it stops any other).
    static bool formatFits(const Kind& kind, std::string_view format, std::string_view text);

    // One timer period of the feed of this kind. Returns into the desktop's message loop: throws
    // nothing.
    static void tick(const Kind& kind, platform::TimerId id) noexcept;

private:
    static void readAndApply(const Kind& kind, platform::TimerId id);
    void takeSpeeds(std::string_view text);
    void applyFormat();

    const Kind& kind_;
    std::string path_;
    DescriptionSetter& setter_;
    HostGateway host_;
    platform::TimerId timer_ = 0;
    uint64_t serial_; // tells this feed from one that replaced it at the same address
    // The file's first bytes and the format text as last read, kept for their memory: a tick over a file
    // that keeps its speeds where they were allocates nothing. A few blocks at most, whatever the file's
    // size (keepSmall).
    std::string fileBytes_;
    std::string format_;
};

// The eMule feed: onlinesig.dat into the eMule speed texts.
class EmuleFeed final : public SpeedFeed {
public:
    // Use create.
    EmuleFeed(std::string path, std::string_view text, DescriptionSetter& setter, const HostGateway& host);
    // A feed over the file at `path`, whose first reading (read) gave `text`; none when that
    // yielded no content (the file could not be read, or it is empty). The caller reads the file: the
    // reading may show a message box, after which the caller must look again at what runs.
    static std::unique_ptr<EmuleFeed> create(const std::string& path, std::string_view text,
                                             DescriptionSetter& setter, const HostGateway& host) {
        return createFeed<EmuleFeed>(path, text, setter, host);
    }
    static void emuleTick(platform::TimerId id);
    static bool read(const std::string& path, std::string& bytes, uint32_t* failure) {
        return SpeedFeed::read(kKind, path, bytes, failure);
    }
    static bool formatFits(std::string_view format, std::string_view text) {
        return SpeedFeed::formatFits(kKind, format, text);
    }

private:
    static const Kind kKind;
};

// The Azureus feed: the statistics XML file into the Azureus speed texts.
class AzureusFeed final : public SpeedFeed {
public:
    // Use create.
    AzureusFeed(std::string path, std::string_view text, DescriptionSetter& setter, const HostGateway& host);
    static std::unique_ptr<AzureusFeed> create(const std::string& path, std::string_view text,
                                               DescriptionSetter& setter, const HostGateway& host) {
        return createFeed<AzureusFeed>(path, text, setter, host);
    }
    static void azureusTick(platform::TimerId id);
    static bool read(const std::string& path, std::string& bytes, uint32_t* failure) {
        return SpeedFeed::read(kKind, path, bytes, failure);
    }
    static bool formatFits(std::string_view format, std::string_view text) {
        return SpeedFeed::formatFits(kKind, format, text);
    }

private:
    static const Kind kKind;
};

} // namespace brio
