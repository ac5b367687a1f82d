#include "simulator/DeviceSimulator.h"

#include "device/SysexFrame.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>
#include <thread>

namespace
{
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    /** With spinning on, a thread sleeps until this long before a message is due and spins the
        rest: waking from a sleep takes up to a tenth of a millisecond, which a full read on USB,
        350 messages of a millisecond each, would add up to several percent.
    */
    constexpr auto kSpinMargin = std::chrono::microseconds (300);

    /** Milliseconds as a clock duration, to the microsecond: a parameter frame on a DIN cable
        takes 5.12 ms, so millisecond steps would drift by a tenth of a frame each time.
    */
    Clock::duration fromMilliseconds (double ms)
    {
        const auto micros = std::chrono::microseconds (juce::roundToInt (ms * 1000.0));
        return std::chrono::duration_cast<Clock::duration> (micros);
    }

    /** One direction of the cable. It carries one message at a time: a message sent while the
        one before is still on the wire starts when that one has gone out.
    */
    class WireDirection
    {
    public:
        explicit WireDirection (const WireModel& wireModel) : model (wireModel) {}

        /** When a message of the given size sent at sentAt reaches the other side. */
        TimePoint arrivalOf (TimePoint sentAt, int bytes)
        {
            const auto start = std::max (sentAt, freeAt);
            freeAt = start + fromMilliseconds (model.transmissionMs (bytes));
            return freeAt + fromMilliseconds (model.latencyMs);
        }

    private:
        const WireModel& model;
        TimePoint freeAt {};
    };

    //==============================================================================
    // Factory presets: fixed content, so tests and benchmarks see the same device every run.

    constexpr const char* kNameAdjectives[] = { "Warm",   "Bright", "Dark",   "Airy",    "Wide",   "Tight",
                                                "Smooth", "Gritty", "Velvet", "Crystal", "Distant" };
    constexpr const char* kNameNouns[] = { "Choir",     "Lead",  "Harmony", "Doubler", "Octaver",
                                           "Telephone", "Robot", "Whisper", "Stadium" };

    static_assert (std::size (kNameAdjectives) * std::size (kNameNouns) == (size_t) DeviceSimulator::numSlots,
                   "one name per slot");

    juce::String factoryName (int slot)
    {
        // The last slot's name fills the 20-byte name field exactly, which travels without a
        // terminator.
        if (slot == DeviceSimulator::numSlots)
            return "Distant Stadium Wash";

        const auto adjective = (size_t) (slot - 1) / std::size (kNameNouns);
        const auto noun = (size_t) (slot - 1) % std::size (kNameNouns);
        const auto separator = (adjective + noun) % 4 == 0 ? "" : " ";
        return juce::String (kNameAdjectives[adjective]) + separator + kNameNouns[noun];
    }

    juce::int32 factoryValue (int slot, int index)
    {
        // Slot 1 starts with the extremes of the 28-bit range; everything else is a fixed mix of
        // slot and index spread over the whole signed range.
        if (slot == 1 && index == 0)
            return kMin28BitValue;

        if (slot == 1 && index == DeviceSimulator::parametersPerPreset - 1)
            return kMax28BitValue;

        auto bits = (uint32_t) slot * 0x9E3779B9u + (uint32_t) index * 0x85EBCA6Bu;
        bits ^= bits >> 16;
        bits *= 0x7FEB352Du;
        bits ^= bits >> 15;
        bits *= 0x846CA68Bu;
        bits ^= bits >> 16;
        return (juce::int32) (bits & 0x0FFFFFFFu) + kMin28BitValue;
    }

    PresetData factoryPreset (int slot)
    {
        PresetData preset;
        preset.number = (juce::int16) slot;
        preset.name = factoryName (slot);
        preset.version = DeviceSimulator::presetVersion;

        for (int index = 0; index < DeviceSimulator::parametersPerPreset; ++index)
            preset.parameters.push_back ({ (juce::int16) index, factoryValue (slot, index) });

        return preset;
    }

