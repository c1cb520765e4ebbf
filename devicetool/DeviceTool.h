// One run of the device tool over a device service: the Win32 service does the
// effects (list, ask the class installer, read back), this decides and words.
#pragma once
#include <string>
#include <vector>

#include "devicetool/DeviceToolRules.h"

namespace devtool {

class IDeviceService {
public:
    virtual ~IDeviceService() = default;
    // The present devices, at most kMaxDevices of them: a longer list is
    // TooLong, never a list cut short.
    [[nodiscard]] virtual ListResult ListDevices(std::vector<Device>& devices) = 0;
    // Asks the class installer of devices[index] to disable or enable it in
    // scope; true when it accepted the request.
    [[nodiscard]] virtual bool RequestChange(size_t index, Verb verb, Scope scope) = 0;
    // True when the device's install parameters ask for a restart or reboot.
    virtual bool RestartRequested(size_t index) = 0;
    virtual SDeviceNodeStatus ReadStatus(size_t index) = 0;
};

// What the process knows of itself.
struct Environment {
    bool wow64 = false;      // a 32-bit build on 64-bit Windows
    bool elevated = true;    // administrator rights
    std::string version;     // shown in the usage text
};

Report RunTool(const std::vector<std::wstring>& args, const Environment& env, IDeviceService& devices);

}  // namespace devtool
