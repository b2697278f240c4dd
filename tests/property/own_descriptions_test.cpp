// Random sequences of what a user and the messenger do, through the entry point as the messenger
// drives it: activities started, stopped and switched (list, stealing, both feeds, with their files
// present, missing or empty), list entries of every status, lists that end keeping their last entry or
// switching off, networks ticked and unticked on the page, networks going away and coming back, the user
// setting on any network at any time a text and a status, a text alone, a status alone (every status of
// the table, and none: 0), or exactly the text Brio wrote there last, the interface ended and built
// again, the messenger closed, crashing, or crashing inside a write of Brio's (before or after the
// change), and started again, with records of network 20 (which Brio never changes) put into the setting
// of kept records.
//
// Beside it runs a model of the one rule: per network, what it showed before Brio's first write and
// what Brio wrote last. Every write Brio sends is checked against it: never to 20, never over the user's
// own hidden status, never hiding a network whose own status cannot be sent back; a give-back sends
// exactly the user's own text, with his own status where Brio's hidden one shows. Wherever a stop, an
// end, an untick, a rebuild or a start gives back, no network that takes part still shows Brio's write,
// and each network without a record shows exactly the user's own text and status; a record owed to a
// network that has taken part for 10 s is given back whatever activity runs. Every item is ticked exactly
// while its activity runs, no host copy is left out, and timers run only as they should.
//
// RC_PARAMS sets the seed and the number of cases (a fixed pair in `make test`, more in `make fuzz`).
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/records.h"
#include "description/description_setter.h"
#include "formats/network_choice.h"
#include "formats/own_records.h"
#include "plugin/mode_controller.h"
#include "plugin/plugin.h"
#include "plugin_session.h"
#include "temp_folder.h"