    //==============================================================================
    // Faulty frames.

    /** The frame four bytes short, or two bytes long where that would leave it under the minimum
        frame size, with the header, type, checksum and F7 where a receiver looks for them.
    */
    SysexFrame withWrongLength (SysexFrame frame)
    {
        const auto wrongLength = frame.len - 4 >= kMinFrameBytes ? frame.len - 4 : frame.len + 2;

        for (auto i = (size_t) std::min (frame.len, wrongLength) - 2; i < frame.bytes.size(); ++i)
            frame.bytes[i] = 0;

        frame.len = wrongLength;
        frame.bytes[(size_t) wrongLength - 1] = kSysexEnd;
        writeChecksum (frame);
        return frame;
    }

    SysexFrame withBadHeader (SysexFrame frame)
    {
        // Another product of the same maker; the checksum is made to match, so the header is the
        // only thing wrong.
        frame.bytes[kSysexHeaderOffset + kSysexHeader.size() - 1] ^= 0x01;
        writeChecksum (frame);
        return frame;
    }

    void corruptChecksum (SysexFrame& frame)
    {
        frame.bytes[(size_t) frame.len - 2] ^= 0x01;
    }
} // namespace

//==============================================================================
class DeviceSimulator::Impl
{
public:
    Impl (InProcessMidiPorts& p, WireModel w, const juce::String& name)
        : ports (p), wire (std::move (w)), portName (name), toDevice (wire), toComputer (wire)
    {
        for (int slot = 1; slot <= numSlots; ++slot)
            slots[(size_t) slot - 1] = factoryPreset (slot);

        deviceThread = std::thread ([this] { runDevice(); });
        deliveryThread = std::thread ([this] { runDelivery(); });
        plugIn();
    }

    ~Impl()
    {
        // Unplugging first means nothing new comes in; the delivery thread may still be inside
        // the program's callback, and joining it waits for that, so no callback follows.
        unplug();

        {
            const std::lock_guard<std::mutex> guard (lock);
            quitting = true;
        }

        inboxChanged.notify_all();
        outboxChanged.notify_all();
        deviceThread.join();
        deliveryThread.join();
    }

    //==============================================================================
    void unplug()
    {
        const std::lock_guard<std::mutex> plugging (plugLock);
        int oldInput = 0, oldOutput = 0;
        {
            const std::lock_guard<std::mutex> guard (lock);

            if (! pluggedIn)
                return;

            pluggedIn = false;
            ++plugGeneration;
            oldInput = inputId;
            oldOutput = outputId;

            // What is still on the wire is lost with the cable.
            inbox.clear();
            outbox.clear();
            exchange = Exchange::none;
            becameQuiet.notify_all();
        }

        // Never under the state lock: removing the output waits for a send in progress, and that
        // send is waiting for the state lock in receiveFromProgram.
        ports.removeInput (oldInput);
        ports.removeOutput (oldOutput);
    }

    void plugIn()
    {
        const std::lock_guard<std::mutex> plugging (plugLock);
        int generation = 0;
        {
            const std::lock_guard<std::mutex> guard (lock);

            if (pluggedIn)
                return;

            generation = plugGeneration;
        }

        const auto newInput = ports.addInput (portName);
        {
            const std::lock_guard<std::mutex> guard (lock);
            inputId = newInput;
            pluggedIn = true;
            exchange = Exchange::none;
        }

        const auto newOutput =
            ports.addOutput (portName, [this, generation] (const juce::MidiMessage& message)
                             { receiveFromProgram (generation, message); });
        const std::lock_guard<std::mutex> guard (lock);
        outputId = newOutput;
    }

