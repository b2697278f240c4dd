#include "formats/own_records.h"

#include <algorithm>

namespace brio {

namespace {

constexpr std::string_view kHeader = "K1|";
constexpr std::string_view kHeaderWithEarlier = "K2|";

void putText(std::string& out, const std::string& text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
    out += '|';
}

// Reads from the front of `rest`, strictly: only what writeOwnRecords writes is taken.
class Reader {
public:
    explicit Reader(std::string_view text) : rest_(text) {}
    bool done() const { return rest_.empty(); }

    // An optional "-" and 1 to 10 digits that fit 32 bits, as written, then `end`.
    bool number(int64_t& value, char end) {
        bool negative = false;
        if (!rest_.empty() && rest_[0] == '-') {
            negative = true;
            rest_.remove_prefix(1);
        }
        size_t digits = 0;
        value = 0;
        while (digits < rest_.size() && rest_[digits] >= '0' && rest_[digits] <= '9') {
            if (++digits > 10) return false;
            value = value * 10 + (rest_[digits - 1] - '0');
        }
        if (digits == 0 || digits >= rest_.size() || rest_[digits] != end) return false;
        // As written: no leading zero, no "-0".
        if (rest_[0] == '0' && (digits > 1 || negative)) return false;
        rest_.remove_prefix(digits + 1);
        if (negative) value = -value;
        return value >= INT32_MIN && value <= INT32_MAX;
    }
    bool i32(int32_t& value) {
        int64_t v = 0;
        if (!number(v, '|')) return false;
        value = static_cast<int32_t>(v);
        return true;
    }
    bool text(std::string& value) {
        int64_t length = 0;
        if (!number(length, ':') || length < 0 || static_cast<uint64_t>(length) >= rest_.size()) return false;
        const size_t n = static_cast<size_t>(length);
        if (rest_[n] != '|') return false;
        value.assign(rest_.substr(0, n));
        rest_.remove_prefix(n + 1);
        return true;
    }

private:
    std::string_view rest_;
};

} // namespace

std::string writeOwnRecords(const std::vector<OwnRecord>& records) {
    if (records.empty()) return {};
    const bool earlier =
        std::any_of(records.begin(), records.end(), [](const OwnRecord& r) { return r.hasEarlier; });
    std::string out(earlier ? kHeaderWithEarlier : kHeader);
    for (const OwnRecord& r : records) {
        out += std::to_string(r.network) + '|' + std::to_string(r.ownStatus) + '|' +
               (r.brioHidden ? "1|" : "0|");
        if (earlier) out += !r.hasEarlier ? "0|" : r.earlierHidden ? "2|" : "1|";
        putText(out, r.ownText);
        putText(out, r.brioText);
        if (earlier) putText(out, r.hasEarlier ? r.earlierText : std::string());
    }
    return out;
}

std::optional<std::vector<OwnRecord>> parseOwnRecords(std::string_view text) {
    std::vector<OwnRecord> records;
    if (text.empty()) return records;
    const bool withEarlier = text.starts_with(kHeaderWithEarlier);
    if (!withEarlier && !text.starts_with(kHeader)) return std::nullopt;
    Reader in(text.substr(kHeader.size()));
    bool anyEarlier = false;
    while (!in.done()) {
        OwnRecord r;
        int32_t hidden = 0;
        int32_t earlier = 0;
        if (!in.i32(r.network) || !in.i32(r.ownStatus) || !in.i32(hidden) || (hidden != 0 && hidden != 1) ||
            (withEarlier && (!in.i32(earlier) || earlier < 0 || earlier > 2)) || !in.text(r.ownText) ||
            !in.text(r.brioText) || (withEarlier && !in.text(r.earlierText)))
            return std::nullopt;
        if (earlier == 0 && !r.earlierText.empty()) return std::nullopt;
        r.brioHidden = hidden == 1;
        r.hasEarlier = earlier != 0;
        r.earlierHidden = earlier == 2;
        anyEarlier = anyEarlier || r.hasEarlier;
        const int32_t n = r.network;
        if (std::any_of(records.begin(), records.end(), [n](const OwnRecord& o) { return o.network == n; }))
            return std::nullopt;
        records.push_back(std::move(r));
    }
    if (records.empty()) return std::nullopt;            // a header alone is never written
    if (withEarlier && !anyEarlier) return std::nullopt; // written as "K1|"
    return records;
}

} // namespace brio
