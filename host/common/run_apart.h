// One run of a failure sweep, kept apart from the others: in a folder of its own and in a process of
// its own, so that a run that crashes ends only itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brio::host {

struct ApartEnd {
    bool ended = false; // `work` returned
    std::string answer; // what it returned
    std::string why;    // else: how the run ended (a signal, an exit status, an exception)
};

// How this program runs `work` when started again (where a process cannot be forked): its arguments,
// and the file it writes the answer to.
struct ApartChild {
    std::vector<std::string> arguments;
    std::string answerFile;
};

// Runs `work` with `folder` as the working folder; the folder exists and is the caller's to remove.
// On Linux a forked child runs `work`; on Windows this program is started again as `child` says.
ApartEnd runApart(const std::string& folder, const std::function<std::string()>& work,
                  const ApartChild& child);

// In a run started again: a crash ends the process with its exception's code, with no debugger or
// box in between (nothing on Linux, where a signal ends it).
void endQuietlyOnCrash();

} // namespace brio::host