    bool isPluggedIn() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return pluggedIn;
    }

    PresetData getSlot (int number) const
    {
        jassert (number >= kFirstPresetNumber && number <= kLastPresetNumber);
        const std::lock_guard<std::mutex> guard (lock);
        return slots[(size_t) juce::jlimit (kFirstPresetNumber, kLastPresetNumber, number) - 1];
    }

    void setSlot (int number, const PresetData& preset)
    {
        jassert (number >= kFirstPresetNumber && number <= kLastPresetNumber);

        if (number < kFirstPresetNumber || number > kLastPresetNumber)
            return;

        const std::lock_guard<std::mutex> guard (lock);
        auto& slot = slots[(size_t) number - 1];
        slot = preset;
        slot.number = (juce::int16) number;
    }

    int getPresetsStored() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return presetsStored;
    }

    void setFaults (const Faults& newFaults)
    {
        const std::lock_guard<std::mutex> guard (lock);
        faultyExchangesStarted = 0;
        sendsUntilFaults = newFaults.fromSend;
        faults = newFaults.fromSend > 0 ? Faults() : newFaults;
        dormantFaults = newFaults;
        dormantFaults.fromSend = 0;
    }

    std::vector<TranscriptEntry> getTranscript() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return transcript;
    }

    void clearTranscript()
    {
        const std::lock_guard<std::mutex> guard (lock);
        transcript.clear();
        deliveryLateness = {};
    }

    double getDeliveryLatenessMs() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return std::chrono::duration<double, std::milli> (deliveryLateness).count();
    }

    void setSpinBeforeDue (bool shouldSpin)
    {
        const std::lock_guard<std::mutex> guard (lock);
        spinBeforeDue = shouldSpin;
        inboxChanged.notify_all();
        outboxChanged.notify_all();
    }

    bool waitUntilQuiet (int timeLimitMs) const
    {
        std::unique_lock<std::mutex> guard (lock);
        return becameQuiet.wait_for (
            guard, std::chrono::milliseconds (timeLimitMs),
            [this] { return inbox.empty() && outbox.empty() && ! unplugging && ! delivering; });
    }

    InProcessMidiPorts& ports;
    const WireModel wire;

