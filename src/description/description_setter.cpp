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

// A status Brio can send back: a network that showed none (0) or the hidden one cannot be given it.
bool canGiveBack(int32_t status) {
    return status > 0 && status != kHiddenStatus;
}

bool listed(const std::vector<int32_t>& networks, int32_t network) {
    return std::find(networks.begin(), networks.end(), network) != networks.end();
}

} // namespace

DescriptionSetter::DescriptionSetter(const HostGateway& host, int32_t settingsColumn, int32_t keptColumn)
    : host_(host), column_(settingsColumn), keptColumn_(keptColumn) {
    loadNetworkChoices();
    // Whatever the setting holds that Brio did not write gives nothing back; it is left as it is until a
    // record of this setter's replaces it.
    readRecords();
}

void DescriptionSetter::readRecords() {
    const std::optional<std::string> stored = host_.readTextIfAny(keptColumn_);
    keptRead_ = stored.has_value();
    if (!stored) return;
    if (std::optional<std::vector<OwnRecord>> records = parseOwnRecords(*stored)) {
        // Records made before the setting could be read are the newer ones; one that took the earlier
        // record's write of Brio's for the user's own takes that record's own instead.
        for (OwnRecord& r : *records) {
            if (excluded(r.network)) continue; // never given back, so never kept
            r.owed = true;                     // an earlier run could not give it back
            if (OwnRecord* newer = recordOf(r.network); !newer) {
                records_.push_back(std::move(r));
            } else if (newer->ownText == r.brioText) {
                newer->ownText = std::move(r.ownText);
                newer->ownStatus = r.ownStatus;
            }
        }
        storedRecords_ = *stored;
    }
}

DescriptionSetter::~DescriptionSetter() {
    // A destructor must not throw (that would end the host's process). Memory refused once is no reason
    // to lose the user's choices: the store is tried once more; failing again, the choices stored
    // before stay as they were.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            storeNetworkChoices();
            return;
        } catch (...) {
        }
    }
}

int32_t DescriptionSetter::netStatus(int32_t network) const {
    return host_.send(msg::kNetStatus, network, -1);
}

int32_t DescriptionSetter::statusShown(int32_t network) const {
    // No network shows status 0 while it takes part but one without any status; a host that could not
    // answer this once says 0 as well, and taking that for the status would write over a hidden one or
    // give a hidden one of Brio's back without its own status: it is asked once more.
    const int32_t status = netStatus(network);
    return status != 0 ? status : netStatus(network);
}

bool DescriptionSetter::takesPart(int32_t network) const {
    return host_.send(msg::kNetCapability, network, 2) != 0;
}

const char* DescriptionSetter::netDescriptionIfAny(int32_t network) const {
    return fromAddress<const char>(host_.send(msg::kNetDescription, network, -1));
}

const char* DescriptionSetter::netDescription(int32_t network) const {
    const char* shown = netDescriptionIfAny(network);
    return shown ? shown : "";
}

bool DescriptionSetter::takingPart(int32_t network, int32_t& status) const {
    status = netStatus(network);
    if (network == kLimitedNetwork && status != 0) return true;
    if (!takesPart(network)) return false;
    status = statusShown(network);
    return true;
}

bool DescriptionSetter::hiddenByUser(int32_t network, int32_t status) {
    if (status != kHiddenStatus) return false;
    if (const OwnRecord* record = recordOf(network);
        !record || !(record->brioHidden || (record->hasEarlier && record->earlierHidden)))
        return true;
    const char* shown = netDescription(network);
    const OwnRecord* record = recordOf(network); // again: the host call may have changed the records
    return !record || judgeShown(*record, status, shown) != Shows::Brios;
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
        Work work;
        applyIn(work, text, status);
        return;
    }
    applying_ = true;
    try {
        applyIn(work_, text, status);
    } catch (...) {
        applying_ = false;
        throw;
    }
    applying_ = false;
}

