// Random sequences of what a user and the messenger do, through the entry point as the messenger
// drives it: activities started, stopped and switched (list, stealing, both feeds, with their files
// present, missing or empty), list entries of every status, networks ticked and unticked on the page,
// networks coming and going, the user setting his own status (hidden too) and text on any network at any
// time, the interface ended and built again, the messenger closed or crashing, and started again.
// Whatever happens, once no activity has run for 10 s and every network has taken part for 10 s, each
// network shows the user's own (what it showed before Brio's first write, or what the user set since),
// never a text or a hidden status Brio sent; and the same at once wherever a stop gives back. Every item
// is ticked exactly while its activity runs, and no host copy is left out.
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
constexpr int32_t kContacts[] = {5, 6};
constexpr int32_t kHidden = 66;

enum class Kind {
    Steal,       // the contact menu item on contact `a`
    Emule,       // the "Emule" item, with its file in state `a` (0 present, 1 missing, 2 empty)
    Azureus,     // the "Azureus" item, likewise
    Cycling,     // the "Lista" item, over a list of the entries `list` (none: an empty list)
    Advance,     // `a` seconds pass
    UserSet,     // the user sets on network `a` a text of his own and the status 64, 65 or 66 (`b` 0, 1, 2)
    SwitchNet,   // the user ticks or unticks network `a` on the page "Brio", and closes it
    NetCap,      // network `a` stops or starts taking descriptions (it goes offline, comes back)
    ContactText, // contact `a` shows the description `b`
    Settings,    // "Brio/order" `a`, "Brio/onListEnd" `b`, "Brio/cntIn" `c`
    Rebuild,     // the messenger ends the interface and builds it again
    Close,       // the messenger closes and starts again
    Crash,       // the messenger's process ends at once, and it starts again
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
                                        "Rebuild", "Close",     "Crash"};
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
    const Gen<int32_t> text = gen::inRange(0, 4);
    return gen::weightedOneOf<Op>({
        {3,
         op(Kind::Steal, gen::elementOf(std::vector<int32_t>(std::begin(kContacts), std::end(kContacts))))},
        {2, op(Kind::Emule, gen::inRange(0, 3))},
        {2, op(Kind::Azureus, gen::inRange(0, 3))},
        {3, gen::map(gen::container<std::vector<int32_t>>(gen::inRange(0, 6)),
                     [](std::vector<int32_t> l) {
                         if (l.size() > 4) l.resize(4);
                         return Op{Kind::Cycling, 0, 0, 0, l};
                     })},
        {4, op(Kind::Advance, gen::inRange(1, 40))},
        {3, op(Kind::UserSet, network, gen::inRange(0, 3))},
        {2, op(Kind::SwitchNet, network)},
        {2, op(Kind::NetCap, network)},
        {2, op(Kind::ContactText,
               gen::elementOf(std::vector<int32_t>(std::begin(kContacts), std::end(kContacts))), text)},
        {1, op(Kind::Settings, gen::inRange(0, 3), gen::inRange(0, 3), gen::inRange(0, 2))},
        {1, op(Kind::Rebuild, gen::just(0))},
        {1, op(Kind::Close, gen::just(0))},
        {1, op(Kind::Crash, gen::just(0))},
    });
}

// A list text of entries with the given positions, each shown for 10 to 30 seconds.
std::string listText(const std::vector<int32_t>& positions) {
    std::string text;
    for (size_t i = 0; i < positions.size(); ++i)
        text += std::to_string(positions[i]) + "\x0C" + std::to_string(10 + 10 * (i % 3)) + "\x0D" + "wpis " +
                std::to_string(i) + "\x0E";
    return text;
}

class World {
public:
    World() {
        for (int32_t n : kNetworks) {
            session.addNetwork(n, "net" + std::to_string(n));
            session.nets.networks[n].description = own(n);
            allowed[n] = {session.nets.networks[n].description};
            userStatus[n] = 64;
            enabled[n] = true;
        }
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
        // A set reaching a network the user hid is a fault of its own, whatever comes after.
        const auto answer = session.host.responder;
        session.host.responder = [this, answer](const MessageRecord& m, int target) {
            const int32_t net = m.net;
            if (target == -1 && m.id == msg::kSetNetStatus && userStatus.count(net) &&
                userStatus[net] == kHidden)
                touchedHidden = true;
            return answer(m, target);
        };
        session.start();
        itemsMark = session.host.sent.size();
    }
    ~World() { session.stop(); }

    // Every text the user sets is new: Brio's texts ("wpis", "cudzy", the speeds) never begin so.
    std::string own(int32_t network) {
        return "mój opis " + std::to_string(network) + "/" + std::to_string(texts++);
    }

