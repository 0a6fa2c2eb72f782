#pragma once

#include <string>
#include <vector>

namespace visa {

// One USBTMC interface that the kernel's usbtmc driver serves as a character device.
struct SUsbtmcDevice {
    unsigned vendorId = 0;
    unsigned productId = 0;
    std::string serial;
    int interfaceNumber = 0;
    std::string node; // the character device, e.g. /dev/usbtmc0

    // USB0::0x%04X::0x%04X::<serial>::INSTR
    std::string ResourceName() const;
};

// Finds USBTMC devices from sysfs (class/usbmisc/usbtmcN, or class/usb/usbtmcN on older kernels).
// The sysfs root and the device folder are settable so tests use a fake tree.
class CUsbtmcDevices {
public:
    static void SetSysfsRoot(const std::string& root);  // default "/sys"
    static void SetDeviceRoot(const std::string& root); // default "/dev"
    static std::string SysfsRoot();
    static std::string DeviceRoot();

    static std::vector<SUsbtmcDevice> Enumerate();
    // The device with these ids and serial (interface -1: any); false when none is attached.
    static bool Find(unsigned vendorId, unsigned productId, const std::string& serial, int interfaceNumber,
                     SUsbtmcDevice& found);
};

} // namespace visa
