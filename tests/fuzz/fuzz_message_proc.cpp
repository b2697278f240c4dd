// Feeds arbitrary records to the plug-in's entry point, and arbitrary action notifications through it.
// Each record ends exactly where a page the process may not read begins, so a read past `size` crashes.
//
// Input: byte 0 chooses what the rest is: odd - an action notification record handed over with
// actionNotify; 2 modulo 4 - what a user does in the list page's list view, two bytes an action (what,
// and a row, a column or the rows to select), the page being opened first when it is not; otherwise a
// message record. A record's `size` field is set to its length.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "boundary/messages.h"
#include "boundary/records.h"
#include "platform/headless/driver.h"
#include "plugin/plugin.h"
#include "tests/unit/fake_networks.h"

namespace {

using namespace brio;

// Two pages: the record at the end of the first, the second unreadable.
class GuardedRecord {
public:
    GuardedRecord() {
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        void* p = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) __builtin_trap();
        base_ = static_cast<uint8_t*>(p);
        mprotect(base_ + page_, page_, PROT_NONE);
    }
    // Copies `data` so that its last byte is the last readable one; `size` becomes its length.
    void* place(const uint8_t* data, size_t length) {
        if (length > page_) length = page_;
        uint8_t* record = base_ + page_ - length;
        std::memcpy(record, data, length);
        const uint16_t size = static_cast<uint16_t>(length);
        std::memcpy(record, &size, 2);
        return record;
    }
    size_t capacity() const { return page_; }

private:
    size_t page_;
    uint8_t* base_;
};

const std::string kList("0\x0c"
                        "10\x0d"
                        "a\x0e"
                        "3\x0c"
                        "20\x0d"
                        "{DownSpeed}\x0e");

struct World {
    test::FakeHost host;
    test::FakeNetworks nets{host};
    GuardedRecord message;
    GuardedRecord notification;
    OpenFileNameRecord dialog{};

    World() {
        nets.addNetwork(15);
        nets.addNetwork(10);
        host.texts[445006] = kList;
        host.responder = [base = host.responder](const MessageRecord& m, int target) -> int32_t {
            if (m.id != msg::kGetActionValue || !m.p1) return base(m, target);
            // Value reads through a buffer get a short number, as the host's controls would give; the
            // others (the description field) the host's own text.
            ActionRecord a{};
            std::memcpy(&a, fromAddress<const void>(m.p1), sizeof a);
            if (a.text && a.textSize >= 3) {
                std::memcpy(fromAddress<char>(a.text), "30", 3);
                return 0;
            }
            static const char kDescription[] = "opis {UpSpeed}";
            return addressOf(kDescription);
        };
        start();
    }

    ~World() {
        send(msg::kDeinitialise);
        send(msg::kPluginEnd);
    }

    int32_t send(int32_t id, int32_t p1 = 0) {
        MessageRecord m{};
        m.size = sizeof m;
        m.id = id;
        m.p1 = p1;
        return dispatchMessage(&m);
    }

    void start() {
        send(msg::kPluginStart, addressOf(static_cast<IHostControl*>(&host)));
        send(msg::kInitialise);
        send(msg::kRegisterSettings);
        send(msg::kBuildInterface);
    }
};

World& world() {
    static World w;
    return w;
}

// Opens the list page's list view, filled from the stored list, when none is shown.
void showListView(World& w) {
    if (headless::listViewExists()) return;
    ControlNotifyRecord r{};
    r.size = sizeof r;
    r.id = 445107;
    r.code = msg::kControlCreated;
    r.parentWindow = 99;
    w.send(msg::kActionNotify, addressOf(&r));
    ActionNotifyRecord fill{};
    fill.size = sizeof fill;
    fill.id = 445116;
    fill.code = msg::kControlCreated;
    w.send(msg::kActionNotify, addressOf(&fill));
}

// Rows and columns a little past the list's end are tried too.
void useListView(World& w, const uint8_t* actions, size_t length) {
    // The list grows from one input to the next ("Dodaj", "Duplikuj"); past a few hundred rows of long
    // labels a sort takes longer than an input may. Such a list's page closes, and the next one shows
    // the list the fuzzing began with.
    if (headless::listViewExists() && headless::listViewRows().size() > 400) {
        ControlNotifyRecord r{};
        r.size = sizeof r;
        r.id = 445107;
        r.code = msg::kControlDestroyed;
        w.send(msg::kActionNotify, addressOf(&r));
        headless::destroyListViewWindow();
        w.host.texts[445006] = kList;
    }
    showListView(w);
    for (size_t i = 0; i + 1 < length; i += 2) {
        const uint8_t what = actions[i] % 9;
        const int32_t arg = int32_t(actions[i + 1] % 12) - 1;
        std::vector<std::string> items;
        std::vector<int32_t> rows;
        switch (what) {
        case 0:
            headless::clickListRow(arg);
            break;
        case 1:
            for (int32_t row = 0; row < 8; ++row)
                if (actions[i + 1] & (1 << row)) rows.push_back(row);
            headless::selectListRows(rows);
            break;
        case 2:
            headless::rightClickListRow(arg % 6, arg / 6 * 4 + arg % 4, items);
            break;
        case 3:
            headless::clickListColumn(arg % 3);
            break;
        case 4:
            // Up to 2,400 bytes, past what a label keeps; every third edit is cancelled.
            headless::editListLabel(
                arg, arg % 3 == 0 ? std::nullopt
                                  : std::optional<std::string>(std::string(size_t(arg + 1) * 200, 'e')));
            break;
        case 5:
            headless::dragListRowsOnto(arg, arg % 2);
            break;
        case 6: {
            ActionNotifyRecord add{}; // "Dodaj" or "Zmień" with whatever the fields hold
            add.size = sizeof add;
            add.id = arg % 2 ? 445111 : 445112;
            add.code = msg::kActivated;
            w.send(msg::kActionNotify, addressOf(&add));
            break;
        }
        case 7:
            headless::setListViewColumnWidth(arg % 3, arg * 40);
            break;
        default:
            headless::holdClipboard(arg % 2);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = world();
    if (size < 3) return 0;
    const bool notify = data[0] & 1;
    const uint8_t* body = data + 1;
    const size_t length = size - 1;

    if ((data[0] & 3) == 2) {
        useListView(w, body, length);
    } else if (notify) {
        auto* record = static_cast<uint8_t*>(w.notification.place(body, length));
        // A file dialog's set-up carries the address of the host's dialog structure: keep it real.
        int32_t code = 0;
        if (length >= offsetof(ActionNotifyRecord, data) + 4) {
            std::memcpy(&code, record + offsetof(ActionNotifyRecord, code), 4);
            const int32_t dialog = addressOf(&w.dialog);
            if (code == msg::kFileDialogSetup) std::memcpy(record + offsetof(ActionNotifyRecord, data), &dialog, 4);
        }
        w.send(msg::kActionNotify, addressOf(record));
    } else {
        MessageRecord m{};
        std::memcpy(&m, body, length < sizeof m ? length : sizeof m);
        // The host control object and the notification record are addresses: keep them real.
        if (m.id == msg::kPluginStart || m.id == msg::kActionNotify) return 0;
        dispatchMessage(w.message.place(body, length));
    }
    headless::advance(15000); // let a cycle started by this input tick
    w.host.sent.clear();
    w.host.log.clear();
    w.nets.sets.clear();
    // Whatever the input ended, start over so that the next one meets a built plug-in.
    if (!plugin().controller || !plugin().host.attached()) {
        w.send(msg::kDeinitialise);
        w.send(msg::kPluginEnd);
        w.start();
    }
    return 0;
}
