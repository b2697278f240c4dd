// Random sequences of what a user and the messenger do, through the entry point as the messenger
// drives it: activities started, stopped and switched (list, stealing, both feeds, with their files
// present, missing or empty), list entries of every status, networks switched off or hidden by the
// user, the user's own descriptions changed while nothing runs, the interface ended and built again.
// Whatever happens, the user's own descriptions come back when the user stops, every item is ticked
// exactly while its activity runs, and no host copy is left out.
//
// RC_PARAMS sets the seed and the number of cases (a fixed pair in `make test`, more in `make fuzz`).
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

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
    Steal,        // the contact menu item on contact `a`
    Emule,        // the "Emule" item, with its file in state `a` (0 present, 1 missing, 2 empty)
    Azureus,      // the "Azureus" item, likewise
    Cycling,      // the "Lista" item, over a list of the entries `list` (none: an empty list)
    Advance,      // `a` seconds pass
    Hide,         // the user hides on network `a`
    Show,         // the user shows again on network `a` (status 64)
    SwitchNet,    // the user switches network `a` off or on for Brio (the page's check box)
    OwnText,      // the user sets the description `b` on network `a`, while nothing runs
    ContactText,  // contact `a` shows the description `b`
    Settings,     // "Brio/order" `a`, "Brio/onListEnd" `b`, "Brio/cntIn" `c`
    Rebuild,      // the messenger ends the interface and builds it again
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
                                        "Hide",    "Show",      "SwitchNet", "OwnText", "ContactText",
                                        "Settings", "Rebuild"};
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
    const Gen<int32_t> network = gen::elementOf(std::vector<int32_t>(std::begin(kNetworks), std::end(kNetworks)));
    const Gen<int32_t> text = gen::inRange(0, 4);
    return gen::weightedOneOf<Op>({
        {3, op(Kind::Steal, gen::elementOf(std::vector<int32_t>(std::begin(kContacts), std::end(kContacts))))},
        {2, op(Kind::Emule, gen::inRange(0, 3))},
        {2, op(Kind::Azureus, gen::inRange(0, 3))},
        {3, gen::map(gen::container<std::vector<int32_t>>(gen::inRange(0, 6)),
                     [](std::vector<int32_t> l) {
                         if (l.size() > 4) l.resize(4);
                         return Op{Kind::Cycling, 0, 0, 0, l};
                     })},
        {4, op(Kind::Advance, gen::inRange(1, 40))},
        {1, op(Kind::Hide, network)},
        {1, op(Kind::Show, network)},
        {1, op(Kind::SwitchNet, network)},
        {2, op(Kind::OwnText, network, text)},
        {2, op(Kind::ContactText, gen::elementOf(std::vector<int32_t>(std::begin(kContacts), std::end(kContacts))),
               text)},
        {1, op(Kind::Settings, gen::inRange(0, 3), gen::inRange(0, 3), gen::inRange(0, 2))},
        {1, op(Kind::Rebuild, gen::just(0))},
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
            session.nets.networks[n].description = own(n, 0);
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
            if (target == -1 && m.id == msg::kSetNetStatus && userHidden.count(net)) touchedHidden = true;
            return answer(m, target);
        };
        session.start();
        itemsMark = session.host.sent.size();
    }
    ~World() { session.stop(); }

    static std::string own(int32_t network, int32_t variant) {
        return "mój opis " + std::to_string(network) + "/" + std::to_string(variant);
    }

    void run(const Op& op) {
        ModeController* c = plugin().controller.get();
        const bool ranBefore = c && c->mode != mode::kNone;
        const int32_t modeBefore = c ? c->mode : mode::kNone;
        const std::map<int32_t, std::string> shownBefore = shown();
        const std::map<int32_t, bool> takenBefore = takenByBrio();
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
        case Kind::Hide:
            // The user hides where shown. (Shown again and hidden again with Brio looking at neither, a
            // hidden status Brio set cannot be told from the user's; so the user shows only what the
            // user hid.)
            if (session.nets.networks[op.a].status != kHidden) {
                session.nets.networks[op.a].status = kHidden;
                userHidden.insert(op.a);
                touchedInChain.insert(op.a);
            }
            break;
        case Kind::Show:
            if (userHidden.erase(op.a)) {
                session.nets.networks[op.a].status = 64;
                touchedInChain.insert(op.a);
            }
            break;
        case Kind::SwitchNet:
            if (c)
                for (NetworkChoice& choice : c->setter().networkChoices())
                    if (choice.network == op.a) choice.enabled = !choice.enabled;
            touchedInChain.insert(op.a);
            break;
        case Kind::OwnText:
            if (!ranBefore) session.nets.networks[op.a].description = own(op.a, op.b);
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
            userStop = ranBefore; // the running activity ends, and gives back what it replaced
            session.send(22101);
            session.send(22000);
            itemsMark = session.host.sent.size();
            break;
        }
        c = plugin().controller.get();
        const bool runs = c && c->mode != mode::kNone;
        if (startWanted(op.kind) && !userStop && !(c && c->mode == startWanted(op.kind))) {
            // A start that could not succeed changes nothing.
            RC_ASSERT((c ? c->mode : mode::kNone) == modeBefore);
            RC_ASSERT(shown() == shownBefore);
        }
        if (!runs) {
            if (userStop && chain) checkOwnDescriptionsBack();
            chain.reset(); // stopped by the user, or ended at the end of the list
        } else if (!chain) {
            // The first start of a chain: what the networks Brio may change showed before it.
            chain.emplace();
            touchedInChain.clear();
            for (const auto& [network, taken] : takenBefore)
                if (taken) (*chain)[network] = shownBefore.at(network);
        }
        checkItems();
        RC_ASSERT(!touchedHidden);
        RC_ASSERT(session.host.outstandingCopies == 0);
        RC_ASSERT(headless::runningTimers() == (runs ? 1u : 0u));
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

    // Per network, whether Brio may change it now: switched on for Brio, taking part, not hidden by the
    // user.
    std::map<int32_t, bool> takenByBrio() const {
        std::map<int32_t, bool> out;
        ModeController* c = plugin().controller.get();
        if (!c) return out;
        for (const NetworkChoice& choice : c->setter().networkChoices())
            out[choice.network] = choice.enabled && session.nets.networks.at(choice.network).capability &&
                                  !userHidden.count(choice.network);
        return out;
    }

    // Every network of the chain shows what it showed at the chain's first start, unless the user
    // hid it, showed it or switched it off meanwhile (then Brio leaves it as it stands).
    void checkOwnDescriptionsBack() {
        for (const auto& [network, description] : *chain) {
            if (touchedInChain.count(network)) continue;
            RC_ASSERT(session.nets.networks[network].description == description);
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
    std::set<int32_t> userHidden;
    std::set<int32_t> touchedInChain;
    std::optional<std::map<int32_t, std::string>> chain;
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
