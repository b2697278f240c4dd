// Failure sweeps, as the most careful embedded software runs them: the script is run once to count the
// places where something may fail (the plug-in's allocations, its calls into the host, the script's
// steps after which the plug-in may be unloaded), then once per place, failing that one. A run is faulty
// when it crashes or a sanitizer stops it, when brio-host reports a FAULT (an exception that reached it,
// a leak or an object still held at an unload, a check of its own), or when what the user kept (the
// list, the network choices, the files in the run's folder) ends as neither what it was when the
// failure came nor what the run without failures left. Expectations that do not hold are no faults.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

class Host;

enum class SweepKind { Allocation, AllocationOnward, HostCall, Unload };

// "allocation", "allocation-onward", "host-call", "unload".
std::optional<SweepKind> sweepKind(std::string_view name);

// What the user keeps, by name ("config Brio/list", "file NAME"), as bytes.
using Kept = std::map<std::string, std::string>;
// The list and the network choices as the host stores them, and every file under the working folder.
Kept keptState(Host& host);

// What one run tells the sweep.
struct RunReport {
    uint64_t places = 0;             // where something could have been failed, in this run
    bool failureCame = false;        // the place failed was reached
    std::vector<std::string> faults; // brio-host's FAULT lines
    bool rowsDeletedAfter = false;   // the user deleted rows of the list after the failure came
    Kept atFailure;                  // when the failure came
    Kept atEnd;                      // after the plug-in was stopped and unloaded
};
std::string encodeReport(const RunReport& report);
bool decodeReport(std::string_view bytes, RunReport& report);

struct SweepSettings {
    SweepKind kind = SweepKind::Allocation;
    uint64_t every = 1; // fail every Nth place only (1: each), to sample a long script
    uint64_t most = 0;  // at most this many runs (a wider step where there are more places); 0: no limit
    std::string config; // the configuration file each run starts from; empty: none
    bool fresh = false; // each run starts without it
};

// Runs the counting run and then one run per place, each apart from the others in a new folder
// (`run` is handed the place to fail, 0 for none, and the configuration file to use). Writes a line per
// faulty run and the last line "failing each KIND: N runs, M faults" to `out`; answers M.
int sweep(const SweepSettings& settings,
          const std::function<RunReport(uint64_t at, const std::string& config)>& run, std::FILE* out);

} // namespace brio::host
