#pragma once

#include "device/MidiPorts.h"

/** The computer's real MIDI service, through JUCE's MidiInput and MidiOutput. A port is opened by
    the identifier found at its position in the device list.
*/
class JuceMidiPorts final : public MidiPorts
{
public:
    JuceMidiPorts() = default;

    /** The lock a program holds while it may talk to the real device, so that the librarian and
        the command line never do at once. It is JUCE's single-instance lock of the librarian,
        which JUCE names after the application.
    */
    static constexpr const char* deviceLockName = "juceAppLock_" JUCE_APPLICATION_NAME_STRING;

    juce::StringArray getInputNames() override;
    juce::StringArray getOutputNames() override;
    std::unique_ptr<MidiInputPort> openInput (int index, juce::MidiInputCallback& callback) override;
    std::unique_ptr<MidiOutputPort> openOutput (int index) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiPorts)
};
