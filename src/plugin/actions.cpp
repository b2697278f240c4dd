#include "plugin/actions.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/messages.h"
#include "boundary/record_reader.h"
#include "boundary/records.h"
#include "boundary/settings.h"
#include "cycling/steal_timer.h"
#include "description/description_setter.h"
#include "feeds/dialog_filter.h"
#include "files/list_files.h"
#include "formats/file_filters.h"
#include "formats/integer.h"
#include "list/list_editor.h"
#include "platform/message_box.h"
#include "plugin/mode_controller.h"
#include "plugin/plugin.h"

namespace brio {

namespace {

constexpr int32_t kCheckboxBufferSize = 16;
constexpr int32_t kListViewControlId = 220;
constexpr uint32_t kListViewStyle = 33; // grid lines, whole rows selected

// Plug-in-wide state of the action handling, for one built interface.
struct ActionState {
    // The hooks read the pages back only when the user may have changed them (pages touched) and
    // the check boxes were filled from the choices first (networks shown).
    bool pagesTouched = false;
    bool networksShown = false;
    // The list editor shows the stored list whole: only then may the editor's list be stored over it.
    bool listShown = false;
    // (The list still to be stored is the plug-in state's: this state stays without a destructor, so
    // that no exit handler of the library's is registered for it.)
};

ActionState& actions() {
    static ActionState state;
    return state;
}

void writeField(void* record, size_t offset, int32_t value) {
    std::memcpy(static_cast<uint8_t*>(record) + offset, &value, sizeof value);
}

int32_t wrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// --- Handlers that belong to the other activities and to the list files. ---

// "Kradnij opis!": description stealing follows the contact.
// Used again, on whichever contact, it stops following rather than switching to that contact.
void stealAction(PluginState& state, int32_t contact) {
    if (!state.controller) return;
    ModeController& controller = *state.controller;
    const HostGateway& host = state.host;
    if (controller.stealing()) {
        host.setActionCaption(action::kSteal, action::kHostContactMenu, "Kradnij opis!");
        host.setActionStatus(action::kSteal, action::kHostContactMenu, action::kStatusOff);
        controller.setStealing(false);
        return;
    }
    // The host's copy of the name is given back last, once stealing runs.
    const HostText name = host.holdContactText(contact, contactColumn::kName);
    host.setActionCaption(action::kSteal, action::kHostContactMenu, stealLabel(name.view()));
    host.setActionStatus(action::kSteal, action::kHostContactMenu, action::kStatusOn);
    try {
        controller.setStealing(true, contact);
    } catch (...) {
        // A start that failed: the item must not claim that stealing runs.
        if (state.controller && !state.controller->stealing()) {
            host.setActionCaption(action::kSteal, action::kHostContactMenu, "Kradnij opis!");
            host.setActionStatus(action::kSteal, action::kHostContactMenu, action::kStatusOff);
        }
        throw;
    }
}

// "Emule" and "Azureus": the transfer-speed feeds switch on and off.
// The item is ticked or cleared only when the switch reports success; a failed start leaves it be.
void emuleSwitch(PluginState& state) {
    if (!state.controller) return;
    ModeController& controller = *state.controller;
    const HostGateway& host = state.host;
    if (!controller.emuleFeed()) {
        const int32_t interval = host.readInt(setting::kEmuleTimer);
        if (controller.setEmuleFeed(true, host.readText(setting::kEmulePath), interval))
            host.setActionStatus(action::kEmule, action::kPopup, action::kStatusOn);
    } else if (controller.setEmuleFeed(false, std::string(), 0)) {
        host.setActionStatus(action::kEmule, action::kPopup, action::kStatusOff);
    }
}
void azureusSwitch(PluginState& state) {
    if (!state.controller) return;
    ModeController& controller = *state.controller;
    const HostGateway& host = state.host;
    if (!controller.azureusFeed()) {
        const int32_t interval = host.readInt(setting::kEmuleTimer);
        if (controller.setAzureusFeed(true, host.readText(setting::kAzureusFile), interval))
            host.setActionStatus(action::kAzureus, action::kPopup, action::kStatusOn);
    } else if (controller.setAzureusFeed(false, std::string(), 0)) {
        host.setActionStatus(action::kAzureus, action::kPopup, action::kStatusOff);
    }
}
// The path entries' file dialogs get the feeds' filters.
void emuleDialogSetup(PluginState&, int32_t openFileName) {
    setDialogFilter(openFileName, kOnlineSigFilter);
}
void azureusDialogSetup(PluginState&, int32_t openFileName) {
    setDialogFilter(openFileName, kAzureusStatsFilter);
}

// --- The list view editor. ---

// "Wczytaj" and "Zapisz": the list files load into and save from the editor's rows. A text file
// waits for the import options dialog; a later one takes the place of one still waiting. The file
// dialogs let the desktop go on: the page may close (and open again) while one is up, so the list
// editor is looked up again once the file is chosen.
void loadButton(PluginState& state) {
    if (!state.listEditor) return;
    const std::optional<platform::ChosenFile> chosen = askForListFileToOpen();
    if (chosen && state.listEditor) openListFile(*state.listEditor, *chosen, state.host, state.importSession);
}

// A page that could not show the stored list whole (the host had none to hand over, or the filling
// failed part way) holds only part of the user's list: saved, it would pass that part off as his list.
void saveButton(PluginState& state) {
    if (!state.listEditor) return;
    if (!actions().listShown) {
        platform::showMessage("Lista opisów nie została pokazana w całości, więc nie zostanie zapisana.\r\n"
                              "Zamknij stronę „Lista” i otwórz ją ponownie.",
                              "Brio - Error", platform::MessageIcon::Warning);
        return;
    }
    const std::optional<platform::ChosenFile> chosen = askForListFileToSave();
    if (chosen && state.listEditor) saveListFile(*state.listEditor, *chosen);
}

void storeListEditor(PluginState& state);

// The list view host goes: so does the editor it held, leaving its column widths stored, and its rows
// if the page's close could not store them.
void listViewDestroyed(PluginState& state) {
    // A text import still waiting has nothing left to add to: its dialog and file close.
    state.importSession.reset();
    if (!state.listEditor) return;
    if (state.listOwed) storeListEditor(state);
    state.listEditor->storeColumnWidths();
    state.listEditor.reset();
}

// The list view host was created: the list view goes at the host's place, and the place moves past
// it, so the controls that follow keep their room whether or not a list view could be made. A record
// too short to carry the place is left alone. The window field stays as the host set it when no
// window could be made.
void listViewCreated(PluginState& state, void* record, const RecordReader& r) {
    if (r.size() < kControlNotifyMinSize) return;
    const int32_t x = r.i32(offsetof(ControlNotifyRecord, x));
    const int32_t y = r.i32(offsetof(ControlNotifyRecord, y));
    // A second list view in a row replaces the first rather than living beside it.
    listViewDestroyed(state);
    actions().listShown = false;
    state.listEditor =
        ListEditor::create(state.host, r.i32(offsetof(ControlNotifyRecord, parentWindow)), kListViewControlId,
                           state.host.instanceHandle(), x, y, kListViewStyle);
    if (state.listEditor)
        writeField(record, offsetof(ControlNotifyRecord, window), state.listEditor->window());
    writeField(record, offsetof(ControlNotifyRecord, x), wrappingAdd(x, kListViewWidth));
    writeField(record, offsetof(ControlNotifyRecord, y), wrappingAdd(y, kListViewHeight));
}

// The host does not answer a store: only the text read back tells that it landed. A list it does not
// hold stays pending.
void storePendingList(PluginState& state) {
    std::optional<std::string>& pending = state.listPending;
    if (!pending) return;
    state.host.writeText(setting::kList, *pending);
    const std::optional<std::string> back = state.host.readTextIfAny(setting::kList);
    if (back && *back == *pending) pending.reset();
}

// The user's list: the pending one while the host has not taken it, else the stored one (none when
// the host has none to hand over).
std::optional<std::string> storedList(PluginState& state) {
    storePendingList(state);
    if (state.listPending) return state.listPending;
    return state.host.readTextIfAny(setting::kList);
}

// The page opened: the editor takes the stored list. The page closes: the editor's list is stored,
// if the user was on the pages at all.
// A list the host could not hand over, or that did not fit into the editor whole, is not stored back
// over what the user kept.
void fillListEditor(PluginState& state) {
    actions().listShown = false;
    if (!state.listEditor) return;
    const std::optional<std::string> text = storedList(state);
    if (!text) return;
    state.listEditor->loadListText(*text);
    actions().listShown = true;
}

// A list view whose window already went with its page has no rows to tell: the stored list stays.
// Until the list text is made the rows are owed; once made, it waits as the pending list until the
// host is seen to hold it.
void storeListEditor(PluginState& state) {
    const ActionState& a = actions();
    if (!a.pagesTouched || !a.listShown || !state.listEditor || !state.listEditor->window()) return;
    state.listOwed = true;
    std::string text = state.listEditor->saveListText();
    state.listPending = std::move(text);
    state.listOwed = false;
    storePendingList(state);
}

// "Dodaj" appends the entry, "Zmień" puts it in place of the picked row.
void giveToListEditor(PluginState& state, int32_t actionId, const StatusEntry& entry) {
    if (!state.listEditor) return;
    if (actionId == action::kAdd)
        state.listEditor->append(entry);
    else
        state.listEditor->replacePicked(entry);
}

// "Dodaj" and "Zmień": the fields below the list make an entry; an empty description is refused. A
// field the host gives no text for is asked once more, so that a host that could not tell it this time
// does not put a made-up status or time in place of what the user chose; a field it still cannot tell
// (a page without that control) reads as empty.
std::string fieldValue(const HostGateway& host, int32_t id) {
    std::optional<std::string> value = host.getActionValueIfAny(id, page::kList);
    if (!value) value = host.getActionValueIfAny(id, page::kList);
    return value.value_or(std::string());
}

void takeEntryFromFields(PluginState& state, int32_t actionId) {
    const HostGateway& host = state.host;
    const std::string status = fieldValue(host, action::kStatusChoice);
    const std::string description = fieldValue(host, action::kDescription);
    const std::string seconds = fieldValue(host, action::kTime);
    const std::optional<StatusEntry> entry = entryFromFields(status, description, seconds);
    if (!entry) {
        platform::showMessage("Musisz podać opis!", "Ostrzeżenie", platform::MessageIcon::Warning);
        return;
    }
    giveToListEditor(state, actionId, *entry);
}

// --- The network check boxes. ---

// Check boxes are created switched on; only the networks switched off need setting.
void fillNetworkCheckboxes(PluginState& state) {
    if (!state.controller) return;
    const std::vector<NetworkChoice> choices = state.controller->setter().networkChoices();
    for (const NetworkChoice& choice : choices)
        if (!choice.enabled) state.host.setActionValue(networkCheckboxId(choice.network), page::kBrio, "0");
}

// A network switched off while an activity runs gets its own description back as the choice is read.
void readNetworkCheckboxes(PluginState& state) {
    if (!state.controller) return;
    DescriptionSetter& setter = state.controller->setter();
    // Every box is read whatever became of the one before: the page goes with this close, and a box
    // not read is the user's choice lost. A failure on the way is told once the rest are read.
    // A check box always reads "0" or "1": nothing is a host that could not tell this once, and memory
    // refused on the way the same; either is asked once more, and the choice stays as it was only when
    // the second read tells nothing either.
    const auto read = [&state](int32_t box) {
        std::string value;
        for (int attempt = 0; attempt < 2 && value.empty(); ++attempt) {
            try {
                value = state.host.getActionValue(box, page::kBrio, kCheckboxBufferSize);
            } catch (const std::bad_alloc&) {
                if (attempt == 1) throw;
            }
        }
        return value;
    };
    std::exception_ptr failure;
    for (size_t i = 0; i < setter.networkChoices().size(); ++i) {
        try {
            const std::string value = read(networkCheckboxId(setter.networkChoices()[i].network));
            if (value.empty()) continue;
            setter.setEnabled(i, readInteger(value) != 0);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    // A network switched off that could not take its own now takes it as soon as it can.
    if (state.controller) state.controller->watchKept();
    if (failure) std::rethrow_exception(failure);
}

void networksOpened(PluginState& state) {
    fillNetworkCheckboxes(state);
    actions().networksShown = true;
}

void networksClosing(PluginState& state) {
    ActionState& a = actions();
    if (!a.pagesTouched || !a.networksShown) return;
    readNetworkCheckboxes(state);
    a.pagesTouched = false;
    a.networksShown = false;
}

// --- List cycling. ---

// The item is ticked while cycling runs; a list without entries starts nothing and leaves it unticked.
void switchCycling(PluginState& state, int32_t actionId) {
    if (!state.controller) return;
    ModeController& controller = *state.controller;
    const HostGateway& host = state.host;
    host.logText("act.id = %i, pCtrl = %i", actionId, addressOf(&controller));
    if (!controller.cycling()) {
        controller.setCycling(true, storedList(state), true);
        // A list without entries starts nothing, and the item must not claim otherwise.
        host.setActionStatus(action::kCycling, action::kPopup,
                             controller.cycling() ? action::kStatusOn : action::kStatusOff);
    } else {
        controller.setCycling(false, std::nullopt, true);
        host.setActionStatus(action::kCycling, action::kPopup, action::kStatusOff);
    }
}

} // namespace

std::optional<StatusEntry> entryFromFields(std::string_view status, std::string_view description,
                                           std::string_view seconds) {
    if (description.empty()) return std::nullopt;
    StatusEntry entry;
    entry.status = readInteger(status);
    entry.description = std::string(description);
    entry.seconds = readSeconds(seconds);
    return entry;
}

void handleActionNotify(PluginState& state, void* record) {
    if (!record) return;
    const RecordReader r(record);
    // Too short to be a notification: not even a page notification is believed.
    if (r.size() < kNotifyMinSize) return;
    const int32_t id = r.i32(offsetof(ActionNotifyRecord, id));
    const int32_t code = r.i32(offsetof(ActionNotifyRecord, code));
    switch (id) {
    case action::kSteal:
        if (code == msg::kActivated) stealAction(state, r.i32(offsetof(ActionNotifyRecord, contact)));
        break;
    case action::kEmule:
        if (code == msg::kActivated) emuleSwitch(state);
        break;
    case action::kAzureus:
        if (code == msg::kActivated) azureusSwitch(state);
        break;
    case action::kCycling:
        if (code == msg::kActivated) switchCycling(state, id);
        break;
    case action::kAdd:
    case action::kReplace:
        if (code == msg::kActivated) takeEntryFromFields(state, id);
        break;
    case action::kLoad:
        if (code == msg::kActivated) loadButton(state);
        break;
    case action::kSave:
        if (code == msg::kActivated) saveButton(state);
        break;
    case action::kListView:
        // The host hands this record over for Brio to write the new window and place into.
        if (code == msg::kControlCreated)
            listViewCreated(state, record, r);
        else if (code == msg::kControlDestroyed)
            listViewDestroyed(state);
        break;
    case action::kListFill:
        if (code == msg::kControlCreated) fillListEditor(state);
        break;
    case action::kListStore:
        if (code == msg::kControlDestroyed) storeListEditor(state);
        break;
    case action::kNetworksFill:
        if (code == msg::kControlCreated) networksOpened(state);
        break;
    case action::kNetworksRead:
        if (code == msg::kControlDestroyed) networksClosing(state);
        break;
    case action::kEmulePath:
        if (code == msg::kFileDialogSetup) emuleDialogSetup(state, r.i32(offsetof(ActionNotifyRecord, data)));
        break;
    case action::kAzureusPath:
        if (code == msg::kFileDialogSetup)
            azureusDialogSetup(state, r.i32(offsetof(ActionNotifyRecord, data)));
        break;
    case page::kBrio:
    case page::kList:
        actions().pagesTouched = true;
        break;
    default:
        break;
    }
}

void endActions(PluginState& state) {
    if (state.controller) state.controller->shutdown();
    listViewDestroyed(state);
    try {
        storePendingList(state); // the last chance for a list the host did not take
    } catch (...) {
        // Out of memory at the very end: what the host holds stays; the plug-in goes on ending.
    }
    state.listPending.reset();
    state.listOwed = false;
    forgetActions();
}

void forgetActions() {
    actions() = ActionState{};
}

} // namespace brio
