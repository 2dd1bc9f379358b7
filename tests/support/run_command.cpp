#include "support/run_command.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace {

// Closes a pipe end once when it goes.
struct Fd {
    int fd = -1;
    ~Fd() { Close(); }
    void Close() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
};

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& inputFile) {
    CommandResult result;
    int ends[2];
    if (argv.empty() || ::pipe2(ends, O_CLOEXEC) != 0) {
        return result;
    }
    Fd readEnd{ends[0]};
    Fd writeEnd{ends[1]};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, STDIN_FILENO, inputFile.empty() ? "/dev/null" : inputFile.c_str(), O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.Close();
    if (spawned != 0) {
        return result;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(readEnd.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}
