#include "single_instance.h"

#include <cstring>
#include <string>

#include <unistd.h>

const char kInstallPath[] = KZR_STATUS_PROGRAM;

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
    // Only the processes of the user starting the program (real user id):
    // another user's copies, or any process of theirs whose arguments hold
    // the path, must not keep this user's monitor from starting.
    const std::string command = "ps -ww -U " + std::to_string(::getuid()) +
                                " -o pid,args | grep " + kInstallPath;
    std::FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    const int count = countForeignPieces(pipe, stdout);
    ::pclose(pipe);
    return count > kRunningThreshold;
}