void DescriptionSetter::applyIn(Work& work, std::string_view text, int32_t status) {
    // Our own copy: the caller's text may change under a host call.
    work.description.assign(text);
    if (work.description.empty()) return;
    const bool wrote15 = listed(writtenLast_, kLimitedNetwork);
    writtenLast_.clear();
    work.count = 0;
    // By index, each record read afresh: formatFor is ours to override and must not be able to pull the
    // list from under us.
    for (size_t i = 0; i < choices_.size(); ++i) {
        const NetworkChoice choice = choices_[i];
        const int32_t n = choice.network;
        if (work.count == work.writes.size()) work.writes.emplace_back();
        Write& w = work.writes[work.count];
        if (n == kLimitedNetwork && statusShown(n) != 0) {
            if (!choice.enabled) continue;
            formatFor(work.description, n, w.text);
            fitToNetwork(w.text, 0);
            if (lastStatus_ == status && w.text == lastText_) {
                if (wrote15) writtenLast_.push_back(n); // it shows this very write still
                continue;
            }
            lastStatus_ = status;
            lastText_ = w.text; // counts as applied even when the network is hidden below
        } else {
            if (!takesPart(n) || !choice.enabled) continue;
            formatFor(work.description, n, w.text);
        }
        w.shownStatus = statusShown(n);
        if (hiddenByUser(n, w.shownStatus)) continue;
        w.network = n;
        w.status = status;
        ++work.count;
    }
    if (work.count == 0) return;
    if (!prepareRecords(work)) {
        // Nothing is sent: the next apply tries again, network 15's repeat included.
        lastStatus_.reset();
        return;
    }
    send(work);
}

bool DescriptionSetter::prepareRecords(Work& work) {
    for (size_t k = 0; k < work.count; ++k) {
        // No answer is a network without a description, or a host that could not answer this once: what
        // may become the user's own for good, or tell Brio's write from it, is asked once more.
        const char* before = netDescriptionIfAny(work.writes[k].network);
        if (!before) before = netDescriptionIfAny(work.writes[k].network);
        work.writes[k].before.assign(before ? before : "");
    }
    // Worked out on a copy, which takes the records' place only whole: a failure on the way leaves them
    // as they were. The copy reuses its memory, so an unchanged write allocates nothing.
    work.next = records_;
    bool changed = false;
    for (size_t k = 0; k < work.count; ++k) {
        Write& w = work.writes[k];
        const int32_t n = w.network;
        if (excluded(n)) continue; // never given back, so nothing of theirs is kept
        auto it = std::find_if(work.next.begin(), work.next.end(),
                               [n](const OwnRecord& r) { return r.network == n; });
        // Brio's first write, or the first since the user set something else there: what the network
        // shows now is the user's own.
        const bool made = it == work.next.end() || judgeShown(*it, kKeepStatus, w.before) != Shows::Brios;
        if (made) {
            OwnRecord own;
            own.network = n;
            own.ownStatus = w.shownStatus;
            own.ownText = w.before;
            if (it == work.next.end()) {
                work.next.push_back(std::move(own));
                it = work.next.end() - 1;
            } else {
                *it = std::move(own);
            }
            changed = true;
        }
        OwnRecord& r = *it;
        // A status other than hidden shown over Brio's text that Brio did not send is the user's, set
        // meanwhile: it is his own now, and the one a hidden status of Brio's gives way to.
        if (!made && canGiveBack(w.shownStatus) && r.sentStatus != 0 && w.shownStatus != r.sentStatus &&
            w.shownStatus != r.ownStatus) {
            r.ownStatus = w.shownStatus;
            changed = true;
        }
        // Brio never hides a network whose own status it could not send back: its "Ukryty" would stay.
        if (w.status == kHiddenStatus && !canGiveBack(r.ownStatus)) w.status = kKeepStatus;
        // Written over a hidden status of Brio's without a status of its own, it stays hidden by Brio.
        const bool hidden =
            w.status == kHiddenStatus || (w.status == kKeepStatus && w.shownStatus == kHiddenStatus);
        // The same text sent again over what it gave shows the same; anything else shows what is sent
        // (a network that changes it on the way is told after the write).
        const bool same = !made && r.sent == w.text && w.before == r.brioText;
        if (!same || r.brioHidden != hidden) {
            if (!made) {
                // Until the write is seen through, what shows now is Brio's as well.
                r.hasEarlier = true;
                r.earlierText = w.before;
                r.earlierHidden = w.shownStatus == kHiddenStatus;
            }
            if (!same) r.brioText = w.text;
            r.brioHidden = hidden;
            changed = true;
        }
        r.sent = w.text;
        r.sentStatus = w.status == kKeepStatus ? w.shownStatus : w.status; // what it shows after the write
        r.owed = false; // the running activity writes to it as to any other
    }
    records_.swap(work.next);
    if (!changed) return true;
    // This store alone is read back: a write that goes out without its record leaves no way to give the
    // user's own description back should the plug-in end without saying so. The stores after the writes
    // and on giving back only follow what the networks show; one of them lost leaves the record before
    // it, which still gives back the user's own.
    if (storeRecords(true)) return true;
    records_.swap(work.next); // as before the apply
    return false;
}

