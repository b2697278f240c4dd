#include "cycling/list_cycler.h"

#include "boundary/settings.h"
#include "platform/timers.h"

namespace brio {

ListCycler::ListCycler(const HostGateway& host, std::vector<StatusEntry> entries)
    : host_(host), entries_(std::move(entries)) {
    position_ = host_.readInt(setting::kOrder) == order::kFromEnd ? entries_.size() : 0;
    random_.seed(platform::secondsSinceEpoch());
}

std::pair<const StatusEntry&, int32_t> ListCycler::nextEntry() {
    static const StatusEntry kNoEntry;
    const size_t n = entries_.size();
    if (n == 0) return {kNoEntry, listEnd::kSwitchOff};
    const int32_t walk = host_.readInt(setting::kOrder);
    if (walk == order::kRandom) return {entries_[static_cast<size_t>(random_.draw()) % n], listEnd::kGoOn};

    if (walk == order::kFromEnd) {
        if (position_ != 0) {
            --position_;
            return {entries_[position_], listEnd::kGoOn};
        }
        switch (host_.readInt(setting::kOnListEnd)) {
        case listEnd::kKeepLast:
            return {entries_.front(), listEnd::kKeepLast};
        case listEnd::kSwitchOff:
            return {kNoEntry, listEnd::kSwitchOff};
        default:
            position_ = n - 1;
            return {entries_[position_], listEnd::kGoOn};
        }
    }

    if (position_ < n) return {entries_[position_++], listEnd::kGoOn};
    switch (host_.readInt(setting::kOnListEnd)) {
    case listEnd::kKeepLast:
        position_ = n - 1;
        return {entries_.back(), listEnd::kKeepLast};
    case listEnd::kSwitchOff:
        return {kNoEntry, listEnd::kSwitchOff};
    default:
        position_ = 1;
        return {entries_.front(), listEnd::kGoOn};
    }
}

} // namespace brio
