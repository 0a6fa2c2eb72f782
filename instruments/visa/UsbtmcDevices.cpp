#include "instruments/visa/UsbtmcDevices.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <strings.h>

namespace visa {

namespace {

std::mutex g_rootsMutex;
std::string g_sysfsRoot = "/sys";
std::string g_deviceRoot = "/dev";

std::string ReadAttribute(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    return value;
}

bool ParseHex(const std::string& text, unsigned limit, unsigned& value) {
    if (text.empty() || text.size() > 8)
        return false;
    try {
        size_t used = 0;
        const unsigned long parsed = std::stoul(text, &used, 16);
        if (used != text.size() || parsed > limit)
            return false;
        value = static_cast<unsigned>(parsed);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::string SUsbtmcDevice::ResourceName() const {
    char ids[64];
    std::snprintf(ids, sizeof ids, "USB0::0x%04X::0x%04X::", vendorId, productId);
    return ids + serial + "::INSTR";
}

void CUsbtmcDevices::SetSysfsRoot(const std::string& root) {
    std::lock_guard lock(g_rootsMutex);
    g_sysfsRoot = root;
}

void CUsbtmcDevices::SetDeviceRoot(const std::string& root) {
    std::lock_guard lock(g_rootsMutex);
    g_deviceRoot = root;
}

std::string CUsbtmcDevices::SysfsRoot() {
    std::lock_guard lock(g_rootsMutex);
    return g_sysfsRoot;
}

std::string CUsbtmcDevices::DeviceRoot() {
    std::lock_guard lock(g_rootsMutex);
    return g_deviceRoot;
}

std::vector<SUsbtmcDevice> CUsbtmcDevices::Enumerate() {
    namespace fs = std::filesystem;
    const fs::path sysfs = SysfsRoot();
    const fs::path devices = DeviceRoot();
    std::vector<SUsbtmcDevice> found;
    for (const char* classFolder : {"class/usbmisc", "class/usb"}) {
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(sysfs / classFolder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.compare(0, 6, "usbtmc") != 0)
                continue;
            std::error_code linkError;
            // device -> the USB interface; its parent is the USB device with the ids.
            const fs::path interfaceDir = fs::canonical(entry.path() / "device", linkError);
            if (linkError)
                continue;
            const fs::path deviceDir = interfaceDir.parent_path();
            SUsbtmcDevice device;
            unsigned interfaceNumber = 0;
            if (!ParseHex(ReadAttribute(deviceDir / "idVendor"), 0xFFFF, device.vendorId) ||
                !ParseHex(ReadAttribute(deviceDir / "idProduct"), 0xFFFF, device.productId))
                continue;
            if (ParseHex(ReadAttribute(interfaceDir / "bInterfaceNumber"), 0xFF, interfaceNumber))
                device.interfaceNumber = static_cast<int>(interfaceNumber);
            device.serial = ReadAttribute(deviceDir / "serial");
            device.node = (devices / name).string();
            if (std::none_of(found.begin(), found.end(),
                             [&](const SUsbtmcDevice& d) { return d.node == device.node; }))
                found.push_back(device);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const SUsbtmcDevice& a, const SUsbtmcDevice& b) { return a.node < b.node; });
    return found;
}

bool CUsbtmcDevices::Find(unsigned vendorId, unsigned productId, const std::string& serial,
                          int interfaceNumber, SUsbtmcDevice& found) {
    for (const SUsbtmcDevice& device : Enumerate()) {
        if (device.vendorId == vendorId && device.productId == productId &&
            ::strcasecmp(device.serial.c_str(), serial.c_str()) == 0 &&
            (interfaceNumber < 0 || device.interfaceNumber == interfaceNumber)) {
            found = device;
            return true;
        }
    }
    return false;
}

} // namespace visa