namespace brio {
namespace {

using test::PluginSession;
using test::SentRecord;
using test::TempFolder;

constexpr int32_t kNetworks[] = {15, 10, 12};
constexpr int32_t kExcluded = 20; // in the messenger, never in the choices
constexpr int32_t kContacts[] = {5, 6};
constexpr int32_t kHidden = 66;
constexpr int32_t kStatuses[] = {64, 67, 65, 33, 34, 66, 0};

enum class Kind {
    Steal,       // the contact menu item on contact `a`
    Emule,       // the "Emule" item, with its file in state `a` (0 present, 1 missing, 2 empty)
    Azureus,     // the "Azureus" item, likewise
    Cycling,     // the "Lista" item, over a list of the entries `list` (none: an empty list)
    Advance,     // `a` seconds pass
    UserSet,     // on network `a` the user sets (`b`) 0 a new text and status kStatuses[c], 1 a new text
                 // alone, 2 the status alone, 3 exactly Brio's last text there with the status
    SwitchNet,   // the user ticks or unticks network `a` on the page "Brio", and closes it
    NetCap,      // network `a` stops or starts taking descriptions (it goes offline, comes back)
    ContactText, // contact `a` shows the description `b`
    Settings,    // "Brio/order" `a`, "Brio/onListEnd" `b`, "Brio/cntIn" `c`
    Rebuild,     // the messenger ends the interface and builds it again
    Close,       // the messenger closes and starts again (`a`: with a record of network 20 stored)
    Crash,       // the messenger's process ends at once, and it starts again (`a` as for Close)
    CrashInSet,  // the messenger will end inside Brio's next write, before (`a` 0) or after the change
};

struct Op {
    Kind kind;
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
    std::vector<int32_t> list; // status positions of the entries, 0..5 (5 hides the user)
};

void showValue(const Op& op, std::ostream& os) {
    static const char* const names[] = {"Steal",   "Emule",     "Azureus", "Cycling",     "Advance",
                                        "UserSet", "SwitchNet", "NetCap",  "ContactText", "Settings",
                                        "Rebuild", "Close",     "Crash",   "CrashInSet"};
    os << names[static_cast<int>(op.kind)] << "(" << op.a << ", " << op.b << ", " << op.c;
    for (int32_t p : op.list)
        os << ", p" << p;
    os << ")";
}

rc::Gen<Op> genOp() {
    using namespace rc;
    const auto op = [](Kind k, Gen<int32_t> a, Gen<int32_t> b = gen::just(0), Gen<int32_t> c = gen::just(0)) {
        return gen::apply([k](int32_t x, int32_t y, int32_t z) { return Op{k, x, y, z, {}}; }, a, b, c);
    };
    const Gen<int32_t> network =
        gen::elementOf(std::vector<int32_t>(std::begin(kNetworks), std::end(kNetworks)));
    const Gen<int32_t> contact =
        gen::elementOf(std::vector<int32_t>(std::begin(kContacts), std::end(kContacts)));
    return gen::weightedOneOf<Op>({
        {3, op(Kind::Steal, contact)},
        {2, op(Kind::Emule, gen::inRange(0, 3))},
        {2, op(Kind::Azureus, gen::inRange(0, 3))},
        {3, gen::map(gen::container<std::vector<int32_t>>(gen::inRange(0, 6)),
                     [](std::vector<int32_t> l) {
                         if (l.size() > 4) l.resize(4);
                         return Op{Kind::Cycling, 0, 0, 0, l};
                     })},
        {5, op(Kind::Advance, gen::inRange(1, 40))},
        {5, op(Kind::UserSet, network, gen::inRange(0, 4), gen::inRange(0, 7))},
        {2, op(Kind::SwitchNet, network)},
        {3, op(Kind::NetCap, network)},
        {2, op(Kind::ContactText, contact, gen::inRange(0, 4))},
        {3, op(Kind::Settings, gen::inRange(0, 3), gen::elementOf(std::vector<int32_t>{0, 1, 1, 2}),
               gen::inRange(0, 2))},
        {1, op(Kind::Rebuild, gen::just(0))},
        {1, op(Kind::Close, gen::inRange(0, 2))},
        {1, op(Kind::Crash, gen::inRange(0, 2))},
        {1, op(Kind::CrashInSet, gen::inRange(0, 2))},
    });
}

// A list text of entries with the given positions, each shown for 10 to 30 seconds; every list started
// has texts of its own ("wpis <list>.<entry>").
std::string listText(const std::vector<int32_t>& positions, int list) {
    std::string text;
    for (size_t i = 0; i < positions.size(); ++i)
        text += std::to_string(positions[i]) + "\x0C" + std::to_string(10 + 10 * (i % 3)) + "\x0D" + "wpis " +
                std::to_string(list) + "." + std::to_string(i) + "\x0E";
    return text;
}

bool canGoBack(int32_t status) {
    return status > 0 && status != kHidden;
}

class World {
public:
    World() {
        for (int32_t n : kNetworks) {
            session.addNetwork(n, "net" + std::to_string(n));
            own[n] = {session.nets.networks[n].description = userText(n), 64};
            enabled[n] = true;
        }
        session.nets.addNetwork(kExcluded, "net20");
        session.nets.networks[kExcluded] = {kHidden, "x", true, 1};
        session.host.texts[445004] = "{DownSpeed}/{UpSpeed}";
        session.host.ints[445005] = 10;
        for (int32_t c : kContacts)
            session.host.contacts[{c, 8}] = "kontakt " + std::to_string(c);
        files[0][0] = folder.write("onlinesig.dat", "1|a|b|c\n12.3|4.5|7\n");
        files[0][1] = folder.name("missing.dat");
        files[0][2] = folder.write("empty.dat", "");
        files[1][0] = folder.write("stats.xml", "<DOWNLOAD_SPEED><TEXT>1 kB/s</TEXT></DOWNLOAD_SPEED>"
                                                "<UPLOAD_SPEED><TEXT>2 kB/s</TEXT></UPLOAD_SPEED>");
        files[1][1] = folder.name("missing.xml");
        files[1][2] = folder.write("empty.xml", "");
        const auto answer = session.host.responder;
        session.host.responder = [this, answer](const MessageRecord& m, int target) {
            if (target != -1 || m.id != msg::kSetNetStatus || ended) return answer(m, target);
            const int32_t net = m.net, status = m.p1; // copies: the record is packed
            const char* text = fromAddress<const char>(m.p2);
            const test::FakeNetwork before = session.nets.networks[net];
            if (crashInSet && !*crashInSet) return endInside(); // the write never lands
            const int32_t result = answer(m, target);
            sent(net, status, text ? text : "", before);
            if (crashInSet) return endInside();
            return result;
        };
        newSetter();
        session.start();
        itemsMark = session.host.sent.size();
    }
    ~World() { session.stop(); }

