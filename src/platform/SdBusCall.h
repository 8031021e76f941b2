#pragma once
// A method call on an sd-bus connection that never waits longer than it was told. sd-bus's own
// sd_bus_call waits up to 90 s for the connection's greeting before its time-out even starts, and
// cannot be stopped: a bus that takes the connection and never answers would hold a job that long.
// Here the greeting, the Hello and the reply share one time-out, and a stop ends the wait at once.
#include <chrono>
#include <stop_token>

#include "platform/SdBusHandles.h"

namespace sdbus {

// Sends request on bus and waits for its reply. 0 with reply set; else a negative errno:
// -ETIMEDOUT after timeout, -ECANCELED once stop is requested, or the connection's failure; a
// D-Bus error the other side answered with is in error (its errno returned).
int CallWithin(sd_bus* bus, sd_bus_message* request, std::chrono::milliseconds timeout, const std::stop_token& stop,
               BusError& error, Message& reply);

}  // namespace sdbus
