// description/: the description setter every activity changes the status and description through,
// and its speed-substituting form with the speed texts the feeds fill in. Uses the folders below it:
// formats/, resources/, platform/, boundary/.
//
// The one place that changes the user's status and description on the messenger's networks, and the
// keeper of the user's choice of networks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

    // Records what each network shows, before an activity changes it. Between a save and the restore
    // that gives the descriptions back (an activity replacing another), a save only adds networks not
    // saved yet: what the user had before the first activity is what comes back.
    void saveCurrent();
    void remember(std::string_view text, int32_t network);
    void restore(int32_t network);
    // Puts the saved descriptions back; the next save records afresh.
    void restoreAll();
    // The descriptions shown now stay, as the user's own: the next save records afresh.
    void keepShown() { holding_ = false; }
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
    struct Saved {
        std::string description;
        int32_t network;
    };
    int32_t netStatus(int32_t network) const;
    // Whether a network showing `status` is hidden by the user: the hidden status counts only when
    // this setter did not send it itself, so that a list entry that hides the user does not lock the
    // setter out of that network.
    bool hiddenByUser(int32_t network, int32_t status);
    bool takesPart(int32_t network) const; // netCapability
    void send(int32_t network, int32_t status, const std::string& text);
    void applyIn(std::string& description, std::string& formatted, std::string_view text, int32_t status);

    HostGateway host_;
    std::vector<NetworkChoice> choices_;
    int32_t column_;
    std::vector<Saved> saved_;
    bool holding_ = false; // saved descriptions are out, not given back yet
    // Per network, the status last sent by apply (-1 is no status and is not recorded).
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
