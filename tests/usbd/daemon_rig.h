// The real korvane_zr_usbd process against emulated printers and a private
// CUPS scheduler, in a private /tmp. The test binary runs as root under
// unshare -m (tmpfs on /tmp) and umockdev-wrapper.
#pragma once

#include "emulated_bus.h"
#include "private_cups.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// Polls `done` every 50 ms until it holds or `seconds` have passed.
bool WaitUntil(const std::function<bool()>& done, double seconds);
std::optional<std::string> ReadWhole(const std::string& path);
void Touch(const std::string& path);
bool Exists(const std::string& path);

struct InfoValues {
    std::string model = "ZR";
    std::string status = "00000";
    std::string message = "00001";
    std::string version = "1.53";
    std::string serial;
    std::string mediaSize = "310";
    std::string mediaInitial = "400";
    std::string mediaRemain = "123";
    std::string count;
};
// The information file's exact text for these values.
std::string InfoText(const InfoValues& v);
std::string OfflineText();
std::string InfoPath(const std::string& serial);

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void StartDaemon();
    void StopDaemon();
    // Plugs a ZR printer with this serial; `change` adjusts its state first.
    int Plug(const std::string& serial, const std::function<void(zrsim::PrinterState&)>& change = nullptr,
        zrsim::DeviceOptions options = zrsim::DeviceOptions());
    std::shared_ptr<zrsim::ZrPrinterModel> Model(int id) { return bus->Model(id); }
    // Waits until a queue with this serial in its URI exists; answers its name.
    std::string WaitForQueue(const std::string& serial, double seconds = 15);
    // CPU seconds the daemon used so far.
    double DaemonCpuSeconds() const;

    std::unique_ptr<zrsim::EmulatedBus> bus;
    std::unique_ptr<PrivateCups> cups;
    pid_t daemon = -1;
    // The access log's serialisation check relies on every access releasing
    // interface 0; tests with devices that are never claimed turn it off.
    bool checkSerialised = true;
};
