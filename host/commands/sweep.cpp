#include "host/commands/sweep.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "boundary/action_ids.h"
#include "formats/list_text.h"
#include "formats/own_records.h"
#include "formats/status.h"
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

// A kept item's bytes for a message: where they are long, the part around their first difference from
// `other`'s.
std::string shown(const std::optional<std::string>& bytes,
                  const std::optional<std::string>& other = std::nullopt) {
    if (!bytes) return "(none)";
    size_t from = 0;
    if (other && bytes->size() > 80) {
        const auto [at, _] = std::mismatch(bytes->begin(), bytes->end(), other->begin(), other->end());
        from = std::min<size_t>(std::max<ptrdiff_t>(at - bytes->begin() - 20, 0), bytes->size());
    }
    const std::string text = displayed(bytes->substr(from, 80));
    return (from ? "(from byte " + std::to_string(from) + ") " : std::string()) + text +
           (bytes->size() - from > 80 ? "..." : "");
}

std::optional<std::string> find(const Kept& kept, const std::string& name) {
    auto it = kept.find(name);
    return it == kept.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// The network choices' flags by network; none when the text is not whole choices (number, "|", flag,
// "|").
std::optional<std::map<std::string, std::string>> readChoices(std::string_view text) {
    std::map<std::string, std::string> flags;
    while (!text.empty()) {
        const size_t bar = text.find('|');
        const size_t end = bar == std::string_view::npos ? bar : text.find('|', bar + 1);
        if (end == std::string_view::npos || bar == 0) return std::nullopt;
        flags.emplace(text.substr(0, bar), text.substr(bar + 1, end - bar - 1));
        text.remove_prefix(end + 1);
    }
    return flags;
}

// A network the choices list: a network plug-in with a name, but for the two Brio never changes.
bool choosable(const SimulatedPlugin& plugin) {
    return (plugin.type & kNetworkPluginType) && plugin.name && plugin.net != 20 && plugin.net != 83;
}

// The name under which a run's end holds the user's latest on a network (followed by its number).
const std::string kUserLatest = "user's latest ";

std::string showing(int32_t status, const std::optional<std::string>& description) {
    return "status " + std::to_string(status) + ", description " +
           (description ? "\"" + *description + "\"" : std::string("(none)"));
}

} // namespace

std::optional<SweepKind> sweepKind(std::string_view name) {
    if (name == "allocation") return SweepKind::Allocation;
    if (name == "allocation-onward") return SweepKind::AllocationOnward;
    if (name == "host-call") return SweepKind::HostCall;
    if (name == "unload") return SweepKind::Unload;
    return std::nullopt;
}

Kept keptState(Host& host, const std::string& folder, UnstoredList unstored) {
    Kept kept;
    // The list as the plug-in reads it (a time under 10 s reads as 10 s, and is stored so once shown).
    if (const std::string* list = host.config().stored("Brio/list"))
        kept["config Brio/list"] = writeListText(readListRows(*list));
    else if (unstored == UnstoredList::Empty)
        kept["config Brio/list"] = std::string();
    // Each network's flag: a network the choices do not name (none stored yet, or new) is switched on.
    const std::string* choices = host.config().stored("Brio/netChange");
    const auto flags = readChoices(choices ? *choices : std::string());
    if (!flags) kept["config Brio/netChange"] = *choices;
    for (const auto& plugin : host.registry().plugins()) {
        const std::string net = std::to_string(plugin->net);
        if (!flags || !choosable(*plugin)) continue;
        const auto flag = flags->find(net);
        kept.emplace("choice " + net, flag == flags->end() ? "1" : flag->second);
    }
    // The user's latest on each network, as his own steps left it: not judged itself, it is what a
    // network may end up showing whatever the references show (below).
    for (const auto& plugin : host.registry().plugins())
        if ((plugin->type & kNetworkPluginType) && plugin->userStatus && plugin->userDescription)
            kept.emplace(kUserLatest + std::to_string(plugin->net),
                         showing(*plugin->userStatus, *plugin->userDescription));
    std::vector<OwnRecord> records;
    if (const std::string* text = host.config().stored("Brio/keptOwn"))
        records = parseOwnRecords(*text).value_or(std::vector<OwnRecord>());
    for (const auto& plugin : host.registry().plugins()) {
        const std::string name = "shown " + std::to_string(plugin->net);
        if (!(plugin->type & kNetworkPluginType) || kept.count(name)) continue;
        auto record = std::find_if(records.begin(), records.end(),
                                   [&](const OwnRecord& r) { return r.network == plugin->net; });
        // Networks 20 and 83 are never given anything back, whatever the setting names.
        const bool excluded = plugin->net == 20 || plugin->net == 83;
        if (record == records.end() || excluded) {
            kept[name] = showing(plugin->status, plugin->description);
            continue;
        }
        // As the plug-in judges it: Brio's last write (or, while a write is on its way, the one before
        // it) still shown is given back; the status goes back only from a hidden status of Brio's, so a
        // status the user set himself, hidden or not, stays his.
        const bool last = plugin->description == record->brioText;
        const bool earlier = record->hasEarlier && plugin->description == record->earlierText;
        if (!last && !earlier) {
            kept[name] = showing(plugin->status, plugin->description);
            continue;
        }
        const bool hiddenByBrio = (last && record->brioHidden) || (earlier && record->earlierHidden);
        const bool unhide = plugin->status == kHiddenStatus && hiddenByBrio && record->ownStatus > 0 &&
                            record->ownStatus != kHiddenStatus;
        kept[name] = showing(unhide ? record->ownStatus : plugin->status, record->ownText);
    }
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        if (const std::optional<std::string> bytes = readFileBytes(it->path().string()))
            kept["file " + it->path().lexically_relative(folder).generic_string()] = *bytes;
    }
    return kept;
}

