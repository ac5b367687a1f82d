#pragma once

#include "simulator/DeviceSimulator.h"
#include "device/LibrarianTimings.h"

/** The least time the device protocol and the librarian's deliberate pauses allow for a job, on
    a given wire: the pause the device needs before each request, the time every frame of the
    conversation spends on the wire, each frame leaving the moment the frame it answers has
    arrived, and the pauses the job itself makes for the device and the user (before its first
    request, after its last transfer, before the start-up read). The program and the device are
    taken to think in no time at all, so a measured job can only be slower; the ratio says by how
    much.
*/
class ProtocolFloor
{
public:
    ProtocolFloor (const WireModel& wireModel, const LibrarianTimings& librarianTimings)
        : wire (wireModel), timings (librarianTimings)
    {
    }

    /** Each of these adds one exchange after the ones before and returns the total so far in ms. */
    double addNameRead();
    double addFullRead (int parameterCount);
    double addSend (int parameterCount);

    /** The pause between a job's window coming up and its first request. */
    void addJobStart() { addPause (timings.pauseBeforeJobMs); }

    /** The pause after a job's last transfer, which leaves its last status on screen. */
    void addJobEnd() { addPause (timings.pauseAfterTransferMs); }

    /** The pause between the device's ports opening at start-up and the first read. */
    void addStartupPause() { addPause (timings.pauseBeforeFirstReadMs); }

    double getTotalMs() const noexcept { return now; }

    /** Of the total, the pauses before each request, and the job's own pauses. */
    double getRequestPausesMs() const noexcept { return requestPausesMs; }
    double getJobPausesMs() const noexcept { return jobPausesMs; }

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
    void addPause (int ms);

    WireModel wire;
    LibrarianTimings timings;
    double requestPausesMs = 0.0, jobPausesMs = 0.0;
    Direction computerToDevice, deviceToComputer;
    double now = 0.0;
};
