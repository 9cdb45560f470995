// Small helpers for the in-process filter tests: parsed job options, a PPD
// file in a temporary folder, and a command record built by hand.
#pragma once

#include <cups/cups.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ppd_reader.h"

class Options {
public:
    explicit Options(const char* text = "") { count = cupsParseOptions(text, 0, &list); }
    ~Options() { cupsFreeOptions(count, list); }
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    int count = 0;
    cups_option_t* list = nullptr;
};

// A PPD file with `text`, opened through the filter's reader.
class PpdFile {
public:
    explicit PpdFile(const std::string& text)
    {
        char name[] = "/tmp/kzr-ppd-XXXXXX";
        int fd = mkstemp(name);
        path = name;
        if (fd >= 0) {
            (void)!write(fd, text.data(), text.size());
            close(fd);
        }
        handle = wrappedPpdOpenFile(path.c_str());
    }
    ~PpdFile()
    {
        wrappedPpdClose(handle);
        unlink(path.c_str());
    }
    PpdFile(const PpdFile&) = delete;
    PpdFile& operator=(const PpdFile&) = delete;
    std::string path;
    ppdfile_s* handle = nullptr;
};

// The record "ESC P name param length data" as the printer expects it.
inline std::string Record(const std::string& name, const std::string& parameter, const std::string& data = "")
{
    std::string r = "\x1bP";
    r += name + std::string(6 - name.size(), ' ');
    r += parameter + std::string(16 - parameter.size(), ' ');
    if (data.empty()) {
        r += std::string(8, ' ');
    } else {
        char digits[24];
        snprintf(digits, sizeof digits, "%08zu", data.size());
        r += digits + data;
    }
    return r;
}