std::vector<std::string> lostKept(const Kept& end, const std::vector<Reference>& references) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : end)
        names.insert(name);
    for (const Reference& r : references)
        for (const auto& [name, bytes] : *r.kept)
            names.insert(name);
    std::vector<std::string> lost;
    for (const std::string& name : names) {
        if (name.rfind(kUserLatest, 0) == 0) continue;
        const std::optional<std::string> now = find(end, name);
        // A network that ends with the status and the description the user last gave it himself shows
        // his own, whatever the references show. The one-step model cannot see this where a failure
        // changes what the user's later steps do: after an unload the activity that ran has stopped,
        // the next "Lista" starts it instead of stopping it, and a status the user then sets over his
        // own description is his to keep (the references, where that status went over Brio's hidden
        // one and was given back, end with his status before).
        if (name.rfind("shown ", 0) == 0 && now &&
            find(end, kUserLatest + name.substr(std::strlen("shown "))) == now)
            continue;
        const auto holds = [&](const Reference& r) { return !r.partial || r.kept->count(name); };
        if (std::any_of(references.begin(), references.end(),
                        [&](const Reference& r) { return holds(r) && find(*r.kept, name) == now; }))
            continue;
        std::string line =
            name + " is " + shown(now, references.empty() ? now : find(*references[0].kept, name));
        bool first = true;
        for (const Reference& r : references) {
            if (!holds(r)) continue;
            line += (first ? ", not " : " nor ") + shown(find(*r.kept, name), now) + " " + r.name;
            first = false;
        }
        lost.push_back(line);
    }
    return lost;
}

std::string stepsText(const std::set<uint64_t>& steps) {
    std::string text;
    for (uint64_t step : steps)
        text += (text.empty() ? "" : ",") + std::to_string(step);
    return text;
}

