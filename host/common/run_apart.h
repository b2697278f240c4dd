// One run of a failure sweep, kept apart from the others: in a folder of its own, and where the
// platform allows in a process of its own, so that a run that crashes ends only itself.
#pragma once

#include <functional>
#include <string>

namespace brio::host {

struct ApartEnd {
    bool ended = false; // `work` returned
    std::string answer; // what it returned
    std::string why;    // else: how the run ended (a signal, an exit status, an exception)
};

// Runs `work` with `folder` as the working folder; the folder exists and is the caller's to remove.
ApartEnd runApart(const std::string& folder, const std::function<std::string()>& work);

} // namespace brio::host
