#pragma once

#include "device/MidiPorts.h"

#include <functional>

/** A MIDI service that lives inside the process: its ports are whatever a test, the benchmark or
    the device simulator registers, so the program's MIDI code runs unchanged without any MIDI
    hardware or system MIDI service.

    "Inputs" and "outputs" are named from the program's side, as in MidiPorts: the device side
    registers an input and delivers messages into it; it registers an output with a receiver
    that gets what the program sends.

    Removing a port is unplugging it: its name leaves the list at once, program-side handles
    opened on it stay valid but receive nothing more, and what is sent to them is dropped.
    Registering a port again is plugging in; handles opened before stay dead.

    Thread-safe throughout. Deliveries run the program's callback on the thread that delivers,
    as a real MIDI input calls from its own thread.
*/
class InProcessMidiPorts final : public MidiPorts
{
public:
    InProcessMidiPorts();
    ~InProcessMidiPorts() override;

    /** Called with every message the program sends to a registered output, on the sending thread. */
    using Receiver = std::function<void (const juce::MidiMessage&)>;

    /** Registers an input the program can list and open; returns its id. The name may be empty,
        which lists an empty entry (some MIDI services show one).
    */
    int addInput (const juce::String& name);

    /** Registers an output the program can list and open; returns its id. */
    int addOutput (const juce::String& name, Receiver receiver);

    void removeInput (int inputId);
    void removeOutput (int outputId);

    /** Hands the message to every started program-side handle of the input, on the calling
        thread; the call returns when their callbacks have. Does nothing for a removed input.
    */
    void deliver (int inputId, const juce::MidiMessage& message);

    //==============================================================================
    juce::StringArray getInputNames() override;
    juce::StringArray getOutputNames() override;
    std::unique_ptr<MidiInputPort> openInput (int index, juce::MidiInputCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (int index) override;

private:
    struct Registry;
    std::shared_ptr<Registry> registry;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InProcessMidiPorts)
};
