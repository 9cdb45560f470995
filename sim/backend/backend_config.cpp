#include "backend_config.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace {

bool ParseMs(const std::string& text, unsigned& out)
{
    if (text.empty() || text.size() > 7) return false;  // at most about 2.7 hours
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

}  // namespace

bool LoadBackendConfig(const std::string& path, BackendConfig& config, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read backend settings " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            error = path + ":" + std::to_string(number) + ": no '='";
            return false;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "media_size") {
            config.hasMediaSize = true;
            config.mediaSize = value;
        } else if (key == "output_dir") {
            config.outputDir = value;
        } else if (key == "hold_ms") {
            if (!ParseMs(value, config.holdMs)) {
                error = path + ":" + std::to_string(number) + ": bad hold_ms";
                return false;
            }
        } else {
            error = path + ":" + std::to_string(number) + ": unknown key " + key;
            return false;
        }
    }
    return true;
}
