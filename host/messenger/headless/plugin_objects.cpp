// Linux: the headless desktop's objects are no system's, so what it holds for the plug-in is what there
// is to count: its list view and import dialog, and its running timers.
#include "host/messenger/plugin_objects.h"

#include "platform/headless/driver.h"

namespace brio::host {

std::vector<ObjectCount> pluginObjects() {
    const int64_t windows = (headless::listViewExists() ? 1 : 0) + (headless::importDialogOpen() ? 1 : 0);
    return {{"windows", windows, 0}, {"timers", static_cast<int64_t>(headless::runningTimers()), 0}};
}

} // namespace brio::host
