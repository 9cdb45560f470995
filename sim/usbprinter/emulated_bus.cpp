#include "emulated_bus.h"

#include <umockdev.h>

#include <sys/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>

namespace zrsim {

namespace {

constexpr int kBus = 1;

// One submitted URB, kept until the host reaps it. Like the kernel's usbfs,
// a URB belongs to the open file that submitted it: only that file reaps or
// discards it, so two programs with the printer open never see each
// other's transfers.
struct Urb {
    UMockdevIoctlClient* owner = nullptr;
    UMockdevIoctlData* data = nullptr;  // the client's usbdevfs_urb
    bool done = false;
    int status = 0;
    int actual = 0;
};

void DropUrb(Urb& u)
{
    g_object_unref(u.data);
    g_object_unref(u.owner);
}

std::string Descriptors(const DeviceOptions& o)
{
    const uint8_t bytes[] = {
        // device: USB 2.0, class per interface, 64-byte ep0, ids, strings 1-3
        18, 1, 0x00, 0x02, 0, 0, 0, 64, static_cast<uint8_t>(o.vendor & 0xFF), static_cast<uint8_t>(o.vendor >> 8),
        static_cast<uint8_t>(o.product & 0xFF), static_cast<uint8_t>(o.product >> 8), 0x00, 0x01, 1, 2, 3, 1,
        // configuration 1: one interface, self powered
        9, 2, 32, 0, 1, 1, 0, 0xC0, 1,
        // interface 0: printer class, bidirectional
        9, 4, 0, 0, 2, 7, 1, 2, 0,
        // bulk-out 0x01 and bulk-in 0x82, 512-byte packets
        7, 5, 0x01, 2, 0x00, 0x02, 0,
        7, 5, 0x82, 2, 0x00, 0x02, 0,
    };
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void MakeDirs(const std::string& path)
{
    for (size_t at = 1; at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0755);
    mkdir(path.c_str(), 0755);
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace

struct EmulatedDevice {
    EmulatedBus* bus = nullptr;
    int id = 0;
    int devnum = 0;
    std::string sysname;
    std::string syspath;
    std::string devnode;
    std::shared_ptr<ZrPrinterModel> model;
    DeviceOptions options;
    UMockdevIoctlBase* handler = nullptr;

    std::mutex lock;
    bool driverBound = false;
    bool gone = false;
    bool unplugHandled = false;
    std::deque<Urb> urbs;
    // The open file holding interface 0, as usbfs keeps it: one holder at a
    // time, another file's claim is refused with EBUSY.
    UMockdevIoctlClient* claimant = nullptr;
    int opens = 0;

    gboolean Handle(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    bool Progress(Urb& urb);
    void ClaimOrRelease(UMockdevIoctlClient* client, bool claim, unsigned int interface);
    // Drops what `client` holds, or with nullptr what closed files hold.
    void Forget(UMockdevIoctlClient* client);
    void GoneNow();
};

namespace {

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user)
{
    return static_cast<EmulatedDevice*>(user)->Handle(client);
}

void OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user)
{
    auto* d = static_cast<EmulatedDevice*>(user);
    {
        std::lock_guard<std::mutex> hold(d->lock);
        d->Forget(client);
    }
    d->bus->Record(d->id, AccessEntry::Vanish);
}

usbdevfs_urb* UrbOf(UMockdevIoctlData* data)
{
    return reinterpret_cast<usbdevfs_urb*>(data->data);
}

}  // namespace

void EmulatedDevice::GoneNow()
{
    gone = true;
    for (Urb& u : urbs) {
        if (!u.done) {
            u.done = true;
            u.status = -ESHUTDOWN;
            u.actual = 0;
        }
    }
}

gboolean EmulatedDevice::Handle(UMockdevIoctlClient* client)
{
    std::lock_guard<std::mutex> hold(lock);
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    if (!gone && model->UnplugRequested())
        GoneNow();
    const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
    if (gone && !reap) {
        // Still logged: the host's last release of a vanished device ends
        // its access in the log too.
        if (request == USBDEVFS_RELEASEINTERFACE)
            bus->Record(id, AccessEntry::Release);
        else
            bus->Record(id, AccessEntry::Other);
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }
    GError* error = nullptr;
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        ++opens;
        bus->Record(id, AccessEntry::Open);
        UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(uint32_t), &error);
        if (caps == nullptr) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        // One URB per transfer, however large: the host's chunks stay visible.
        *reinterpret_cast<uint32_t*>(caps->data) = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(caps);
        return TRUE;
    }
    case USBDEVFS_GETDRIVER: {
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), &error);
        if (d == nullptr) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        auto* gd = reinterpret_cast<usbdevfs_getdriver*>(d->data);
        if (gd->interface == 0 && driverBound) {
            snprintf(gd->driver, sizeof gd->driver, "usblp");
            umockdev_ioctl_client_complete(client, 0, 0);
        } else {
            umockdev_ioctl_client_complete(client, -1, ENODATA);
        }
        g_object_unref(d);
        return TRUE;
    }
    case USBDEVFS_IOCTL: {
        bus->Record(id, AccessEntry::Detach);
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_ioctl), &error);
        if (d == nullptr) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        const auto* io = reinterpret_cast<usbdevfs_ioctl*>(d->data);
        if (io->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
            if (!driverBound)
                umockdev_ioctl_client_complete(client, -1, ENODATA);
            else if (options.detachRefused)
                umockdev_ioctl_client_complete(client, -1, EPERM);
            else {
                driverBound = false;
                umockdev_ioctl_client_complete(client, 0, 0);
            }
        } else {
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
        }
        g_object_unref(d);
        return TRUE;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE: {
        const bool claim = request == USBDEVFS_CLAIMINTERFACE;
        bus->Record(id, claim ? AccessEntry::Claim : AccessEntry::Release);
        UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned int), &error);
        if (d == nullptr) {
            g_clear_error(&error);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return TRUE;
        }
        const unsigned int interface = *reinterpret_cast<unsigned int*>(d->data);
        g_object_unref(d);
        ClaimOrRelease(client, claim, interface);
        return TRUE;
    }
    case USBDEVFS_SUBMITURB:
        Submit(client, arg);
        return TRUE;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        Reap(client, arg);
        return TRUE;
    case USBDEVFS_DISCARDURB:
        Discard(client, arg);
        return TRUE;
    default:
        bus->Record(id, AccessEntry::Other);
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
}

