// The daemon's decisions that need no printer: queue numbering, the counter
// rules, a departed printer's file and the information file writer with its
// SELinux labels. Runs in a private /tmp.
#include "info_file.h"
#include "monitor_thread.h"
#include "queue_registration.h"

#include <gtest/gtest.h>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(QueueNumbering, FillsTheLastGapAndNeverReusesAName)
{
    // The daemon test registers the plain sequence (KORVANE-ZR, -2, -3).
    using Names = std::vector<std::string>;
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-2", "KORVANE-ZR-4", "KORVANE-ZR-6"}), 5);
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-3"}), 2);
    // Odd names lead the rule to a taken number; it moves on.
    EXPECT_EQ(ChooseQueueNumber(Names{"KORVANE-ZR-2", "KORVANE-ZR-02", "KORVANE-ZR-3"}), 4);
}

// Counter reads answered from a script: each entry is a reading, or -1 for
// a failed read; an empty script fails. `slow` notes whether each read was.
CounterRead Script(std::deque<int> answers, std::vector<bool>* slow = nullptr)
{
    return [answers, slow](bool isSlow, int* reading) mutable {
        if (slow != nullptr)
            slow->push_back(isSlow);
        const int a = answers.empty() ? -1 : answers.front();
        if (!answers.empty())
            answers.pop_front();
        if (a >= 0)
            *reading = a;
        return a >= 0;
    };
}

// The daemon test follows the counter through the real files; these are
// the rules it cannot reach: a printer in power saving (status 900) and a
// count request at the end of a print.
TEST(CounterRules, PowerSavingAndTheEndOfAPrint)
{
    thdata r;
    r.fileFlags = 3;
    std::vector<bool> slow;
    EXPECT_EQ(ChooseTotalCount(&r, 900, false, Script({100}, &slow)), 100);
    EXPECT_EQ(slow, std::vector<bool>{true});
    // A print just ended: read once more; a failing second read keeps the
    // first, a failing first read gets the second chance.
    EXPECT_EQ(ChooseTotalCount(&r, 0, true, Script({101, 102})), 102);
    EXPECT_EQ(ChooseTotalCount(&r, 0, true, Script({103, -1})), 103);
    EXPECT_EQ(ChooseTotalCount(&r, 0, true, Script({-1, 104})), 104);

    // The first read of a watch period does not wake a sleeping printer.
    thdata w;
    w.fileFlags = 1;
    w.bMonitorSeen = true;
    w.totalCount = 50;
    EXPECT_EQ(ChooseTotalCount(&w, 900, false, Script({60})), 50);

    // Without control files a reading is not published.
    thdata quiet;
    quiet.bCountRefresh = true;
    EXPECT_EQ(ChooseTotalCount(&quiet, 0, false, Script({9})), -1);
}

class TmpFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Private /tmp only (a fresh tmpfs): these tests create and delete names there.
        struct statfs fs;
        ASSERT_EQ(statfs("/tmp", &fs), 0);
        ASSERT_EQ(fs.f_type, static_cast<decltype(fs.f_type)>(TMPFS_MAGIC)) << "run in a private /tmp";
    }
};

TEST_F(TmpFiles, DepartedThreadLeavesTheReturnedPrintersFileAlone)
{
    // A1 was pulled and plugged in again; its new record has read the serial
    // and written the file before the old thread noticed the departure.
    // Records are matched by device address only, so stand-in addresses do.
    thdata back, gone;
    back.device = reinterpret_cast<libusb_device*>(0x1000);
    gone.device = reinterpret_cast<libusb_device*>(0x2000);
    for (thdata* r : {&back, &gone}) {
        strcpy(r->serialNo, "A1");
        r->bSerialOk = true;
    }
    gone.bDetached.store(true);
    thDevData = {&back, &gone};
    const std::string current = "#PRINTER_INFORMATION\nMODEL=\"ZR\"\n";
    std::ofstream("/tmp/ZR_A1.log") << current;
    thread_function(&gone);
    EXPECT_EQ(Slurp("/tmp/ZR_A1.log"), current);

    // A different serial, or none live any more: the offline form is written.
    strcpy(back.serialNo, "A12");
    thread_function(&gone);
    EXPECT_NE(Slurp("/tmp/ZR_A1.log").find("PRINTER_STATUS=\"99999\""), std::string::npos);
    strcpy(back.serialNo, "A1");
    std::ofstream("/tmp/ZR_A1.log") << current;
    back.bDetached.store(true);
    thread_function(&gone);
    EXPECT_NE(Slurp("/tmp/ZR_A1.log").find("PRINTER_STATUS=\"99999\""), std::string::npos);
    thDevData.clear();
}