    // Every text the user sets is new: Brio's texts ("wpis", "cudzy", the speeds) never begin so.
    std::string userText(int32_t network) {
        return "mój opis " + std::to_string(network) + "/" + std::to_string(texts++);
    }

    void run(const Op& op) {
        ModeController* c = plugin().controller.get();
        const bool ranBefore = c && c->mode != mode::kNone;
        const int32_t modeBefore = c ? c->mode : mode::kNone;
        const std::map<int32_t, test::FakeNetwork> shownBefore = session.nets.networks;
        bool userStop = false;
        if (starts(op, c)) {
            // Before an activity starts, a record whose network shows the user's own now goes.
            for (int32_t n : kNetworks)
                if (Record* r = record(n); r && judge(n, *r) == Shows::UsersOwn) records.erase(n);
        }
        switch (op.kind) {
        case Kind::Steal:
            userStop = c && c->stealing();
            session.notify(action::kSteal, 1, op.a);
            break;
        case Kind::Emule:
            session.host.texts[445003] = files[0][op.a];
            userStop = c && c->emuleFeed();
            session.notify(action::kEmule, 1);
            break;
        case Kind::Azureus:
            session.host.texts[445012] = files[1][op.a];
            userStop = c && c->azureusFeed();
            session.notify(action::kAzureus, 1);
            break;
        case Kind::Cycling:
            session.host.texts[445006] = listText(op.list, ++lists);
            userStop = c && c->cycling();
            session.notify(action::kCycling, 1);
            break;
        case Kind::Advance:
            headless::advance(static_cast<uint64_t>(op.a) * 1000u);
            for (auto& [n, ms] : stableMs)
                ms += static_cast<uint64_t>(op.a) * 1000u;
            for (auto& [n, ms] : owedMs)
                ms += static_cast<uint64_t>(op.a) * 1000u;
            break;
        case Kind::UserSet:
            userSet(op);
            break;
        case Kind::SwitchNet:
            enabled[op.a] = !enabled[op.a];
            for (int32_t n : kNetworks)
                session.values[445300 + n] = enabled[n] ? "1" : "0";
            session.notify(445201, 1);                           // the page is used
            session.notify(445104, 220);                         // its check boxes are filled
            session.notify(445105, 221);                         // and read back as it closes
            if (!enabled[op.a] && !ended) givenBack(op.a, true); // a network let go of has its own back
            break;
        case Kind::NetCap:
            session.nets.networks[op.a].capability = !session.nets.networks[op.a].capability;
            stableMs[op.a] = 0;
            break;
        case Kind::ContactText:
            // Now and then an empty description, which is never copied.
            session.host.contacts[{op.a, 18}] = op.b == 0 ? "" : "cudzy " + std::to_string(op.a * 10 + op.b);
            break;
        case Kind::Settings:
            session.host.ints[445010] = op.a;
            session.host.ints[445011] = op.b;
            session.host.ints[445001] = op.c;
            break;
        case Kind::Rebuild:
            userStop = true; // the running activity ends, and gives back what it replaced
            session.send(22101);
            newSetter();
            session.send(22000);
            itemsMark = session.host.sent.size();
            break;
        case Kind::Close:
            userStop = true;
            session.stop();
            session.choiceText = session.host.texts[445002]; // as the plug-in stored it
            restart(op.a == 1);
            break;
        case Kind::Crash:
            userStop = true;
            crash(op.a == 1);
            break;
        case Kind::CrashInSet:
            crashInSet = op.a == 1;
            break;
        }
        if (ended) {
            // The messenger ended inside a write: what it held then is what the next start finds.
            session.host.texts = endedTexts;
            session.nets.networks = endedNetworks;
            crash(false);
            userStop = true;
        }
        c = plugin().controller.get();
        const bool runs = c && c->mode != mode::kNone;
        if (startWanted(op.kind) && !userStop && !(c && c->mode == startWanted(op.kind))) {
            // A start that could not succeed changes nothing.
            RC_ASSERT((c ? c->mode : mode::kNone) == modeBefore);
            for (const auto& [n, net] : session.nets.networks)
                RC_ASSERT(net.description == shownBefore.at(n).description);
        }
        if (!runs && (userStop || ranBefore)) {
            // Stopped by the user, ended with the list, the interface ended or started: everything that
            // can be is given back. A list that kept its last entry leaves it where it shows.
            const bool keptLast =
                modeBefore == mode::kCycling && !userStop && session.host.ints[445011] == 1 && listWrite;
            for (int32_t n : kNetworks) {
                Record* r = record(n);
                if (keptLast && r && judge(n, *r) == Shows::Brios && r->brio == *listWrite) {
                    own[n] = {r->brio, session.nets.networks[n].status};
                    records.erase(n);
                }
                givenBack(n, true);
            }
        }
        // A record owed to a network that has shown Brio's write and taken part for 10 s is given back,
        // whatever runs.
        for (auto& [n, r] : records)
            if (r.owed && judge(n, r) == Shows::Brios) RC_ASSERT(std::min(stableMs[n], owedMs[n]) < 10000u);
        if (!fault.empty()) RC_FAIL(fault);
        // Whatever the model keeps is in the setting, with the user's own, for a crash to find (one owed
        // to a network that shows the user's text may have been let go by the check).
        const std::vector<OwnRecord> stored =
            parseOwnRecords(session.host.texts[445013]).value_or(std::vector<OwnRecord>());
        for (const auto& [n, r] : records) {
            const auto it = std::find_if(stored.begin(), stored.end(),
                                         [n = n](const OwnRecord& s) { return s.network == n; });
            if (r.owed && session.nets.networks[n].description != r.brio) continue;
            RC_ASSERT(it != stored.end());
            RC_ASSERT(it->ownText == r.own);
        }
        checkItems();
        RC_ASSERT(session.host.outstandingCopies == 0);
        // The activity's timer, and the check's while a record is owed to a network that could not take
        // it (it stops at its next tick once none is); nothing else.
        const size_t timers = headless::runningTimers();
        const size_t activity = runs ? 1u : 0u;
        if (c && c->setter().owing()) RC_ASSERT(timers == activity + 1);
        if (!(c && c->setter().keeping())) RC_ASSERT(timers == activity);
        RC_ASSERT(timers <= activity + 1);
    }

private:
    // The model's record of a network: what it showed before Brio's first write, and Brio's last write.
    struct Record {
        std::string own;
        int32_t ownStatus = 0;
        std::string brio;
        bool brioHidden = false;
        bool owed = false;
        int32_t shownStatus = 0; // the status Brio's last write made it show (0: not known, after a start)
    };
    enum class Shows { Away, HiddenByUser, UsersOwn, Brios };
    struct Own {
        std::string text;
        int32_t status = 64;
    };

