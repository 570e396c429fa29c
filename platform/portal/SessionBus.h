#pragma once

namespace tessavo::platform {

// Whether this session has a bus to find. Without one, asking Qt for the session bus could
// start a bus daemon of its own, which nobody else talks to.
bool sessionBusKnown();

}  // namespace tessavo::platform
