// Whatever a device (or a broken cable, or another program on the same port) sends during an
// exchange reaches PresetManager's input callback. The fuzz bytes play that side: they go in
// through InProcessMidiPorts::deliver, which runs the callback synchronously on this thread as
// a real MIDI input runs it on its own, so every input replays the same way.

#include "tests/fuzz/FuzzEntries.h"

#include "device/PresetManager.h"
#include "device/SysexFrame.h"
#include "simulator/InProcessMidiPorts.h"

#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
    constexpr int kSlot = 7;
    constexpr int kMaxSendParameters = 24;

    /** Long enough that the watch thread never times an input out: the exchange ends on the
        device's frames or on endExchange, never on the clock.
    */
    constexpr int kNoTimeOut = 1 << 30;

    using Bytes = std::vector<uint8_t>;

    /** The input cut into messages the way a MIDI input hands them over: a System Exclusive
        message runs from F0 to the next F7 (one left open at the end is never delivered), any
        other status byte takes the data bytes behind it, up to two, and a data byte without a
        status byte comes alone.
    */
    std::vector<Bytes> splitIntoMessages (const uint8_t* data, size_t size)
    {
        std::vector<Bytes> messages;

        for (size_t at = 0; at < size;)
        {
            if (data[at] == kSysexStart)
            {
                auto end = at + 1;

                while (end < size && data[end] != kSysexEnd)
                    ++end;

                if (end == size)
                    break;

                messages.emplace_back (data + at, data + end + 1);
                at = end + 1;
                continue;
            }

            auto end = at + 1;

            if (data[at] >= 0x80)
                while (end < size && end - at < 3 && data[end] < 0x80)
                    ++end;

            messages.emplace_back (data + at, data + end);
            at = end;
        }

        return messages;
    }

    /** A frame the device can take: its kind's length, the header, a checksum that matches and
        nothing but data bytes between F0 and F7.
    */
    bool isWellFormedFrame (const Bytes& frame)
    {
        const auto size = (int) frame.size();

        if (size < kMinFrameBytes || frame[0] != kSysexStart || ! isDeviceFrame (frame.data(), size) ||
            frameLength (frameType (frame.data(), size)) != size || ! checksumMatches (frame.data(), size))
            return false;

        for (int at = 1; at < size - 1; ++at)
            if (frame[(size_t) at] >= 0x80)
                return false;

        return true;
    }

    bool fail (const char* what)
    {
        std::cerr << "fuzzPresetManagerExchange: " << what << std::endl;
        return false;
    }

    /** The parameters the manager sent, in order. */
    std::vector<PresetParameter> sentParameters (const std::vector<Bytes>& sent)
    {
        std::vector<PresetParameter> parameters;

        for (const auto& frame : sent)
            if (frameType (frame.data(), (int) frame.size()) == SysexType::parameterData)
                if (const auto parameter = readParameterData (frame.data(), (int) frame.size()))
                    parameters.push_back ({ (juce::int16) parameter->index, parameter->value });

        return parameters;
    }
    /** The preset a send takes out: parameterCount parameters with values spread across the
        whole range a parameter can hold.
    */
    PresetData presetToSend (int parameterCount)
    {
        PresetData preset;
        preset.name = "Fuzz Hall";
        preset.version = 3;

        for (int i = 0; i < parameterCount; ++i)
            preset.parameters.push_back ({ (juce::int16) (i * 3), (juce::int32) (i * 1000003 - 5000000) });

        return preset;
    }

    bool isPresetHeader (const Bytes& bytes)
    {
        SysexPresetHeader header;
        return isDeviceFrame (bytes.data(), (int) bytes.size()) &&
               frameType (bytes.data(), (int) bytes.size()) == SysexType::sendPresetStart &&
               readSendPresetStart (bytes.data(), (int) bytes.size(), header) == PresetStartCheck::ok;
    }

    /** Plays the device's side: delivers the messages while the exchange is open, then ends it
        if they did not. Returns whether a well-formed preset header went in.
    */
    bool playDeviceSide (PresetManager& manager, InProcessMidiPorts& ports, int input,
                         const std::vector<Bytes>& messages)
    {
        // A message after the exchange has closed is no longer part of it; the callback would
        // only hold it for half a second before dropping it.
        bool headerDelivered = false;

        for (const auto& bytes : messages)
        {
            if (! manager.isExchangeOpen())
                break;

            headerDelivered = headerDelivered || isPresetHeader (bytes);
            ports.deliver (input, juce::MidiMessage (bytes.data(), (int) bytes.size()));
        }

        if (manager.isExchangeOpen())
            manager.endExchange();

        return headerDelivered;
    }

    int waitForOutcome (PresetManager& manager, bool isSend)
    {
        // The watch thread finishes a closed exchange after a short wait of its own; waking it
        // only shortens that wait.
        int outcome = 0;

        while ((outcome = isSend ? manager.takeSendResult() : manager.takeReceiveResult()) == 0)
        {
            manager.notify();
            std::this_thread::yield();
        }

        return outcome;
    }

    /** Every frame the device got is one it can take, and the first is the exchange's request. */
    bool checkFramesSent (const std::vector<Bytes>& sent, bool isSend)
    {
        for (const auto& frame : sent)
            if (! isWellFormedFrame (frame))
                return fail ("a malformed frame went to the device");

        if (sent.empty() || frameType (sent.front().data(), (int) sent.front().size()) !=
                                (isSend ? SysexType::requestPresetVersion : SysexType::requestPreset))
            return fail ("the exchange did not open with its request");

        return true;
    }

    bool checkSend (const std::vector<Bytes>& sent, const PresetData& original, int outcome)
    {
        const auto parameters = sentParameters (sent);

        // Parameters go out in order, each once, and never past the preset's end.
        if (parameters.size() > original.parameters.size() ||
            ! std::equal (parameters.begin(), parameters.end(), original.parameters.begin()))
            return fail ("the parameters sent are not the preset's, in order");

        if (outcome == 1)
        {
            const auto& last = sent.back();

            if (parameters.size() != original.parameters.size() ||
                frameType (last.data(), (int) last.size()) != SysexType::sendPresetEnd)
                return fail ("a send reported success without the whole preset and its end");
        }

        return true;
    }

    bool checkRead (PresetManager& manager, int outcome, bool headerDelivered, bool nameOnly)
    {
        if (outcome != 1)
            return true;

        if (! headerDelivered)
            return fail ("a read reported success without the preset's header");

        const auto received = manager.takeReceivedPreset();

        if (received.name.length() > kPresetNameBytes || received.number < 0 || received.version < 0)
            return fail ("a read produced a header the device cannot have sent");

        if (nameOnly && ! received.parameters.empty())
            return fail ("a name-only read took parameters");

        return true;
    }
} // namespace