    void run(const Op& op) {
        ModeController* c = plugin().controller.get();
        const bool ranBefore = c && c->mode != mode::kNone;
        const int32_t modeBefore = c ? c->mode : mode::kNone;
        const std::map<int32_t, std::string> shownBefore = shown();
        bool userStop = false;
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
            session.host.texts[445006] = listText(op.list);
            userStop = c && c->cycling();
            session.notify(action::kCycling, 1);
            break;
        case Kind::Advance:
            headless::advance(static_cast<uint64_t>(op.a) * 1000u);
            break;
        case Kind::UserSet: {
            test::FakeNetwork& net = session.nets.networks[op.a];
            net.description = own(op.a);
            net.status = userStatus[op.a] = op.b == 0 ? 64 : op.b == 1 ? 65 : kHidden;
            // While an activity runs, Brio may write over it, and give back the own it kept before.
            if (!ranBefore) allowed[op.a].clear();
            allowed[op.a].insert(net.description);
            break;
        }
        case Kind::SwitchNet:
            enabled[op.a] = !enabled[op.a];
            for (int32_t n : kNetworks)
                session.values[445300 + n] = enabled[n] ? "1" : "0";
            session.notify(445201, 1);          // the page is used
            session.notify(445104, 220);        // its check boxes are filled
            session.notify(445105, 221);        // and read back as it closes
            if (!enabled[op.a]) checkOwn(op.a); // a network Brio lets go of has its own back at once
            break;
        case Kind::NetCap:
            session.nets.networks[op.a].capability = !session.nets.networks[op.a].capability;
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
            session.send(22000);
            itemsMark = session.host.sent.size();
            break;
        case Kind::Close:
            userStop = true;
            session.stop();
            session.choiceText = session.host.texts[445002]; // as the plug-in stored it
            session.start();
            itemsMark = session.host.sent.size();
            break;
        case Kind::Crash:
            // Nothing is said to the plug-in; its timers and the copies it held die with the process (the
            // library's own unload lets go of everything without a word to the host).
            userStop = true;
            plugin().abandon();
            session.send(20002);
            headless::reset();
            session.host.outstandingCopies = 0;
            session.choiceText = session.host.texts[445002];
            session.start();
            itemsMark = session.host.sent.size();
            // The boxes ticked since the last orderly end are lost with the process (none stored: all on).
            for (int32_t n : kNetworks)
                enabled[n] = true;
            for (const NetworkChoice& choice : parseNetworkChoices(session.choiceText))
                enabled[choice.network] = choice.enabled;
            break;
        }
        c = plugin().controller.get();
        const bool runs = c && c->mode != mode::kNone;
        if (startWanted(op.kind) && !userStop && !(c && c->mode == startWanted(op.kind))) {
            // A start that could not succeed changes nothing.
            RC_ASSERT((c ? c->mode : mode::kNone) == modeBefore);
            RC_ASSERT(shown() == shownBefore);
        }
        if (!runs && ranBefore && !userStop && session.host.ints[445011] == 1) {
            // The list ended keeping its last entry: what shows is the user's own now, a hidden status too.
            for (auto& [n, net] : session.nets.networks) {
                allowed[n] = {net.description};
                userStatus[n] = net.status;
            }
        } else if (!runs && (userStop || ranBefore || op.kind == Kind::Crash)) {
            // Stopped by the user, switched off at the end of the list, the interface ended or started.
            for (int32_t n : kNetworks)
                checkOwn(n);
        }
        // Calm: no activity runs and every network takes part; the check must have run within 10 s.
        const bool allTakePart = std::all_of(std::begin(kNetworks), std::end(kNetworks), [this](int32_t n) {
            return n == 15 || session.nets.networks[n].capability;
        });
        if (runs || !allTakePart)
            calmMs = 0;
        else if (op.kind == Kind::Advance)
            calmMs += static_cast<uint64_t>(op.a) * 1000u;
        if (calmMs >= 10000) {
            for (int32_t n : kNetworks) {
                checkOwn(n);
                allowed[n] = {session.nets.networks[n].description}; // settled: the user's own
            }
        }
        checkItems();
        RC_ASSERT(!touchedHidden);
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

    std::map<int32_t, std::string> shown() const {
        std::map<int32_t, std::string> out;
        for (const auto& [network, net] : session.nets.networks)
            out[network] = net.description;
        return out;
    }

    // A network that takes part shows the user's own description, and a hidden status only where the
    // user hid himself; where he did, he stays hidden.
    void checkOwn(int32_t n) {
        const test::FakeNetwork& net = session.nets.networks.at(n);
        // Network 15 while online takes descriptions whatever it answers to the capability question.
        if (!(n == 15 || net.capability)) return;
        RC_ASSERT(allowed.at(n).count(net.description) == 1u);
        RC_ASSERT((net.status == kHidden) == (userStatus.at(n) == kHidden));
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
    std::map<int32_t, std::set<std::string>> allowed; // the user's own descriptions each network may show
    std::map<int32_t, int32_t> userStatus;            // the status the user last set
    std::map<int32_t, bool> enabled;                  // the page's check boxes
    uint64_t calmMs = 0; // how long no activity has run while every network took part
    int texts = 0;
    bool touchedHidden = false;
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