TEST_F(TmpFiles, OfflineFormReplacesWhateverStoodUnderTheName)
{
    // Hard links and FIFOs are replaced by a file of the daemon's own; what
    // they led to stays untouched. (A planted symbolic link is the daemon
    // test's, another user's file the sandbox test's.)
    std::ofstream("/tmp/victim") << "precious";
    chmod("/tmp/victim", 0600);
    ASSERT_EQ(link("/tmp/victim", "/tmp/ZR_H1.log"), 0);
    ASSERT_EQ(mkfifo("/tmp/ZR_F1.log", 0666), 0);
    struct stat st;
    for (const char* serial : {"H1", "F1"}) {
        WriteFile(serial);
        const std::string path = std::string("/tmp/ZR_") + serial + ".log";
        ASSERT_EQ(lstat(path.c_str(), &st), 0) << serial;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << serial;
        EXPECT_EQ(st.st_nlink, 1u) << serial;
        EXPECT_EQ(st.st_mode & 07777, 0644u) << serial;
    }
    EXPECT_EQ(Slurp("/tmp/victim"), "precious");

    // A directory under the name cannot be replaced: nothing is written,
    // and no temporary file is left behind.
    ASSERT_EQ(mkdir("/tmp/ZR_D1.log", 0777), 0);
    EXPECT_FALSE(WriteInfoText("/tmp/ZR_D1.log", "x"));
    EXPECT_EQ(system("ls /tmp | grep -q 'ZR_D1.log.'"), 256);
}

// Stands in for libselinux: the daemon's labelling calls land here, and each
// notes which file the descriptor really is.
struct LabelCall {
    dev_t device;
    ino_t inode;
    std::string context;
};
std::vector<LabelCall> gLabelCalls;
bool gEnforcing = false;

}  // namespace

extern "C" int is_selinux_enabled() { return gEnforcing ? 1 : 0; }
extern "C" int security_getenforce() { return gEnforcing ? 1 : 0; }
extern "C" int fgetfilecon(int, char** context)
{
    *context = strdup("system_u:object_r:tmp_t:s0");
    return 0;
}
extern "C" int fsetfilecon(int fd, const char* context)
{
    struct stat st = {};
    fstat(fd, &st);
    gLabelCalls.push_back({st.st_dev, st.st_ino, context});
    return 0;
}

namespace {

// Labels go through the descriptor only: a relabel by path (chcon) would
// follow a planted link and leave no call here.
TEST_F(TmpFiles, OnlyTheDaemonsOwnNewFileIsRelabelled)
{
    EXPECT_FALSE(isSELinuxEnabled());
    gEnforcing = true;
    EXPECT_TRUE(isSELinuxEnabled());
    bSELinuxEnabled = true;

    // Another user plants a link to a file that must never be relabelled.
    std::ofstream("/tmp/shadow") << "secret";
    struct stat victim;
    ASSERT_EQ(stat("/tmp/shadow", &victim), 0);
    unlink("/tmp/ZR_A1.log");
    ASSERT_EQ(symlink("/tmp/shadow", "/tmp/ZR_A1.log"), 0);
    WriteFile("A1");
    WriteFile("A1");

    struct stat written;
    ASSERT_EQ(lstat("/tmp/ZR_A1.log", &written), 0);
    ASSERT_EQ(gLabelCalls.size(), 2u);
    for (const LabelCall& call : gLabelCalls) {
        EXPECT_FALSE(call.device == victim.st_dev && call.inode == victim.st_ino);
        EXPECT_EQ(call.context, "system_u:object_r:cupsd_tmp_t:s0");
    }
    // The second call labelled the file that now stands under the name.
    EXPECT_EQ(gLabelCalls.back().inode, written.st_ino);
    bSELinuxEnabled = gEnforcing = false;
}

TEST(InfoValueText, KeepsEachValueOnItsLine)
{
    EXPECT_EQ(InfoValue("a\"b\nc\x01\xff"), "a?b?c??");
}

}  // namespace
