// A private CUPS scheduler on a Unix socket in its own folder, with a
// stand-in backend for the printer's URI scheme, a stand-in PPD, and
// wrappers that log every lpadmin and chcon the daemon runs.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

class PrivateCups {
public:
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Starts cupsd and points this process's CUPS clients (and children) at it.
    bool Start();
    const std::string& Dir() const { return dir; }

    // (queue name, device URI) of every queue.
    std::vector<std::pair<std::string, std::string>> Queues() const;
    // Adds a queue directly, as an administrator would.
    bool AddQueue(const std::string& name, const std::string& uri) const;
    // Command lines the daemon ran through the logging wrappers.
    std::vector<std::string> Commands() const;

private:
    std::string dir;
    pid_t pid = -1;
};

// Output of a command (through the shell; test-side only).
std::string CommandOutput(const std::string& command);