std::optional<std::set<uint64_t>> parseSteps(std::string_view text) {
    std::set<uint64_t> steps;
    while (!text.empty()) {
        const size_t comma = std::min(text.find(','), text.size());
        const std::string_view digits = text.substr(0, comma);
        if (digits.empty() || digits.size() > 19 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        uint64_t step = 0;
        for (char c : digits)
            step = step * 10 + uint64_t(c - '0');
        steps.insert(step);
        text.remove_prefix(comma);
        if (!text.empty() && (text.remove_prefix(1), text.empty())) return std::nullopt; // a comma at the end
    }
    return steps;
}

bool fieldsUnseen(const Host& host) {
    for (int32_t field : {action::kStatusChoice, action::kDescription, action::kTime})
        if (host.refusedActions().count(field) || host.refusedValues().count(field)) return true;
    return false;
}

namespace {

// The kept items with the list's statuses and times left out: what the list holds row by row, in order.
Kept withoutStatusesAndTimes(const Kept& kept) {
    Kept out = kept;
    const auto list = out.find("config Brio/list");
    if (list == out.end()) return out;
    std::vector<ListRow> rows = readListRows(list->second);
    for (ListRow& row : rows) {
        row.status = 0;
        row.seconds = "";
    }
    list->second = writeListText(rows);
    return out;
}

} // namespace

std::string encodeReport(const RunReport& report) {
    std::string out;
    put(out, 'p', std::to_string(report.places));
    put(out, 'c', report.failureCame ? "1" : "0");
    put(out, 'v', report.fieldUnseen ? "1" : "0");
    put(out, 's', std::to_string(report.failedStep));
    put(out, 'u', stepsText(report.notRun));

    for (const std::string& f : report.faults)
        put(out, 'f', f);
    putKept(out, 'a', report.atFailure);
    putKept(out, 'e', report.atEnd);
    put(out, '.', ""); // the end: a report cut short is no report
    return out;
}

bool decodeReport(std::string_view bytes, RunReport& report) {
    std::optional<std::string> name; // the first half of a kept item
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        if (bytes.size() < 3 || bytes[1] != ' ' || newline == std::string_view::npos || newline < 3 ||
            newline > 12)
            return false;
        const char tag = bytes[0];
        size_t length = 0;
        for (char c : bytes.substr(2, newline - 2)) {
            if (c < '0' || c > '9') return false;
            length = length * 10 + size_t(c - '0');
        }
        if (bytes.size() - newline - 1 < length) return false;
        const std::string field(bytes.substr(newline + 1, length));
        bytes.remove_prefix(newline + 1 + length);
        if (tag == 'p' || tag == 's') {
            uint64_t value = 0;
            if (field.empty() || field.size() > 19 ||
                !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return false;
            for (char c : field)
                value = value * 10 + uint64_t(c - '0');
            (tag == 'p' ? report.places : report.failedStep) = value;
        } else if (tag == 'c')
            report.failureCame = field == "1";
        else if (tag == 'v')
            report.fieldUnseen = field == "1";
        else if (tag == '.')
            return !name && field.empty() && bytes.empty();
        else if (tag == 'u') {
            const std::optional<std::set<uint64_t>> steps = parseSteps(field);
            if (!steps) return false;
            report.notRun = *steps;
        } else if (tag == 'f')
            report.faults.push_back(field);
        else if ((tag == 'a' || tag == 'e') && !name)
            name = field;
        else if (tag == 'a' || tag == 'e') {
            (tag == 'a' ? report.atFailure : report.atEnd)[*name] = field;
            name.reset();
        } else
            return false;
    }
    return false;
}

int sweep(const SweepSettings& settings, const SweepRun& run, std::FILE* out) {
    const fs::path root =
        fs::temp_directory_path() /
        ("brio-sweep-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path folder = root / "run";
    const std::string config = settings.config.empty() ? std::string() : (root / "config.cfg").string();
    const std::string answer = (root / "report").string();
    std::optional<std::string> startingConfig;
    if (!settings.config.empty() && !settings.fresh) startingConfig = readFileBytes(settings.config);

    // One run in a new folder, from the same configuration; false, with the reason, when it ended badly.
    auto runAt = [&](uint64_t at, const std::set<uint64_t>& leaveOut, RunReport& report, std::string& why) {
        std::error_code error;
        fs::remove_all(folder, error);
        fs::create_directories(folder, error);
        fs::remove(config, error);
        if (startingConfig) std::ofstream(config, std::ios::binary) << *startingConfig;
        ApartChild child;
        if (settings.arguments) child = {settings.arguments(at, leaveOut, config, answer), answer};
        const ApartEnd end = runApart(
            folder.string(), [&] { return encodeReport(run(at, leaveOut, config)); }, child);
        why = end.why;
        if (end.ended && !decodeReport(end.answer, report)) why = "its report could not be read";
        return why.empty();
    };

    int faults = 0; // faulty runs
    auto say = [&](uint64_t at, const std::string& why) {
        std::fprintf(out, "run %llu: %s\n", static_cast<unsigned long long>(at), why.c_str());
    };
    // The end of the script without failures and with some steps left out: run once per set of steps,
    // and kept in the cache folder for the other kinds.
    std::map<std::set<uint64_t>, std::optional<Kept>> leftOutEnds;
    uint64_t leftOutRuns = 0;
    auto leftOut = [&](const std::set<uint64_t>& steps) -> const Kept* {
        auto [it, made] = leftOutEnds.try_emplace(steps);
        if (!made) return it->second ? &*it->second : nullptr;
        const std::string key = stepsText(steps);
        const std::string cached =
            settings.cache.empty()
                ? std::string()
                : (fs::path(settings.cache) /
                   ("left-out-" + (key.size() <= 60 ? key : std::to_string(std::hash<std::string>()(key)))))
                      .string();
        RunReport report;
        std::string why;
        if (const std::optional<std::string> bytes = cached.empty() ? std::nullopt : readFileBytes(cached);
            bytes && decodeReport(*bytes, report) && report.notRun == steps) {
            it->second = report.atEnd;
            return &*it->second;
        }
        ++leftOutRuns;
        if (runAt(0, steps, report, why) && report.faults.empty()) {
            it->second = report.atEnd;
            // The key goes with it, in place of the steps it could not run (of no use here).
            report.notRun = steps;
            report.atFailure.clear();
            if (!cached.empty()) std::ofstream(cached, std::ios::binary) << encodeReport(report);
        } else {
            say(0, "the run without failures and without step(s) " + key + " " +
                       (why.empty() ? "reported " + report.faults.front() : why));
        }
        return it->second ? &*it->second : nullptr;
    };

    RunReport counted;
    std::string why;
    uint64_t runs = 0;
    if (!runAt(0, {}, counted, why)) {
        say(0, "the run without failures " + why);
        ++faults;
    }
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
            if (!runAt(at, {}, report, why)) {
                say(at, why);
                ++faults;
                continue;
            }
            std::vector<std::string> wrong = report.faults;
            std::vector<Reference> references = {{&counted.atEnd, "as without failures"}};
            Kept stored;
            if (report.failureCame) {
                // The stored list and network choices may also end as they were when the failure came:
                // a failure in the step that stores them (the page's close, the stop: memory or a
                // setValue refused) leaves them so, and with the page closed no later step stores the
                // rows it showed. An unload lets the plug-in go at once: what it had stored then, and
                // the files, are what it had to keep.
                for (const auto& [name, bytes] : report.atFailure)
                    if (settings.kind == SweepKind::Unload || name.rfind("config ", 0) == 0 ||
                        name.rfind("choice ", 0) == 0)
                        stored[name] = bytes;
                references.push_back(
                    {&stored, "as when the failure came", settings.kind != SweepKind::Unload});
            }
            // The runs with steps left out are made only for a run that ends as in none of these (most
            // end as without failures).
            if (report.failureCame && !lostKept(report.atEnd, references).empty()) {
                if (const Kept* without = leftOut({report.failedStep}))
                    references.push_back({without, "as without the failing step"});
                else
                    wrong.push_back("no run without its failing step to judge it by");
                // The steps the failure took from the user (a button never added) were not his doing.
                std::set<uint64_t> notRun;
                std::set_difference(report.notRun.begin(), report.notRun.end(), counted.notRun.begin(),
                                    counted.notRun.end(), std::inserter(notRun, notRun.end()));
                notRun.erase(report.failedStep);
                if (!notRun.empty())
                    if (const Kept* without = leftOut(notRun))
                        references.push_back({without, "as without the steps it made impossible"});
            }
            // A field below the list that the failure left unmade, or showing another row's value, is
            // what the user then sees and works from: the status or time he stores may be another than
            // the script's, and neither the plug-in (the host answers neither call) nor these references
            // can tell which. The rows themselves (their number, order and descriptions) still count.
            Kept end = report.atEnd;
            std::vector<Kept> loose;
            if (report.fieldUnseen) {
                end = withoutStatusesAndTimes(end);
                loose.reserve(references.size());
                for (Reference& r : references) {
                    loose.push_back(withoutStatusesAndTimes(*r.kept));
                    r.kept = &loose.back();
                }
            }
            for (const std::string& lost : lostKept(end, references))
                wrong.push_back("step " + std::to_string(report.failedStep) + ": " + lost);
            for (const std::string& w : wrong)
                say(at, w);
            if (!wrong.empty()) ++faults;
        }
    }
    std::error_code error;
    fs::remove_all(root, error);
    std::fprintf(out, "failing each %s: %llu runs (and %llu without steps), %d faults\n",
                 kindName(settings.kind), static_cast<unsigned long long>(runs),
                 static_cast<unsigned long long>(leftOutRuns), faults);
    return faults;
}

} // namespace brio::host
