// cycling/: the activities that change the description by themselves: list cycling (ListCycler) and
// stealing (StealTimer). Uses formats/, resources/, platform/, boundary/, description/.
//
// List cycling: walks the cycle list in the order the user chose.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "boundary/host_gateway.h"
#include "formats/status_entry.h"

namespace brio {

namespace order {
constexpr int32_t kInOrder = 0;
constexpr int32_t kFromEnd = 1;
constexpr int32_t kRandom = 2;
} // namespace order

namespace listEnd {
constexpr int32_t kGoOn = 0;      // start again
constexpr int32_t kKeepLast = 1;  // apply the last entry once more, then stop
constexpr int32_t kSwitchOff = 2; // stop and put the saved descriptions back
} // namespace listEnd

// The linear congruential generator of the C runtime: seeded once per cycler, 0..32767 per draw.
class RandomOrder {
public:
    void seed(uint32_t s) { state_ = s; }
    int32_t draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int32_t>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_ = 1;
};

class ListCycler {
public:
    // Over a cycle list built from a list text (buildCycleList); "Brio/order" decides where the walk
    // starts.
    ListCycler(const HostGateway& host, std::vector<StatusEntry> entries);

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }

    // The next entry to show, and what the end of the list asks for (listEnd::*). Both settings are
    // read afresh at every step. The entry is the cycler's own (nothing is copied, so a step costs the
    // same whatever the list holds); it lives as long as the cycler.
    std::pair<const StatusEntry&, int32_t> nextEntry();

private:
    HostGateway host_;
    std::vector<StatusEntry> entries_;
    size_t position_; // an entry's index, or entries_.size() for just past the last one
    RandomOrder random_;
};

} // namespace brio
