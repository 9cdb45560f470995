#include "run_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Starts the program with stdin from /dev/null (lpadmin may prompt) and
// stdout either into `outFd` or to /dev/null. Answers the child's pid or -1.
pid_t Spawn(const std::vector<std::string>& argv, int outFd)
{
    if (argv.empty())
        return -1;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    execvp(args[0], args.data());
    _exit(127);
}

int Wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int RunCommand(const std::vector<std::string>& argv)
{
    const pid_t pid = Spawn(argv, -1);
    return pid < 0 ? -1 : Wait(pid);
}
