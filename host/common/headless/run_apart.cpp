// Linux: each run is a child process; the answer comes back through a pipe.
#include "host/common/run_apart.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace brio::host {

ApartEnd runApart(const std::string& folder, const std::function<std::string()>& work, const ApartChild&) {
    ApartEnd end;
    int ends[2];
    if (pipe(ends) != 0) {
        end.why = std::string("no pipe: ") + std::strerror(errno);
        return end;
    }
    std::fflush(nullptr); // nothing buffered here may be written twice
    const pid_t child = fork();
    if (child < 0) {
        close(ends[0]);
        close(ends[1]);
        end.why = std::string("no child process: ") + std::strerror(errno);
        return end;
    }
    if (child == 0) {
        close(ends[0]);
        int status = 3;
        if (chdir(folder.c_str()) == 0) {
            const std::string answer = work();
            size_t done = 0;
            while (done < answer.size()) {
                const ssize_t n = write(ends[1], answer.data() + done, answer.size() - done);
                if (n <= 0) break;
                done += static_cast<size_t>(n);
            }
            status = done == answer.size() ? 0 : 4;
        }
        std::fflush(nullptr);
        _exit(status); // the parent's destructors and exit handlers are not this run's
    }
    close(ends[1]);
    char buffer[4096];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        end.answer.append(buffer, static_cast<size_t>(n));
    }
    close(ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        end.why = std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
                  strsignal(WTERMSIG(status)) + ")";
    else if (WEXITSTATUS(status) != 0)
        end.why = "ended with status " + std::to_string(WEXITSTATUS(status));
    else
        end.ended = true;
    return end;
}

void endQuietlyOnCrash() {}

} // namespace brio::host
