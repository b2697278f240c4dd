// brio-host: the stand-in messenger. Loads a plug-in, plays the messenger toward it, and runs a
// script of commands (or commands typed in), writing a transcript of everything that passes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <set>
#include <string>

#include "host/commands/interpreter.h"
#include "host/commands/sweep.h"
#include "host/common/cp1250.h"
#include "host/common/file_bytes.h"
#include "host/common/heap_meter.h"
#include "host/common/run_apart.h"
#include "host/common/transcript.h"
#include "host/messenger/host.h"

namespace {

struct Options {
    std::string plugin;
    std::string config;
    std::string script;
    std::string check;
    std::string transcript;
    std::string failEach;
    std::string failEvery;
    std::string failOnly;
    std::string failMost;
    std::string failLeaveOut;
    std::string failReport;
    std::string failCache;
    bool fresh = false;
    bool quiet = false;
};

const char kUsage[] =
    "usage: brio-host --plugin PATH [--config FILE] [--fresh] [--script FILE] [--check EXPECTED]\n"
    "                 [--transcript FILE] [--quiet] [--fail-each KIND [--fail-every N]]\n"
    "  --plugin PATH      the plug-in library to load\n"
    "  --config FILE      the configuration file (kept between runs); without it values stay in memory\n"
    "  --fresh            delete the configuration file first\n"
    "  --script FILE      run the commands in FILE; without it commands come from standard input\n"
    "  --check EXPECTED   compare the transcript with EXPECTED ({n} matches any integer)\n"
    "  --transcript FILE  write the transcript to FILE instead of standard output\n"
    "  --quiet            do not write the transcript\n"
    "  --fail-each KIND   run the script once per place where something may fail, failing that one:\n"
    "                     allocation (the plug-in's), allocation-onward (that one and every later one),\n"
    "                     host-call (a call of the plug-in answered by a host that has nothing), unload\n"
    "                     (the plug-in unloaded and started again after a step); prints the faulty runs\n"
    "                     and \"failing each KIND: N runs, M faults\"\n"
    "  --fail-every N     with --fail-each: only every Nth place (1, 1+N, ...), to sample a long script\n"
    "  --fail-most N      with --fail-each: at most N runs, spread evenly over the places\n"
    "  --fail-only N      with --fail-each: fail place N only, in this process, writing the transcript\n"
    "  --fail-leave-out S with --fail-only: leave the script's steps S (as 3,7,12) out: a step is a line\n"
    "                     as it runs, numbered from 1; one past the last is the stop at the end\n"
    "  --fail-report FILE with --fail-only: write the run's report for a sweep to FILE, not the transcript\n"
    "  --fail-cache DIR   with --fail-each: keep the runs with a step left out in DIR, for the other kinds\n"
    "Type help at the prompt for the commands.\n";

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string* value = a == "--plugin"           ? &o.plugin
                             : a == "--config"         ? &o.config
                             : a == "--script"         ? &o.script
                             : a == "--check"          ? &o.check
                             : a == "--transcript"     ? &o.transcript
                             : a == "--fail-each"      ? &o.failEach
                             : a == "--fail-every"     ? &o.failEvery
                             : a == "--fail-only"      ? &o.failOnly
                             : a == "--fail-most"      ? &o.failMost
                             : a == "--fail-leave-out" ? &o.failLeaveOut
                             : a == "--fail-report"    ? &o.failReport
                             : a == "--fail-cache"     ? &o.failCache
                                                       : nullptr;
        if (value && i + 1 < argc)
            *value = argv[++i];
        else if (a == "--fresh")
            o.fresh = true;
        else if (a == "--quiet")
            o.quiet = true;
        else
            return false;
    }
    return true;
}

// The file's name without its folders, so that messages read the same wherever the file lies.
std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder that holds the script, as an absolute path, so that a script names files next to it the
// same way wherever it is run from.
std::string folderOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? std::string(".") : absolute.parent_path().string();
}

// The allocation sweep's hook: the allocator knows only a plain function.
std::function<void()>* whenRefused = nullptr;
void refusedNow() {
    if (whenRefused) (*whenRefused)();
}

