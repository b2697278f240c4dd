// Failure sweeps, as the most careful embedded software runs them: the script is run once to count the
// places where something may fail (the plug-in's allocations, its calls into the host, the script's
// steps after which the plug-in may be unloaded), then once per place, failing that one. A run is faulty
// when it crashes or a sanitizer stops it, when brio-host reports a FAULT (an exception that reached it,
// a leak or an object still held at an unload, a check of its own), or when something the user keeps
// ends as in neither of two runs without failures: the whole script, and the script with the step
// during which the failure came left out. So what the user did himself (rows he deleted before a load
// that failed) is never taken for a loss, and a loss hidden by his later steps is still found.
// Expectations that do not hold are no faults.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

class Host;

enum class SweepKind { Allocation, AllocationOnward, HostCall, Unload };

// "allocation", "allocation-onward", "host-call", "unload".
std::optional<SweepKind> sweepKind(std::string_view name);

// What the user keeps, by name, as bytes: "config Brio/list" as the plug-in reads it; "choice NET", the
// flag the network choices give each network NET the messenger has (one they do not name is switched
// on; "config Brio/netChange" as stored when it is not whole choices);
// "shown NET", what network NET ends up showing: its own status and description where a record kept
// for it would give them back (it still shows Brio's last write), else what it shows now, the user's
// latest; "file NAME" for every file under the working folder.
// At a run's end, a list never stored counts as the empty list: the setting's default is the empty
// text, so the plug-in (which reads it back to see a store land) and the user find the same in both.
// Where the failure came it stays unknown, so that a list lost later is not taken for the one kept.
enum class UnstoredList { Unknown, Empty };
using Kept = std::map<std::string, std::string>;
Kept keptState(Host& host, const std::string& folder = ".", UnstoredList unstored = UnstoredList::Unknown);

// What a run of a sweep is judged by: the ends of runs without failures (the whole script, the script
// with the failing step left out, with the steps the failure made impossible left out) and, for some
// items, what was kept when the failure came; each with what it is called in a message.
struct Reference {
    const Kept* kept;
    std::string name;
    bool partial = false; // judges only the items it holds
};
// The kept items of a run's end that are as in none of the references; one line per item.
std::vector<std::string> lostKept(const Kept& end, const std::vector<Reference>& references);

// Steps as text, "3,7,12", and back (none for anything else).
std::string stepsText(const std::set<uint64_t>& steps);
std::optional<std::set<uint64_t>> parseSteps(std::string_view text);

// What one run tells the sweep.
struct RunReport {
    uint64_t places = 0;      // where something could have been failed, in this run
    bool failureCame = false; // the place failed was reached
    // The step during which it came (Interpreter::step; an unload's: the step after which it came); one
    // past the script's last for the stop at its end.
    uint64_t failedStep = 0;
    // The steps that could not be run (after a failure, what it may have taken from the user: a button
    // never added, a page that did not open).
    std::set<uint64_t> notRun;
    // The failure left a field below the list without its control or without the value the plug-in
    // gave it (fieldsUnseen below).
    bool fieldUnseen = false;
    std::vector<std::string> faults; // brio-host's FAULT lines
    Kept atFailure;                  // when the failure came
    Kept atEnd;                      // after the plug-in was stopped and unloaded
};
// Whether the failure left a field below the list (status, description, time) never made, or not set
// to a clicked row's value: the plug-in cannot tell (the host answers neither), and the user works from
// the fields as he sees them.
bool fieldsUnseen(const Host& host);
std::string encodeReport(const RunReport& report);
bool decodeReport(std::string_view bytes, RunReport& report);

struct SweepSettings {
    SweepKind kind = SweepKind::Allocation;
    uint64_t every = 1; // fail every Nth place only (1: each), to sample a long script
    uint64_t most = 0;  // at most this many runs (a wider step where there are more places); 0: no limit
    std::string config; // the configuration file each run starts from; empty: none
    bool fresh = false; // each run starts without it
    // Where the ends of the runs with a step left out are kept, for the other kinds' sweeps of the same
    // script and configuration; empty: for this sweep only.
    std::string cache;
    // Where a run goes in a process of its own by starting this program again: the arguments that make
    // it run place `at` with the steps `leaveOut` left out, from `config`, and write its report to
    // `report`.
    std::function<std::vector<std::string>(uint64_t at, const std::set<uint64_t>& leaveOut,
                                           const std::string& config, const std::string& report)>
        arguments;
};

// Runs the counting run and then one run per place, each apart from the others in a new folder
// (`run` is handed the place to fail, 0 for none, the steps to leave out, and the configuration file to
// use); and for each set of steps to leave out met, once, the script without failures with those steps
// left out. Writes a line per faulty run and the last line "failing each KIND: N runs (and S without
// steps), M faults" to `out`; answers M.
using SweepRun =
    std::function<RunReport(uint64_t at, const std::set<uint64_t>& leaveOut, const std::string& config)>;
int sweep(const SweepSettings& settings, const SweepRun& run, std::FILE* out);

} // namespace brio::host
