// description/: the description setter every activity changes the status and description through,
// and its speed-substituting form with the speed texts the feeds fill in. Uses the folders below it:
// formats/, resources/, platform/, boundary/.
//
// The one place that changes the user's status and description on the messenger's networks, and the
// keeper of the user's choice of networks.
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "boundary/host_gateway.h"
#include "formats/network_choice.h"

namespace brio {

class DescriptionSetter {
public:
    // Loads the network choices from the text column at once.
    DescriptionSetter(const HostGateway& host, int32_t settingsColumn);
    // Stores the network choices.
    virtual ~DescriptionSetter();
    DescriptionSetter(const DescriptionSetter&) = delete;
    DescriptionSetter& operator=(const DescriptionSetter&) = delete;

    // The text sent to one network for a description, written into `out` (whose memory is reused, so
    // that a description applied again and again costs no allocation); `out` never holds `text`.
    virtual void formatFor(std::string_view text, int32_t network, std::string& out) = 0;
    std::string formatFor(std::string_view text, int32_t network);

    // Applies a description with a host status number (-1 keeps the status) to every chosen network.
    void apply(std::string_view text, int32_t status);
    static std::string fitToNetwork(std::string_view text, int32_t network, int32_t reserve);
    static void fitToNetwork(std::string& text, int32_t reserve); // the same, in place

    // Records what each network shows (description and status), before an activity changes it. The
    // records belong to one chain of activities, from its first start to the restore that ends it: a
    // save while the chain runs (an activity replacing another) only adds networks not saved yet, so
    // that what the user had before the first activity is what comes back. A network that joins the
    // chain later (it comes online, the user shows it again or ticks it) is saved by `apply` before
    // its first write.
    void saveCurrent();
    void remember(std::string_view text, int32_t network);
    void restore(int32_t network);
    // Puts the saved descriptions back and ends the chain. A network that cannot take them now (it does
    // not take part, the user hid it, or it is switched off) keeps its own in the setter: the next save
    // records that instead of the activity's text it shows, and the next restore gives it back if it
    // takes part again.
    void restoreAll();
    // The descriptions and statuses shown now stay, as the user's own; the chain ends.
    void keepShown();
    // The user switches a network on or off for Brio. Switched off while a chain holds its description,
    // it gets its own back at once and Brio leaves it alone from then on.
    void setEnabled(size_t index, bool enabled);
    // What earlier chains could not give back goes back where it can now (the setter is about to go).
    void giveBackKept();
    std::string savedDescription(int32_t network) const;

    bool isEnabled(int32_t network) const;
    int32_t findNetworks(bool add);
    void loadNetworkChoices();
    void storeNetworkChoices() const;

    // Lets go of the host (which may be gone): every later call, the store at destruction included,
    // says nothing to it.
    void detachHost() { host_ = HostGateway(); }

    std::vector<NetworkChoice>& networkChoices() { return choices_; }
    const std::vector<NetworkChoice>& networkChoices() const { return choices_; }

private:
    static constexpr int32_t kNoStatus = INT32_MIN;
    struct Saved {
        Saved(std::string own, int32_t net, int32_t ownStatus = kNoStatus)
            : description(std::move(own)), network(net), status(ownStatus) {}
        std::string description; // the user's own
        int32_t network;
        int32_t status;       // the user's own, given back over a hidden status the setter sent
        bool written = false; // the setter changed the network in this chain
        bool fresh = true;    // saved since the last apply: still what the network shows
        bool givenBack = false;
        std::string lastSent; // what the setter last sent there: the network shows it while unchanged
    };

    int32_t netStatus(int32_t network) const;
    // Whether a network showing `status` is hidden by the user: the hidden status counts only when
    // this setter did not send it itself, so that a list entry that hides the user does not lock the
    // setter out of that network.
    bool hiddenByUser(int32_t network, int32_t status);
    bool takesPart(int32_t network) const; // netCapability
    void send(int32_t network, int32_t status, const std::string& text);
    void applyIn(std::string& description, std::string& formatted, std::string_view text, int32_t status);
    // Sends a description to a network showing `shownStatus`; in a chain, the network is saved first.
    void write(int32_t network, int32_t shownStatus, int32_t status, const std::string& text);
    static std::vector<Saved>::iterator recordOf(std::vector<Saved>& records, int32_t network);
    Saved* findSaved(int32_t network);
    // Saves one network showing `status` into the chain; what an earlier chain kept for it counts when
    // the network still shows that chain's text. None when the network has no description, unless
    // `nullIsEmpty` (then it is saved as an empty one).
    Saved* saveNetwork(int32_t network, int32_t status, bool nullIsEmpty);
    // The status a network shows when the setter may give it back its own now: it takes part, the user
    // has not hidden it, it is switched on.
    std::optional<int32_t> statusIfTaking(int32_t network);
    void sendBack(const Saved& saved, int32_t shownStatus);
    // Puts one saved record back; false when the network cannot take it now.
    bool giveBack(const Saved& saved);
    // Gives back what an earlier chain kept for one network, if it can take it now.
    void giveBackKept(int32_t network);

    HostGateway host_;
    std::vector<NetworkChoice> choices_;
    int32_t column_;
    // What the choices were built from: whether the stored text could be read at all (if not, nothing
    // is stored over it), whether the host told every plug-in it lists (an answer of nothing is no
    // network gone), and, when it did not, the stored choices of the networks it left out, stored again.
    bool choicesRead_ = true;
    bool networksUntold_ = false;
    std::vector<NetworkChoice> untoldChoices_;
    std::vector<Saved> saved_;
    std::vector<Saved> kept_; // of earlier chains: written there and not given back yet
    bool holding_ = false;    // saved descriptions are out, not given back yet
    uint64_t chains_ = 0;     // chains begun, so that a restore knows when another one began inside it
    // Per network, the status last sent (-1 is no status and is not recorded).
    struct Sent {
        int32_t network;
        int32_t status;
    };
    std::vector<Sent> sentStatus_;
    std::string lastText_;
    std::optional<int32_t> lastStatus_;
    // What apply works in, kept from one call to the next for their memory, and whether one runs.
    std::string description_;
    std::string formatted_;
    bool applying_ = false;
};

} // namespace brio