// One run of a sweep (sweep.h): the script against a new host, with the place `at` failed (none for 0),
// quietly; what the sweep needs to know comes back as the report.
// With the steps `leaveOut` left out (one past the script's last: the stop at its end, in whose place the
// messenger ends at once).
brio::host::RunReport sweepRun(const Options& options, const std::vector<std::string>& lines,
                               brio::host::SweepKind kind, uint64_t at, const std::set<uint64_t>& leaveOut,
                               const std::string& config, std::FILE* sink = nullptr) {
    using namespace brio::host;
    RunReport report;
    Transcript transcript(sink);
    {
        Host host(transcript);
        host.setPluginPath(options.plugin);
        host.config().setPath(config);
        std::vector<std::string> problems;
        host.config().load(problems);
        Interpreter interpreter(host, baseName(options.script));
        interpreter.setScriptDir(folderOf(options.script));
        interpreter.setKeepGoing(true);
        interpreter.setLeaveOut(leaveOut);

        bool scriptDone = false;
        std::function<void()> snapshot = [&] {
            if (report.failureCame) return;
            report.failureCame = true;
            report.failedStep = interpreter.step() + (scriptDone ? 1 : 0);
            // After an unload what was stored then is all that is kept, and it judges the end whole, a
            // list never stored as the empty list as at the end; for the other kinds it judges only the
            // items it holds, and a list never stored stays out of it.
            report.atFailure =
                keptState(host, ".", kind == SweepKind::Unload ? UnstoredList::Empty : UnstoredList::Unknown);
        };
        uint64_t steps = 0;
        if (kind == SweepKind::Allocation || kind == SweepKind::AllocationOnward) {
            whenRefused = &snapshot;
            heap::refuse(at, kind == SweepKind::AllocationOnward, &refusedNow);
        } else if (kind == SweepKind::HostCall) {
            host.refuseCall(at, snapshot);
        } else {
            // After each step that leaves the plug-in started; the one numbered `at` unloads it there.
            interpreter.setAfterStep([&] {
                if (!host.started() || ++steps != at) return;
                host.transcript().plain("(the sweep unloads the plug-in and starts it again)");
                host.unload();
                snapshot();
                std::string error;
                host.start(error);
            });
        }
        const uint64_t requestsBefore = heap::pluginRequests();
        if (interpreter.runScript(lines)) interpreter.finish();
        scriptDone = true;
        if (leaveOut.count(interpreter.step() + 1))
            host.crash();
        else if (host.loaded())
            host.stop();
        heap::refuse(0, false, nullptr);
        whenRefused = nullptr;
        report.places = kind == SweepKind::HostCall ? host.hostCalls()
                        : kind == SweepKind::Unload ? steps
                                                    : heap::pluginRequests() - requestsBefore;
        report.atEnd = keptState(host, ".", UnstoredList::Empty);
        report.fieldUnseen = fieldsUnseen(host);
        report.notRun.insert(interpreter.stepsNotRun().begin(), interpreter.stepsNotRun().end());
    }
    for (const std::string& l : transcript.lines())
        if (l.rfind("FAULT: ", 0) == 0) report.faults.push_back(l);
    return report;
}

} // namespace

