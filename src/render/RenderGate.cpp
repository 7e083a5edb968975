#include "render/RenderGate.h"

namespace corvid {

void RenderGate::Close()
{
    allowed_.store(false);
    for (int running = inProgress_.load(); running != 0; running = inProgress_.load())
        inProgress_.wait(running);
}

void RenderGate::Open()
{
    allowed_.store(true);
}

RenderGate::Pass::Pass(RenderGate& gate) : gate_(gate)
{
    // Raise the count before looking at the gate: a Close that lowered the
    // gate in between then waits for this pass, and a Close that comes later
    // sees the count.
    gate_.inProgress_.fetch_add(1);
    if (gate_.allowed_.load()) {
        entered_ = true;
        return;
    }
    gate_.inProgress_.fetch_sub(1);
    gate_.inProgress_.notify_all();
}

RenderGate::Pass::~Pass()
{
    if (!entered_)
        return;
    gate_.inProgress_.fetch_sub(1);
    gate_.inProgress_.notify_all();
}

RenderGate& ProcessRenderGate()
{
    static RenderGate gate;
    return gate;
}

} // namespace corvid
