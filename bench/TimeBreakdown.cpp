#include "bench/TimeBreakdown.h"

#include "device/SysexFrame.h"

namespace
{
    bool opensExchange (const DeviceSimulator::TranscriptEntry& entry)
    {
        if (entry.fromDevice)
            return false;

        const auto type = frameType (entry.message.getRawData(), entry.message.getRawDataSize());
        return type == SysexType::requestPreset || type == SysexType::requestPresetVersion;
    }
} // namespace

TimeBreakdown TimeBreakdown::of (const std::vector<DeviceSimulator::TranscriptEntry>& transcript,
                                 double startedMs, double finishedMs)
{
    TimeBreakdown breakdown;

    if (transcript.empty())
    {
        breakdown.beforeFirstMs = finishedMs - startedMs;
        return breakdown;
    }

    double exchangeOpenedMs = 0.0, lastFrameMs = 0.0, lastFromDeviceMs = -1.0, answerMs = 0.0;
    int answers = 0;

    for (const auto& entry : transcript)
    {
        if (opensExchange (entry))
        {
            if (breakdown.exchanges == 0)
            {
                breakdown.beforeFirstMs = entry.timeMs - startedMs;
            }
            else
            {
                breakdown.inExchangesMs += lastFrameMs - exchangeOpenedMs;
                breakdown.betweenExchangesMs += entry.timeMs - lastFrameMs;
            }

            ++breakdown.exchanges;
            exchangeOpenedMs = entry.timeMs;
            lastFromDeviceMs = -1.0;
        }
        else if (entry.fromDevice)
        {
            lastFromDeviceMs = entry.timeMs;
        }
        else if (lastFromDeviceMs >= 0.0)
        {
            answerMs += entry.timeMs - lastFromDeviceMs;
            ++answers;
            lastFromDeviceMs = -1.0;
        }

        lastFrameMs = entry.timeMs;
    }

    breakdown.inExchangesMs += lastFrameMs - exchangeOpenedMs;
    breakdown.afterLastMs = finishedMs - lastFrameMs;
    breakdown.meanAnswerMs = answers > 0 ? answerMs / answers : 0.0;
    return breakdown;
}
