#pragma once
// The window a view draws into, as the view code sees it. The GUI's viewport
// widget implements it; tests use a fake.

#include "render/ViewGeometry.h"

namespace corvid {

class Device;

class ViewWindow {
public:
    virtual ~ViewWindow() = default;

    // Size of the drawable area in pixels; zero while minimised or not laid
    // out.
    virtual Size ClientSize() const = 0;
    // Makes the window's drawing context current, before a device is created,
    // released or drawn with.
    virtual void MakeCurrent() = 0;
    // Shows the device's finished picture stretched onto target (client
    // pixels).
    virtual void Present(Device& device, const Rect& target) = 0;
    // Places the window inside its parent (main-window client pixels).
    virtual void SetGeometry(const Rect& rect) = 0;
    virtual void SetVisible(bool visible) = 0;
};

} // namespace corvid
