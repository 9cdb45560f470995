// Settings of the stand-in print backend. Tests choose them through one
// file whose path the scheduler hands to the backend in its environment, so
// nothing about the backend's behaviour depends on the machine it runs on.
#pragma once

#include <string>

struct BackendConfig {
    // Whether the job file gets a "MEDIA_SIZE=" line, and its value. A real
    // printer reports its loaded media here; without the line the filter
    // prints one picture per sheet.
    bool hasMediaSize = false;
    std::string mediaSize;
    // Folder that receives each job's stream as job-<id>.zr; empty: the
    // stream is read and dropped, as if a printer had taken it.
    std::string outputDir;
    // How long the pause file stays after the stream has ended, so that a
    // test can watch the window in which the daemon must keep away.
    unsigned holdMs = 0;
};

// Environment variable that names the settings file.
constexpr const char* kBackendConfigEnv = "KZR_BACKEND_CONFIG";

// Reads "key=value" lines (media_size, output_dir, hold_ms; '#' starts a
// comment line). Unknown keys and malformed numbers are errors, so a typo
// in a test cannot silently fall back to defaults. Returns false and
// describes the problem in `error` when the file is unreadable or wrong.
bool LoadBackendConfig(const std::string& path, BackendConfig& config, std::string& error);