bool fuzzPresetManagerExchange (const uint8_t* data, size_t size)
{
    if (size < 2)
        return true;

    const bool isSend = (data[0] & 1) != 0;
    const bool nameOnly = (data[0] & 2) != 0;
    const auto parameterCount = 1 + data[1] % kMaxSendParameters;
    const auto messages = splitIntoMessages (data + 2, size - 2);

    std::mutex sentLock; // every sender runs on this thread today; the port allows any
    std::vector<Bytes> sent;

    InProcessMidiPorts ports;
    const auto input = ports.addInput ("Tonarel MIDI 1");
    ports.addOutput ("Tonarel MIDI 1",
                     [&] (const juce::MidiMessage& message)
                     {
                         const std::lock_guard<std::mutex> guard (sentLock);
                         sent.emplace_back (message.getRawData(),
                                            message.getRawData() + message.getRawDataSize());
                     });

    PresetManager manager (ports);
    manager.setPauseBeforeRequest (0);
    manager.setExchangeBudget (kNoTimeOut);

    const auto original = isSend ? presetToSend (parameterCount) : PresetData {};

    if (! (isSend ? manager.sendPreset (kSlot, original)
                  : manager.requestPreset ((juce::int16) kSlot, nameOnly)))
        return fail ("the exchange did not start");

    const bool headerDelivered = playDeviceSide (manager, ports, input, messages);
    const int outcome = waitForOutcome (manager, isSend);

    if (outcome != 1 && outcome != -1 && outcome != -2)
        return fail ("an outcome other than success, checksum failed or error");

    const std::lock_guard<std::mutex> guard (sentLock);

    if (! checkFramesSent (sent, isSend))
        return false;

    return isSend ? checkSend (sent, original, outcome)
                  : checkRead (manager, outcome, headerDelivered, nameOnly);
}

#if TONAREL_FUZZ_MAIN
TONAREL_FUZZ_ENTRY (fuzzPresetManagerExchange)
#endif
