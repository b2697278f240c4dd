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
            const int32_t shown = netStatus(n);
            if (hiddenByUser(n, shown)) continue;
            write(n, shown, status, formatted);
            continue;
        }
        if (!takesPart(n) || !choice.enabled) continue;
        formatFor(description, n, formatted);
        const int32_t shown = netStatus(n);
        if (hiddenByUser(n, shown)) continue;
        write(n, shown, status, formatted);
    }
    // From now on a network not written yet may show something else than was saved.
    for (Saved& s : saved_)
        s.fresh = false;
}

void DescriptionSetter::write(int32_t network, int32_t shownStatus, int32_t status, const std::string& text) {
    if (holding_) {
        // Never a write to a network whose own description the chain does not hold: a network that
        // joined late is saved now, and one saved before but not written since is saved again, as the
        // user may have changed it meanwhile.
        Saved* saved = findSaved(network);
        if (!saved || (!saved->written && !saved->fresh)) saved = saveNetwork(network, shownStatus, true);
        saved->written = true;
        saved->lastSent = text;
    }
    send(network, status, text);
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
    // A new chain: what an earlier one saved is not the user's any more (what it could not give back
    // is kept apart).
    if (!adding) {
        saved_.clear();
        ++chains_;
    }
    holding_ = true;
    // By index: a host call may let the page change the list meanwhile.
    for (size_t i = 0; i < choices_.size(); ++i) {
        const int32_t n = choices_[i].network;
        if (!(n == kLimitedNetwork && netStatus(n) != 0) && !takesPart(n)) continue;
        const int32_t status = netStatus(n);
        if (hiddenByUser(n, status)) continue;
        // A network saved before in this chain shows an activity's text now.
        if (adding && findSaved(n)) continue;
        saveNetwork(n, status, false);
    }
}

std::vector<DescriptionSetter::Saved>::iterator DescriptionSetter::recordOf(std::vector<Saved>& records,
                                                                            int32_t network) {
    return std::find_if(records.begin(), records.end(),
                        [network](const Saved& s) { return s.network == network; });
}

DescriptionSetter::Saved* DescriptionSetter::findSaved(int32_t network) {
    const auto it = recordOf(saved_, network);
    return it == saved_.end() ? nullptr : &*it;
}

DescriptionSetter::Saved* DescriptionSetter::saveNetwork(int32_t network, int32_t status, bool nullIsEmpty) {
    const char* current = fromAddress<const char>(host_.send(msg::kNetDescription, network, -1));
    Saved record{current ? std::string(current) : std::string(), network, status};
    const auto kept = recordOf(kept_, network);
    if (kept != kept_.end()) {
        // Still showing what an earlier chain sent: the user's own is the one that chain kept. Anything
        // else the user has set since.
        if (current && record.description == kept->lastSent) {
            record.description = kept->description;
            record.lastSent = kept->lastSent;
            record.written = true;
            if (status == kHiddenStatus) record.status = kept->status;
        }
        kept_.erase(kept);
    }
    // No description is not saved at a start; written over, it comes back as an empty one.
    if (!current && !record.written && !nullIsEmpty) return nullptr;
    if (Saved* saved = findSaved(network)) return &(*saved = std::move(record));
    saved_.push_back(std::move(record));
    return &saved_.back();
}

void DescriptionSetter::remember(std::string_view text, int32_t network) {
    if (Saved* saved = findSaved(network)) {
        saved->description = text;
        return;
    }
    saved_.push_back(Saved{std::string(text), network});
}

std::optional<int32_t> DescriptionSetter::statusIfTaking(int32_t network) {
    if (excluded(network)) return std::nullopt;
    if (network == kLimitedNetwork) {
        const int32_t status = netStatus(network);
        if (status != 0 && !hiddenByUser(network, status)) {
            if (!isEnabled(network)) return std::nullopt;
            return status;
        }
    }
    if (!takesPart(network)) return std::nullopt;
    const int32_t status = netStatus(network);
    if (hiddenByUser(network, status) || !isEnabled(network)) return std::nullopt;
    return status;
}

void DescriptionSetter::sendBack(const Saved& saved, int32_t shownStatus) {
    // A hidden status the setter sent goes with the activity; any other status stays as it is.
    const bool unhide =
        shownStatus == kHiddenStatus && saved.status != kNoStatus && saved.status != kHiddenStatus;
    // What network 15 shows now is not the last applied text: the same text applied again must reach it.
    if (saved.network == kLimitedNetwork) lastStatus_.reset();
    send(saved.network, unhide ? saved.status : kKeepStatus, saved.description);
}

bool DescriptionSetter::giveBack(const Saved& saved) {
    const std::optional<int32_t> status = statusIfTaking(saved.network);
    if (!status) return false;
    sendBack(saved, *status);
    return true;
}

void DescriptionSetter::restore(int32_t network) {
    const Saved* saved = findSaved(network);
    giveBack(saved ? Saved(*saved) : Saved{std::string(), network});
}