private:
    enum class Exchange
    {
        none,
        reading,             // sending a slot to the program, one frame per ACK
        awaitingPresetStart, // PRESET VERSION DATA sent, a preset is about to come in
        receivingParameters  // SEND PRESET START accepted, collecting parameters
    };

    struct TimedMessage
    {
        TimePoint at;
        juce::MidiMessage message;
    };

    //==============================================================================
    /** The output's receiver, on whatever thread the program sends from. */
    void receiveFromProgram (int generation, const juce::MidiMessage& message)
    {
        const std::lock_guard<std::mutex> guard (lock);

        if (! pluggedIn || generation != plugGeneration)
            return;

        transcript.push_back ({ false, message, juce::Time::getMillisecondCounterHiRes() });

        // Taking the time under the lock keeps the queue in arrival order whatever threads send.
        inbox.push_back ({ toDevice.arrivalOf (Clock::now(), message.getRawDataSize()), message });
        inboxChanged.notify_one();
    }

    /** The device: takes each message from the program when it has crossed the wire. */
    void runDevice()
    {
        std::unique_lock<std::mutex> guard (lock);

        while (! quitting)
        {
            // Lateness here adds nothing up (see replyTime), so the device never spins.
            if (! frontIsDue (inbox, inboxChanged, guard, false))
                continue;

            const auto event = std::move (inbox.front());
            inbox.pop_front();

            // Replies count as sent at the moment the message arrived, not when this thread woke
            // up, so that scheduling delays do not add up over a long transfer.
            replyTime = event.at;

            if (handleMessage (event.message))
            {
                unplugging = true;
                guard.unlock();
                unplug();
                guard.lock();
                unplugging = false;
            }

            becameQuiet.notify_all();
        }
    }

    /** Under the lock: true when the queue's first message has arrived. Otherwise waits until it
        arrives or the queue changes and returns false, and the caller looks again. With maySpin
        and spinning switched on, the last moment before the message is due is spun through.
    */
    bool frontIsDue (std::deque<TimedMessage>& queue, std::condition_variable& changed,
                     std::unique_lock<std::mutex>& guard, bool maySpin)
    {
        if (queue.empty())
        {
            changed.wait (guard);
            return false;
        }

        const auto due = queue.front().at;
        const auto now = Clock::now();

        if (now >= due)
            return true;

        if (! (spinBeforeDue && maySpin))
        {
            changed.wait_until (guard, due);
        }
        else if (due - now > kSpinMargin)
        {
            changed.wait_until (guard, due - kSpinMargin);
        }
        else
        {
            // Without the lock, so that the program and the device can go on meanwhile, and
            // without yielding, which can cost a whole time slice.
            guard.unlock();

            while (Clock::now() < due)
            {
            }

            guard.lock();
        }

        return false;
    }

    /** The computer's MIDI input thread: hands what the device sent to the program at the time it
        arrives. A callback that blocks holds up later messages, as it would with a real input,
        but never the device.
    */
    void runDelivery()
    {
        std::unique_lock<std::mutex> guard (lock);

        while (! quitting)
        {
            if (! frontIsDue (outbox, outboxChanged, guard, true))
                continue;

            const auto message = std::move (outbox.front().message);
            // A message that fell due while the program's callback still ran on this thread waited
            // for the program, as it would behind a real MIDI input: not the simulator's lateness.
            deliveryLateness += Clock::now() - std::max (outbox.front().at, callbackReturnedAt);
            outbox.pop_front();
            transcript.push_back ({ true, message, juce::Time::getMillisecondCounterHiRes() });
            const auto target = inputId;

            delivering = true;
            guard.unlock();
            ports.deliver (target, message);
            callbackReturnedAt = Clock::now();
            guard.lock();
            delivering = false;
            becameQuiet.notify_all();
        }
    }

    //==============================================================================
    /** Acts on one message from the program, under the lock. Returns true when the device is to
        be unplugged now.
    */
    bool handleMessage (const juce::MidiMessage& message)
    {
        const auto* data = message.getRawData();
        const auto size = message.getRawDataSize();

        // Clock, sensing and other makers' System Exclusive are not for the device.
        if (faults.silent || ! message.isSysEx() || ! isDeviceFrame (data, size))
            return false;

        const auto type = frameType (data, size);

        if (size != frameLength (type))
            return refuse();

        switch (type)
        {
            case SysexType::requestPreset: return startRead (decode14 (data + kPresetNumberOffset));

            case SysexType::requestPresetVersion:
                if (sendsUntilFaults > 0 && --sendsUntilFaults == 0)
                {
                    faults = dormantFaults;
                    faultyExchangesStarted = 0;
                }

                beginExchange();
                exchange = Exchange::awaitingPresetStart;
                return reply (makePresetVersionData (0, (uint8_t) presetVersion));

            case SysexType::ack:
                if (exchange == Exchange::reading)
                    return sendNextOfRead();

                return exchange == Exchange::none ? false : refuse();

            case SysexType::err:
            case SysexType::checksumFailed: exchange = Exchange::none; return false;

            case SysexType::sendPresetStart: return takePresetStart (data, size);
            case SysexType::parameterData: return takeParameter (data, size);

            case SysexType::sendPresetEnd:
                if (exchange != Exchange::receivingParameters)
                    return refuse();

                // Stored before the ACK goes out: once the program has its ACK, the slot holds
                // the preset.
                slots[(size_t) exchangePreset.number - 1] = exchangePreset;
                ++presetsStored;
                exchange = Exchange::none;
                return reply (makeAck());

            case SysexType::none:
            case SysexType::presetVersionData:
            case SysexType::sendFirmwareStart:
            case SysexType::sendFirmwareEnd:
            default: return refuse();
        }
    }

    /** REQUEST PRESET: the slot's header goes out, and its parameters follow one per ACK. */
    bool startRead (int number)
    {
        beginExchange();

        if (number < kFirstPresetNumber || number > kLastPresetNumber)
        {
            exchange = Exchange::none;
            return reply (makeErr());
        }

        exchange = Exchange::reading;
        exchangePreset = slots[(size_t) number - 1];
        parametersSent = 0;
        presetEndSent = false;
        return reply (makeSendPresetStart (number, exchangePreset.name, exchangePreset.version));
    }

    /** SEND PRESET START of a preset coming in, after PRESET VERSION DATA went out. */
    bool takePresetStart (const juce::uint8* data, int size)
    {
        if (exchange != Exchange::awaitingPresetStart)
            return refuse();

        SysexPresetHeader header;

        if (readSendPresetStart (data, size, header) != PresetStartCheck::ok)
        {
            exchange = Exchange::none;
            return reply (makeChecksumFailed());
        }

        if (header.number < kFirstPresetNumber || header.number > kLastPresetNumber)
            return refuse();

        exchangePreset.clear();
        exchangePreset.number = (juce::int16) header.number;
        exchangePreset.name = header.name;
        exchangePreset.version = (juce::int16) header.version;
        exchange = Exchange::receivingParameters;
        return reply (makeAck());
    }

    /** One PARAMETER DATA of a preset coming in; the spoilt-parameter fault strikes here. */
    bool takeParameter (const juce::uint8* data, int size)
    {
        if (exchange != Exchange::receivingParameters)
            return refuse();

        const auto parameter = readParameterData (data, size);
        jassert (parameter.has_value()); // the length was checked before
        auto value = parameter->value;

        if (faults.spoilReceivedParameter == (int) exchangePreset.parameters.size() + 1)
        {
            faults.spoilReceivedParameter = 0;
            value ^= 1;
        }

        exchangePreset.parameters.push_back ({ (juce::int16) parameter->index, value });
        return reply (makeAck());
    }

    /** The read goes on by one frame for each ACK. */
    bool sendNextOfRead()
    {
        if (presetEndSent)
        {
            exchange = Exchange::none; // the ACK of SEND PRESET END
            return false;
        }

        if (parametersSent < exchangePreset.parameters.size())
        {
            const auto& parameter = exchangePreset.parameters[parametersSent++];
            return reply (makeParameterData (parameter.index, parameter.value));
        }

        presetEndSent = true;
        return reply (makeSendPresetEnd());
    }

    /** A frame the device cannot take in the current exchange ends it with ERR; outside an
        exchange there is nothing to refuse, and the device stays quiet.
    */
    void beginExchange()
    {
        repliesSent = 0;

        if (faults.faultyExchanges > 0 && faultyExchangesStarted++ >= faults.faultyExchanges)
            faults = {};
    }

    bool refuse()
    {
        if (exchange == Exchange::none)
            return false;

        exchange = Exchange::none;
        return reply (makeErr());
    }

    /** Sends the next reply of the exchange, with whatever fault is set for it. Returns true when
        the device is to be unplugged instead.
    */
    bool reply (SysexFrame frame)
    {
        const auto replyNumber = ++repliesSent;

        if (replyNumber == faults.unplugAtReply)
        {
            faults.unplugAtReply = 0;
            return true;
        }

        if (faults.realtimeBetweenReplies)
        {
            transmit (juce::MidiMessage::midiClock());
            transmit (juce::MidiMessage (0xFE)); // active sensing
        }

        if (replyNumber == faults.dropReply)
        {
            toComputer.arrivalOf (replyTime, frame.size());
            return false;
        }

        if (replyNumber == faults.errAtReply || replyNumber == faults.checksumFailedAtReply)
        {
            frame = replyNumber == faults.errAtReply ? makeErr() : makeChecksumFailed();
            exchange = Exchange::none;
        }

        if (faults.corruptPresetStartChecksum &&
            frameType (frame.data(), frame.size()) == SysexType::sendPresetStart)
            corruptChecksum (frame);

        if (replyNumber == faults.wrongLengthAtReply)
            frame = withWrongLength (frame);

        if (replyNumber == faults.badHeaderAtReply)
            frame = withBadHeader (frame);

        transmit (frame.toMidiMessage());
        return false;
    }

    void transmit (const juce::MidiMessage& message)
    {
        outbox.push_back ({ toComputer.arrivalOf (replyTime, message.getRawDataSize()), message });
        outboxChanged.notify_one();
    }

    //==============================================================================
    const juce::String portName;

    // Taken before the state lock, never while holding it: keeps plugging and unplugging from
    // several threads (a test, the device's own unplug fault, the destructor) in one piece.
    std::mutex plugLock;

    // Everything below is guarded by the state lock, which is never held while calling into
    // the ports (see unplug).
    mutable std::mutex lock;
    std::condition_variable inboxChanged, outboxChanged;
    mutable std::condition_variable becameQuiet;
    bool quitting = false;
    bool unplugging = false; // the device thread is pulling its own plug
    bool delivering = false; // the program's callback is running

    bool pluggedIn = false;
    int plugGeneration = 0; // a receiver of an earlier plug-in drops what it gets
    int inputId = 0, outputId = 0;

    WireDirection toDevice, toComputer;
    std::deque<TimedMessage> inbox;  // from the program, in arrival order
    std::deque<TimedMessage> outbox; // to the program, in arrival order
    TimePoint replyTime {};

    std::array<PresetData, numSlots> slots;
    Faults faults;
    std::vector<TranscriptEntry> transcript;
    int presetsStored = 0;
    bool spinBeforeDue = false;

    // How much later than the wire model says the program got the device's messages, in all
    // since the transcript was cleared. Lateness on the way to the device does not add up: the
    // device's replies leave from the moment their request arrived, not from when it was seen.
    Clock::duration deliveryLateness {};
    TimePoint callbackReturnedAt {}; // the delivery thread's own, never shared

    Exchange exchange = Exchange::none;
    PresetData exchangePreset;
    size_t parametersSent = 0;
    bool presetEndSent = false;
    int repliesSent = 0;
    int faultyExchangesStarted = 0;

    // Faults set to strike from a later send, and the sends still to come before it.
    Faults dormantFaults;
    int sendsUntilFaults = 0;

    std::thread deviceThread, deliveryThread;
};

