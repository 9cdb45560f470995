// korvane-zr-printer-app: the ZR as a driverless IPP Everywhere printer.
// PAPPL's main loop gives the sub-commands (server, add, printers, submit,
// status, ...); the server's settings come as -o name=value:
//   server-port (default 8000), listen-hostname (default every address),
//   spool-directory, state-file, log-file ("-" for standard error),
//   log-level (error, warn, info, debug).
#include "zr_device.h"
#include "zr_driver.h"
#include "zr_job.h"

#include <pappl/pappl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kName = "korvane-zr-printer-app";
constexpr const char* kVersion = "1.0.0";
constexpr int kDefaultPort = 8000;

std::string gStateFile;

std::string Option(const char* name, int count, cups_option_t* options, const std::string& fallback)
{
    const char* value = cupsGetOption(name, count, options);
    return value != nullptr && *value != '\0' ? value : fallback;
}

pappl_loglevel_t LogLevel(const std::string& name)
{
    if (name == "debug")
        return PAPPL_LOGLEVEL_DEBUG;
    if (name == "info")
        return PAPPL_LOGLEVEL_INFO;
    if (name == "error")
        return PAPPL_LOGLEVEL_ERROR;
    return PAPPL_LOGLEVEL_WARN;
}

bool SaveState(pappl_system_t* system, void*)
{
    return papplSystemSaveState(system, gStateFile.c_str());
}

pappl_system_t* MakeSystem(int count, cups_option_t* options, void*)
{
    const bool root = getuid() == 0;
    const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "/tmp";
    const std::string stateDir = root ? "/var/lib/korvane-zr-printer-app" : home + "/.local/state";
    const std::string spool = Option("spool-directory", count, options,
        root ? "/var/spool/korvane-zr-printer-app" : stateDir + "/korvane-zr-printer-app.d");
    gStateFile = Option("state-file", count, options, stateDir + "/" + kName + ".state");
    const int port = atoi(Option("server-port", count, options, std::to_string(kDefaultPort)).c_str());
    const std::string logFile = Option("log-file", count, options, "-");
    const std::string level = Option("log-level", count, options, "warn");
    const std::string listen = Option("listen-hostname", count, options, "");

    const pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE
        | PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_WEB_SECURITY;
    pappl_system_t* system = papplSystemCreate(soptions, "Korvane ZR Printer Application", port,
        "_print,_universal", spool.c_str(), logFile.c_str(), LogLevel(level), nullptr, false);
    if (system == nullptr)
        return nullptr;
    if (!papplSystemAddListeners(system, listen.empty() ? nullptr : listen.c_str())) {
        papplSystemDelete(system);
        return nullptr;
    }
    AddZrScheme();
    papplSystemSetPrinterDrivers(system, kZrDriverCount, kZrDrivers, ZrAutoAdd, nullptr, ZrDriverCallback, nullptr);
    papplSystemAddMIMEFilter(system, "application/pdf", "image/pwg-raster", ZrPrintPdf, nullptr);
    papplSystemSetFooterHTML(system, "Korvane ZR Printer Application");
    pappl_version_t version = {};
    strncpy(version.name, "Korvane ZR Printer Application", sizeof version.name - 1);
    strncpy(version.sversion, kVersion, sizeof version.sversion - 1);
    version.version[0] = 1;
    papplSystemSetVersions(system, 1, &version);
    papplSystemLoadState(system, gStateFile.c_str());
    papplSystemSetSaveCallback(system, SaveState, nullptr);
    return system;
}

}  // namespace

int main(int argc, char** argv)
{
    AddZrScheme();
    return papplMainloop(argc, argv, kVersion, nullptr, kZrDriverCount, kZrDrivers, ZrAutoAdd, ZrDriverCallback,
        nullptr, nullptr, MakeSystem, nullptr, nullptr);
}