    Record* record(int32_t n) {
        auto it = records.find(n);
        return it == records.end() ? nullptr : &it->second;
    }

    bool takesPart(int32_t n) {
        const test::FakeNetwork& net = session.nets.networks[n];
        return (n == 15 && net.status != 0) || net.capability != 0;
    }

    Shows judge(int32_t n, const Record& r) {
        const test::FakeNetwork& net = session.nets.networks[n];
        if (!takesPart(n)) return Shows::Away;
        if (net.description != r.brio) return Shows::UsersOwn;
        if (net.status == kHidden && !r.brioHidden) return Shows::HiddenByUser;
        return Shows::Brios;
    }

    // Brio sent a status and text to a network that showed `before`: a give-back (its own text, which no
    // activity ever writes), or an activity's write.
    // Called inside a host call, whose exceptions the plug-in catches: a failure is kept for after it.
    void expect(bool condition, const char* what) {
        if (!condition && fault.empty()) fault = what;
    }

    void sent(int32_t n, int32_t status, const std::string& text, const test::FakeNetwork& before) {
        expect(n != kExcluded, "a write to network 20");
        Record* r = record(n);
        if (r && text == r->own) {
            expect(before.description == r->brio, "a give-back over the user's text");
            const bool unhide = before.status == kHidden && r->brioHidden && canGoBack(r->ownStatus);
            expect(status == (unhide ? r->ownStatus : -1), "a give-back with the wrong status");
            if (unhide) own[n].status = r->ownStatus;
            records.erase(n);
            return;
        }
        // Never over a hidden status the user set himself.
        expect(!(before.status == kHidden && !(r && before.description == r->brio && r->brioHidden)),
               "a write over the user's hidden status");
        // A status other than hidden shown over Brio's text that Brio's last write did not make it show
        // is the user's, set meanwhile: the one a hidden status of Brio's gives way to from now on.
        if (r && before.description == r->brio && canGoBack(before.status) && r->shownStatus != 0 &&
            before.status != r->shownStatus)
            r->ownStatus = before.status;
        if (!r || before.description != r->brio)
            r = &(records[n] = Record{before.description, before.status, {}, false, false});
        // Never a hidden status where the network's own could not be sent back.
        expect(status != kHidden || canGoBack(r->ownStatus), "hidden where the own status cannot go back");
        if (text.starts_with("wpis ")) listWrite = text;
        // A status of Brio's other than the hidden one stays when the text goes back.
        if (status != -1 && status != kHidden) own[n].status = status;
        r->brio = text;
        r->shownStatus = status == -1 ? before.status : status;
        r->brioHidden = status == kHidden || (status == -1 && before.status == kHidden);
        r->owed = false;
    }

