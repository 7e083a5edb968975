#pragma once
// The gate between a full-screen switch and a render running elsewhere. A
// switch closes the gate and waits for the render in progress to end; a
// render that finds the gate closed skips its picture. Both sides may run on
// different threads: the flags are atomic.

#include <atomic>

namespace corvid {

class RenderGate {
public:
    // No render starts after this; returns once the renders in progress
    // have ended. Sleeps on the in-progress count, never spins.
    void Close();
    void Open();
    bool IsOpen() const { return allowed_.load(); }
    int InProgress() const { return inProgress_.load(); }

    // Held around one render. Converts to false when the gate was closed:
    // the render must not run then.
    class Pass {
    public:
        explicit Pass(RenderGate& gate);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        explicit operator bool() const { return entered_; }

    private:
        RenderGate& gate_;
        bool entered_ = false;
    };

private:
    std::atomic<bool> allowed_{true};
    std::atomic<int> inProgress_{0};
};

// The one gate of the program, shared by the views and playback.
RenderGate& ProcessRenderGate();

} // namespace corvid
