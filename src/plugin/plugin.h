// plugin/: the wiring on top: the entry point and its dispatch, the plug-in object, action routing, the
// pages, and the ModeController that switches the activities. The only folder that knows every
// activity; it may use every folder of src/, and none uses it.
//
// The plug-in's entry: one message record in, one 32-bit answer out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "boundary/host_gateway.h"

namespace brio {

class ImportSession;
class ListEditor;
class ModeController;

// Plug-in-wide state owned by the entry point.
struct PluginState {
    HostGateway host;                             // from pluginStart to pluginEnd
    std::unique_ptr<ModeController> controller;   // from buildInterface to deinitialise
    std::unique_ptr<ListEditor> listEditor;       // while the "Lista" page shows its list view
    std::unique_ptr<ImportSession> importSession; // a text file waiting for the import options dialog
    // The list text made from the page's rows that the host has not been seen to hold yet: stored again
    // at the next chance, at the latest at deinitialise, and the user's list till then.
    std::optional<std::string> listPending;
    bool listOwed = false; // the page closed and the list text of its rows is still to be made

    // Makes first what the working objects use for as long as the library is loaded (the speed texts,
    // made by the feeds at first use otherwise): statics go in the reverse order of their making, so
    // this state, and with it every user of theirs, is torn down before they are.
    PluginState();
    PluginState(const PluginState&) = delete;
    PluginState& operator=(const PluginState&) = delete;
    // Ended or unloaded without deinitialise: the host may be gone already, so nothing may call it.
    void abandon();
    ~PluginState();
};

PluginState& plugin();

// Handles one message record. Reads nothing beyond the record's `size`; never throws.
int32_t dispatchMessage(const void* record);

} // namespace brio