void EmulatedDevice::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    GError* error = nullptr;
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), &error);
    if (data == nullptr) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    usbdevfs_urb* urb = UrbOf(data);
    Urb u;
    u.data = data;
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        bus->Record(id, AccessEntry::Control);
    } else if (urb->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == 0x01) {
        bus->Record(id, AccessEntry::BulkOut);
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(data, offsetof(usbdevfs_urb, buffer),
            static_cast<gsize>(urb->buffer_length), &error);
        if (buffer == nullptr) {
            g_clear_error(&error);
            g_object_unref(data);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
        u.actual = static_cast<int>(model->ReceiveBulkOut(buffer->data, static_cast<size_t>(buffer->data_len)));
        u.done = true;
        g_object_unref(buffer);
        if (model->UnplugRequested())
            GoneNow();
    } else if (urb->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == 0x82) {
        bus->Record(id, AccessEntry::BulkIn);
    } else {
        g_object_unref(data);
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    u.owner = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    urbs.push_back(u);
    umockdev_ioctl_client_complete(client, 0, 0);
}

// Fills a waiting control or bulk-in URB if the printer has something to say.
bool EmulatedDevice::Progress(Urb& u)
{
    if (u.done)
        return true;
    usbdevfs_urb* urb = UrbOf(u.data);
    GError* error = nullptr;
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(u.data, offsetof(usbdevfs_urb, buffer),
        static_cast<gsize>(urb->buffer_length), &error);
    if (buffer == nullptr) {
        g_clear_error(&error);
        u.done = true;
        u.status = -EFAULT;
        return true;
    }
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL && buffer->data_len < 8) {
        u.done = true;
        u.status = -EINVAL;
    } else if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        const uint8_t* setup = buffer->data;
        const uint16_t value = static_cast<uint16_t>(setup[2] | (setup[3] << 8));
        const uint16_t index = static_cast<uint16_t>(setup[4] | (setup[5] << 8));
        const uint16_t length = static_cast<uint16_t>(setup[6] | (setup[7] << 8));
        const size_t room = std::min<size_t>(length, static_cast<size_t>(buffer->data_len) - 8);
        const int n = model->ControlIn(setup[0], setup[1], value, index, buffer->data + 8, room);
        u.done = true;
        u.status = n < 0 ? -EPIPE : 0;
        u.actual = n < 0 ? 0 : n;
    } else {
        const int n = model->SendBulkIn(buffer->data, static_cast<size_t>(buffer->data_len));
        if (n < 0) {
            u.done = true;
            u.status = -EPROTO;
        } else if (n > 0) {
            u.done = true;
            u.actual = n;
        }
    }
    g_object_unref(buffer);
    return u.done;
}

void EmulatedDevice::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    for (auto it = urbs.begin(); it != urbs.end(); ++it) {
        if (it->owner != client || !Progress(*it))
            continue;
        Urb u = *it;
        urbs.erase(it);
        usbdevfs_urb* urb = UrbOf(u.data);
        urb->status = u.status;
        urb->actual_length = u.actual;
        GError* error = nullptr;
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), &error);
        if (slot == nullptr) {
            g_clear_error(&error);
            DropUrb(u);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
        umockdev_ioctl_data_set_ptr(slot, 0, u.data);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(slot);
        DropUrb(u);
        return;
    }
    umockdev_ioctl_client_complete(client, -1, gone ? ENODEV : EAGAIN);
}