int main(int argc, char** argv) {
    using namespace brio::host;
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!options.failEach.empty()) {
        const std::optional<SweepKind> kind = sweepKind(options.failEach);
        uint64_t every = 1;
        if (!options.failEvery.empty()) every = std::strtoull(options.failEvery.c_str(), nullptr, 10);
        if (!kind || options.script.empty() || every == 0) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        const std::optional<std::string> text = readFileBytes(options.script);
        if (!text) {
            std::fprintf(stderr, "brio-host: cannot read %s\n", options.script.c_str());
            return 2;
        }
        // Each run works in a folder of its own: the paths given are made absolute first.
        std::error_code error;
        for (std::string* path :
             {&options.plugin, &options.script, &options.config, &options.failReport, &options.failCache})
            if (!path->empty()) *path = std::filesystem::absolute(*path, error).string();
        const std::vector<std::string> lines = splitLines(*text);
        const std::optional<std::set<uint64_t>> leaveOut = parseSteps(options.failLeaveOut);
        if (!leaveOut) {
            std::fprintf(stderr, "brio-host: --fail-leave-out takes steps as 3,7,12\n");
            return 2;
        }
        // A single run starts from no configuration file too when told to (a sweep starts each run so).
        if (!options.failOnly.empty() && options.fresh && !options.config.empty())
            std::filesystem::remove(options.config, error);
        if (!options.failOnly.empty() && !options.failReport.empty()) {
            // A run of a sweep started again as a process of its own: its report goes to the file.
            endQuietlyOnCrash();
            const RunReport report =
                sweepRun(options, lines, *kind, std::strtoull(options.failOnly.c_str(), nullptr, 10),
                         *leaveOut, options.config);
            std::ofstream file(options.failReport, std::ios::binary);
            file << encodeReport(report);
            return file.flush() ? 0 : 3;
        }
        if (!options.failOnly.empty()) {
            const RunReport report =
                sweepRun(options, lines, *kind, std::strtoull(options.failOnly.c_str(), nullptr, 10),
                         *leaveOut, options.config, stdout);
            std::printf("places: %llu%s\n", static_cast<unsigned long long>(report.places),
                        report.failureCame ? ", the failure came" : "");
            if (report.failureCame)
                std::printf("during step %llu\n", static_cast<unsigned long long>(report.failedStep));
            // The settings kept (the files are those of the working folder, here not the run's own).
            for (const auto& [name, bytes] : report.atFailure)
                if (name.rfind("file ", 0) != 0)
                    std::printf("when the failure came: %s = %s\n", name.c_str(), displayed(bytes).c_str());
            for (const auto& [name, bytes] : report.atEnd)
                if (name.rfind("file ", 0) != 0)
                    std::printf("at the end: %s = %s\n", name.c_str(), displayed(bytes).c_str());
            return report.faults.empty() ? 0 : 1;
        }
        const uint64_t most = std::strtoull(options.failMost.c_str(), nullptr, 10);
        SweepSettings settings{*kind, every, most, options.config, options.fresh, options.failCache, nullptr};
        // Where no process can be forked (Windows), each run is this program started again.
        settings.arguments = [&](uint64_t at, const std::set<uint64_t>& leftOut, const std::string& config,
                                 const std::string& report) {
            std::vector<std::string> a = {"--plugin",         options.plugin,     "--script",
                                          options.script,     "--fail-each",      options.failEach,
                                          "--fail-only",      std::to_string(at), "--fail-leave-out",
                                          stepsText(leftOut), "--fail-report",    report};
            if (!config.empty()) a.insert(a.end(), {"--config", config});
            return a;
        };
        const int faults = sweep(
            settings,
            [&](uint64_t at, const std::set<uint64_t>& leftOut, const std::string& config) {
                return sweepRun(options, lines, *kind, at, leftOut, config);
            },
            stdout);
        return faults ? 1 : 0;
    }
    std::FILE* sink = options.quiet ? nullptr : stdout;
    std::FILE* transcriptFile = nullptr;
    if (!options.transcript.empty()) {
        transcriptFile = std::fopen(options.transcript.c_str(), "wb"); // the same line ends everywhere
        if (!transcriptFile) {
            std::fprintf(stderr, "brio-host: cannot write %s\n", options.transcript.c_str());
            return 2;
        }
        sink = transcriptFile;
    }

    int status = 0;
    Transcript transcript(sink);
    {
        Host host(transcript);
        host.setPluginPath(options.plugin);
        host.config().setPath(options.config);
        if (options.fresh) host.config().removeFile();
        std::vector<std::string> problems;
        host.config().load(problems);
        for (const std::string& p : problems)
            transcript.plain("config file " + p);

        auto report = [&](const std::string& error) {
            std::fprintf(stderr, "brio-host: %s\n", error.c_str());
            transcript.always("ERROR " + error);
        };
        if (!options.script.empty()) {
            const std::optional<std::string> text = readFileBytes(options.script);
            if (!text) {
                std::fprintf(stderr, "brio-host: cannot read %s\n", options.script.c_str());
                return 2;
            }
            Interpreter interpreter(host, baseName(options.script));
            const std::string folder = folderOf(options.script);
            interpreter.setScriptDir(folder);
            // Texts that hold the folder read as $SCRIPTDIR, so the transcript is the same on every machine.
            const std::string shown = displayed(folder);
            if (folder.size() > 1) transcript.setAlias(shown.substr(1, shown.size() - 2), "$SCRIPTDIR");
            bool ranAll = true;
            if (!interpreter.runScript(splitLines(*text))) {
                report(interpreter.error());
                status = 1;
                ranAll = false;
            }
            if (ranAll && !interpreter.finish()) {
                report(interpreter.error());
                status = 1;
            }
            if (interpreter.failures()) status = 1;
        } else {
            Interpreter interpreter(host, "stdin");
            const bool prompt = host.stdinIsTerminal();
            std::string line;
            for (int number = 1;; ++number) {
                if (prompt) std::fputs("brio> ", stderr);
                if (!std::getline(std::cin, line) || line == "quit" || line == "exit") break;
                if (!interpreter.run(line, number)) report(interpreter.error());
            }
            if (!interpreter.finish()) report(interpreter.error());
            if (interpreter.failures()) status = 1;
        }
        if (host.loaded()) host.stop();
        // The transcript may go elsewhere: failures and faults also go to the error stream.
        for (const std::string& l : transcript.lines())
            if (l.rfind("FAIL ", 0) == 0 || l.rfind("FAULT: ", 0) == 0)
                std::fprintf(stderr, "%s\n", l.c_str());
        if (host.faults()) {
            std::fprintf(stderr, "brio-host: %d fault(s) reported\n", host.faults());
            status = 1;
        }
    }
    if (transcriptFile) std::fclose(transcriptFile);

    if (!options.check.empty()) {
        const std::optional<std::string> expected = readFileBytes(options.check);
        if (!expected) {
            std::fprintf(stderr, "brio-host: cannot read %s\n", options.check.c_str());
            return 2;
        }
        const std::string difference = firstDifference(splitLines(*expected), transcript.lines());
        if (!difference.empty()) {
            std::fprintf(stderr, "brio-host: the transcript differs from %s at %s\n",
                         baseName(options.check).c_str(), difference.c_str());
            status = 1;
        }
    }
    return status;
}
