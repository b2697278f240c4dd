// brio-host: the stand-in messenger. Loads a plug-in, plays the messenger toward it, and runs a
// script of commands (or commands typed in), writing a transcript of everything that passes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "host/common/cp1250.h"
#include "host/common/file_bytes.h"
#include "host/messenger/host.h"
#include "host/commands/interpreter.h"
#include "host/common/transcript.h"

namespace {

struct Options {
    std::string plugin;
    std::string config;
    std::string script;
    std::string check;
    std::string transcript;
    bool fresh = false;
    bool quiet = false;
};

const char kUsage[] =
    "usage: brio-host --plugin PATH [--config FILE] [--fresh] [--script FILE] [--check EXPECTED]\n"
    "                 [--transcript FILE] [--quiet]\n"
    "  --plugin PATH      the plug-in library to load\n"
    "  --config FILE      the configuration file (kept between runs); without it values stay in memory\n"
    "  --fresh            delete the configuration file first\n"
    "  --script FILE      run the commands in FILE; without it commands come from standard input\n"
    "  --check EXPECTED   compare the transcript with EXPECTED ({n} matches any integer)\n"
    "  --transcript FILE  write the transcript to FILE instead of standard output\n"
    "  --quiet            do not write the transcript\n"
    "Type help at the prompt for the commands.\n";

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string* value = a == "--plugin"       ? &o.plugin
                             : a == "--config"     ? &o.config
                             : a == "--script"     ? &o.script
                             : a == "--check"      ? &o.check
                             : a == "--transcript" ? &o.transcript
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

} // namespace

int main(int argc, char** argv) {
    using namespace brio::host;
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
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
