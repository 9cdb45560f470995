// Writing the small files the programs leave for each other in /tmp, a
// folder every local user can write to.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <string>

// Writes all of `text` to `fd`, going on after interruptions.
bool WriteAll(int fd, const std::string& text);

// Puts `text` under `path` as a new file of `mode` that replaces whatever
// stood there. The file is written in full under a fresh name beside it and
// renamed over the old entry, so a reader never meets it half-written, and a
// link, FIFO or another user's file planted under the name is replaced, never
// followed or written. `prepare` may act on the open file before it is put in
// place; `made` receives its status. False when nothing was replaced.
bool ReplaceFile(const std::string& path, const std::string& text, mode_t mode, struct stat* made = nullptr,
    const std::function<void(int fd)>& prepare = nullptr);
