// The two files the backend keeps in the shared temporary folder while it
// prints: the job file that tells the filter about the job and the pause
// file that keeps the USB daemon away from the printer. The folder is
// world-writable, so every file is created fresh and never through a name
// someone else could have planted.
#pragma once

#include <string>

// Folder shared with the filter and the daemon; both use this exact path.
constexpr const char* kSharedTmpDir = "/tmp";

// "/tmp/Print_<job>.log". The job identifier must be decimal digits only
// (CUPS job ids are), so it cannot lead out of the folder; returns an empty
// string for anything else.
std::string JobFilePath(const std::string& jobId);

// "/tmp/Pause_" followed by the device URI with every "/" turned into "_".
// Returns an empty string when the URI is empty or the name would exceed
// the file system's name limit.
std::string PauseFilePath(const std::string& deviceUri);

// Creates `path` as a new, empty regular file with mode 0644 (the filter
// and the daemon run as other users and only read it) and returns its descriptor, or -1 with
// errno set. Whatever already stands at that name - a file left by a
// crashed job or a symbolic link pointing elsewhere - is unlinked first;
// unlink removes a link itself, never its target, and the exclusive,
// no-follow create refuses anything that reappears in between.
int CreateFreshFile(const std::string& path);

// Writes all of `text`; false on any short or failed write.
bool WriteAll(int fd, const void* data, size_t size);
