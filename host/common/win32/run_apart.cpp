// Windows: each run is this program started again in the run's folder (Windows forks no process); the
// answer comes back in a file. A run that crashes, hangs or is stopped by an exception ends only itself.
#include "host/common/run_apart.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace brio::host {

namespace {

// One argument as the C runtime splits a command line again: in quotes, with the backslashes before a
// quote doubled and the quote escaped.
void quoteInto(std::string& line, const std::string& argument) {
    line += '"';
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

// The run ends at once with the exception's code as its status.
LONG WINAPI endRun(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

// A run may take this long before it counts as hung (the week-long soak takes some seconds).
constexpr DWORD kRunLimitMs = 600000;

} // namespace

ApartEnd runApart(const std::string& folder, const std::function<std::string()>&, const ApartChild& child) {
    ApartEnd end;
    char program[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        end.why = "cannot tell this program's path";
        return end;
    }
    std::string line;
    quoteInto(line, program);
    for (const std::string& a : child.arguments) {
        line += ' ';
        quoteInto(line, a);
    }
    DeleteFileA(child.answerFile.c_str());
    std::fflush(nullptr); // nothing buffered here may be written twice
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        end.why = "no process: error " + std::to_string(GetLastError());
        return end;
    }
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, kRunLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
        end.why = "hung (stopped after " + std::to_string(kRunLimitMs / 1000) + " s)";
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!end.why.empty()) return end;
    if (code != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
        end.why = code >= 0xC0000000 ? std::string("ended by exception ") + hex
                                     : "ended with status " + std::to_string(code);
        return end;
    }
    std::ifstream answer(child.answerFile, std::ios::binary);
    if (!answer) {
        end.why = "ended without its report";
        return end;
    }
    std::ostringstream bytes;
    bytes << answer.rdbuf();
    end.answer = bytes.str();
    end.ended = true;
    return end;
}

void endQuietlyOnCrash() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endRun);
}

} // namespace brio::host
