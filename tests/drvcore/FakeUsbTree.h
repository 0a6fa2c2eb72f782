#pragma once

#include "instruments/visa/UsbtmcDevices.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace drvcoretest {

// A fake sysfs tree and device folder in a fresh temporary folder, made current for the finder.
class CFakeUsbTree {
public:
    CFakeUsbTree() {
        char pattern[] = "/tmp/lumora-usb-XXXXXX";
        m_root = ::mkdtemp(pattern);
        std::filesystem::create_directories(m_root / "sys/class/usbmisc");
        std::filesystem::create_directories(m_root / "dev");
        visa::CUsbtmcDevices::SetSysfsRoot((m_root / "sys").string());
        visa::CUsbtmcDevices::SetDeviceRoot((m_root / "dev").string());
    }
    ~CFakeUsbTree() {
        visa::CUsbtmcDevices::SetSysfsRoot("/sys");
        visa::CUsbtmcDevices::SetDeviceRoot("/dev");
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    // Adds usbtmc<index> for the ids and serial; 'node' (optional) becomes its device file.
    void AddDevice(int index, const char* vid, const char* pid, const char* serial,
                   const std::string& node = {}, const std::string& classFolder = "class/usbmisc") {
        namespace fs = std::filesystem;
        const std::string name = "usbtmc" + std::to_string(index);
        const fs::path device = m_root / "sys/devices/pci0000:00/usb1" / ("1-" + std::to_string(index + 1));
        const fs::path interface = device / ("1-" + std::to_string(index + 1) + ":1.0");
        fs::create_directories(interface);
        Write(device / "idVendor", vid);
        Write(device / "idProduct", pid);
        if (serial != nullptr)
            Write(device / "serial", serial);
        Write(interface / "bInterfaceNumber", "00");
        fs::create_directories(m_root / "sys" / classFolder / name);
        fs::create_directory_symlink(interface, m_root / "sys" / classFolder / name / "device");
        if (!node.empty())
            fs::create_symlink(node, m_root / "dev" / name);
    }

    std::filesystem::path Root() const { return m_root; }

private:
    static void Write(const std::filesystem::path& file, const char* text) {
        std::ofstream(file) << text << "\n";
    }

    std::filesystem::path m_root;
};

} // namespace drvcoretest