void EmulatedDevice::ClaimOrRelease(UMockdevIoctlClient* client, bool claim, unsigned int interface)
{
    if (interface != 0) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    if (!claim) {
        const bool held = claimant == client;
        if (held)
            g_clear_object(&claimant);
        umockdev_ioctl_client_complete(client, held ? 0 : -1, held ? 0 : EINVAL);
        return;
    }
    // A file that closed while holding the interface keeps nobody out.
    Forget(nullptr);
    if (driverBound || (claimant != nullptr && claimant != client)) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return;
    }
    if (claimant == nullptr)
        claimant = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    umockdev_ioctl_client_complete(client, 0, 0);
}

// A closed file gives up its claim and its URBs, as usbfs does on release.
// umockdev does not always announce a closed file, so a claim first sweeps
// out the files that are no longer connected (a closed file's URBs are never
// reaped by anyone else meanwhile); the claim and the URBs hold a reference
// on their file, so a new file never takes an old one's place.
void EmulatedDevice::Forget(UMockdevIoctlClient* client)
{
    const auto closed = [client](UMockdevIoctlClient* c) {
        return c == client || (client == nullptr && !umockdev_ioctl_client_get_connected(c));
    };
    if (claimant != nullptr && closed(claimant))
        g_clear_object(&claimant);
    for (auto it = urbs.begin(); it != urbs.end();) {
        if (closed(it->owner)) {
            DropUrb(*it);
            it = urbs.erase(it);
        } else {
            ++it;
        }
    }
}

void EmulatedDevice::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    const gulong address = *reinterpret_cast<gulong*>(arg->data);
    for (Urb& u : urbs) {
        if (u.owner == client && u.data->client_addr == address && !u.done) {
            u.done = true;
            u.status = -ENOENT;
            u.actual = 0;
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        }
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

EmulatedBus::EmulatedBus()
{
    testbed = umockdev_testbed_new();
    char* dir = umockdev_testbed_get_root_dir(testbed);
    root = dir;
    g_free(dir);
    watcher = std::thread([this] { WatchUnplugRequests(); });
}

EmulatedBus::~EmulatedBus()
{
    stopping = true;
    watcher.join();
    {
        std::lock_guard<std::mutex> hold(lock);
        for (auto& entry : devices) {
            EmulatedDevice& d = *entry.second;
            umockdev_testbed_detach_ioctl(testbed, d.devnode.c_str(), nullptr);
            g_object_unref(d.handler);
            for (Urb& u : d.urbs)
                DropUrb(u);
            g_clear_object(&d.claimant);
        }
    }
    g_object_unref(testbed);
}

bool EmulatedBus::Available()
{
    // The testbed sets UMOCKDEV_DIR itself, so the preload is what counts.
    const char* preload = getenv("LD_PRELOAD");
    return preload != nullptr && strstr(preload, "libumockdev-preload") != nullptr;
}

int EmulatedBus::Plug(std::shared_ptr<ZrPrinterModel> model, DeviceOptions options)
{
    auto d = std::make_unique<EmulatedDevice>();
    EmulatedDevice* device = d.get();
    int id;
    {
        std::lock_guard<std::mutex> hold(lock);
        id = nextId++;
        device->bus = this;
        device->id = id;
        device->devnum = NextAddress(id);
        device->model = std::move(model);
        device->options = options;
        device->driverBound = options.kernelDriverBound;
        devices[id] = std::move(d);
    }
    char text[64];
    snprintf(text, sizeof text, "%d-%d", kBus, id);
    device->sysname = text;
    snprintf(text, sizeof text, "/dev/bus/usb/%03d/%03d", kBus, device->devnum);
    device->devnode = text;
    // An address comes back only long after its last device left; that
    // device's request handler still sits on the node, and the testbed
    // keeps its /sys/dev/char link when it removes a device.
    umockdev_testbed_detach_ioctl(testbed, device->devnode.c_str(), nullptr);
    const int minor = (kBus - 1) * 128 + device->devnum - 1;
    unlink((root + "/sys/dev/char/189:" + std::to_string(minor)).c_str());

    // umockdev announces the device as soon as it is added, so its
    // descriptors, node and request handler must exist before.
    const std::string sysdir = root + "/sys/devices/" + device->sysname;
    MakeDirs(sysdir);
    WriteWhole(sysdir + "/descriptors", Descriptors(options));
    const std::string node = root + device->devnode;
    MakeDirs(node.substr(0, node.rfind('/')));
    WriteWhole(node, std::string());
    device->handler = umockdev_ioctl_base_new();
    g_signal_connect(device->handler, "handle-ioctl", G_CALLBACK(OnIoctl), device);
    g_signal_connect(device->handler, "client-vanished", G_CALLBACK(OnVanished), device);
    umockdev_testbed_attach_ioctl(testbed, device->devnode.c_str(), device->handler, nullptr);

    char busnum[16], devnum[16], dev[32], busnum3[16], devnum3[16];
    snprintf(busnum, sizeof busnum, "%d\n", kBus);
    snprintf(devnum, sizeof devnum, "%d\n", device->devnum);
    snprintf(dev, sizeof dev, "189:%d\n", minor);
    snprintf(busnum3, sizeof busnum3, "%03d", kBus);
    snprintf(devnum3, sizeof devnum3, "%03d", device->devnum);
    char* syspath = umockdev_testbed_add_device(testbed, "usb", device->sysname.c_str(), nullptr,
        "busnum", busnum, "devnum", devnum, "dev", dev, "speed", "480\n", "bConfigurationValue", "1\n",
        nullptr,
        "DEVNAME", device->devnode.c_str(), "DEVTYPE", "usb_device", "BUSNUM", busnum3, "DEVNUM", devnum3,
        nullptr);
    device->syspath = syspath == nullptr ? "" : syspath;
    g_free(syspath);
    return id;
}

void EmulatedBus::Unplug(int id)
{
    EmulatedDevice* d = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        auto it = devices.find(id);
        if (it == devices.end())
            return;
        d = it->second.get();
    }
    {
        std::lock_guard<std::mutex> hold(d->lock);
        if (d->unplugHandled)
            return;
        d->unplugHandled = true;
        d->GoneNow();
    }
    umockdev_testbed_uevent(testbed, d->syspath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed, d->syspath.c_str());
    std::lock_guard<std::mutex> hold(lock);
    auto owner = addressOwner.find(d->devnum);
    if (owner != addressOwner.end() && owner->second == id)
        addressOwner.erase(owner);
}