    int32_t endInside() {
        ended = true;
        crashInSet.reset();
        endedTexts = session.host.texts;
        endedNetworks = session.nets.networks;
        return 0;
    }

    void userSet(const Op& op) {
        test::FakeNetwork& net = session.nets.networks[op.a];
        Record* r = record(op.a);
        const int32_t status = kStatuses[op.c];
        stableMs[op.a] = 0;
        if (op.b == 2) {
            // The hidden status alone over Brio's cannot be told from Brio's: it stays Brio's.
            const bool brios = status == kHidden && r && net.status == kHidden && r->brioHidden &&
                               net.description == r->brio;
            net.status = status;
            if (!brios) own[op.a].status = status;
            return;
        }
        // Only where the record is certain: one owed may have been let go by the check.
        if (op.b == 3 && r && !(r->owed && net.description != r->brio)) {
            // Exactly Brio's last text: it looks like Brio's, and the user's own is what it was before.
            net.description = r->brio;
            own[op.a].text = r->own;
        } else {
            own[op.a].text = net.description = userText(op.a);
        }
        if (op.b != 1) own[op.a].status = net.status = status;
        // A text of his own over Brio's hidden status: he hides himself.
        if (op.b == 1 && net.status == kHidden) own[op.a].status = kHidden;
    }

    // A give-back point for network n: nothing that can take its own still shows Brio's write; what is
    // kept is owed; a network without a record shows exactly the user's own.
    void givenBack(int32_t n, bool owe) {
        if (Record* r = record(n)) {
            const Shows shows = judge(n, *r);
            RC_ASSERT(shows != Shows::Brios);
            if (shows == Shows::UsersOwn) {
                records.erase(n);
            } else if (owe && !r->owed) {
                r->owed = true;
                owedMs[n] = 0;
            }
        }
        if (record(n) || !takesPart(n)) return;
        const test::FakeNetwork& net = session.nets.networks[n];
        RC_ASSERT(net.description == own[n].text);
        RC_ASSERT(net.status == own[n].status);
    }

    // A setter made anew knows the records from their setting alone: not what Brio's writes showed.
    void newSetter() {
        for (auto& [n, r] : records)
            r.shownStatus = 0;
    }

    void restart(bool excludedRecord) {
        if (excludedRecord) {
            // A record of network 20 in the setting, beside whatever is kept there.
            std::vector<OwnRecord> kept =
                parseOwnRecords(session.host.texts[445013]).value_or(std::vector<OwnRecord>());
            OwnRecord r;
            r.network = kExcluded;
            r.ownStatus = 64;
            r.ownText = "own20";
            r.brioHidden = true;
            r.brioText = "x";
            kept.push_back(r);
            session.host.texts[445013] = writeOwnRecords(kept);
        }
        newSetter();
        session.start();
        itemsMark = session.host.sent.size();
    }

