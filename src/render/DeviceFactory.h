#pragma once
// Creates render devices for views. The GUI implements it over its OpenGL
// renderer, tests with a fake; the core never knows how a device is made.

#include "platform/Device.h"

#include <memory>

namespace corvid {

struct DriverRecord;
class ViewWindow;

struct DeviceRequest {
    int driverIndex = 0;
    const DriverRecord* driver = nullptr;  // null when the driver table is empty
    int width = 0, height = 0;             // picture size, already scaled by the detail level
    int zDepth = 16;                       // 8, 16, 24 or 32
    ViewWindow* window = nullptr;          // the window the picture is shown in
    bool fullScreen = false;
};

class DeviceFactory {
public:
    virtual ~DeviceFactory() = default;

    // A device for request, or null when it cannot be made.
    virtual std::unique_ptr<Device> CreateDevice(const DeviceRequest& request) = 0;

    // Switches the screen to width x height at depth bits for the full-screen
    // view; false when the display cannot. The default accepts every mode.
    virtual bool SetDisplayMode(int width, int height, int depth)
    {
        (void)width, (void)height, (void)depth;
        return true;
    }
    // A short beep (hz, milliseconds); default silent.
    virtual void Beep(int hz, int milliseconds) { (void)hz, (void)milliseconds; }
};

} // namespace corvid
