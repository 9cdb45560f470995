#include "single_instance.h"

#include <cstring>
#include <string>

const char kInstallPath[] = "/opt/brennholt/korvane_zr_status/korvane_zr_status";

namespace {
constexpr int kPieceBuffer = 512;
constexpr int kPieceRead = 255;
// The pipeline itself can show up next to this copy; only a third match
// means another copy.
constexpr int kRunningThreshold = 2;
} // namespace

int countForeignPieces(std::FILE *stream, std::FILE *echo)
{
    int count = 0;
    char buffer[kPieceBuffer];
    for (;;) {
        std::memset(buffer, 0, sizeof buffer);
        if (std::fgets(buffer, kPieceRead, stream) == nullptr)
            break;
        if (echo != nullptr)
            std::fprintf(echo, "%s", buffer);
        if (std::strstr(buffer, "grep") == nullptr)
            ++count;
        if (std::feof(stream))
            break;
    }
    return count;
}

bool checkDoubleStartApp()
{
    const std::string command = std::string("ps auxww | grep ") + kInstallPath;
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    const int count = countForeignPieces(pipe, stdout);
    ::pclose(pipe);
    return count > kRunningThreshold;
}