void DescriptionSetter::restoreAll() {
    std::vector<int32_t> networks;
    networks.reserve(saved_.size());
    for (const Saved& s : saved_)
        networks.push_back(s.network);
    // Copies and look-ups afresh: the sends are host calls, inside which another chain may even begin;
    // then that one stands, and nothing more of this one is done.
    const uint64_t chain = chains_;
    for (int32_t n : networks) {
        const Saved* saved = findSaved(n);
        if (!saved) continue;
        const bool back = giveBack(Saved(*saved));
        if (chains_ != chain) return;
        if (Saved* again = findSaved(n)) again->givenBack = back;
    }
    giveBackKept();
    if (chains_ != chain) return;
    // What this chain wrote and could not give back is kept for when the network takes part again.
    for (auto it = saved_.begin(); it != saved_.end();) {
        if (it->written && !it->givenBack) {
            kept_.push_back(std::move(*it));
            it = saved_.erase(it);
        } else {
            ++it;
        }
    }
    holding_ = false;
}

void DescriptionSetter::giveBackKept() {
    std::vector<int32_t> networks;
    networks.reserve(kept_.size());
    for (const Saved& s : kept_)
        networks.push_back(s.network);
    for (int32_t n : networks)
        giveBackKept(n);
}

void DescriptionSetter::giveBackKept(int32_t network) {
    // Look-ups afresh: the checks and the send are host calls.
    const auto found = recordOf(kept_, network);
    if (found == kept_.end()) return;
    const Saved kept = *found;
    const std::optional<int32_t> status = statusIfTaking(network);
    if (!status) return;
    // Given back only over what the setter sent: anything else the user has set since.
    const char* current = fromAddress<const char>(host_.send(msg::kNetDescription, network, -1));
    if (current && kept.lastSent == current) sendBack(kept, *status);
    if (const auto it = recordOf(kept_, network); it != kept_.end()) kept_.erase(it);
}

void DescriptionSetter::keepShown() {
    // A hidden status the chain sent is the user's own from now on, like the descriptions.
    for (const Saved& s : saved_) {
        if (!s.written) continue;
        std::erase_if(sentStatus_, [&s](const Sent& sent) { return sent.network == s.network; });
    }
    saved_.clear();
    holding_ = false;
}

void DescriptionSetter::setEnabled(size_t index, bool enabled) {
    if (index >= choices_.size()) return;
    const int32_t n = choices_[index].network;
    if (choices_[index].enabled && !enabled) {
        // Brio lets go of the network: its own goes back now, while it is still switched on.
        const auto it = recordOf(saved_, n);
        if (holding_ && it != saved_.end()) {
            const Saved saved = std::move(*it);
            saved_.erase(it);
            if (saved.written && !giveBack(saved)) kept_.push_back(saved);
        } else {
            giveBackKept(n);
        }
    }
    // By index again: the host calls may have let the page change the list.
    if (index < choices_.size() && choices_[index].network == n) choices_[index].enabled = enabled;
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
    // The host counts itself, and no plug-in is numbered, typed or networked 0: such an answer is a
    // host that had nothing to tell, not a plug-in that is not there.
    if (count <= 0) networksUntold_ = true;
    int32_t found = 0;
    for (int32_t i = 1; i < count; ++i) {
        const int32_t id = host_.send(msg::kPluginIdAt, 0, 0, i);
        const int32_t type = id ? host_.sendTo(id, msg::kQueryType) : 0;
        if (type == 0) networksUntold_ = true;
        if (!(type & msg::kNetworkPluginBit)) continue;
        const int32_t n = host_.sendTo(id, msg::kQueryNet);
        if (n == 0) networksUntold_ = true;
        if (n == 0 || excluded(n)) continue;
        if (host_.sendTo(id, msg::kQueryNetName) == 0) {
            networksUntold_ = true; // not listed without its name; what the user chose for it stays
            continue;
        }
        if (add) choices_.push_back(NetworkChoice{true, n});
        ++found;
    }
    return found;
}

void DescriptionSetter::loadNetworkChoices() {
    const std::optional<std::string> read = host_.readTextIfAny(column_);
    choicesRead_ = read.has_value();
    const std::string text = read.value_or(std::string());
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
    // A host that could not tell some plug-in: the choices of networks it did not name stay stored.
    untoldChoices_.clear();
    if (networksUntold_)
        for (const NetworkChoice& c : stored)
            if (!std::any_of(choices_.begin(), choices_.end(), sameNetwork(c.network)) &&
                !std::any_of(untoldChoices_.begin(), untoldChoices_.end(), sameNetwork(c.network)))
                untoldChoices_.push_back(c);
}

void DescriptionSetter::storeNetworkChoices() const {
    if (!choicesRead_) return; // never written back over what could not be read
    if (untoldChoices_.empty()) {
        host_.writeText(column_, writeNetworkChoices(choices_));
        return;
    }
    std::vector<NetworkChoice> all = choices_;
    all.insert(all.end(), untoldChoices_.begin(), untoldChoices_.end());
    host_.writeText(column_, writeNetworkChoices(all));
}

} // namespace brio