void DescriptionSetter::send(Work& work) {
    bool changed = false;
    for (size_t k = 0; k < work.count; ++k) {
        const Write& w = work.writes[k];
        // The host's answer to a write tells nothing (hosts answer it as they please): what the network
        // shows after it tells whether it went through.
        host_.send(msg::kSetNetStatus, w.network, 2, w.status, addressOf(w.text.c_str()));
        OwnRecord* r = excluded(w.network) ? nullptr : recordOf(w.network);
        if (!r) {
            writtenLast_.push_back(w.network);
            continue;
        }
        // What the network shows now, which it may have cut or trimmed, is what tells Brio's write later.
        // No answer tells nothing of the write: Brio's record stays the text it sent.
        const char* shown = netDescriptionIfAny(w.network);
        if (shown && r->hasEarlier && r->earlierText == shown) {
            // Still what it showed before: the host may have refused the write (or the text is the same).
            // Brio's earlier write stays Brio's, with its status, and what the network shows is not known.
            r->sentStatus = 0;
            if (w.text == shown) {
                writtenLast_.push_back(w.network);
            } else if (w.network == kLimitedNetwork) {
                lastStatus_.reset(); // the same pair applied again must reach it
            }
            continue;
        }
        writtenLast_.push_back(w.network);
        r->hasEarlier = false;
        if (shown && r->brioText != shown) {
            r->brioText.assign(shown);
            changed = true;
        }
    }
    if (changed) storeRecords();
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

OwnRecord* DescriptionSetter::recordOf(int32_t network) {
    const auto it = std::find_if(records_.begin(), records_.end(),
                                 [network](const OwnRecord& r) { return r.network == network; });
    return it == records_.end() ? nullptr : &*it;
}

void DescriptionSetter::drop(int32_t network) {
    std::erase_if(records_, [network](const OwnRecord& r) { return r.network == network; });
}

DescriptionSetter::Shows DescriptionSetter::judgeShown(const OwnRecord& record, int32_t status,
                                                       std::string_view shown) {
    const bool last = shown == record.brioText;
    const bool earlier = record.hasEarlier && shown == record.earlierText;
    if (!last && !earlier) return Shows::UsersOwn;
    const bool hiddenByBrio = (last && record.brioHidden) || (earlier && record.earlierHidden);
    if (status == kHiddenStatus && !hiddenByBrio) return Shows::HiddenByUser;
    return Shows::Brios;
}

DescriptionSetter::Shows DescriptionSetter::judge(const OwnRecord& record, int32_t& status) {
    if (!takingPart(record.network, status)) return Shows::Away; // it cannot tell what it shows
    // No answer cannot tell the user's own from Brio's: the record is kept for a later look.
    const char* shown = netDescriptionIfAny(record.network);
    if (!shown) return Shows::Away;
    return judgeShown(record, status, shown);
}

void DescriptionSetter::settle(bool giveBack, Which which, int32_t only, const std::vector<int32_t>* stays) {
    std::vector<int32_t> networks;
    for (const OwnRecord& r : records_)
        if (which == Which::All || (which == Which::OneNetwork && r.network == only) ||
            (which == Which::Owed && r.owed))
            networks.push_back(r.network);
    // Copies and look-ups afresh: every question is a host call.
    for (int32_t n : networks) {
        const OwnRecord* found = recordOf(n);
        if (!found) continue;
        const OwnRecord record = *found;
        int32_t status = 0;
        switch (judge(record, status)) {
        case Shows::Away:
        case Shows::HiddenByUser:
            // Kept for when it can take its own, and owed to it from a give-back on.
            if (OwnRecord* now = recordOf(n); now && giveBack) now->owed = true;
            continue;
        case Shows::UsersOwn:
            break;
        case Shows::Brios: {
            if (!giveBack) continue;
            if (stays && listed(*stays, n)) break; // Brio's write of it is the user's own now
            // A hidden status of Brio's goes with its text; any other status stays as the user has it.
            const bool unhide = status == kHiddenStatus && canGiveBack(record.ownStatus);
            // What network 15 shows now is not the last applied text: the same text applied again must
            // reach it.
            if (n == kLimitedNetwork) lastStatus_.reset();
            // A send that failed, or that the host refused (it answers 0), keeps the record, owed, for the
            // next try: a kept record is judged afresh there, so one the network took after all only goes
            // then.
            if (host_.send(msg::kSetNetStatus, n, 2, unhide ? record.ownStatus : kKeepStatus,
                           addressOf(record.ownText.c_str())) == 0) {
                if (OwnRecord* now = recordOf(n); now && *now == record) now->owed = true;
                continue;
            }
            break;
        }
        }
        // Unless a write made inside the host calls has made it anew.
        if (const OwnRecord* now = recordOf(n); now && *now == record) drop(n);
    }
    storeRecords();
}

void DescriptionSetter::saveCurrent() {
    settle(false, Which::All);
}

void DescriptionSetter::restoreAll() {
    settle(true, Which::All);
}

void DescriptionSetter::restoreOwed() {
    settle(true, Which::Owed);
}

void DescriptionSetter::keepShown() {
    const std::vector<int32_t> stays = writtenLast_;
    settle(true, Which::All, 0, &stays);
}

bool DescriptionSetter::owing() const {
    return std::any_of(records_.begin(), records_.end(), [](const OwnRecord& r) { return r.owed; });
}

void DescriptionSetter::setEnabled(size_t index, bool enabled) {
    if (index >= choices_.size()) return;
    const int32_t n = choices_[index].network;
    // By index again: the host calls may have let the page change the list.
    const auto choose = [&] {
        if (index < choices_.size() && choices_[index].network == n) choices_[index].enabled = enabled;
    };
    // Brio lets go of the network: its own goes back now if it can, else as soon as it can. The user's
    // choice stands even when the give-back fails on the way; the record is then owed to the network.
    if (choices_[index].enabled && !enabled) {
        try {
            settle(true, Which::OneNetwork, n);
        } catch (...) {
            if (OwnRecord* r = recordOf(n)) r->owed = true;
            choose();
            throw;
        }
    }
    choose();
}

bool DescriptionSetter::storeRecords(bool confirm) {
    // What could not be read may hold records of an earlier run: it is read again before anything is
    // written over it, and while it cannot be read nothing is.
    if (!keptRead_) readRecords();
    if (!keptRead_) return false;
    std::string text = writeOwnRecords(records_);
    if (text == storedRecords_) return true;
    host_.writeText(keptColumn_, text);
    if (confirm) {
        // The host does not answer a store: only the text read back tells that it landed. When it did
        // not, what the setting holds is unknown, and it is read again before the next store.
        const std::optional<std::string> back = host_.readTextIfAny(keptColumn_);
        if (!back || *back != text) {
            keptRead_ = false;
            return false;
        }
    }
    storedRecords_ = std::move(text);
    return true;
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
