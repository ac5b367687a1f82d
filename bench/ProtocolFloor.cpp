#include "bench/ProtocolFloor.h"

#include "device/SysexFrame.h"

#include <algorithm>

namespace
{
    constexpr int kParametersPerBurst = 5;

    int bytesOf (SysexType type)
    {
        return frameLength (type);
    }
} // namespace

double ProtocolFloor::transfer (Direction& direction, int bytes, double sentAt)
{
    const auto start = std::max (sentAt, direction.freeAt);
    direction.freeAt = start + wire.transmissionMs (bytes);
    return direction.freeAt + wire.latencyMs;
}

double ProtocolFloor::startExchange()
{
    requestPausesMs += timings.pauseBeforeRequestMs;
    return now + timings.pauseBeforeRequestMs;
}

void ProtocolFloor::addPause (int ms)
{
    jobPausesMs += ms;
    now += ms;
}

double ProtocolFloor::addNameRead()
{
    const auto requested = toDevice (bytesOf (SysexType::requestPreset), startExchange());
    now = toComputer (bytesOf (SysexType::sendPresetStart), requested);

    // The ERR that stops the device is sent, but nothing waits for it.
    toDevice (bytesOf (SysexType::err), now);
    return now;
}

double ProtocolFloor::addFullRead (int parameterCount)
{
    const auto requested = toDevice (bytesOf (SysexType::requestPreset), startExchange());
    auto arrived = toComputer (bytesOf (SysexType::sendPresetStart), requested);

    for (int i = 0; i < parameterCount; ++i)
        arrived =
            toComputer (bytesOf (SysexType::parameterData), toDevice (bytesOf (SysexType::ack), arrived));

    now = toComputer (bytesOf (SysexType::sendPresetEnd), toDevice (bytesOf (SysexType::ack), arrived));
    toDevice (bytesOf (SysexType::ack), now);
    return now;
}

double ProtocolFloor::addSend (int parameterCount)
{
    const auto requested = toDevice (bytesOf (SysexType::requestPresetVersion), startExchange());
    const auto versionArrived = toComputer (bytesOf (SysexType::presetVersionData), requested);
    auto allAcknowledged = toComputer (bytesOf (SysexType::ack),
                                       toDevice (bytesOf (SysexType::sendPresetStart), versionArrived));

    // The first parameter goes alone, then bursts of five, each once every frame before it is
    // acknowledged. The device acknowledges each frame as it arrives.
    for (int sent = 0; sent < parameterCount;)
    {
        const auto burst = sent == 0 ? 1 : std::min (kParametersPerBurst, parameterCount - sent);
        const auto burstSentAt = allAcknowledged;

        for (int i = 0; i < burst; ++i)
            allAcknowledged = toComputer (bytesOf (SysexType::ack),
                                          toDevice (bytesOf (SysexType::parameterData), burstSentAt));

        sent += burst;
    }

    now =
        toComputer (bytesOf (SysexType::ack), toDevice (bytesOf (SysexType::sendPresetEnd), allAcknowledged));
    return now;
}
