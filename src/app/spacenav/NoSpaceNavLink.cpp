// Built when the controller's client library was not found: no link, so the
// controller counts as absent.

#include "app/ControllerLink.h"

namespace corvid {

std::unique_ptr<ControllerLink> MakeSpaceNavLink()
{
    return nullptr;
}

} // namespace corvid
