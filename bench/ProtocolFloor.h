#pragma once

#include "device/DeviceSimulator.h"

/** The least time the device protocol itself allows for a job, on a given wire: the pause the
    device needs before each request, plus the time every frame of the conversation spends on
    the wire, each frame leaving the moment the frame it answers has arrived. The program and
    the device are taken to think in no time at all, and the watch thread and the polling cost
    nothing, so a measured job can only be slower; the ratio says by how much.
*/
class ProtocolFloor
{
public:
    explicit ProtocolFloor (const WireModel& wireModel) : wire (wireModel) {}

    /** The pause the device needs before it takes each request. */
    static constexpr double pauseBeforeRequestMs = 40.0;

    /** Each of these adds one exchange after the ones before and returns the total so far in ms. */
    double addNameRead();
    double addFullRead (int parameterCount);
    double addSend (int parameterCount);

    double getTotalMs() const noexcept { return now; }

private:
    struct Direction
    {
        double freeAt = 0.0;
    };

    /** A frame that leaves at sentAt; returns when its last byte has arrived. One direction
        carries one frame at a time.
    */
    double transfer (Direction& direction, int bytes, double sentAt);
    double toDevice (int bytes, double sentAt) { return transfer (computerToDevice, bytes, sentAt); }
    double toComputer (int bytes, double sentAt) { return transfer (deviceToComputer, bytes, sentAt); }

    double startExchange();

    WireModel wire;
    Direction computerToDevice, deviceToComputer;
    double now = 0.0;
};