    void crash(bool excludedRecord) {
        // Nothing is said to the plug-in; its timers and the copies it held die with the process (the
        // library's own unload lets go of everything without a word to the host).
        ended = false;
        plugin().abandon();
        session.send(20002);
        headless::reset();
        session.host.outstandingCopies = 0;
        session.choiceText = session.host.texts[445002];
        restart(excludedRecord);
        // The boxes ticked since the last orderly end are lost with the process (none stored: all on).
        for (int32_t n : kNetworks)
            enabled[n] = true;
        for (const NetworkChoice& choice : parseNetworkChoices(session.choiceText))
            enabled[choice.network] = choice.enabled;
    }

    // Whether the op starts an activity (rather than stopping its own, or failing to start).
    bool starts(const Op& op, const ModeController* c) const {
        switch (op.kind) {
        case Kind::Steal:
            return !(c && c->stealing());
        case Kind::Emule:
            return op.a == 0 && !(c && c->emuleFeed());
        case Kind::Azureus:
            return op.a == 0 && !(c && c->azureusFeed());
        case Kind::Cycling:
            return !op.list.empty() && !(c && c->cycling());
        default:
            return false;
        }
    }

    static int32_t startWanted(Kind k) {
        switch (k) {
        case Kind::Steal:
            return mode::kStealing;
        case Kind::Emule:
            return mode::kEmule;
        case Kind::Azureus:
            return mode::kAzureus;
        case Kind::Cycling:
            return mode::kCycling;
        default:
            return mode::kNone;
        }
    }

    // The status the item was last given since the interface was built (0 when none), and the steal
    // item's last caption.
    void checkItems() {
        std::map<int32_t, int32_t> status;
        std::string stealCaption = "Kradnij opis!";
        for (size_t i = itemsMark; i < session.host.sent.size(); ++i) {
            const SentRecord& s = session.host.sent[i];
            if (s.id() != msg::kModifyAction) continue;
            ActionRecord a{};
            std::memcpy(&a, s.p1Bytes.data(), std::min(s.p1Bytes.size(), sizeof a));
            const int32_t id = a.id, type = a.type; // copies: the record is packed
            if (a.mask == 0x40)
                stealCaption = s.p1Text;
            else
                status[id] = type;
        }
        const ModeController* c = plugin().controller.get();
        const bool stealing = c && c->stealing();
        RC_ASSERT(status[action::kSteal] == (stealing ? 4 : 0));
        RC_ASSERT((stealCaption == "Kradnij opis!") == !stealing);
        RC_ASSERT(status[action::kEmule] == (c && c->emuleFeed() ? 4 : 0));
        RC_ASSERT(status[action::kAzureus] == (c && c->azureusFeed() ? 4 : 0));
        RC_ASSERT(status[action::kCycling] == (c && c->cycling() ? 4 : 0));
    }

public:
    PluginSession session;
    TempFolder folder;
    std::string files[2][3];
    std::map<int32_t, Record> records;    // the model's
    std::map<int32_t, Own> own;           // what each network shows as the user's own, with no record
    std::map<int32_t, bool> enabled;      // the page's check boxes
    std::map<int32_t, uint64_t> stableMs; // how long the user and the messenger left each network alone
    std::map<int32_t, uint64_t> owedMs;   // how long each owed record has been owed
    std::optional<std::string> listWrite; // the list entry Brio wrote last (the last entry at the end)
    std::optional<bool> crashInSet; // armed: the messenger ends inside the next write (after the change?)
    bool ended = false;
    std::string fault; // the first a write broke
    std::map<int32_t, std::string> endedTexts;
    std::map<int32_t, test::FakeNetwork> endedNetworks;
    int texts = 0;
    int lists = 0;
    size_t itemsMark = 0;
};

RC_GTEST_PROP(OwnDescriptions, ComeBackWhateverTheUserDoes, ()) {
    const std::vector<Op> ops = *rc::gen::container<std::vector<Op>>(genOp());
    World world;
    RC_PRE(world.folder.made());
    // The log is printed with a failure: the shrunk sequence, one step a line.
    for (const Op& op : ops) {
        showValue(op, RC_LOG());
        RC_LOG() << "\n";
        world.run(op);
    }
}

} // namespace
} // namespace brio
