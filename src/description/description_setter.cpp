#include "description/description_setter.h"

#include <algorithm>

#include "boundary/messages.h"
#include "boundary/records.h"
#include "formats/status.h"

namespace brio {

namespace {

// Network 15 takes descriptions of at most this many characters and is spared identical repeats.
constexpr int32_t kLimitedNetwork = 15;
constexpr int32_t kNetworkLimit = 255;

bool excluded(int32_t network) {
    return network == 20 || network == 83;
}

} // namespace

DescriptionSetter::DescriptionSetter(const HostGateway& host, int32_t settingsColumn)
    : host_(host), column_(settingsColumn) {
    loadNetworkChoices();
}

DescriptionSetter::~DescriptionSetter() {
    // A destructor must not throw (that would end the host's process): if the text cannot be built,
    // the choices stored before stay as they were.
    try {
        storeNetworkChoices();
    } catch (...) {
    }
}

int32_t DescriptionSetter::netStatus(int32_t network) const {
    return host_.send(msg::kNetStatus, network, -1);
}

bool DescriptionSetter::takesPart(int32_t network) const {
    return host_.send(msg::kNetCapability, network, 2) != 0;
}

void DescriptionSetter::send(int32_t network, int32_t status, const std::string& text) {
    host_.send(msg::kSetNetStatus, network, 2, status, addressOf(text.c_str()));
    if (status == kKeepStatus) return;
    for (Sent& s : sentStatus_) {
        if (s.network == network) {
            s.status = status;
            return;
        }
    }
    sentStatus_.push_back(Sent{network, status});
}

bool DescriptionSetter::hiddenByUser(int32_t network, int32_t status) {
    auto it = std::find_if(sentStatus_.begin(), sentStatus_.end(),
                           [network](const Sent& s) { return s.network == network; });
    const bool hiddenByUs = it != sentStatus_.end() && it->status == kHiddenStatus;
    if (status != kHiddenStatus) {
        // Shown again since: a later hidden status is the user's, whatever was sent before.
        if (hiddenByUs) sentStatus_.erase(it);
        return false;
    }
    return !hiddenByUs;
}

std::string DescriptionSetter::formatFor(std::string_view text, int32_t network) {
    std::string out;
    formatFor(text, network, out);
    return out;
}

void DescriptionSetter::apply(std::string_view text, int32_t status) {
    // The setter's own buffers are reused, so that an activity applying the same description again
    // allocates nothing. Should a host call let another apply run inside this one, that one works in
    // memory of its own: the host may still be reading the text it was given.
    if (applying_) {
        std::string description;
        std::string formatted;
        applyIn(description, formatted, text, status);
        return;
    }
    applying_ = true;
    try {
        applyIn(description_, formatted_, text, status);
    } catch (...) {
        applying_ = false;
        throw;
    }
    applying_ = false;
}

void DescriptionSetter::applyIn(std::string& description, std::string& formatted, std::string_view text,
                                int32_t status) {
    // Our own copy: the caller's text may change under a host call.
    description.assign(text);
    if (description.empty()) return;
    // By index, each record read afresh: formatFor is ours to override and must not be able to pull the
    // list from under us.
    for (size_t i = 0; i < choices_.size(); ++i) {
        const NetworkChoice choice = choices_[i];
        const int32_t n = choice.network;
        if (n == kLimitedNetwork && netStatus(n) != 0) {
            if (!choice.enabled) continue;
            formatFor(description, n, formatted);
            fitToNetwork(formatted, 0);
            if (lastStatus_ == status && formatted == lastText_) continue;
            lastStatus_ = status;
            lastText_ = formatted; // counts as applied even when the network is hidden below
            if (hiddenByUser(n, netStatus(n))) continue;
            send(n, status, formatted);
            continue;
        }
        if (!takesPart(n) || !choice.enabled) continue;
        formatFor(description, n, formatted);
        if (hiddenByUser(n, netStatus(n))) continue;
        send(n, status, formatted);
    }
}

void DescriptionSetter::fitToNetwork(std::string& text, int32_t reserve) {
    // At least room for the "..." itself, whatever the reserve.
    const int64_t usable = std::max<int64_t>(int64_t{kNetworkLimit} - reserve, 3);
    if (text.size() <= static_cast<size_t>(usable)) return;
    text.resize(static_cast<size_t>(usable) - 3);
    text += "...";
}

std::string DescriptionSetter::fitToNetwork(std::string_view text, int32_t, int32_t reserve) {
    std::string fitted(text);
    fitToNetwork(fitted, reserve);
    return fitted;
}

void DescriptionSetter::saveCurrent() {
    const bool adding = holding_;
    // By index: a host call may let the page change the list meanwhile.
    for (size_t i = 0; i < choices_.size(); ++i) {
        const int32_t n = choices_[i].network;
        if (!(n == kLimitedNetwork && netStatus(n) != 0) && !takesPart(n)) continue;
        if (hiddenByUser(n, netStatus(n))) continue;
        // A network saved before this chain of activities began shows an activity's text now.
        if (adding && std::any_of(saved_.begin(), saved_.end(), [n](const Saved& s) { return s.network == n; }))
            continue;
        const char* current = fromAddress<const char>(host_.send(msg::kNetDescription, n, -1));
        if (current) remember(current, n);
    }
    holding_ = true;
}

void DescriptionSetter::remember(std::string_view text, int32_t network) {
    for (Saved& s : saved_) {
        if (s.network == network) {
            s.description = text;
            return;
        }
    }
    saved_.push_back(Saved{std::string(text), network});
}

void DescriptionSetter::restore(int32_t network) {
    if (excluded(network)) return;
    if (network == kLimitedNetwork) {
        const int32_t status = netStatus(network);
        if (status != 0 && !hiddenByUser(network, status)) {
            if (isEnabled(network)) send(network, kKeepStatus, savedDescription(network));
            return;
        }
    }
    if (!takesPart(network) || hiddenByUser(network, netStatus(network)) || !isEnabled(network)) return;
    send(network, kKeepStatus, savedDescription(network));
}

void DescriptionSetter::restoreAll() {
    std::vector<int32_t> networks;
    networks.reserve(saved_.size());
    for (const Saved& s : saved_)
        networks.push_back(s.network);
    for (int32_t n : networks)
        restore(n);
    holding_ = false;
}

std::string DescriptionSetter::savedDescription(int32_t network) const {
    for (const Saved& s : saved_)
        if (s.network == network) return s.description;
    return {};
}

bool DescriptionSetter::isEnabled(int32_t network) const {
    for (const NetworkChoice& c : choices_)
        if (c.network == network) return c.enabled;
    return false;
}

int32_t DescriptionSetter::findNetworks(bool add) {
    const int32_t count = host_.send(msg::kPluginCount, 0, -1);
    int32_t found = 0;
    for (int32_t i = 1; i < count; ++i) {
        const int32_t id = host_.send(msg::kPluginIdAt, 0, 0, i);
        if (!(host_.sendTo(id, msg::kQueryType) & msg::kNetworkPluginBit)) continue;
        const int32_t n = host_.sendTo(id, msg::kQueryNet);
        if (excluded(n)) continue;
        if (host_.sendTo(id, msg::kQueryNetName) == 0) continue;
        if (add) choices_.push_back(NetworkChoice{true, n});
        ++found;
    }
    return found;
}

void DescriptionSetter::loadNetworkChoices() {
    const std::string text = host_.readText(column_);
    if (text.empty()) {
        findNetworks(true);
        return;
    }
    std::vector<NetworkChoice> stored = parseNetworkChoices(text);
    // Count first, as the host expects; then list what is there now.
    std::vector<NetworkChoice> present;
    std::swap(choices_, present);
    findNetworks(true);
    std::swap(choices_, present);
    if (stored.size() == present.size() &&
        std::is_permutation(
            stored.begin(), stored.end(), present.begin(), present.end(),
            [](const NetworkChoice& a, const NetworkChoice& b) { return a.network == b.network; })) {
        choices_ = std::move(stored);
        return;
    }
    // The plug-ins changed: every network present is listed once (two plug-ins of one network give one
    // entry), in plug-in order; those already stored keep their flag, new ones start switched on, and
    // those gone are dropped.
    const auto sameNetwork = [](int32_t network) {
        return [network](const NetworkChoice& c) { return c.network == network; };
    };
    choices_.clear();
    for (NetworkChoice c : present) {
        if (std::any_of(choices_.begin(), choices_.end(), sameNetwork(c.network))) continue;
        auto it = std::find_if(stored.begin(), stored.end(), sameNetwork(c.network));
        if (it != stored.end()) c.enabled = it->enabled;
        choices_.push_back(c);
    }
}

void DescriptionSetter::storeNetworkChoices() const {
    host_.writeText(column_, writeNetworkChoices(choices_));
}

} // namespace brio
