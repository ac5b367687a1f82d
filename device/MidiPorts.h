#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** An open MIDI input. Between start() and stop() it hands every incoming message to the callback
    it was opened with, on a thread of its own.

    stop() returns only once no callback is running and none will follow, so the callback's owner
    may go away after it. Deleting the port stops it.
*/
class MidiInputPort
{
public:
    virtual ~MidiInputPort() = default;

    virtual void start() = 0;
    virtual void stop() = 0;
};

/** An open MIDI output. Messages may be sent from any thread; once the device behind the port
    has gone they are dropped.
*/
class MidiOutputPort
{
public:
    virtual ~MidiOutputPort() = default;

    virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
};

/** The computer's MIDI service as the program sees it: the names of the input and output ports
    in the order the system lists them, and opening a port by its position in that list.

    The application hands the real one (JuceMidiPorts) to the librarian; tests, benchmarks and the
    demo hand it InProcessMidiPorts with a simulated device behind it. Nothing else in the program
    knows which one it has. Every member may be called from any thread.
*/
class MidiPorts
{
public:
    virtual ~MidiPorts() = default;

    virtual juce::StringArray getInputNames() = 0;
    virtual juce::StringArray getOutputNames() = 0;

    /** The input at index of getInputNames(), not yet started, or nullptr when there is none
        there or it cannot be opened. The callback must outlive the port.
    */
    virtual std::unique_ptr<MidiInputPort> openInput (int index, juce::MidiInputCallback& callback) = 0;

    /** The output at index of getOutputNames(), or nullptr. */
    virtual std::unique_ptr<MidiOutputPort> openOutput (int index) = 0;
};
