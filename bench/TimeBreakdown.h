#pragma once

#include "simulator/DeviceSimulator.h"

/** Where a job's time went, taken from the simulator's transcript of the job: the time spent
    inside the exchanges (from a request to the last frame of its conversation), the time
    between them (which holds the pause the device needs before each request), and the time
    before the first request and after the last frame (the job's own pauses and file work).
*/
struct TimeBreakdown
{
    int exchanges = 0;
    double inExchangesMs = 0.0;
    double betweenExchangesMs = 0.0;
    double beforeFirstMs = 0.0;
    double afterLastMs = 0.0;

    /** The mean time from a frame of the device reaching the program to the program's answer. */
    double meanAnswerMs = 0.0;

    /** Splits the time from startedMs to finishedMs (on the transcript's clock). */
    static TimeBreakdown of (const std::vector<DeviceSimulator::TranscriptEntry>& transcript,
                             double startedMs, double finishedMs);
};
