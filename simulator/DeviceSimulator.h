#pragma once

#include "presets/PresetData.h"
#include "simulator/InProcessMidiPorts.h"

#include <memory>
#include <vector>

/** How long a message takes between the computer and the device, in each direction: a fixed
    latency per message plus its bytes at the wire's byte rate. One direction carries one message
    at a time, so messages sent together queue behind each other.
*/
struct WireModel
{
    juce::String name;
    double latencyMs = 0.0;
    double bytesPerSecond = 0.0; // 0: no rate limit

    /** The time one message of the given size occupies the wire, without the latency. */
    double transmissionMs (int bytes) const noexcept
    {
        return bytesPerSecond > 0.0 ? 1000.0 * bytes / bytesPerSecond : 0.0;
    }

    /** The device on USB: about 1 ms per message, bytes cost nothing worth modelling. */
    static WireModel usb() { return { "USB", 1.0, 0.0 }; }

    /** A 5-pin DIN cable through a USB interface: 31250 baud, 3125 bytes per second each way. */
    static WireModel din() { return { "DIN", 1.0, 3125.0 }; }

    /** No delay at all, for tests that only care about the conversation. */
    static WireModel instant() { return { "instant", 0.0, 0.0 }; }
};

/** A Tonarel in software: plays the device's side of the preset conversation on the ports of an
    InProcessMidiPorts, so the librarian's MIDI code can be exercised without the hardware.

    It holds 99 slots, each a full preset (name, version, 175 parameters). It answers
    REQUEST PRESET with SEND PRESET START, then each PARAMETER DATA once the frame before it has
    been acknowledged, then SEND PRESET END, and stops on ERR (the librarian's name-only read).
    It answers REQUEST PRESET VERSION with PRESET VERSION DATA, acknowledges every frame of a
    preset sent to it and stores the preset in its slot on SEND PRESET END.

    Messages cross the wire as the WireModel says. The device works on its own thread; what it
    sends reaches the program's callback on another thread, as a real MIDI input delivers, so a
    callback that blocks does not stall the device.

    A frame the device cannot take in the exchange it is in (a parameter before SEND PRESET
    START, a frame of the wrong length for its kind, a preset for a slot outside 1 to 99) is
    answered with ERR and ends the exchange; outside an exchange such frames are ignored. A new
    REQUEST PRESET or REQUEST PRESET VERSION abandons whatever exchange was running.

    Faults are injected on demand (see Faults). The transcript records every message in the
    order the two sides sent them, for tests that check the shape of a conversation.

    Create and destroy it on one thread, not from inside the program's callback, and destroy it
    before the InProcessMidiPorts it is plugged into.
*/
class DeviceSimulator
{
public:
    static constexpr int numSlots = kPresetSlotCount;
    static constexpr int parametersPerPreset = kParametersPerPreset;
    static constexpr juce::int16 presetVersion = 3;

    /** Creates the device with its factory presets and plugs it in: its ports, both named
        portName, appear in the port lists.
    */
    explicit DeviceSimulator (InProcessMidiPorts& ports, WireModel wire = WireModel::usb(),
                              const juce::String& portName = "Tonarel MIDI 1");

    /** Unplugs the device and stops its threads. */
    ~DeviceSimulator();

    //==============================================================================
    /** Its ports vanish from the lists; open handles on them go dead. An exchange in progress is
        forgotten.
    */
    void unplug();

    /** Its ports appear again (the program must open them anew). */
    void plugIn();

    bool isPluggedIn() const;

    //==============================================================================
    /** The preset in a slot, 1 to 99. */
    PresetData getSlot (int number) const;

    /** Replaces the preset in a slot, 1 to 99; the record's number is set to the slot. */
    void setSlot (int number, const PresetData& preset);

    /** How many presets sent to the device it has stored since it was created. */
    int getPresetsStored() const;

    //==============================================================================
    /** Faults to inject. Reply n means the n-th message the device sends in the current exchange,
        counting from 1; an exchange starts with each REQUEST PRESET or REQUEST PRESET VERSION.
        So in a read reply 1 is SEND PRESET START and reply k + 1 is the k-th PARAMETER DATA; in a
        send reply 1 is PRESET VERSION DATA and reply 2 the ACK of SEND PRESET START. MIDI clock
        and active sensing are not replies. 0 turns a fault off.

        Faults stay set, so a retried exchange meets them again, except unplugAtReply and
        spoilReceivedParameter, which fire once and clear themselves so that the device works normally after
       plugIn(). When several faults name the same reply, the first in this list wins (unplug, drop, ERR,
       CHECKSUM FAILED); a wrong length and a bad header apply on top of what is sent.
    */
    struct Faults
    {
        bool silent = false; // ignores everything it receives
        int dropReply = 0;   // reply n takes its time on the wire but never arrives; the device
                             // then waits for an answer to it
        bool corruptPresetStartChecksum = false; // every SEND PRESET START carries a wrong checksum
        int errAtReply = 0;                      // reply n is ERR instead, and the exchange ends
        int checksumFailedAtReply = 0;           // reply n is CHECKSUM FAILED instead, and the exchange ends
        int wrongLengthAtReply = 0; // reply n is 4 bytes short, or 2 bytes long where 4 short would
                                    // leave fewer than 10, with header, type, checksum and F7 in place
        int badHeaderAtReply = 0;   // reply n has a wrong header byte: not a device frame
        bool realtimeBetweenReplies = false; // MIDI clock and active sensing before every reply
        int unplugAtReply = 0;               // the device is unplugged instead of sending reply n (once)
        int spoilReceivedParameter = 0;      // the n-th PARAMETER DATA of the next send is stored with
                                             // another value, as if spoilt on the wire: its checksum-free
                                             // frame is taken and ACKed as it is (once)
        int faultyExchanges = 0; // the faults meet this many exchanges, then all clear; 0: no limit
        int fromSend = 0;        // the faults above lie dormant until the n-th preset sent to the device
                                 // (REQUEST PRESET VERSION) since they were set, and strike from its
                                 // exchange on; 0: at once
    };

    void setFaults (const Faults& faults);

    //==============================================================================
    /** One message as one side sent it. Messages the program sends are recorded when it sends
        them (inside its callback, for the replies it sends from there); messages of the device
        when they are handed to the program's callback. The time is that moment, on the clock of
        juce::Time::getMillisecondCounterHiRes, so a benchmark can tell where a job's time went.
    */
    struct TranscriptEntry
    {
        bool fromDevice = false;
        juce::MidiMessage message;
        double timeMs = 0.0;
    };

    std::vector<TranscriptEntry> getTranscript() const;

    /** Empties the transcript and sets the delivery lateness back to 0. */
    void clearTranscript();

    /** How much later than the wire model says the program was handed the device's messages,
        added up since the transcript was last cleared, in ms.
    */
    double getDeliveryLatenessMs() const;

    /** With spinning, the device's threads spin through the last moment before a message is
        due instead of sleeping through it, so that messages arrive on time to a few
        microseconds rather than to a tenth of a millisecond. It costs a core's time while a
        transfer runs: for the benchmark, which measures the program and not the simulator.
    */
    void setSpinBeforeDue (bool shouldSpin);

    /** Waits until every message sent so far by either side has crossed the wire and been acted
        on: nothing in flight, the device not busy and no callback of the program running. A test
        can then tell that the device sent nothing more. Not from inside the program's callback,
        which it would wait for. False when the time limit passes first.
    */
    bool waitUntilQuiet (int timeLimitMs = 20000) const;

    const WireModel& getWire() const noexcept;

private:
    class Impl;
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceSimulator)
};
