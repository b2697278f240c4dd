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
#include "boundary/settings.h"
#include "formats/network_choice.h"
#include "formats/own_records.h"

namespace brio {

class DescriptionSetter {
public:
    // Loads the network choices from the text column at once, and the kept records from theirs.
    DescriptionSetter(const HostGateway& host, int32_t settingsColumn,
                      int32_t keptColumn = setting::kKeptOwn);
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

    // Per network Brio writes to, one record: what it showed before Brio's first write (description and
    // status), and what it showed after Brio's last one. A network gets its own back only while it still
    // shows Brio's last write; anything else is the user's, and the record goes. What cannot be given
    // back now (the network is away, or the user hid it) is kept, owed to the network, and the records
    // are stored in the setting `keptColumn` before the writes they guard (read back at creation): a
    // rebuild, a close or a crash of the messenger, even inside a write, loses nothing. Networks 20 and
    // 83 are never given a record, made or read.

    // Before an activity starts: a record whose network shows something else now goes (its own is what it
    // shows now, taken again at the first write).
    void saveCurrent();
    // Gives each network that still shows Brio's last write its own back, switched on for Brio or not; a
    // record goes once given back or once the user changed the network, and stays, owed, while the
    // network cannot take it.
    void restoreAll();
    // The same for the records owed to networks that could not take their own at a give-back: the check
    // that runs while any is owed, whatever activity runs.
    void restoreOwed();
    // The list ends keeping its last entry: where the network shows Brio's write of it, that stays as the
    // user's own; every other record is judged as at any give-back.
    void keepShown();
    // The user switches a network on or off for Brio; switched off, it gets its own back where it can.
    void setEnabled(size_t index, bool enabled);
    // Whether records are kept (something is to be given back when its network can take it), and whether
    // any is owed to a network that could not take it at a give-back.
    bool keeping() const { return !records_.empty(); }
    bool owing() const;
    const std::vector<OwnRecord>& records() const { return records_; }

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
    enum class Shows { Away, HiddenByUser, UsersOwn, Brios };
    enum class Which { All, OneNetwork, Owed };
    // One network an apply writes to: the status it showed, and the status and text sent.
    struct Write {
        int32_t network = 0;
        int32_t shownStatus = 0;
        int32_t status = 0;
        std::string text;
        std::string before; // what it showed before the write
    };
    // What apply works in, kept from one call to the next for their memory (an unchanged description
    // applied again allocates nothing).
    struct Work {
        std::string description;
        std::vector<Write> writes;
        size_t count = 0;
        std::vector<OwnRecord> next;
    };

    int32_t netStatus(int32_t network) const;
    int32_t statusShown(int32_t network) const; // netStatus, asked once more when it answers 0
    bool takesPart(int32_t network) const;      // netCapability
    // The host's text, valid until the next host call; none reads as the empty description.
    const char* netDescription(int32_t network) const;
    const char* netDescriptionIfAny(int32_t network) const; // null when the host answers none
    // Whether a network showing `status` takes part now, with the status it shows (asked afresh on the
    // general path).
    bool takingPart(int32_t network, int32_t& status) const;
    // The hidden status counts as the user's unless it is Brio's, with Brio's write still shown (the last,
    // or the one before while the last may not have reached the network).
    bool hiddenByUser(int32_t network, int32_t status);
    void applyIn(Work& work, std::string_view text, int32_t status);
    // Records first (stored once, before any write), then the writes. False when the store did not land:
    // the records are as before and nothing may be written.
    bool prepareRecords(Work& work);
    void send(Work& work);
    OwnRecord* recordOf(int32_t network);
    void drop(int32_t network);
    // The one judgement of what a network shows against its record, wherever a record is looked at.
    static Shows judgeShown(const OwnRecord& record, int32_t status, std::string_view shown);
    Shows judge(const OwnRecord& record, int32_t& status);
    // Goes through the records (all, one network's or those owed), giving back where `giveBack`, except
    // to the networks in `stays`, whose Brio's write becomes their own.
    void settle(bool giveBack, Which which, int32_t only = 0, const std::vector<int32_t>* stays = nullptr);
    // Takes the records from their setting (beside those made already), if the host can tell it.
    void readRecords();
    // Writes the records to their setting when they changed since it was read or written; with `confirm`,
    // reads the setting back. True when the setting holds the records (as far as it was checked).
    bool storeRecords(bool confirm = false);

    HostGateway host_;
    std::vector<NetworkChoice> choices_;
    int32_t column_;
    int32_t keptColumn_;
    std::vector<OwnRecord> records_;
    std::string storedRecords_; // the setting's text as last read or written
    bool keptRead_ = false;     // whether the host could tell the setting's text at all
    // What the choices were built from: whether the stored text could be read at all (if not, nothing
    // is stored over it), whether the host told every plug-in it lists (an answer of nothing is no
    // network gone), and, when it did not, the stored choices of the networks it left out, stored again.
    bool choicesRead_ = true;
    bool networksUntold_ = false;
    std::vector<NetworkChoice> untoldChoices_;
    std::string lastText_;
    std::optional<int32_t> lastStatus_;
    Work work_;
    bool applying_ = false; // whether an apply runs (one inside it, through a host call, works apart)
    std::vector<int32_t> writtenLast_; // the networks the last apply wrote to (or spared a repeat)
};

} // namespace brio