// Called with the lock held. Device numbers are a byte on the bus (and to
// libusb, which ignores a device whose number does not fit), so they must
// be reused; like the kernel, the next free one after the last given.
int EmulatedBus::NextAddress(int id)
{
    for (int tried = 0; tried < 126; ++tried) {
        const int address = nextDevnum;
        nextDevnum = nextDevnum >= 127 ? 2 : nextDevnum + 1;
        if (addressOwner.emplace(address, id).second)
            return address;
    }
    return -1;
}

void EmulatedBus::WatchUnplugRequests()
{
    while (!stopping) {
        std::vector<int> due;
        {
            std::lock_guard<std::mutex> hold(lock);
            for (auto& entry : devices)
                if (!entry.second->unplugHandled && entry.second->model->UnplugRequested())
                    due.push_back(entry.first);
        }
        for (int id : due)
            Unplug(id);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::shared_ptr<ZrPrinterModel> EmulatedBus::Model(int id) const
{
    std::lock_guard<std::mutex> hold(lock);
    auto it = devices.find(id);
    return it == devices.end() ? nullptr : it->second->model;
}

std::string EmulatedBus::DevNode(int id) const
{
    std::lock_guard<std::mutex> hold(lock);
    auto it = devices.find(id);
    return it == devices.end() ? std::string() : it->second->devnode;
}

void EmulatedBus::Record(int device, AccessEntry::Kind kind)
{
    std::lock_guard<std::mutex> hold(lock);
    log.push_back({device, kind, std::chrono::steady_clock::now()});
}

std::vector<AccessEntry> EmulatedBus::Log() const
{
    std::lock_guard<std::mutex> hold(lock);
    return log;
}

void EmulatedBus::ClearLog()
{
    std::lock_guard<std::mutex> hold(lock);
    log.clear();
}

int EmulatedBus::Opens(int id) const
{
    std::lock_guard<std::mutex> hold(lock);
    int n = 0;
    for (const AccessEntry& e : log)
        if (e.device == id && e.kind == AccessEntry::Open)
            ++n;
    return n;
}

std::string EmulatedBus::SerialisationViolation() const
{
    std::lock_guard<std::mutex> hold(lock);
    int open = 0;  // device inside an access, 0 for none
    for (size_t i = 0; i < log.size(); ++i) {
        const AccessEntry& e = log[i];
        if (e.kind == AccessEntry::Vanish) {
            if (e.device == open)
                open = 0;
            continue;
        }
        if (open != 0 && e.device != open)
            return "device " + std::to_string(e.device) + " addressed at entry " + std::to_string(i) +
                " while device " + std::to_string(open) + " was open";
        if (e.kind == AccessEntry::Open)
            open = e.device;
        else if (e.kind == AccessEntry::Release)
            open = 0;
    }
    return std::string();
}

}  // namespace zrsim
