// The records of what the description setter could not give back yet, as kept in a setting of its own:
// "K1|", then per record its network, "|", the status it showed before Brio's first write, "|", "1" when
// the hidden status it shows is Brio's or "0", "|", then two texts (its own description, and what it
// showed after Brio's last write), each as its length in decimal, ":", the bytes, "|". No records is the
// empty text.
//
// While a write of Brio's is on its way, what the network showed before it (Brio's write before) still
// counts as Brio's: records stored then begin "K2|", and each has after its hidden flag one more field,
// "0" (no write on its way), "1" (one is, over a text of Brio's not hidden by it) or "2" (over Brio's
// hidden status), "|", and after its two texts a third, that earlier text ("0:|" with "0").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brio {

struct OwnRecord {
    int32_t network = 0;
    int32_t ownStatus = 0;   // what the network showed before Brio's first write
    std::string ownText;     // ... and its description then
    bool brioHidden = false; // the hidden status it shows is Brio's
    std::string brioText;    // what it showed after Brio's last write
    // A write of Brio's on its way: what the network showed before it, Brio's too.
    bool hasEarlier = false;
    bool earlierHidden = false;
    std::string earlierText;
    // Kept in memory only, never stored: the text and status Brio last sent (a network may show it cut),
    // and whether the record is owed to a network that could not take it at a give-back.
    std::string sent;
    int32_t sentStatus = 0; // the status Brio made it show with that write (0: not known)
    bool owed = false;
    bool operator==(const OwnRecord&) const = default;
};

std::string writeOwnRecords(const std::vector<OwnRecord>& records);

// None for anything Brio does not write: another header, a field out of place, a number out of range, a
// length beyond the text, a network twice, bytes after the last record.
std::optional<std::vector<OwnRecord>> parseOwnRecords(std::string_view text);

} // namespace brio