//==============================================================================
DeviceSimulator::DeviceSimulator (InProcessMidiPorts& ports, WireModel wire, const juce::String& portName)
    : impl (std::make_unique<Impl> (ports, std::move (wire), portName))
{
}

DeviceSimulator::~DeviceSimulator() = default;

void DeviceSimulator::unplug()
{
    impl->unplug();
}

void DeviceSimulator::plugIn()
{
    impl->plugIn();
}

bool DeviceSimulator::isPluggedIn() const
{
    return impl->isPluggedIn();
}

PresetData DeviceSimulator::getSlot (int number) const
{
    return impl->getSlot (number);
}

void DeviceSimulator::setSlot (int number, const PresetData& preset)
{
    impl->setSlot (number, preset);
}

int DeviceSimulator::getPresetsStored() const
{
    return impl->getPresetsStored();
}

void DeviceSimulator::setFaults (const Faults& faults)
{
    impl->setFaults (faults);
}

std::vector<DeviceSimulator::TranscriptEntry> DeviceSimulator::getTranscript() const
{
    return impl->getTranscript();
}

void DeviceSimulator::clearTranscript()
{
    impl->clearTranscript();
}

double DeviceSimulator::getDeliveryLatenessMs() const
{
    return impl->getDeliveryLatenessMs();
}

void DeviceSimulator::setSpinBeforeDue (bool shouldSpin)
{
    impl->setSpinBeforeDue (shouldSpin);
}

bool DeviceSimulator::waitUntilQuiet (int timeLimitMs) const
{
    return impl->waitUntilQuiet (timeLimitMs);
}

const WireModel& DeviceSimulator::getWire() const noexcept
{
    return impl->wire;
}
