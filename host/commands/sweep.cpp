#include "host/commands/sweep.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "host/common/cp1250.h"
#include "host/common/file_bytes.h"
#include "host/common/run_apart.h"
#include "host/messenger/host.h"

namespace brio::host {

namespace fs = std::filesystem;

namespace {

// The report travels as fields "TAG LENGTH\n" followed by LENGTH bytes.
void put(std::string& out, char tag, std::string_view bytes) {
    out += tag;
    out += ' ' + std::to_string(bytes.size()) + '\n';
    out.append(bytes);
}

void putKept(std::string& out, char tag, const Kept& kept) {
    for (const auto& [name, bytes] : kept) {
        put(out, tag, name);
        put(out, tag, bytes);
    }
}

const char* kindName(SweepKind kind) {
    switch (kind) {
    case SweepKind::Allocation:
        return "allocation";
    case SweepKind::AllocationOnward:
        return "allocation onward";
    case SweepKind::HostCall:
        return "host call";
    default:
        return "unload";
    }
}

std::string shown(const std::optional<std::string>& bytes) {
    if (!bytes) return "(none)";
    const std::string text = displayed(bytes->substr(0, 80));
    return bytes->size() > 80 ? text + "..." : text;
}

std::optional<std::string> find(const Kept& kept, const std::string& name) {
    auto it = kept.find(name);
    return it == kept.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// What a stored list or network choice text holds, in order: the descriptions of the list's entries
// (whose times may be corrected when the list is shown again), the networks of the choices (whose
// flags the user may change). Empty for other items.
std::vector<std::string> partsOf(const std::string& name, const std::string& bytes) {
    std::vector<std::string> parts;
    if (name == "config Brio/list") {
        for (size_t at = 0, end; (end = bytes.find('\x0E', at)) != std::string::npos; at = end + 1) {
            const size_t cr = bytes.find('\x0D', at);
            parts.push_back(cr < end ? bytes.substr(cr + 1, end - cr - 1) : bytes.substr(at, end - at));
        }
    } else if (name == "config Brio/netChange") {
        // A network with its flag, each ended by "|"; what follows the last whole pair is no choice.
        for (size_t at = 0, bar, end; (bar = bytes.find('|', at)) != std::string::npos &&
                                      (end = bytes.find('|', bar + 1)) != std::string::npos;
             at = end + 1)
            parts.push_back(bytes.substr(at, bar - at));
    }
    return parts;
}
bool edited(const std::string& name) {
    return name == "config Brio/list" || name == "config Brio/netChange";
}
// Whether `a` is `b` cut short (nothing, or its first entries only).
bool cutShort(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return a.size() < b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// Each kept item must end as it was when the failure came, or as the run without failures left it.
// The list and the network choices are edited further by the user after the failure, on what the
// failure left them (a row not moved is then deleted in place of another): they are lost when they
// end cut short of what they held when the failure came (emptied, or written from a list read in part),
// where the run without failures did not cut them so, and the user deleted no rows after the failure.
std::vector<std::string> lostKept(const RunReport& run, const Kept& meant) {
    std::set<std::string> names;
    for (const Kept* k : {&run.atEnd, &run.atFailure, &meant})
        for (const auto& [name, bytes] : *k)
            names.insert(name);
    std::vector<std::string> lost;
    for (const std::string& name : names) {
        const std::optional<std::string> end = find(run.atEnd, name);
        const std::optional<std::string> before = find(run.atFailure, name);
        // Nothing kept when the failure came: whatever is there now destroyed nothing.
        if (run.failureCame && !before) continue;
        if (end == find(meant, name) || (run.failureCame && end == before)) continue;
        // The list's rows deleted by the user after the failure (the rows the script meant may have
        // moved under a step that failed) may leave it shorter: the user's doing, not a loss.
        if (run.failureCame && run.rowsDeletedAfter && name == "config Brio/list") continue;
        if (run.failureCame && edited(name)) {
            const std::vector<std::string> had = partsOf(name, *before);
            const std::vector<std::string> now = partsOf(name, end.value_or(""));
            const std::vector<std::string> wanted = partsOf(name, find(meant, name).value_or(""));
            if (!cutShort(now, had) || cutShort(wanted, had)) continue;
        }
        lost.push_back(name + " is " + shown(end) + ", neither " +
                       (run.failureCame ? shown(before) + " as before the failure nor " : "") +
                       shown(find(meant, name)) + " as the script meant it");
    }
    return lost;
}

} // namespace

std::optional<SweepKind> sweepKind(std::string_view name) {
    if (name == "allocation") return SweepKind::Allocation;
    if (name == "allocation-onward") return SweepKind::AllocationOnward;
    if (name == "host-call") return SweepKind::HostCall;
    if (name == "unload") return SweepKind::Unload;
    return std::nullopt;
}

Kept keptState(Host& host) {
    Kept kept;
    for (const char* key : {"Brio/list", "Brio/netChange"})
        if (const std::string* value = host.config().stored(key)) kept[std::string("config ") + key] = *value;
    std::error_code error;
    for (fs::recursive_directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        if (const std::optional<std::string> bytes = readFileBytes(it->path().string()))
            kept["file " + it->path().lexically_relative(".").generic_string()] = *bytes;
    }
    return kept;
}

std::string encodeReport(const RunReport& report) {
    std::string out;
    put(out, 'p', std::to_string(report.places));
    put(out, 'c', report.failureCame ? "1" : "0");
    put(out, 'd', report.rowsDeletedAfter ? "1" : "0");

    for (const std::string& f : report.faults)
        put(out, 'f', f);
    putKept(out, 'a', report.atFailure);
    putKept(out, 'e', report.atEnd);
    return out;
}

bool decodeReport(std::string_view bytes, RunReport& report) {
    std::optional<std::string> name; // the first half of a kept item
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        if (bytes.size() < 3 || bytes[1] != ' ' || newline == std::string_view::npos) return false;
        const char tag = bytes[0];
        size_t length = 0;
        for (char c : bytes.substr(2, newline - 2)) {
            if (c < '0' || c > '9') return false;
            length = length * 10 + size_t(c - '0');
        }
        if (bytes.size() - newline - 1 < length) return false;
        const std::string field(bytes.substr(newline + 1, length));
        bytes.remove_prefix(newline + 1 + length);
        if (tag == 'p')
            report.places = std::stoull(field);
        else if (tag == 'c')
            report.failureCame = field == "1";
        else if (tag == 'd')
            report.rowsDeletedAfter = field == "1";
        else if (tag == 'f')
            report.faults.push_back(field);
        else if ((tag == 'a' || tag == 'e') && !name)
            name = field;
        else if (tag == 'a' || tag == 'e') {
            (tag == 'a' ? report.atFailure : report.atEnd)[*name] = field;
            name.reset();
        } else
            return false;
    }
    return !name;
}

int sweep(const SweepSettings& settings, const std::function<RunReport(uint64_t, const std::string&)>& run,
          std::FILE* out) {
    const fs::path root =
        fs::temp_directory_path() /
        ("brio-sweep-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path folder = root / "run";
    const std::string config = settings.config.empty() ? std::string() : (root / "config.cfg").string();
    std::optional<std::string> startingConfig;
    if (!settings.config.empty() && !settings.fresh) startingConfig = readFileBytes(settings.config);

    // One run in a new folder, from the same configuration; false, with the reason, when it ended badly.
    auto runAt = [&](uint64_t at, RunReport& report, std::string& why) {
        std::error_code error;
        fs::remove_all(folder, error);
        fs::create_directories(folder, error);
        fs::remove(config, error);
        if (startingConfig) std::ofstream(config, std::ios::binary) << *startingConfig;
        const ApartEnd end = runApart(folder.string(), [&] { return encodeReport(run(at, config)); });
        why = end.why;
        if (end.ended && !decodeReport(end.answer, report)) why = "its report could not be read";
        return why.empty();
    };

    int faults = 0; // faulty runs
    auto say = [&](uint64_t at, const std::string& why) {
        std::fprintf(out, "run %llu: %s\n", static_cast<unsigned long long>(at), why.c_str());
    };
    auto faulty = [&](uint64_t at, const std::string& why) {
        say(at, why);
        ++faults;
    };
    RunReport counted;
    std::string why;
    uint64_t runs = 0;
    if (!runAt(0, counted, why)) faulty(0, "the run without failures " + why);
    for (const std::string& f : counted.faults)
        say(0, "the run without failures: " + f);
    if (!counted.faults.empty()) ++faults;
    if (faults == 0) {
        uint64_t every = settings.every ? settings.every : 1;
        if (settings.most && counted.places / every > settings.most)
            every = (counted.places + settings.most - 1) / settings.most;
        if (every > 1)
            std::fprintf(out, "sampling: every %llu. place of %llu\n", static_cast<unsigned long long>(every),
                         static_cast<unsigned long long>(counted.places));
        for (uint64_t at = 1; at <= counted.places; at += every) {
            ++runs;
            RunReport report;
            if (!runAt(at, report, why)) {
                faulty(at, why);
                continue;
            }
            std::vector<std::string> wrong = report.faults;
            for (const std::string& lost : lostKept(report, counted.atEnd))
                wrong.push_back(lost);
            for (const std::string& w : wrong)
                say(at, w);
            if (!wrong.empty()) ++faults;
        }
    }
    std::error_code error;
    fs::remove_all(root, error);
    std::fprintf(out, "failing each %s: %llu runs, %d faults\n", kindName(settings.kind),
                 static_cast<unsigned long long>(runs), faults);
    return faults;
}

} // namespace brio::host
