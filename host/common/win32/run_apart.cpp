// Windows: each run in this process (the plug-in is loaded and unloaded by the run itself), so a run that
// crashes ends the sweep; an exception that reaches this far ends only its run.
#include "host/common/run_apart.h"

#include <filesystem>

namespace brio::host {

ApartEnd runApart(const std::string& folder, const std::function<std::string()>& work) {
    ApartEnd end;
    std::error_code error;
    const std::filesystem::path before = std::filesystem::current_path(error);
    std::filesystem::current_path(folder, error);
    if (error) {
        end.why = "cannot work in " + folder;
        return end;
    }
    try {
        end.answer = work();
        end.ended = true;
    } catch (...) {
        end.why = "an exception reached the host";
    }
    std::filesystem::current_path(before, error);
    return end;
}

} // namespace brio::host
