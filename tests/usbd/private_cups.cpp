#include "private_cups.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

void Write(const std::string& path, const std::string& text, mode_t mode = 0644)
{
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

const char* const kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "KZRTEST.PPD"
*Manufacturer: "KORVANE"
*Product: "(ZR)"
*ModelName: "KORVANE ZR"
*ShortNickName: "KORVANE ZR"
*NickName: "KORVANE ZR test queue"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter: "application/vnd.cups-raster 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: w288h432
*PageSize w288h432/6x4in: "<</PageSize[288 432]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: w288h432
*PageRegion w288h432/6x4in: "<</PageSize[288 432]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: w288h432
*ImageableArea w288h432/6x4in: "0 0 288 432"
*DefaultPaperDimension: w288h432
*PaperDimension w288h432/6x4in: "288 432"
)PPD";

}  // namespace

std::string CommandOutput(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr)
        return out;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    pclose(p);
    return out;
}

PrivateCups::PrivateCups()
{
    char pattern[] = "/tmp/cupsd.XXXXXX";
    dir = mkdtemp(pattern);
    // cupsd refuses trees that others cannot traverse.
    chmod(dir.c_str(), 0755);
    for (const char* sub : {"etc", "etc/ppd", "bin", "bin/backend", "bin/filter", "data", "data/model", "cache",
             "state", "spool", "spool/tmp", "log", "wrap"})
        mkdir((dir + "/" + sub).c_str(), 0755);
    chmod((dir + "/spool").c_str(), 0710);
    for (const char* part : {"daemon", "cgi-bin", "notifier", "monitor"})
        symlink((std::string("/usr/lib/cups/") + part).c_str(), (dir + "/bin/" + part).c_str());
    for (const char* part : {"banners", "charsets", "data", "drv", "locale", "mime", "ppdc", "templates", "usb",
             "fonts", "profiles", "ipptool", "examples"})
        symlink((std::string("/usr/share/cups/") + part).c_str(), (dir + "/data/" + part).c_str());
    Write(dir + "/data/model/KORVANE_ZR.ppd", kPpd);
    // The real backend is another program; queues only need the scheme to exist.
    Write(dir + "/bin/backend/korvane-zvobackend", "#!/bin/sh\nexit 0\n", 0755);

    // The daemon runs under umockdev's preload, which its children inherit;
    // the real lpadmin has no business on the emulated bus.
    const std::string log = dir + "/commands.log";
    Write(dir + "/wrap/lpadmin", "#!/bin/sh\nprintf '%s\\n' \"lpadmin $*\" >> " + log + "\nexec env -u LD_PRELOAD -u UMOCKDEV_DIR /usr/sbin/lpadmin \"$@\" 2>>" + dir + "/log/lpadmin_errors\n",
        0755);
    Write(dir + "/wrap/chcon", "#!/bin/sh\nprintf '%s\\n' \"chcon $*\" >> " + log + "\nexit 0\n", 0755);

    Write(dir + "/etc/cupsd.conf",
        "Listen " + dir + "/cups.sock\n"
        "Browsing Off\nBrowseLocalProtocols none\nDefaultShared No\nWebInterface No\n"
        "ErrorPolicy abort-job\nJobRetryLimit 0\nDirtyCleanInterval 0\nLogLevel warn\n"
        // Peer-credential authentication needs a location to apply to.
        "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
        "<Location /admin>\nOrder allow,deny\nAllow all\n</Location>\n"
        "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n"
        "<Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class "
        "CUPS-Set-Default>\nAuthType Default\nRequire user @SYSTEM\nOrder deny,allow\n</Limit>\n</Policy>\n");
    Write(dir + "/etc/cups-files.conf",
        "SystemGroup root\nServerRoot " + dir + "/etc\nServerBin " + dir + "/bin\nDataDir " + dir +
            "/data\nCacheDir " + dir + "/cache\nStateDir " + dir + "/state\nRequestRoot " + dir +
            "/spool\nTempDir " + dir + "/spool/tmp\nDocumentRoot /usr/share/cups/doc-root\nAccessLog " + dir +
            "/log/access_log\nErrorLog " + dir + "/log/error_log\nPageLog " + dir + "/log/page_log\nPrintcap " +
            dir + "/printcap\n");
}

PrivateCups::~PrivateCups()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    CommandOutput("rm -rf '" + dir + "'");
}

bool PrivateCups::Start()
{
    pid = fork();
    if (pid == 0) {
        // The scheduler must not see the emulated USB bus.
        unsetenv("LD_PRELOAD");
        unsetenv("UMOCKDEV_DIR");
        execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (dir + "/etc/cupsd.conf").c_str(), "-s",
            (dir + "/etc/cups-files.conf").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setenv("CUPS_SERVER", (dir + "/cups.sock").c_str(), 1);
    setenv("CUPS_SERVERROOT", (dir + "/etc").c_str(), 1);
    setenv("HOME", dir.c_str(), 1);
    const std::string path = dir + "/wrap:" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    setenv("PATH", path.c_str(), 1);
    for (int i = 0; i < 200; ++i) {
        if (CommandOutput("lpstat -r 2>/dev/null").find("scheduler is running") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::vector<std::pair<std::string, std::string>> PrivateCups::Queues() const
{
    std::vector<std::pair<std::string, std::string>> queues;
    std::istringstream lines(CommandOutput("lpstat -v 2>/dev/null"));
    std::string line;
    const std::string lead = "device for ";
    while (std::getline(lines, line)) {
        const size_t colon = line.find(": ");
        if (line.compare(0, lead.size(), lead) != 0 || colon == std::string::npos)
            continue;
        queues.emplace_back(line.substr(lead.size(), colon - lead.size()), line.substr(colon + 2));
    }
    return queues;
}

bool PrivateCups::AddQueue(const std::string& name, const std::string& uri) const
{
    return system(("/usr/sbin/lpadmin -p '" + name + "' -E -m KORVANE_ZR.ppd -v '" + uri +
                      "' </dev/null >/dev/null 2>&1")
                      .c_str()) == 0;
}

std::vector<std::string> PrivateCups::Commands() const
{
    std::vector<std::string> commands;
    std::ifstream in(dir + "/commands.log");
    std::string line;
    while (std::getline(in, line))
        commands.push_back(line);
    return commands;
}
