// The status monitor's reader on an information file made of the input's
// bytes: a half-written, hostile or foreign file in /tmp must give either
// the fifteen-line reading or a refusal, never a crash.
#include "fuzz_input.h"
#include "status_monitor.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// The reader takes only a regular file (no link such as /proc/self/fd/N), so
// each input is written to a real file in a folder of the run's own.
std::string gPath;

void WriteInput(const uint8_t* data, size_t size)
{
    const int fd = open(gPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(size == 0 || write(fd, data, size) == static_cast<ssize_t>(size));
    close(fd);
}

const char* const kKeys[] = {"PRINTER_STATUS", "PRINTER_MESSAGE", "PRINTER_VERSION", "PRINTER_SERIAL_NO",
    "MEDIA_SIZE", "MEDIA_INITIAL", "MEDIA_REMAIN", "TOTAL_COUNT"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The worker is a QObject with a timer; it needs an application object.
    static QCoreApplication app(*argc, *argv);
    char folder[] = "/tmp/fuzz-status-XXXXXX";
    FUZZ_CHECK(mkdtemp(folder) != nullptr);
    gPath = std::string(folder) + "/ZR_F1.log";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteInput(data, size);
    StatusMonitor monitor(QString::fromStdString(gPath), 1000000);
    QMap<QString, QString> map;
    if (monitor.createStatusMap(map)) {
        // Only the keys the window knows, and a status that is never blank.
        int known = 0;
        for (const char* key : kKeys)
            known += map.contains(QString::fromLatin1(key)) ? 1 : 0;
        FUZZ_CHECK(known == map.size());
        if (map.contains(QStringLiteral("PRINTER_STATUS")))
            FUZZ_CHECK(!map.value(QStringLiteral("PRINTER_STATUS")).isEmpty());
    }
    return 0;
}
